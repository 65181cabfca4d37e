#include "AppTestSupport.h"
#include "TemplateTestSupport.h"

#include "app/KelAdjective.h"
#include "app/KelTemplate.h"
#include "app/StoragePaths.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"
#include "params/StringParameter.h"

#include <QDir>
#include <QDomDocument>
#include <QDomElement>
#include <QFile>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>

using KelVyxNodes::VyxNodeGraph;
using TemplateTest::CountingAtom;
using TemplateTest::CountingFactoryScope;

namespace {

QString const kSineType = QStringLiteral("generator.sine");
QString const kSineUuid = QStringLiteral("015edfcd-90f5-4da2-8622-6be6071b41e0");

KelUtils::StringParameter* textParameter(QString const& value)
{
    auto* parameter = new KelUtils::StringParameter(QStringLiteral("caption"),
                                                    QStringLiteral("Caption"), nullptr, nullptr,
                                                    false, 1);
    parameter->setValue(value);
    return parameter;
}

QDomElement storedElement(KelTemplate const& record, QDomDocument& document)
{
    QDomElement parent = document.createElement(QStringLiteral("holder"));
    document.appendChild(parent);
    record.store(document, parent, 0);
    return parent.lastChildElement();
}

QDomElement parse(QDomDocument& document, QString const& xml)
{
    EXPECT_TRUE(document.setContent(xml)) << xml.toStdString();
    return document.documentElement();
}

// Writes a template file: the given top-level nodes of `root`, with the record's "template"
// element inside the last one when it is a graph.
bool writeTemplateFile(QString const& path, VyxNodeGraph& root,
                       QList<KelNodes::Node*> const& nodes, KelTemplate const* record,
                       QString (*edit)(QString) = nullptr)
{
    std::unique_ptr<QDomDocument> document(root.store(nodes, false, false, false));
    if (!document)
        return false;
    QDomElement section = document->documentElement()
                              .firstChildElement(QStringLiteral("nodes"))
                              .lastChildElement();
    if (record)
        record->store(*document, section, 0);
    QString text = document->toString(4);
    if (edit)
        text = edit(text);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(text.toUtf8()) > 0;
}

class TemplateFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.makeTemplateFolders());
        m_uuid = QUuid::createUuid().toString();
        m_path = StoragePaths::objectTemplatePath(m_uuid);
        m_metadata.setName(QStringLiteral("Name in the element"));
        m_metadata.setUuid(m_uuid);
        m_metadata.setCreatedBy(QStringLiteral("Ada"));
        KelAdjective* adjective = m_metadata.addAdjective();
        adjective->setName(QStringLiteral("Strength"));
    }

    // A sub-graph named `name` holding one sine node.
    KelNodes::NodeGraph* addEffect(VyxNodeGraph& root, QString const& name)
    {
        VyxNodeGraph* graph = root.addSubGraph(-1);
        graph->setName(name);
        graph->addNode(kSineType, -1);
        return graph;
    }

    AppTest::ScopedDataHome m_home;
    QString m_uuid;
    QString m_path;
    KelTemplate m_metadata;
};

} // namespace

TEST(TemplateElement, StoreAndLoadRoundTripEveryField)
{
    CountingFactoryScope factory;
    KelTemplate record;
    record.setName(QString::fromUtf8("Glüh \xF0\x9F\x94\xA5"));
    record.setType(QStringLiteral("Special FX"));
    record.setVersion(QStringLiteral("01.034"));
    record.setUuid(QUuid::createUuid().toString());
    record.setCreatedBy(QStringLiteral("Ada <&> \"Lovelace\""));
    record.setDescription(QStringLiteral("line 1\nline 2"));
    record.setIconQuality(7);
    record.setIconPositionX(1.5f);
    record.setIconPositionY(-2.25f);
    record.setIconScaleY(2.0f);
    record.setIconRotationZ(-30.0f);
    record.setPositionModifier(-4);
    record.setInstantiateWithDefaultText(true);
    record.setDefaultText(QStringLiteral("text"));
    record.setInterfaces({QStringLiteral("in"), QString(), QStringLiteral("out")});

    auto* adjective = new KelAdjective;
    adjective->setName(QStringLiteral("Strength"));
    adjective->setGroupName(QStringLiteral("Light"));
    KelAttribute exposed;
    exposed.setAtom(KelAtomHolder::create(textParameter(QStringLiteral("hello"))));
    exposed.setValue("flag", true);
    exposed.setValue("weight", 0.25);
    exposed.setValue("label", QStringLiteral("12abc"));
    exposed.setValue("big", qlonglong(1) << 40);
    adjective->setAttribute(exposed);
    KelAttribute script(KelAttribute::TransformScript);
    script.setValue("bad key", 1); // no XML name: not written
    adjective->setAttribute(script);
    record.appendAdjective(adjective);

    QDomDocument document;
    QDomElement const element = storedElement(record, document);
    EXPECT_EQ(element.tagName(), QStringLiteral("template"));
    EXPECT_EQ(element.attribute("nodeid"), QStringLiteral("0"));
    EXPECT_EQ(element.attribute("instantiateWithDefaultText"), QStringLiteral("1"));
    EXPECT_EQ(element.attribute("uuid"), KelTemplate::toBase64(record.uuid()));

    // The text survives a trip through the serialiser.
    QDomDocument reread;
    ASSERT_TRUE(reread.setContent(document.toString(4)));
    KelTemplate loaded;
    loaded.loadContent(reread.documentElement().firstChildElement("template"));

    // Storing the loaded record again gives the same element, field for field.
    QDomDocument again;
    QDomElement const rewritten = storedElement(loaded, again);
    QDomNamedNodeMap const fields = element.attributes();
    EXPECT_EQ(rewritten.attributes().count(), fields.count());
    for (int i = 0; i < fields.count(); ++i) {
        QDomAttr const field = fields.item(i).toAttr();
        EXPECT_EQ(rewritten.attribute(field.name()), field.value()) << field.name().toStdString();
    }
    EXPECT_EQ(loaded.name(), record.name());
    EXPECT_EQ(loaded.iconPositionY(), -2.25f);
    EXPECT_EQ(loaded.interfaces(), record.interfaces());

    ASSERT_EQ(loaded.adjectives().size(), 1);
    KelAdjective const* back = loaded.adjectives().first();
    EXPECT_EQ(back->groupName(), QStringLiteral("Light"));
    ASSERT_EQ(back->attributes().keys(), adjective->attributes().keys());

    KelAttribute const exposedBack = back->attributes().value(exposed.uuid());
    EXPECT_EQ(exposedBack.value("index").metaType().id(), QMetaType::Double);
    EXPECT_EQ(exposedBack.value("type").metaType().id(), QMetaType::Double);
    EXPECT_EQ(exposedBack.type(), KelAttribute::NodeParameterAttribute);
    EXPECT_EQ(exposedBack.value("flag").toDouble(), 1.0);
    EXPECT_EQ(exposedBack.value("weight").toDouble(), 0.25);
    EXPECT_EQ(exposedBack.value("label").toString(), QStringLiteral("12abc"));
    EXPECT_FALSE(exposedBack.contains("big"));
    ASSERT_NE(exposedBack.atom(), nullptr);
    EXPECT_EQ(exposedBack.atomParameter(), exposedBack.atom()->parameter());
    EXPECT_EQ(static_cast<CountingAtom*>(exposedBack.atom())->uiBuilt, 1);
    auto* text = static_cast<KelUtils::StringParameter*>(*exposedBack.atomParameter());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->value(), QStringLiteral("hello"));

    KelAttribute const scriptBack = back->attributes().value(script.uuid());
    EXPECT_EQ(scriptBack.type(), KelAttribute::TransformScript);
    EXPECT_EQ(scriptBack.atom(), nullptr);
    EXPECT_FALSE(scriptBack.contains("bad key"));
}

TEST(TemplateElement, MissingNumbersReadAsZeroAndMissingTextsAsEmpty)
{
    QDomDocument document;
    QDomElement const element =
        parse(document, QStringLiteral("<template iconQuality=\"x\" iconScaleX=\"1e999\"/>"));
    KelTemplate record;
    record.setAlternativeNames(QStringLiteral("old"));
    record.setInterfaces({QStringLiteral("kept")});
    record.loadContent(element);
    EXPECT_EQ(record.iconScaleX(), 0.0f);
    EXPECT_EQ(record.iconScaleY(), 0.0f);
    EXPECT_EQ(record.iconScaleZ(), 0.0f);
    EXPECT_EQ(record.iconQuality(), 0);
    EXPECT_TRUE(record.alternativeNames().isEmpty());
    EXPECT_EQ(record.interfaces(), QStringList({QStringLiteral("kept")}));
    EXPECT_TRUE(record.adjectives().isEmpty());
}

TEST(TemplateElement, InterfacesKeepEmptyParts)
{
    QDomDocument document;
    QString const xml = QStringLiteral("<template interfaces=\"%1\"/>")
                            .arg(KelTemplate::toBase64(QStringLiteral("a::::b")));
    KelTemplate record;
    record.loadContent(parse(document, xml));
    EXPECT_EQ(record.interfaces(), QStringList({"a", "", "b"}));

    KelTemplate single;
    single.setInterfaces({QString()});
    QDomDocument written;
    QDomElement const element = storedElement(single, written);
    EXPECT_EQ(element.attribute("interfaces"), QStringLiteral("//4="));
    KelTemplate back;
    back.loadContent(element);
    EXPECT_EQ(back.interfaces(), QStringList({QString()}));
}

TEST(TemplateElement, ReadingTwiceKeepsMetadataAndDoublesAdjectives)
{
    KelTemplate record;
    record.setName(QStringLiteral("Twice"));
    record.addAdjective();
    QDomDocument document;
    QDomElement const element = storedElement(record, document);

    KelTemplate loaded;
    loaded.loadContent(element);
    loaded.loadContent(element);
    EXPECT_EQ(loaded.name(), QStringLiteral("Twice"));
    EXPECT_EQ(loaded.adjectives().size(), 2);
}

TEST(TemplateElement, HostileAttributeElementsLoadWithoutEditorsLeakingOrPointersForged)
{
    CountingFactoryScope factory;
    QString xml = QStringLiteral(
        "<template><adjective>"
        "<attribute uuid=\"u1\" label=\"%1\"><parameter type=\"1\" name=\"box\"/></attribute>"
        "<attribute uuid=\"u2\"><parameter type=\"999\"/><parameter type=\"garbage\"/></attribute>"
        "<attribute uuid=\"u3\" atom=\"140737488355328\" atom_parameter=\"//4=\">"
        "<parameter type=\"8\" name=\"a\" value=\"%2\"/>"
        "<parameter type=\"8\" name=\"b\" value=\"%2\"/></attribute>"
        "<attribute uuid=\"u4\" atom=\"12\"/>"
        "<attribute uuid=\"u3\"><parameter type=\"8\" name=\"c\"/></attribute>"
        "</adjective></template>")
                            .arg(KelTemplate::toBase64(QStringLiteral("kept")),
                                 KelTemplate::toBase64(QStringLiteral("v")));
    for (QString const uuid : {"u1", "u2", "u3", "u4"})
        xml.replace(QStringLiteral("\"%1\"").arg(uuid),
                    QStringLiteral("\"%1\"").arg(KelTemplate::toBase64(uuid)));
    QDomDocument document;
    {
        KelTemplate record;
        record.loadContent(parse(document, xml));
        ASSERT_EQ(record.adjectives().size(), 1);
        QMap<QString, KelAttribute> const attributes = record.adjectives().first()->attributes();
        EXPECT_EQ(attributes.keys(), QStringList({"u1", "u2", "u3", "u4"}));
        // Kinds the factory cannot build are skipped; the attribute still loads.
        EXPECT_EQ(attributes.value("u1").atom(), nullptr);
        EXPECT_EQ(attributes.value("u1").value("label").toString(), QStringLiteral("kept"));
        EXPECT_EQ(attributes.value("u2").atom(), nullptr);
        EXPECT_EQ(attributes.value("u4").atom(), nullptr);
        // The later "u3" replaced the earlier one; one editor each, the replaced one deleted.
        ASSERT_NE(attributes.value("u3").atom(), nullptr);
        EXPECT_EQ(attributes.value("u3").atomParameter()->name(), QStringLiteral("c"));
        EXPECT_EQ(CountingAtom::created, 2);
        EXPECT_EQ(CountingAtom::destroyed, 1);
    }
    EXPECT_EQ(CountingAtom::destroyed, 2);
}

TEST_F(TemplateFileTest, LoadsTheSubGraphMetadataAndAdjectives)
{
    VyxNodeGraph source;
    KelNodes::NodeGraph* effect = addEffect(source, QStringLiteral("Glow"));
    ASSERT_TRUE(writeTemplateFile(m_path, source, {effect}, &m_metadata));

    KelTemplate record(m_path);
    VyxNodeGraph target;
    int code = 99;
    KelNodes::NodeGraph* graph = record.loadNodeGraphFromFile(&target, true, false, true, &code);
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(target.nodes(), QList<KelNodes::Node*>({graph}));
    EXPECT_EQ(graph->nodes().size(), 1);
    EXPECT_EQ(graph->uid(), effect->uid());
    // The name comes from the sub-graph, not from the element.
    EXPECT_EQ(record.name(), QStringLiteral("Glow"));
    EXPECT_TRUE(record.graphLoaded());
    EXPECT_EQ(record.uuid(), m_uuid);
    EXPECT_EQ(record.createdBy(), QStringLiteral("Ada"));
    ASSERT_EQ(record.adjectives().size(), 1);
    EXPECT_EQ(record.adjectives().first()->name(), QStringLiteral("Strength"));
}

TEST_F(TemplateFileTest, StrayTopLevelNodesAreRemoved)
{
    VyxNodeGraph source;
    KelNodes::Node* stray = source.addNode(kSineType, -1);
    KelNodes::NodeGraph* first = addEffect(source, QStringLiteral("First"));
    KelNodes::NodeGraph* last = addEffect(source, QStringLiteral("Last"));
    ASSERT_TRUE(writeTemplateFile(m_path, source, {stray, first, last}, &m_metadata));

    KelTemplate record(m_path);
    VyxNodeGraph target;
    KelNodes::Node* existing = target.addNode(kSineType, -1);
    KelNodes::NodeGraph* graph = record.loadNodeGraphFromFile(&target, true, false, false);
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->name(), QStringLiteral("Last"));
    EXPECT_EQ(record.name(), QStringLiteral("Last"));
    EXPECT_EQ(target.nodes(), QList<KelNodes::Node*>({existing, graph}));
}

TEST_F(TemplateFileTest, FileWhoseLastNodeIsNoGraphLeavesGraphAndRecordUntouched)
{
    VyxNodeGraph source;
    KelNodes::NodeGraph* effect = addEffect(source, QStringLiteral("Effect"));
    KelNodes::Node* plain = source.addNode(kSineType, -1);
    ASSERT_TRUE(writeTemplateFile(m_path, source, {effect, plain}, nullptr));
    // The template element sits in the ordinary node here.
    QString const onlyPlain = StoragePaths::objectTemplatePath(QUuid::createUuid().toString());
    ASSERT_TRUE(writeTemplateFile(onlyPlain, source, {plain}, &m_metadata));

    for (QString const& path : {m_path, onlyPlain}) {
        KelTemplate record(path);
        VyxNodeGraph target;
        int code = 0;
        EXPECT_EQ(record.loadNodeGraphFromFile(&target, true, false, true, &code), nullptr);
        EXPECT_EQ(code, -2);
        EXPECT_TRUE(target.nodes().isEmpty());
        EXPECT_FALSE(record.graphLoaded());
        EXPECT_TRUE(record.name().isEmpty());
        EXPECT_TRUE(record.uuid().isEmpty());
        EXPECT_TRUE(record.adjectives().isEmpty());
    }
}

TEST_F(TemplateFileTest, UnknownNodeTypeLoadsTheRestAndReportsIt)
{
    VyxNodeGraph source;
    KelNodes::NodeGraph* effect = addEffect(source, QStringLiteral("Glow"));
    effect->addNode(kSineType, -1);
    ASSERT_TRUE(writeTemplateFile(m_path, source, {effect}, &m_metadata, [](QString text) {
        int const at = text.indexOf(kSineUuid, 0, Qt::CaseInsensitive);
        return at < 0 ? text : text.replace(at, kSineUuid.size(), QUuid::createUuid().toString(QUuid::WithoutBraces));
    }));

    KelTemplate record(m_path);
    VyxNodeGraph target;
    int code = 0;
    KelNodes::NodeGraph* graph = record.loadNodeGraphFromFile(&target, true, false, true, &code);
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(code, -1);
    EXPECT_EQ(graph->nodes().size(), 1);
    EXPECT_TRUE(record.graphLoaded());
}

TEST_F(TemplateFileTest, UnreadableFilesGiveNullAndChangeNothing)
{
    QString const folder = m_home.storageRoot() + QStringLiteral("/templates/lumora/");
    auto write = [&](QString const& name, QByteArray const& bytes) {
        QFile file(folder + name);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return folder + name;
    };
    QStringList const paths = {
        folder + QStringLiteral("missing"),
        folder + QStringLiteral("icons"), // a folder
        write(QStringLiteral("empty"), QByteArray()),
        write(QStringLiteral("broken"), "<graph><nodes><unclosed></graph>"),
        write(QStringLiteral("binary"), QByteArray("\x00\xff\xfe garbage", 12)),
        write(QStringLiteral("notgraph"), "<template name=\"//4=\"/>"),
        write(QStringLiteral("emptygraph"), "<graph><nodes/></graph>"),
        write(QStringLiteral("badsection"),
              "<graph><nodes><x name=\"a\"/></nodes><connections><connection node_uid1=\"1\"/>"
              "</connections></graph>"),
        QString(),
    };
    for (QString const& path : paths) {
        KelTemplate record(path);
        record.setName(QStringLiteral("before"));
        VyxNodeGraph target;
        int code = 0;
        EXPECT_EQ(record.loadNodeGraphFromFile(&target, true, false, true, &code), nullptr)
            << path.toStdString();
        EXPECT_EQ(code, -2);
        EXPECT_EQ(record.name(), QStringLiteral("before"));
        EXPECT_FALSE(record.graphLoaded());
        EXPECT_TRUE(record.adjectives().isEmpty());
        EXPECT_TRUE(target.nodes().isEmpty());
    }
    KelTemplate record(m_path);
    EXPECT_EQ(record.loadNodeGraphFromFile(nullptr, true, false, true), nullptr);
}
