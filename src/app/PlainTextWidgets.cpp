#include "app/PlainTextWidgets.h"

#include "app/ShownText.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>

namespace PlainTextWidgets {

namespace {

// What a tool bar shows of an action's text: its mnemonic marks taken out, "&&" read as "&".
QString withoutMnemonics(QString const& text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&')) {
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&'))
                shown.append(text.at(++i));
            continue;
        }
        shown.append(text.at(i));
    }
    return shown;
}

// A message box's text: paragraphs of the program's own words around names and replies that
// are cut already; this bounds what a caller left whole.
constexpr int kBoxChars = 4000;
constexpr int kBoxLines = 40;

} // namespace

void setText(QLabel* label, QString const& text)
{
    if (!label)
        return;
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    // A wrapped label asks for the width of its longest word as its least.
    label->setMinimumWidth(1);
    label->setText(ShownText::bounded(text));
}

QLabel* nameLabel(QString const& name, int maxChars)
{
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setText(ShownText::name(name, maxChars));
    return label;
}

void setText(QMessageBox* box, QString const& text)
{
    if (!box)
        return;
    box->setTextFormat(Qt::PlainText);
    box->setText(ShownText::bounded(text, kBoxChars, kBoxLines));
}

QMessageBox::StandardButton showMessage(QMessageBox::Icon icon, QWidget* parent, QString const& title,
                                        QString const& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, QString(), QMessageBox::NoButton, parent);
    setText(&box, text);
    auto* buttonBox = box.findChild<QDialogButtonBox*>();
    for (uint mask = QMessageBox::FirstButton; mask <= QMessageBox::LastButton; mask <<= 1) {
        const uint standard = uint(buttons) & mask;
        if (!standard)
            continue;
        QPushButton* button = box.addButton(QMessageBox::StandardButton(standard));
        if (box.defaultButton())
            continue;
        const bool chosen = defaultButton == QMessageBox::NoButton
                                ? buttonBox && buttonBox->buttonRole(button) == QDialogButtonBox::AcceptRole
                                : standard == uint(defaultButton);
        if (chosen)
            box.setDefaultButton(button);
    }
    if (box.exec() == -1)
        return QMessageBox::Cancel;
    return box.standardButton(box.clickedButton());
}

void keepTextPlain(QAction* action)
{
    if (!action)
        return;
    auto follow = [action] {
        // A cut text is at most one character longer than the limit: the text set here comes
        // back once through the same signal and is left as it is.
        if (action->text().size() > ShownText::kMenuEntryChars + 1)
            action->setText(ShownText::name(action->text(), ShownText::kMenuEntryChars));
        // Setting the same tip again changes nothing and signals nothing.
        action->setToolTip(ShownText::toolTip(withoutMnemonics(action->text())));
    };
    QObject::connect(action, &QAction::changed, action, follow);
    follow();
}

void appendPlain(QTextEdit* edit, QString const& text)
{
    if (!edit)
        return;
    // As QTextEdit::append, which takes text that looks like markup for rich text.
    QScrollBar* bar = edit->verticalScrollBar();
    const bool atBottom = bar->value() >= bar->maximum();
    QTextCursor cursor(edit->document());
    cursor.movePosition(QTextCursor::End);
    if (!edit->document()->isEmpty())
        cursor.insertBlock();
    cursor.insertText(text);
    if (atBottom)
        bar->setValue(bar->maximum());
}

} // namespace PlainTextWidgets
