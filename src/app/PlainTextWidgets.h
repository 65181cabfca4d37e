#pragma once

#include <QMessageBox>
#include <QString>

class QAction;
class QLabel;
class QTextEdit;
class QWidget;

// The widgets that show text from outside (names and fields of projects and templates, a
// service's replies, file and folder names) show it as plain text. A label, a message box, a tool
// tip or a text box takes text that looks like markup for rich text, and Qt's text document
// then reads whatever file an <img> in it names: /dev/zero until memory runs out, a named pipe
// for ever. Every such widget is given its text through here.
namespace PlainTextWidgets {

// `label` shows `text` as plain text, cut as ShownText::bounded() cuts, in lines that wrap at
// the width the label's place gives it: a word longer than that is clipped, never widening the
// place.
void setText(QLabel* label, QString const& text);

// A new label that shows `name` as plain text on one line of at most `maxChars` characters.
QLabel* nameLabel(QString const& name, int maxChars);

// The box shows `text` as plain text, cut to a boxful. A box made with its text has taken it
// for what it looks like: make it without, then give the text here.
void setText(QMessageBox* box, QString const& text);

// As QMessageBox's static functions (the default button is `defaultButton`, or else the first
// button that accepts), with the text shown as plain text.
QMessageBox::StandardButton showMessage(QMessageBox::Icon icon, QWidget* parent, QString const& title,
                                        QString const& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// The action's text, which names what the user or a file named (Undo and Redo name the command),
// is kept to a menu entry, and its tool tip, which a tool bar's button shows, follows it as
// plain text.
void keepTextPlain(QAction* action);

// Appends `text` to the box as a paragraph of plain text.
void appendPlain(QTextEdit* edit, QString const& text);

} // namespace PlainTextWidgets
