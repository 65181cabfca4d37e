#pragma once

namespace KelUtils {
struct ListItem;
}

namespace KelVyxNodes {

// One channel of the RGB, HSV or CMYK model, as the channel lists of the conversion nodes
// number them (the ids are stored in graph documents). All arithmetic is the classic colour
// class's (ClassicColor), so the bytes match stored effects.
enum ColorChannel {
    ChannelRed = 0,
    ChannelGreen = 1,
    ChannelBlue = 2,
    ChannelHue = 3,
    ChannelSaturation = 4,
    ChannelValue = 5,
    ChannelCyan = 6,
    ChannelMagenta = 7,
    ChannelYellow = 8,
    ChannelBlack = 9,
    ColorChannelCount = 10
};

// The list items "Red" .. "Black" in id order (ColorChannelCount of them; not translated).
KelUtils::ListItem const* colorChannelItems();

bool isColorChannel(int channel);

// The channel's byte of the colour 0x??RRGGBB (the top byte is ignored); the hue comes as its
// hue byte. 0 for an id that is not a channel.
unsigned int channelOfColour(int channel, unsigned int rgb);

// The colour 0x00RRGGBB that the byte makes in that channel of an otherwise zero colour of the
// channel's model: (v, 0, 0) for red, a grey for value, the complement over white for a CMYK
// channel, black for hue and saturation (their value is 0). 0 for an id that is not a channel.
unsigned int colourFromChannel(int channel, unsigned int value);

// channelOfColour and colourFromChannel over values[0 .. count - 1] in place, converting each
// colour once (the hue, saturation and value bytes from one HSV conversion, CMYK bytes from a
// table of the conversion's results; colours from a table of the 256 bytes of each channel).
void channelsOfColours(int channel, unsigned int* values, int count);
void coloursFromChannel(int channel, unsigned int* values, int count);

} // namespace KelVyxNodes
