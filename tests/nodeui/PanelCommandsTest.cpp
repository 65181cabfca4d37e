#include "PanelTestSupport.h"

#include "app/TwCore.h"
#include "nodeui/KelCmdParamEdit.h"
#include "nodeui/KelParam.h"

#include <gtest/gtest.h>

#include <QDoubleSpinBox>
#include <QSignalSpy>
#include <QUndoStack>

using PanelTest::Container;

TEST(PanelCoreParamEdit, TextUndoRedoMarkAndRender)
{
    TwCore core(nullptr);
    Container c;
    c.group(QStringLiteral("G"));
    auto* f = c.floats(QStringLiteral("f"), 1.0f);
    KelParam panel(&c.container);
    QUndoStack stack;
    QObject::connect(&panel, &KelParam::addParamUndo, [&](KelParam* from, QBuffer* before) {
        stack.push(new KelCmdParamEdit(&core, from, before));
    });
    QSignalSpy modified(&core, &TwCore::modifiedStateChanged);
    QSignalSpy rendered(&core, &TwCore::finished);

    QDoubleSpinBox* spin = PanelTest::editBox(panel.editorFor(f), 6.0);
    ASSERT_EQ(stack.count(), 1);
    EXPECT_EQ(stack.text(0), QStringLiteral("Test Node edit"));
    EXPECT_TRUE(core.isModified());
    EXPECT_EQ(modified.count(), 1);
    EXPECT_TRUE(rendered.count() > 0 || rendered.wait(20000));

    // Each undo and redo loads a snapshot into the container: the pre-write hook runs first.
    QList<float> seenBefore;
    PanelTest::HookRecorder hook([&] { seenBefore << f->value(); });
    const struct {
        bool undo;
        float value;
    } steps[] = {{true, 1.0f}, {false, 6.0f}, {true, 1.0f}};
    for (auto const& step : steps) {
        core.setModified(false);
        rendered.clear();
        if (step.undo)
            stack.undo();
        else
            stack.redo();
        EXPECT_FLOAT_EQ(f->value(), step.value);
        EXPECT_DOUBLE_EQ(spin->value(), double(step.value));
        EXPECT_TRUE(core.isModified());
        EXPECT_TRUE(rendered.count() > 0 || rendered.wait(20000));
    }
    EXPECT_EQ(seenBefore, QList<float>({6.0f, 1.0f, 6.0f}));

    // The panel gone, the command does nothing.
    KelParam* gone = new KelParam(&c.container);
    stack.push(new KelCmdParamEdit(&core, gone, gone->storeParamState()));
    f->setValue(3.0f);
    delete gone;
    core.setModified(false);
    stack.undo();
    stack.redo();
    EXPECT_FLOAT_EQ(f->value(), 3.0f);
    EXPECT_FALSE(core.isModified());
}

#include "nodes/NodeDescriptor.h"
#include "nodeui/KelCmdNodeEdit.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/KelParamSnapshot.h"

TEST(PanelNodeEdit, UndoRedoRestoreAndAnnounce)
{
    KelNGNodeGraphView view;
    KelVyxNodes::VyxNodeGraph top(nullptr);
    KelVyxNodes::VyxNodeGraph* group = top.addSubGraph(-1);
    KelNodes::Node* node = group->addNode(QStringLiteral("operator.levels"), -1);
    PanelTest::Lists lists(node->paramContainer());
    lists.addList(QStringLiteral("test"));
    auto* f = lists.floats(QStringLiteral("f"), 1.0f);
    auto panel = std::make_unique<KelParam>(node->paramContainer());
    node->setViewItem(panel.get());
    QUndoStack stack;
    QList<KelNodes::Node*> announced;
    QObject::connect(&view, &KelNGNodeGraphView::nodeParameterChanged,
                     [&](KelNGNodeGraphView* from, KelNodes::Node* changed) {
                         EXPECT_EQ(from, &view);
                         announced << changed;
                     });
    PanelTest::HookRecorder hook;

    QBuffer* before = KelParamSnapshot::store(node->paramContainer());
    f->setValue(6.0f);
    stack.push(new KelCmdNodeEdit(&view, &top, node, before));
    EXPECT_EQ(stack.text(0), node->descriptor()->displayName + QStringLiteral(" edit"));
    EXPECT_EQ(announced.count(), 1);
    EXPECT_EQ(hook.calls, 0);

    const struct {
        bool undo;
        float value;
    } steps[] = {{true, 1.0f}, {false, 6.0f}, {true, 1.0f}};
    for (auto const& step : steps) {
        step.undo ? stack.undo() : stack.redo();
        EXPECT_FLOAT_EQ(f->value(), step.value);
        EXPECT_DOUBLE_EQ(qobject_cast<QDoubleSpinBox*>(panel->editorFor(f))->value(), double(step.value));
    }
    EXPECT_EQ(announced, QList<KelNodes::Node*>(4, node));
    EXPECT_EQ(hook.calls, 3);

    // Without an item only the model follows; a node gone makes the steps do nothing.
    node->setViewItem(nullptr);
    panel.reset();
    stack.redo();
    EXPECT_FLOAT_EQ(f->value(), 6.0f);
    node->setName(QStringLiteral("Blur"));
    stack.push(new KelCmdNodeEdit(&view, &top, node, KelParamSnapshot::store(node->paramContainer())));
    EXPECT_EQ(stack.text(1), QStringLiteral("Blur edit"));
    group->removeNode(node);
    announced.clear();
    stack.undo();
    stack.undo();
    stack.redo();
    EXPECT_EQ(announced.count(), 0);
}

#include "nodes/NodeGraph.h"

// A graph's snapshot carries a section for each member: loading it finds each member once,
// not by a search of all of them for each, and gives every member its values back.
TEST(PanelNodeEdit, AGraphSnapshotLoadsInProportionToItsMembers)
{
    const int counts[] = {250, 4000};
    quint64 lookups[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        KelVyxNodes::VyxNodeGraph top(nullptr);
        KelVyxNodes::VyxNodeGraph* group = top.addSubGraph(-1);
        QList<KelNodes::Node*> members;
        for (int k = 0; k < counts[i]; ++k)
            members << group->addNode(QStringLiteral("operator.levels"), -1);
        ASSERT_NE(members.last(), nullptr);
        const std::unique_ptr<QBuffer> before(KelParamSnapshot::store(group->paramContainer()));
        ASSERT_NE(before, nullptr);
        for (KelNodes::Node* member : std::as_const(members))
            member->paramContainer()->setKeyframeAt(10);
        const std::unique_ptr<QBuffer> changed(KelParamSnapshot::store(group->paramContainer()));
        ASSERT_NE(changed->data(), before->data());

        const quint64 start = KelNodes::NodeGraph::uidLookupCount();
        KelParamSnapshot::load(group->paramContainer(), before.get());
        lookups[i] = KelNodes::NodeGraph::uidLookupCount() - start;
        for (KelNodes::Node* member : std::as_const(members))
            ASSERT_TRUE(member->paramContainer()->keyframes().isEmpty());
    }
    EXPECT_LE(lookups[1], 20 * lookups[0] + 4000) << lookups[0] << " " << lookups[1];
}
