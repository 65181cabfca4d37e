#include "KelStylePaintSupport.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QFontMetrics>
#include <QTabBar>
#include <QToolButton>

using namespace KelStyleTest;
using namespace KelStylePaint;

namespace {

const QColor kPlain(10, 20, 30);
const QColor kDefault(40, 50, 60);
const QColor kPressed(70, 80, 90);
const QColor kPressedDefault(100, 110, 120);
const QColor kBorder(200, 10, 10);
const QColor kDefaultBorder(10, 200, 10);
const QColor kFocus(10, 10, 200);

class KelStyleButtonsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        addGradient(QStringLiteral("PushButtonBevel.backgroundGradient"), kPlain);
        addGradient(QStringLiteral("PushButtonBevel.defaultBackgroundGradient"), kDefault);
        addGradient(QStringLiteral("PushButtonBevel.pressed.backgroundGradient"), kPressed);
        addGradient(QStringLiteral("PushButtonBevel.pressed.defaultBackgroundGradient"),
                    kPressedDefault);
        addPen(QStringLiteral("PushButtonBevel.borderPen"), kBorder);
        addPen(QStringLiteral("PushButtonBevel.defaultBorderPen"), kDefaultBorder);
        addPen(QStringLiteral("PushButtonBevel.focusBorderPen"), kFocus);
        addColor(QStringLiteral("PushButtonBevel.textColor"), QColor(1, 2, 3));
        addColor(QStringLiteral("PushButtonBevel.defaultTextColor"), QColor(4, 5, 6));
    }
    void TearDown() override { store()->clear(); }

    static QStyleOptionButton button(QStyle::State state, bool isDefault = false)
    {
        QStyleOptionButton option;
        option.rect = QRect(0, 0, 40, 20);
        option.state = state;
        if (isDefault)
            option.features |= QStyleOptionButton::DefaultButton;
        return option;
    }

    QImage bevel(const QStyleOptionButton& option, const QWidget* widget = nullptr)
    {
        return paint(40, 20, [&](QPainter* p) {
            style.drawControl(QStyle::CE_PushButtonBevel, &option, p, widget);
        });
    }

    KelStyle style;
};

// ---------------------------------------------------------------------------------------------

class KelStyleToolButtonLabelTest : public KelStyleButtonsTest
{
protected:
    QStyleOptionToolButton label(const QToolButton& button, int width, QStyle::State state)
    {
        QStyleOptionToolButton option;
        option.initFrom(&button);
        option.text = button.text();
        option.font = button.font();
        option.rect = QRect(0, 0, width, 20);
        option.state = state;
        option.toolButtonStyle = Qt::ToolButtonTextOnly;
        option.palette.setColor(QPalette::ButtonText, QColor(0, 0, 255));
        return option;
    }

    QImage draw(const QStyleOptionToolButton& option, const QWidget* widget)
    {
        return paint(200, 20, [&](QPainter* p) {
            p->setPen(QColor(0, 255, 0));
            style.drawControl(QStyle::CE_ToolButtonLabel, &option, p, widget);
        });
    }
};

TEST_F(KelStyleToolButtonLabelTest, TextAsWideAsTheButtonIsElidedInTheStateOnColour)
{
    const QColor stateOn(250, 0, 0);
    addColor(QStringLiteral("ToolButton.stateOn.textColor"), stateOn);
    QToolButton button;
    button.setText(QStringLiteral("Mmmmmmmmmm"));
    const int textWidth = QFontMetrics(button.font()).boundingRect(button.text()).width();

    // Exactly as wide: this style elides and paints itself, hovered in the state-on colour.
    const QImage exact =
        draw(label(button, textWidth, QStyle::State_Enabled | QStyle::State_MouseOver), &button);
    EXPECT_TRUE(containsColor(exact, exact.rect(), stateOn));
    EXPECT_FALSE(containsColor(exact, QRect(textWidth, 0, 200, 20), stateOn));

    // At rest it keeps the caller's pen.
    const QImage rest = draw(label(button, textWidth, QStyle::State_Enabled), &button);
    EXPECT_TRUE(containsColor(rest, rest.rect(), QColor(0, 255, 0)));
    EXPECT_FALSE(containsColor(rest, rest.rect(), stateOn));

    // Strictly wider: the base paints from the palette.
    const QImage wider =
        draw(label(button, textWidth + 1, QStyle::State_Enabled | QStyle::State_MouseOver),
             &button);
    EXPECT_FALSE(containsColor(wider, wider.rect(), stateOn));
    EXPECT_TRUE(containsColor(wider, wider.rect(), QColor(0, 0, 255)));
}

// ---------------------------------------------------------------------------------------------

const QColor kTabBorder(200, 0, 0);
const QColor kTabFill(0, 200, 0);
const QColor kTabHover(0, 100, 0);
const QColor kTabPressed(0, 50, 0);
const QColor kTabBottom1(0, 0, 200);
const QColor kTabBottom2(0, 0, 100);
const QColor kSelBorder(210, 210, 0);
const QColor kSelFill(0, 210, 210);
const QColor kSelSides(210, 0, 210);
const QColor kSelTop(120, 120, 120);
const QColor kSelCorner(60, 60, 60);
const QColor kPlusRegion(33, 33, 33);
const QColor kPlus(250, 250, 250);

class KelStyleTabsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        addPen(QStringLiteral("TabBarTabShape.borderPen"), kTabBorder);
        addGradient(QStringLiteral("TabBarTabShape.backgroundGradient"), kTabFill);
        addGradient(QStringLiteral("TabBarTabShape.hovered.backgroundGradient"), kTabHover);
        addGradient(QStringLiteral("TabBarTabShape.pressed.backgroundGradient"), kTabPressed);
        addPen(QStringLiteral("TabBarTabShape.borderPen2"), kTabBottom1);
        addPen(QStringLiteral("TabBarTabShape.borderPen3"), kTabBottom2);
        addPen(QStringLiteral("TabBarTabShape.selected.borderPen"), kSelBorder);
        addGradient(QStringLiteral("TabBarTabShape.selected.borderGradient"), kSelFill);
        addGradient(QStringLiteral("TabBarTabShape.selected.backgroundGradient"), kSelSides);
        addPen(QStringLiteral("TabBarTabShape.selected.borderPen2"), kSelTop);
        addColor(QStringLiteral("TabBarTabShape.selected.cornerColor"), kSelCorner);
        addColor(QStringLiteral("TabBarTabShape.plusButton.regionColor"), kPlusRegion);
        addPen(QStringLiteral("TabBarTabShape.plusButton.borderPen"), kPlus);
        addColor(QStringLiteral("TabBarTabShape.plusButton.backgroundColor"), kPlus);

        tabBar = new QTabBar(&holder);
        tabBar->addTab(QStringLiteral("One"));
        tabBar->addTab(QStringLiteral("Two"));
        tabBar->resize(400, 30);
        // Keep the pointer away from the tabs.
        QCursor::setPos(tabBar->mapToGlobal(QPoint(1000, 1000)));
    }
    void TearDown() override { store()->clear(); }

    QStyleOptionTab tab(int index, QStyle::State state) const
    {
        QStyleOptionTab option;
        option.initFrom(tabBar);
        option.rect = tabBar->tabRect(index);
        option.state = state;
        option.text = tabBar->tabText(index);
        option.position = index == tabBar->count() - 1 ? QStyleOptionTab::End
                                                        : QStyleOptionTab::Beginning;
        return option;
    }

    QImage shape(const QStyleOptionTab& option)
    {
        return paint(tabBar->width(), tabBar->height(), [&](QPainter* p) {
            style.drawControl(QStyle::CE_TabBarTabShape, &option, p, tabBar);
        });
    }

    QWidget holder;
    QTabBar* tabBar = nullptr;
    KelStyle style;
};

TEST_F(KelStyleTabsTest, AddButtonInsideTheLastTab)
{
    holder.setProperty("addTabButtonVisible", true);
    const QStyleOptionTab option = tab(1, QStyle::State_Enabled);
    const QRect a = addTabButtonRect(tabBar);
    ASSERT_FALSE(a.isNull());
    const QRect r = option.rect;
    const QImage image = shape(option);

    // The tab's own shape ends 26 pixels before its rectangle does.
    EXPECT_EQ(pixel(image, r.right() - 26, r.center().y()), kTabBorder);
    EXPECT_EQ(pixel(image, r.right() - 27, r.center().y()), kTabFill);
    // The add button is an unselected tab of its own, with the plus sign 6 right and 8 down.
    EXPECT_EQ(pixel(image, a.left(), a.center().y()), kTabBorder);
    EXPECT_EQ(pixel(image, a.left() + 6 + 4, a.top() + 8 + 2), kPlus);
    EXPECT_EQ(pixel(image, a.left() + 6 + 2, a.top() + 8 + 4), kPlus);
    EXPECT_EQ(pixel(image, a.left() + 6 + 1, a.top() + 8 + 1), kTabFill);
    EXPECT_EQ(pixel(image, a.left() - 1, a.center().y()), kPlusRegion);

    // Hovering the add button does not light the tab, but lights the button.
    QCursor::setPos(tabBar->mapToGlobal(QPoint(a.left() + 2, a.top() + 3)));
    const QImage hovered = shape(option);
    EXPECT_EQ(pixel(hovered, r.right() - 27, r.center().y()), kTabFill);
    EXPECT_EQ(pixel(hovered, a.left() + 2, a.top() + 3), kTabHover);
}

} // namespace
