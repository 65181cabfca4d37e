// A store template deleted with the Templates page's own button: the row the list highlights
// afterwards is the template the graph, the name field and the Template tab show, or no row is
// highlighted and they show nothing.

#include "MessageBoxes.h"
#include "TemplateEditFixture.h"

#include "app/TemplateStoreTestSupport.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/StoragePaths.h"
#include "app/TemplateEditor.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "nodes/NodeGraph.h"
#include "nodeui/VyxNodeGraphView.h"
#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"

#include <QFile>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUuid>

namespace MainWindowTest {
namespace {

class TemplateDeleteRow : public TemplateEditFixture
{
protected:
    void SetUp() override
    {
        TemplateEditFixture::SetUp();
        for (QString const& name : {QStringLiteral("Stored Haze"), QStringLiteral("Stored Ink")}) {
            QString const other = QUuid::createUuid().toString();
            ASSERT_TRUE(StoreTest::writeFile(StoragePaths::objectTemplatePath(other),
                                             StoreTest::templateDocument({other, name})));
            others << other;
        }
        window.reset();
        window = std::make_unique<TwMainWindow>(nullptr);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        settle();
        objectTemplate = core()->templateStore()->getObjectTemplateFromUuid(uuid);
        ASSERT_NE(objectTemplate, nullptr);
    }

    void TearDown() override
    {
        TemplateEditFixture::TearDown();
        for (QString const& other : std::as_const(others)) {
            QFile::remove(StoragePaths::objectTemplatePath(other));
            QFile::remove(StoragePaths::objectIconPath(other));
        }
    }

    Ui::ObjectEditor* editor() const { return window->objectEditor()->form(); }
    QTreeWidget* rows() const { return editor()->templatesTreeWidget; }

    // The template whose top row is `row`; null for none.
    KelNGObject* instanceOfRow(QTreeWidgetItem* row) const
    {
        for (KelTemplate* stored : core()->templateStore()->objectTemplateList) {
            if (row && stored->objectInstance() && stored->objectInstance()->templateTreeItem == row)
                return stored->objectInstance();
        }
        return nullptr;
    }

    // The page shows the highlighted row's template whole, or nothing with no row highlighted.
    void expectWhole(std::string const& when)
    {
        SCOPED_TRACE(when);
        QList<QTreeWidgetItem*> const highlighted = rows()->selectedItems();
        ASSERT_LE(highlighted.size(), 1);
        KelNGObject* shown = highlighted.isEmpty() ? nullptr : instanceOfRow(highlighted.first());
        if (!highlighted.isEmpty()) {
            ASSERT_NE(shown, nullptr) << "the highlighted row is a template's";
            EXPECT_EQ(rows()->currentItem(), highlighted.first());
        }
        TwObjectEditor* objectEditor = window->objectEditor();
        EXPECT_EQ(objectEditor->currentObject(), shown) << "the editor's effect";
        VyxNodeGraphView* view = objectEditor->graphView();
        KelNodes::NodeGraph* graph = shown ? shown->graph() : nullptr;
        EXPECT_EQ(view ? view->graph() : nullptr, graph) << "the graph shown";
        EXPECT_EQ(objectEditor->templateEditor()->object(), shown) << "the Template tab's template";
        EXPECT_EQ(editor()->deleteTemplateButton->isEnabled(), shown != nullptr);
    }

    QStringList others;
};

TEST_F(TemplateDeleteRow, TheHighlightedRowIsTheTemplateShownAfterEachDelete)
{
    window->form()->actionNodeGraphView->trigger();
    settle();
    editor()->templatesRadioButton->click();
    settle();
    KelNGObject* instance = objectTemplate->objectInstance();
    ASSERT_TRUE(instance && instance->templateTreeItem);
    rows()->setCurrentItem(instance->templateTreeItem);
    settle();
    ASSERT_NO_FATAL_FAILURE(expectWhole("a row picked"));

    // Three deletes, each from the row the last one left highlighted.
    MessageBoxes boxes({}, QMessageBox::Yes, true);
    int left = int(core()->templateStore()->objectTemplateList.size());
    ASSERT_GE(left, 3);
    for (int deletes = 0; deletes < 3; ++deletes) {
        if (!editor()->deleteTemplateButton->isEnabled())
            break;
        editor()->deleteTemplateButton->click();
        settle();
        ASSERT_EQ(int(core()->templateStore()->objectTemplateList.size()), left - 1) << boxes.texts.join(" | ").toStdString();
        --left;
        ASSERT_NO_FATAL_FAILURE(expectWhole("after a delete, " + std::to_string(left) + " left"));
        // A click on the highlighted row changes nothing then.
        if (QTreeWidgetItem* row = rows()->currentItem()) {
            rows()->setCurrentItem(row);
            settle();
            ASSERT_NO_FATAL_FAILURE(expectWhole("the row clicked"));
        }
    }
}

} // namespace
} // namespace MainWindowTest
