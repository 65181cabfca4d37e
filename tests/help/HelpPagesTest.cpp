#include "HelpPageChecks.h"

#include "help/TwHelp.h"
#include "help/TwHelpBrowser.h"
#include "style/KelStyle.h"
#include "style/KelStyleConfig.h"

#include <QApplication>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

using namespace HelpPageChecks;

namespace {

void waitForContents(QHelpEngine* engine)
{
    QHelpContentModel* model = engine->contentModel();
    if (model->isCreatingContents() || model->rowCount() == 0) {
        QSignalSpy created(model, &QHelpContentModel::contentsCreated);
        EXPECT_TRUE(model->rowCount() > 0 || created.wait(10000));
    }
    QTest::qWait(20);
}

TEST(HelpPages, EveryPageOfTheContentsExistsWithRealPicturesAndLinksThatResolve)
{
    TwHelp help(nullptr, QStringLiteral("Introduction"));
    waitForContents(help.engine());
    const QList<Entry> entries = contentsEntries(help.engine()->contentModel());
    // The introduction and at least eight task pages below it.
    ASSERT_GE(entries.size(), 9);
    EXPECT_EQ(entries.first().title, QStringLiteral("Introduction"));

    QSet<QString> listed;
    for (Entry const& entry : entries)
        listed.insert(entry.url.path());
    for (Entry const& entry : entries) {
        SCOPED_TRACE(entry.title.toStdString());
        const QByteArray page = help.engine()->fileData(entry.url);
        ASSERT_FALSE(page.isEmpty());
        EXPECT_TRUE(page.contains(("<h1>" + entry.title + "</h1>").toUtf8()));
        const QList<QUrl> pictures = HelpPageChecks::pictures(page, entry.url);
        EXPECT_FALSE(pictures.isEmpty());
        for (QUrl const& picture : pictures) {
            const QByteArray data = help.engine()->fileData(picture);
            EXPECT_EQ(pictureFault(data), QString()) << picture.toString().toStdString();
            EXPECT_LT(data.size(), 150 * 1024) << picture.toString().toStdString();
        }
        for (QUrl const& link : HelpPageChecks::links(page, entry.url))
            EXPECT_TRUE(listed.contains(link.path())) << link.toString().toStdString();
    }
}

TEST(HelpPages, LinksContrastWithThePageInTheProgramsStyle)
{
    const QString previous = QApplication::style()->name();
    QApplication::setStyle(new KelStyle);
    {
        TwHelp help(nullptr, QStringLiteral("Introduction"));
        help.ensurePolished();
        help.browser()->ensurePolished();
        const QColor page = help.browser()->viewport()->palette().color(help.browser()->viewport()->backgroundRole());
        EXPECT_EQ(page, KelStyleConfig::instance()->value<QColor>(QStringLiteral("AppPalette.ScrollArea.baseColor")));

        int anchors = 0;
        for (QTextBlock block = help.browser()->document()->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat format = it.fragment().charFormat();
                if (!format.isAnchor() || format.anchorHref().isEmpty())
                    continue;
                ++anchors;
                const QColor link = format.foreground().color();
                EXPECT_EQ(link, KelStyleConfig::instance()->value<QColor>(TwHelpBrowser::linkColorKey()));
                EXPECT_GE(contrast(link, page), 4.5) << link.name().toStdString() << " on " << page.name().toStdString();
            }
        }
        EXPECT_GE(anchors, 8);
        // The text too.
        EXPECT_GE(contrast(help.browser()->palette().color(QPalette::Text), page), 4.5);
    }
    QApplication::setStyle(previous);
}

TEST(HelpPages, FollowingALinkSelectsItsPageInTheContents)
{
    TwHelp help(nullptr, QStringLiteral("Introduction"));
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    waitForContents(help.engine());
    QHelpContentWidget* contents = help.contentWidget();
    EXPECT_EQ(contents->currentIndex().data().toString(), QStringLiteral("Introduction"));

    const struct {
        QUrl link;
        QString selected;
    } cases[] = {
        {QUrl(QStringLiteral("project.html")), QStringLiteral("The Project Panel")},
        {QUrl(QStringLiteral("export.html#top")), QStringLiteral("Saving Sequences")},
        {QUrl(pageRoot + QStringLiteral("templates.html")), QStringLiteral("Templates")},
        {QUrl(QStringLiteral("introduction.html")), QStringLiteral("Introduction")},
        // A page outside the contents selects nothing.
        {QUrl(QStringLiteral("missing.html")), QString()},
    };
    for (auto const& c : cases) {
        emit help.browser()->anchorClicked(c.link);
        EXPECT_EQ(contents->currentIndex().data().toString(), c.selected) << c.link.toString().toStdString();
        EXPECT_EQ(contents->selectionModel()->selectedIndexes().size(), c.selected.isEmpty() ? 0 : 1);
    }
}

} // namespace
