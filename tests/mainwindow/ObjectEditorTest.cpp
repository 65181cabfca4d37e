#include "ObjectEditorTestSupport.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TemplateEditor.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "browser/ImageView.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/KelTreeWidget.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectSettings.h"
#include "nodes/NodeGraph.h"
#include "style/KelStyleConfig.h"
#include "ui_KelNodePanel.h"
#include "ui_ObjectEditor.h"

#include <QDataStream>
#include <QDragEnterEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>

using PanelTest::PanelsFixture;

namespace {

bool showsStyleIcon(QIcon const& icon, char const* key)
{
    QPixmap const expected = KelStyleConfig::instance()->value<QPixmap>(QString::fromLatin1(key));
    return !expected.isNull() && icon.pixmap(expected.size()).toImage() == expected.toImage();
}

// Item-model drag data whose rows carry these user-role values, in this order.
QMimeData* itemModelData(QStringList const& uuids)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    int row = 0;
    for (QString const& uuid : uuids) {
        QMap<int, QVariant> roles;
        roles.insert(Qt::DisplayRole, QStringLiteral("row"));
        roles.insert(Qt::UserRole, uuid);
        stream << row++ << 0 << roles;
    }
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("application/x-qabstractitemmodeldatalist"), bytes);
    return mime;
}

class ObjectEditorTest : public PanelsFixture
{
protected:
    TwObjectEditor* editor() const { return window.editor; }
    Ui::ObjectEditor* form() const { return window.editor->form(); }
    // A new template listed in a Filter browser, with its row on the Templates page.
    KelTemplate* newTemplate()
    {
        core->templateStore()->setFilterBrowserTreeWidget(&m_filterTree);
        KelTemplate* objectTemplate = core->templateStore()->createObjectTemplate();
        editor()->updateTemplateObject(objectTemplate->objectInstance());
        return objectTemplate;
    }
    void TearDown() override
    {
        editor()->adjustUI(nullptr);
        core->templateStore()->clear();
        PanelsFixture::TearDown();
    }

    QTreeWidget m_filterTree;
};

} // namespace





TEST_F(ObjectEditorTest, FilterIgnoresCaseAndAppliesToNewRows)
{
    KelNGObject* alpha = addObject("alpha");
    KelNGObject* beta = addObject("Beta");
    form()->lineEdit->setText("ALP");
    EXPECT_FALSE(alpha->objectEditorItem->isHidden());
    EXPECT_TRUE(beta->objectEditorItem->isHidden());
    KelNGObject* gamma = addObject("gamma");
    EXPECT_TRUE(gamma->objectEditorItem->isHidden());
    form()->lineEdit->clear();
    for (KelNGObject* object : {alpha, beta, gamma})
        EXPECT_FALSE(object->objectEditorItem->isHidden());
}


TEST_F(ObjectEditorTest, RenamingATemplateRowToATakenNameWarnsAndKeepsTheOldName)
{
    KelTemplate* first = newTemplate();
    KelTemplate* second = newTemplate();
    QString const oldName = second->name();
    second->setModified(false);
    QString warning;
    PanelTest::answerNextModal([&warning](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        warning = box ? box->windowTitle() + "|" + box->text() : QString();
        if (box)
            box->done(QMessageBox::Ok);
    });
    second->objectInstance()->templateTreeItem->setText(0, first->name());
    EXPECT_EQ(warning, QStringLiteral("Template Renaming|Template with name \"%1\" \nalready exists")
                           .arg(first->name()));
    EXPECT_EQ(second->objectInstance()->templateTreeItem->text(0), oldName);
    EXPECT_TRUE(second->modified());
    EXPECT_TRUE(showsStyleIcon(second->objectInstance()->templateTreeItem->icon(3), "templatenotsaved"));
    EXPECT_TRUE(form()->saveTemplateButton->isEnabled());

    // A free name is renamed through the template's own stack.
    second->objectInstance()->templateTreeItem->setText(0, "Fresh");
    EXPECT_EQ(second->name(), "Fresh");
    EXPECT_EQ(stack()->count(), 0);
}

TEST_F(ObjectEditorTest, TemplateSaveClearsTheUnsavedMarkOnlyOnSuccess)
{
    editor()->adjustUI(nullptr);
    editor()->setSaveButtonsEnabled(false);
    QMetaObject::invokeMethod(editor(), "on_saveTemplateButton_clicked");
    EXPECT_TRUE(form()->saveTemplateButton->isEnabled()) << "no object: buttons on, nothing saved";
    QToolButton* editorSave = editor()->templateEditor()->saveButton();
    EXPECT_TRUE(editorSave->isEnabledTo(editorSave->parentWidget()));

    KelTemplate* broken = newTemplate();
    broken->setUuid("not a uuid");
    editor()->adjustUI(broken->objectInstance());
    int boxes = 0;
    PanelTest::answerNextModal([&boxes](QWidget* modal) {
        ++boxes;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->done(QMessageBox::Ok);
    });
    QMetaObject::invokeMethod(editor(), "on_saveTemplateButton_clicked");
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(broken->modified()) << "a failed save keeps the unsaved mark";
    EXPECT_TRUE(form()->saveTemplateButton->isEnabled());

    KelTemplate* good = newTemplate();
    editor()->adjustUI(good->objectInstance());
    ASSERT_TRUE(good->modified());
    QMetaObject::invokeMethod(editor(), "on_saveTemplateButton_clicked");
    EXPECT_FALSE(good->modified());
    EXPECT_FALSE(form()->saveTemplateButton->isEnabled());
    EXPECT_TRUE(showsStyleIcon(good->objectInstance()->templateTreeItem->icon(3), "templatesaved"));
}

TEST_F(ObjectEditorTest, TemplatesPageRendersTheChosenTemplateOrNothing)
{
    KelTemplate* objectTemplate = newTemplate();
    QList<KelNGObject*> selected;
    QObject::connect(editor(), &TwObjectEditor::selectedObjectChanged, editor(),
                     [&selected](KelNGObject* object) { selected << object; });
    form()->templatesRadioButton->click();
    EXPECT_EQ(editor()->showMode(), 1);
    form()->templatesTreeWidget->setCurrentItem(objectTemplate->objectInstance()->templateTreeItem);
    EXPECT_EQ(static_cast<KelNodes::NodeGraph*>(core->currentGraph()),
              objectTemplate->objectInstance()->graph());
    EXPECT_EQ(editor()->currentObject(), objectTemplate->objectInstance());
    EXPECT_TRUE(form()->deleteTemplateButton->isEnabled());
    ASSERT_FALSE(selected.isEmpty());
    EXPECT_EQ(selected.last(), objectTemplate->objectInstance());

    form()->templatesTreeWidget->setCurrentItem(nullptr);
    EXPECT_EQ(core->currentGraph(), nullptr) << "nothing chosen renders the source";
    EXPECT_FALSE(form()->deleteTemplateButton->isEnabled());
    settle();

    form()->projectRadioButton->click();
    EXPECT_EQ(core->currentGraph(), core->rootGraph());
    settle();
}

TEST_F(ObjectEditorTest, ObjectTreeEditsColumnZeroOnlyAndReportsDropsOfDeletableObjects)
{
    KelNGObject* a = addObject("A");
    KelNGObject* b = addObject("B");
    KelTreeWidget* tree = form()->treeWidget;
    tree->show();
    QModelIndex const name = tree->model()->index(0, 1);
    QModelIndex const status = tree->model()->index(0, 0);
    tree->edit(name);
    EXPECT_EQ(tree->indexWidget(name), nullptr);
    tree->edit(status);
    EXPECT_NE(tree->indexWidget(status), nullptr);

    struct Case { QStringList uuids; bool accepted; };
    b->setDeletable(true);
    const Case cases[] = {
        {{b->uuid()}, true},
        {{b->uuid(), "unknown"}, false},
        {{"unknown", a->uuid()}, true},
        {{""}, false},
    };
    for (Case const& c : cases) {
        std::unique_ptr<QMimeData> mime(itemModelData(c.uuids));
        QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, mime.get(), Qt::LeftButton, {});
        enter.ignore();
        QApplication::sendEvent(tree->viewport(), &enter);
        EXPECT_EQ(enter.isAccepted(), c.accepted) << c.uuids.join(',').toStdString();
    }
    a->setDeletable(false);
    {
        std::unique_ptr<QMimeData> mime(itemModelData({a->uuid()}));
        QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, mime.get(), Qt::LeftButton, {});
        QApplication::sendEvent(tree->viewport(), &enter);
        EXPECT_FALSE(enter.isAccepted()) << "an object that may not be deleted";
    }

    QList<QPair<KelNGObject*, KelNGObject*>> moved;
    QObject::connect(editor(), &TwObjectEditor::moveObject, editor(),
                     [&moved](KelNGObject* from, KelNGObject* to) { moved.append(qMakePair(from, to)); });
    std::unique_ptr<QMimeData> mime(itemModelData({b->uuid()}));
    for (KelNGObject* target : {b, a}) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, mime.get(), Qt::LeftButton, {});
        QApplication::sendEvent(tree->viewport(), &enter);
        QPoint const at = tree->visualItemRect(target->objectEditorItem).center();
        QDropEvent drop(at, Qt::MoveAction, mime.get(), Qt::LeftButton, {});
        QApplication::sendEvent(tree->viewport(), &drop);
    }
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).first, b);
    EXPECT_EQ(moved.at(0).second, a);
    EXPECT_EQ(editorNames(), (QStringList{"A", "B"}));
}

TEST_F(ObjectEditorTest, TheProgramsOwnTreeDragsAreReadBack)
{
    // An object row as the object tree drags it, every column: visibility icon, UUID, row
    // mark, name, centred node count.
    addObject("A");
    KelNGObject* b = addObject("B");
    b->setDeletable(true);
    KelTreeWidget* tree = form()->treeWidget;
    tree->show();
    ASSERT_FALSE(b->objectEditorItem->icon(0).isNull());
    QModelIndexList row;
    int const rowNumber = tree->indexOfTopLevelItem(b->objectEditorItem);
    for (int column = 0; column < tree->columnCount(); ++column)
        row.append(tree->model()->index(rowNumber, column));
    std::unique_ptr<QMimeData> objectDrag(tree->model()->mimeData(row));
    ASSERT_TRUE(objectDrag);
    QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, objectDrag.get(), Qt::LeftButton, {});
    enter.ignore();
    QApplication::sendEvent(tree->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());

    // A template as the Filter browser lists it, with its icon, dropped on the image view.
    KelTemplate* objectTemplate = newTemplate();
    QList<QTreeWidgetItem*> const listed = m_filterTree.findItems(objectTemplate->name(), Qt::MatchExactly);
    ASSERT_EQ(listed.size(), 1);
    QPixmap icon(12, 8);
    icon.fill(Qt::darkCyan);
    listed.first()->setIcon(0, QIcon(icon));
    std::unique_ptr<QMimeData> templateDrag(
        m_filterTree.model()->mimeData({m_filterTree.model()->index(m_filterTree.indexOfTopLevelItem(listed.first()), 0)}));
    ASSERT_TRUE(templateDrag);
    ImageView view;
    QSignalSpy inserted(&view, &ImageView::insertTemplate);
    QDragEnterEvent templateEnter(QPoint(5, 5), Qt::CopyAction, templateDrag.get(), Qt::LeftButton, {});
    QApplication::sendEvent(&view, &templateEnter);
    EXPECT_TRUE(templateEnter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, templateDrag.get(), Qt::LeftButton, {});
    QApplication::sendEvent(&view, &drop);
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.first().first().toString(), objectTemplate->uuid());
}
