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
#include <QLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using PanelTest::Container;

namespace {

QString sectionText(KelToolBox* box, int index)
{
    auto* button = qobject_cast<QAbstractButton*>(box->layout()->itemAt(2 * index)->widget());
    return button ? button->text() : QString();
}

int sectionRows(KelToolBox* box, int index)
{
    auto* form = qobject_cast<KDSynchronizedFormLayout*>(box->widget(index)->layout());
    return form ? form->rowCount() : -1;
}

} // namespace

TEST(PanelSections, GroupsRowsIntoSectionsInParameterOrder)
{
    {
        Container c;
        c.group(QStringLiteral("Basics"));
        c.floats(QStringLiteral("a"));
        c.ints(QStringLiteral("b"));
        c.boolean(QStringLiteral("c"));
        KelParam panel(&c.container);
        ASSERT_EQ(panel.toolBox()->count(), 1);
        EXPECT_EQ(sectionText(panel.toolBox(), 0), QStringLiteral("Basics"));
        EXPECT_TRUE(panel.toolBox()->isExpanded(0));
        EXPECT_EQ(sectionRows(panel.toolBox(), 0), 3);
    }
    {
        // Rows before the first group land in the first section; a section runs across lists.
        Container c;
        c.floats(QStringLiteral("early1"));
        c.floats(QStringLiteral("early2"));
        c.group(QStringLiteral("First"));
        c.floats(QStringLiteral("x"));
        c.addList(QStringLiteral("second"));
        c.floats(QStringLiteral("y"));
        c.group(QStringLiteral("Second"));
        KelParam panel(&c.container);
        ASSERT_EQ(panel.toolBox()->count(), 2);
        EXPECT_EQ(sectionRows(panel.toolBox(), 0), 4);
        EXPECT_EQ(sectionRows(panel.toolBox(), 1), 0);
    }
    {
        // Without any group-box parameter the rows still get a section, named after the list.
        Container c;
        c.floats(QStringLiteral("lonely"));
        KelParam panel(&c.container);
        ASSERT_EQ(panel.toolBox()->count(), 1);
        EXPECT_EQ(sectionText(panel.toolBox(), 0), QStringLiteral("main"));
        EXPECT_EQ(sectionRows(panel.toolBox(), 0), 1);
    }
}

TEST(PanelSections, HeaderSubstitution)
{
    Container c;
    auto* w = c.floats(QStringLiteral("w"), 2, 0.0f, 10.0f, 0.0f);
    w->setValue(1.5f, 0);
    w->setValue(2.0f, 1);
    c.ints(QStringLiteral("n"));
    c.addList(QStringLiteral("later"));
    c.floats(QStringLiteral("late"), 1, 0.0f, 10.0f, 3.0f);
    KelParam panel(&c.container);

    const struct {
        QString text;
        QString header;
    } cases[] = {
        {QStringLiteral("{w:1}x{w:0}"), QStringLiteral("2x1.5")},
        {QStringLiteral("Blur {w:0} px"), QStringLiteral("Blur 1.5 px")},
        {QStringLiteral("[{n:0}][{none:0}]"), QStringLiteral("[][]")},
        {QStringLiteral("a{abc}b"), QStringLiteral("ab")},
        {QStringLiteral("Size {w:1"), QStringLiteral("Size 1.51")},
        {QStringLiteral("{w:x}"), QStringLiteral("1.5")},
        {QStringLiteral("{late:0}"), QString()},
        {QStringLiteral("plain"), QStringLiteral("plain")},
    };
    for (auto const& c2 : cases)
        EXPECT_EQ(panel.computeGroupBoxHeader(c2.text), c2.header) << c2.text.toStdString();
}

TEST(PanelSections, HeadersFollowTheValuesTheyQuote)
{
    Container c;
    c.group(QStringLiteral("Radius {r:0}"));
    auto* r = c.floats(QStringLiteral("r"), 1, 0.0f, 10.0f, 2.5f);
    KelParam panel(&c.container);
    EXPECT_EQ(sectionText(panel.toolBox(), 0), QStringLiteral("Radius 2.5"));

    c.container.setFloatParam(QStringLiteral("r"), 4.0f);
    EXPECT_EQ(sectionText(panel.toolBox(), 0), QStringLiteral("Radius 4"));

    auto* spin = qobject_cast<QDoubleSpinBox*>(panel.editorFor(r));
    ASSERT_NE(spin, nullptr);
    spin->setValue(7.25);
    emit spin->editingFinished();
    EXPECT_EQ(sectionText(panel.toolBox(), 0), QStringLiteral("Radius 7.25"));
}

TEST(PanelSections, InactiveListsHideTheirSections)
{
    Container c;
    c.group(QStringLiteral("A"));
    c.floats(QStringLiteral("a"));
    c.addList(QStringLiteral("l1"));
    c.group(QStringLiteral("B"));
    c.floats(QStringLiteral("b"));
    c.addList(QStringLiteral("l2"));
    c.group(QStringLiteral("C"));
    auto* trigger = c.floats(QStringLiteral("c"));
    KelParam panel(&c.container);
    panel.show();
    ASSERT_EQ(panel.toolBox()->count(), 3);
    panel.toolBox()->setExpanded(2, false);

    c.container.paramLists()[2].active = false;
    trigger->setValue(1.0f);
    EXPECT_TRUE(panel.toolBox()->isVisible(0));
    EXPECT_TRUE(panel.toolBox()->isVisible(1));
    EXPECT_FALSE(panel.toolBox()->isVisible(2));

    c.container.paramLists()[2].active = true;
    c.container.paramLists()[1].active = false;
    trigger->setValue(2.0f);
    EXPECT_FALSE(panel.toolBox()->isVisible(1));
    EXPECT_TRUE(panel.toolBox()->isVisible(2));
    // Shown again, a collapsed section stays closed.
    EXPECT_FALSE(panel.toolBox()->widget(2)->isVisible());
    EXPECT_TRUE(panel.toolBox()->widget(0)->isVisible());
}

TEST(PanelRefresh, OutsideChangesRefreshWithoutUndoSteps)
{
    Container c;
    c.group(QStringLiteral("G"));
    auto* f = c.floats(QStringLiteral("f"));
    KelParam panel(&c.container);
    QSignalSpy undo(&panel, &KelParam::addParamUndo);
    QSignalSpy changed(&panel, &KelParam::parameterChanged);

    c.container.setFloatParam(QStringLiteral("f"), 3.25f);
    EXPECT_DOUBLE_EQ(qobject_cast<QDoubleSpinBox*>(panel.editorFor(f))->value(), 3.25);
    EXPECT_EQ(undo.count(), 0);
    EXPECT_EQ(changed.count(), 1);
}

TEST(PanelUndoBlocks, SnapshotAndNamedBlocks)
{
    Container c;
    c.group(QStringLiteral("G"));
    auto* f = c.floats(QStringLiteral("f"), 1, 0.0f, 10.0f, 1.0f);
    auto* g = c.floats(QStringLiteral("g"), 1, 0.0f, 10.0f, 2.0f);
    KelParam panel(&c.container);
    QSignalSpy undo(&panel, &KelParam::addParamUndo);
    QSignalSpy command(&panel, &KelParam::addCommandUndo);

    // Snapshot block, committed: one step holding the values from before the first change.
    c.container.undoBlockBegin(QStringLiteral("drag"), -1);
    f->setValue(5.0f);
    g->setValue(6.0f);
    c.container.undoBlockEnd(true);
    ASSERT_EQ(undo.count(), 1);
    std::unique_ptr<QBuffer> before(undo.at(0).at(1).value<QBuffer*>());
    ASSERT_TRUE(before);
    Container scratch;
    scratch.floats(QStringLiteral("f"));
    scratch.floats(QStringLiteral("g"));
    KelUtils::ParameterContainer& copy = scratch.container;
    {
        QDomDocument document;
        document.setContent(before->data());
        copy.loadState(document.documentElement().firstChildElement());
    }
    EXPECT_FLOAT_EQ(copy.getFloatParam(QStringLiteral("f")), 1.0f);
    EXPECT_FLOAT_EQ(copy.getFloatParam(QStringLiteral("g")), 2.0f);

    // Snapshot block, not committed: values restored, nothing emitted.
    c.container.undoBlockBegin(QStringLiteral("drag"), -1);
    f->setValue(8.0f);
    c.container.undoBlockEnd(false);
    EXPECT_FLOAT_EQ(f->value(), 5.0f);
    EXPECT_EQ(undo.count(), 1);

    // Named blocks leave the record to the receiver; a cancelled one restores nothing.
    c.container.undoBlockBegin(QStringLiteral("Drag"), 3);
    c.container.undoBlockEnd(true);
    ASSERT_EQ(command.count(), 1);
    EXPECT_EQ(command.at(0).at(0).value<KelParam*>(), &panel);
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
    auto* f = c.floats(QStringLiteral("f"), 1, 0.0f, 10.0f, 1.0f);
    {
        KelParam panel(&c.container);
        QSignalSpy undo(&panel, &KelParam::addParamUndo);
        QSignalSpy command(&panel, &KelParam::addCommandUndo);
        // An end without any begin, and a second end after a committed block, do nothing.
        c.container.undoBlockEnd(true);
        c.container.undoBlockEnd(false);
        c.container.undoBlockBegin(QString(), -1);
        c.container.undoBlockEnd(true);
        c.container.undoBlockEnd(true);
        c.container.undoBlockEnd(false);
        EXPECT_EQ(undo.count(), 1);
        EXPECT_EQ(command.count(), 0);
        delete undo.at(0).at(1).value<QBuffer*>();
        EXPECT_FLOAT_EQ(f->value(), 1.0f);
        // A block left open when the panel goes.
        c.container.undoBlockBegin(QString(), -1);
    }
    // The panel unregistered: blocks on the container reach nothing.
    c.container.undoBlockBegin(QString(), -1);
    f->setValue(4.0f);
    c.container.undoBlockEnd(false);
    EXPECT_FLOAT_EQ(f->value(), 4.0f);

    // An older panel going does not unregister a newer one.
    auto* older = new KelParam(&c.container);
    KelParam newer(&c.container);
    delete older;
    QSignalSpy undo(&newer, &KelParam::addParamUndo);
    c.container.undoBlockBegin(QString(), -1);
    c.container.undoBlockEnd(true);
    ASSERT_EQ(undo.count(), 1);
    delete undo.at(0).at(1).value<QBuffer*>();
}

TEST(PanelHoverHelp, ShowsTheHoveredParameterOrTheNode)
{
    Container c;
    c.container.helpItem()->title = QStringLiteral("NodeHelp");
    c.container.helpItem()->text = QStringLiteral("About the node.");
    c.group(QStringLiteral("G"));
    auto* f = c.floats(QStringLiteral("f"));
    f->helpItem()->title = QStringLiteral("FloatHelp");
    f->helpItem()->text = QStringLiteral("About f.");
    auto* quiet = c.floats(QStringLiteral("quiet"));
    quiet->helpItem()->title = QStringLiteral("QuietTitle");
    KelParam panel(&c.container);
    panel.resize(400, 400);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    QTextEdit* help = panel.description()->textEdit();

    auto hover = [&](QWidget* target) {
        const QPoint local = target->rect().center();
        QHelpEvent event(QEvent::ToolTip, local, target->mapToGlobal(local));
        QApplication::sendEvent(target, &event);
        return help->toPlainText();
    };
    auto* spin = qobject_cast<QDoubleSpinBox*>(panel.editorFor(f));
    ASSERT_NE(spin, nullptr);
    QLineEdit* inner = spin->findChild<QLineEdit*>();
    ASSERT_NE(inner, nullptr);
    EXPECT_TRUE(hover(inner).contains(QStringLiteral("FloatHelp")));
    EXPECT_TRUE(hover(panel.labelFor(f)).contains(QStringLiteral("NodeHelp")));
    EXPECT_TRUE(hover(panel.editorFor(quiet)->findChild<QLineEdit*>()).contains(QStringLiteral("NodeHelp")));
}

TEST(PanelLifecycle, AFocusedBoxLeftDuringDestructionWritesNothing)
{
    Container c;
    c.group(QStringLiteral("G"));
    auto* f = c.floats(QStringLiteral("f"), 1, 0.0f, 10.0f, 1.0f);
    auto* panel = new KelParam(&c.container);
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));
    panel->activateWindow();
    auto* spin = qobject_cast<QDoubleSpinBox*>(panel->editorFor(f));
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("7"));
    int undoSteps = 0;
    QObject::connect(panel, &KelParam::addParamUndo, [&](KelParam*, QBuffer* b) {
        ++undoSteps;
        delete b;
    });
    delete panel;
    EXPECT_EQ(undoSteps, 0);
    EXPECT_FLOAT_EQ(f->value(), 1.0f);
    EXPECT_TRUE(c.container.paramCallbacks().isEmpty());
}
