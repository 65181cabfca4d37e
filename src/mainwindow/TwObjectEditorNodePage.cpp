// The node-graph page of the object editor and the node panel under the view.

#include "mainwindow/TwObjectEditor.h"

#include "app/FieldEdit.h"
#include "app/TwCore.h"
#include "mainwindow/KelNodePanelBorder.h"
#include "mainwindow/TwCmdRenameNode.h"
#include "mainwindow/TwObjectSettings.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/VyxNodeGraphView.h"
#include "style/KelColorField.h"
#include "style/KelStyleConfig.h"
#include "ui_KelNodePanel.h"

#include <QEvent>
#include <QLineEdit>
#include <QPalette>
#include <QSignalBlocker>
#include <QUndoStack>
#include <QVBoxLayout>

namespace {

QColor styleNodeColor()
{
    return KelStyleConfig::instance()->value<QColor>(QStringLiteral("KelNode.backgroundColor"));
}

QColor const PresetColors[5] = {QColor(164, 4, 13), QColor(0, 87, 168), QColor(171, 155, 0),
                                QColor(84, 41, 133), QColor(34, 144, 25)};

} // namespace

void TwObjectEditor::buildNodeGraphPage()
{
    m_nodeGraphPage = new QWidget(this);
    auto* layout = new QVBoxLayout(m_nodeGraphPage);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_nodePanelWidget = new QWidget(m_nodeGraphPage);
    m_nodePanel->setupUi(m_nodePanelWidget);
    m_nodePanelWidget->setEnabled(false);
    m_nodePanel->nodeColorCloseButton->setIcon(QIcon(
        KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("nodeColorClose"))));
    QToolButton* presets[5] = {m_nodePanel->nodeColor1Button, m_nodePanel->nodeColor2Button,
                               m_nodePanel->nodeColor3Button, m_nodePanel->nodeColor4Button,
                               m_nodePanel->nodeColor5Button};
    for (int i = 0; i < 5; ++i)
        presets[i]->setIcon(QIcon(KelStyleConfig::instance()->value<QPixmap>(
            QStringLiteral("nodeColor%1").arg(i + 1))));
    m_nodePanel->nodeColorField->setColor(styleNodeColor());
    connect(m_nodePanel->nodeNameEdit, &QLineEdit::editingFinished, this,
            &TwObjectEditor::nodeNameEditingFinished);
    connect(m_nodePanel->nodeColorCloseButton, &QToolButton::clicked, this,
            &TwObjectEditor::nodeColorCrossButton_clicked);
    connect(presets[0], &QToolButton::clicked, this, &TwObjectEditor::nodeColor1Button_clicked);
    connect(presets[1], &QToolButton::clicked, this, &TwObjectEditor::nodeColor2Button_clicked);
    connect(presets[2], &QToolButton::clicked, this, &TwObjectEditor::nodeColor3Button_clicked);
    connect(presets[3], &QToolButton::clicked, this, &TwObjectEditor::nodeColor4Button_clicked);
    connect(presets[4], &QToolButton::clicked, this, &TwObjectEditor::nodeColor5Button_clicked);
    connect(m_nodePanel->nodeColorField, &KelColorField::colorChanged, this,
            &TwObjectEditor::nodeColorChanged);
    m_nodePanel->scaleLabel->hide();
    m_nodePanel->scaleSlider->hide();

    m_graphView = new VyxNodeGraphView(this);
    m_graphView->viewKind = 1;
    m_graphView->setMinimumWidth(600);
    m_graphView->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing
                                | QPainter::SmoothPixmapTransform);
    connect(m_graphView, &KelNGNodeGraphView::selectedNodeChanged, this,
            &TwObjectEditor::selectedNodeChanged);
    layout->addWidget(m_graphView);
    layout->addWidget(new KelNodePanelBorder);
    layout->addWidget(m_nodePanelWidget);
    m_nodePanelWidget->installEventFilter(this);
}

bool TwObjectEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_nodePanelWidget && event->type() == QEvent::Show) {
        QPalette palette = m_nodePanelWidget->palette();
        palette.setBrush(QPalette::All, QPalette::Window, QBrush(QColor(0, 0, 3)));
        m_nodePanelWidget->setPalette(palette);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// --- node panel --------------------------------------------------------------------------------

void TwObjectEditor::selectedNodeChanged(KelNGNode* item)
{
    m_panelNode = item;
    if (!item || !item->node()) {
        m_nodePanel->nodeNameEdit->setText(QString());
        m_nodePanelWidget->setEnabled(false);
        m_nodePanel->nodeColorField->setColor(styleNodeColor());
        return;
    }
    m_nodePanel->nodeNameEdit->setText(item->node()->displayName()); // plain field
    m_nodePanelWidget->setEnabled(true);
    m_nodePanel->nodeColorField->setColor(item->hasCustomNodeColor() ? item->customNodeColor()
                                                                 : styleNodeColor());
}

void TwObjectEditor::nodeNameEditingFinished()
{
    KelNGNode* item = panelNode();
    if (m_core->blockFocusOutEvents() || !item || !item->node())
        return;
    KelNodes::Node* node = item->node();
    QString const current = node->displayName();
    std::optional<QString> const text = FieldEdit::committed(m_nodePanel->nodeNameEdit, current);
    if (!text || text->trimmed().isEmpty())
        return;
    // On the project's history, a template's node as well.
    m_core->undoStack()->push(new TwCmdRenameNode(m_core, this, item, *text, current));
    setSaveButtonsEnabled(true);
}

void TwObjectEditor::setNodeName(KelNGNode* item, QString const& name)
{
    if (!item || item != panelNode())
        return;
    QSignalBlocker blocker(m_nodePanel->nodeNameEdit);
    m_nodePanel->nodeNameEdit->setText(name); // plain field
}

void TwObjectEditor::nodeColorChanged(QColor const& color)
{
    KelNGNode* item = panelNode();
    if (!item)
        return;
    // Showing a node's colour in the field is no pick.
    if (item->hasCustomNodeColor() ? item->customNodeColor() == color : color == styleNodeColor())
        return;
    recolorNode(item, true, color);
}

void TwObjectEditor::recolorNode(KelNGNode* item, bool custom, QColor const& color)
{
    KelNodes::Node* node = item->node();
    if (!node)
        return;
    QMap<QString, QVariant> const before = node->paramContainer()->auxData();
    item->setHasCustomNodeColor(custom);
    if (custom)
        item->setCustomNodeColor(color);
    item->updatePixmap();
    item->storePixmapSettingsInNode();
    // Taken at once, without an undo step; Save writes it all the same.
    if (node->paramContainer()->auxData() != before)
        TwObjectSettings::markEdited(m_core, node);
}

void TwObjectEditor::setPresetColor(int preset)
{
    KelNGNode* item = panelNode();
    if (!item)
        return;
    QColor const color = preset < 0 ? styleNodeColor() : PresetColors[preset];
    {
        QSignalBlocker blocker(m_nodePanel->nodeColorField);
        m_nodePanel->nodeColorField->setColor(color);
    }
    recolorNode(item, preset >= 0, color);
}

void TwObjectEditor::nodeColorCrossButton_clicked()
{
    setPresetColor(-1);
}

void TwObjectEditor::nodeColor1Button_clicked()
{
    setPresetColor(0);
}

void TwObjectEditor::nodeColor2Button_clicked()
{
    setPresetColor(1);
}

void TwObjectEditor::nodeColor3Button_clicked()
{
    setPresetColor(2);
}

void TwObjectEditor::nodeColor4Button_clicked()
{
    setPresetColor(3);
}

void TwObjectEditor::nodeColor5Button_clicked()
{
    setPresetColor(4);
}

// --- zoom --------------------------------------------------------------------------------------

void TwObjectEditor::scaleView(qreal factor)
{
    if (!m_graphView)
        return;
    const qreal zoom = m_graphView->transform().m11();
    if ((zoom == 0.1 && factor < 1) || (zoom == 1.0 && factor > 1))
        return;
    if (zoom * factor < 0.1 && factor < 1)
        factor = 0.1 / zoom;
    else if (zoom * factor > 1.0 && factor > 1)
        factor = 1.0 / zoom;
    m_graphView->scale(factor, factor);
}

void TwObjectEditor::scaleBy(qreal factor)
{
    scaleView(factor);
}

void TwObjectEditor::scaleChanged(int value)
{
    if (!m_graphView)
        return;
    const qreal target = value == 0 ? 1.0 : 1.0 - value / 100.0;
    scaleView(target / m_graphView->transform().m11());
}
