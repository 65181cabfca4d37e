#include "ObjectEditorTestSupport.h"

#include "app/KelNGObject.h"
#include "app/TwCmdDeleteObject.h"
#include "app/TwCore.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectSettings.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelParamCrucial.h"
#include "nodeui/VyxNodeGraphView.h"
#include "style/KelStyleConfig.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>

using PanelTest::PanelsFixture;

namespace {

QComboBox* comboOf(QTreeWidget* tree, KelNGObject* object, QTreeWidgetItem* row, int column)
{
    Q_UNUSED(object);
    return qobject_cast<QComboBox*>(tree->itemWidget(row, column));
}

bool showsStyleIcon(QIcon const& icon, char const* key)
{
    QPixmap const expected = KelStyleConfig::instance()->value<QPixmap>(QString::fromLatin1(key));
    return !expected.isNull() && icon.pixmap(expected.size()).toImage() == expected.toImage();
}

class ProjectBrowserTest : public PanelsFixture
{
protected:
    QTreeWidget* tree() const { return window.browser->form()->treeWidget; }
    QComboBox* opacityBox(KelNGObject* object) const
    {
        return comboOf(tree(), object, object->projectBrowserItem, 3);
    }
    QComboBox* blendBox(KelNGObject* object) const
    {
        return comboOf(tree(), object, object->projectBrowserItem, 4);
    }
};

} // namespace

TEST_F(ProjectBrowserTest, SortFiltersChainsTheRowsInTheCoresOrder)
{
    struct Case { QStringList names; };
    const Case cases[] = {{{}}, {{"A"}}, {{"A", "B", "C"}}};
    for (Case const& c : cases) {
        for (QString const& name : c.names)
            addObject(name);
        core->cancelRender();
        core->sortFilters();
        EXPECT_EQ(chainNames(), c.names + QStringList{"out"}) << c.names.join(',').toStdString();
        EXPECT_EQ(browserNames(), c.names);
        EXPECT_EQ(editorNames(), c.names);
        settle();
        core->clear();
        settle();
        EXPECT_EQ(tree()->topLevelItemCount(), 0);
        EXPECT_EQ(chainNames(), QStringList{"out"});
    }
}

TEST_F(ProjectBrowserTest, SortFiltersPutsMovedRowsBackWithTheirComboBoxes)
{
    addObject("A");
    addObject("B");
    KelNGObject* c = addObject("C");
    QTreeWidgetItem* row = tree()->takeTopLevelItem(2);
    tree()->insertTopLevelItem(0, row);
    ASSERT_EQ(browserNames(), (QStringList{"C", "A", "B"}));

    window.browser->sortFilters();
    EXPECT_EQ(browserNames(), (QStringList{"A", "B", "C"}));
    ASSERT_NE(opacityBox(c), nullptr);
    ASSERT_NE(blendBox(c), nullptr);
    EXPECT_EQ(opacityBox(c)->currentText(), "100%");
    EXPECT_EQ(blendBox(c)->count(), 8);
}

TEST_F(ProjectBrowserTest, OpacityBoxPushesOneStepPerKeystrokeThatChangesTheNumber)
{
    struct Case { char const* keys; QList<int> pushed; char const* shown; };
    const Case cases[] = {
        {"55%", {5, 55}, "55%"},
        {"50", {5, 50}, "50"},
        {"ab", {}, "ab"},
        // 150 is out of range: nothing is pushed and the box shows the kept 15 again.
        {"150", {1, 15}, "15%"},
    };
    for (Case const& c : cases) {
        KelNGObject* object = addObject("A");
        window.browser->show();
        stack()->clear();
        QLineEdit* edit = opacityBox(object)->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(c.keys));

        for (int i = 0; i < stack()->count(); ++i)
            EXPECT_EQ(stack()->text(i), "Opacity Change");
        EXPECT_EQ(stack()->count(), c.pushed.size()) << c.keys;
        const int expected = c.pushed.isEmpty() ? 100 : c.pushed.last();
        EXPECT_EQ(TwObjectSettings::opacity(object->graph()), expected) << c.keys;
        EXPECT_EQ(opacityBox(object)->currentText(), QString::fromLatin1(c.shown)) << c.keys;
        // Every step is undone on its own.
        if (c.pushed.size() == 2) {
            stack()->undo();
            EXPECT_EQ(TwObjectSettings::opacity(object->graph()), c.pushed.first());
        }
        stack()->clear();
        core->clear();
        settle();
    }
}

TEST_F(ProjectBrowserTest, ChoosingFiftyFromTheListPushesOneStep)
{
    KelNGObject* object = addObject("A");
    stack()->clear();
    opacityBox(object)->setCurrentIndex(5);
    ASSERT_EQ(stack()->count(), 1);
    EXPECT_EQ(TwObjectSettings::opacity(object->graph()), 50);
    // The other panel's row follows.
    auto* editorBox = qobject_cast<QComboBox*>(
        window.editor->form()->treeWidget->itemWidget(object->objectEditorItem, 3));
    EXPECT_EQ(editorBox->currentText(), "50%");
    EXPECT_EQ(window.settingChanges, QList<bool>{true});
}

TEST_F(ProjectBrowserTest, VisibilityClickTogglesWithoutUndoStepAndMarksTheProject)
{
    KelNGObject* object = addObject("A");
    window.browser->show();
    stack()->clear();
    core->setModified(false);
    QTreeWidgetItem* row = object->projectBrowserItem;

    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {},
                      tree()->visualItemRect(row).center() + QPoint(60, 0));
    EXPECT_FALSE(TwObjectSettings::isDisabled(object->graph())) << "a Name click toggles nothing";

    QRect const cell = tree()->visualRect(tree()->model()->index(0, 0));
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_TRUE(TwObjectSettings::isDisabled(object->graph()));
    EXPECT_TRUE(showsStyleIcon(row->icon(0), "invisible"));
    EXPECT_TRUE(core->isModified());
    EXPECT_EQ(stack()->count(), 0);
    EXPECT_EQ(window.settingChanges, QList<bool>{true});
    EXPECT_TRUE(showsStyleIcon(object->objectEditorItem->icon(0), "invisible"));

    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_FALSE(TwObjectSettings::isDisabled(object->graph()));
    EXPECT_TRUE(showsStyleIcon(row->icon(0), "visible"));
}

TEST_F(ProjectBrowserTest, RenamingKeepsBlanksRefusesBlankNamesAndIsUndoable)
{
    KelNGObject* object = addObject("A");
    stack()->clear();
    core->setModified(false);
    QTreeWidgetItem* row = object->projectBrowserItem;

    row->setText(1, "   ");
    EXPECT_EQ(row->text(1), "A");
    EXPECT_EQ(stack()->count(), 0);

    row->setText(1, " B ");
    EXPECT_EQ(object->graph()->name(), " B ");
    EXPECT_EQ(object->objectEditorItem->text(1), " B ");
    EXPECT_TRUE(core->isModified());
    ASSERT_EQ(stack()->count(), 1);
    EXPECT_EQ(stack()->text(0), "Name Change");

    stack()->undo();
    EXPECT_EQ(object->graph()->name(), "A");
    EXPECT_EQ(row->text(1), "A");
    EXPECT_EQ(object->objectEditorItem->text(1), "A");
}

TEST_F(ProjectBrowserTest, EffectsButtonAndRemoveFilterState)
{
    QSignalSpy effects(window.browser, &TwProjectBrowser::effectsOn);
    window.browser->form()->effectsOn->click();
    window.browser->form()->effectsOn->click();
    ASSERT_EQ(effects.count(), 2);
    EXPECT_FALSE(effects.at(0).at(0).toBool());
    EXPECT_TRUE(effects.at(1).at(0).toBool());
    EXPECT_TRUE(showsStyleIcon(window.browser->form()->effectsOn->icon(), "visible"));

    EXPECT_FALSE(window.browser->form()->deleteFilter->isEnabled());
    KelNGObject* object = addObject("A");
    EXPECT_TRUE(window.browser->form()->deleteFilter->isEnabled());
    ASSERT_NE(window.browser->crucialPanel(), nullptr);
    // Panel edits become node edits of the editor's view (true: such a link existed).
    EXPECT_TRUE(QObject::disconnect(window.browser->crucialPanel(),
                                    SIGNAL(addParamUndo(KelParamAtom*,QBuffer*)),
                                    window.editor->graphView(),
                                    SLOT(addNodeUndo(KelParamAtom*,QBuffer*))));
    window.browser->setSelectedObject(nullptr);
    EXPECT_EQ(tree()->currentItem(), object->projectBrowserItem);
    core->setSelectedObject(nullptr);
    EXPECT_FALSE(window.browser->form()->deleteFilter->isEnabled());
    EXPECT_EQ(window.browser->crucialPanel(), nullptr);
}

TEST_F(ProjectBrowserTest, UndoneDeletionComesBackAtItsIndexInBothPanelsAndTheChain)
{
    addObject("A");
    KelNGObject* b = addObject("B");
    addObject("C");
    stack()->clear();

    stack()->push(new TwCmdDeleteObject(core.get(), core->rootGraph(), {b}));
    settle();
    EXPECT_EQ(browserNames(), (QStringList{"A", "C"}));
    EXPECT_EQ(editorNames(), (QStringList{"A", "C"}));
    EXPECT_EQ(chainNames(), (QStringList{"A", "C", "out"}));

    stack()->undo();
    settle();
    QStringList const expected{"A", "B", "C"};
    EXPECT_EQ(objectNames(), expected);
    EXPECT_EQ(browserNames(), expected);
    EXPECT_EQ(editorNames(), expected);
    EXPECT_EQ(chainNames(), expected + QStringList{"out"});
}
