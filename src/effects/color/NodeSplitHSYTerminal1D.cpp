#include "effects/color/NodeSplitHSYTerminal1D.h"

#include "effects/Base3DGenerator.h"
#include "effects/color/HSYColor.h"
#include "effects/color/HueByte.h"
#include "effects/color/NodeSplitHSY.h"

#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

NodeSplitHSYTerminal1D::NodeSplitHSYTerminal1D(NodeSplitHSY* node, QString const& name,
                                               unsigned int inputMask, unsigned int outputMask,
                                               KelUtils::HelpItem const& help, int channel)
    : Terminal1D(node, name, inputMask, outputMask, help)
    , m_node(node)
    , m_channel(channel)
{
}

NodeSplitHSYTerminal1D::~NodeSplitHSYTerminal1D() = default;

unsigned int NodeSplitHSYTerminal1D::getSample(QPoint const& point) const
{
    Base3DGenerator const* input = m_node->colourInput();
    if (!input)
        return 0u;
    return channelOf(input->getSample3(point));
}

void NodeSplitHSYTerminal1D::getSpan(int y, int x, int count, unsigned int* out) const
{
    Base3DGenerator const* input = m_node->colourInput();
    if (!input) {
        std::fill(out, out + count, 0u);
        return;
    }
    if (m_channel == 0 || m_channel == 1) {
        // Hue and saturation from one conversion for both outputs.
        m_node->channelSpan(m_channel, y, x, count, out);
        return;
    }
    input->getSpan3(y, x, count, out);
    if (m_channel == 2) {
        // Luma needs neither hue nor saturation (an arc cosine and a sine each).
        for (int i = 0; i < count; ++i)
            out[i] = HSYColor::lumaByte(out[i]);
        return;
    }
    std::fill(out, out + count, 0u);
}

unsigned int NodeSplitHSYTerminal1D::channelOf(unsigned int rgb) const
{
    const HSYColor hsy(rgb);
    switch (m_channel) {
    case 0:
        return static_cast<unsigned int>(hueToByte(hsy.hue()));
    case 1:
        return hsy.saturation();
    case 2:
        return hsy.brightness();
    default:
        return 0u;
    }
}

} // namespace KelVyxNodes
