#include "style/KelStyle.h"

#include "KelStyleTestSupport.h"

#include <gtest/gtest.h>

#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>

using namespace KelStyleTest;

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kYellow(255, 255, 0);

bool isClear(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0)
                return false;
        }
    }
    return true;
}

class KelStylePrimitivesTest : public ::testing::Test
{
protected:
    void SetUp() override { store()->clear(); }
    void TearDown() override { store()->clear(); }

    // Paints one element on a fresh transparent image of the option's rectangle size.
    QImage paint(QStyle::PrimitiveElement element, const QStyleOption& option,
                 const QWidget* widget = nullptr, QColor pen = QColor())
    {
        QImage image(option.rect.right() + 1, option.rect.bottom() + 1, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        if (pen.isValid())
            painter.setPen(pen);
        style.drawPrimitive(element, &option, &painter, widget);
        lastOpacity = painter.opacity();
        return image;
    }

    static QStyleOption option(const QRect& rect, QStyle::State state = QStyle::State_Enabled)
    {
        QStyleOption o;
        o.rect = rect;
        o.state = state;
        return o;
    }

    KelStyle style;
    qreal lastOpacity = 1.0;
};

TEST_F(KelStylePrimitivesTest, DisabledElementsPaintAtHalfOpacityExceptInMenus)
{
    addPixmap(QStringLiteral("checkboxUncheckedDefault"), 13, 13, kRed);
    const QRect rect(0, 0, 21, 21);

    QImage enabled = paint(QStyle::PE_IndicatorCheckBox, option(rect));
    EXPECT_EQ(pixel(enabled, 10, 10), kRed);
    EXPECT_DOUBLE_EQ(lastOpacity, 1.0);

    QImage disabled = paint(QStyle::PE_IndicatorCheckBox, option(rect, QStyle::State_None));
    EXPECT_NEAR(qAlpha(disabled.pixel(10, 10)), 128, 2);
    // The opacity is left as set.
    EXPECT_DOUBLE_EQ(lastOpacity, 0.5);

    QMenu menu;
    QImage inMenu = paint(QStyle::PE_IndicatorCheckBox, option(rect, QStyle::State_None), &menu);
    EXPECT_EQ(pixel(inMenu, 10, 10), kRed);
}

TEST_F(KelStylePrimitivesTest, CheckBoxPixmapFollowsTheState)
{
    addPixmap(QStringLiteral("checkboxCheckedSelected"), 13, 13, kGreen);
    addPixmap(QStringLiteral("checkboxCheckedHover"), 13, 13, kBlue);
    addPixmap(QStringLiteral("checkboxCheckedDefault"), 13, 13, kRed);
    const QRect rect(0, 0, 21, 21);
    using S = QStyle;

    auto centre = [&](QStyle::State state) {
        const QColor c = pixel(paint(S::PE_IndicatorCheckBox, option(rect, state)), 10, 10);
        return QColor(c.red(), c.green(), c.blue());
    };
    EXPECT_EQ(centre(S::State_On | S::State_HasFocus | S::State_MouseOver | S::State_Enabled), kGreen);
    EXPECT_EQ(centre(S::State_On | S::State_MouseOver | S::State_Enabled), kBlue);
    EXPECT_EQ(centre(S::State_On | S::State_MouseOver), kRed);
    EXPECT_EQ(centre(S::State_On | S::State_Enabled), kRed);
    // No pixmap for the unchecked look: nothing drawn.
    EXPECT_TRUE(isClear(paint(S::PE_IndicatorCheckBox, option(rect, S::State_Off | S::State_Enabled))));
}

TEST_F(KelStylePrimitivesTest, HeaderArrowIsABlackTriangle)
{
    QStyleOptionHeader header;
    header.rect = QRect(0, 0, 8, 4);
    header.state = QStyle::State_Enabled;

    header.sortIndicator = QStyleOptionHeader::None;
    EXPECT_TRUE(isClear(paint(QStyle::PE_IndicatorHeaderArrow, header)));

    header.sortIndicator = QStyleOptionHeader::SortUp;
    const QImage down = paint(QStyle::PE_IndicatorHeaderArrow, header);
    EXPECT_EQ(pixel(down, 0, 0), QColor(Qt::black));
    EXPECT_EQ(pixel(down, 7, 0), QColor(Qt::black));
    EXPECT_EQ(pixel(down, 3, 3), QColor(Qt::black));
    EXPECT_EQ(qAlpha(down.pixel(0, 3)), 0);

    header.sortIndicator = QStyleOptionHeader::SortDown;
    const QImage up = paint(QStyle::PE_IndicatorHeaderArrow, header);
    EXPECT_EQ(pixel(up, 0, 3), QColor(Qt::black));
    EXPECT_EQ(pixel(up, 7, 3), QColor(Qt::black));
    EXPECT_EQ(pixel(up, 4, 0), QColor(Qt::black));
    EXPECT_EQ(qAlpha(up.pixel(0, 0)), 0);
}

class LineEditPanel : public KelStylePrimitivesTest
{
protected:
    void SetUp() override
    {
        KelStylePrimitivesTest::SetUp();
        store()->add(QStringLiteral("PanelLineEdit.borderPen"), QPen(kRed));
        store()->add(QStringLiteral("PanelLineEdit.borderPen2"), QPen(kGreen));
        store()->add(QStringLiteral("PanelLineEdit.backgroundColor"), kBlue);
        store()->add(QStringLiteral("PanelLineEdit.hasFocus.borderPen"), QPen(kYellow));
    }
};

TEST_F(LineEditPanel, FrameWithOpenCornersAroundAnInnerOutline)
{
    QStyleOptionFrame frame;
    frame.rect = QRect(0, 0, 20, 16);
    frame.state = QStyle::State_Enabled;
    const QImage image = paint(QStyle::PE_PanelLineEdit, frame);

    EXPECT_EQ(pixel(image, 1, 2), kRed);
    EXPECT_EQ(pixel(image, 2, 1), kRed);
    EXPECT_EQ(pixel(image, 18, 7), kRed);
    EXPECT_EQ(qAlpha(image.pixel(1, 1)), 0);
    EXPECT_EQ(pixel(image, 2, 7), kGreen);
    EXPECT_EQ(pixel(image, 17, 7), kGreen);
    EXPECT_EQ(pixel(image, 3, 3), kBlue);
    EXPECT_EQ(pixel(image, 16, 12), kBlue);
    // No focus ring without focus.
    EXPECT_EQ(qAlpha(image.pixel(0, 7)), 0);
}

TEST_F(KelStylePrimitivesTest, CheckedToolButtonUnderThePointerShowsTheHoverPanel)
{
    store()->add(QStringLiteral("PanelButtonTool.stateMouseOver.backgroundColor"), kRed);
    store()->add(QStringLiteral("PanelButtonTool.stateMouseOver.borderPen"), QPen(kGreen));
    store()->add(QStringLiteral("PanelButtonTool.stateOn.backgroundColor"), kBlue);
    store()->add(QStringLiteral("PanelButtonTool.stateOn.borderPen"), QPen(kYellow));
    const QRect rect(0, 0, 20, 20);
    using S = QStyle;

    const QImage hover = paint(S::PE_PanelButtonTool, option(rect, S::State_Enabled | S::State_On | S::State_MouseOver));
    EXPECT_EQ(pixel(hover, 5, 5), kRed);
    EXPECT_EQ(pixel(hover, 0, 5), kGreen);
    EXPECT_EQ(pixel(hover, 5, 19), kGreen);
    EXPECT_EQ(qAlpha(hover.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(hover.pixel(19, 19)), 0);

    const QImage on = paint(S::PE_PanelButtonTool, option(rect, S::State_Enabled | S::State_On));
    EXPECT_EQ(pixel(on, 5, 5), kBlue);
    EXPECT_EQ(pixel(on, 1, 5), kYellow);
    EXPECT_EQ(qAlpha(on.pixel(0, 5)), 0);
    EXPECT_EQ(qAlpha(on.pixel(1, 1)), 0);

    EXPECT_TRUE(isClear(paint(S::PE_PanelButtonTool, option(rect))));
}

TEST_F(KelStylePrimitivesTest, SimpleFillsAndLines)
{
    store()->add(QStringLiteral("PanelMenu.backgroundColor"), kRed);
    store()->add(QStringLiteral("FrameMenu.backgroundColor"), kGreen);
    store()->add(QStringLiteral("FrameTabBarBase.backgroundColor"), kBlue);
    store()->add(QStringLiteral("PanelStatusBar.borderTopPen"), QPen(kYellow));
    const QRect rect(0, 0, 10, 10);

    EXPECT_EQ(pixel(paint(QStyle::PE_PanelMenu, option(rect)), 9, 9), kRed);
    EXPECT_EQ(pixel(paint(QStyle::PE_FrameMenu, option(rect)), 0, 0), kGreen);

    const QImage base = paint(QStyle::PE_FrameTabBarBase, option(rect));
    EXPECT_EQ(pixel(base, 5, 7), kBlue);
    EXPECT_EQ(qAlpha(base.pixel(5, 8)), 0);

    const QImage status = paint(QStyle::PE_PanelStatusBar, option(rect));
    EXPECT_EQ(pixel(status, 0, 0), kYellow);
    EXPECT_EQ(pixel(status, 9, 0), kYellow);
    EXPECT_EQ(qAlpha(status.pixel(5, 1)), 0);
}

} // namespace
