#pragma once

#include "nodes/KindSettling.h"

#include <QHash>
#include <QList>
#include <QSet>

namespace KelNodes {
class Terminal;
}

namespace KelVyxNodes {

class BaseGeneratorNode;

// The generator nodes that one node's kinds depend on: those linked output to input with it,
// at any distance. Such a node passes on what it reads, so the whole group carries one kind,
// decided by what lies around it: the source that feeds its first node (colour preferred
// where the source offers both) and the inputs outside the group that read it. A node's output
// then offers that kind and a free input takes only it; an input that holds a link takes either,
// and a wire dropped on it is weighed against the whole group (KINDS.md).
//
// Built on the links as they stand, or as they would stand with one link made (the links it
// would replace gone), so a link can be weighed before anything changes.
class KindGroup
{
public:
    struct Change
    {
        KelNodes::Terminal const* output = nullptr;
        KelNodes::Terminal const* input = nullptr;
        QSet<QPair<KelNodes::Terminal const*, KelNodes::Terminal const*>> gone; // output, input
    };

    explicit KindGroup(BaseGeneratorNode* start, Change const* change = nullptr);

    // Whether some kind serves every link of the group.
    bool consistent() const { return m_consistent; }
    // What the source feeding the group offers (2 one channel, 4 colour; 6 without a source).
    unsigned int sourceKinds() const { return m_sourceKinds; }
    bool hasSource() const { return m_source != nullptr; }

    // Gives every member its kinds and upstream generator, marks the members settled in
    // `round`, and lists there the links the kind cannot serve (only a group that is not
    // consistent has such links).
    void settle(KelNodes::KindSettling::Round& round) const;

    // The kinds behind a peer: its terminal's own generators where it has any, else its host's.
    static unsigned int offeredKinds(KelNodes::Terminal const* peer);

private:
    struct Member
    {
        BaseGeneratorNode* node = nullptr;
        int parent = -1;                          // the member feeding the input
        QList<KelNodes::Terminal const*> readers; // inputs outside the group the output feeds
    };

    QList<KelNodes::Terminal const*> peersOf(KelNodes::Terminal const* own) const;
    void gather(BaseGeneratorNode* start);
    void decide();

    Change const* m_change;
    QList<Member> m_members;
    QHash<BaseGeneratorNode const*, int> m_index;
    KelNodes::Terminal const* m_source = nullptr; // the outside output feeding the root
    int m_root = -1;
    unsigned int m_sourceKinds = 6;
    unsigned int m_kind = 0; // 0 while unlinked
    bool m_linked = false;
    bool m_consistent = true;
};

} // namespace KelVyxNodes
