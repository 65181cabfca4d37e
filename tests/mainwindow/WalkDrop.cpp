#include "WalkDrop.h"

#include "app/ShownText.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"

namespace MainWindowTest {
namespace {

std::string named(KelNodes::Node const* node)
{
    return node ? "\"" + node->displayName().toStdString() + "\" (" + std::to_string(node->uid()) + ")"
                : std::string("no graph");
}

} // namespace

WalkDrop::WalkDrop(KelNodes::Node* carried, KelNodes::Node* onto, bool inOneMove)
    : m_carried(carried)
    , m_onto(onto)
    , m_carriedFrom(carried->parentGraph())
    , m_ontoIn(onto->parentGraph())
    , m_carriedName(carried->displayName())
    , m_inOneMove(inOneMove)
{
}

bool WalkDrop::carriesAnEffect() const
{
    return m_carried && m_carried->toNodeGraph();
}

bool WalkDrop::moved() const
{
    return m_carried && m_carried->parentGraph() != m_carriedFrom;
}

std::string WalkDrop::fault(QString const& step, bool savedChanged, QString const& said) const
{
    if (!m_carried)
        return {};
    std::string const how = m_inOneMove ? " (carried in one move)" : " (carried in small moves)";
    if (m_onto->parentGraph() != m_ontoIn)
        return "the effect dropped on, " + named(m_onto) + ", went into " + named(m_onto->parentGraph()) +
               " in place of the node carried, " + named(m_carried) + how;
    if (!moved()) {
        // A move the program refuses changes nothing and makes no step.
        if (!step.isEmpty())
            return "a drop that moved nothing made the step \"" + step.toStdString() + "\"" + how;
        if (savedChanged)
            return "a drop that moved nothing changed what is saved" + how;
        if (said.isEmpty())
            return "the drop of " + named(m_carried) + " onto " + named(m_onto) + " moved nothing and said nothing" +
                   how;
        return {};
    }
    if (m_carried->parentGraph() != m_onto->toNodeGraph())
        return "the node carried, " + named(m_carried) + ", went into " + named(m_carried->parentGraph()) +
               ", not into the effect dropped on, " + named(m_onto) + how;
    QString const names = QStringLiteral("Drag and Drop ") + ShownText::name(m_carriedName);
    if (step.isEmpty())
        return "the move of " + named(m_carried) + " made no step" + how;
    if (step != names)
        return "the move of " + named(m_carried) + " made the step \"" + step.toStdString() + "\", not \"" +
               names.toStdString() + "\"" + how;
    return {};
}

std::string WalkDrop::description() const
{
    return "drag " + named(m_carried) + " onto " + named(m_onto) + (m_inOneMove ? " in one move" : " in small moves");
}

} // namespace MainWindowTest
