#include "PanelTestSupport.h"

#include "nodeui/KelNodeDescription.h"
#include "nodeui/KelNodeDescriptionEdit.h"
#include "nodeui/KelParam.h"
#include "style/KDSynchronizedFormLayout.h"
#include "style/KelToolBox.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDoubleSpinBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using PanelTest::Container;

namespace {

QString sectionText(KelToolBox* box, int index)
{
    return qobject_cast<QAbstractButton*>(box->layout()->itemAt(2 * index)->widget())->text();
}

int sectionRows(KelToolBox* box, int index)
{
    return qobject_cast<KDSynchronizedFormLayout*>(box->widget(index)->layout())->rowCount();
}

// Takes the snapshot an undo signal carried.
std::unique_ptr<QBuffer> taken(QSignalSpy& spy, int index = 0)
{
    return std::unique_ptr<QBuffer>(spy.at(index).at(1).value<QBuffer*>());
}

} // namespace

TEST(PanelSections, GroupsRowsIntoSections)
{
    Container basics;
    basics.group(QStringLiteral("Basics"));
    basics.floats(QStringLiteral("a"));
    basics.ints(QStringLiteral("b"));
    basics.boolean(QStringLiteral("c"));
    // Rows before the first group join it; a section runs across lists.
    Container early;
    early.floats(QStringLiteral("e1"));
    early.floats(QStringLiteral("e2"));
    early.group(QStringLiteral("First"));
    early.floats(QStringLiteral("x"));
    early.addList(QStringLiteral("second"));
    early.floats(QStringLiteral("y"));
    early.group(QStringLiteral("Second"));
    // Without any group the rows get one section named after the list.
    Container none;
    none.floats(QStringLiteral("lonely"));

    const struct {
        Container* c;
        QStringList headers;
        QList<int> rows;
    } cases[] = {{&basics, {QStringLiteral("Basics")}, {3}},
                 {&early, {QStringLiteral("First"), QStringLiteral("Second")}, {4, 0}},
                 {&none, {QStringLiteral("main")}, {1}}};
    for (auto const& c : cases) {
        KelParam panel(&c.c->container);
        ASSERT_EQ(panel.toolBox()->count(), c.headers.size());
        for (int i = 0; i < c.headers.size(); ++i) {
            EXPECT_EQ(sectionText(panel.toolBox(), i), c.headers.at(i));
            EXPECT_EQ(sectionRows(panel.toolBox(), i), c.rows.at(i));
            EXPECT_TRUE(panel.toolBox()->isExpanded(i));
        }
    }
}

TEST(PanelSections, HeaderSubstitutionFollowsValues)
{
    Container c;
    c.group(QStringLiteral("Radius {w:0}"));
    auto* w = c.floats(QStringLiteral("w"), 0.0f, false, 2);
    w->setValue(1.5f, 0);
    w->setValue(2.0f, 1);
    c.ints(QStringLiteral("n"));
    c.addList(QStringLiteral("later"));
    c.floats(QStringLiteral("late"), 3.0f);
    KelParam panel(&c.container);
    // The edit's snapshot goes to whoever keeps the undo steps.
    const PanelTest::UndoCounter steps(&panel);

    const struct {
        QString text;
        QString header;
    } cases[] = {
        {QStringLiteral("{w:1}x{w:0}"), QStringLiteral("2x1.5")}, {QStringLiteral("[{n:0}][{none:0}]"), QStringLiteral("[][]")},
        {QStringLiteral("a{abc}b"), QStringLiteral("ab")},        {QStringLiteral("Size {w:1"), QStringLiteral("Size 1.51")},
        {QStringLiteral("{w:x}"), QStringLiteral("1.5")},         {QStringLiteral("{late:0}"), QString()},
    };
    for (auto const& c2 : cases)
        EXPECT_EQ(panel.computeGroupBoxHeader(c2.text), c2.header) << c2.text.toStdString();

    EXPECT_EQ(sectionText(panel.toolBox(), 0), QStringLiteral("Radius 1.5"));
    c.container.setFloatParam(QStringLiteral("w"), 4.0f);
    EXPECT_EQ(sectionText(panel.toolBox(), 0), QStringLiteral("Radius 4"));
    PanelTest::editBox(panel.editorFor(w), 7.25);
    EXPECT_EQ(sectionText(panel.toolBox(), 0), QStringLiteral("Radius 7.25"));
}

TEST(PanelSections, InactiveListsHideTheirSections)
{
    Container c;
    for (QString const& name : {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}) {
        if (name != QStringLiteral("A"))
            c.addList(name);
        c.group(name);
        c.floats(name.toLower());
    }
    auto* trigger = static_cast<KelUtils::NumGroupParameter<float>*>(*c.container.paramLists()[2].parameters.last());
    KelParam panel(&c.container);
    panel.show();
    panel.toolBox()->setExpanded(2, false);
    auto visible = [&] {
        return QList<bool>{panel.toolBox()->isVisible(0), panel.toolBox()->isVisible(1), panel.toolBox()->isVisible(2)};
    };

    c.container.paramLists()[2].active = false;
    trigger->setValue(1.0f);
    EXPECT_EQ(visible(), (QList<bool>{true, true, false}));
    c.container.paramLists()[2].active = true;
    c.container.paramLists()[1].active = false;
    trigger->setValue(2.0f);
    EXPECT_EQ(visible(), (QList<bool>{true, false, true}));
    // Shown again, a collapsed section stays closed.
    EXPECT_FALSE(panel.toolBox()->widget(2)->isVisible());
}

TEST(PanelUndoBlocks, SnapshotAndNamedBlocks)
{
    Container c;
    c.group(QStringLiteral("G"));
    auto* f = c.floats(QStringLiteral("f"), 1.0f);
    auto* g = c.floats(QStringLiteral("g"), 2.0f);
    KelParam panel(&c.container);
    QSignalSpy undo(&panel, &KelParam::addParamUndo);
    QSignalSpy command(&panel, &KelParam::addCommandUndo);
    QSignalSpy changed(&panel, &KelParam::parameterChanged);

    // Changes from elsewhere refresh the editors without undo steps.
    c.container.setFloatParam(QStringLiteral("g"), 3.0f);
    EXPECT_DOUBLE_EQ(qobject_cast<QDoubleSpinBox*>(panel.editorFor(g))->value(), 3.0);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(undo.count(), 0);

    // A committed snapshot block is one step holding the values from before it.
    c.container.undoBlockBegin(QStringLiteral("drag"), -1);
    f->setValue(5.0f);
    g->setValue(6.0f);
    c.container.undoBlockEnd(true);
    ASSERT_EQ(undo.count(), 1);
    PanelTest::loadSnapshot(&c.container, taken(undo).get());
    EXPECT_FLOAT_EQ(f->value(), 1.0f);
    EXPECT_FLOAT_EQ(g->value(), 3.0f);

    // Not committed: values restored, nothing emitted.
    c.container.undoBlockBegin(QStringLiteral("drag"), -1);
    f->setValue(8.0f);
    c.container.undoBlockEnd(false);
    EXPECT_FLOAT_EQ(f->value(), 1.0f);
    EXPECT_EQ(undo.count(), 1);

    // Named blocks leave the record to the receiver; a cancelled one restores nothing.
    c.container.undoBlockBegin(QStringLiteral("Drag"), 3);
    c.container.undoBlockEnd(true);
    ASSERT_EQ(command.count(), 1);
    EXPECT_EQ(command.at(0).at(1).toString(), QStringLiteral("Drag"));
    c.container.undoBlockBegin(QStringLiteral("Drag"), 3);
    f->setValue(9.0f);
    c.container.undoBlockEnd(false);
    EXPECT_EQ(command.count(), 1);
    EXPECT_FLOAT_EQ(f->value(), 9.0f);
}

TEST(PanelUndoBlocks, UnmatchedEndsAndTeardownAreSafe)
{
    Container c;
    c.group(QStringLiteral("G"));
    auto* f = c.floats(QStringLiteral("f"), 1.0f);
    {
        KelParam panel(&c.container);
        QSignalSpy undo(&panel, &KelParam::addParamUndo);
        QSignalSpy command(&panel, &KelParam::addCommandUndo);
        // Ends without an open block, also right after a committed one, do nothing.
        c.container.undoBlockEnd(true);
        c.container.undoBlockEnd(false);
        c.container.undoBlockBegin(QString(), -1);
        c.container.undoBlockEnd(true);
        c.container.undoBlockEnd(true);
        c.container.undoBlockEnd(false);
        EXPECT_EQ(undo.count(), 1);
        EXPECT_EQ(command.count(), 0);
        taken(undo);
        // A block is left open when the panel goes.
        c.container.undoBlockBegin(QString(), -1);
    }
    // The panel unregistered: blocks reach nothing.
    c.container.undoBlockBegin(QString(), -1);
    f->setValue(4.0f);
    c.container.undoBlockEnd(false);
    EXPECT_FLOAT_EQ(f->value(), 4.0f);
    EXPECT_TRUE(c.container.paramCallbacks().isEmpty());

    // An older panel going leaves a newer one registered.
    auto* older = new KelParam(&c.container);
    KelParam newer(&c.container);
    delete older;
    QSignalSpy undo(&newer, &KelParam::addParamUndo);
    c.container.undoBlockBegin(QString(), -1);
    c.container.undoBlockEnd(true);
    ASSERT_EQ(undo.count(), 1);
    taken(undo);
}

TEST(PanelHoverHelp, ShowsTheHoveredParameterOrTheNode)
{
    Container c;
    *c.container.helpItem() = KelUtils::HelpItem(QStringLiteral("NodeHelp"), QStringLiteral("About the node."));
    c.group(QStringLiteral("G"));
    auto* f = c.floats(QStringLiteral("f"));
    f->setHelpItem(KelUtils::HelpItem(QStringLiteral("FloatHelp"), QStringLiteral("About f.")));
    auto* quiet = c.floats(QStringLiteral("quiet"));
    quiet->setHelpItem(KelUtils::HelpItem(QStringLiteral("QuietTitle"), QString()));
    KelParam panel(&c.container);
    panel.resize(400, 400);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));

    auto hover = [&](QWidget* target) {
        const QPoint local = target->rect().center();
        QHelpEvent event(QEvent::ToolTip, local, target->mapToGlobal(local));
        QApplication::sendEvent(target, &event);
        return panel.description()->textEdit()->toPlainText().section(QLatin1Char('\n'), 0, 0);
    };
    EXPECT_EQ(hover(panel.editorFor(f)->findChild<QLineEdit*>()), QStringLiteral("FloatHelp"));
    EXPECT_EQ(hover(panel.labelFor(f)), QStringLiteral("NodeHelp"));
    EXPECT_EQ(hover(panel.editorFor(quiet)->findChild<QLineEdit*>()), QStringLiteral("NodeHelp"));
}
