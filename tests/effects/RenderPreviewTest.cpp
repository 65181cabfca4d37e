// Node previews made by the render, right after each wanted node is prepared: the bytes of the
// pull path's getPreview for every node type, wiring, setting and selection; a bounded cost per
// preview point downstream of deep graphs; made only where wanted and only by renders that make
// previews; a cancelled render leaves the last preview standing.

#include "DeepGraphs.h"
#include "EffectTestSupport.h"
#include "NodeSweep.h"
#include "SanitizedSweep.h"

#include "effects/NodeOriginalImage.h"
#include "effects/NodeTypeRegistry.h"
#include "effects/RenderStages.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/Terminal.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace KelVyxNodes;
using EffectTest::CountingPassNode;
using KelVyxTest::NodeSweep;

namespace {

// Every effect node of the tree, members of effects included.
void collect(KelNodes::NodeGraph const* graph, std::vector<VyxNode*>* out)
{
    for (KelNodes::Node* member : graph->nodes()) {
        if (auto* node = dynamic_cast<VyxNode*>(member))
            out->push_back(node);
        if (KelNodes::NodeGraph const* sub = member->toNodeGraph())
            collect(sub, out);
    }
}

// What the view asked of the pull path before: a transparent picture of the wanted size.
QImage pulledPreview(VyxNode const* node, QSize size, int* result)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    *result = node->getPreview(&image);
    return image;
}

// What the view shows, asked as it asks.
QImage shown(VyxNode const* node, QSize size = QSize(136, 104))
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return node->shownPreview(&image) >= 0 ? image : QImage();
}

// The node whose output feeds the graph's destination colour.
VyxNode* feedingDestination(VyxNodeGraph& graph)
{
    KelNodes::Terminal* rgb = graph.destinationNode()->getTerminal(QStringLiteral("rgb"));
    if (!rgb || rgb->connections().isEmpty())
        return nullptr;
    return dynamic_cast<VyxNode*>(rgb->connections().first()->hostNode());
}

} // namespace

// Every registered type, fed every way, at its defaults and extremes, over the whole picture and
// a selection in a rectangle, at the editor's preview size and a small one: every node's
// render-made preview is the pull path's to the byte, and wanting previews leaves the render's
// result alone.
TEST(RenderPreview, EveryNodeTypesPreviewIsThePullPathsBytes)
{
    const QImage input = NodeSweep::largeTestImage(37, 26);
    std::vector<unsigned char> mask(size_t(input.width() * input.height()));
    for (size_t i = 0; i < mask.size(); ++i)
        mask[i] = static_cast<unsigned char>((i * 37) % 256);
    const QRect rect(QPoint(2, 3), QPoint(33, 24));
    QList<KelNodes::NodeDescriptor const*> const* types = NodeTypeRegistry::list();
    ASSERT_FALSE(types->isEmpty());
    for (int t = 0; t < types->size(); ++t) {
        KelNodes::NodeDescriptor const* type = types->at(t);
        int variant = 0;
        for (auto wiring : {NodeSweep::Wiring::Colour, NodeSweep::Wiring::Channel, NodeSweep::Wiring::Unlinked}) {
            for (auto settings : {NodeSweep::Settings::Defaults, NodeSweep::Settings::Maximum}) {
                for (bool selection : {false, true}) {
                    for (QSize size : {QSize(136, 104), QSize(11, 7)}) {
                        // Under the sanitizers every third variant of each type, from a
                        // different one for each type.
                        if (!SanitizedSweep::takes(variant++, 3, t))
                            continue;
                        SCOPED_TRACE(type->typeId.toStdString() + " "
                                     + NodeSweep::describe(wiring, settings).toStdString()
                                     + (selection ? " selection " : " whole ") + std::to_string(size.width()));
                        NodeSweep plain(type, wiring, settings, input);
                        NodeSweep previewed(type, wiring, settings, input);
                        ASSERT_NE(previewed.node(), nullptr);
                        std::vector<VyxNode*> nodes;
                        collect(&previewed.graph(), &nodes);
                        for (VyxNode* node : nodes)
                            node->setPreviewWanted(size.width(), size.height());
                        previewed.graph().setMakesPreviews(true);
                        const int rendered = previewed.render(selection ? mask.data() : nullptr,
                                                              selection ? &rect : nullptr);
                        ASSERT_EQ(plain.render(selection ? mask.data() : nullptr, selection ? &rect : nullptr),
                                  rendered);
                        EXPECT_TRUE(plain.result() == previewed.result()) << "previews changed the render";
                        if (rendered != 0)
                            continue;
                        for (VyxNode* node : nodes) {
                            if (!node->previewIsSampled())
                                continue;
                            int pulled = 0;
                            const QImage expected = pulledPreview(node, size, &pulled);
                            const QImage made = shown(node, size);
                            EXPECT_EQ(pulled >= 0, !made.isNull()) << node->descriptor()->typeId.toStdString();
                            if (pulled >= 0) {
                                EXPECT_TRUE(made == expected) << node->descriptor()->typeId.toStdString();
                            }
                        }
                    }
                }
            }
        }
    }
}

namespace {

struct PreviewDeepCase
{
    const char* type;
    EffectTest::Shape shape;
    int depth;
    int blendMode;
    int opacity;
};

// The nodes a view of the graph's end would show: the root's destination, the node feeding
// it, and (for a stack) the last effect and its members.
std::vector<VyxNode*> endNodes(VyxNodeGraph& root)
{
    std::vector<VyxNode*> nodes{root.destinationNode()};
    VyxNode* last = feedingDestination(root);
    if (!last)
        return nodes;
    nodes.push_back(last);
    auto* pass = dynamic_cast<CountingPassNode*>(last);
    KelNodes::Terminal* in = pass ? pass->getTerminal(QStringLiteral("in")) : nullptr;
    if (in && !in->connections().isEmpty()) {
        if (auto* effect = dynamic_cast<VyxNodeGraph*>(in->connections().first()->hostNode())) {
            nodes.push_back(effect);
            collect(effect, &nodes);
        }
    }
    return nodes;
}

} // namespace

// Downstream of thousands of blended effects and of chains of window nodes (counting nodes in
// front of every level), making a node's preview reads what lies between the node and the
// stages below it: a few levels per preview point, not the whole graph (the pull path walks
// every level, window chains multiply per level). The view then shows it without sampling.
TEST(RenderPreview, APreviewCostsABoundedNumberOfLevelsPerPoint)
{
    const QImage picture = EffectTest::makeGradientImage(40, 30);
    const long long points = 40 * 30; // the preview is the picture's size, or smaller
    const PreviewDeepCase cases[] = {
        {"operator.inversion", EffectTest::Shape::Stack, 400, 2, 70},
        {"operator.inversion", EffectTest::Shape::Stack, 400, 0, 100},
        {"operator.noiseReduction", EffectTest::Shape::Chain, 12, 0, 100},
        {"operator.sharpen", EffectTest::Shape::Chain, 12, 0, 100},
        {"operator.blur", EffectTest::Shape::Chain, 12, 0, 100},
        {"operator.chromaaber", EffectTest::Shape::Stack, 12, 0, 100},
        {"operator.noiseReduction", EffectTest::Shape::Nest, 12, 0, 100},
    };
    for (int i = 0; i < int(std::size(cases)); ++i) {
        // Under the sanitizers every third case.
        if (!SanitizedSweep::takes(i, 3))
            continue;
        PreviewDeepCase const& c = cases[i];
        SCOPED_TRACE(std::string(c.type) + " " + EffectTest::shapeName(c.shape) + " " + std::to_string(c.depth));
        const std::optional<EffectTest::Passage> passage = EffectTest::passageOf(QString::fromLatin1(c.type));
        ASSERT_TRUE(passage);
        VyxNodeGraph root;
        root.setRenderThreadCount(1);
        ASSERT_EQ(root.setUp(&picture), 0);
        ASSERT_TRUE(EffectTest::buildDeep(
            &root, &picture, QString::fromLatin1(c.type), *passage, c.shape, c.depth,
            [](VyxNodeGraph* graph) -> KelNodes::Node* {
                auto* node = new CountingPassNode(-1);
                graph->addNode(node, -1);
                return node;
            },
            c.blendMode, c.opacity));
        ASSERT_EQ(root.setUp(&picture), 0);
        root.setMakesPreviews(true);
        CountingPassNode::asked() = 0;
        ASSERT_EQ(root.filter(nullptr), 0);
        const long long renderWork = CountingPassNode::asked();

        const std::vector<VyxNode*> nodes = endNodes(root);
        ASSERT_GE(nodes.size(), 2u);
        for (VyxNode* node : nodes)
            node->setPreviewWanted(136, 104);
        CountingPassNode::asked() = 0;
        ASSERT_EQ(root.filter(nullptr), 0);
        const long long withPreviews = CountingPassNode::asked();
        // Showing them samples nothing.
        CountingPassNode::asked() = 0;
        for (VyxNode* node : nodes)
            EXPECT_FALSE(shown(node).isNull()) << node->descriptor()->typeId.toStdString();
        const long long showing = CountingPassNode::asked();
        EXPECT_EQ(showing, 0);

        // What a point of each node costs the render: the calls down to the nearest stage, for
        // the node's colour and for its graph source's alpha (at most the cut depth each).
        long long levels = 0;
        for (VyxNode* node : nodes) {
            levels += node->pullRecord().depth;
            KelNodes::NodeGraph* parent = node->parentGraph();
            auto const* source = dynamic_cast<VyxNode const*>(
                parent ? parent->findFirstNode(NodeOriginalImage::m_descriptor.typeUuid, true) : nullptr);
            if (source)
                levels += source->pullRecord().depth;
        }
        EXPECT_LE(levels, long(nodes.size()) * 2 * (RenderStages::kCutDepth + 2));
        const long long previewWork = withPreviews - renderWork + showing;
        EXPECT_LE(previewWork, 4 * points * levels) << "render " << renderWork;
        for (VyxNode* node : nodes)
            node->setPreviewWanted(0, 0);
    }
}

// Only wanted previews of renders that make them: an icon render (the default) or a node no
// view shows does no preview work; a render cancelled before the node was prepared leaves the
// last preview standing.
TEST(RenderPreview, OnlyWantedPreviewsAreMadeAndACancelledRenderKeepsTheLast)
{
    EffectTest::EffectHarness h(EffectTest::makeGradientImage(9, 7));
    auto* pass = new CountingPassNode(-1);
    h.graph()->addNode(pass, -1);
    h.chain(pass, "in", "out");
    ASSERT_EQ(h.render(), 0);
    EXPECT_TRUE(shown(pass).isNull()) << "not wanted";

    pass->setPreviewWanted(136, 104);
    ASSERT_EQ(h.render(), 0);
    EXPECT_TRUE(shown(pass).isNull()) << "a render that makes no previews";
    EXPECT_FALSE(pass->shownPreviewIsCurrent());

    h.graph()->setMakesPreviews(true);
    ASSERT_EQ(h.render(), 0);
    const QImage first = shown(pass);
    ASSERT_FALSE(first.isNull());
    EXPECT_TRUE(pass->shownPreviewIsCurrent());
    int pulled = 0;
    EXPECT_TRUE(first == pulledPreview(pass, QSize(136, 104), &pulled));

    EffectTest::CountingObserver cancelling;
    cancelling.cancelNow = true;
    EXPECT_EQ(h.graph()->filter(&cancelling), -1);
    EXPECT_TRUE(shown(pass) == first) << "the last preview stands";
    EXPECT_FALSE(pass->shownPreviewIsCurrent());

    // Wished for once the render has resolved its inputs (the stores it would read were not
    // kept for it): none is made in that render, the next one makes it.
    struct WishOnStart : EffectTest::CountingObserver
    {
        CountingPassNode* node = nullptr;
        void started() override
        {
            EffectTest::CountingObserver::started();
            node->setPreviewWanted(68, 52);
        }
    } wishing;
    wishing.node = pass;
    pass->setPreviewWanted(0, 0);
    ASSERT_EQ(h.graph()->filter(&wishing), 0);
    EXPECT_FALSE(pass->shownPreviewIsCurrent());
    ASSERT_EQ(h.render(), 0);
    EXPECT_TRUE(pass->shownPreviewIsCurrent());
}
