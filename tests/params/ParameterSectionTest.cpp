#include "params/ColorParameter.h"
#include "params/ImageParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"
#include "params/StringParameter.h"

#include <gtest/gtest.h>

#include <QDomDocument>
#include <QStringList>
#include <QTemporaryFile>

#include <array>

using namespace KelUtils;

namespace {

// A node-like container: "basic" (active) with mixed kinds and "extra" (inactive).
struct SampleNode
{
    explicit SampleNode(QString const& name = QStringLiteral("test.node"))
        : container(name, QString())
    {
        const ListItem items[] = {{3, QStringLiteral("Three")}, {7, QStringLiteral("Seven")}};
        speed = new NumGroupParameter<float>(QStringLiteral("speed"), QString(), &container,
                                             nullptr, 1, 0.0f, 10.0f, 1.0f, true, 1);
        size = new NumGroupParameter<int>(QStringLiteral("size"), QString(), &container, nullptr,
                                          2, 0, 100, 5, true, 1);
        tint = new ColorParameter(QStringLiteral("tint"), QString(), &container, nullptr, 1);
        tint->setValue(Color(0.5f, 0.5f, 0.5f, 1.0f));
        mode = new ListParameter(QStringLiteral("mode"), QString(), &container, nullptr, items, 2,
                                 7, 1);
        label = new StringParameter(QStringLiteral("label"), QString(), &container, nullptr,
                                    false, 1);
        path = new StringParameter(QStringLiteral("path"), QString(), &container, nullptr, true, 1);
        gain = new NumGroupParameter<float>(QStringLiteral("gain"), QString(), &container,
                                            nullptr, 1, -1.0f, 1.0f, 0.0f, true, 1);
        container.paramLists().append(
            ParameterList{QStringLiteral("basic"), true, {speed, size, tint, mode, label, path}});
        container.paramLists().append(ParameterList{QStringLiteral("extra"), false, {gain}});
    }

    ParameterContainer container;
    NumGroupParameter<float>* speed;
    NumGroupParameter<int>* size;
    ColorParameter* tint;
    ListParameter* mode;
    StringParameter* label;
    StringParameter* path;
    NumGroupParameter<float>* gain;
};

QDomElement storeSection(ParameterContainer const& container, QDomDocument& document,
                         bool embed = false)
{
    QDomElement root = document.createElement(QStringLiteral("root"));
    document.appendChild(root);
    EXPECT_EQ(container.storeState(document, root, false, embed), 0);
    return root.lastChildElement();
}

QDomElement parseSection(QString const& xml, QDomDocument& document)
{
    EXPECT_TRUE(bool(document.setContent(xml)));
    return document.documentElement();
}

QStringList childTags(QDomElement const& element)
{
    QStringList tags;
    for (QDomElement e = element.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        tags.append(e.tagName());
    return tags;
}

// Counts end-of-load calls (no parameter) and reads "speed" by name from inside them.
struct EndOfLoadReader
{
    ParameterContainer* container;
    int nullCalls = 0;
    int otherCalls = 0;
    float seen = -1.0f;
    static void read(IParameterContainer*, Parameter* parameter, void* data)
    {
        auto* self = static_cast<EndOfLoadReader*>(data);
        if (parameter) {
            ++self->otherCalls;
            return;
        }
        ++self->nullCalls;
        self->seen = self->container->getFloatParam(QStringLiteral("speed"));
    }
};

} // namespace

TEST(ParameterSection, RoundTripRestoresValuesKeysFramesAndListFlags)
{
    SampleNode source;
    source.speed->setValue(2.0f);
    source.speed->setKeyframeAt(0);
    source.speed->setKeyframeAt(10, std::array<float, 1>{6.0f}.data());
    source.size->setValues(std::array<int, 2>{11, 12}.data(), -1);
    source.tint->setKeyframeAt(4, Color(2.0f, 0.0f, 0.25f, 0.5f));
    source.mode->setValue(3);
    source.label->setValue(QStringLiteral("Grüße ✓"));
    source.gain->setValue(-0.5f);
    source.speed->setDisplayFlags(5);
    source.container.paramLists()[1].active = true;
    ASSERT_EQ(source.container.setCurrentFrame(5), 0);

    QDomDocument document;
    const QDomElement section = storeSection(source.container, document);
    EXPECT_EQ(section.tagName(), QStringLiteral("test.node"));

    SampleNode target;
    ASSERT_EQ(target.container.loadState(section), 0);
    EXPECT_EQ(target.container.currentFrame(), 5);
    EXPECT_FLOAT_EQ(target.speed->value(0), 4.0f); // halfway between the keys at 0 and 10
    EXPECT_EQ(target.speed->keyframes(), (QList<int>{0, 10}));
    EXPECT_EQ(target.speed->displayFlags(), 5);
    EXPECT_EQ(target.size->value(0), 11);
    EXPECT_EQ(target.size->value(1), 12);
    EXPECT_EQ(target.tint->keyframes(), QList<int>{4});
    EXPECT_EQ(target.tint->value(), Color(2.0f, 0.0f, 0.25f, 0.5f));
    EXPECT_EQ(target.mode->value(), 3);
    EXPECT_EQ(target.label->value(), QStringLiteral("Grüße ✓"));
    EXPECT_FLOAT_EQ(target.gain->value(0), -0.5f);
    EXPECT_TRUE(target.container.paramLists()[1].active);

    // Storing the loaded container gives the same section.
    QDomDocument again;
    EXPECT_EQ(storeSection(target.container, again).ownerDocument().toString(), document.toString());
}

TEST(ParameterSection, LayoutKeyframesThenParamsetsThenDataThenCustom)
{
    SampleNode node;
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write("payload bytes");
    file.flush();
    node.path->setValue(file.fileName());

    struct Writer
    {
        static void write(IParameterContainer* container, QDomElement& element, void* data)
        {
            element.setAttribute(QStringLiteral("by"), *static_cast<QString*>(data));
            element.setAttribute(QStringLiteral("of"), container->name());
        }
    };
    QString first = QStringLiteral("first"), second = QStringLiteral("second");
    node.container.storeCallbacks().append({&Writer::write, &first});
    node.container.storeCallbacks().append({nullptr, &first}); // writes no element
    node.container.storeCallbacks().append({&Writer::write, &second});
    node.container.setCurrentFrame(3);

    QDomDocument document;
    const QDomElement section = storeSection(node.container, document, true);
    EXPECT_EQ(childTags(section),
              (QStringList{QStringLiteral("keyframes"), QStringLiteral("paramset"),
                           QStringLiteral("paramset"), QStringLiteral("data"),
                           QStringLiteral("custom"), QStringLiteral("custom")}));
    EXPECT_EQ(section.firstChildElement(QStringLiteral("keyframes")).attribute(QStringLiteral("curr_frame")),
              QStringLiteral("3"));
    const QDomElement basic = section.firstChildElement(QStringLiteral("paramset"));
    EXPECT_EQ(basic.attribute(QStringLiteral("active")), QStringLiteral("1"));
    EXPECT_EQ(basic.nextSiblingElement(QStringLiteral("paramset")).attribute(QStringLiteral("active")),
              QStringLiteral("0"));
    const QDomElement custom = section.firstChildElement(QStringLiteral("custom"));
    EXPECT_EQ(custom.attribute(QStringLiteral("by")), QStringLiteral("first"));
    EXPECT_EQ(custom.attribute(QStringLiteral("of")), QStringLiteral("test.node"));
    EXPECT_EQ(custom.nextSiblingElement().attribute(QStringLiteral("by")), QStringLiteral("second"));

    // The embedded file comes back as the string's data; the custom elements are not read.
    SampleNode target;
    target.container.loadState(section);
    ASSERT_NE(target.path->embeddedData(), nullptr);
    EXPECT_EQ(*target.path->embeddedData(), QByteArray("payload bytes"));
    EXPECT_EQ(target.path->value(), file.fileName());

    // At frame 0, without embedding, only the paramsets are written.
    SampleNode plain;
    QDomDocument plainDocument;
    EXPECT_EQ(childTags(storeSection(plain.container, plainDocument)),
              (QStringList{QStringLiteral("paramset"), QStringLiteral("paramset")}));
}

TEST(ParameterSection, LoadSetsTheFrameFromTheLastValidKeyframesElement)
{
    SampleNode node;
    node.container.setCurrentFrame(8);
    QDomDocument document;
    node.container.loadState(parseSection(QStringLiteral("<test.node/>"), document));
    EXPECT_EQ(node.container.currentFrame(), 0);

    node.container.loadState(parseSection(QStringLiteral(
        "<test.node><keyframes curr_frame='3'/><keyframes curr_frame='9'/>"
        "<keyframes curr_frame=''/><keyframes/></test.node>"), document));
    EXPECT_EQ(node.container.currentFrame(), 9);

    // Frames the container does not have count as absent.
    for (QString const& frame : {QStringLiteral("-4"), QStringLiteral("100"), QStringLiteral("1e9"),
                                 QStringLiteral("99999999999")}) {
        node.container.loadState(parseSection(
            QStringLiteral("<test.node><keyframes curr_frame='%1'/></test.node>").arg(frame), document));
        EXPECT_EQ(node.container.currentFrame(), 0) << frame.toStdString();
    }
}

TEST(ParameterSection, EveryCallbackRunsOnceAtTheEndOfALoadEvenWhenBlocked)
{
    SampleNode node;
    EndOfLoadReader first{&node.container}, second{&node.container};
    node.container.paramCallbacks().append({&EndOfLoadReader::read, &first});
    node.container.paramCallbacks().append({nullptr, nullptr});
    node.container.paramCallbacks().append({&EndOfLoadReader::read, &second});

    QDomDocument document;
    node.container.loadState(parseSection(QStringLiteral(
        "<test.node><paramset name='basic'><param name='speed' value='7.5'/></paramset></test.node>"),
        document));
    EXPECT_EQ(first.nullCalls, 1);
    EXPECT_EQ(second.nullCalls, 1);
    EXPECT_EQ(first.otherCalls, 0);
    EXPECT_FLOAT_EQ(first.seen, 7.5f); // by-name reads work inside the callback

    node.container.blockSignals(true);
    node.container.loadState(parseSection(QStringLiteral("<test.node/>"), document));
    EXPECT_EQ(first.nullCalls, 2);
    node.container.blockSignals(false);
    EXPECT_EQ(first.otherCalls, 0);
}

TEST(ParameterSection, UnmatchedAndMalformedPartsAreSkippedTheRestLoads)
{
    SampleNode node;
    node.container.paramLists()[1].active = true;
    QDomDocument document;
    const QDomElement section = parseSection(QStringLiteral(
        "<test.node>"
        "  some text <!-- a comment --><?pi data?>"
        "  <unknown name='speed' value='9'/>"
        "  <paramset><param name='speed' value='9'/></paramset>"
        "  <paramset name=''><param name='speed' value='9'/></paramset>"
        "  <paramset name='nosuchlist'><param name='speed' value='9'/></paramset>"
        "  <paramset name='basic'>"
        "    <param value='9'/>"
        "    <param name='spe' value='9'/>"
        "    <param name='nosuchparam' value='9'/>"
        "    <anything name='size' value0='21' value1='22'/>"
        "    <param name='mode' value='12345'/>"
        "    <param name='label' value='@@@'/>"
        "    text <!-- comment -->"
        "  </paramset>"
        "  <paramset name='extra'><param name='gain' value='0.25'/></paramset>"
        "  <data>AAAA</data><data owner='nobody'>AAAA</data><data owner='path'>%%%</data>"
        "  <custom anything='1'/>"
        "</test.node>"), document);
    ASSERT_EQ(node.container.loadState(section), 0);

    EXPECT_FLOAT_EQ(node.speed->value(0), 1.0f); // no paramset with a usable name set it
    EXPECT_EQ(node.size->value(0), 21);          // any tag counts inside a paramset
    EXPECT_EQ(node.size->value(1), 22);
    EXPECT_EQ(node.mode->value(), 7);            // the stored id names no item
    EXPECT_FLOAT_EQ(node.gain->value(0), 0.25f);
    EXPECT_TRUE(node.container.paramLists()[1].active); // no "active": flag kept
    ASSERT_NE(node.path->embeddedData(), nullptr);
    EXPECT_TRUE(node.path->embeddedData()->isEmpty());

    // "active" 0 clears the flag.
    node.container.loadState(parseSection(
        QStringLiteral("<test.node><paramset name='extra' active='0'/></test.node>"), document));
    EXPECT_FALSE(node.container.paramLists()[1].active);
}

