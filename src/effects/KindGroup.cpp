#include "effects/KindGroup.h"

#include "effects/BaseGeneratorNode.h"
#include "effects/VyxTerminal.h"

namespace KelVyxNodes {

namespace {

constexpr unsigned int kGroupChannel = 2;
constexpr unsigned int kGroupColour = 4;
constexpr unsigned int kGroupBoth = kGroupChannel | kGroupColour;

// A generator node that is not on its way out: a dying one's links are going, one by one.
BaseGeneratorNode* liveGeneratorOf(KelNodes::Node* node)
{
    auto* generator = dynamic_cast<BaseGeneratorNode*>(node);
    return generator && !generator->isDying() ? generator : nullptr;
}

unsigned int preferredKind(unsigned int kinds)
{
    return (kinds & kGroupColour) ? kGroupColour : (kinds & kGroupChannel) ? kGroupChannel : 0u;
}

} // namespace

KindGroup::KindGroup(BaseGeneratorNode* start, Change const* change) : m_change(change)
{
    gather(start);
    decide();
}

unsigned int KindGroup::offeredKinds(KelNodes::Terminal const* peer)
{
    if (!peer)
        return 0;
    if (auto const* terminal = dynamic_cast<VyxTerminal const*>(peer)) {
        const unsigned int own = (terminal->toBase3DGenerator() ? kGroupColour : 0u)
                                 | (terminal->toBase1DGenerator() ? kGroupChannel : 0u);
        if (own)
            return own;
    }
    auto const* host = dynamic_cast<VyxNode const*>(peer->hostNode());
    if (!host)
        return 0;
    return (host->toBase3DGenerator() ? kGroupColour : 0u) | (host->toBase1DGenerator() ? kGroupChannel : 0u);
}

QList<KelNodes::Terminal const*> KindGroup::peersOf(KelNodes::Terminal const* own) const
{
    QList<KelNodes::Terminal const*> peers;
    if (!own)
        return peers;
    for (KelNodes::Terminal const* peer : own->connections()) {
        if (!peer)
            continue;
        if (auto* generator = dynamic_cast<BaseGeneratorNode*>(peer->hostNode());
            generator && generator->isDying())
            continue;
        if (m_change) {
            const bool ownIsOutput = !own->isInput() || (own->isOutput() && peer->isInput());
            const auto link = ownIsOutput ? qMakePair(own, peer) : qMakePair(peer, own);
            if (m_change->gone.contains(link))
                continue;
        }
        peers.append(peer);
    }
    if (m_change && m_change->output && m_change->input) {
        if (own == m_change->output && !peers.contains(m_change->input))
            peers.append(m_change->input);
        else if (own == m_change->input && !peers.contains(m_change->output))
            peers.append(m_change->output);
    }
    return peers;
}

void KindGroup::gather(BaseGeneratorNode* start)
{
    if (!start || start->isDying())
        return;
    auto add = [this](BaseGeneratorNode* node) {
        if (!m_index.contains(node)) {
            m_index.insert(node, int(m_members.size()));
            Member member;
            member.node = node;
            m_members.append(member);
        }
    };
    add(start);
    // The output each member's input reads, found once.
    QList<KelNodes::Terminal const*> upstream;
    for (int i = 0; i < m_members.size(); ++i) {
        BaseGeneratorNode* node = m_members[i].node;
        const QList<KelNodes::Terminal const*> feeding = peersOf(node->inputTerminal());
        upstream.append(feeding.isEmpty() ? nullptr : feeding.first());
        if (KelNodes::Terminal const* peer = upstream.last()) {
            m_linked = true;
            BaseGeneratorNode* generator = liveGeneratorOf(peer->hostNode());
            if (generator && peer == generator->outputTerminal())
                add(generator);
        }
        for (KelNodes::Terminal const* peer : peersOf(node->outputTerminal())) {
            m_linked = true;
            BaseGeneratorNode* reader = liveGeneratorOf(peer->hostNode());
            if (reader && peer == reader->inputTerminal())
                add(reader);
            else
                m_members[i].readers.append(peer);
        }
    }
    for (int i = 0; i < m_members.size(); ++i) {
        KelNodes::Terminal const* peer = upstream.at(i);
        BaseGeneratorNode* generator = peer ? liveGeneratorOf(peer->hostNode()) : nullptr;
        if (generator && peer == generator->outputTerminal()) {
            m_members[i].parent = m_index.value(generator);
        } else if (m_root < 0) {
            // Every member reads one input at most, so a group met through links has one first
            // member, the one fed from outside the group or not at all.
            m_root = i;
            m_source = peer;
        }
    }
}

void KindGroup::decide()
{
    if (m_members.isEmpty() || !m_linked)
        return;
    if (m_root < 0) {
        // A ring of members, which links never close: nothing to decide.
        m_consistent = false;
        m_linked = false;
        return;
    }
    unsigned int readersTake = kGroupBoth;
    for (Member const& member : std::as_const(m_members)) {
        for (KelNodes::Terminal const* reader : member.readers)
            readersTake &= reader->inputMask();
    }
    m_sourceKinds = m_source ? offeredKinds(m_source) & kGroupBoth : kGroupBoth;
    m_kind = preferredKind(m_sourceKinds & readersTake);
    if (m_kind == 0) {
        m_consistent = false;
        m_kind = preferredKind(m_sourceKinds) ? preferredKind(m_sourceKinds)
                 : preferredKind(readersTake) ? preferredKind(readersTake) : kGroupColour;
    }
}

void KindGroup::settle(KelNodes::KindSettling::Round& round) const
{
    for (int i = 0; i < m_members.size(); ++i) {
        Member const& member = m_members.at(i);
        BaseGeneratorNode::SettledKinds settled;
        settled.kind = m_linked ? m_kind : 0u;
        KelNodes::Terminal const* feeding = nullptr;
        if (member.parent >= 0)
            feeding = m_members.at(member.parent).node->outputTerminal();
        else if (i == m_root)
            feeding = m_source;
        if (!m_linked) {
            settled.input = kGroupBoth;
            settled.output = kGroupBoth | 1u;
        } else {
            // A linked input takes either kind, as when it was linked first: a wire dropped on
            // it in place of its link is weighed by the group (BaseGeneratorNode::admitsLink).
            settled.input = feeding ? kGroupBoth : m_kind;
            settled.output = m_kind | 1u;
        }
        settled.feeding = feeding;
        member.node->takeSettledKinds(settled);
        round.settled.insert(member.node);
        if (m_consistent)
            continue;
        for (KelNodes::Terminal const* reader : member.readers) {
            if ((reader->inputMask() & m_kind) == 0)
                round.unserved.append({member.node->outputTerminal(),
                                       const_cast<KelNodes::Terminal*>(reader)});
        }
    }
    if (!m_consistent && m_source && (m_sourceKinds & m_kind) == 0 && m_root >= 0)
        round.unserved.append({const_cast<KelNodes::Terminal*>(m_source),
                               m_members.at(m_root).node->inputTerminal()});
}

} // namespace KelVyxNodes
