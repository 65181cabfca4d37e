#include "nodes/NodeGraphParameterContainer.h"

#include "nodes/NodeGraph.h"
#include "params/Base64.h"
#include "params/XmlNumbers.h"

#include <QDomDocument>
#include <QDomElement>

#include <algorithm>

namespace KelNodes {

NodeGraphParameterContainer::NodeGraphParameterContainer(NodeGraph* graph, QString const& name,
                                                         QString const& text)
    : NodeParameterContainer(name, text, graph)
    , m_graph(graph)
{
}

int NodeGraphParameterContainer::loadState(QDomElement const& section)
{
    m_keyframes.clear();
    // Only the section's own child: a nested sub-graph's keyframes are not this graph's.
    const QDomElement keys = section.firstChildElement(QStringLiteral("keyframes"));
    if (!keys.isNull()) {
        const int count = numFrames();
        for (int i = 0; i < count; ++i) {
            const QString value = keys.attribute(QStringLiteral("f") + QString::number(i));
            if (value.isEmpty())
                break;
            bool ok = false;
            const int frame = KelUtils::parseXmlInt(value, &ok);
            // The list stays sorted, without duplicates, inside the frames.
            if (ok && frame >= 0 && frame < count)
                addGraphKeyframe(frame);
        }
    }
    return KelUtils::ParameterContainer::loadState(section);
}

bool NodeGraphParameterContainer::isKeyframe(int frame) const
{
    return m_keyframes.contains(frame);
}

QList<int> NodeGraphParameterContainer::keyframes() const
{
    return m_keyframes;
}

bool NodeGraphParameterContainer::addGraphKeyframe(int frame)
{
    if (frame < 0 || frame >= numFrames() || m_keyframes.contains(frame))
        return false;
    m_keyframes.insert(std::upper_bound(m_keyframes.begin(), m_keyframes.end(), frame), frame);
    return true;
}

bool NodeGraphParameterContainer::removeGraphKeyframe(int frame)
{
    return m_keyframes.removeOne(frame);
}

int NodeGraphParameterContainer::setKeyframeAt(int frame)
{
    if (!addGraphKeyframe(frame))
        return -1;
    return m_graph ? m_graph->setKeyframeAt(frame) : 0;
}

int NodeGraphParameterContainer::deleteKeyframe(int frame)
{
    if (frame < 0 || frame >= numFrames() || !removeGraphKeyframe(frame))
        return -1;
    return m_graph ? m_graph->deleteKeyframe(frame) : 0;
}

int NodeGraphParameterContainer::moveKeyframe(int from, int to)
{
    // Everything is checked before the list or a member changes.
    if (from == to || from < 0 || from >= numFrames() || !m_keyframes.contains(from))
        return -1;
    if (to < 0 || to >= numFrames() || m_keyframes.contains(to))
        return -1;
    removeGraphKeyframe(from);
    addGraphKeyframe(to);
    return m_graph ? m_graph->moveKeyframe(from, to) : 0;
}

int NodeGraphParameterContainer::setCurrentFrame(int frame)
{
    if (KelUtils::ParameterContainer::setCurrentFrame(frame) < 0)
        return -1;
    return m_graph ? m_graph->setCurrentFrame(frame) : 0;
}

QDomElement NodeGraphParameterContainer::createXmlSection(QDomDocument& document, bool callHooks,
                                                          bool embed) const
{
    QDomElement section = KelUtils::ParameterContainer::createXmlSection(document, callHooks, embed);
    if (!m_graph)
        return section;
    section.setAttribute(QStringLiteral("name"), KelUtils::toBase64(m_graph->displayName()));
    section.setAttribute(QStringLiteral("uid"), KelUtils::formatXmlInt(m_graph->uid()));
    if (!m_keyframes.isEmpty()) {
        QDomElement keys = document.createElement(QStringLiteral("keyframes"));
        keys.setAttribute(QStringLiteral("curr_frame"), KelUtils::formatXmlInt(currentFrame()));
        for (int i = 0; i < m_keyframes.size(); ++i)
            keys.setAttribute(QStringLiteral("f") + QString::number(i),
                              KelUtils::formatXmlInt(m_keyframes.at(i)));
        section.appendChild(keys);
    }
    m_graph->store(m_graph->nodes(), document, section, StoreNoConnections, callHooks, embed);
    return section;
}

} // namespace KelNodes
