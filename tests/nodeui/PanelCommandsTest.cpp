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
    auto* f = c.floats(QStringLiteral("f"), 1, 0.0f, 10.0f, 1.0f);
    KelParam panel(&c.container);
    QUndoStack stack;
    QObject::connect(&panel, &KelParam::addParamUndo, [&](KelParam* from, QBuffer* before) {
        stack.push(new KelCmdParamEdit(&core, from, before));
    });
    QSignalSpy modified(&core, &TwCore::modifiedStateChanged);
    QSignalSpy rendered(&core, &TwCore::finished);

    auto* spin = qobject_cast<QDoubleSpinBox*>(panel.editorFor(f));
    spin->setValue(6.0);
    emit spin->editingFinished();
    ASSERT_EQ(stack.count(), 1);
    EXPECT_EQ(stack.text(0), QStringLiteral("Test Node edit"));
    EXPECT_TRUE(core.isModified());
    EXPECT_EQ(modified.count(), 1);
    EXPECT_TRUE(rendered.count() > 0 || rendered.wait(20000));

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
}

TEST(PanelCoreParamEdit, DoesNothingOnceThePanelIsGone)
{
    TwCore core(nullptr);
    Container c;
    c.group(QStringLiteral("G"));
    auto* f = c.floats(QStringLiteral("f"), 1, 0.0f, 10.0f, 1.0f);
    auto* panel = new KelParam(&c.container);
    QUndoStack stack;
    stack.push(new KelCmdParamEdit(&core, panel, panel->storeParamState()));
    f->setValue(3.0f);
    delete panel;
    core.setModified(false);
    stack.undo();
    stack.redo();
    EXPECT_FLOAT_EQ(f->value(), 3.0f);
    EXPECT_FALSE(core.isModified());
}
