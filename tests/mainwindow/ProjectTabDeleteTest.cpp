// The Project tab's deletes through the real main window: the bin (Remove Filter) and the Delete
// key act on the effect the Project tab highlights, in Show: Project and in Show: Templates,
// whatever the Templates list highlights; Edit > Delete does in Show: Project and is disabled in
// Show: Templates; a store template goes only by the Templates page's own button. After every step the tab shows one effect whole (row highlighted, its
// Important Parameters, the bin enabled) or none of the three.

#include "MainWindowFixture.h"
#include "MessageBoxes.h"

#include "app/TemplateStoreTestSupport.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/StoragePaths.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodeui/KelParamCrucial.h"
#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>
#include <QUuid>

#include <tuple>

namespace MainWindowTest {
namespace {

enum class Show { Project, Templates };
enum class Path { Bin, EditDelete, DeleteKey, TemplatesPageButton };

using Case = std::tuple<Show, bool /*effect highlighted*/, bool /*template highlighted*/, Path>;

std::string caseName(::testing::TestParamInfo<Case> const& info)
{
    auto [show, effect, templ, path] = info.param;
    const char* paths[] = {"Bin", "EditDelete", "DeleteKey", "TemplatesPageButton"};
    return std::string(show == Show::Project ? "ShowProject" : "ShowTemplates") + (effect ? "_Effect" : "_NoEffect")
        + (templ ? "_Template_" : "_NoTemplate_") + paths[int(path)];
}

class ProjectTabDelete : public MainWindowFixture, public ::testing::WithParamInterface<Case>
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        uuid = QUuid::createUuid().toString();
        path = StoragePaths::objectTemplatePath(uuid);
        ASSERT_TRUE(StoreTest::writeFile(path, StoreTest::templateDocument({uuid, QStringLiteral("Stored Glow")})));
        // The store reads its templates when the window is made.
        window.reset();
        window = std::make_unique<TwMainWindow>(nullptr);
        showWindow();
        settle();
        objectTemplate = core()->templateStore()->getObjectTemplateFromUuid(uuid);
        ASSERT_NE(objectTemplate, nullptr);
    }

    void TearDown() override
    {
        MainWindowFixture::TearDown();
        QFile::remove(path);
        QFile::remove(StoragePaths::objectIconPath(uuid));
    }

    TwProjectBrowser* tab() const { return window->projectBrowser(); }
    QTreeWidget* tabTree() const { return tab()->form()->treeWidget; }
    Ui::ObjectEditor* editor() const { return window->objectEditor()->form(); }

    KelNGObject* effectOfRow(QTreeWidgetItem* row) const
    {
        for (KelNGObject* object : core()->objectList()) {
            if (row && object->projectBrowserItem == row)
                return object;
        }
        return nullptr;
    }

    // The Project tab's effect: the row it highlights. The tab must show it whole or nothing.
    KelNGObject* highlightedEffect(std::string const& when)
    {
        SCOPED_TRACE(when);
        QList<QTreeWidgetItem*> const selected = tabTree()->selectedItems();
        QTreeWidgetItem* current = tabTree()->currentItem();
        EXPECT_LE(selected.size(), 1);
        KelNGObject* highlighted = selected.isEmpty() ? nullptr : effectOfRow(selected.first());
        if (!selected.isEmpty()) {
            EXPECT_EQ(current, selected.first()) << "the highlighted row is the current one";
        }
        KelParamCrucial* panel = tab()->crucialPanel();
        EXPECT_EQ(panel ? panel->object() : nullptr, highlighted) << "Important Parameters show the highlighted row";
        EXPECT_EQ(tab()->form()->deleteFilter->isEnabled(), highlighted != nullptr) << "the bin follows the highlight";
        return highlighted;
    }

    void clickTemplateRow()
    {
        editor()->templatesRadioButton->click();
        settle();
        KelNGObject* instance = objectTemplate->objectInstance();
        ASSERT_TRUE(instance && instance->templateTreeItem);
        editor()->templatesTreeWidget->setCurrentItem(instance->templateTreeItem);
        settle();
    }

    QString uuid;
    QString path;
    KelTemplate* objectTemplate = nullptr;
};

TEST_P(ProjectTabDelete, ActsOnTheProjectTabsEffectOnly)
{
    auto [show, effectHighlighted, templateHighlighted, way] = GetParam();
    window->form()->actionNodeGraphView->trigger();
    settle();
    addInversion(QStringLiteral("First"));
    KelNGObject* second = addInversion(QStringLiteral("Second"));
    settle();
    editor()->projectRadioButton->click();
    editor()->treeWidget->setCurrentItem(second->objectEditorItem);
    settle();
    ASSERT_EQ(highlightedEffect("a row clicked"), second);
    if (!effectHighlighted) {
        core()->setSelectedObject(nullptr);
        settle();
        ASSERT_EQ(highlightedEffect("nothing selected"), nullptr);
    }
    if (templateHighlighted)
        clickTemplateRow();
    (show == Show::Project ? editor()->projectRadioButton : editor()->templatesRadioButton)->click();
    settle();
    KelNGObject* target = highlightedEffect("show mode set");
    ASSERT_EQ(target, effectHighlighted ? second : nullptr) << "the show mode leaves the Project tab's effect";
    // The Project tab is the image view's.
    window->form()->actionImageView->trigger();
    settle();
    ASSERT_EQ(highlightedEffect("image view"), target);

    core()->undoStack()->clear();
    const QByteArray storeFile = [this] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    ASSERT_FALSE(storeFile.isEmpty());
    // Yes to the template deletion's question; a warning takes its only answer.
    MessageBoxes boxes({}, QMessageBox::Yes, true);
    switch (way) {
    case Path::Bin:
        tab()->form()->deleteFilter->click();
        break;
    case Path::EditDelete:
        emit window->form()->menuEdit->aboutToShow();
        // Disabled while the object editor shows its Templates page.
        EXPECT_EQ(window->form()->actionDelete->isEnabled(), target != nullptr && show == Show::Project);
        if (window->form()->actionDelete->isEnabled())
            window->form()->actionDelete->trigger();
        break;
    case Path::DeleteKey:
        tabTree()->setFocus();
        QTest::keyClick(tabTree(), Qt::Key_Delete);
        break;
    case Path::TemplatesPageButton:
        window->form()->actionNodeGraphView->trigger();
        settle();
        // A button of the page not shown is out of reach.
        if (editor()->deleteTemplateButton->isVisible())
            editor()->deleteTemplateButton->click();
        break;
    }
    settle();

    const bool templateGoes = way == Path::TemplatesPageButton && show == Show::Templates && templateHighlighted;
    EXPECT_EQ(QFile::exists(path), !templateGoes) << boxes.texts.join(" | ").toStdString();
    if (!templateGoes) {
        EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(" | ").toStdString();
        EXPECT_NE(core()->templateStore()->getObjectTemplateFromUuid(uuid), nullptr);
    }
    const bool effectGoes = target && way != Path::TemplatesPageButton
        && !(way == Path::EditDelete && show == Show::Templates);
    const QStringList kept = effectGoes ? QStringList{QStringLiteral("First")}
                                        : QStringList{QStringLiteral("First"), QStringLiteral("Second")};
    EXPECT_EQ(objectNames(), kept);
    EXPECT_EQ(core()->undoStack()->count(), effectGoes ? 1 : 0) << "an effect's deletion is an undo step";
    KelNGObject* after = highlightedEffect("after the delete");
    if (!effectGoes) {
        EXPECT_EQ(after, target) << "the Project tab keeps its effect";
    }

    if (effectGoes) {
        core()->undoStack()->undo();
        settle();
        EXPECT_EQ(objectNames(), (QStringList{QStringLiteral("First"), QStringLiteral("Second")}));
        highlightedEffect("after the undo");
    }
}

// The view itself changes the highlight without changing the current row: under X11 a mouse
// drag over the rows ends with the highlight taken away on the release, and the selection model
// can highlight a row that is not current. Either way the tab shows one effect whole afterwards.
class ProjectTabDrag : public ProjectTabDelete
{
};

TEST_P(ProjectTabDrag, AHighlightChangedByTheViewAloneComesBackToTheEffectShown)
{
    auto [show, effectHighlighted, templateHighlighted, way] = GetParam();
    (void)templateHighlighted;
    (void)way;
    KelNGObject* first = addInversion(QStringLiteral("First"));
    KelNGObject* second = addInversion(QStringLiteral("Second"));
    if (!effectHighlighted) {
        core()->setSelectedObject(nullptr);
        settle();
    }
    (show == Show::Project ? editor()->projectRadioButton : editor()->templatesRadioButton)->click();
    settle();
    KelNGObject* shown = highlightedEffect("before");
    ASSERT_EQ(shown, effectHighlighted ? second : nullptr);
    QItemSelectionModel* highlight = tabTree()->selectionModel();
    highlight->clearSelection();
    settle();
    EXPECT_EQ(highlightedEffect("highlight taken away"), shown);
    highlight->select(tabTree()->indexFromItem(first->projectBrowserItem),
                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    settle();
    EXPECT_EQ(highlightedEffect("another row highlighted"), shown);
    EXPECT_EQ(objectNames(), (QStringList{QStringLiteral("First"), QStringLiteral("Second")}));
}

INSTANTIATE_TEST_SUITE_P(Sweep, ProjectTabDelete,
                         ::testing::Combine(::testing::Values(Show::Project, Show::Templates), ::testing::Bool(),
                                            ::testing::Bool(),
                                            ::testing::Values(Path::Bin, Path::EditDelete, Path::DeleteKey,
                                                              Path::TemplatesPageButton)),
                         caseName);

INSTANTIATE_TEST_SUITE_P(Drag, ProjectTabDrag,
                         ::testing::Combine(::testing::Values(Show::Project, Show::Templates), ::testing::Bool(),
                                            ::testing::Values(false), ::testing::Values(Path::Bin)),
                         caseName);

} // namespace
} // namespace MainWindowTest
