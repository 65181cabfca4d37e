#include "ui_KelHelp.h"

#include "help/KelHelp.h"
#include "help/KelHelpBrowser.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString helpPageRoot = QStringLiteral("qthelp://org.marrowind.vyx-solenne/doc/");

TEST(KelHelpTest, OpensWithoutHistoryAndKeepsTheLastTwentyLinks)
{
    KelHelp help(nullptr, QStringLiteral("Toolkit Help"), QLatin1String("vyx-solenne_en.qhc"), QStringLiteral("Introduction"));
    // The first page is no history entry.
    EXPECT_TRUE(help.pageBytes().contains("<h1>Introduction</h1>"));
    EXPECT_TRUE(help.history().isEmpty());
    EXPECT_FALSE(help.ui()->backButton->isEnabled());
    EXPECT_FALSE(help.ui()->forwardButton->isEnabled());
    EXPECT_EQ(help.browser()->parentWidget()->parentWidget(), help.ui()->helpWidget);

    QList<QUrl> links;
    for (int i = 0; i < 21; ++i)
        links << QUrl(helpPageRoot + QStringLiteral("page%1.html").arg(i));
    for (QUrl const& link : std::as_const(links))
        help.linkActivated(link);
    ASSERT_EQ(help.history().size(), 20);
    EXPECT_FALSE(help.history().contains(links.first()));
    EXPECT_EQ(help.history().first(), links.at(1));
    EXPECT_EQ(help.history().last(), links.last());
    EXPECT_TRUE(help.ui()->backButton->isEnabled());
    EXPECT_FALSE(help.ui()->forwardButton->isEnabled());

    for (int step = 1; step <= 19; ++step) {
        help.ui()->backButton->click();
        EXPECT_EQ(help.backSteps(), step);
        EXPECT_EQ(help.browser()->source(), help.history().at(19 - step));
    }
    EXPECT_FALSE(help.ui()->backButton->isEnabled());
    EXPECT_TRUE(help.ui()->forwardButton->isEnabled());
    for (int extra = 0; extra < 5; ++extra)
        help.on_backButton_clicked();
    EXPECT_EQ(help.backSteps(), 20);

    help.on_forwardButton_clicked();
    EXPECT_EQ(help.backSteps(), 19);
    EXPECT_EQ(help.browser()->source(), help.history().first());

    // A link followed from an older page goes to the end and clears the way forward.
    const QUrl fresh(helpPageRoot + QStringLiteral("introduction.html"));
    help.linkActivated(fresh);
    EXPECT_EQ(help.backSteps(), 0);
    EXPECT_EQ(help.history().last(), fresh);
    EXPECT_EQ(help.history().size(), 20);
    EXPECT_FALSE(help.ui()->forwardButton->isEnabled());
    EXPECT_TRUE(help.ui()->backButton->isEnabled());
    help.ui()->backButton->click();
    EXPECT_EQ(help.browser()->source(), links.last());
}

} // namespace
