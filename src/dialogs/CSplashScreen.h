#pragma once

#include <QColor>
#include <QFrame>
#include <QPixmap>
#include <QString>

// Frameless, always-on-top start-up window showing one pixmap (transparent parts show the
// desktop) and, on request, a line of text over it.
class CSplashScreen : public QFrame
{
    Q_OBJECT

public:
    explicit CSplashScreen(QPixmap const& pixmap);

    void showMessage(QString const& message, int alignment = Qt::AlignLeft, QColor const& color = Qt::black);
    void clearMessage();
    QString message() const { return m_message; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_pixmap;
    QString m_message;
    int m_alignment = Qt::AlignLeft;
    QColor m_color;
};
