#include "effects/color/BlendFormulas.h"

#include "effects/ClassicColor.h"
#include "effects/NodeValueUtils.h"
#include "effects/color/HSYColor.h"

#include <climits>
#include <cmath>
#include <cstdlib>

namespace KelVyxNodes::BlendFormulas {

namespace {

// --- channel formulas on bytes (integer arithmetic) ---

int darken(int b, int f)
{
    return b < f ? b : f;
}

int lighten(int b, int f)
{
    return b > f ? b : f;
}

int linearBurn(int b, int f)
{
    const int sum = b + f - 255;
    return sum > 0 ? sum : 0;
}

int linearDodge(int b, int f)
{
    const int sum = b + f;
    return sum < 255 ? sum : 255;
}

int difference(int b, int f)
{
    return std::abs(b - f);
}

// A black foreground makes the span empty, which the stretch answers with 0.
int colorBurn(int b, int f)
{
    return linearCorrectionOneChannel(static_cast<unsigned char>(b), 255, static_cast<unsigned char>(255 - f));
}

// A white foreground would leave no span: 1 stands in, so any background but 0 gives 255.
int colorDodge(int b, int f)
{
    const int hi = f == 255 ? 1 : 255 - f;
    return linearCorrectionOneChannel(static_cast<unsigned char>(b), static_cast<unsigned char>(hi), 0);
}

// The two "light" modes switch halves at 127 and, unlike the textbook forms, do not double the
// foreground: stored results depend on it.
int vividLight(int b, int f)
{
    return f >= 127 ? colorDodge(b, f) : colorBurn(b, f);
}

int linearLight(int b, int f)
{
    return f >= 127 ? linearDodge(b, f) : linearBurn(b, f);
}

// --- channel formulas on fractions c / 255 ---

double multiply(double b, double f)
{
    return b * f;
}

double screen(double b, double f)
{
    return 1.0 - (1.0 - f) * (1.0 - b);
}

// No factor 2 in either half: b = f = 100 gives 39.
double overlay(double b, double f)
{
    return b < 0.5 ? b * f : 1.0 - (1.0 - f) * (1.0 - b);
}

double hardLight(double b, double f)
{
    return f < 0.5 ? b * f : 1.0 - (1.0 - f) * (1.0 - b);
}

double softLight(double b, double f)
{
    return std::pow(b, 1.5 - f);
}

// --- the table ---

enum class Kind { Normal, Bytes, Fractions, Model };
enum class From { Background, Foreground };

// What a colour-model mode does where a saturation is exactly 0.
enum class GreyRule {
    None,
    GreyForegroundDropsSaturation, // a grey foreground gives a grey of the background's luma
    GreyBackgroundStays,           // the background is returned as it is, without the mix
};

struct ModelRecipe
{
    From hue;
    From saturation;
    From luma;
    GreyRule greyRule;
};

struct ModeFormula
{
    char const* item;
    Kind kind;
    int (*bytes)(int b, int f);
    double (*fractions)(double b, double f);
    ModelRecipe model;
};

constexpr ModelRecipe kNoModel{From::Background, From::Background, From::Background, GreyRule::None};

// Indexed by mode id. The burn items are spelled with an underscore in stored documents.
constexpr ModeFormula kModes[ModeCount] = {
    {"Normal", Kind::Normal, nullptr, nullptr, kNoModel},
    {"Darken", Kind::Bytes, &darken, nullptr, kNoModel},
    {"Multiply", Kind::Fractions, nullptr, &multiply, kNoModel},
    {"Color_Burn", Kind::Bytes, &colorBurn, nullptr, kNoModel},
    {"Linear_Burn", Kind::Bytes, &linearBurn, nullptr, kNoModel},
    {"Lighten", Kind::Bytes, &lighten, nullptr, kNoModel},
    {"Screen", Kind::Fractions, nullptr, &screen, kNoModel},
    {"Color Dodge", Kind::Bytes, &colorDodge, nullptr, kNoModel},
    {"Linear Dodge", Kind::Bytes, &linearDodge, nullptr, kNoModel},
    {"Overlay", Kind::Fractions, nullptr, &overlay, kNoModel},
    {"Soft Light", Kind::Fractions, nullptr, &softLight, kNoModel},
    {"Hard Light", Kind::Fractions, nullptr, &hardLight, kNoModel},
    {"Vivid Light", Kind::Bytes, &vividLight, nullptr, kNoModel},
    {"Linear Light", Kind::Bytes, &linearLight, nullptr, kNoModel},
    {"Difference", Kind::Bytes, &difference, nullptr, kNoModel},
    {"Hue", Kind::Model, nullptr, nullptr,
     {From::Foreground, From::Background, From::Background, GreyRule::GreyForegroundDropsSaturation}},
    {"Saturation", Kind::Model, nullptr, nullptr,
     {From::Background, From::Foreground, From::Background, GreyRule::GreyBackgroundStays}},
    {"Color", Kind::Model, nullptr, nullptr, {From::Foreground, From::Foreground, From::Background, GreyRule::None}},
    {"Luminosity", Kind::Model, nullptr, nullptr, {From::Background, From::Background, From::Foreground, GreyRule::None}},
};

int channelAt(unsigned int colour, int shift)
{
    return static_cast<int>((colour >> shift) & 0xFFu);
}

unsigned int pack(int r, int g, int b)
{
    return static_cast<unsigned int>(r) << 16 | static_cast<unsigned int>(g) << 8 | static_cast<unsigned int>(b);
}

unsigned int byteEffect(int (*formula)(int, int), unsigned int bg, unsigned int fg)
{
    return pack(formula(channelAt(bg, 16), channelAt(fg, 16)), formula(channelAt(bg, 8), channelAt(fg, 8)),
                formula(channelAt(bg, 0), channelAt(fg, 0)));
}

// Through the classic colour arithmetic: channels read as fractions, the result stored as 16-bit
// words and read back by their high bytes. Every formula stays within 0..1.
unsigned int fractionEffect(double (*formula)(double, double), unsigned int bg, unsigned int fg)
{
    const ClassicColor b(bg);
    const ClassicColor f(fg);
    return ClassicColor::fromRgbF(formula(b.redF(), f.redF()), formula(b.greenF(), f.greenF()),
                                  formula(b.blueF(), f.blueF()), 1.0)
               .rgb()
           & 0xFFFFFFu;
}

// False when the background is to be returned as it is.
bool modelEffect(ModelRecipe const& recipe, unsigned int bg, unsigned int fg, unsigned int* effect)
{
    const HSYColor b(bg);
    const HSYColor f(fg);
    auto pick = [&](From from) -> HSYColor const& { return from == From::Foreground ? f : b; };

    double saturation = pick(recipe.saturation).saturationF();
    if (recipe.greyRule == GreyRule::GreyBackgroundStays && b.saturationF() == 0.0)
        return false;
    if (recipe.greyRule == GreyRule::GreyForegroundDropsSaturation && f.saturationF() == 0.0)
        saturation = 0.0;

    *effect = HSYColor::fromHSYNormalizedToOne(pick(recipe.hue).hueF(), saturation,
                                               pick(recipe.luma).brightnessF())
              & 0xFFFFFFu;
    return true;
}

// The two weightings are equal in exact arithmetic but not always in double precision; each
// keeps its own so that results stay byte for byte.
int mixNormal(int b, int f, double wf)
{
    const double wb = 1.0 - wf;
    return static_cast<int>(b * wb + f * wf);
}

int mixEffect(int b, int effect, double wb)
{
    const double wf = 1.0 - wb;
    return static_cast<int>(b * wb + effect * wf);
}

} // namespace

char const* itemName(int mode)
{
    return static_cast<unsigned int>(mode) < ModeCount ? kModes[mode].item : nullptr;
}

unsigned int blend(int mode, unsigned int background, unsigned int foreground, unsigned char opacity)
{
    const ModeFormula& formula = kModes[static_cast<unsigned int>(mode) < ModeCount ? mode : Normal];

    if (formula.kind == Kind::Normal) {
        const double wf = opacity / 255.0;
        return pack(mixNormal(channelAt(background, 16), channelAt(foreground, 16), wf),
                    mixNormal(channelAt(background, 8), channelAt(foreground, 8), wf),
                    mixNormal(channelAt(background, 0), channelAt(foreground, 0), wf));
    }

    unsigned int effect = 0;
    switch (formula.kind) {
    case Kind::Bytes:
        effect = byteEffect(formula.bytes, background, foreground);
        break;
    case Kind::Fractions:
        effect = fractionEffect(formula.fractions, background, foreground);
        break;
    case Kind::Model:
        if (!modelEffect(formula.model, background, foreground, &effect))
            return background & 0xFFFFFFu;
        break;
    case Kind::Normal:
        break;
    }

    const double wb = (255 - opacity) / 255.0;
    return pack(mixEffect(channelAt(background, 16), channelAt(effect, 16), wb),
                mixEffect(channelAt(background, 8), channelAt(effect, 8), wb),
                mixEffect(channelAt(background, 0), channelAt(effect, 0), wb));
}

bool perChannel(int mode)
{
    return kModes[static_cast<unsigned int>(mode) < ModeCount ? mode : Normal].kind != Kind::Model;
}

unsigned char opacityByte(int percent)
{
    // Only a loaded value can get this far out; the int conversion must not overflow.
    const double product = std::trunc(percent * 2.55);
    int value = 0;
    if (product >= static_cast<double>(INT_MAX))
        value = INT_MAX;
    else if (product <= static_cast<double>(INT_MIN))
        value = INT_MIN;
    else
        value = static_cast<int>(product);
    return static_cast<unsigned char>(value);
}

} // namespace KelVyxNodes::BlendFormulas
