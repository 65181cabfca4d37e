// An effect's outputs keep one link each: linking one to a second input drops its first link,
// made by hand or named by a loaded document (the link named last stays, the same way every
// time, and the load reports no fault). The graph then renders what it holds: the dropped input
// reads its own default, the bytes of the same graph made with the one link.

#include "EffectTestSupport.h"

#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"
#include "nodes/Terminal.h"

#include <QDomDocument>
#include <QImage>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace KelVyxNodes;
using KelNodes::Node;

namespace EffectTest {
namespace {

bool outputLink(Node* from, QString const& out, Node* to, QString const& in)
{
    return from && to && from->connect(out, to, in) == 0;
}

bool linked(Node* a, QString const& aTerminal, Node* b, QString const& bTerminal)
{
    return a->getTerminal(aTerminal)->isConnectedTo(b->getTerminal(bTerminal));
}

int linksOf(Node* node, QString const& terminal)
{
    return node->getTerminal(terminal)->numConnections();
}

// Every pixel different, alpha too.
QImage makeLinkPicture(int w, int h)
{
    QImage picture(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            picture.setPixel(x, y, (unsigned(40 + 9 * x + 5 * y) << 24) | (gradientPixel(x, y) & 0xFFFFFFu));
    }
    return picture;
}

// "Nest" holding "Inner", an effect inverting its colour and alpha, and a Max and a Join reading
// Inner: the Max on "rgbIn2", the Join on "g" (a channel), both unless `readOnce` after a link to
// the other input ("rgbIn1", "r"). Nest gives the Max's colour with the Join's red as alpha.
struct NestedReaders
{
    VyxNodeGraph root;
    VyxNodeGraph* nest = nullptr;
    VyxNodeGraph* inner = nullptr;
    Node* max = nullptr;
    Node* join = nullptr;

    bool make(QImage const* picture, bool readOnce)
    {
        if (root.setUp(picture) != 0 || !(nest = root.addSubGraph(-1)) || nest->setUp(picture) != 0
            || !(inner = nest->addSubGraph(-1)) || inner->setUp(picture) != 0)
            return false;
        nest->setName(QStringLiteral("Nest"));
        inner->setName(QStringLiteral("Inner"));
        Node* colour = inner->addNode(QStringLiteral("operator.inversion"), -1);
        Node* alpha = inner->addNode(QStringLiteral("operator.inversion"), -1);
        max = nest->addNode(QStringLiteral("operator.Maths.max"), -1);
        join = nest->addNode(QStringLiteral("operator.join"), -1);
        Node* red = nest->addNode(QStringLiteral("operator.split"), -1);
        if (!outputLink(root.sourceNode(), QStringLiteral("rgb"), nest, QStringLiteral("rgbIn"))
            || !outputLink(root.sourceNode(), QStringLiteral("alpha"), nest, QStringLiteral("alphaIn"))
            || !outputLink(nest->sourceNode(), QStringLiteral("rgb"), inner, QStringLiteral("rgbIn"))
            || !outputLink(nest->sourceNode(), QStringLiteral("alpha"), inner, QStringLiteral("alphaIn"))
            || !outputLink(inner->sourceNode(), QStringLiteral("rgb"), colour, QStringLiteral("inRgb"))
            || !outputLink(inner->sourceNode(), QStringLiteral("alpha"), alpha, QStringLiteral("in"))
            || !outputLink(colour, QStringLiteral("outRgb"), inner->destinationNode(), QStringLiteral("rgb"))
            || !outputLink(alpha, QStringLiteral("out"), inner->destinationNode(), QStringLiteral("alpha")))
            return false;
        if (!readOnce
            && (!outputLink(inner, QStringLiteral("rgbOut"), max, QStringLiteral("rgbIn1"))
                || !outputLink(inner, QStringLiteral("alphaOut"), join, QStringLiteral("r"))))
            return false;
        return outputLink(inner, QStringLiteral("rgbOut"), max, QStringLiteral("rgbIn2"))
               && outputLink(inner, QStringLiteral("alphaOut"), join, QStringLiteral("g"))
               && outputLink(join, QStringLiteral("rgb"), red, QStringLiteral("rgb"))
               && outputLink(max, QStringLiteral("rgbOut"), nest->destinationNode(), QStringLiteral("rgb"))
               && outputLink(red, QStringLiteral("r"), nest->destinationNode(), QStringLiteral("alpha"))
               && outputLink(nest, QStringLiteral("rgbOut"), root.destinationNode(), QStringLiteral("rgb"))
               && outputLink(nest, QStringLiteral("alphaOut"), root.destinationNode(), QStringLiteral("alpha"));
    }
};

QImage renderLinked(VyxNodeGraph* root, QImage const* picture)
{
    if (root->setUp(picture) != 0 || root->filter(nullptr) != 0)
        return QImage();
    return root->resultImage().copy();
}

TEST(EffectOutputLink, ASecondLinkFromAnEffectsOutputDropsTheFirst)
{
    const QImage picture = makeLinkPicture(16, 9);
    NestedReaders graph;
    ASSERT_TRUE(graph.make(&picture, false));
    VyxNodeGraph* inner = graph.inner;
    EXPECT_EQ(linksOf(inner, QStringLiteral("rgbOut")), 1);
    EXPECT_EQ(linksOf(inner, QStringLiteral("alphaOut")), 1);
    EXPECT_TRUE(linked(inner, QStringLiteral("rgbOut"), graph.max, QStringLiteral("rgbIn2")));
    EXPECT_TRUE(linked(inner, QStringLiteral("alphaOut"), graph.join, QStringLiteral("g")));
    EXPECT_EQ(linksOf(graph.max, QStringLiteral("rgbIn1")), 0);
    EXPECT_EQ(linksOf(graph.join, QStringLiteral("r")), 0);

    // To another node's input, the same.
    Node* min = graph.nest->addNode(QStringLiteral("operator.Maths.min"), -1);
    ASSERT_TRUE(outputLink(inner, QStringLiteral("rgbOut"), min, QStringLiteral("rgbIn1")));
    EXPECT_EQ(linksOf(inner, QStringLiteral("rgbOut")), 1);
    EXPECT_EQ(linksOf(graph.max, QStringLiteral("rgbIn2")), 0);
    EXPECT_TRUE(linked(inner, QStringLiteral("rgbOut"), min, QStringLiteral("rgbIn1")));
}

// The input the second link took the output from reads its own default (Max: mid grey; Join: its
// default red), not the effect's picture and not the grey of an effect without a result.
TEST(EffectOutputLink, AGraphWhoseEffectOutputLostALinkRendersAsMadeWithTheOneLink)
{
    const QImage picture = makeLinkPicture(16, 9);
    NestedReaders dropped;
    NestedReaders once;
    ASSERT_TRUE(dropped.make(&picture, false));
    ASSERT_TRUE(once.make(&picture, true));
    const QImage expected = renderLinked(&once.root, &picture);
    ASSERT_FALSE(expected.isNull());
    EXPECT_EQ(renderLinked(&dropped.root, &picture), expected);

    // The Max over mid grey: where the inverted colour is darker, the dropped input shows.
    int greyWins = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const int inverted = 255 - qRed(picture.pixel(x, y));
            ASSERT_EQ(qRed(expected.pixel(x, y)), std::max(inverted, 128)) << x << "," << y;
            greyWins += inverted < 128;
        }
    }
    EXPECT_GT(greyWins, 0);
}

// The links a document names into the Nest's section: Inner to the Max's two inputs, in
// `order`.
QDomDocument documentNaming(NestedReaders const& graph, QStringList const& order)
{
    std::unique_ptr<QDomDocument> stored(graph.root.store(graph.root.nodes(), false, true, true));
    QDomDocument document;
    document.setContent(stored->toString());
    // The Nest's own links: the section holding a link from Inner.
    QDomElement links;
    QDomNodeList all = document.elementsByTagName(QStringLiteral("connection"));
    for (int i = 0; i < all.size(); ++i) {
        QDomElement c = all.at(i).toElement();
        if (c.attribute(QStringLiteral("terminal1")) == QLatin1String("rgbOut")
            && c.attribute(QStringLiteral("node_uid1")).toInt() == graph.inner->uid()
            && c.attribute(QStringLiteral("node_uid2")).toInt() == graph.max->uid()) {
            links = c.parentNode().toElement();
            links.removeChild(c);
            break;
        }
    }
    for (QString const& input : order) {
        QDomElement c = document.createElement(QStringLiteral("connection"));
        c.setAttribute(QStringLiteral("node_uid1"), graph.inner->uid());
        c.setAttribute(QStringLiteral("node_uid2"), graph.max->uid());
        c.setAttribute(QStringLiteral("terminal1"), QStringLiteral("rgbOut"));
        c.setAttribute(QStringLiteral("terminal2"), input);
        links.appendChild(c);
    }
    return links.isNull() ? QDomDocument() : document;
}

TEST(EffectOutputLink, ADocumentNamingTwoLinksFromAnEffectsOutputKeepsTheOneNamedLast)
{
    const QImage picture = makeLinkPicture(16, 9);
    NestedReaders made;
    ASSERT_TRUE(made.make(&picture, true));
    const QImage expected = renderLinked(&made.root, &picture);
    ASSERT_FALSE(expected.isNull());

    for (QStringList const& order : {QStringList{QStringLiteral("rgbIn1"), QStringLiteral("rgbIn2")},
                                     QStringList{QStringLiteral("rgbIn2"), QStringLiteral("rgbIn1")}}) {
        SCOPED_TRACE(order.join(QLatin1String(" then ")).toStdString());
        const QDomDocument document = documentNaming(made, order);
        ASSERT_FALSE(document.isNull());
        for (int round = 0; round < 2; ++round) {
            VyxNodeGraph loaded;
            MessageCapture log;
            ASSERT_EQ(loaded.load(document.documentElement(), true, KelNodes::LoadAllConnections), 0);
            EXPECT_EQ(log.messages(), QStringList()) << "the load reported a fault";
            auto* inner = dynamic_cast<VyxNodeGraph*>(loaded.findNode(made.inner->uid(), true));
            Node* max = loaded.findNode(made.max->uid(), true);
            ASSERT_TRUE(inner && max);
            EXPECT_EQ(linksOf(inner, QStringLiteral("rgbOut")), 1);
            EXPECT_TRUE(linked(inner, QStringLiteral("rgbOut"), max, order.last()));
            EXPECT_EQ(linksOf(max, order.first()), 0);
            // Max is the same either way round, and both its inputs default to mid grey.
            EXPECT_EQ(renderLinked(&loaded, &picture), expected);
        }
    }
}

} // namespace
} // namespace EffectTest
