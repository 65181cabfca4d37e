#include "style/KelTitleBar.h"
#include "style/KelTitleBarButton.h"

#include "WidgetTestHelpers.h"

#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalSpy>
#include <QSpacerItem>
#include <QTest>
#include <QToolButton>

using namespace WidgetTestHelpers;

namespace {

class TitleBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        store()->add(QStringLiteral("titleBarButtonNormal"), solidPixmap(16, 16, QColor(10, 10, 10)));
        store()->add(QStringLiteral("titleBarButtonHover"), solidPixmap(16, 16, QColor(20, 20, 20)));
        store()->add(QStringLiteral("titleBarButtonPressed"), solidPixmap(16, 16, QColor(30, 30, 30)));
    }
    void TearDown() override { store()->clear(); }
};

} // namespace

TEST_F(TitleBarTest, BarIsAlways27HighAndHintsTheStoredSize)
{
    store()->add(QStringLiteral("KelTitleBar.sizeHint"), QSize(120, 27));
    QWidget parent;
    KelTitleBar bar(&parent);
    bar.addWidget(new QLabel(QStringLiteral("A rather tall label\nwith two lines")));
    EXPECT_EQ(bar.height(), 27);
    EXPECT_EQ(bar.minimumHeight(), 27);
    EXPECT_EQ(bar.maximumHeight(), 27);
    EXPECT_EQ(bar.sizeHint(), QSize(120, 27));
    EXPECT_EQ(bar.minimumSizeHint(), QSize(120, 27));

    const QMargins margins = bar.layout()->contentsMargins();
    EXPECT_EQ(margins, QMargins(0, 0, 0, 2));
}

TEST_F(TitleBarTest, MissingSizeHintKeyGivesInvalidHints)
{
    KelTitleBar bar(nullptr);
    EXPECT_FALSE(bar.sizeHint().isValid());
    EXPECT_FALSE(bar.minimumSizeHint().isValid());
}

TEST_F(TitleBarTest, ControlsKeepTheirOrderAndASpacerPushesTheRestRight)
{
    QWidget window;
    auto* outer = new QHBoxLayout(&window);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* bar = new KelTitleBar(&window);
    outer->addWidget(bar);

    auto* tool = new QToolButton;
    tool->setFixedSize(20, 20);
    auto* titleButton = new KelTitleBarButton(QStringLiteral("titleBarClose"));
    auto* plain = new QWidget;
    plain->setFixedSize(20, 20);
    bar->addToolButton(tool);
    bar->addSeparator();
    bar->addSpacerItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    bar->addTitleBarButton(titleButton);
    bar->addWidget(plain);

    auto* row = static_cast<QHBoxLayout*>(bar->layout());
    ASSERT_EQ(row->count(), 5);
    EXPECT_EQ(row->itemAt(0)->widget(), tool);
    auto* separator = qobject_cast<QFrame*>(row->itemAt(1)->widget());
    ASSERT_NE(separator, nullptr);
    EXPECT_EQ(separator->parentWidget(), bar);
    EXPECT_EQ(separator->frameStyle(), QFrame::VLine | QFrame::Sunken);
    EXPECT_NE(row->itemAt(2)->spacerItem(), nullptr);
    EXPECT_EQ(row->itemAt(3)->widget(), titleButton);
    EXPECT_EQ(row->itemAt(4)->widget(), plain);
    EXPECT_EQ(titleButton->parentWidget(), bar);

    window.resize(400, 27);
    window.show();
    window.layout()->activate();
    bar->layout()->activate();
    EXPECT_EQ(tool->x(), 0);
    EXPECT_EQ(plain->geometry().right(), 399);
    EXPECT_GT(titleButton->x(), 300);
}

TEST_F(TitleBarTest, BarPaintsTopBorderGradientBodyAndDoubleBottomBorder)
{
    const QColor top(200, 0, 0);
    const QColor from(0, 100, 0);
    const QColor to(0, 0, 100);
    const QColor bottom(0, 0, 250);
    store()->add(QStringLiteral("KelTitleBar.borderTopPen"), pen(top));
    store()->add(QStringLiteral("KelTitleBar.backgroundGradient"), gradient(from, to));
    store()->add(QStringLiteral("KelTitleBar.borderBottomPen"), pen(bottom));

    QWidget parent;
    KelTitleBar bar(&parent);
    bar.resize(200, 27);
    const QImage image = renderWidget(bar);

    for (int x : {0, 100, 199}) {
        EXPECT_EQ(pixel(image, x, 0), top) << x;
        EXPECT_EQ(pixel(image, x, 25), bottom) << x;
        EXPECT_EQ(pixel(image, x, 26), bottom) << x;
    }
    // The gradient runs from row 1 to row h - 3.
    const QColor first = pixel(image, 50, 1);
    const QColor last = pixel(image, 50, 24);
    EXPECT_LE(std::abs(first.green() - from.green()), 6);
    EXPECT_LE(std::abs(last.blue() - to.blue()), 6);
    EXPECT_GT(pixel(image, 50, 12).blue(), 30);
    EXPECT_GT(pixel(image, 50, 12).green(), 30);
}

TEST_F(TitleBarTest, ButtonHintsTheNormalPixmapSizeAndNeverTakesFocus)
{
    store()->add(QStringLiteral("titleBarClose"), solidPixmap(40, 40, Qt::white));
    KelTitleBarButton button(QStringLiteral("titleBarClose"));
    EXPECT_EQ(button.sizeHint(), QSize(16, 16));
    EXPECT_EQ(button.focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(button.pixmapName(), QStringLiteral("titleBarClose"));

    store()->clear();
    EXPECT_EQ(button.sizeHint(), QSize(0, 0));
}

TEST_F(TitleBarTest, ButtonStretchesBackgroundAndSymbolOverItsWholeSize)
{
    // A square symbol, transparent on the left half, opaque on the right.
    QPixmap symbol(16, 16);
    symbol.fill(Qt::transparent);
    {
        QPainter painter(&symbol);
        painter.fillRect(8, 0, 8, 16, QColor(250, 250, 0));
    }
    store()->add(QStringLiteral("titleBarHelp"), symbol);

    QWidget parent;
    KelTitleBarButton button(QStringLiteral("titleBarHelp"), &parent);
    button.resize(30, 20);
    QImage image = renderWidget(button);
    EXPECT_EQ(pixel(image, 2, 2), QColor(10, 10, 10));
    EXPECT_EQ(pixel(image, 2, 18), QColor(10, 10, 10));
    EXPECT_EQ(pixel(image, 20, 2), QColor(250, 250, 0));
    EXPECT_EQ(pixel(image, 29, 19), QColor(250, 250, 0));

    button.setDown(true);
    image = renderWidget(button);
    EXPECT_EQ(pixel(image, 2, 10), QColor(30, 30, 30));

    button.setDown(false);
    button.setAttribute(Qt::WA_UnderMouse, true);
    image = renderWidget(button);
    EXPECT_EQ(pixel(image, 2, 10), QColor(20, 20, 20));

    // Another symbol by name.
    store()->add(QStringLiteral("titleBarClose"), solidPixmap(4, 4, QColor(0, 250, 250)));
    button.setPixmapName(QStringLiteral("titleBarClose"));
    image = renderWidget(button);
    EXPECT_EQ(pixel(image, 2, 10), QColor(0, 250, 250));
}

TEST_F(TitleBarTest, ButtonWithAnUnknownSymbolShowsOnlyItsBackground)
{
    QWidget parent;
    KelTitleBarButton button(QStringLiteral("noSuchPixmap"), &parent);
    button.resize(16, 16);
    const QImage image = renderWidget(button);
    for (int y = 0; y < 16; y += 5) {
        for (int x = 0; x < 16; x += 5)
            EXPECT_EQ(pixel(image, x, y), QColor(10, 10, 10));
    }
}

TEST_F(TitleBarTest, ReleaseFarOutsideAfterPressStillClicks)
{
    QWidget parent;
    KelTitleBarButton button(QStringLiteral("titleBarClose"), &parent);
    button.setGeometry(10, 10, 16, 16);
    parent.resize(300, 300);
    parent.show();
    QSignalSpy clicked(&button, &QAbstractButton::clicked);

    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(button.isDown());
    QMouseEvent move(QEvent::MouseMove, QPointF(250, 250), button.mapToGlobal(QPointF(250, 250)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&button, &move);
    EXPECT_TRUE(button.isDown());
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(250, 250));
    EXPECT_EQ(clicked.count(), 1);
}
