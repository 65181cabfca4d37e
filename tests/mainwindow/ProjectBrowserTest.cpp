#include "ObjectEditorTestSupport.h"

#include "app/KelNGObject.h"
#include "app/TwCmdDeleteObject.h"
#include "app/TwCore.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectSettings.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNodeDescriptionTitle.h"
#include "nodeui/KelParamCrucial.h"
#include "nodeui/VyxNodeGraphView.h"
#include "style/KelStyleConfig.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QUndoStack>

using PanelTest::PanelsFixture;

namespace {

bool browserShowsStyleIcon(QIcon const& icon, char const* key)
{
    QPixmap const expected = KelStyleConfig::instance()->value<QPixmap>(QString::fromLatin1(key));
    return !expected.isNull() && icon.pixmap(expected.size()).toImage() == expected.toImage();
}

class ProjectBrowserTest : public PanelsFixture
{
protected:
    QTreeWidget* tree() const { return window.browser->form()->treeWidget; }
    QComboBox* box(KelNGObject* object, int column) const
    {
        return qobject_cast<QComboBox*>(tree()->itemWidget(object->projectBrowserItem, column));
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
    ASSERT_NE(box(c, 3), nullptr);
    ASSERT_NE(box(c, 4), nullptr);
    EXPECT_EQ(box(c, 3)->currentText(), "100%");
    EXPECT_EQ(box(c, 4)->count(), 8);
}





TEST_F(ProjectBrowserTest, EffectsButtonAndRemoveFilterState)
{
    QSignalSpy effects(window.browser, &TwProjectBrowser::effectsOn);
    window.browser->form()->effectsOn->click();
    window.browser->form()->effectsOn->click();
    ASSERT_EQ(effects.count(), 2);
    EXPECT_FALSE(effects.at(0).at(0).toBool());
    EXPECT_TRUE(effects.at(1).at(0).toBool());
    EXPECT_TRUE(browserShowsStyleIcon(window.browser->form()->effectsOn->icon(), "visible"));

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

TEST_F(ProjectBrowserTest, ImportantParametersHeadingFollowsARenameAndItsUndo)
{
    struct Case
    {
        const char* where;
        bool inBrowser;
    };
    for (Case const& c : {Case{"project browser", true}, Case{"object editor", false}}) {
        SCOPED_TRACE(c.where);
        KelNGObject* object = addObject("A");
        auto heading = [&] {
            KelParamCrucial* panel = window.browser->crucialPanel();
            return panel && panel->titleBar() ? panel->titleBar()->title : QString();
        };
        ASSERT_EQ(heading(), "Important Parameters of A");
        (c.inBrowser ? object->projectBrowserItem : object->objectEditorItem)->setText(1, "B");
        EXPECT_EQ(heading(), "Important Parameters of B");
        core->undoStack()->undo();
        EXPECT_EQ(heading(), "Important Parameters of A");
        core->undoStack()->redo();
        EXPECT_EQ(heading(), "Important Parameters of B");
        settle();
        core->clear();
        core->undoStack()->clear();
        settle();
    }
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
