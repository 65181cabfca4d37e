#include "KelStyleTestSupport.h"

#include "style/KelTabWidget.h"
#include "style/KelTitleBarButton.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QSignalSpy>
#include <QStyle>

namespace {

class ResizeCounter : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            ++count;
        return false;
    }

    int count = 0;
};

class TabWidgetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KelStyleTest::addPixmap(QStringLiteral("titleBarButtonNormal"), 16, 16);
        for (const char* title : {"zero", "one", "two"})
            tabs.addTab(new QLabel(QLatin1String(title)), QLatin1String(title));
    }

    QTabBar::ButtonPosition side() const
    {
        return static_cast<QTabBar::ButtonPosition>(
            tabs.style()->styleHint(QStyle::SH_TabBar_CloseButtonPosition, nullptr, tabs.tabBar()));
    }

    KelTitleBarButton* closeButton(int index) const
    {
        return qobject_cast<KelTitleBarButton*>(tabs.tabBar()->tabButton(index, side()));
    }

    KelTabWidget tabs;
};

TEST_F(TabWidgetTest, ClosableTabGetsATitleBarCloseButton)
{
    tabs.setTabClosable(1, true);
    EXPECT_TRUE(tabs.isTabClosable(1));
    EXPECT_FALSE(tabs.isTabClosable(0));
    KelTitleBarButton* button = closeButton(1);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->pixmapName(), QStringLiteral("titleBarClose"));
    EXPECT_EQ(button->parentWidget(), tabs.tabBar());
    EXPECT_EQ(button->size(),
              QSize(tabs.style()->pixelMetric(QStyle::PM_TabCloseIndicatorWidth, nullptr, button),
                    tabs.style()->pixelMetric(QStyle::PM_TabCloseIndicatorHeight, nullptr,
                                              button)));
    EXPECT_EQ(closeButton(0), nullptr);
}

TEST_F(TabWidgetTest, CloseButtonRequestsClosingAndRemovesNothing)
{
    tabs.setTabClosable(2, true);
    QSignalSpy spy(&tabs, &QTabWidget::tabCloseRequested);
    closeButton(2)->click();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 2);
    EXPECT_EQ(tabs.count(), 3);
}

TEST_F(TabWidgetTest, IndexWithoutATabMakesNoButton)
{
    const int before = tabs.tabBar()->findChildren<KelTitleBarButton*>().size();
    tabs.setTabClosable(5, true);
    tabs.setTabClosable(-1, true);
    EXPECT_TRUE(tabs.isTabClosable(5));
    EXPECT_EQ(tabs.tabBar()->findChildren<KelTitleBarButton*>().size(), before);
}

TEST_F(TabWidgetTest, AddTabButtonVisibilityIsAPropertyAndRelaysTheBarOut)
{
    EXPECT_FALSE(tabs.isAddTabButtonVisible());
    EXPECT_FALSE(tabs.property("addTabButtonVisible").isValid());
    ResizeCounter counter;
    tabs.tabBar()->installEventFilter(&counter);

    tabs.setAddTabButtonVisible(false);
    EXPECT_EQ(counter.count, 0);

    tabs.setAddTabButtonVisible(true);
    EXPECT_TRUE(tabs.isAddTabButtonVisible());
    EXPECT_EQ(tabs.property("addTabButtonVisible"), QVariant(true));
    EXPECT_EQ(counter.count, 1);

    tabs.setAddTabButtonVisible(true);
    EXPECT_EQ(counter.count, 1);

    tabs.setAddTabButtonVisible(false);
    EXPECT_FALSE(tabs.isAddTabButtonVisible());
    EXPECT_EQ(counter.count, 2);
}

} // namespace
