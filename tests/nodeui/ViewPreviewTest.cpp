// The node view shows the preview its node's render made and never samples while it paints:
// a picture shown asks for a render when the latest made none, and the shown preview has the
// pull path's bytes.

#include "ViewTestSupport.h"

#include "effects/Base3DGenerator.h"
#include "effects/NodeFilteredImage.h"
#include "nodeui/NodeEditHooks.h"
#include "params/StatusObserver.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPoint>

#include <atomic>

using namespace ViewTest;

namespace {

// A colour of every point, counting the points it is asked for.
class SampledNode : public KelVyxNodes::VyxNode, public KelVyxNodes::Base3DGenerator
{
public:
    SampledNode()
        : KelVyxNodes::VyxNode(0)
        , m_container(m_descriptor.typeId, QString(), this)
    {
        addTerminal(QStringLiteral("out"), 0, 4);
    }

    static inline KelNodes::NodeDescriptor m_descriptor{
        QStringLiteral("test.sampled"), QUuid(QStringLiteral("7b1e2c44-91d0-4f3a-8e55-3c2d1a0b9f21")),
        QStringLiteral("Sampled"), QString(), nullptr};

    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }
    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }
    KelVyxNodes::Base3DGenerator const* toBase3DGenerator() const override { return this; }
    unsigned int getSample3(QPoint const& point) const override
    {
        ++samples;
        return (unsigned(point.x() * 13) & 0xFFu) << 16 | (unsigned(point.y() * 7) & 0xFFu) << 8 | shade;
    }

    mutable std::atomic<long long> samples{0};
    unsigned int shade = 0x40;

private:
    KelNodes::NodeParameterContainer m_container;
};

} // namespace

TEST(ViewPreview, TheViewShowsTheRendersPreviewAndSamplesNothingWhilePainting)
{
    ViewHarness h;
    QImage picture(300, 200, QImage::Format_ARGB32);
    picture.fill(0xFF204060u);
    ASSERT_EQ(h.graph.setUp(&picture), 0);
    auto* node = new SampledNode;
    h.graph.addNode(node, -1);
    place(node, QPointF(0, 0));
    ASSERT_EQ(node->connect(QStringLiteral("out"), h.graph.destinationNode(), QStringLiteral("rgb")), 0);
    node->paramContainer()->auxData().insert(QStringLiteral("previewIsExpanded"), true);
    int requests = 0;
    NodeEditHooks::setPreviewRequest([&] { ++requests; });
    // Reset however the test ends: the hook holds a local of this test.
    struct ResetHook
    {
        ~ResetHook() { NodeEditHooks::setPreviewRequest({}); }
    } resetHook;

    // Shown before any render: no preview yet, a render is asked for, nothing sampled.
    h.view.setObject(&h.graph);
    KelNGNode* item = h.item(node);
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->previewExpanded());
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(node->samples.load(), 0);
    EXPECT_TRUE(item->lastPreview().isNull());

    // The application's render makes it; painting shows it without sampling.
    h.graph.setMakesPreviews(true);
    ASSERT_EQ(h.graph.filter(nullptr), 0);
    const long long afterRender = node->samples.load();
    h.view.redrawNodes();
    h.view.updateGraph();
    h.view.redrawNodes();
    EXPECT_EQ(node->samples.load(), afterRender) << "the view sampled";
    QImage expected(KelNGNode::kPreviewImageWidth, KelNGNode::kPreviewImageHeight, QImage::Format_ARGB32);
    expected.fill(Qt::transparent);
    ASSERT_EQ(node->getPreview(&expected), 0);
    EXPECT_TRUE(item->lastPreview() == expected);
    EXPECT_EQ(requests, 1) << "the shown preview is the latest render's";

    // A render cancelled before the node was prepared leaves it standing; collapsed and shown
    // again, a preview the latest render did not make asks for a render.
    node->shade = 0x90;
    struct Cancel : KelUtils::StatusObserver
    {
        void started() override {}
        void statusChanged(QString const&) override {}
        void operationStarted(double) override {}
        void completePercentChanged(double, double) override {}
        void completed() override {}
        bool cancelationRequested() override { return true; }
    } cancel;
    EXPECT_EQ(h.graph.filter(&cancel), -1);
    h.view.redrawNodes();
    EXPECT_TRUE(item->lastPreview() == expected);
    item->setPreviewExpanded(false);
    item->calculateUI();
    item->setPreviewExpanded(true);
    item->calculateUI();
    EXPECT_EQ(requests, 2);

    // A graph the view no longer shows wants no previews, so renders make none; shown again,
    // it wants them again.
    EXPECT_TRUE(node->previewWanted());
    KelVyxNodes::VyxNodeGraph other;
    h.view.setObject(&other);
    EXPECT_FALSE(node->previewWanted());
    h.view.setObject(&h.graph);
    EXPECT_TRUE(node->previewWanted());
    h.view.setObject(nullptr);
    EXPECT_FALSE(node->previewWanted());
}
