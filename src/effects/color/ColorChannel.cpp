#include "effects/color/ColorChannel.h"

#include "effects/ClassicColor.h"
#include "effects/color/HueByte.h"
#include "params/ListItem.h"

namespace KelVyxNodes {

namespace {

const KelUtils::ListItem channelItems[ColorChannelCount] = {
    {ChannelRed, QStringLiteral("Red")},
    {ChannelGreen, QStringLiteral("Green")},
    {ChannelBlue, QStringLiteral("Blue")},
    {ChannelHue, QStringLiteral("Hue")},
    {ChannelSaturation, QStringLiteral("Saturation")},
    {ChannelValue, QStringLiteral("Value")},
    {ChannelCyan, QStringLiteral("Cyan")},
    {ChannelMagenta, QStringLiteral("Magenta")},
    {ChannelYellow, QStringLiteral("Yellow")},
    {ChannelBlack, QStringLiteral("Black")},
};

} // namespace

KelUtils::ListItem const* colorChannelItems()
{
    return channelItems;
}

bool isColorChannel(int channel)
{
    return channel >= 0 && channel < ColorChannelCount;
}

unsigned int channelOfColour(int channel, unsigned int rgb)
{
    const ClassicColor colour(rgb);
    int byte = 0;
    switch (channel) {
    case ChannelRed: byte = colour.red(); break;
    case ChannelGreen: byte = colour.green(); break;
    case ChannelBlue: byte = colour.blue(); break;
    case ChannelHue: byte = hueToByte(colour.hue()); break;
    case ChannelSaturation: byte = colour.saturation(); break;
    case ChannelValue: byte = colour.value(); break;
    case ChannelCyan: byte = colour.cyan(); break;
    case ChannelMagenta: byte = colour.magenta(); break;
    case ChannelYellow: byte = colour.yellow(); break;
    case ChannelBlack: byte = colour.black(); break;
    default: break;
    }
    return static_cast<unsigned int>(byte);
}

unsigned int colourFromChannel(int channel, unsigned int value)
{
    const int v = static_cast<int>(value & 0xFFu);
    ClassicColor colour;
    switch (channel) {
    case ChannelRed: colour = ClassicColor(v, 0, 0, 0); break;
    case ChannelGreen: colour = ClassicColor(0, v, 0, 0); break;
    case ChannelBlue: colour = ClassicColor(0, 0, v, 0); break;
    // The byte is placed as it is: a hue byte is not turned back into degrees, and with
    // value 0 it makes black anyway.
    case ChannelHue: colour = ClassicColor::fromHsv(v, 0, 0, 0); break;
    case ChannelSaturation: colour = ClassicColor::fromHsv(0, v, 0, 0); break;
    case ChannelValue: colour = ClassicColor::fromHsv(0, 0, v, 0); break;
    case ChannelCyan: colour = ClassicColor::fromCmyk(v, 0, 0, 0, 0); break;
    case ChannelMagenta: colour = ClassicColor::fromCmyk(0, v, 0, 0, 0); break;
    case ChannelYellow: colour = ClassicColor::fromCmyk(0, 0, v, 0, 0); break;
    case ChannelBlack: colour = ClassicColor::fromCmyk(0, 0, 0, v, 0); break;
    default: return 0u;
    }
    // Alpha 0: the packed colour has a zero top byte.
    return colour.rgba();
}

} // namespace KelVyxNodes
