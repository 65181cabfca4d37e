#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QToolButton;

// A line in the status bar that stays until the user dismisses it or the next one replaces it:
// what a step could not do must not vanish under the next render's or menu's message.
class LastingMessage : public QWidget
{
    Q_OBJECT

public:
    explicit LastingMessage(QWidget* parent = nullptr);

    void show(QString const& text);
    QString text() const;
    // Hides the line, as the user's click on its button does.
    void dismiss();

private:
    QLabel* m_label;
    QToolButton* m_dismiss;
    QString m_text;
};
