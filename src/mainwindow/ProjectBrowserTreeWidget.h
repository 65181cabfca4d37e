#pragma once

#include <QTreeWidget>

// The project browser's tree: internal-move drag and drop that asks for a re-chain after an
// accepted drop; the Delete key (and, on macOS only, Backspace) asks for the bin.
class ProjectBrowserTreeWidget : public QTreeWidget
{
    Q_OBJECT

public:
    explicit ProjectBrowserTreeWidget(QWidget* parent = nullptr);

signals:
    void sortFilters();
    void deletePressed();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
