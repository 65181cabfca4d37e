#include "effects/BaseGeneratorNode.h"

#include "effects/GeneratorLookup.h"
#include "effects/VyxTerminal.h"

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

BaseGeneratorNode::~BaseGeneratorNode() = default;

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

bool BaseGeneratorNode::keepsStoredInputKind() const
{
    return m_inputKindStored && restoringLinks();
}

bool BaseGeneratorNode::keepsStoredOutputKind() const
{
    return m_outputKindStored && restoringLinks();
}

bool BaseGeneratorNode::keepsStoredKind(KelNodes::Terminal const* terminal) const
{
    return terminal && ((terminal == m_inputTerminal && keepsStoredInputKind())
                        || (terminal == m_outputTerminal && keepsStoredOutputKind()));
}

int BaseGeneratorNode::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (KelNodes::Node::onConnect(own, peer) < 0)
        return -1;
    // While a document's links are made again, in the order the file lists them, the kinds it
    // stored are those the links were made with: narrowing them by that order would refuse the
    // links made before in another.
    const bool keepInput = keepsStoredInputKind();
    const bool keepOutput = keepsStoredOutputKind();
    if (own && own == m_inputTerminal) {
        Base1DGenerator const* g1 = nullptr;
        Base3DGenerator const* g3 = nullptr;
        getGeneratorInterfaces(peer, &g1, &g3);
        if (g3) {
            m_upstream3D = g3;
            m_upstream1D = nullptr;
            if (m_outputTerminal && !keepOutput)
                m_outputTerminal->setOutputMask(5);
        } else if (g1) {
            m_upstream1D = g1;
            m_upstream3D = nullptr;
            if (m_outputTerminal && !keepOutput)
                m_outputTerminal->setOutputMask(3);
        } else {
            return -1;
        }
    } else if (own && own == m_outputTerminal) {
        const unsigned int peerIn = peer ? peer->inputMask() : 0u;
        if (!keepOutput)
            m_outputTerminal->setOutputMask((peerIn & 4u) ? 5 : 3);
        if (m_inputTerminal && m_inputTerminal->numConnections() == 0 && !keepInput)
            m_inputTerminal->setInputMask(m_outputTerminal->outputMask() & 6u);
    }
    return 0;
}

void BaseGeneratorNode::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const bool keepInput = keepsStoredInputKind();
    const bool keepOutput = keepsStoredOutputKind();
    if (own && own == m_inputTerminal) {
        m_upstream1D = nullptr;
        m_upstream3D = nullptr;
        if (m_outputTerminal && m_outputTerminal->numConnections() > 0) {
            if (!keepInput)
                m_inputTerminal->setInputMask(m_outputTerminal->outputMask() & 6u);
        } else {
            if (!keepInput)
                m_inputTerminal->setInputMask(kInputBoth);
            if (m_outputTerminal && !keepOutput)
                m_outputTerminal->setOutputMask(kOutputBoth);
        }
    } else if (own && own == m_outputTerminal) {
        // The link is still held while this runs: one left means this was the last.
        const bool lastLink = m_outputTerminal->numConnections() == 1;
        const bool inputFree = !m_inputTerminal || m_inputTerminal->numConnections() == 0;
        if (lastLink && inputFree) {
            if (m_inputTerminal && !keepInput)
                m_inputTerminal->setInputMask(kInputBoth);
            if (!keepOutput)
                m_outputTerminal->setOutputMask(kOutputBoth);
        }
    }
    KelNodes::Node::onDisconnect(own, peer);
}

void BaseGeneratorNode::resolveInputs()
{
    if (!m_inputTerminal || m_inputTerminal->numConnections() == 0)
        return;
    Base1DGenerator const* g1 = nullptr;
    Base3DGenerator const* g3 = nullptr;
    getGeneratorInterfaces(m_inputTerminal->connections().first(), &g1, &g3);
    m_upstream3D = g3;
    m_upstream1D = g3 ? nullptr : g1;
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
    m_inputKindStored = false;
    m_outputKindStored = false;
    const QDomElement flags = section.firstChildElement(QStringLiteral("termflags"));
    if (flags.isNull())
        return 0;
    bool ok = false;
    const QString in = flags.attribute(QStringLiteral("in"));
    if (m_inputTerminal && !in.isEmpty()) {
        const unsigned int mask = in.toUInt(&ok);
        if (ok)
            m_inputTerminal->setInputMask(mask);
        m_inputKindStored = ok;
    }
    const QString out = flags.attribute(QStringLiteral("out"));
    if (m_outputTerminal && !out.isEmpty()) {
        const unsigned int mask = out.toUInt(&ok);
        if (ok)
            m_outputTerminal->setOutputMask(mask);
        m_outputKindStored = ok;
    }
    return 0;
}

} // namespace KelVyxNodes
