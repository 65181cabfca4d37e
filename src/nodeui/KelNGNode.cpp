#include "nodeui/KelNGNode.h"

#include "nodes/Node.h"
#include "params/ParameterContainer.h"
#include "nodes/Terminal.h"
#include "nodeui/ElidedTitle.h"
#include "nodeui/KelNodeTerminals.h"
#include "nodeui/NodeEditHooks.h"
#include "style/KelStyleConfig.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QPainter>
#include <QPixmap>

namespace {

KelStyleConfig const* styleStore()
{
    return KelStyleConfig::instance();
}

QColor styleColor(QString const& key)
{
    return styleStore()->value<QColor>(key);
}

QPen stylePen(QString const& key)
{
    return styleStore()->value<QPen>(key);
}

QPixmap stylePixmap(const char* key)
{
    return styleStore()->value<QPixmap>(QLatin1String(key));
}

const QString kPosX = QStringLiteral("posX");
const QString kPosY = QStringLiteral("posY");
const QString kHasCustomColor = QStringLiteral("hasCustomNodeColor");
const QString kCustomColor = QStringLiteral("customNodeColor");
const QString kPreviewExpanded = QStringLiteral("previewIsExpanded");
const QString kTerminalsExpanded = QStringLiteral("terminalsAreExpanded");

// The pixmap item's pointer back to its node item.
constexpr int kItemDataKey = 0;

QList<KelNodes::Terminal*> terminalsOf(KelNodes::Node const* node, bool outputs)
{
    return outputs ? KelNodeTerminals::outputs(node) : KelNodeTerminals::inputs(node);
}

} // namespace

KelNGNode::KelNGNode(KelNodes::Node* node)
    : KelParam(node->paramContainer(), 0, -1)
    , m_node(node)
{
    node->setViewItem(this);
    subscribe(node);
    // The item may come while the graph renders: nothing the render writes is read here.
    m_hasPreview = node->offersPreview();
}

KelNGNode::~KelNGNode()
{
    deallocatePixmapItem();
    releaseNode();
}

void KelNGNode::releaseNode()
{
    if (!m_node)
        return;
    if (m_previewWished)
        m_node->setPreviewWanted(0, 0);
    m_previewWished = false;
    unsubscribe(m_node);
    if (m_node->viewItem() == this)
        m_node->setViewItem(nullptr);
    m_node = nullptr;
}

void KelNGNode::notify(KelNodes::Node* node, KelNodes::NodeSubscriber::Event event)
{
    if (event != KelNodes::NodeSubscriber::Destroyed || node != m_node)
        return;
    // The node's container and settings are gone with it: the picture only leaves the scene.
    m_node = nullptr;
    m_previewWished = false;
    forgetContainer();
    m_highlightedTerminal = nullptr;
    delete m_pixmapItem;
    m_pixmapItem = nullptr;
}

KelNGNode* KelNGNode::itemOf(KelNodes::Node const* node)
{
    return node ? qobject_cast<KelNGNode*>(node->viewItem()) : nullptr;
}

KelNGNode* KelNGNode::fromSceneItem(QGraphicsItem const* item)
{
    if (!item)
        return nullptr;
    return static_cast<KelNGNode*>(item->data(kItemDataKey).value<void*>());
}

QGraphicsPixmapItem* KelNGNode::allocatePixmapItem()
{
    m_pixmapItem = new QGraphicsPixmapItem;
    if (m_node) {
        QMap<QString, QVariant> const& settings = m_node->paramContainer()->auxData();
        if (settings.contains(kPosX) && settings.contains(kPosY)) {
            m_pixmapItem->setPos(settings.value(kPosX).toDouble(), settings.value(kPosY).toDouble());
            m_positionKnown = true;
        } else {
            m_positionKnown = false;
        }
        if (settings.contains(kHasCustomColor))
            m_hasCustomColor = settings.value(kHasCustomColor).toBool();
        if (settings.contains(kCustomColor))
            m_customColor = QColor::fromString(settings.value(kCustomColor).toString());
        if (settings.contains(kPreviewExpanded))
            m_previewExpanded = settings.value(kPreviewExpanded).toBool() && m_hasPreview;
        if (settings.contains(kTerminalsExpanded))
            m_terminalsExpanded = settings.value(kTerminalsExpanded).toBool();
    }
    calculateUI();
    m_pixmapItem->setData(kItemDataKey, QVariant::fromValue(static_cast<void*>(this)));
    return m_pixmapItem;
}

void KelNGNode::deallocatePixmapItem()
{
    if (!m_pixmapItem)
        return;
    storePixmapSettingsInNode();
    if (QGraphicsScene* scene = m_pixmapItem->scene())
        scene->removeItem(m_pixmapItem);
    delete m_pixmapItem;
    m_pixmapItem = nullptr;
    updatePreviewWish();
}

void KelNGNode::updatePreviewWish()
{
    const bool wished = m_node && m_pixmapItem && m_pixmapItem->scene() && m_hasPreview && m_previewExpanded;
    if (wished == m_previewWished)
        return;
    m_previewWished = wished;
    if (!m_node)
        return;
    if (!wished) {
        m_node->setPreviewWanted(0, 0);
        return;
    }
    m_node->setPreviewWanted(kPreviewImageWidth, kPreviewImageHeight);
    if (!m_node->shownPreviewIsCurrent())
        NodeEditHooks::requestPreviews();
}

void KelNGNode::storePixmapSettingsInNode()
{
    if (!m_pixmapItem || !m_node)
        return;
    QMap<QString, QVariant>& settings = m_node->paramContainer()->auxData();
    if (m_pixmapItem->scene()) {
        settings.insert(kPosX, m_pixmapItem->pos().x());
        settings.insert(kPosY, m_pixmapItem->pos().y());
        m_positionKnown = true;
    }
    settings.insert(kHasCustomColor, m_hasCustomColor);
    settings.insert(kCustomColor, m_customColor.name());
    settings.insert(kPreviewExpanded, m_previewExpanded);
    settings.insert(kTerminalsExpanded, m_terminalsExpanded);
}

void KelNGNode::calculateUI()
{
    m_inputRects.clear();
    m_outputRects.clear();
    m_width = kWidth;
    const int inputs = numberOfTerminals(false);
    const int outputs = numberOfTerminals(true);
    const int rows = std::max(inputs, outputs);
    if (m_terminalsExpanded) {
        const int content = rows <= 1 ? 10 * rows + 7 : 14 * rows + 3;
        m_terminalAreaHeight = content + 14;
    } else {
        m_terminalAreaHeight = 0;
    }
    m_previewHeight = m_previewExpanded ? kPreviewHeight : 0;
    m_height = 38 + m_terminalAreaHeight + m_previewHeight;
    for (int i = 0; i < inputs; ++i)
        m_inputRects.append(QRectF(6, 26 + 14 * i, 10, 10));
    for (int i = 0; i < outputs; ++i)
        m_outputRects.append(QRectF(m_width - 16, 26 + 14 * i, 10, 10));
    updatePreviewWish();
}

QString KelNGNode::title() const
{
    return m_node ? m_node->displayName() : QString();
}

QString KelNGNode::shownTitle() const
{
    return ElidedTitle::fit(title(), styleStore()->value<QFont>(QStringLiteral("KelNode.nameFont")),
                            kTitleWidth);
}

void KelNGNode::updatePixmap()
{
    if (!m_pixmapItem)
        return;
    const int w = m_width;
    const int h = m_height;
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing, true);
        QPen border = stylePen(QStringLiteral("KelNode.borderPen"));
        if (!m_selected)
            border.setColor(Qt::transparent);
        painter.setPen(border);
        painter.setBrush(m_hasCustomColor ? m_customColor
                                          : styleColor(QStringLiteral("KelNode.backgroundColor")));
        const QRect body = m_selected ? QRect(1, 1, w - 3, h - 3) : QRect(2, 1, w - 4, h - 3);
        painter.drawRoundedRect(body, 5, 5, Qt::AbsoluteSize);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setBrush(Qt::NoBrush);

        painter.setFont(styleStore()->value<QFont>(QStringLiteral("KelNode.nameFont")));
        painter.setPen(styleColor(QStringLiteral("KelNode.titleColor")));
        painter.drawText(QRect(20, 1, kTitleWidth, 19), Qt::AlignLeft | Qt::AlignVCenter, shownTitle());
        painter.setPen(stylePen(QStringLiteral("KelNode.borderPen2")));
        painter.drawLine(2, 18, w - 3, 18);

        if (m_terminalsExpanded) {
            const QPixmap toggle = stylePixmap("nodeTerminalsExpanded");
            painter.drawPixmap(w - 12 - toggle.width(), 6, toggle);
            paintTerminals(painter);
        } else {
            const QPixmap toggle = stylePixmap("nodeTerminalsNotExpanded");
            painter.drawPixmap(w - 12 - toggle.width(), 4, toggle);
        }
        if (m_previewExpanded)
            paintPreview(painter);

        const QPixmap off = stylePixmap("nodeConnectionIndicatorOff");
        const QPixmap on = stylePixmap("nodeConnectionIndicatorOn");
        painter.drawPixmap(5, h - 17, connected(false) ? on : off);
        painter.drawPixmap(w - 5 - off.width(), h - 17, connected(true) ? on : off);
        if (m_hasPreview) {
            if (m_previewExpanded)
                painter.drawPixmap(19, h - 15, stylePixmap("nodeTerminalsExpanded"));
            else
                painter.drawPixmap(21, h - 17, stylePixmap("nodePreviewNotExpanded"));
        }
    }
    m_collapsedInputRect = QRectF(5, h - 16, 10, 10);
    m_collapsedOutputRect = QRectF(w - 15, h - 16, 10, 10);
    m_pixmapItem->setZValue(m_selected ? 1 : 0);
    m_pixmapItem->setPixmap(pixmap);
}

void KelNGNode::paintTerminals(QPainter& painter) const
{
    const int w = m_width;
    const int t = m_terminalAreaHeight;
    const QString group = QStringLiteral("KelNode.terminals");
    auto pen = [&](const char* suffix) { return stylePen(group + QLatin1String(suffix)); };
    painter.fillRect(QRect(QPoint(2, 19), QPoint(w - 3, t + 18)),
                     styleColor(group + QStringLiteral(".backgroundColor")));
    painter.setPen(pen(".borderLeftPen"));
    painter.drawLine(2, 19, 2, t + 17);
    painter.setPen(pen(".borderLeftPen2"));
    painter.drawLine(3, 19, 3, t + 17);
    painter.setPen(pen(".borderTopPen"));
    painter.drawLine(3, 19, w - 3, 19);
    painter.setPen(pen(".borderTopPen2"));
    painter.drawLine(4, 20, w - 3, 20);
    painter.setPen(pen(".borderRightPen2"));
    painter.drawLine(w - 3, 21, w - 3, t + 17);
    painter.setPen(pen(".borderBottomPen"));
    painter.drawLine(4, t + 17, w - 4, t + 17);
    painter.setPen(pen(".borderBottomPen2"));
    painter.drawLine(2, t + 18, w - 3, t + 18);

    QFont font = styleStore()->value<QFont>(QStringLiteral("KelNode.nameFont"));
    font.setWeight(QFont::DemiBold);
    painter.setFont(font);
    painter.setPen(styleColor(group + QStringLiteral(".textColor")));
    const QPixmap connectedIcon = stylePixmap("nodeTerminalConnected");
    const QPixmap tempIcon = stylePixmap("nodeTerminalTempConnected");
    const QPixmap looseIcon = stylePixmap("nodeTerminalNotConnected");
    auto icon = [&](KelNodes::Terminal* terminal) -> QPixmap const& {
        if (terminal->numConnections() > 0)
            return connectedIcon;
        return terminal == m_highlightedTerminal ? tempIcon : looseIcon;
    };
    const QList<KelNodes::Terminal*> inputs = terminalsOf(m_node, false);
    for (int i = 0; i < inputs.size() && i < m_inputRects.size(); ++i) {
        const QRect r = m_inputRects.at(i).toRect();
        const QPixmap& pm = icon(inputs.at(i));
        painter.drawPixmap(r.topLeft(), pm);
        const int labelWidth = inputs.at(i)->outputMask() != 0 ? 59 : 120;
        painter.drawText(QRect(r.x() + pm.width() + 2, r.y() - 2, labelWidth, 12),
                         Qt::AlignLeft | Qt::AlignVCenter, inputs.at(i)->name());
    }
    const QList<KelNodes::Terminal*> outputs = terminalsOf(m_node, true);
    for (int i = 0; i < outputs.size() && i < m_outputRects.size(); ++i) {
        const QRect r = m_outputRects.at(i).toRect();
        painter.drawPixmap(r.topLeft(), icon(outputs.at(i)));
        painter.drawText(QRect(r.x() - 61, r.y() - 2, 59, 12), Qt::AlignRight | Qt::AlignVCenter,
                         outputs.at(i)->name());
    }
}

void KelNGNode::paintPreview(QPainter& painter)
{
    const int w = m_width;
    const int t = m_terminalAreaHeight;
    const int p = m_previewHeight;
    const int top = t + 19;
    const QString group = QStringLiteral("KelNode.preview");
    painter.setPen(stylePen(group + QStringLiteral(".borderLeftPen")));
    painter.drawLine(2, top, 2, t + p + 18);
    painter.setPen(stylePen(group + QStringLiteral(".borderRightPen")));
    painter.drawLine(w - 3, top, w - 3, t + p + 18);
    painter.setPen(stylePen(group + QStringLiteral(".borderBottomPen")));
    painter.drawLine(2, t + p + 18, w - 3, t + p + 18);
    QLinearGradient gradient =
        styleStore()->value<QLinearGradient>(group + QStringLiteral(".backgroundGradient"));
    gradient.setStart(0, 0);
    gradient.setFinalStop(0, 4 * p / 3);
    painter.fillRect(QRect(QPoint(3, top), QPoint(w - 4, t + p + 17)), gradient);

    // Never sampled here: a sampled preview is the one the render made (its work is bounded by
    // the render's stages); a drawn one reads parameters, so only while the render is idle.
    // Until then the last preview stands.
    if (m_node && NodeEditHooks::renderIsIdle()) {
        QImage image(kPreviewImageWidth, kPreviewImageHeight, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        if (m_node->shownPreview(&image) >= 0)
            m_lastPreview = image;
    }
    const int iw = m_lastPreview.isNull() ? kPreviewImageWidth : m_lastPreview.width();
    const int ih = m_lastPreview.isNull() ? kPreviewImageHeight : m_lastPreview.height();
    const int ox = (w - iw) / 2;
    const int iy = top + (p - ih) / 2 - 1;
    // A stroked QRect runs one pixel past right() and bottom(): the frames are sized, not
    // spanned between corners, so that they lie right against the image.
    painter.setPen(stylePen(group + QStringLiteral(".innerBorderPen")));
    painter.drawRect(QRect(ox - 1, iy - 1, iw + 1, ih + 1));
    painter.setPen(stylePen(group + QStringLiteral(".innerBorderPen2")));
    painter.drawRect(QRect(ox - 2, iy - 2, iw + 3, ih + 3));
    if (!m_lastPreview.isNull())
        painter.drawImage(ox, iy, m_lastPreview);
}

bool KelNGNode::checkForUIActionAtPos(QPointF scenePoint)
{
    if (!m_pixmapItem)
        return false;
    const QPointF local = m_pixmapItem->mapFromScene(scenePoint);
    const double x = local.x();
    const double y = local.y();
    if (y < 19 && x > 125) {
        m_terminalsExpanded = !m_terminalsExpanded;
    } else if (m_hasPreview && y > m_height - 19 && x > 16 && x < 35) {
        m_previewExpanded = !m_previewExpanded;
    } else {
        return false;
    }
    calculateUI();
    updatePixmap();
    return true;
}

int KelNGNode::numberOfTerminals(bool outputs) const
{
    return int(terminalsOf(m_node, outputs).size());
}

bool KelNGNode::connected(bool outputs) const
{
    const QList<KelNodes::Terminal*> list = terminalsOf(m_node, outputs);
    return std::any_of(list.begin(), list.end(),
                       [](KelNodes::Terminal* t) { return t->numConnections() > 0; });
}

KelNodes::Terminal* KelNGNode::terminalAt(int index, bool outputs) const
{
    return terminalsOf(m_node, outputs).value(index, nullptr);
}

QRectF KelNGNode::rectForTerminal(KelNodes::Terminal* terminal) const
{
    if (!terminal || !m_pixmapItem)
        return QRectF();
    for (bool outputs : {false, true}) {
        const int index = int(terminalsOf(m_node, outputs).indexOf(terminal));
        if (index < 0)
            continue;
        QList<QRectF> const& rects = outputs ? m_outputRects : m_inputRects;
        QRectF local;
        if (m_terminalsExpanded)
            local = rects.value(index);
        else
            local = outputs ? m_collapsedOutputRect : m_collapsedInputRect;
        return m_pixmapItem->mapRectToScene(local);
    }
    return QRectF();
}

KelNodes::Terminal* KelNGNode::terminalAtPos(QPointF scenePoint, bool outputs) const
{
    if (!m_pixmapItem)
        return nullptr;
    const QPointF local = m_pixmapItem->mapFromScene(scenePoint);
    const QPointF point(int(local.x()), int(local.y()));
    const QList<KelNodes::Terminal*> list = terminalsOf(m_node, outputs);
    QList<QRectF> const& rects = outputs ? m_outputRects : m_inputRects;
    for (int i = 0; i < list.size() && i < rects.size(); ++i) {
        if (rects.at(i).contains(point))
            return list.at(i);
    }
    return nullptr;
}
