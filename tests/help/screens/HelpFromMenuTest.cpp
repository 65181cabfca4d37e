// The help as a user opens it: from the Help menu of the real main window, in a real X server.

#include "HelpStage.h"

#include "HelpPageChecks.h"

#include "help/TwHelp.h"
#include "help/TwHelpBrowser.h"
#include "mainwindow/TwMainWindow.h"
#include "ui_MainWindow.h"

#include <QElapsedTimer>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace HelpPageChecks;

namespace {

TwHelp* openHelpFromTheMenu()
{
    TwMainWindow* window = HelpStage::window();
    QMenuBar* bar = window->form()->menubar;
    QMenu* menu = window->form()->menuHelp;
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window, 5000);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(menu->menuAction()).center());
    for (int i = 0; i < 100 && !menu->isVisible(); ++i)
        QTest::qWait(20);
    EXPECT_TRUE(menu->isVisible());
    QAction* help = window->form()->actionHelp;
    EXPECT_EQ(help->text(), QStringLiteral("Vyx-Solenne Help"));
    const QRect item = menu->actionGeometry(help);
    EXPECT_TRUE(item.isValid());
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, item.center());
    QTest::qWait(200);
    return window->findChild<TwHelp*>();
}

TEST(HelpFromTheMenu, ShowsTaskPagesWithRealPicturesAndReadableLinks)
{
    TwHelp* help = openHelpFromTheMenu();
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    QElapsedTimer clock;
    clock.start();
    QHelpContentModel* model = help->engine()->contentModel();
    while ((model->isCreatingContents() || model->rowCount() == 0) && clock.elapsed() < 20000)
        QTest::qWait(50);
    QTest::qWait(50);
    const QList<Entry> entries = contentsEntries(model);
    ASSERT_GE(entries.size(), 9);
    EXPECT_EQ(help->contentWidget()->currentIndex().data().toString(), QStringLiteral("Introduction"));

    // The links of the introduction: the style's colour, readable on the page.
    const QColor page = help->browser()->viewport()->palette().color(help->browser()->viewport()->backgroundRole());
    int anchors = 0;
    for (QTextBlock block = help->browser()->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().isAnchor()) {
                ++anchors;
                EXPECT_GE(contrast(it.fragment().charFormat().foreground().color(), page), 4.5);
            }
        }
    }
    EXPECT_GE(anchors, 8);

    // Each task page, chosen in the contents, shows its pictures.
    int taskPages = 0;
    for (Entry const& entry : entries) {
        if (entry.depth == 0)
            continue;
        SCOPED_TRACE(entry.title.toStdString());
        const QModelIndex index = help->contentWidget()->indexOf(entry.url);
        ASSERT_TRUE(index.isValid());
        help->contentWidget()->scrollTo(index);
        QTest::mouseClick(help->contentWidget()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          help->contentWidget()->visualRect(index).center());
        EXPECT_EQ(help->browser()->source(), entry.url);
        const QList<QUrl> pictures = HelpPageChecks::pictures(help->pageBytes(), entry.url);
        for (QUrl const& picture : pictures) {
            const QImage shown =
                help->browser()->document()->resource(QTextDocument::ImageResource, picture).value<QImage>();
            EXPECT_FALSE(shown.isNull()) << picture.toString().toStdString();
            EXPECT_EQ(pictureFault(help->engine()->fileData(picture)), QString()) << picture.toString().toStdString();
        }
        taskPages += pictures.isEmpty() ? 0 : 1;
    }
    EXPECT_GE(taskPages, 8);

    // A link followed in a page selects its page in the contents.
    emit help->browser()->anchorClicked(QUrl(QStringLiteral("preferences.html")));
    EXPECT_EQ(help->contentWidget()->currentIndex().data().toString(), QStringLiteral("Preferences"));
    help->close();
}

} // namespace
