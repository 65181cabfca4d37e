#include "dialogs/TwDebugWindow.h"

#include "ui_DebugWindow.h"

#include "app/ShownText.h"
#include "app/TwCore.h"
#include "effects/NodeTypeRegistry.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeGraph.h"

TwDebugWindow::TwDebugWindow(QWidget* parent, TwCore* core)
    : QWidget(parent), m_ui(new Ui::DebugWindow), m_core(core)
{
    m_ui->setupUi(this);
    m_ui->nodeGraphTreeWidget->setColumnWidth(0, 200);
}

TwDebugWindow::~TwDebugWindow()
{
    delete m_ui;
}

QTextEdit* TwDebugWindow::debugEdit()
{
    return m_ui->textEdit;
}

void TwDebugWindow::on_refreshButton_clicked()
{
    if (m_ui->tabWidget->currentIndex() == 0)
        refreshNodeGraphDisplay();
    else if (m_ui->tabWidget->currentIndex() == 1)
        refreshAvailableNodeList();
}

QTreeWidgetItem* TwDebugWindow::makeRow(KelNodes::Node* node) const
{
    QString name = node->name();
    if (name.isEmpty() && node->descriptor())
        name = node->descriptor()->displayName;
    // A node's name comes from the project file.
    auto* item = new QTreeWidgetItem(QStringList{ShownText::name(name), QStringLiteral("%1").arg(quintptr(node), 0, 10),
                                                 QStringLiteral("%1").arg(node->uid(), 0, 10)});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

// Reads names, uids and child lists only: no cancel needed.
void TwDebugWindow::refreshNodeGraphDisplay()
{
    m_ui->nodeGraphTreeWidget->clear();
    KelNodes::NodeGraph* root = m_core ? m_core->rootGraph() : nullptr;
    if (root) {
        for (KelNodes::Node* node : root->nodes()) {
            QTreeWidgetItem* row = makeRow(node);
            m_ui->nodeGraphTreeWidget->addTopLevelItem(row);
            if (KelNodes::NodeGraph* graph = node->toNodeGraph())
                addNodeGraph(graph, row);
        }
    }
    m_ui->nodeGraphTreeWidget->expandAll();
}

void TwDebugWindow::addNodeGraph(KelNodes::NodeGraph* graph, QTreeWidgetItem* parent)
{
    for (KelNodes::Node* node : graph->nodes()) {
        QTreeWidgetItem* row = makeRow(node);
        parent->addChild(row);
        if (KelNodes::NodeGraph* inner = node->toNodeGraph())
            addNodeGraph(inner, row);
    }
}

// The registry is built once per process; reading it loads no plug-in again.
void TwDebugWindow::refreshAvailableNodeList()
{
    m_ui->availableNodesListWidget->clear();
    for (KelNodes::NodeDescriptor const* descriptor : *KelVyxNodes::NodeTypeRegistry::list()) {
        if (!descriptor)
            continue;
        auto* item = new QListWidgetItem(descriptor->typeId + QStringLiteral(" -> ")
                                         + descriptor->typeUuid.toString(QUuid::WithBraces));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        m_ui->availableNodesListWidget->addItem(item);
    }
}
