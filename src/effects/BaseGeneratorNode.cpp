#include "effects/BaseGeneratorNode.h"

#include "effects/GeneratorLookup.h"
#include "effects/KindGroup.h"
#include "effects/VyxTerminal.h"

#include <QDebug>
#include <QDomDocument>
#include <QDomElement>

namespace KelVyxNodes {

namespace {

constexpr unsigned int kInputBoth = 6;
constexpr unsigned int kOutputBoth = 7;

} // namespace

BaseGeneratorNode::BaseGeneratorNode(int id, QString const& inputName, QString const& outputName)
    : VyxNode(id)
{
    if (!inputName.isEmpty())
        m_inputTerminal = addTerminal(inputName, kInputBoth, 0);
    if (!outputName.isEmpty())
        m_outputTerminal = addTerminal(outputName, 0, kOutputBoth);
}

BaseGeneratorNode::~BaseGeneratorNode()
{
    // The links go while this is still a generator node, marked dying: its neighbours settle
    // without it, and none settles it again.
    m_dying = true;
    KelNodes::KindSettling::forget(this);
    removeAllTerminals();
}

Base1DGenerator const* BaseGeneratorNode::toBase1DGenerator() const
{
    const unsigned int in = m_inputTerminal ? m_inputTerminal->inputMask() : 2u;
    const unsigned int out = m_outputTerminal ? m_outputTerminal->outputMask() : ~0u;
    return ((in & 2u) & out) ? static_cast<Base1DGenerator const*>(this) : nullptr;
}

Base3DGenerator const* BaseGeneratorNode::toBase3DGenerator() const
{
    const unsigned int in = m_inputTerminal ? m_inputTerminal->inputMask() : 4u;
    const unsigned int out = m_outputTerminal ? m_outputTerminal->outputMask() : ~0u;
    return ((in & 4u) & out) ? static_cast<Base3DGenerator const*>(this) : nullptr;
}

int BaseGeneratorNode::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (KelNodes::Node::onConnect(own, peer) < 0)
        return -1;
    if (own && own == m_inputTerminal) {
        // An input that finds nothing to read behind its peer is refused; the kind read is
        // settled once the link stands.
        Base1DGenerator const* g1 = nullptr;
        Base3DGenerator const* g3 = nullptr;
        getGeneratorInterfaces(peer, &g1, &g3);
        if (!g1 && !g3)
            return -1;
        m_upstream3D = g3;
        m_upstream1D = g3 ? nullptr : g1;
    }
    return 0;
}

void BaseGeneratorNode::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own && own == m_inputTerminal) {
        m_upstream1D = nullptr;
        m_upstream3D = nullptr;
    }
    KelNodes::Node::onDisconnect(own, peer);
}

bool BaseGeneratorNode::admitsLink(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) const
{
    // Links made again are settled together afterwards; a link a user draws must leave a kind
    // that serves every link of the nodes it joins, the links it replaces gone.
    if (m_dying || !own || !peer || (own != m_inputTerminal && own != m_outputTerminal)
        || KelNodes::KindSettling::active())
        return true;
    KindGroup::Change change;
    change.output = own == m_outputTerminal ? own : peer;
    change.input = own == m_outputTerminal ? peer : own;
    for (KelNodes::Terminal const* end : {own, peer}) {
        if (end->allowsManyLinks())
            continue;
        for (KelNodes::Terminal const* other : end->connections()) {
            const bool endIsOutput = end == change.output;
            change.gone.insert(endIsOutput ? qMakePair(end, other) : qMakePair(other, end));
        }
    }
    const KindGroup group(const_cast<BaseGeneratorNode*>(this), &change);
    if (own == m_inputTerminal && group.hasSource() && group.sourceKinds() == 0)
        return false;
    return group.consistent();
}

void BaseGeneratorNode::linksChanged(KelNodes::Terminal const* own)
{
    if (m_dying || (own != m_inputTerminal && own != m_outputTerminal))
        return;
    if (KelNodes::KindSettling::active()) {
        KelNodes::KindSettling::takeIn(this, false);
        return;
    }
    KelNodes::KindSettling::Round round;
    settleKinds(round);
    for (auto const& [output, input] : std::as_const(round.unserved))
        qDebug() << "BaseGeneratorNode: a link no kind serves stands:" << output->name() << "->" << input->name();
}

void BaseGeneratorNode::openKinds()
{
    if (m_dying)
        return;
    if (m_inputTerminal)
        m_inputTerminal->setInputMask(kInputBoth);
    if (m_outputTerminal)
        m_outputTerminal->setOutputMask(kOutputBoth);
}

void BaseGeneratorNode::settleKinds(KelNodes::KindSettling::Round& round)
{
    if (m_dying || round.settled.contains(this))
        return;
    KindGroup(this).settle(round);
}

void BaseGeneratorNode::takeSettledKinds(SettledKinds const& settled)
{
    const bool changed = m_kind != settled.kind
                         || (m_inputTerminal && m_inputTerminal->inputMask() != settled.input)
                         || (m_outputTerminal && m_outputTerminal->outputMask() != settled.output);
    m_kind = settled.kind;
    if (m_inputTerminal)
        m_inputTerminal->setInputMask(settled.input);
    if (m_outputTerminal)
        m_outputTerminal->setOutputMask(settled.output);
    readUpstream(settled.feeding);
    if (changed)
        kindsSettled();
}

void BaseGeneratorNode::kindsSettled()
{
}

void BaseGeneratorNode::readUpstream(KelNodes::Terminal const* feeding)
{
    m_upstream1D = nullptr;
    m_upstream3D = nullptr;
    if (!feeding)
        return;
    if (m_kind == 4u)
        m_upstream3D = findGenerator3D(feeding);
    else if (m_kind == 2u)
        m_upstream1D = findGenerator1D(feeding);
}

void BaseGeneratorNode::resolveInputs()
{
    if (!m_inputTerminal || m_inputTerminal->numConnections() == 0)
        return;
    readUpstream(m_inputTerminal->connections().first());
}

int BaseGeneratorNode::storeStateSpecific(QDomDocument& document, QDomElement& section,
                                          bool /*embed*/) const
{
    if (!m_inputTerminal && !m_outputTerminal)
        return 0;
    QDomElement flags = document.createElement(QStringLiteral("termflags"));
    if (m_inputTerminal)
        flags.setAttribute(QStringLiteral("in"), QString::number(m_inputTerminal->inputMask()));
    if (m_outputTerminal)
        flags.setAttribute(QStringLiteral("out"), QString::number(m_outputTerminal->outputMask()));
    section.appendChild(flags);
    return 0;
}

int BaseGeneratorNode::loadStateSpecific(QDomElement const& section)
{
    // The kinds stored stand until the node's links are made again and settle them.
    const QDomElement flags = section.firstChildElement(QStringLiteral("termflags"));
    if (flags.isNull())
        return 0;
    bool ok = false;
    const QString in = flags.attribute(QStringLiteral("in"));
    if (m_inputTerminal && !in.isEmpty()) {
        const unsigned int mask = in.toUInt(&ok);
        if (ok)
            m_inputTerminal->setInputMask(mask);
    }
    const QString out = flags.attribute(QStringLiteral("out"));
    if (m_outputTerminal && !out.isEmpty()) {
        const unsigned int mask = out.toUInt(&ok);
        if (ok)
            m_outputTerminal->setOutputMask(mask);
    }
    return 0;
}

} // namespace KelVyxNodes
