// The application style with the program's own "styles.xml": what a user sees of whole widgets
// and of elements the base painting finishes.

#include "RealStyleFile.h"

#include "style/KelStyle.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>

namespace {

class KelStyleRealThemeTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_loaded = RealStyleFile::load(&s_errorText); }
    static void TearDownTestSuite() { KelStyleConfig::instance()->clear(); }

    void SetUp() override { ASSERT_TRUE(s_loaded) << qPrintable(s_errorText); }

    static QColor color(const QString& key)
    {
        return KelStyleConfig::instance()->value<QColor>(key);
    }

    static inline bool s_loaded = false;
    static inline QString s_errorText;
};

struct InkCount
{
    int near = 0; // pixels close to the text colour (stems; they rarely land on whole pixels)
    int dark = 0; // pixels much darker than anything the field paints
};

InkCount countInk(const QImage& image, const QRect& area, const QColor& text)
{
    InkCount count;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb found = image.pixel(x, y);
            if (qAbs(qRed(found) - text.red()) <= 0x20 && qAbs(qGreen(found) - text.green()) <= 0x20
                && qAbs(qBlue(found) - text.blue()) <= 0x20)
                ++count.near;
            if (qGray(found) < 0x20)
                ++count.dark;
        }
    return count;
}

// Non-editable combo boxes showed their label in black on the dark field.
TEST_F(KelStyleRealThemeTest, ComboBoxLabelUsesTheThemeTextColour)
{
    const QColor text = color(QStringLiteral("ComboBox.notEditable.textColor"));
    ASSERT_TRUE(text.isValid());

    KelStyle style;
    QComboBox combo;
    combo.setStyle(&style);
    combo.addItem(QStringLiteral("HHHHHHHH"));
    combo.resize(180, 24);
    const QImage image = combo.grab().toImage();

    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.rect = combo.rect();
    option.editable = false;
    option.subControls = QStyle::SC_All;
    // Inside the frame, left of the arrow column: only the gradient and the label.
    const QRect field = style.subControlRect(QStyle::CC_ComboBox, &option,
                                             QStyle::SC_ComboBoxEditField, &combo)
                            .adjusted(0, 2, 0, -2);
    ASSERT_FALSE(field.isEmpty());

    const InkCount ink = countInk(image, field, text);
    EXPECT_GT(ink.near, 20) << "label not painted in the theme colour";
    EXPECT_EQ(ink.dark, 0) << "dark label ink on the field";
}

} // namespace
