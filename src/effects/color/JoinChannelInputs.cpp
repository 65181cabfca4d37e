#include "effects/color/JoinChannelInputs.h"

#include "effects/Base1DGenerator.h"
#include "effects/GeneratorLookup.h"
#include "effects/VyxNode.h"
#include "effects/VyxTerminal.h"

#include <algorithm>

namespace KelVyxNodes {

JoinChannelInputs::JoinChannelInputs(char const* const* names, int count)
    : m_names(names)
    , m_count(count)
{
}

void JoinChannelInputs::addTerminals(VyxNode* node)
{
    for (int i = 0; i < m_count; ++i)
        m_terminal[i] = node->addTerminal(QString::fromLatin1(m_names[i]), 2u, 0u);
}

int JoinChannelInputs::indexOf(QString const& terminalName) const
{
    for (int i = 0; i < m_count; ++i) {
        if (terminalName == QLatin1String(m_names[i]))
            return i;
    }
    return -1;
}

void JoinChannelInputs::connect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int input = indexOf(own->name());
    if (input >= 0)
        getGeneratorInterface(&m_input[input], peer);
}

void JoinChannelInputs::disconnect(KelNodes::Terminal const* own)
{
    const int input = indexOf(own->name());
    if (input >= 0)
        m_input[input] = nullptr;
}

void JoinChannelInputs::spanBytes(int index, int y, int x, int count, unsigned int* out) const
{
    if (!m_input[index]) {
        std::fill(out, out + count, 0u);
        return;
    }
    m_input[index]->getSpan(y, x, count, out);
    for (int i = 0; i < count; ++i)
        out[i] &= 0xFFu;
}

void JoinChannelInputs::resolve()
{
    for (int i = 0; i < m_count; ++i)
        m_input[i] = linkedGenerator1D(m_terminal[i]);
}

} // namespace KelVyxNodes
