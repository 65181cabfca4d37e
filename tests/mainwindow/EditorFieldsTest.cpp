// The editor fields of the real window that commit when they are left or confirmed: the
// template editor's and the node panel's text fields, and every parameter editor of a node's
// panel and of the Important Parameters panel. Leaving a field unchanged changes nothing, and a
// value typed, confirmed and left is one undo step.

#include "MainWindowFixture.h"
#include "ParameterObject.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TemplateEditor.h"
#include "app/TwCore.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelParamEditorValues.h"
#include "nodeui/VyxNodeGraphView.h"
#include "params/ColorParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/StringParameter.h"
#include "style/KelColorField.h"
#include "ui_KelNodePanel.h"
#include "ui_MainWindow.h"
#include "ui_TemplateEditor.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QUndoStack>

#include <functional>

namespace MainWindowTest {
namespace {

// Longer than a line edit holds (32,767 characters).
const QString kLongValue = QStringLiteral("tag ").repeated(10000);
// Lines ended as a template file from elsewhere may end them, with no-break spaces.
const QString kLongLines = QStringLiteral("line\u00a0end\r\n").repeated(4000);

// What the widget sees when the user clicks into it and then elsewhere.
void focusIn(QWidget* field)
{
    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(field, &in);
}

void focusOut(QWidget* field)
{
    QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(field, &out);
}

class EditorFields : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        // The node-graph view: the object editor follows the selected object.
        window->form()->actionNodeGraphView->trigger();
        settle();
        made = addParameterObject(core(), QStringLiteral("Fields"));
        ASSERT_NE(made.object, nullptr);
        core()->setSelectedObject(made.object);
        window->projectBrowser()->dynamicObjectSettingsFor(made.object);
        settle();
        ASSERT_EQ(window->objectEditor()->currentObject(), made.object);
        ASSERT_NE(KelNGNode::itemOf(made.node), nullptr) << "the node-graph view shows the node";
        core()->setModified(false);
    }

    QUndoStack* stack() const { return core()->undoStack(); }

    ParameterObject made;
};

TEST_F(EditorFields, LeavingAnyTextFieldUnchangedChangesNothingEvenWhenItHoldsMoreThanItShows)
{
    TwObjectEditor* objectEditor = window->objectEditor();
    Ui::TemplateEditor* templateForm = objectEditor->templateEditor()->form();
    KelTemplate* objectTemplate = made.object->getValidTemplate();
    ASSERT_NE(objectTemplate, nullptr);
    auto* label = static_cast<KelUtils::StringParameter*>(made.parameter(QStringLiteral("label")));
    KelNGNode* nodeItem = KelNGNode::itemOf(made.node);

    struct Field
    {
        const char* name;
        std::function<QWidget*()> show; // stores the long value and shows it; the field
        std::function<QString()> stored;
        QString value = kLongValue;
    };
    auto templateField = [&](const char* name, QLineEdit* field, void (KelTemplate::*set)(QString const&),
                             QString const& (KelTemplate::*get)() const) {
        return Field{name,
                     [=, this] {
                         (objectTemplate->*set)(kLongValue);
                         objectEditor->adjustUI(made.object);
                         return field;
                     },
                     [=] { return (objectTemplate->*get)(); }};
    };
    const Field fields[] = {
        templateField("template name", templateForm->descriptionNameEdit, &KelTemplate::setName, &KelTemplate::name),
        templateField("tags", templateForm->descriptionTagsEdit, &KelTemplate::setTags, &KelTemplate::tags),
        templateField("alternative names", templateForm->descriptionAlternativeNamesEdit,
                      &KelTemplate::setAlternativeNames, &KelTemplate::alternativeNames),
        templateField("version", templateForm->descriptionVersionEdit, &KelTemplate::setVersion,
                      &KelTemplate::version),
        templateField("created by", templateForm->descriptionCreatedByEdit, &KelTemplate::setCreatedBy,
                      &KelTemplate::createdBy),
        {"node name",
         [&] {
             made.node->setName(kLongValue);
             emit objectEditor->graphView()->selectedNodeChanged(nodeItem);
             return objectEditor->nodePanelForm()->nodeNameEdit;
         },
         [&] { return made.node->name(); }},
        {"text parameter of the node panel",
         [&] {
             label->setValue(kLongValue);
             return qobject_cast<QLineEdit*>(nodePanelEditor(made.node, label));
         },
         [&] { return label->value(); }},
        {"text parameter of the Important Parameters",
         [&] {
             label->setValue(kLongValue);
             return qobject_cast<QLineEdit*>(importantEditor(window.get(), label));
         },
         [&] { return label->value(); }},
        // The description box holds any length, but gives line ends back in its own form.
        {"description",
         [&] {
             objectTemplate->setDescription(kLongLines);
             objectEditor->adjustUI(made.object);
             return templateForm->descriptionEdit;
         },
         [&] { return objectTemplate->description(); }, kLongLines},
    };
    for (Field const& field : fields) {
        SCOPED_TRACE(field.name);
        objectTemplate->setModified(false);
        core()->setModified(false);
        const int steps = stack()->count();
        QWidget* edit = field.show();
        ASSERT_NE(edit, nullptr);
        settle();
        ASSERT_TRUE(field.stored() == field.value);
        if (auto* line = qobject_cast<QLineEdit*>(edit))
            ASSERT_LT(line->text().size(), field.value.size()) << "the field shows the value cut";

        focusIn(edit);
        focusOut(edit);
        if (qobject_cast<QLineEdit*>(edit)) {
            focusIn(edit);
            QTest::keyClick(edit, Qt::Key_Return);
            focusOut(edit);
        }
        settle();
        EXPECT_TRUE(field.stored() == field.value) << "kept whole: " << field.stored().size() << " characters";
        EXPECT_FALSE(objectTemplate->modified());
        EXPECT_EQ(stack()->count(), steps);
        EXPECT_FALSE(core()->isModified());
    }
}

// How the user gives a parameter a new value in its editor, and what the editor then shows.
struct Edit
{
    const char* parameter;
    std::function<void(QWidget*)> change;
    std::function<bool(KelUtils::Parameter*)> changed; // the stored value is the new one
};

void typeInto(QWidget* field, QString const& text)
{
    focusIn(field);
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(field))
        spin->selectAll();
    if (auto* line = qobject_cast<QLineEdit*>(field))
        line->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
    focusOut(field);
}

template<class T>
T valueOf(KelUtils::Parameter* parameter)
{
    return static_cast<KelUtils::NumGroupParameter<T>*>(*parameter)->value(0);
}

TEST_F(EditorFields, AValueTypedConfirmedAndLeftIsOneUndoStepAndAConfirmationWithoutChangeNone)
{
    const QColor tint(200, 30, 90);
    const Edit edits[] = {
        {"count", [](QWidget* w) { typeInto(w, QStringLiteral("7")); },
         [](KelUtils::Parameter* p) { return valueOf<int>(p) == 7; }},
        {"level", [](QWidget* w) { typeInto(w, QStringLiteral("9")); },
         [](KelUtils::Parameter* p) { return valueOf<int>(p) == 9; }},
        {"amount", [](QWidget* w) { typeInto(w, QStringLiteral("4.25")); },
         [](KelUtils::Parameter* p) { return valueOf<float>(p) == 4.25f; }},
        {"mix", [](QWidget* w) { typeInto(w, QStringLiteral("3.5")); },
         [](KelUtils::Parameter* p) { return valueOf<float>(p) == 3.5f; }},
        {"label", [](QWidget* w) { typeInto(w, QStringLiteral("changed")); },
         [](KelUtils::Parameter* p) {
             return static_cast<KelUtils::StringParameter*>(*p)->value() == QLatin1String("changed");
         }},
        {"flag",
         [](QWidget* w) {
             focusIn(w);
             QTest::keyClick(w, Qt::Key_Space);
             focusOut(w);
         },
         [](KelUtils::Parameter* p) { return valueOf<int>(p) == 1; }},
        {"tint",
         [tint](QWidget* w) {
             // The colour dialog's choice.
             qobject_cast<KelColorField*>(w)->setColor(tint);
         },
         [tint](KelUtils::Parameter* p) {
             return KelParamEditorValues::toQColor(static_cast<KelUtils::ColorParameter*>(*p)->value()) == tint;
         }},
        {"mode",
         [](QWidget* w) {
             focusIn(w);
             QTest::keyClick(w, Qt::Key_Down);
             focusOut(w);
         },
         [](KelUtils::Parameter* p) { return static_cast<KelUtils::ListParameter*>(*p)->currentItem()->id == 2; }},
    };
    const struct
    {
        const char* name;
        std::function<QWidget*(KelUtils::Parameter*)> editor;
    } panels[] = {
        {"node panel", [&](KelUtils::Parameter* p) { return nodePanelEditor(made.node, p); }},
        {"Important Parameters", [&](KelUtils::Parameter* p) { return importantEditor(window.get(), p); }},
    };
    for (auto const& panel : panels) {
        for (Edit const& edit : edits) {
            SCOPED_TRACE(std::string(panel.name) + ", " + edit.parameter);
            KelUtils::Parameter* parameter = made.parameter(QString::fromLatin1(edit.parameter));
            ASSERT_NE(parameter, nullptr);
            QWidget* editor = panel.editor(parameter);
            ASSERT_NE(editor, nullptr);
            settle();
            // Steps undone by the previous case may lie ahead of the index.
            const int start = stack()->index();

            // Into the field and out again, and a confirmation without a change.
            focusIn(editor);
            focusOut(editor);
            if (qobject_cast<QAbstractSpinBox*>(editor) || qobject_cast<QLineEdit*>(editor)) {
                focusIn(editor);
                QTest::keyClick(editor, Qt::Key_Return);
                focusOut(editor);
            }
            settle();
            EXPECT_EQ(stack()->index(), start) << "nothing changed";
            ASSERT_FALSE(edit.changed(parameter));

            edit.change(editor);
            settle();
            EXPECT_TRUE(edit.changed(parameter));
            EXPECT_EQ(stack()->index(), start + 1) << "one edit, one step";
            EXPECT_EQ(stack()->count(), start + 1);
            window->undoAction()->trigger();
            settle();
            EXPECT_FALSE(edit.changed(parameter)) << "the first Undo takes the edit back";
            EXPECT_EQ(stack()->index(), start);
            // The editor shows the value it had: leaving it again writes nothing.
            focusIn(editor);
            focusOut(editor);
            settle();
            EXPECT_FALSE(edit.changed(parameter));
            EXPECT_EQ(stack()->count(), start + 1);
            window->redoAction()->trigger();
            settle();
            EXPECT_TRUE(edit.changed(parameter));
            window->undoAction()->trigger();
            settle();
            // The next edit drops the undone step.
        }
    }
}

} // namespace
} // namespace MainWindowTest
