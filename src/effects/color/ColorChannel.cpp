#include "effects/color/ColorChannel.h"

#include "effects/ClassicColor.h"
#include "effects/color/HueByte.h"
#include "params/ListItem.h"

#include <algorithm>

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

// colourFromChannel of every channel and byte.
struct ChannelColours
{
    unsigned int colour[ColorChannelCount][256];
};

ChannelColours const& channelColours()
{
    static const ChannelColours table = [] {
        ChannelColours t{};
        for (int channel = 0; channel < ColorChannelCount; ++channel) {
            for (unsigned int v = 0; v < 256; ++v)
                t.colour[channel][v] = colourFromChannel(channel, v);
        }
        return t;
    }();
    return table;
}

// A CMYK channel byte depends only on its RGB byte and on the largest RGB byte (which gives
// the black): the bytes of every such pair, made by the colour's own conversion.
struct CmykBytes
{
    unsigned char ofChannel[256][256]; // [largest byte][channel byte], channel byte <= largest
    unsigned char black[256];
};

CmykBytes const& cmykBytes()
{
    static const CmykBytes* table = [] {
        auto* t = new CmykBytes{};
        for (int top = 0; top < 256; ++top) {
            for (int v = 0; v <= top; ++v)
                t->ofChannel[top][v] = static_cast<unsigned char>(ClassicColor(v, top, 0).cyan());
            t->black[top] = static_cast<unsigned char>(ClassicColor(top, top, top).black());
        }
        return t;
    }();
    return *table;
}

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

void channelsOfColours(int channel, unsigned int* values, int count)
{
    switch (channel) {
    case ChannelRed:
    case ChannelGreen:
    case ChannelBlue: {
        const int shift = 16 - 8 * channel;
        for (int i = 0; i < count; ++i)
            values[i] = (values[i] >> shift) & 0xFFu;
        return;
    }
    case ChannelHue:
    case ChannelSaturation:
    case ChannelValue:
        for (int i = 0; i < count; ++i) {
            int hsv[3];
            ClassicColor::hsvOfRgb(values[i], hsv[0], hsv[1], hsv[2]);
            values[i] = static_cast<unsigned int>(channel == ChannelHue ? hueToByte(hsv[0]) : hsv[channel - ChannelHue]);
        }
        return;
    case ChannelCyan:
    case ChannelMagenta:
    case ChannelYellow: {
        CmykBytes const& cmyk = cmykBytes();
        const int shift = 16 - 8 * (channel - ChannelCyan);
        for (int i = 0; i < count; ++i) {
            const unsigned int c = values[i];
            const unsigned int top = std::max({(c >> 16) & 0xFFu, (c >> 8) & 0xFFu, c & 0xFFu});
            values[i] = cmyk.ofChannel[top][(c >> shift) & 0xFFu];
        }
        return;
    }
    case ChannelBlack: {
        CmykBytes const& cmyk = cmykBytes();
        for (int i = 0; i < count; ++i) {
            const unsigned int c = values[i];
            values[i] = cmyk.black[std::max({(c >> 16) & 0xFFu, (c >> 8) & 0xFFu, c & 0xFFu})];
        }
        return;
    }
    default:
        std::fill(values, values + count, 0u);
        return;
    }
}

void coloursFromChannel(int channel, unsigned int* values, int count)
{
    if (!isColorChannel(channel)) {
        std::fill(values, values + count, 0u);
        return;
    }
    unsigned int const* colour = channelColours().colour[channel];
    for (int i = 0; i < count; ++i)
        values[i] = colour[values[i] & 0xFFu];
}

} // namespace KelVyxNodes
