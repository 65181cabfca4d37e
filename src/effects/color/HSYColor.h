#pragma once

namespace KelVyxNodes {

// Hue, saturation and luma colour. Luma is a weighted sum of the bytes scaled to 0..1; hue and
// saturation come from the two chroma axes of a fixed matrix. The order of every operation is
// fixed so that all nodes converting the same pixel produce the same bytes.
class HSYColor
{
public:
    HSYColor(double hue, double saturation, double brightness);
    explicit HSYColor(unsigned int rgb);

    // Converts 0x??RRGGBB (alpha ignored).
    static HSYColor fromRgb(unsigned int rgb);
    // Returns an opaque colour 0xFFRRGGBB; callers emitting 24-bit colours mask the alpha off.
    static unsigned int fromHSYNormalizedToOne(double hue, double saturation, double brightness);
    // Hue in degrees (above 360 counts as 360), saturation and luma as bytes.
    static unsigned int fromHSYint(unsigned short hue, unsigned char saturation, unsigned char brightness);

    // hue(), saturation() and brightness() of fromRgb(rgb), to the bit, with the arc cosine and
    // the sine taken only where a result hinges on their last bits.
    static void splitBytes(unsigned int rgb, unsigned short& hue, unsigned char& saturation,
                           unsigned char& brightness);

    unsigned int toRgb() const;
    // brightness() of fromRgb(rgb), without the hue and saturation.
    static unsigned char lumaByte(unsigned int rgb);

    double hueF() const { return m_hue; }
    double saturationF() const { return m_saturation; }
    double brightnessF() const { return m_brightness; }

    // Whole degrees 0..360.
    unsigned short hue() const;
    // 0..255.
    unsigned char saturation() const;
    unsigned char brightness() const;

    bool operator==(const HSYColor &other) const;

    // Forward matrix rows (Y, c1, c2) and inverse rows (R, G, B), each applied to three values.
    static const double (&toHsyMatrix())[3][3];
    static const double (&toRgbMatrix())[3][3];

private:
    double m_hue;
    double m_saturation;
    double m_brightness;
};

} // namespace KelVyxNodes
