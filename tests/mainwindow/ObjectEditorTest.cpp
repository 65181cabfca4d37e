#include "ObjectEditorTestSupport.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TemplateEditor.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/KelTreeWidget.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectSettings.h"
#include "nodes/NodeGraph.h"
#include "style/KelStyleConfig.h"
#include "ui_KelNodePanel.h"
#include "ui_ObjectEditor.h"

#include <QComboBox>
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
    QComboBox* box(KelNGObject* object, int column) const
    {
        return qobject_cast<QComboBox*>(form()->treeWidget->itemWidget(object->objectEditorItem, column));
    }
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

TEST_F(ObjectEditorTest, StartsOnAnEmptyNodeGraphTabWithADisabledNodePanel)
{
    EXPECT_EQ(form()->tabWidget->currentIndex(), 0);
    EXPECT_EQ(form()->tabWidget->tabText(0), "Node Graph");
    EXPECT_EQ(form()->tabWidget->tabText(1), "Template");
    EXPECT_FALSE(editor()->nodePanelWidget()->isEnabled());
    editor()->show();
    EXPECT_FALSE(editor()->nodePanelForm()->scaleLabel->isVisible());
    EXPECT_FALSE(editor()->nodePanelForm()->scaleSlider->isVisible());
    EXPECT_EQ(editor()->nodePanelWidget()->palette().color(QPalette::Window), QColor(0, 0, 3));
    EXPECT_EQ(editor()->showMode(), 0);
}

TEST_F(ObjectEditorTest, NewRowListsOpacitiesAscendingAndShowsTheValue)
{
    KelNGObject* object = addObject("A");
    QComboBox* opacity = box(object, 3);
    ASSERT_NE(opacity, nullptr);
    QStringList items;
    for (int i = 0; i < opacity->count(); ++i)
        items << opacity->itemText(i);
    EXPECT_EQ(items, (QStringList{"0%", "10%", "20%", "30%", "40%", "50%", "60%", "70%", "80%",
                                  "90%", "100%"}));
    EXPECT_EQ(opacity->currentText(), "100%");
    EXPECT_EQ(object->objectEditorItem->text(1), "A");
    EXPECT_EQ(object->objectEditorItem->text(2), "3");
    EXPECT_EQ(box(object, 4)->count(), 8);
}

TEST_F(ObjectEditorTest, StatusClickTogglesWithoutUndoStepAndMarksTheProject)
{
    KelNGObject* object = addObject("A");
    stack()->clear();
    core->setModified(false);
    QSignalSpy changed(editor(), &TwObjectEditor::vyxGraphSettingChanged);
    emit form()->treeWidget->itemClicked(object->objectEditorItem, 1);
    EXPECT_EQ(changed.count(), 0);
    emit form()->treeWidget->itemClicked(object->objectEditorItem, 0);
    EXPECT_TRUE(TwObjectSettings::isDisabled(object->graph()));
    EXPECT_TRUE(showsStyleIcon(object->objectEditorItem->icon(0), "invisible"));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_FALSE(changed.at(0).at(1).toBool());
    EXPECT_TRUE(showsStyleIcon(object->projectBrowserItem->icon(0), "invisible"));
    EXPECT_EQ(stack()->count(), 0);
    EXPECT_TRUE(core->isModified());
}

TEST_F(ObjectEditorTest, RowEditsPushOnlyRealChanges)
{
    KelNGObject* object = addObject("A");
    stack()->clear();
    object->objectEditorItem->setText(1, "   ");
    EXPECT_EQ(object->objectEditorItem->text(1), "A");
    object->objectEditorItem->setIcon(0, QIcon());
    EXPECT_EQ(stack()->count(), 0);

    box(object, 4)->setCurrentIndex(0);
    EXPECT_EQ(stack()->count(), 0) << "the blend mode already current";
    box(object, 4)->setCurrentIndex(1);
    ASSERT_EQ(stack()->count(), 1);
    EXPECT_EQ(stack()->text(0), "Blendmode Change");
    EXPECT_EQ(TwObjectSettings::blendModeId(object->graph()), 2);

    box(object, 3)->setCurrentIndex(5);
    ASSERT_EQ(stack()->count(), 2);
    EXPECT_EQ(stack()->text(1), "Opacity Change");
    box(object, 3)->setEditText("abc");
    box(object, 3)->setEditText("-5");
    EXPECT_EQ(stack()->count(), 2);
    EXPECT_EQ(box(object, 3)->currentText(), "50%") << "a refused number shows the kept value";
}

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

TEST_F(ObjectEditorTest, TemplateTabFollowsTheDeletableFlag)
{
    KelNGObject* fixed = addObject("fixed");
    KelNGObject* free = addObject("free");
    fixed->setDeletable(false);
    editor()->adjustUI(fixed);
    EXPECT_EQ(form()->tabWidget->indexOf(form()->templateTab), -1);
    EXPECT_NE(fixed->objectTemplate(), nullptr) << "an object gets an empty template";
    editor()->adjustUI(free);
    EXPECT_EQ(form()->tabWidget->indexOf(form()->templateTab), 1) << "after the Node Graph tab";
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
