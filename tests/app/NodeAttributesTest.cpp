#include "AppTestSupport.h"
#include "CoreTestGraphs.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TwNodeGraphIOCallbacks.h"
#include "effects/VyxNodeGraph.h"

#include <QDomDocument>
#include <QDomElement>

#include <gtest/gtest.h>

#include <memory>

using namespace CoreTest;
using KelVyxNodes::VyxNodeGraph;

namespace {

QDomElement findSection(QDomElement const& from, int uid)
{
    for (QDomElement child = from.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (child.hasAttribute(QStringLiteral("uid"))
            && child.attribute(QStringLiteral("uid")).toInt() == uid)
            return child;
        QDomElement found = findSection(child, uid);
        if (!found.isNull())
            return found;
    }
    return QDomElement();
}

int countElements(QDomElement const& from, QString const& tag)
{
    int n = 0;
    for (QDomElement child = from.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (child.tagName() == tag)
            ++n;
        n += countElements(child, tag);
    }
    return n;
}

QMap<QString, QVariant>& settings(KelNodes::Node* node)
{
    return node->paramContainer()->auxData();
}

class NodeAttributesTest : public ::testing::Test
{
protected:
    NodeAttributesTest()
    {
        effect = addEffect(&root);
        node = effect->addNode(QStringLiteral("operator.grayscale"), -1);
    }

    // The whole root graph as a document, with or without the hooks.
    std::unique_ptr<QDomDocument> store(bool hooks, bool storeTemplate = false)
    {
        TwNodeGraphIOCallbacks callbacks(nullptr, storeTemplate);
        std::unique_ptr<TwNodeGraphIOCallbacks::Scope> scope;
        if (hooks)
            scope = std::make_unique<TwNodeGraphIOCallbacks::Scope>(&root, &callbacks, true, false);
        return std::unique_ptr<QDomDocument>(root.store(root.nodes(), hooks, false, false));
    }

    // Loads the document into a fresh graph with the load hook; returns the graph.
    std::unique_ptr<VyxNodeGraph> load(QDomDocument const& document)
    {
        auto target = std::make_unique<VyxNodeGraph>(nullptr);
        TwNodeGraphIOCallbacks callbacks(nullptr, false);
        TwNodeGraphIOCallbacks::Scope scope(target.get(), &callbacks, false, true);
        EXPECT_EQ(target->load(document.documentElement(), true, KelNodes::LoadAllConnections), 0);
        return target;
    }

    VyxNodeGraph root;
    VyxNodeGraph* effect = nullptr;
    KelNodes::Node* node = nullptr;
};

TEST_F(NodeAttributesTest, NodesWithoutEditorStateStoreExactlyAsWithoutHooks)
{
    EXPECT_EQ(store(true)->toString(4), store(false)->toString(4));
}

TEST_F(NodeAttributesTest, EveryAttributeIsWrittenInItsFormAndReadBackAsText)
{
    settings(node).insert(QStringLiteral("hasCustomNodeColor"), true);
    settings(node).insert(QStringLiteral("customNodeColor"), QStringLiteral("#12ab9f"));
    settings(node).insert(QStringLiteral("posX"), 10.25);
    settings(node).insert(QStringLiteral("posY"), -3.1);
    settings(node).insert(QStringLiteral("previewIsExpanded"), QStringLiteral("true"));
    settings(node).insert(QStringLiteral("terminalsAreExpanded"), 0);
    settings(effect).insert(QStringLiteral("basedOnTemplateUuid"),
                            QStringLiteral("{6f1c4c52-3d35-4b4b-a7c4-5f6d2b9a0c11}"));
    settings(effect).insert(QStringLiteral("posX"), 1e-7);
    settings(&root).insert(QStringLiteral("posY"), 4.0);

    auto document = store(true);
    QDomElement section = findSection(document->documentElement(), node->uid());
    ASSERT_FALSE(section.isNull());
    EXPECT_EQ(section.attribute(QStringLiteral("hasCustomNodeColor")), QStringLiteral("1"));
    EXPECT_EQ(section.attribute(QStringLiteral("posY")).toDouble(), -3.1);
    EXPECT_EQ(section.attribute(QStringLiteral("previewIsExpanded")), QStringLiteral("1"));
    EXPECT_EQ(section.attribute(QStringLiteral("terminalsAreExpanded")), QStringLiteral("0"));
    EXPECT_FALSE(section.hasAttribute(QStringLiteral("basedOnTemplateUuid")));
    EXPECT_FALSE(section.hasAttribute(QStringLiteral("objectEditor_posX")));

    QDomElement graphSection = findSection(document->documentElement(), effect->uid());
    EXPECT_EQ(graphSection.attribute(QStringLiteral("basedOnTemplateUuid")),
              QStringLiteral("{6f1c4c52-3d35-4b4b-a7c4-5f6d2b9a0c11}"));
    EXPECT_EQ(graphSection.attribute(QStringLiteral("posX")).toDouble(), 1e-7);
    // The top-level graph's own state sits on the root element.
    EXPECT_EQ(document->documentElement().attribute(QStringLiteral("posY")), QStringLiteral("4"));

    auto loaded = load(*document);
    KelNodes::Node* copy = loaded->findNode(node->uid(), true);
    KelNodes::Node* copyGraph = loaded->findNode(effect->uid(), true);
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copyGraph, nullptr);
    QMap<QString, QVariant> const& map = settings(copy);
    EXPECT_EQ(map.value(QStringLiteral("hasCustomNodeColor")), QVariant(QStringLiteral("1")));
    EXPECT_EQ(map.value(QStringLiteral("customNodeColor")), QVariant(QStringLiteral("#12ab9f")));
    EXPECT_EQ(map.value(QStringLiteral("posY")).toDouble(), -3.1);
    EXPECT_TRUE(map.value(QStringLiteral("previewIsExpanded")).toBool());
    EXPECT_FALSE(map.value(QStringLiteral("terminalsAreExpanded")).toBool());
    for (QVariant const& value : map)
        EXPECT_EQ(value.typeId(), QMetaType::QString);
    EXPECT_EQ(settings(copyGraph).value(QStringLiteral("basedOnTemplateUuid")).toString(),
              QStringLiteral("{6f1c4c52-3d35-4b4b-a7c4-5f6d2b9a0c11}"));
    EXPECT_EQ(settings(copyGraph).value(QStringLiteral("posX")).toDouble(), 1e-7);
    EXPECT_EQ(settings(loaded.get()).value(QStringLiteral("posY")), QVariant(QStringLiteral("4")));
}

TEST_F(NodeAttributesTest, LegacyPositionsWinOverCurrentOnes)
{
    settings(node).insert(QStringLiteral("posX"), 10.0);
    auto document = store(true);
    QDomElement section = findSection(document->documentElement(), node->uid());
    section.setAttribute(QStringLiteral("objectEditor_posX"), QStringLiteral("20"));
    QDomElement graphSection = findSection(document->documentElement(), effect->uid());
    graphSection.setAttribute(QStringLiteral("objectEditor_posY"), QStringLiteral("7.5"));

    auto loaded = load(*document);
    EXPECT_EQ(settings(loaded->findNode(node->uid(), true)).value(QStringLiteral("posX")),
              QVariant(QStringLiteral("20")));
    QMap<QString, QVariant> const& graphMap = settings(loaded->findNode(effect->uid(), true));
    EXPECT_EQ(graphMap.value(QStringLiteral("posY")), QVariant(QStringLiteral("7.5")));
    EXPECT_FALSE(graphMap.contains(QStringLiteral("posX")));
    EXPECT_FALSE(graphMap.contains(QStringLiteral("objectEditor_posY")));
}

TEST_F(NodeAttributesTest, TemplateElementOnlyWithTheFlagAndOnlyInTheObjectsGraph)
{
    KelNGObject object(effect);
    auto* record = new KelTemplate;
    record->setName(QStringLiteral("Inverter"));
    record->setUuid(QStringLiteral("{0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d}"));
    object.setObjectTemplate(record);

    auto without = store(true, false);
    EXPECT_EQ(countElements(without->documentElement(), QStringLiteral("template")), 0);

    auto with = store(true, true);
    EXPECT_EQ(countElements(with->documentElement(), QStringLiteral("template")), 1);
    QDomElement graphSection = findSection(with->documentElement(), effect->uid());
    QDomElement templateElement = graphSection.firstChildElement(QStringLiteral("template"));
    ASSERT_FALSE(templateElement.isNull());
    EXPECT_EQ(KelTemplate::fromBase64(templateElement.attribute(QStringLiteral("name"))),
              QStringLiteral("Inverter"));
    EXPECT_TRUE(with->documentElement().firstChildElement(QStringLiteral("template")).isNull());
    EXPECT_TRUE(findSection(with->documentElement(), node->uid())
                    .firstChildElement(QStringLiteral("template")).isNull());
}

} // namespace
