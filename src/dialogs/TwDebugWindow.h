#pragma once

#include <QWidget>

class QTextEdit;
class QTreeWidgetItem;
class TwCore;
namespace KelNodes {
class Node;
class NodeGraph;
}
namespace Ui {
class DebugWindow;
}

// Developer panel: the debug log, the node hierarchy of the project and the node types.
// The node views change only on Refresh.
class TwDebugWindow : public QWidget
{
    Q_OBJECT

public:
    TwDebugWindow(QWidget* parent, TwCore* core);
    ~TwDebugWindow() override;

    QTextEdit* debugEdit();
    Ui::DebugWindow* ui() const { return m_ui; }

    void refreshNodeGraphDisplay();
    void addNodeGraph(KelNodes::NodeGraph* graph, QTreeWidgetItem* parent);
    void refreshAvailableNodeList();

public slots:
    void on_refreshButton_clicked();

private:
    QTreeWidgetItem* makeRow(KelNodes::Node* node) const;

    Ui::DebugWindow* m_ui;
    TwCore* m_core;
};
