// The push-button bevel of the application style, painted with the program's own "styles.xml":
// fill by default and pressed state, the open-cornered border, the focus ring, the disabled
// look and the label colour handed to the button's palette.

#include "KelStylePaintSupport.h"
#include "RealStyleFile.h"

#include <gtest/gtest.h>

#include <QLinearGradient>
#include <QPushButton>

using namespace KelStyleTest;
using namespace KelStylePaint;

namespace {

enum class Expect {
    FillStart,      // the gradient `key` at its first stop, at the point
    PenColour,      // the pen `key`'s colour, at the point
    Transparent,    // nothing painted at the point
    HalfOpaque,     // painted at half opacity at the point
    RingOnEdges,    // the pen `key` somewhere on the top row and on the left column
    NoRing,         // the pen `key` nowhere
    PaletteText,    // the colour `key` becomes the widget's button text in every group
};

struct BevelCase
{
    const char* name;
    QStyle::State state;
    bool isDefault;
    Expect expect;
    const char* key;
    QPoint at;
};

const QStyle::State on = QStyle::State_Enabled;

const BevelCase kCases[] = {
    {"plain fill", on, false, Expect::FillStart, "PushButtonBevel.backgroundGradient", {20, 2}},
    {"default fill", on, true, Expect::FillStart, "PushButtonBevel.defaultBackgroundGradient", {20, 2}},
    {"pressed fill", on | QStyle::State_Sunken, false, Expect::FillStart,
     "PushButtonBevel.pressed.backgroundGradient", {20, 2}},
    {"pressed default fill", on | QStyle::State_Sunken, true, Expect::FillStart,
     "PushButtonBevel.pressed.defaultBackgroundGradient", {20, 2}},
    {"left edge", on, false, Expect::PenColour, "PushButtonBevel.borderPen", {1, 10}},
    {"top edge", on, false, Expect::PenColour, "PushButtonBevel.borderPen", {20, 1}},
    {"bottom edge", on, false, Expect::PenColour, "PushButtonBevel.borderPen", {20, 18}},
    {"right edge", on, false, Expect::PenColour, "PushButtonBevel.borderPen", {38, 10}},
    {"default edge", on, true, Expect::PenColour, "PushButtonBevel.defaultBorderPen", {1, 10}},
    {"top left corner open", on, false, Expect::Transparent, "", {1, 1}},
    {"top right corner open", on, false, Expect::Transparent, "", {38, 1}},
    {"bottom left corner open", on, false, Expect::Transparent, "", {1, 18}},
    {"bottom right corner open", on, false, Expect::Transparent, "", {38, 18}},
    {"outer ring left without focus", on, false, Expect::Transparent, "", {0, 10}},
    {"outer ring top without focus", on, false, Expect::Transparent, "", {20, 0}},
    {"focus ring", on | QStyle::State_HasFocus, false, Expect::RingOnEdges,
     "PushButtonBevel.focusBorderPen", {}},
    {"no focus ring without focus", on, false, Expect::NoRing, "PushButtonBevel.focusBorderPen", {}},
    {"disabled at half opacity", QStyle::State_None, false, Expect::HalfOpaque, "", {20, 10}},
    {"label colour", on, false, Expect::PaletteText, "PushButtonBevel.textColor", {}},
    {"default label colour", on, true, Expect::PaletteText, "PushButtonBevel.defaultTextColor", {}},
};

class PushButtonBevelTest : public ::testing::TestWithParam<BevelCase>
{
protected:
    static void SetUpTestSuite() { s_loaded = RealStyleFile::load(&s_errorText); }
    static void TearDownTestSuite() { store()->clear(); }
    void SetUp() override { ASSERT_TRUE(s_loaded) << qPrintable(s_errorText); }

    QImage bevel(BevelCase const& c, const QWidget* widget = nullptr)
    {
        QStyleOptionButton option;
        option.rect = QRect(0, 0, 40, 20);
        option.state = c.state;
        if (c.isDefault)
            option.features |= QStyleOptionButton::DefaultButton;
        return paint(40, 20, [&](QPainter* p) {
            style.drawControl(QStyle::CE_PushButtonBevel, &option, p, widget);
        });
    }

    static QColor penColour(const char* key)
    {
        return store()->value<QPen>(QString::fromLatin1(key)).color();
    }

    static inline bool s_loaded = false;
    static inline QString s_errorText;
    KelStyle style;
};

bool near(QColor const& a, QColor const& b)
{
    return qAbs(a.red() - b.red()) <= 1 && qAbs(a.green() - b.green()) <= 1
           && qAbs(a.blue() - b.blue()) <= 1 && a.alpha() == b.alpha();
}

TEST_P(PushButtonBevelTest, PaintsFromTheStyleFile)
{
    BevelCase const& c = GetParam();
    const QString key = QString::fromLatin1(c.key);
    switch (c.expect) {
    case Expect::FillStart: {
        const QGradientStops stops = store()->value<QLinearGradient>(key).stops();
        ASSERT_FALSE(stops.isEmpty()) << c.key;
        const QColor found = pixel(bevel(c), c.at.x(), c.at.y());
        EXPECT_TRUE(near(found, stops.first().second))
            << qPrintable(found.name()) << " instead of " << qPrintable(stops.first().second.name());
        break;
    }
    case Expect::PenColour:
        ASSERT_TRUE(penColour(c.key).isValid()) << c.key;
        EXPECT_EQ(pixel(bevel(c), c.at.x(), c.at.y()), penColour(c.key));
        break;
    case Expect::Transparent:
        EXPECT_EQ(qAlpha(bevel(c).pixel(c.at)), 0);
        break;
    case Expect::HalfOpaque:
        EXPECT_NEAR(qAlpha(bevel(c).pixel(c.at)), 128, 1);
        break;
    case Expect::RingOnEdges: {
        const QImage image = bevel(c);
        EXPECT_TRUE(containsColor(image, QRect(0, 0, 40, 1), penColour(c.key)));
        EXPECT_TRUE(containsColor(image, QRect(0, 5, 1, 10), penColour(c.key)));
        break;
    }
    case Expect::NoRing: {
        const QImage image = bevel(c);
        EXPECT_FALSE(containsColor(image, image.rect(), penColour(c.key)));
        break;
    }
    case Expect::PaletteText: {
        const QColor text = store()->value<QColor>(key);
        ASSERT_TRUE(text.isValid()) << c.key;
        QPushButton button;
        bevel(c, &button);
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            EXPECT_EQ(button.palette().color(group, QPalette::ButtonText), text) << int(group);
        break;
    }
    }
}

INSTANTIATE_TEST_SUITE_P(RealTheme, PushButtonBevelTest, ::testing::ValuesIn(kCases),
                         [](::testing::TestParamInfo<BevelCase> const& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

} // namespace
