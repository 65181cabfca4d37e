#include "nodeui/KelNGNodeConnection.h"

#include "nodes/Terminal.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/NodeEditHooks.h"
#include "style/ConnectingLineItem.h"
#include "style/KelStyleConfig.h"

#include <QGraphicsScene>

KelNGNodeConnection::KelNGNodeConnection(QGraphicsScene* scene, KelNGNode* node,
                                         KelNodes::Terminal* terminal)
    : m_scene(scene)
    , m_lineItem(new ConnectingLineItem)
    , m_sourceNode(node)
    , m_sourceTerminal(terminal)
{
    m_lineItem->setZValue(1);
    if (scene)
        scene->addItem(m_lineItem);
    if (node) {
        node->setHighlightedTerminal(terminal);
        m_sourceRect = node->rectForTerminal(terminal);
    }
}

KelNodes::Terminal* KelNGNodeConnection::sourceTerminal() const
{
    return m_sourceNode && m_sourceNode->node() ? m_sourceTerminal : nullptr;
}

KelNodes::Terminal* KelNGNodeConnection::destinationTerminal() const
{
    return m_destinationNode && m_destinationNode->node() ? m_destinationTerminal : nullptr;
}

KelNGNodeConnection::~KelNGNodeConnection()
{
    if (QGraphicsScene* scene = m_lineItem->scene())
        scene->removeItem(m_lineItem);
    delete m_lineItem;
}

bool KelNGNodeConnection::canConnect(KelNodes::Terminal* other) const
{
    KelNodes::Terminal* source = sourceTerminal();
    if (!other || !source)
        return false;
    return (other->inputMask() & source->outputMask()) != 0
           || (other->outputMask() & source->inputMask()) != 0;
}

void KelNGNodeConnection::setDestination(KelNGNode* node, KelNodes::Terminal* terminal)
{
    // The node the loose end leaves shows no highlight any more.
    if (m_destinationNode && m_destinationNode != node) {
        m_destinationNode->setHighlightedTerminal(nullptr);
        m_destinationNode->updatePixmap();
    }
    m_destinationNode = node;
    m_destinationTerminal = terminal;
    m_connected = false;
    if (node && terminal) {
        if (canConnect(terminal)) {
            node->setHighlightedTerminal(terminal);
            m_destinationRect = node->rectForTerminal(terminal);
        } else {
            m_destinationTerminal = nullptr;
        }
    }
}

void KelNGNodeConnection::setConnectedDestination(KelNGNode* node, KelNodes::Terminal* terminal)
{
    m_destinationNode = node;
    if (node && terminal) {
        m_destinationTerminal = terminal;
        m_destinationRect = node->rectForTerminal(terminal);
        m_connected = true;
    } else {
        m_destinationTerminal = nullptr;
        m_connected = false;
    }
}

void KelNGNodeConnection::previewTo(QPointF point)
{
    KelNodes::Terminal* source = sourceTerminal();
    const bool fromOutput = source && source->inputMask() == 0;
    const QRectF s = m_sourceRect;
    const QPointF begin(fromOutput ? s.x() + s.width() + 4 : s.x() - 6, s.y() + s.height() / 2);
    QPointF end = point;
    if (destinationTerminal()) {
        const QRectF d = m_destinationRect;
        end = QPointF(fromOutput ? d.x() - 6 : d.x() + d.width() + 4, d.y() + d.height() / 2);
    }
    ConnectingLine line(begin, end, false, true);
    const QPen pen = KelStyleConfig::instance()->value<QPen>(
        QStringLiteral("KelNodeConnection.connectionPen"));
    line.setTopBottom(false);
    line.setPenLine(pen);
    line.setPenArrow(pen);
    ConnectingLine::setAntialiasing(true);
    line.setArrowLength(8);
    m_lineItem->setConnectingLine(line);
    m_lineItem->update();
}

void KelNGNodeConnection::update()
{
    if (sourceTerminal())
        m_sourceRect = m_sourceNode->rectForTerminal(m_sourceTerminal);
    if (destinationTerminal())
        m_destinationRect = m_destinationNode->rectForTerminal(m_destinationTerminal);
    previewTo(QPointF(0, 0));
}

void KelNGNodeConnection::clearHighlights()
{
    for (KelNGNode* node : {m_sourceNode.data(), m_destinationNode.data()}) {
        if (!node)
            continue;
        node->setHighlightedTerminal(nullptr);
        node->updatePixmap();
    }
}

bool KelNGNodeConnection::connect()
{
    const bool swap = sourceTerminal() && m_sourceTerminal->outputMask() == 0;
    if (swap) {
        std::swap(m_sourceNode, m_destinationNode);
        std::swap(m_sourceTerminal, m_destinationTerminal);
    }
    bool linked = false;
    KelNodes::Terminal* source = sourceTerminal();
    KelNodes::Terminal* destination = destinationTerminal();
    if (source && destination) {
        linked = source->isConnectedTo(destination);
        if (!linked) {
            NodeEditHooks::beforeWrite();
            linked = source->connect(destination) == 0;
        }
    }
    m_connected = linked;
    clearHighlights();
    if (swap)
        update();
    return linked;
}

void KelNGNodeConnection::disconnect()
{
    KelNodes::Terminal* source = sourceTerminal();
    KelNodes::Terminal* destination = destinationTerminal();
    if (source && destination && source->isConnectedTo(destination)) {
        NodeEditHooks::beforeWrite();
        source->disconnect(destination);
    }
    m_connected = false;
    clearHighlights();
}
