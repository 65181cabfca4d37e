#pragma once

namespace KelVyxNodes {

// A colour value with the arithmetic of the classic toolkit colour class, bit for bit.
//
// Pixel code must not use Qt 6's QColor for arithmetic: it converts in float and takes a
// 16-bit channel back to 8 bits by rounding, so HSV, HSL, CMYK and fraction round trips give
// other bytes than the ones stored effects were made with. Here, as in the classic class:
// - every channel is a 16-bit word; an 8-bit value v is stored as v * 257 and read back as
//   the high byte (word >> 8);
// - a fraction x is stored as roundHalfUp(x * 65535); hues are words in hundredths of a
//   degree (0..36000), with 65535 meaning "no hue" (greys), reported as -1;
// - conversions between the models run in double;
// - the colour keeps the model it was last set in and converts on every read of another one.
//
// Out-of-range arguments behave as in the classic class, without its console warnings:
// the whole-colour integer setters and setRgbF make the colour invalid, setHsvF, setHslF and
// setCmykF leave it unchanged, and the single-channel setters clamp. A NaN counts as out of
// range everywhere (a single-channel setter takes it as 0).
class ClassicColor
{
public:
    enum Spec { Invalid, Rgb, Hsv, Cmyk, Hsl };

    // An invalid colour: reads as opaque black.
    ClassicColor();
    // Opaque colour from 0x??RRGGBB; the top byte is ignored.
    explicit ClassicColor(unsigned int rgb);
    ClassicColor(int r, int g, int b, int a = 255);

    static ClassicColor fromRgb(unsigned int rgb);
    static ClassicColor fromRgba(unsigned int rgba);
    static ClassicColor fromRgbF(double r, double g, double b, double a = 1.0);
    static ClassicColor fromHsv(int h, int s, int v, int a = 255);
    static ClassicColor fromHsvF(double h, double s, double v, double a = 1.0);
    static ClassicColor fromHsl(int h, int s, int l, int a = 255);
    static ClassicColor fromHslF(double h, double s, double l, double a = 1.0);
    static ClassicColor fromCmyk(int c, int m, int y, int k, int a = 255);
    static ClassicColor fromCmykF(double c, double m, double y, double k, double a = 1.0);

    Spec spec() const { return m_spec; }
    bool isValid() const { return m_spec != Invalid; }
    void invalidate();

    ClassicColor toRgb() const;
    ClassicColor toHsv() const;
    ClassicColor toHsl() const;
    ClassicColor toCmyk() const;
    ClassicColor convertTo(Spec spec) const;

    // Alpha is kept in every model.
    int alpha() const { return m_alpha >> 8; }
    double alphaF() const;
    void setAlpha(int alpha);
    void setAlphaF(double alpha);

    // RGB
    int red() const;
    int green() const;
    int blue() const;
    double redF() const;
    double greenF() const;
    double blueF() const;
    void setRed(int red);
    void setGreen(int green);
    void setBlue(int blue);
    void setRedF(double red);
    void setGreenF(double green);
    void setBlueF(double blue);
    void setRgb(int r, int g, int b, int a = 255);
    void setRgb(unsigned int rgb);
    void setRgba(unsigned int rgba);
    void setRgbF(double r, double g, double b, double a = 1.0);
    // 0xFFRRGGBB and 0xAARRGGBB; an invalid colour gives 0xFF000000 for both.
    unsigned int rgb() const;
    unsigned int rgba() const;

    // HSV: hue in whole degrees 0..359 (-1 without hue), saturation and value 0..255.
    int hue() const { return hsvHue(); }
    int saturation() const { return hsvSaturation(); }
    int value() const;
    int hsvHue() const;
    int hsvSaturation() const;
    double hueF() const { return hsvHueF(); }
    double saturationF() const { return hsvSaturationF(); }
    double valueF() const;
    double hsvHueF() const;
    double hsvSaturationF() const;
    void setHsv(int h, int s, int v, int a = 255);
    void setHsvF(double h, double s, double v, double a = 1.0);

    // HSL
    int hslHue() const;
    int hslSaturation() const;
    int lightness() const;
    double hslHueF() const;
    double hslSaturationF() const;
    double lightnessF() const;
    void setHsl(int h, int s, int l, int a = 255);
    void setHslF(double h, double s, double l, double a = 1.0);

    // CMYK
    int cyan() const;
    int magenta() const;
    int yellow() const;
    int black() const;
    double cyanF() const;
    double magentaF() const;
    double yellowF() const;
    double blackF() const;
    void setCmyk(int c, int m, int y, int k, int a = 255);
    void setCmykF(double c, double m, double y, double k, double a = 1.0);

    // Byte-level HSV for pixel loops, one conversion each way and no colour object:
    // hsvOfRgb gives what hue(), saturation() and value() of ClassicColor(rgb) report (hue -1
    // for a grey); rgbOfHsv gives rgba() of a colour set by setHsv(h, s, v, 0), for h in
    // -1..359 and s, v in 0..255.
    static void hsvOfRgb(unsigned int rgb, int& h, int& s, int& v);
    static unsigned int rgbOfHsv(int h, int s, int v);
    // rgba() of ClassicColor(rgb) after setHsvF(hueF(), saturationF(), v, 1.0), v its valueF()
    // times factor held to 0..1 by std::min and std::max: one conversion each way instead of
    // one per read.
    static unsigned int rgbWithValueScaled(unsigned int rgb, double factor);
    // The same for one factor over values[0 .. count - 1] in place, with what depends on the
    // factor alone made once; the top byte of each result is 0.
    struct ValueScale
    {
        explicit ValueScale(double factor = 1.0);
        double factor;
        // By top byte of a colour: the word setHsvF stores for the scaled value, and its fraction.
        unsigned short valueWord[256];
        double valueFraction[256];
    };
    static void rgbWithValueScaled(ValueScale const& scale, unsigned int* values, int count);
    // The same with the factor of each value its own: values[i] scaled by
    // ClassicColor(factorColours[i]).valueF(), the top byte of each result 0.
    static void rgbWithValueScaledBy(unsigned int const* factorColours, unsigned int* values, int count);

    // HSL for pixel loops: the words toHsl makes (hue 65535 for none), the lightnessF() they
    // give, and rgba() & 0xFFFFFF of ClassicColor(rgb) after setHslF(hslHueF(),
    // hslSaturationF(), lightness) for those words, converted once each way.
    struct HslWords
    {
        unsigned short hue;
        unsigned short saturation;
        unsigned short lightness;
    };
    static HslWords hslWordsOf(unsigned int rgb);
    static double lightnessFOf(HslWords const& words);
    static unsigned int rgbWithHslLightness(unsigned int rgb, HslWords const& words, double lightness);
    // The same for values[0 .. count - 1]: their words into words[], then each value replaced
    // by rgbWithHslLightness(value, words[i], lightnesses[i]).
    static void hslWordsOf(unsigned int const* values, HslWords* words, int count);
    static void rgbWithHslLightness(unsigned int* values, HslWords const* words, double const* lightnesses, int count);

    // Exact equality of the model and the stored words.
    bool operator==(ClassicColor const& other) const;
    bool operator!=(ClassicColor const& other) const { return !(*this == other); }

private:
    // Word of a fraction in 0..1, as the classic class stores it.
    // Inline, with floor(t) for t = x * 65535 + 0.5 taken as a truncation where t is known to
    // be positive (floor costs about ten instructions on the x86-64 baseline): the same words.
    static unsigned short word(double fraction)
    {
        const double t = fraction * 65535.0 + 0.5;
        if (!(t >= 1.0))
            return 0; // floor below 1, or NaN
        return t >= 65535.0 ? 0xFFFF : static_cast<unsigned short>(t);
    }
    static double fraction(unsigned short word) { return word / 65535.0; }
    // What valueF() reads for each top byte, and whether setHsvF stores the very hue and
    // saturation words that hueF() and saturationF() came from (checked once for every word).
    struct ValueReads
    {
        double valueFraction[256];
        bool wordsSurviveFractions;
    };
    static ValueReads const& valueReads();
    // The word setHsvF stores for value times factor, held to 0..1 by std::min and std::max.
    static unsigned short scaledValueWord(double value, double factor);
    static void hueAndSaturation(unsigned int rgb, int& hueWord, double& saturation, int& top);
    static unsigned int rgbOfHsvWords(int hueWord, double s, unsigned short valueWord, double v);
    // rgbOfHsvWords of each value's hue and saturation with the scaled value
    // valueOf(index, top byte, word&, fraction&) gives.
    template<class ValueOf>
    static void scaleValuesInRuns(unsigned int* values, int count, ValueOf&& valueOf);
    // The RGB words of HSL words with a hue (word 0..36000), a saturation above 0 and a
    // lightness above 0, the saturation and lightness given as their fractions.
    static void rgbWordsOfHsl(unsigned short hueWord, double s, double l, unsigned short* rgb);
    // hslWordsOf and rgbWithHslLightness, inlined into their single and span forms.
    static HslWords hslWordsInline(unsigned int rgb);
    static unsigned int rgbWithHslLightnessInline(unsigned int rgb, HslWords const& words, double lightness);
    // rgbWordsOfHsl's high bytes (0x00RRGGBB), for a hue word whose channels are one temp2, one
    // temp1 and one in a ramp.
    static unsigned int rgbOfHslSector(unsigned short hueWord, double s, double l);
    // The RGB words of HSV words with a hue (word 0..36000) and a saturation above 0, the
    // saturation and value given as their fractions.
    static void rgbWordsOfHsv(unsigned short hueWord, double s, double v, unsigned short* rgb);
    // The words as the given model holds them (this colour's own words when it is in that
    // model or invalid, as the classic class read them).
    ClassicColor in(Spec spec) const;
    void setChannelF(int index, double value);
    // The hue models (Hsv, Hsl): hue in degrees or as a fraction of 360, -1 without hue, and
    // the whole-colour setters, with `third` the value or the lightness.
    int hueIn(Spec spec) const;
    double hueFIn(Spec spec) const;
    void setHueModel(Spec spec, int h, int s, int third, int a);
    void setHueModelF(Spec spec, double h, double s, double third, double a);

    Spec m_spec = Invalid;
    unsigned short m_alpha = 0xFFFF;
    // Rgb: red, green, blue, 0. Hsv: hue, saturation, value, 0. Hsl: hue, saturation,
    // lightness, 0. Cmyk: cyan, magenta, yellow, black.
    unsigned short m_words[4] = {0, 0, 0, 0};
};

} // namespace KelVyxNodes
