#include "nodeui/NodeDockTabWidget.h"

#include "app/KelCore.h"
#include "app/ShownText.h"
#include "effects/NodeTypeRegistry.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/NodeDescriptor.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/KelNodeDescription.h"
#include "nodeui/KelParamCrucial.h"
#include "nodeui/TreeWidgetByMimeType.h"
#include "style/KelTitleBar.h"
#include "ui_NodeDockTabWidget.h"

#include <QButtonGroup>
#include <QMap>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeWidgetItem>
#include <QUuid>
#include <QVBoxLayout>

namespace {

// The source-image and filtered-image types are in every effect graph already.
const QUuid kOriginalImageType(QStringLiteral("{015c44e2-0c3a-46fa-9e92-c472d43bc65b}"));
const QUuid kFilteredImageType(QStringLiteral("{01be3c9a-497b-4146-9198-810f0e4e0d0e}"));

void makeNodeItem(QTreeWidgetItem* item, KelNodes::NodeDescriptor const* descriptor)
{
    item->setText(0, ShownText::name(descriptor->displayName));
    item->setData(0, Qt::UserRole, QStringLiteral("Insert:NodePath"));
    item->setData(0, Qt::UserRole + 1, descriptor->typeId);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsEnabled);
}

} // namespace

NodeDockTabWidget::NodeDockTabWidget(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui_NodeDockTabWidget)
{
    ui->setupUi(this);
}

NodeDockTabWidget::~NodeDockTabWidget()
{
    deleteCrucialWidgets();
    delete m_noNodePage;
    // Node items belong to their view and are pointed to by their nodes: hand them back rather
    // than let the stack delete them.
    QStackedWidget* stack = ui->currentNodeStackedWidget;
    while (stack->count() > 0) {
        QWidget* page = stack->widget(0);
        stack->removeWidget(page);
        page->setParent(nullptr);
    }
    delete ui;
}

void NodeDockTabWidget::setNodeGraphView(KelNGNodeGraphView* view)
{
    m_view = view;
}

KelNGNodeGraphView* NodeDockTabWidget::nodeGraphView() const
{
    return m_view.data();
}

QStackedWidget* NodeDockTabWidget::pages() const
{
    return ui->stackedWidget;
}

QStackedWidget* NodeDockTabWidget::currentNodeStack() const
{
    return ui->currentNodeStackedWidget;
}

QWidget* NodeDockTabWidget::importantParametersContents() const
{
    return ui->scrollAreaWidgetContents;
}

TreeWidgetByMimeType* NodeDockTabWidget::availableNodesTree() const
{
    return ui->availableNodesTreeWidget;
}

KelNodeDescription* NodeDockTabWidget::nodeDescription() const
{
    return ui->nodeDescriptionWidget;
}

QVBoxLayout* NodeDockTabWidget::importantParametersLayout()
{
    auto* layout = qobject_cast<QVBoxLayout*>(ui->scrollAreaWidgetContents->layout());
    if (!layout) {
        layout = new QVBoxLayout(ui->scrollAreaWidgetContents);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }
    return layout;
}

void NodeDockTabWidget::init()
{
    if (m_importantParametersButton)
        return;
    importantParametersLayout();

    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    ui->titleBar->addSpacerItem(new QSpacerItem(10, 10, QSizePolicy::Fixed, QSizePolicy::Minimum));
    auto addButton = [&](QString const& text, void (NodeDockTabWidget::*slot)()) {
        auto* button = new QToolButton(this);
        button->setText(text); // own text
        button->setCheckable(true);
        group->addButton(button);
        connect(button, &QToolButton::clicked, this, slot);
        ui->titleBar->addToolButton(button);
        return button;
    };
    m_importantParametersButton = addButton(tr("Important Parameters"),
                                            &NodeDockTabWidget::showImportantNodesButton_clicked);
    m_importantParametersButton->setChecked(true);
    m_currentNodeButton = addButton(tr("Current Node"), &NodeDockTabWidget::showCurrentNodeButton_clicked);
    m_availableNodesButton = addButton(tr("Available Nodes"), &NodeDockTabWidget::showAvailableNodesButton_clicked);
    ui->titleBar->addSpacerItem(new QSpacerItem(10, 10, QSizePolicy::Expanding, QSizePolicy::Minimum));

    if (!m_objectCrucialWidget && m_object)
        crucialObjectSettingsFor(m_object);
    ui->stackedWidget->setCurrentWidget(ui->importantNodesTab);
    fillNodeTypeTree(ui->availableNodesTreeWidget, *KelVyxNodes::NodeTypeRegistry::list());
}

void NodeDockTabWidget::adjustUI(KelNGObject* object)
{
    hide();
    m_object = object;
    crucialObjectSettingsFor(object);
    show();
}

void NodeDockTabWidget::selectedNodeChanged(KelNGNode* node)
{
    showOnCurrentNodePage(node);
    if (!node || !node->node())
        return;
    if (m_currentNodeButton)
        m_currentNodeButton->setChecked(true);
    ui->stackedWidget->setCurrentWidget(ui->currentNodeTab);
}

void NodeDockTabWidget::showOnCurrentNodePage(KelNGNode* item)
{
    KelNodes::Node* node = item ? item->node() : nullptr;
    QStackedWidget* stack = ui->currentNodeStackedWidget;
    if (node && !node->toNodeGraph()) {
        crucialNodeGraphSettingsFor(nullptr);
        if (stack->indexOf(item) < 0)
            stack->addWidget(item);
        stack->setCurrentWidget(item);
        return;
    }
    KelNGObject* object = node && m_core ? m_core->findObjectOfNode(node) : nullptr;
    if (object && m_nodeGraphCrucialWidget && m_nodeGraphCrucialWidget->object() == object) {
        stack->setCurrentWidget(m_nodeGraphCrucialWidget);
        return;
    }
    crucialNodeGraphSettingsFor(object);
    if (object)
        return;
    if (!m_noNodePage) {
        m_noNodePage = new QWidget(stack);
        stack->addWidget(m_noNodePage);
    }
    stack->setCurrentWidget(m_noNodePage);
}

void NodeDockTabWidget::nodeParameterChanged(KelNodes::Node* node)
{
    if (m_objectCrucialWidget)
        m_objectCrucialWidget->checkUpdateNodeParameters(node);
    if (m_nodeGraphCrucialWidget)
        m_nodeGraphCrucialWidget->checkUpdateNodeParameters(node);
}

void NodeDockTabWidget::nodeAboutToBeDeleted(KelNodes::Node* node)
{
    // The object stays: its panel is built again once the node is gone (listNodesAnew). An
    // object that goes itself is shown no longer.
    const bool objectGoes = m_object && static_cast<KelNodes::Node*>(m_object->graph()) == node;
    if (m_objectCrucialWidget && (objectGoes || m_objectCrucialWidget->containsNodeParameter(node)))
        crucialObjectSettingsFor(nullptr);
    if (objectGoes)
        m_object = nullptr;
    if (m_nodeGraphCrucialWidget && m_nodeGraphCrucialWidget->containsNodeParameter(node))
        crucialNodeGraphSettingsFor(nullptr);
}

void NodeDockTabWidget::deleteCrucialWidgets()
{
    crucialObjectSettingsFor(nullptr);
    crucialNodeGraphSettingsFor(nullptr);
}

void NodeDockTabWidget::listNodesAnew()
{
    crucialObjectSettingsFor(m_object);
    if (m_nodeGraphCrucialWidget)
        crucialNodeGraphSettingsFor(m_nodeGraphCrucialWidget->object());
}

int NodeDockTabWidget::currentMode()
{
    return ui->stackedWidget->currentIndex();
}

void NodeDockTabWidget::connectToView(KelParamCrucial* panel)
{
    if (!m_view)
        return;
    // The view's slot is not public: connected by signature.
    connect(panel, SIGNAL(addParamUndo(KelParamAtom*,QBuffer*)), m_view.data(),
            SLOT(addNodeUndo(KelParamAtom*,QBuffer*)));
}

void NodeDockTabWidget::crucialObjectSettingsFor(KelNGObject* object)
{
    if (m_objectCrucialWidget) {
        KelParamCrucial* old = m_objectCrucialWidget;
        m_objectCrucialWidget = nullptr;
        importantParametersLayout()->removeWidget(old);
        old->setInDestruction();
        delete old;
    }
    if (!object)
        return;
    m_objectCrucialWidget = new KelParamCrucial(object, nullptr, true);
    connectToView(m_objectCrucialWidget);
    importantParametersLayout()->addWidget(m_objectCrucialWidget);
}

void NodeDockTabWidget::crucialNodeGraphSettingsFor(KelNGObject* object)
{
    if (m_nodeGraphCrucialWidget) {
        KelParamCrucial* old = m_nodeGraphCrucialWidget;
        m_nodeGraphCrucialWidget = nullptr;
        ui->currentNodeStackedWidget->removeWidget(old);
        old->setInDestruction();
        delete old;
    }
    if (!object)
        return;
    m_nodeGraphCrucialWidget = new KelParamCrucial(object, nullptr, true);
    connectToView(m_nodeGraphCrucialWidget);
    ui->currentNodeStackedWidget->addWidget(m_nodeGraphCrucialWidget);
    ui->currentNodeStackedWidget->setCurrentWidget(m_nodeGraphCrucialWidget);
}

void NodeDockTabWidget::showImportantNodesButton_clicked()
{
    if (!m_objectCrucialWidget && m_object)
        crucialObjectSettingsFor(m_object);
    ui->stackedWidget->setCurrentWidget(ui->importantNodesTab);
}

void NodeDockTabWidget::showCurrentNodeButton_clicked()
{
    ui->stackedWidget->setCurrentWidget(ui->currentNodeTab);
}

void NodeDockTabWidget::showAvailableNodesButton_clicked()
{
    ui->stackedWidget->setCurrentWidget(ui->availableNodesTab);
}

QString NodeDockTabWidget::firstCharToUpper(QString text)
{
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    return text;
}

void NodeDockTabWidget::fillNodeTypeTree(QTreeWidget* tree,
                                         QList<KelNodes::NodeDescriptor const*> const& registry)
{
    tree->setColumnWidth(0, 160);
    tree->setDragDropMode(QAbstractItemView::DragOnly);
    const QStringList excluded{QStringLiteral("aux")};
    QMap<QString, QTreeWidgetItem*> items;

    for (KelNodes::NodeDescriptor const* descriptor : registry) {
        if (!descriptor || descriptor->typeUuid == kOriginalImageType || descriptor->typeUuid == kFilteredImageType)
            continue;
        const QStringList parts = descriptor->typeId.split(QLatin1Char('.'), Qt::KeepEmptyParts);
        if (parts.size() == 1) {
            if (!excluded.contains(descriptor->typeId))
                makeNodeItem(new QTreeWidgetItem(tree), descriptor);
            continue;
        }
        const QString& category = parts.first();
        if (!items.contains(category) && !excluded.contains(category)) {
            auto* item = new QTreeWidgetItem(tree);
            item->setText(0, ShownText::name(firstCharToUpper(category)));
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            items.insert(category, item);
        }
    }

    // Sub-categories added below are not visited as categories.
    const QMap<QString, QTreeWidgetItem*> categories = items;
    for (auto it = categories.cbegin(); it != categories.cend(); ++it) {
        for (KelNodes::NodeDescriptor const* descriptor : registry) {
            if (!descriptor)
                continue;
            const QStringList parts = descriptor->typeId.split(QLatin1Char('.'), Qt::KeepEmptyParts);
            if (parts.size() < 2 || parts.first() != it.key())
                continue;
            if (parts.size() == 2) {
                makeNodeItem(new QTreeWidgetItem(it.value()), descriptor);
            } else if (parts.size() == 3) {
                const QString key = parts.at(0) + QLatin1Char('.') + parts.at(1);
                QTreeWidgetItem* sub = items.value(key);
                if (!sub) {
                    sub = new QTreeWidgetItem(it.value());
                    sub->setText(0, ShownText::name(firstCharToUpper(parts.at(1))));
                    sub->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled);
                    items.insert(key, sub);
                }
                makeNodeItem(new QTreeWidgetItem(sub), descriptor);
            }
        }
    }

    tree->sortItems(0, Qt::AscendingOrder);
    if (auto* typed = qobject_cast<TreeWidgetByMimeType*>(tree))
        typed->setMimeTypesOutput({QStringLiteral("node_items_mimetype")});
}

void NodeDockTabWidget::on_availableNodesTreeWidget_currentItemChanged(QTreeWidgetItem* item, QTreeWidgetItem*)
{
    KelNodeDescription* description = ui->nodeDescriptionWidget;
    if (!item) {
        description->clear();
        return;
    }
    const QString typeId = item->data(0, Qt::UserRole + 1).toString();
    if (typeId.isEmpty()) {
        description->clear();
        return;
    }
    // A scratch graph: showing a type's help makes and removes a node.
    KelVyxNodes::VyxNodeGraph scratch(nullptr);
    description->displayHelpForNodeName(typeId, &scratch);
}
