#include "KelStylePaintSupport.h"

#include "style/TitleBarButtonRect.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QToolBar>

#include <memory>

using namespace KelStyleTest;
using namespace KelStylePaint;

namespace {

const QColor kItemBackground(10, 20, 30);
const QColor kItemSelected(30, 20, 10);
const QColor kPaletteButton(60, 60, 61);
const QColor kPaletteHighlight(61, 60, 60);
const QColor kItemText(250, 0, 0);
const QColor kCheckedHighlighted(0, 250, 0);
const QColor kCheckedDefault(0, 0, 250);
const QColor kSeparator(200, 200, 0);

class KelStyleMenuItemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        addColor(QStringLiteral("MenuItem.backgroundColor"), kItemBackground);
        addColor(QStringLiteral("MenuItem.selected.backgroundColor"), kItemSelected);
        addColor(QStringLiteral("MenuItem.backgroundColor2"), QColor(1, 1, 1));
        addColor(QStringLiteral("MenuItem.paletteButton"), kPaletteButton);
        addColor(QStringLiteral("MenuItem.paletteHighlight"), kPaletteHighlight);
        addColor(QStringLiteral("MenuItem.paletteButtonText"), kItemText);
        addColor(QStringLiteral("MenuItem.paletteHighlightedText"), kItemText);
        addPixmap(QStringLiteral("checkboxCheckedHighlighted"), 8, 8, kCheckedHighlighted);
        addPixmap(QStringLiteral("checkboxCheckedDefault"), 8, 8, kCheckedDefault);
        addPixmap(QStringLiteral("checkboxUncheckedDefault"), 8, 8, QColor(5, 5, 5));
        addPen(QStringLiteral("MenuItem.separator.borderPen"), kSeparator);
    }
    void TearDown() override { store()->clear(); }

    static QStyleOptionMenuItem item(QStyle::State state, bool checked)
    {
        QStyleOptionMenuItem option;
        option.rect = QRect(0, 0, 120, 20);
        option.state = state;
        option.text = QStringLiteral("Item");
        option.menuItemType = QStyleOptionMenuItem::Normal;
        option.checkType = QStyleOptionMenuItem::NonExclusive;
        option.checked = checked;
        option.menuHasCheckableItems = true;
        option.maxIconWidth = 0;
        return option;
    }

    QImage draw(const QStyleOptionMenuItem& option, const QWidget* widget)
    {
        return paint(120, 20, [&](QPainter* p) {
            style.drawControl(QStyle::CE_MenuItem, &option, p, widget);
        });
    }

    QMenu menu;
    KelStyle style;
};

TEST_F(KelStyleMenuItemTest, CheckPixmapFollowsCheckedAndHighlighted)
{
    const QStyle::State on = QStyle::State_Enabled;
    // 5 from the left, centred vertically: (20 - 8) / 2 = 6.
    QImage image = draw(item(on | QStyle::State_Selected, true), &menu);
    EXPECT_EQ(pixel(image, 5, 6), kCheckedHighlighted);
    EXPECT_EQ(pixel(image, 12, 13), kCheckedHighlighted);
    EXPECT_NE(pixel(image, 4, 6), kCheckedHighlighted);
    EXPECT_NE(pixel(image, 5, 5), kCheckedHighlighted);

    image = draw(item(on, true), &menu);
    EXPECT_EQ(pixel(image, 5, 6), kCheckedDefault);

    // An unchecked item shows no pixmap at all.
    image = draw(item(on, false), &menu);
    EXPECT_FALSE(containsColor(image, image.rect(), QColor(5, 5, 5)));
    EXPECT_FALSE(containsColor(image, image.rect(), kCheckedDefault));
}

TEST_F(KelStyleMenuItemTest, DisabledItemOfAMenuPaintsOpaque)
{
    const QImage inMenu = draw(item(QStyle::State_None, false), &menu);
    EXPECT_EQ(qAlpha(inMenu.pixel(119, 10)), 255);
    QWidget other;
    const QImage elsewhere = draw(item(QStyle::State_None, false), &other);
    EXPECT_NEAR(qAlpha(elsewhere.pixel(119, 10)), 128, 1);
}

// ---------------------------------------------------------------------------------------------

const QColor kStep1(200, 0, 0);
const QColor kStep2(0, 200, 0);
const QColor kRollOut(0, 0, 200);
const QColor kRollOutPressed(0, 0, 100);
const QColor kSelected(100, 100, 0);
const QColor kMenuPressed(0, 100, 100);
const QColor kBarText(255, 0, 255);

class KelStyleMenuBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        addPen(QStringLiteral("MenuBarItem.followedByStepPen1"), kStep1);
        addPen(QStringLiteral("MenuBarItem.followedByStepPen2"), kStep2);
        addPen(QStringLiteral("MenuBarItem.rollout.borderPen"), QColor(9, 9, 9));
        addGradient(QStringLiteral("MenuBarItem.rollout.backgroundGradient"), kRollOut);
        addGradient(QStringLiteral("MenuBarItem.rollout.pressed.backgroundGradient"), kRollOutPressed);
        addPen(QStringLiteral("MenuBarItem.selected.borderPen"), kSelected);
        addGradient(QStringLiteral("MenuBarItem.selected.backgroundGradient"), kSelected);
        addPen(QStringLiteral("MenuBarItem.pressed.borderPen"), kMenuPressed);
        addGradient(QStringLiteral("MenuBarItem.pressed.backgroundGradient"), kMenuPressed);
    }
    void TearDown() override { store()->clear(); }

    static QStyleOptionMenuItem item(const QString& text, const QRect& rect, QStyle::State state)
    {
        QStyleOptionMenuItem option;
        option.rect = rect;
        option.text = text;
        option.state = state;
        option.menuItemType = QStyleOptionMenuItem::Normal;
        option.palette.setColor(QPalette::ButtonText, kBarText);
        // The base fills the label with the button colour; the bar's own is a style key.
        option.palette.setColor(QPalette::Button, Qt::transparent);
        return option;
    }

    QImage draw(const QStyleOptionMenuItem& option, const QWidget* widget, QStyle* with = nullptr)
    {
        return paint(option.rect.right() + 1, option.rect.bottom() + 1, [&](QPainter* p) {
            (with ? with : &style)->drawControl(QStyle::CE_MenuBarItem, &option, p, widget);
        });
    }

    KelStyle style;
};

TEST_F(KelStyleMenuBarTest, HighlightAndPressLooks)
{
    const QRect rect(0, 0, 60, 24);
    QImage image = draw(item(QStringLiteral("File"), rect, QStyle::State_Enabled | QStyle::State_Selected), nullptr);
    EXPECT_EQ(pixel(image, 3, 12), kSelected);
    image = draw(item(QStringLiteral("File"), rect,
                      QStyle::State_Enabled | QStyle::State_Selected | QStyle::State_Sunken),
                 nullptr);
    EXPECT_EQ(pixel(image, 3, 12), kMenuPressed);
    image = draw(item(QStringLiteral("File"), rect, QStyle::State_Enabled), nullptr);
    EXPECT_TRUE(isTransparent(image, 3, 12));
}

// ---------------------------------------------------------------------------------------------

const QColor kArea(40, 40, 40);
const QColor kTop(1, 100, 1);
const QColor kBottom1(1, 1, 100);
const QColor kBottom2(100, 1, 1);
const QColor kCorner(250, 250, 0);
const QColor kNormal(90, 90, 90);
const QColor kHover(150, 150, 150);
const QColor kPressedButton(210, 210, 210);
const QColor kTitle(0, 255, 255);

class KelStyleMenuBarAreaTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        addGradient(QStringLiteral("MenuBarEmptyArea.backgroundGradient"), kArea);
        addPen(QStringLiteral("MenuBarEmptyArea.borderTopPen"), kTop);
        addPen(QStringLiteral("MenuBarEmptyArea.borderBottomPen1"), kBottom1);
        addPen(QStringLiteral("MenuBarEmptyArea.borderBottomPen2"), kBottom2);
        addColor(QStringLiteral("MenuBarEmptyArea.textColor"), kTitle);
        addPixmap(QStringLiteral("titleBarButtonNormal"), 16, 16, kNormal);
        addPixmap(QStringLiteral("titleBarButtonHover"), 16, 16, kHover);
        addPixmap(QStringLiteral("titleBarButtonPressed"), 16, 16, kPressedButton);
        style = std::make_unique<KelStyle>();
        style->setCornerPixmap(solidPixmap(20, 10, kCorner));
        QCursor::setPos(QPoint(-5000, -5000));
    }
    void TearDown() override { store()->clear(); }

    QImage draw(const QWidget* widget, int width = 300, int height = 30)
    {
        QStyleOption option;
        option.rect = QRect(0, 0, width, height);
        option.state = QStyle::State_Enabled;
        return paint(width, height, [&](QPainter* p) {
            style->drawControl(QStyle::CE_MenuBarEmptyArea, &option, p, widget);
        });
    }

    std::unique_ptr<KelStyle> style;
};

TEST_F(KelStyleMenuBarAreaTest, BackgroundLinesAndCornerPixmap)
{
    QMenuBar bar;
    bar.resize(300, 30);
    const QImage image = draw(&bar);
    EXPECT_EQ(pixel(image, 150, 15), kArea);
    EXPECT_EQ(pixel(image, 150, 0), kTop);
    EXPECT_EQ(pixel(image, 150, 28), kBottom1);
    EXPECT_EQ(pixel(image, 150, 29), kBottom2);
    // Centred vertically by (30 - 10) / 2 = 10, the same distance from the left.
    EXPECT_EQ(pixel(image, 10, 10), kCorner);
    EXPECT_EQ(pixel(image, 29, 19), kCorner);
    EXPECT_EQ(pixel(image, 9, 15), kArea);
    EXPECT_EQ(pixel(image, 30, 15), kArea);
}

TEST_F(KelStyleMenuBarAreaTest, MenuBarWithoutParentPaintsNoButtonsAndNoTitle)
{
    QMenuBar bar;
    bar.setWindowTitle(QStringLiteral("MMMMMMMM"));
    bar.resize(300, 30);
    const QImage image = draw(&bar);
    EXPECT_FALSE(containsInk(image, image.rect(), kTitle));
    EXPECT_FALSE(containsColor(image, image.rect(), kNormal));
    EXPECT_EQ(pixel(image, 10, 10), kCorner);
}

TEST_F(KelStyleMenuBarAreaTest, ToolBarsStopEarly)
{
    QToolBar movable;
    movable.setMovable(true);
    movable.resize(300, 30);
    QImage image = draw(&movable);
    EXPECT_EQ(pixel(image, 150, 0), kTop);
    EXPECT_EQ(pixel(image, 10, 10), kArea);

    QToolBar fixed;
    fixed.setMovable(false);
    fixed.setWindowTitle(QStringLiteral("MMMMMMMM"));
    fixed.resize(300, 30);
    image = draw(&fixed);
    EXPECT_EQ(pixel(image, 10, 10), kCorner);
    EXPECT_FALSE(containsInk(image, image.rect(), kTitle));
}

class KelStyleTitleBarTest : public KelStyleMenuBarAreaTest
{
protected:
    void SetUp() override
    {
        KelStyleMenuBarAreaTest::SetUp();
        window.setWindowTitle(QStringLiteral("MMMMMMMM"));
        window.resize(300, 200);
        bar = new QMenuBar(&window);
        bar->setGeometry(0, 0, 300, 30);
    }

    QRect button(int hint) const { return titleBarButtonRect(bar, hint); }

    QColor face(const QImage& image, int hint) const
    {
        return pixel(image, button(hint).center().x(), button(hint).center().y());
    }

    void press(int hint)
    {
        const QPoint at = button(hint).center();
        QMouseEvent event(QEvent::MouseButtonPress, at, bar->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        style->eventFilter(bar, &event);
    }

    QWidget window;
    QMenuBar* bar = nullptr;
};

TEST_F(KelStyleTitleBarTest, ButtonsAndTitle)
{
    ASSERT_FALSE(button(Qt::WindowCloseButtonHint).isNull());
    const QImage image = draw(bar);
    EXPECT_EQ(face(image, Qt::WindowMinimizeButtonHint), kNormal);
    EXPECT_EQ(face(image, Qt::WindowMaximizeButtonHint), kNormal);
    EXPECT_EQ(face(image, Qt::WindowCloseButtonHint), kNormal);
    // The title sits between the corner pixmap and the first button.
    const int firstButton = button(Qt::WindowMinimizeButtonHint).left();
    EXPECT_TRUE(containsInk(image, QRect(20, 0, firstButton - 20, 30), kTitle));
    EXPECT_FALSE(containsInk(image, QRect(firstButton, 0, 300, 30), kTitle));
}

} // namespace
