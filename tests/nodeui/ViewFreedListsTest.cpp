// The view walks the members of the shown graph while it repaints them; painting an inner effect
// whose levels are stale sorts the shown graph's list anew. Each walk must go on in a list that
// stays: a walk in the list the sort let go reads freed memory (caught by the address sanitizer,
// or by glibc with freed memory filled, see this folder's CMakeLists.txt).

#include "ViewTestSupport.h"

#include <gtest/gtest.h>

using namespace ViewTest;

namespace {

// The shown graph holds, in this order, an inner effect and three inversions; once shown, the
// last inversion is linked to the effect's input and a node is added inside the effect, so that the
// effect's levels are stale and the shown graph's right order puts the effect last.
struct StaleInnerEffect
{
    explicit StaleInnerEffect(ViewHarness& h)
    {
        inner = h.graph.addSubGraph(-1);
        inner->setName(QStringLiteral("Inner"));
        for (int i = 0; i < 3; ++i) {
            KelNodes::Node* node = h.graph.addNode(QStringLiteral("operator.inversion"), -1);
            node->setName(QStringLiteral("P%1").arg(i));
            place(node, QPointF(200 * (i + 1), 0));
            inversions.append(node);
        }
        place(inner, QPointF(0, 200));
        h.view.setObject(&h.graph);
    }

    // Makes the graph's order stale behind the view's back, as an edit between two repaints does.
    void makeStale(ViewHarness& h)
    {
        ASSERT_EQ(h.graph.nodes().first(), inner) << "the effect stands first while its levels are known";
        ASSERT_EQ(inversions.last()->connect(QStringLiteral("outRgb"), inner, QStringLiteral("rgbIn")), 0);
        ASSERT_NE(inner->addNode(QStringLiteral("operator.inversion"), -1), nullptr);
        ASSERT_TRUE(h.graph.isDirty());
    }

    KelVyxNodes::VyxNodeGraph* inner = nullptr;
    QList<KelNodes::Node*> inversions;
};

TEST(ViewFreedLists, RedrawingAnInnerEffectWhoseLevelsAreStaleWalksOnInAListThatStays)
{
    ViewHarness h;
    StaleInnerEffect shown(h);
    ASSERT_NO_FATAL_FAILURE(shown.makeStale(h));
    h.view.redrawNodes();
    EXPECT_EQ(h.graph.nodes().last(), shown.inner) << "the repaint sorted the shown graph";
    // Every member was repainted, in whichever list.
    for (KelNodes::Node* node : h.graph.nodes())
        EXPECT_FALSE(h.item(node)->pixmapItem()->pixmap().isNull()) << node->name().toStdString();
}

TEST(ViewFreedLists, SelectingANodeRepaintsTheFormerSelectionAndWalksOnInAListThatStays)
{
    ViewHarness h;
    StaleInnerEffect shown(h);
    h.view.setSelectedNode(h.item(shown.inner));
    ASSERT_TRUE(h.item(shown.inner)->isSelected());
    ASSERT_NO_FATAL_FAILURE(shown.makeStale(h));
    // The last inversion was selected before; it must lose its selection too.
    h.item(shown.inversions.last())->setSelected(true);
    h.view.setSelectedNode(h.item(shown.inversions.first()));
    EXPECT_EQ(h.graph.nodes().last(), shown.inner) << "the repaint sorted the shown graph";
    for (KelNodes::Node* node : h.graph.nodes())
        EXPECT_EQ(h.item(node)->isSelected(), node == shown.inversions.first()) << node->name().toStdString();
}

} // namespace
