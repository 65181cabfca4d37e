#include "effects/color/ColourAlphaInputs.h"

#include "effects/GeneratorLookup.h"
#include "effects/VyxNode.h"
#include "effects/VyxTerminal.h"

namespace KelVyxNodes {

void ColourAlphaInputs::addTerminals(VyxNode* node)
{
    m_rgbTerminal = node->addTerminal(QStringLiteral("rgb"), 4u, 0u);
    m_alphaTerminal = node->addTerminal(QStringLiteral("alpha"), 2u, 0u);
}

void ColourAlphaInputs::connect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgb"))
        getGeneratorInterface(&m_colourInput, peer);
    else if (own->name() == QLatin1String("alpha"))
        getGeneratorInterface(&m_alphaInput, peer);
}

void ColourAlphaInputs::disconnect(KelNodes::Terminal const* own)
{
    if (own->name() == QLatin1String("rgb"))
        m_colourInput = nullptr;
    else if (own->name() == QLatin1String("alpha"))
        m_alphaInput = nullptr;
}

void ColourAlphaInputs::resolve()
{
    m_colourInput = linkedGenerator3D(m_rgbTerminal);
    m_alphaInput = linkedGenerator1D(m_alphaTerminal);
}

} // namespace KelVyxNodes
