#pragma once

#include <QPushButton>
#include <QString>

// A push button drawn only from style pixmaps: a state background ("titleBarButtonNormal",
// "titleBarButtonHover", "titleBarButtonPressed") and, on top, the symbol named by pixmapName,
// both stretched to the button. It never takes keyboard focus.
class KelTitleBarButton : public QPushButton
{
    Q_OBJECT

public:
    explicit KelTitleBarButton(const QString& pixmapName, QWidget* parent = nullptr);

    // The style key of the symbol. An owner may change it; the button repaints.
    QString pixmapName() const;
    void setPixmapName(const QString& pixmapName);

    // The size of "titleBarButtonNormal", whatever the symbol.
    QSize sizeHint() const override;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Every point hits: once pressed, a release anywhere clicks.
    bool hitButton(const QPoint& pos) const override;

private:
    QString m_pixmapName;
};
