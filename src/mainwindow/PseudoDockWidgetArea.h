#pragma once

#include <QWidget>

class PseudoDockWidget;
class QSplitter;

// An in-window dock area: pseudo docks side by side in one splitter.
class PseudoDockWidgetArea : public QWidget
{
    Q_OBJECT

public:
    explicit PseudoDockWidgetArea(QWidget* parent = nullptr);
    PseudoDockWidgetArea(Qt::Orientation orientation, QWidget* parent = nullptr);
    ~PseudoDockWidgetArea() override;

    // Appends the dock to the splitter; area and orientation are accepted for the caller's sake.
    void addDockWidget(Qt::DockWidgetArea area, PseudoDockWidget* dock,
                       Qt::Orientation orientation = Qt::Horizontal);
    // Takes the dock out (no parent, hidden).
    void removeDockWidget(PseudoDockWidget* dock);
    QSize sizeHint() const override;
    QSplitter* splitter() const { return m_splitter; }

private:
    QSplitter* m_splitter;
};
