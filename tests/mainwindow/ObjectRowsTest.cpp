// The object rows both project panels show: each case runs in the project browser and in the
// object editor, and checks that the other panel's row follows.
#include "ObjectEditorTestSupport.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectSettings.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/NodeGraph.h"
#include "style/KelStyleConfig.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QUndoStack>

using PanelTest::PanelsFixture;

namespace {

bool rowShowsStyleIcon(QIcon const& icon, char const* key)
{
    QPixmap const expected = KelStyleConfig::instance()->value<QPixmap>(QString::fromLatin1(key));
    return !expected.isNull() && icon.pixmap(expected.size()).toImage() == expected.toImage();
}

class ObjectRowsTest : public PanelsFixture, public ::testing::WithParamInterface<bool>
{
protected:
    bool inBrowser() const { return GetParam(); }
    QWidget* panel() const
    {
        return inBrowser() ? static_cast<QWidget*>(window.browser) : window.editor;
    }
    QTreeWidget* tree(bool browser) const
    {
        return browser ? static_cast<QTreeWidget*>(window.browser->form()->treeWidget)
                       : window.editor->form()->treeWidget;
    }
    QTreeWidget* tree() const { return tree(inBrowser()); }
    static QTreeWidgetItem* row(KelNGObject* object, bool browser)
    {
        return browser ? object->projectBrowserItem : object->objectEditorItem;
    }
    QTreeWidgetItem* row(KelNGObject* object) const { return row(object, inBrowser()); }
    QComboBox* box(KelNGObject* object, int column, bool browser) const
    {
        return qobject_cast<QComboBox*>(tree(browser)->itemWidget(row(object, browser), column));
    }
    QComboBox* box(KelNGObject* object, int column) const
    {
        return box(object, column, inBrowser());
    }
    // A fresh object with an empty history and an unmodified project.
    KelNGObject* freshObject()
    {
        KelNGObject* object = addObject("A");
        panel()->show();
        stack()->clear();
        core->setModified(false);
        window.settingChanges.clear();
        return object;
    }
    void reset()
    {
        stack()->clear();
        core->clear();
        settle();
    }
};

} // namespace


TEST_P(ObjectRowsTest, VisibilityClickTogglesWithoutAnUndoStepAndMarksTheProject)
{
    KelNGObject* object = freshObject();
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {},
                      tree()->visualItemRect(row(object)).center() + QPoint(60, 0));
    EXPECT_FALSE(TwObjectSettings::isDisabled(object->graph())) << "a Name click toggles nothing";

    QRect const cell = tree()->visualRect(tree()->model()->index(0, 0));
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_TRUE(TwObjectSettings::isDisabled(object->graph()));
    EXPECT_TRUE(rowShowsStyleIcon(row(object, true)->icon(0), "invisible"));
    EXPECT_TRUE(rowShowsStyleIcon(row(object, false)->icon(0), "invisible"));
    EXPECT_TRUE(core->isModified());
    EXPECT_EQ(stack()->count(), 0) << "switching an effect off takes effect at once, without an undo step";
    EXPECT_EQ(window.settingChanges, QList<bool>{inBrowser()});

    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_FALSE(TwObjectSettings::isDisabled(object->graph()));
    EXPECT_TRUE(rowShowsStyleIcon(row(object)->icon(0), "visible"));
}

TEST_P(ObjectRowsTest, OpacityBoxPushesOneStepPerKeystrokeThatChangesTheNumber)
{
    struct Case { char const* keys; QList<int> pushed; char const* shown; };
    const Case cases[] = {
        {"55%", {5, 55}, "55%"},
        {"50", {5, 50}, "50"},
        {"ab", {}, "ab"},
        // 150 is out of range: nothing is pushed and the box shows the kept 15 again.
        {"150", {1, 15}, "15%"},
        {"-5", {}, "100%"},
    };
    for (Case const& c : cases) {
        KelNGObject* object = freshObject();
        QLineEdit* edit = box(object, 3)->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(c.keys));

        for (int i = 0; i < stack()->count(); ++i)
            EXPECT_EQ(stack()->text(i), "Opacity Change");
        EXPECT_EQ(stack()->count(), c.pushed.size()) << c.keys;
        const int expected = c.pushed.isEmpty() ? 100 : c.pushed.last();
        EXPECT_EQ(TwObjectSettings::opacity(object->graph()), expected) << c.keys;
        EXPECT_EQ(box(object, 3)->currentText(), QString::fromLatin1(c.shown)) << c.keys;
        EXPECT_EQ(box(object, 3, !inBrowser())->currentText(), QStringLiteral("%1%").arg(expected))
            << "the other panel follows";
        // Every step is undone on its own.
        if (c.pushed.size() == 2) {
            stack()->undo();
            EXPECT_EQ(TwObjectSettings::opacity(object->graph()), c.pushed.first());
        }
        reset();
    }
}

TEST_P(ObjectRowsTest, NewRowShowsTheObjectAndListChoicesPushOnlyRealChanges)
{
    KelNGObject* object = freshObject();
    EXPECT_EQ(row(object)->text(1), "A");
    EXPECT_EQ(row(object)->text(2), "3");
    EXPECT_EQ(box(object, 3)->count(), 11);
    EXPECT_EQ(box(object, 3)->currentText(), "100%");
    EXPECT_EQ(box(object, 4)->count(), 8);
    box(object, 4)->setCurrentIndex(0);
    EXPECT_EQ(stack()->count(), 0) << "the blend mode already current";
    box(object, 4)->setCurrentIndex(1);
    ASSERT_EQ(stack()->count(), 1);
    EXPECT_EQ(stack()->text(0), "Blendmode Change");
    EXPECT_EQ(TwObjectSettings::blendModeId(object->graph()), 2);
    EXPECT_EQ(box(object, 4, !inBrowser())->currentIndex(), 1);

    box(object, 3)->setCurrentIndex(5);
    ASSERT_EQ(stack()->count(), 2);
    EXPECT_EQ(stack()->text(1), "Opacity Change");
    EXPECT_EQ(TwObjectSettings::opacity(object->graph()), 50);
    EXPECT_EQ(box(object, 3, !inBrowser())->currentText(), "50%");
    EXPECT_EQ(window.settingChanges, QList<bool>(2, inBrowser()));
}

TEST_P(ObjectRowsTest, RenamingKeepsBlanksRefusesBlankNamesAndIsUndoable)
{
    KelNGObject* object = freshObject();
    row(object)->setText(1, "   ");
    EXPECT_EQ(row(object)->text(1), "A");
    EXPECT_EQ(stack()->count(), 0);

    row(object)->setText(1, " B ");
    EXPECT_EQ(object->graph()->name(), " B ");
    EXPECT_EQ(row(object, !inBrowser())->text(1), " B ");
    EXPECT_TRUE(core->isModified());
    ASSERT_EQ(stack()->count(), 1);
    EXPECT_EQ(stack()->text(0), "Name Change");

    stack()->undo();
    EXPECT_EQ(object->graph()->name(), "A");
    EXPECT_EQ(row(object, true)->text(1), "A");
    EXPECT_EQ(row(object, false)->text(1), "A");
}

INSTANTIATE_TEST_SUITE_P(Panels, ObjectRowsTest, ::testing::Values(true, false),
                         [](::testing::TestParamInfo<bool> const& info) {
                             return std::string(info.param ? "ProjectBrowser" : "ObjectEditor");
                         });
