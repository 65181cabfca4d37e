#pragma once

// A node a walk carried by its title onto an effect beside it, and what the drop may have done:
// the node carried went into the effect dropped on, or, the move refused, nothing changed and the
// window said why. The effect dropped on never moves, and a step the drop made names the node
// carried.

#include <QString>

#include <string>

namespace KelNodes {
class Node;
class NodeGraph;
}

namespace MainWindowTest {

class WalkDrop
{
public:
    WalkDrop() = default;
    WalkDrop(KelNodes::Node* carried, KelNodes::Node* onto, bool inOneMove);

    bool carriesAnEffect() const;
    // Whether the node carried left the graph it was in.
    bool moved() const;
    // Empty when the drop did what it may; `step` is the text of the step it made (empty when
    // none), `savedChanged` whether what Save writes changed, `said` what the window said.
    std::string fault(QString const& step, bool savedChanged, QString const& said) const;
    // For the walk's log.
    std::string description() const;

private:
    KelNodes::Node* m_carried = nullptr;
    KelNodes::Node* m_onto = nullptr;
    KelNodes::NodeGraph* m_carriedFrom = nullptr;
    KelNodes::NodeGraph* m_ontoIn = nullptr;
    QString m_carriedName;
    bool m_inOneMove = false;
};

} // namespace MainWindowTest
