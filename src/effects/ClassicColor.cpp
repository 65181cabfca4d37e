#include "effects/ClassicColor.h"

#include "params/Rounding.h"

#include <algorithm>
#include <iterator>

namespace KelVyxNodes {

namespace {

constexpr unsigned short kMaxWord = 0xFFFF;
constexpr unsigned short kNoHue = 0xFFFF;
constexpr double kMaxWordF = 65535.0;

bool inUnit(double x)
{
    return x >= 0.0 && x <= 1.0; // false for NaN
}

bool inByte(int x)
{
    return x >= 0 && x <= 255;
}

double clampUnit(double x)
{
    if (!(x > 0.0))
        return 0.0; // NaN too
    return x < 1.0 ? x : 1.0;
}

// The classic class wrote hues with exact floating compares guarded by a tolerance of 1e-12;
// 16-bit channels differ by at least 1/65535, so exact compares pick the same branch.
double hueOf(double r, double g, double b, double max, double delta)
{
    double hue = 0.0;
    if (r == max)
        hue = (g - b) / delta;
    else if (g == max)
        hue = 2.0 + (b - r) / delta;
    else
        hue = 4.0 + (r - g) / delta;
    hue *= 60.0;
    if (hue < 0.0)
        hue += 360.0;
    return hue;
}

// fraction(byte * 0x101) for every byte, and hue words / 6000 for every whole degree: the same
// quotients without a division per pixel.
struct ByteQuotients
{
    double byteFraction[256];
    double sector[360];
};

ByteQuotients const& quotients()
{
    static const ByteQuotients table = [] {
        ByteQuotients t{};
        for (int k = 0; k < 256; ++k)
            t.byteFraction[k] = (k * 0x101) / kMaxWordF;
        for (int h = 0; h < 360; ++h)
            t.sector[h] = (h * 100) / 6000.0;
        return t;
    }();
    return table;
}

} // namespace

void ClassicColor::hsvOfRgb(unsigned int rgb, int& h, int& s, int& v)
{
    ByteQuotients const& q = quotients();
    const double r = q.byteFraction[(rgb >> 16) & 0xFFu];
    const double g = q.byteFraction[(rgb >> 8) & 0xFFu];
    const double b = q.byteFraction[rgb & 0xFFu];
    const double max = std::max(r, std::max(g, b));
    const double min = std::min(r, std::min(g, b));
    const double delta = max - min;
    v = word(max) >> 8;
    if (delta == 0.0) {
        h = -1;
        s = 0;
        return;
    }
    s = word(delta / max) >> 8;
    h = static_cast<int>(hueOf(r, g, b, max, delta) * 100.0 + 0.5) / 100;
}

unsigned int ClassicColor::rgbOfHsv(int h, int s, int v)
{
    if (s == 0 || h < 0)
        return static_cast<unsigned int>(v) * 0x010101u;
    ByteQuotients const& q = quotients();
    const double hh = q.sector[h % 360];
    const double sf = q.byteFraction[s];
    const double vf = q.byteFraction[v];
    const int i = static_cast<int>(hh);
    const double f = hh - i;
    const double p = vf * (1.0 - sf);
    unsigned int c[3];
    if (i & 1) {
        const double qq = vf * (1.0 - sf * f);
        switch (i) {
        case 1: c[0] = word(qq); c[1] = word(vf); c[2] = word(p); break;
        case 3: c[0] = word(p); c[1] = word(qq); c[2] = word(vf); break;
        default: c[0] = word(vf); c[1] = word(p); c[2] = word(qq); break;
        }
    } else {
        const double t = vf * (1.0 - sf * (1.0 - f));
        switch (i) {
        case 0: c[0] = word(vf); c[1] = word(t); c[2] = word(p); break;
        case 2: c[0] = word(p); c[1] = word(vf); c[2] = word(t); break;
        default: c[0] = word(t); c[1] = word(p); c[2] = word(vf); break;
        }
    }
    return (c[0] >> 8) << 16 | (c[1] >> 8) << 8 | (c[2] >> 8);
}

ClassicColor::ValueScale::ValueScale(double factor)
    : factor(factor)
{
    ValueReads const& reads = valueReads();
    for (int k = 0; k < 256; ++k) {
        valueWord[k] = scaledValueWord(reads.valueFraction[k], factor);
        valueFraction[k] = fraction(valueWord[k]);
    }
}

ClassicColor::ValueReads const& ClassicColor::valueReads()
{
    static const ValueReads reads = [] {
        ValueReads t{};
        for (int k = 0; k < 256; ++k)
            t.valueFraction[k] = fraction(word(quotients().byteFraction[k]));
        bool same = true;
        for (int w = 0; w <= 36000 && same; ++w)
            same = KelUtils::roundHalfUpToInt((w / 36000.0) * 36000.0) == w;
        for (int w = 0; w <= 0xFFFF && same; ++w)
            same = word(fraction(static_cast<unsigned short>(w))) == w;
        t.wordsSurviveFractions = same;
        return t;
    }();
    return reads;
}

unsigned short ClassicColor::scaledValueWord(double value, double factor)
{
    double v = value * factor;
    v = std::min(1.0, v);
    v = std::max(0.0, v);
    return word(v);
}

namespace {

// Maximum and minimum of two bytes without a branch to mispredict.
inline int maxOfBytes(int a, int b)
{
    const int d = a - b;
    return a - (d & (d >> 31));
}

inline int minOfBytes(int a, int b)
{
    const int d = a - b;
    return b + (d & (d >> 31));
}

// The largest of the red, green and blue bytes of 0x??RRGGBB: its HSV value byte.
inline int topByte(unsigned int rgb)
{
    return maxOfBytes(int((rgb >> 16) & 0xFFu), maxOfBytes(int((rgb >> 8) & 0xFFu), int(rgb & 0xFFu)));
}

// word(x) and its high byte for x in 0..1, where its tests reduce to the truncation.
inline unsigned int unitWord(double x)
{
    return static_cast<unsigned int>(static_cast<int>(x * 65535.0 + 0.5));
}

inline unsigned int unitByte(double x)
{
    return unitWord(x) >> 8;
}

// The three channels' positions on the hue circle that toRgb's HSL branch reads (red a third
// ahead, blue a third behind), each wrapped into 0..1.
inline void hslHueThirds(int hueWord, double temp3[3])
{
    const double h = hueWord == 36000 ? 0.0 : hueWord / 36000.0;
    temp3[0] = h + 1.0 / 3.0;
    temp3[1] = h;
    temp3[2] = h - 1.0 / 3.0;
    for (int i = 0; i != 3; ++i) {
        if (temp3[i] < 0.0)
            temp3[i] += 1.0;
        else if (temp3[i] > 1.0)
            temp3[i] -= 1.0;
    }
}

// Where the value, middle and lowest bytes go in 0xRRGGBB for each hue sector, as toRgb
// places v, q or t, and p.
constexpr unsigned char kValueShift[6] = {16, 8, 8, 0, 0, 16};
constexpr unsigned char kMiddleShift[6] = {8, 16, 0, 8, 16, 0};
constexpr unsigned char kLowShift[6] = {0, 0, 16, 16, 8, 8};
// hueOf by the channel holding the maximum (red, green, blue): base + (next - after next) / delta.
constexpr double kSectorBase[3] = {0.0, 2.0, 4.0};
constexpr int kNext[3] = {1, 2, 0};
constexpr int kAfterNext[3] = {2, 0, 1};
constexpr double kWrap[2] = {0.0, 360.0};

// The hue word toHsv and toHsl make (0..36000) for bytes that are not all equal, top the
// largest and delta the difference of the largest and smallest fractions: hueOf without
// branches (noisy pictures would mispredict them). The compares are made on the bytes the
// fractions come from, choices are picked by index, and adding 0 leaves a sum as it is.
[[gnu::always_inline]] inline int hueWordOfBytes(int red, int green, int blue, int top, double delta)
{
    ByteQuotients const& q = quotients();
    const int bytes[3] = {red, green, blue};
    const int notRed = red != top;
    const int sector = notRed + (notRed & int(green != top));
    const double numerator = q.byteFraction[bytes[kNext[sector]]] - q.byteFraction[bytes[kAfterNext[sector]]];
    double hue = (kSectorBase[sector] + numerator / delta) * 60.0;
    hue += kWrap[hue < 0.0];
    return static_cast<int>(hue * 100.0 + 0.5);
}

// What the value scaling's two conversions take from tables instead of dividing per pixel:
// the saturation fraction of the largest and the smallest byte (index top * 256 + bottom,
// top above bottom), and for each hue word below 36000 the side of its sector toRgb weighs the
// saturation by (1 - f in even sectors, f in odd ones, f the hue's part of its sector).
struct HsvQuotients
{
    double saturation[256 * 256];
    double side[36000];
};

HsvQuotients const* makeHsvQuotients()
{
    auto* t = new HsvQuotients{};
    ByteQuotients const& q = quotients();
    for (int top = 1; top < 256; ++top) {
        for (int bottom = 0; bottom < top; ++bottom) {
            const double max = q.byteFraction[top];
            const double delta = max - q.byteFraction[bottom];
            t->saturation[top * 256 + bottom] = unitWord(delta / max) / kMaxWordF;
        }
    }
    for (int hueWord = 0; hueWord < 36000; ++hueWord) {
        const double h = hueWord / 6000.0;
        const int i = static_cast<int>(h);
        const double f = h - i;
        t->side[hueWord] = (i & 1) ? f : 1.0 - f;
    }
    return t;
}

[[gnu::always_inline]] inline HsvQuotients const& hsvQuotients()
{
    static const HsvQuotients* const table = makeHsvQuotients();
    return *table;
}

// What toHsl and toRgb of HSL words take from tables: by the largest and the smallest byte
// (index top * 256 + bottom, top above bottom) the saturation word and the lightness word, and
// for each hue word the channel rgbWordsOfHsl gives temp2 (high), temp1 (low) and the one in a
// ramp, with the ramp's factor: temp1 + (temp2 - temp1) * factor * scale, scale 1 where the
// channel rises (factor its temp3 * 6), 6 where it falls (factor 2/3 - temp3). A hue word whose
// channels are not one of each is marked and converted by rgbWordsOfHsl itself.
struct HslQuotients
{
    unsigned short saturation[256 * 256];
    unsigned short lightness[256 * 256];
    struct Sector
    {
        double factor;
        unsigned char ramp;
        unsigned char high;
        unsigned char low;
        bool falls;
        bool generic;
    };
    Sector sector[36001];
};

HslQuotients const* makeHslQuotients()
{
    auto* t = new HslQuotients{};
    ByteQuotients const& q = quotients();
    for (int top = 0; top < 256; ++top) {
        for (int bottom = 0; bottom <= top; ++bottom) {
            const double max = q.byteFraction[top];
            const double min = q.byteFraction[bottom];
            const double delta = max - min;
            const double delta2 = max + min;
            const double lightness = 0.5 * delta2;
            // word() of fractions in 0..1, as unitWord gives it.
            t->lightness[top * 256 + bottom] = static_cast<unsigned short>(unitWord(lightness));
            if (top != bottom)
                t->saturation[top * 256 + bottom]
                    = static_cast<unsigned short>(unitWord(delta / (lightness < 0.5 ? delta2 : 2.0 - delta2)));
        }
    }
    for (int hueWord = 0; hueWord <= 36000; ++hueWord) {
        HslQuotients::Sector& sector = t->sector[hueWord];
        double temp3[3];
        hslHueThirds(hueWord, temp3);
        int ramps = 0;
        int highs = 0;
        int lows = 0;
        for (int i = 0; i != 3; ++i) {
            const double sixTemp3 = temp3[i] * 6.0;
            if (sixTemp3 < 1.0) {
                ++ramps;
                sector.ramp = static_cast<unsigned char>(i);
                sector.factor = sixTemp3;
                sector.falls = false;
            } else if (temp3[i] * 2.0 < 1.0) {
                ++highs;
                sector.high = static_cast<unsigned char>(i);
            } else if (temp3[i] * 3.0 < 2.0) {
                ++ramps;
                sector.ramp = static_cast<unsigned char>(i);
                sector.factor = 2.0 / 3.0 - temp3[i];
                sector.falls = true;
            } else {
                ++lows;
                sector.low = static_cast<unsigned char>(i);
            }
        }
        sector.generic = ramps != 1 || highs != 1 || lows != 1;
    }
    return t;
}

[[gnu::always_inline]] inline HslQuotients const& hslQuotients()
{
    static const HslQuotients* const table = makeHslQuotients();
    return *table;
}

} // namespace

// The HSV hue and saturation of rgb as rgbWithValueScaled uses them, when setHsvF keeps the
// words (ValueReads::wordsSurviveFractions): the hue word (36000 taken as 0) and the
// saturation word's fraction; a grey gives saturation 0 and hue 0, which toRgb's formulas
// then turn into the grey of the value. Also its largest byte.
[[gnu::always_inline]] inline void ClassicColor::hueAndSaturation(unsigned int rgb, int& hueWord, double& saturation,
                                                                  int& top)
{
    ByteQuotients const& q = quotients();
    const int red = int((rgb >> 16) & 0xFFu);
    const int green = int((rgb >> 8) & 0xFFu);
    const int blue = int(rgb & 0xFFu);
    top = maxOfBytes(red, maxOfBytes(green, blue));
    const int bottom = minOfBytes(red, minOfBytes(green, blue));
    hueWord = 0;
    saturation = 0.0;
    // Equal bytes make equal fractions and a zero delta: a grey without hue. Different bytes
    // differ by at least 1/255, so their saturation word is never 0.
    if (top == bottom)
        return;
    const double delta = q.byteFraction[top] - q.byteFraction[bottom];
    saturation = hsvQuotients().saturation[top * 256 + bottom];
    hueWord = hueWordOfBytes(red, green, blue, top, delta);
    hueWord -= 36000 * int(hueWord == 36000);
}

// toRgb of the hue word, the saturation and the scaled value (its word and fraction), the top
// byte 0; toRgb's choices by sector are picked by index.
[[gnu::always_inline]] inline unsigned int ClassicColor::rgbOfHsvWords(int hueWord, double s, unsigned short valueWord,
                                                                      double v)
{
    // The sector: a hue word over 6000 truncated, exact in double as in integers.
    const int i = hueWord / 6000;
    const double p = v * (1.0 - s);
    const double middle = v * (1.0 - s * hsvQuotients().side[hueWord]);
    // word(v) is valueWord again (setHsvF's word survives the fraction).
    return (valueWord >> 8u) << kValueShift[i] | unitByte(middle) << kMiddleShift[i] | unitByte(p) << kLowShift[i];
}

unsigned int ClassicColor::rgbWithValueScaled(unsigned int rgb, double factor)
{
    ValueReads const& reads = valueReads();
    if (!reads.wordsSurviveFractions) {
        ClassicColor colour(rgb);
        const ClassicColor hsv = colour.toHsv();
        colour.setHsvF(hsv.hueF(), hsv.saturationF(), std::max(0.0, std::min(1.0, hsv.valueF() * factor)), 1.0);
        return colour.rgba();
    }
    int hueWord = 0;
    double saturation = 0.0;
    int top = 0;
    hueAndSaturation(rgb, hueWord, saturation, top);
    const unsigned short valueWord = scaledValueWord(reads.valueFraction[top], factor);
    return 0xFF000000u | rgbOfHsvWords(hueWord, saturation, valueWord, fraction(valueWord));
}

template<class ValueOf>
void ClassicColor::scaleValuesInRuns(unsigned int* values, int count, ValueOf&& valueOf)
{
    // Runs of pixels in two passes, to HSV and back: short loop bodies without dependencies
    // between pixels let the processor overlap more pixels' divisions.
    constexpr int kRun = 64;
    int hueWords[kRun];
    double saturations[kRun];
    int tops[kRun];
    for (int start = 0; start < count; start += kRun) {
        unsigned int* run = values + start;
        const int n = std::min(kRun, count - start);
        for (int i = 0; i < n; ++i)
            hueAndSaturation(run[i], hueWords[i], saturations[i], tops[i]);
        for (int i = 0; i < n; ++i) {
            unsigned short valueWord = 0;
            double value = 0.0;
            valueOf(start + i, tops[i], valueWord, value);
            run[i] = rgbOfHsvWords(hueWords[i], saturations[i], valueWord, value);
        }
    }
}

void ClassicColor::rgbWithValueScaled(ValueScale const& scale, unsigned int* values, int count)
{
    if (!valueReads().wordsSurviveFractions) {
        for (int i = 0; i < count; ++i)
            values[i] = rgbWithValueScaled(values[i], scale.factor) & 0xFFFFFFu;
        return;
    }
    scaleValuesInRuns(values, count, [&scale](int, int top, unsigned short& word, double& value) {
        word = scale.valueWord[top];
        value = scale.valueFraction[top];
    });
}

void ClassicColor::rgbWithValueScaledBy(unsigned int const* factorColours, unsigned int* values, int count)
{
    ValueReads const& reads = valueReads();
    if (!reads.wordsSurviveFractions) {
        for (int i = 0; i < count; ++i)
            values[i] = rgbWithValueScaled(values[i], reads.valueFraction[topByte(factorColours[i])]) & 0xFFFFFFu;
        return;
    }
    // The word of every value scaled by every factor a colour's valueF() can be, and its
    // fraction (index value's top byte * 256 + factor's top byte).
    struct ScaledValues
    {
        unsigned short word[256 * 256];
        double fraction[256 * 256];
    };
    static const ScaledValues* const scaled = [&reads] {
        auto* t = new ScaledValues;
        for (int top = 0; top < 256; ++top) {
            for (int factorTop = 0; factorTop < 256; ++factorTop) {
                const int index = top * 256 + factorTop;
                t->word[index] = scaledValueWord(reads.valueFraction[top], reads.valueFraction[factorTop]);
                t->fraction[index] = fraction(t->word[index]);
            }
        }
        return t;
    }();
    ScaledValues const* table = scaled;
    scaleValuesInRuns(values, count, [table, factorColours](int i, int top, unsigned short& word, double& value) {
        const int index = top * 256 + topByte(factorColours[i]);
        word = table->word[index];
        value = table->fraction[index];
    });
}

inline void ClassicColor::rgbWordsOfHsv(unsigned short hueWord, double s, double v, unsigned short* rgb)
{
    const double h = hueWord == 36000 ? 0.0 : hueWord / 6000.0;
    const int i = static_cast<int>(h);
    const double f = h - i;
    const double p = v * (1.0 - s);
    if (i & 1) {
        const double q = v * (1.0 - s * f);
        switch (i) {
        case 1: rgb[0] = word(q); rgb[1] = word(v); rgb[2] = word(p); break;
        case 3: rgb[0] = word(p); rgb[1] = word(q); rgb[2] = word(v); break;
        default: rgb[0] = word(v); rgb[1] = word(p); rgb[2] = word(q); break; // 5
        }
    } else {
        const double t = v * (1.0 - s * (1.0 - f));
        switch (i) {
        case 0: rgb[0] = word(v); rgb[1] = word(t); rgb[2] = word(p); break;
        case 2: rgb[0] = word(p); rgb[1] = word(v); rgb[2] = word(t); break;
        default: rgb[0] = word(t); rgb[1] = word(p); rgb[2] = word(v); break; // 4
        }
    }
}

void ClassicColor::rgbWordsOfHsl(unsigned short hueWord, double s, double l, unsigned short* rgb)
{
    const double temp2 = l < 0.5 ? l * (1.0 + s) : l + s - l * s;
    const double temp1 = 2.0 * l - temp2;
    double temp3[3];
    hslHueThirds(hueWord, temp3);
    for (int i = 0; i != 3; ++i) {
        const double sixTemp3 = temp3[i] * 6.0;
        if (sixTemp3 < 1.0)
            rgb[i] = word(temp1 + (temp2 - temp1) * sixTemp3);
        else if (temp3[i] * 2.0 < 1.0)
            rgb[i] = word(temp2);
        else if (temp3[i] * 3.0 < 2.0)
            rgb[i] = word(temp1 + (temp2 - temp1) * (2.0 / 3.0 - temp3[i]) * 6.0);
        else
            rgb[i] = word(temp1);
    }
    // The classic conversion drops a lone lowest step to 0.
    for (int i = 0; i != 3; ++i) {
        if (rgb[i] == 1)
            rgb[i] = 0;
    }
}

// rgbWordsOfHsl's bytes (0x00RRGGBB) for a hue word whose channels are one high, one low and one
// in a ramp, with the choices read from the hue's sector. (The lone lowest step rgbWordsOfHsl
// drops to 0 has the high byte 0 either way.)
[[gnu::always_inline]] inline unsigned int ClassicColor::rgbOfHslSector(unsigned short hueWord, double s, double l)
{
    HslQuotients::Sector const& sector = hslQuotients().sector[hueWord];
    const double temp2 = l < 0.5 ? l * (1.0 + s) : l + s - l * s;
    const double temp1 = 2.0 * l - temp2;
    const double scaled = (temp2 - temp1) * sector.factor;
    const double ramp = temp1 + (sector.falls ? scaled * 6.0 : scaled);
    unsigned int bytes[3];
    bytes[sector.high] = word(temp2) >> 8;
    bytes[sector.low] = word(temp1) >> 8;
    bytes[sector.ramp] = word(ramp) >> 8;
    return bytes[0] << 16 | bytes[1] << 8 | bytes[2];
}

[[gnu::always_inline]] inline ClassicColor::HslWords ClassicColor::hslWordsInline(unsigned int rgb)
{
    // toHsl, from the bytes.
    ByteQuotients const& q = quotients();
    const int red = int((rgb >> 16) & 0xFFu);
    const int green = int((rgb >> 8) & 0xFFu);
    const int blue = int(rgb & 0xFFu);
    const int top = maxOfBytes(red, maxOfBytes(green, blue));
    const int bottom = minOfBytes(red, minOfBytes(green, blue));
    HslQuotients const& t = hslQuotients();
    HslWords words{kNoHue, 0, t.lightness[top * 256 + bottom]};
    if (top == bottom)
        return words;
    words.saturation = t.saturation[top * 256 + bottom];
    words.hue = static_cast<unsigned short>(
        hueWordOfBytes(red, green, blue, top, q.byteFraction[top] - q.byteFraction[bottom]));
    return words;
}

double ClassicColor::lightnessFOf(HslWords const& words)
{
    return fraction(words.lightness);
}

[[gnu::always_inline]] inline unsigned int ClassicColor::rgbWithHslLightnessInline(unsigned int rgb,
                                                                                 HslWords const& words,
                                                                                 double lightness)
{
    if (!valueReads().wordsSurviveFractions || !inUnit(lightness)) {
        ClassicColor colour(rgb);
        colour.setHslF(words.hue == kNoHue ? -1.0 : words.hue / 36000.0, fraction(words.saturation), lightness);
        return colour.rgba() & 0xFFFFFFu;
    }
    // setHslF keeps the hue and saturation words; toRgb of them with the new lightness word.
    const unsigned short lightnessWord = word(lightness);
    unsigned short out[3];
    if (words.saturation == 0 || words.hue == kNoHue)
        out[0] = out[1] = out[2] = lightnessWord;
    else if (lightnessWord == 0)
        out[0] = out[1] = out[2] = 0;
    else if (words.hue > 36000 || hslQuotients().sector[words.hue].generic)
        rgbWordsOfHsl(words.hue, fraction(words.saturation), fraction(lightnessWord), out);
    else
        return rgbOfHslSector(words.hue, fraction(words.saturation), fraction(lightnessWord));
    return unsigned(out[0] >> 8) << 16 | unsigned(out[1] >> 8) << 8 | unsigned(out[2] >> 8);
}

ClassicColor::HslWords ClassicColor::hslWordsOf(unsigned int rgb)
{
    return hslWordsInline(rgb);
}

unsigned int ClassicColor::rgbWithHslLightness(unsigned int rgb, HslWords const& words, double lightness)
{
    return rgbWithHslLightnessInline(rgb, words, lightness);
}

void ClassicColor::hslWordsOf(unsigned int const* values, HslWords* words, int count)
{
    for (int i = 0; i < count; ++i)
        words[i] = hslWordsInline(values[i]);
}

void ClassicColor::rgbWithHslLightness(unsigned int* values, HslWords const* words, double const* lightnesses, int count)
{
    for (int i = 0; i < count; ++i)
        values[i] = rgbWithHslLightnessInline(values[i], words[i], lightnesses[i]);
}

ClassicColor::ClassicColor() = default;

ClassicColor::ClassicColor(unsigned int rgb)
{
    setRgb(rgb);
}

ClassicColor::ClassicColor(int r, int g, int b, int a)
{
    setRgb(r, g, b, a);
}

ClassicColor ClassicColor::fromRgb(unsigned int rgb)
{
    return ClassicColor(rgb);
}

ClassicColor ClassicColor::fromRgba(unsigned int rgba)
{
    ClassicColor c;
    c.setRgba(rgba);
    return c;
}

ClassicColor ClassicColor::fromRgbF(double r, double g, double b, double a)
{
    ClassicColor c;
    c.setRgbF(r, g, b, a);
    return c;
}

ClassicColor ClassicColor::fromHsv(int h, int s, int v, int a)
{
    ClassicColor c;
    c.setHsv(h, s, v, a);
    return c;
}

ClassicColor ClassicColor::fromHsvF(double h, double s, double v, double a)
{
    ClassicColor c;
    c.setHsvF(h, s, v, a);
    return c;
}

ClassicColor ClassicColor::fromHsl(int h, int s, int l, int a)
{
    ClassicColor c;
    c.setHsl(h, s, l, a);
    return c;
}

ClassicColor ClassicColor::fromHslF(double h, double s, double l, double a)
{
    ClassicColor c;
    c.setHslF(h, s, l, a);
    return c;
}

ClassicColor ClassicColor::fromCmyk(int c, int m, int y, int k, int a)
{
    ClassicColor color;
    color.setCmyk(c, m, y, k, a);
    return color;
}

ClassicColor ClassicColor::fromCmykF(double c, double m, double y, double k, double a)
{
    ClassicColor color;
    color.setCmykF(c, m, y, k, a);
    return color;
}

void ClassicColor::invalidate()
{
    m_spec = Invalid;
    m_alpha = kMaxWord;
    std::fill(std::begin(m_words), std::end(m_words), 0);
}

// ---------------------------------------------------------------- conversions

ClassicColor ClassicColor::toRgb() const
{
    if (!isValid() || m_spec == Rgb)
        return *this;

    ClassicColor color;
    color.m_spec = Rgb;
    color.m_alpha = m_alpha;
    unsigned short* rgb = color.m_words;

    switch (m_spec) {
    case Hsv:
        if (m_words[1] == 0 || m_words[0] == kNoHue)
            rgb[0] = rgb[1] = rgb[2] = m_words[2];
        else
            rgbWordsOfHsv(m_words[0], fraction(m_words[1]), fraction(m_words[2]), rgb);
        break;
    case Hsl:
        if (m_words[1] == 0 || m_words[0] == kNoHue)
            rgb[0] = rgb[1] = rgb[2] = m_words[2];
        else if (m_words[2] == 0)
            rgb[0] = rgb[1] = rgb[2] = 0;
        else
            rgbWordsOfHsl(m_words[0], fraction(m_words[1]), fraction(m_words[2]), rgb);
        break;
    case Cmyk: {
        const double c = fraction(m_words[0]);
        const double m = fraction(m_words[1]);
        const double y = fraction(m_words[2]);
        const double k = fraction(m_words[3]);
        rgb[0] = word(1.0 - (c * (1.0 - k) + k));
        rgb[1] = word(1.0 - (m * (1.0 - k) + k));
        rgb[2] = word(1.0 - (y * (1.0 - k) + k));
        break;
    }
    default:
        break;
    }
    return color;
}

ClassicColor ClassicColor::toHsv() const
{
    if (!isValid() || m_spec == Hsv)
        return *this;
    if (m_spec != Rgb)
        return toRgb().toHsv();

    ClassicColor color;
    color.m_spec = Hsv;
    color.m_alpha = m_alpha;

    const double r = fraction(m_words[0]);
    const double g = fraction(m_words[1]);
    const double b = fraction(m_words[2]);
    const double max = std::max(r, std::max(g, b));
    const double min = std::min(r, std::min(g, b));
    const double delta = max - min;
    color.m_words[2] = word(max);
    if (delta == 0.0) {
        color.m_words[0] = kNoHue;
        color.m_words[1] = 0;
    } else {
        color.m_words[1] = word(delta / max);
        // The hue is never negative here: truncation is the floor.
        color.m_words[0] = static_cast<unsigned short>(
            static_cast<int>(hueOf(r, g, b, max, delta) * 100.0 + 0.5));
    }
    return color;
}

ClassicColor ClassicColor::toHsl() const
{
    if (!isValid() || m_spec == Hsl)
        return *this;
    if (m_spec != Rgb)
        return toRgb().toHsl();

    ClassicColor color;
    color.m_spec = Hsl;
    color.m_alpha = m_alpha;

    const double r = fraction(m_words[0]);
    const double g = fraction(m_words[1]);
    const double b = fraction(m_words[2]);
    const double max = std::max(r, std::max(g, b));
    const double min = std::min(r, std::min(g, b));
    const double delta = max - min;
    const double delta2 = max + min;
    const double lightness = 0.5 * delta2;
    color.m_words[2] = word(lightness);
    if (delta == 0.0) {
        color.m_words[0] = kNoHue;
        color.m_words[1] = 0;
    } else {
        if (lightness < 0.5)
            color.m_words[1] = word(delta / delta2);
        else
            color.m_words[1] = word(delta / (2.0 - delta2));
        // The hue is never negative here: truncation is the floor.
        color.m_words[0] = static_cast<unsigned short>(
            static_cast<int>(hueOf(r, g, b, max, delta) * 100.0 + 0.5));
    }
    return color;
}

ClassicColor ClassicColor::toCmyk() const
{
    if (!isValid() || m_spec == Cmyk)
        return *this;
    if (m_spec != Rgb)
        return toRgb().toCmyk();

    ClassicColor color;
    color.m_spec = Cmyk;
    color.m_alpha = m_alpha;

    double c = 1.0 - fraction(m_words[0]);
    double m = 1.0 - fraction(m_words[1]);
    double y = 1.0 - fraction(m_words[2]);
    const double k = std::min(c, std::min(m, y));
    if (k != 1.0) {
        c = (c - k) / (1.0 - k);
        m = (m - k) / (1.0 - k);
        y = (y - k) / (1.0 - k);
    }
    color.m_words[0] = word(c);
    color.m_words[1] = word(m);
    color.m_words[2] = word(y);
    color.m_words[3] = word(k);
    return color;
}

ClassicColor ClassicColor::convertTo(Spec spec) const
{
    if (spec == m_spec)
        return *this;
    switch (spec) {
    case Rgb: return toRgb();
    case Hsv: return toHsv();
    case Hsl: return toHsl();
    case Cmyk: return toCmyk();
    case Invalid: break;
    }
    return ClassicColor();
}

ClassicColor ClassicColor::in(Spec spec) const
{
    if (m_spec == Invalid || m_spec == spec)
        return *this;
    return convertTo(spec);
}

// ---------------------------------------------------------------- alpha

double ClassicColor::alphaF() const
{
    return fraction(m_alpha);
}

void ClassicColor::setAlpha(int alpha)
{
    m_alpha = static_cast<unsigned short>(std::clamp(alpha, 0, 255) * 0x101);
}

void ClassicColor::setAlphaF(double alpha)
{
    m_alpha = word(clampUnit(alpha));
}

// ---------------------------------------------------------------- RGB

int ClassicColor::red() const { return in(Rgb).m_words[0] >> 8; }
int ClassicColor::green() const { return in(Rgb).m_words[1] >> 8; }
int ClassicColor::blue() const { return in(Rgb).m_words[2] >> 8; }
double ClassicColor::redF() const { return fraction(in(Rgb).m_words[0]); }
double ClassicColor::greenF() const { return fraction(in(Rgb).m_words[1]); }
double ClassicColor::blueF() const { return fraction(in(Rgb).m_words[2]); }

void ClassicColor::setRed(int red)
{
    red = std::clamp(red, 0, 255);
    if (m_spec != Rgb)
        setRgb(red, green(), blue(), alpha());
    else
        m_words[0] = static_cast<unsigned short>(red * 0x101);
}

void ClassicColor::setGreen(int green)
{
    green = std::clamp(green, 0, 255);
    if (m_spec != Rgb)
        setRgb(red(), green, blue(), alpha());
    else
        m_words[1] = static_cast<unsigned short>(green * 0x101);
}

void ClassicColor::setBlue(int blue)
{
    blue = std::clamp(blue, 0, 255);
    if (m_spec != Rgb)
        setRgb(red(), green(), blue, alpha());
    else
        m_words[2] = static_cast<unsigned short>(blue * 0x101);
}

void ClassicColor::setChannelF(int index, double value)
{
    value = clampUnit(value);
    if (m_spec != Rgb) {
        double channels[3] = {redF(), greenF(), blueF()};
        channels[index] = value;
        setRgbF(channels[0], channels[1], channels[2], alphaF());
    } else {
        m_words[index] = word(value);
    }
}

void ClassicColor::setRedF(double red) { setChannelF(0, red); }
void ClassicColor::setGreenF(double green) { setChannelF(1, green); }
void ClassicColor::setBlueF(double blue) { setChannelF(2, blue); }

void ClassicColor::setRgb(int r, int g, int b, int a)
{
    if (!inByte(r) || !inByte(g) || !inByte(b) || !inByte(a)) {
        invalidate();
        return;
    }
    m_spec = Rgb;
    m_alpha = static_cast<unsigned short>(a * 0x101);
    m_words[0] = static_cast<unsigned short>(r * 0x101);
    m_words[1] = static_cast<unsigned short>(g * 0x101);
    m_words[2] = static_cast<unsigned short>(b * 0x101);
    m_words[3] = 0;
}

void ClassicColor::setRgb(unsigned int rgb)
{
    setRgb((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, 255);
}

void ClassicColor::setRgba(unsigned int rgba)
{
    setRgb((rgba >> 16) & 0xFF, (rgba >> 8) & 0xFF, rgba & 0xFF, (rgba >> 24) & 0xFF);
}

void ClassicColor::setRgbF(double r, double g, double b, double a)
{
    if (!inUnit(r) || !inUnit(g) || !inUnit(b) || !inUnit(a)) {
        invalidate();
        return;
    }
    m_spec = Rgb;
    m_alpha = word(a);
    m_words[0] = word(r);
    m_words[1] = word(g);
    m_words[2] = word(b);
    m_words[3] = 0;
}

unsigned int ClassicColor::rgb() const
{
    return rgba() | 0xFF000000u;
}

unsigned int ClassicColor::rgba() const
{
    if (m_spec == Invalid)
        return 0xFF000000u;
    const ClassicColor c = in(Rgb);
    return (static_cast<unsigned int>(m_alpha >> 8) << 24)
           | (static_cast<unsigned int>(c.m_words[0] >> 8) << 16)
           | (static_cast<unsigned int>(c.m_words[1] >> 8) << 8)
           | static_cast<unsigned int>(c.m_words[2] >> 8);
}

// ---------------------------------------------------------------- HSV and HSL

// Both models keep hue, saturation and a third word (value or lightness) and check them alike.

int ClassicColor::hueIn(Spec spec) const
{
    const unsigned short h = in(spec).m_words[0];
    return h == kNoHue ? -1 : h / 100;
}

double ClassicColor::hueFIn(Spec spec) const
{
    const unsigned short h = in(spec).m_words[0];
    return h == kNoHue ? -1.0 : h / 36000.0;
}

void ClassicColor::setHueModel(Spec spec, int h, int s, int third, int a)
{
    if (h < -1 || !inByte(s) || !inByte(third) || !inByte(a)) {
        invalidate();
        return;
    }
    m_spec = spec;
    m_alpha = static_cast<unsigned short>(a * 0x101);
    m_words[0] = h == -1 ? kNoHue : static_cast<unsigned short>((h % 360) * 100);
    m_words[1] = static_cast<unsigned short>(s * 0x101);
    m_words[2] = static_cast<unsigned short>(third * 0x101);
    m_words[3] = 0;
}

void ClassicColor::setHueModelF(Spec spec, double h, double s, double third, double a)
{
    if ((!inUnit(h) && h != -1.0) || !inUnit(s) || !inUnit(third) || !inUnit(a))
        return;
    m_spec = spec;
    m_alpha = word(a);
    m_words[0] = h == -1.0 ? kNoHue
                           : static_cast<unsigned short>(KelUtils::roundHalfUpToInt(h * 36000.0));
    m_words[1] = word(s);
    m_words[2] = word(third);
    m_words[3] = 0;
}

// ---------------------------------------------------------------- HSV

int ClassicColor::hsvHue() const { return hueIn(Hsv); }
int ClassicColor::hsvSaturation() const { return in(Hsv).m_words[1] >> 8; }
int ClassicColor::value() const { return in(Hsv).m_words[2] >> 8; }

double ClassicColor::hsvHueF() const { return hueFIn(Hsv); }
double ClassicColor::hsvSaturationF() const { return fraction(in(Hsv).m_words[1]); }
double ClassicColor::valueF() const { return fraction(in(Hsv).m_words[2]); }

void ClassicColor::setHsv(int h, int s, int v, int a) { setHueModel(Hsv, h, s, v, a); }
void ClassicColor::setHsvF(double h, double s, double v, double a) { setHueModelF(Hsv, h, s, v, a); }

// ---------------------------------------------------------------- HSL

int ClassicColor::hslHue() const { return hueIn(Hsl); }
int ClassicColor::hslSaturation() const { return in(Hsl).m_words[1] >> 8; }
int ClassicColor::lightness() const { return in(Hsl).m_words[2] >> 8; }

double ClassicColor::hslHueF() const { return hueFIn(Hsl); }
double ClassicColor::hslSaturationF() const { return fraction(in(Hsl).m_words[1]); }
double ClassicColor::lightnessF() const { return fraction(in(Hsl).m_words[2]); }

void ClassicColor::setHsl(int h, int s, int l, int a) { setHueModel(Hsl, h, s, l, a); }
void ClassicColor::setHslF(double h, double s, double l, double a) { setHueModelF(Hsl, h, s, l, a); }

// ---------------------------------------------------------------- CMYK

int ClassicColor::cyan() const { return in(Cmyk).m_words[0] >> 8; }
int ClassicColor::magenta() const { return in(Cmyk).m_words[1] >> 8; }
int ClassicColor::yellow() const { return in(Cmyk).m_words[2] >> 8; }
int ClassicColor::black() const { return in(Cmyk).m_words[3] >> 8; }
double ClassicColor::cyanF() const { return fraction(in(Cmyk).m_words[0]); }
double ClassicColor::magentaF() const { return fraction(in(Cmyk).m_words[1]); }
double ClassicColor::yellowF() const { return fraction(in(Cmyk).m_words[2]); }
double ClassicColor::blackF() const { return fraction(in(Cmyk).m_words[3]); }

void ClassicColor::setCmyk(int c, int m, int y, int k, int a)
{
    if (!inByte(c) || !inByte(m) || !inByte(y) || !inByte(k) || !inByte(a)) {
        invalidate();
        return;
    }
    m_spec = Cmyk;
    m_alpha = static_cast<unsigned short>(a * 0x101);
    m_words[0] = static_cast<unsigned short>(c * 0x101);
    m_words[1] = static_cast<unsigned short>(m * 0x101);
    m_words[2] = static_cast<unsigned short>(y * 0x101);
    m_words[3] = static_cast<unsigned short>(k * 0x101);
}

void ClassicColor::setCmykF(double c, double m, double y, double k, double a)
{
    if (!inUnit(c) || !inUnit(m) || !inUnit(y) || !inUnit(k) || !inUnit(a))
        return;
    m_spec = Cmyk;
    m_alpha = word(a);
    m_words[0] = word(c);
    m_words[1] = word(m);
    m_words[2] = word(y);
    m_words[3] = word(k);
}

bool ClassicColor::operator==(ClassicColor const& other) const
{
    return m_spec == other.m_spec && m_alpha == other.m_alpha
           && std::equal(std::begin(m_words), std::end(m_words), std::begin(other.m_words));
}

} // namespace KelVyxNodes
