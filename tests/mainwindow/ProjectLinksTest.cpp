// A project whose effects nest Chromatic Aberration and read the picture across their levels, as
// moving a node into an inner effect leaves it, opens and renders what the node's formula gives.
// A project linking a node inside an effect to the project's own picture node, which the chain
// of effects would cut, is refused at open with the reason, and the open project stays. A file
// naming two links from an inner effect's output opens with the one named last and renders,
// and saves, what it holds.

#include "MainWindowFixture.h"
#include "MessageBoxes.h"

#include "app/KelNGObject.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "browser/ImageView.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/Terminal.h"
#include "params/ParameterContainer.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QImage>

#include <algorithm>

namespace MainWindowTest {
namespace {

using KelVyxNodes::VyxNodeGraph;

// Every pixel differs, and the sums of the channels reach far enough for shifts of several
// pixels.
QImage linksPicture()
{
    QImage image(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(4 * x, 5 * y, 2 * (x + y)));
    }
    return image;
}

// A coordinate moved by o: single precision, truncated, held inside 0..side - 1.
int shifted(int coordinate, float o, int side)
{
    const float v = static_cast<float>(coordinate) + o;
    if (!(v >= 1.0f))
        return 0;
    return v >= static_cast<float>(side) ? side - 1 : static_cast<int>(v);
}

// Chromatic Aberration of `in` with "aber" linked to `aber`: red stays; green comes from the
// point moved by o down and right, blue from the point moved by o up and left, where
// o = (red + green + blue of aber) x strength x 0.05 x 0.002.
QImage aberrationOf(QImage const& in, QImage const& aber, int strength)
{
    QImage out(in.size(), QImage::Format_RGB32);
    const float factor = static_cast<float>(strength) * 0.05f;
    for (int y = 0; y < in.height(); ++y) {
        for (int x = 0; x < in.width(); ++x) {
            const QRgb a = aber.pixel(x, y);
            const float o = (static_cast<float>(qRed(a) + qGreen(a) + qBlue(a)) * factor) * 0.002f;
            const QRgb green = in.pixel(shifted(x, o, in.width()), shifted(y, o, in.height()));
            const QRgb blue = in.pixel(shifted(x, -o, in.width()), shifted(y, -o, in.height()));
            out.setPixel(x, y, qRgb(qRed(in.pixel(x, y)), qGreen(green), qBlue(blue)));
        }
    }
    return out;
}

class ProjectLinks : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        const QString path = dir.filePath(QStringLiteral("picture.png"));
        ASSERT_TRUE(linksPicture().save(path));
        window->imageChangedInBrowser(path);
        settle();
    }

    static KelNodes::Node* addAberration(VyxNodeGraph* graph, int strength)
    {
        KelNodes::Node* node = graph->addNode(QStringLiteral("operator.chromaaber"), -1);
        EXPECT_NE(node, nullptr);
        if (node)
            EXPECT_EQ(node->paramContainer()->setIntParam(QStringLiteral("strength"), strength), 0);
        return node;
    }
    static void link(KelNodes::Node* from, char const* out, KelNodes::Node* to, char const* in)
    {
        EXPECT_EQ(from->connect(QLatin1String(out), to, QLatin1String(in)), 0) << out << " -> " << in;
    }
    static void unlinkInput(KelNodes::Node* node, char const* in)
    {
        node->getTerminal(QLatin1String(in))->disconnectAll();
    }

    // The effect "Nest": Chromatic Aberration (strength 20) of its picture, into an inner effect
    // holding Chromatic Aberration (strength 60) of what it is fed; the inner node's "aber"
    // reads the effect's picture from the level above. With `fromProject`, the inner node reads
    // its "in" and "aber" from the project's picture node instead. Saved as `name`.
    QString saveNest(QString const& name, bool fromProject)
    {
        core()->cancelRender();
        VyxNodeGraph* nest = core()->rootGraph()->addSubGraph(-1);
        nest->setName(QStringLiteral("Nest"));
        nest->setUp(core()->sourceImage(), nullptr, nullptr, false);
        VyxNodeGraph* inner = nest->addSubGraph(-1);
        inner->setUp(core()->sourceImage(), nullptr, nullptr, false);
        KelNodes::Node* outerNode = addAberration(nest, 20);
        KelNodes::Node* innerNode = addAberration(inner, 60);
        link(nest->sourceNode(), "rgb", outerNode, "in");
        link(nest->sourceNode(), "rgb", outerNode, "aber");
        link(outerNode, "out", inner, "rgbIn");
        unlinkInput(inner->destinationNode(), "rgb");
        link(innerNode, "out", inner->destinationNode(), "rgb");
        unlinkInput(nest->destinationNode(), "rgb");
        link(inner, "rgbOut", nest->destinationNode(), "rgb");
        if (!fromProject) {
            link(inner->sourceNode(), "rgb", innerNode, "in");
            link(nest->sourceNode(), "rgb", innerNode, "aber");
        }
        core()->addObjectFromNodeGraph(nest);
        settle();
        if (fromProject) {
            // After the window chained its effects, which keeps no such link.
            core()->cancelRender();
            link(core()->rootGraph()->sourceNode(), "rgb", innerNode, "in");
            link(core()->rootGraph()->sourceNode(), "rgb", innerNode, "aber");
        }
        QString path = dir.filePath(name);
        EXPECT_TRUE(window->saveNodeGraph(core()->rootGraph(), path));
        discardProject();
        return path;
    }
};

TEST_F(ProjectLinks, ANestReadingItsEffectsPictureAcrossLevelsRendersTheNodesFormula)
{
    QString path = saveNest(QStringLiteral("nest.vyxsg"), false);
    MessageBoxes none({});
    window->openNodeGraph(core()->rootGraph(), path);
    settle();
    EXPECT_EQ(none.texts, QStringList());
    ASSERT_TRUE(core()->renderer()->completedSucceeded()) << window->imageView()->message().toStdString();
    EXPECT_EQ(window->imageView()->message(), QString());

    const QImage source = linksPicture();
    const QImage expected = aberrationOf(aberrationOf(source, source, 20), source, 60);
    const QImage result = core()->resultImage()->convertToFormat(QImage::Format_RGB32);
    // Worked out by hand at two points: (30, 20) is (120, 100, 100), sum 320; the outer node
    // moves by 0.64 (green from (30, 20), blue from (29, 19): 96), the inner by 1.92 (green
    // from (31, 21): 105, blue from (28, 18) of the outer's output, whose blue there comes from
    // (27, 17): 88).
    EXPECT_EQ(expected.pixel(30, 20), qRgb(120, 105, 88));
    EXPECT_EQ(result.pixel(30, 20), qRgb(120, 105, 88));
    int differing = 0;
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x)
            differing += result.pixel(x, y) != expected.pixel(x, y);
    }
    EXPECT_EQ(differing, 0);
    EXPECT_NE(result, source) << "the nest changed the picture";
}

TEST_F(ProjectLinks, ANodeInsideAnEffectLinkedToTheProjectsPictureIsRefusedAtOpenWithTheReason)
{
    QString refused = saveNest(QStringLiteral("shared.vyxsg"), true);
    addInversion(QStringLiteral("Kept"));
    QString kept = dir.filePath(QStringLiteral("kept.vyxsg"));
    ASSERT_TRUE(window->saveNodeGraph(core()->rootGraph(), kept));
    const QImage keptResult = *core()->resultImage();

    MessageBoxes answers({QMessageBox::Ok});
    window->openNodeGraph(core()->rootGraph(), refused);
    settle();
    ASSERT_EQ(answers.texts.size(), 1);
    EXPECT_EQ(answers.texts.first().toStdString(),
              QStringLiteral("The project \"%1\" could not be opened:\nIts node \"Chromatic Aberration\" inside the "
                             "effect \"Nest\" is linked to \"Original Image\" outside that effect. The effects of a "
                             "project are linked only one after another, each taking the picture the one before it "
                             "gives: that link would be lost.")
                  .arg(QDir::toNativeSeparators(refused))
                  .toStdString());
    EXPECT_EQ(objectNames(), QStringList{QStringLiteral("Kept")});
    EXPECT_EQ(core()->projectName(), kept);
    EXPECT_FALSE(core()->isModified());
    ASSERT_TRUE(core()->renderer()->completedSucceeded());
    EXPECT_EQ(*core()->resultImage(), keptResult);
}

// The effect named `name` anywhere in `graph`.
VyxNodeGraph* effectNamed(KelNodes::NodeGraph const* graph, QString const& name)
{
    for (KelNodes::Node* node : graph->nodes()) {
        auto* effect = dynamic_cast<VyxNodeGraph*>(node);
        if (!effect)
            continue;
        if (effect->name() == name)
            return effect;
        if (VyxNodeGraph* inside = effectNamed(effect, name))
            return inside;
    }
    return nullptr;
}

// The links a project file names from the effect `from`'s output `out` to the node `to`: the
// input at the other end of each, in the order named.
QStringList namedLinks(QDomDocument const& document, int from, QString const& out, int to)
{
    QStringList inputs;
    QDomNodeList all = document.elementsByTagName(QStringLiteral("connection"));
    for (int i = 0; i < all.size(); ++i) {
        const QDomElement c = all.at(i).toElement();
        for (int end : {1, 2}) {
            const QString own = QString::number(end);
            const QString peer = QString::number(3 - end);
            if (c.attribute(QStringLiteral("node_uid") + own).toInt() == from
                && c.attribute(QStringLiteral("terminal") + own) == out
                && c.attribute(QStringLiteral("node_uid") + peer).toInt() == to)
                inputs << c.attribute(QStringLiteral("terminal") + peer);
        }
    }
    return inputs;
}

QDomDocument readDocument(QString const& path)
{
    QDomDocument document;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        document.setContent(file.readAll());
    return document;
}

// The effect "Nest" holds "Inner" (an inversion) and a Max reading Inner on "rgbIn2". A file
// naming a second link, Inner to "rgbIn1" ahead of it, opens with the one named last (an
// effect's output keeps one link): the Max's "rgbIn1" reads its own mid grey, the picture of the
// project made with the one link, and a save writes that one link.
TEST_F(ProjectLinks, AFileNamingTwoLinksFromAnInnerEffectsOutputOpensWithTheOneNamedLast)
{
    core()->cancelRender();
    VyxNodeGraph* nest = core()->rootGraph()->addSubGraph(-1);
    nest->setName(QStringLiteral("Nest"));
    nest->setUp(core()->sourceImage(), nullptr, nullptr, false);
    VyxNodeGraph* inner = nest->addSubGraph(-1);
    inner->setName(QStringLiteral("Inner"));
    inner->setUp(core()->sourceImage(), nullptr, nullptr, false);
    KelNodes::Node* inversion = inner->addNode(QStringLiteral("operator.inversion"), -1);
    KelNodes::Node* max = nest->addNode(QStringLiteral("operator.Maths.max"), -1);
    ASSERT_TRUE(inversion && max);
    link(nest->sourceNode(), "rgb", inner, "rgbIn");
    link(inner->sourceNode(), "rgb", inversion, "inRgb");
    unlinkInput(inner->destinationNode(), "rgb");
    link(inversion, "outRgb", inner->destinationNode(), "rgb");
    link(inner, "rgbOut", max, "rgbIn2");
    unlinkInput(nest->destinationNode(), "rgb");
    link(max, "rgbOut", nest->destinationNode(), "rgb");
    core()->addObjectFromNodeGraph(nest);
    settle();
    const int innerUid = inner->uid();
    const int maxUid = max->uid();

    // max(inverted, mid grey) on every channel.
    QImage expected = linksPicture();
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb p = expected.pixel(x, y);
            expected.setPixel(x, y, qRgb(std::max(255 - qRed(p), 128), std::max(255 - qGreen(p), 128),
                                         std::max(255 - qBlue(p), 128)));
        }
    }
    auto expectOneLinkRendered = [&](char const* when) {
        ASSERT_TRUE(core()->renderer()->completedSucceeded()) << when << window->imageView()->message().toStdString();
        EXPECT_EQ(window->imageView()->message(), QString()) << when;
        const QImage result = core()->resultImage()->convertToFormat(QImage::Format_RGB32);
        int differing = 0;
        for (int y = 0; y < result.height(); ++y) {
            for (int x = 0; x < result.width(); ++x)
                differing += result.pixel(x, y) != expected.pixel(x, y);
        }
        EXPECT_EQ(differing, 0) << when;
    };
    expectOneLinkRendered("made");
    QString once = dir.filePath(QStringLiteral("once.vyxsg"));
    ASSERT_TRUE(window->saveNodeGraph(core()->rootGraph(), once));
    discardProject();

    QDomDocument document = readDocument(once);
    ASSERT_EQ(namedLinks(document, innerUid, QStringLiteral("rgbOut"), maxUid), QStringList{QStringLiteral("rgbIn2")});
    QDomElement named;
    QDomNodeList all = document.elementsByTagName(QStringLiteral("connection"));
    for (int i = 0; i < all.size() && named.isNull(); ++i) {
        if (all.at(i).toElement().attribute(QStringLiteral("terminal1")) == QLatin1String("rgbIn2")
            || all.at(i).toElement().attribute(QStringLiteral("terminal2")) == QLatin1String("rgbIn2"))
            named = all.at(i).toElement();
    }
    QDomElement first = named.cloneNode().toElement();
    for (char const* attribute : {"terminal1", "terminal2"}) {
        if (first.attribute(QLatin1String(attribute)) == QLatin1String("rgbIn2"))
            first.setAttribute(QLatin1String(attribute), QStringLiteral("rgbIn1"));
    }
    named.parentNode().insertBefore(first, named);
    ASSERT_EQ(namedLinks(document, innerUid, QStringLiteral("rgbOut"), maxUid),
              (QStringList{QStringLiteral("rgbIn1"), QStringLiteral("rgbIn2")}));
    QString twice = dir.filePath(QStringLiteral("twice.vyxsg"));
    {
        QFile file(twice);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(document.toByteArray(4));
    }

    MessageBoxes none({});
    window->openNodeGraph(core()->rootGraph(), twice);
    settle();
    EXPECT_EQ(none.texts, QStringList());
    ASSERT_EQ(core()->projectName(), twice);
    inner = effectNamed(core()->rootGraph(), QStringLiteral("Inner"));
    nest = effectNamed(core()->rootGraph(), QStringLiteral("Nest"));
    ASSERT_TRUE(inner && nest);
    max = nullptr;
    for (KelNodes::Node* node : nest->nodes()) {
        if (node->descriptor()->typeId == QLatin1String("operator.Maths.max"))
            max = node;
    }
    ASSERT_NE(max, nullptr);
    EXPECT_EQ(inner->getTerminal(QStringLiteral("rgbOut"))->numConnections(), 1);
    EXPECT_TRUE(max->getTerminal(QStringLiteral("rgbIn2"))->isConnectedTo(inner->getTerminal(QStringLiteral("rgbOut"))));
    EXPECT_EQ(max->getTerminal(QStringLiteral("rgbIn1"))->numConnections(), 0);
    expectOneLinkRendered("opened");

    QString resaved = dir.filePath(QStringLiteral("resaved.vyxsg"));
    ASSERT_TRUE(window->saveNodeGraph(core()->rootGraph(), resaved));
    EXPECT_EQ(namedLinks(readDocument(resaved), inner->uid(), QStringLiteral("rgbOut"), max->uid()),
              QStringList{QStringLiteral("rgbIn2")});
    discardProject();
    window->openNodeGraph(core()->rootGraph(), resaved);
    settle();
    EXPECT_EQ(none.texts, QStringList());
    expectOneLinkRendered("saved and opened again");
}

} // namespace
} // namespace MainWindowTest
