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

KelNGNodeConnection::~KelNGNodeConnection()
{
    if (QGraphicsScene* scene = m_lineItem->scene())
        scene->removeItem(m_lineItem);
    delete m_lineItem;
}

bool KelNGNodeConnection::canConnect(KelNodes::Terminal* other) const
{
    if (!other || !m_sourceTerminal)
        return false;
    return (other->inputMask() & m_sourceTerminal->outputMask()) != 0
           || (other->outputMask() & m_sourceTerminal->inputMask()) != 0;
}

void KelNGNodeConnection::setDestination(KelNGNode* node, KelNodes::Terminal* terminal)
{
    if (!node && m_destinationNode) {
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
    const bool fromOutput = m_sourceTerminal && m_sourceTerminal->inputMask() == 0;
    const QRectF s = m_sourceRect;
    const QPointF begin(fromOutput ? s.x() + s.width() + 4 : s.x() - 6, s.y() + s.height() / 2);
    QPointF end = point;
    if (m_destinationNode && m_destinationTerminal) {
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
    if (m_sourceNode)
        m_sourceRect = m_sourceNode->rectForTerminal(m_sourceTerminal);
    if (m_destinationNode)
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
    const bool swap = m_sourceTerminal && m_sourceTerminal->outputMask() == 0;
    if (swap) {
        std::swap(m_sourceNode, m_destinationNode);
        std::swap(m_sourceTerminal, m_destinationTerminal);
    }
    bool linked = false;
    if (m_sourceTerminal && m_destinationTerminal) {
        linked = m_sourceTerminal->isConnectedTo(m_destinationTerminal);
        if (!linked) {
            NodeEditHooks::beforeWrite();
            linked = m_sourceTerminal->connect(m_destinationTerminal) == 0;
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
    if (m_sourceTerminal && m_destinationTerminal
        && m_sourceTerminal->isConnectedTo(m_destinationTerminal)) {
        NodeEditHooks::beforeWrite();
        m_sourceTerminal->disconnect(m_destinationTerminal);
    }
    m_connected = false;
    clearHighlights();
}
