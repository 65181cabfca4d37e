#include "help/TwHelp.h"
#include "help/TwHelpBrowser.h"

#include <QFileInfo>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

namespace {

const QString viewerPageRoot = QStringLiteral("qthelp://org.marrowind.vyx-solenne/doc/");

// Waits until the contents model has been built and the dialog has reacted to it.
void waitForViewerContents(QHelpEngine* engine)
{
    QHelpContentModel* model = engine->contentModel();
    if (model->isCreatingContents() || model->rowCount() == 0) {
        QSignalSpy created(model, &QHelpContentModel::contentsCreated);
        EXPECT_TRUE(model->rowCount() > 0 || created.wait(10000));
    }
    QTest::qWait(20);
}

int countPixels(QImage const& image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff) ? 1 : 0;
    return count;
}

TEST(TwHelpTest, OpensAtTheIntroductionWithItsStyleAndPicture)
{
    ASSERT_TRUE(QFileInfo::exists(TwHelp::defaultCollectionFile()));
    TwHelp help(nullptr, QStringLiteral("Introduction"));
    EXPECT_EQ(help.browser()->source(), QUrl(viewerPageRoot + "introduction.html"));
    EXPECT_TRUE(help.pageBytes().contains("<h1>Introduction</h1>"));
    EXPECT_TRUE(help.browser()->toPlainText().contains(QStringLiteral("Vyx-Solenne puts image effects")));

    // The relative style sheet reaches the page: its captions are italic.
    QTextBlock caption = help.browser()->document()->begin();
    while (caption.isValid() && !caption.text().startsWith(QStringLiteral("The main window:")))
        caption = caption.next();
    ASSERT_TRUE(caption.isValid());
    EXPECT_TRUE(caption.begin().fragment().charFormat().fontItalic());

    // The relative picture is loaded and drawn.
    const QUrl picture(viewerPageRoot + "images/main-window.png");
    const QImage loaded = help.browser()->document()->resource(QTextDocument::ImageResource, picture).value<QImage>();
    ASSERT_FALSE(loaded.isNull());
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    const QImage shot = help.browser()->viewport()->grab().toImage();
    const QRgb sample = loaded.pixel(loaded.width() / 2, loaded.height() / 2);
    EXPECT_GT(countPixels(shot, sample), 0);
}

TEST(TwHelpTest, ContentsExpandAndEntriesAndLinksShowTheirPages)
{
    TwHelp help(nullptr, QStringLiteral("Introduction"));
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    waitForViewerContents(help.engine());
    QHelpContentWidget* contents = help.contentWidget();
    QAbstractItemModel* model = contents->model();
    ASSERT_EQ(model->rowCount(), 1);
    const QModelIndex top = model->index(0, 0);
    EXPECT_EQ(top.data().toString(), "Introduction");
    EXPECT_TRUE(contents->isExpanded(top));
    ASSERT_EQ(model->rowCount(top), 9);

    QModelIndex exportEntry;
    for (int row = 0; row < model->rowCount(top); ++row) {
        if (model->index(row, 0, top).data().toString() == QStringLiteral("Saving Sequences"))
            exportEntry = model->index(row, 0, top);
    }
    ASSERT_TRUE(exportEntry.isValid());
    contents->scrollTo(exportEntry);
    QTest::mouseClick(contents->viewport(), Qt::LeftButton, {}, contents->visualRect(exportEntry).center());
    EXPECT_EQ(help.browser()->source(), QUrl(viewerPageRoot + "export.html"));
    EXPECT_TRUE(help.pageBytes().contains("<h1>Saving Sequences</h1>"));

    // A relative link clicked in the page opens its page; the view follows none by itself.
    emit help.browser()->anchorClicked(QUrl(QStringLiteral("preferences.html")));
    EXPECT_EQ(help.browser()->source(), QUrl(viewerPageRoot + "preferences.html"));
    EXPECT_TRUE(help.browser()->toPlainText().contains(QStringLiteral("Reset stores the defaults")));

    // A page the collection does not hold is empty.
    help.linkActivated(QUrl(viewerPageRoot + "missing.html"));
    EXPECT_TRUE(help.pageBytes().isEmpty());
    EXPECT_TRUE(help.browser()->toPlainText().isEmpty());
}

QStringList debugLines;

void collect(QtMsgType, QMessageLogContext const&, QString const& text)
{
    debugLines << text;
}

TEST(TwHelpTest, MissingCollectionOrUnknownIdentifierGivesEmptyViews)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("none.qhc"));
    debugLines.clear();
    QtMessageHandler previous = qInstallMessageHandler(collect);
    {
        TwHelp help(nullptr, QStringLiteral("Introduction"), missing);
        QTest::qWait(50);
        EXPECT_EQ(help.contentWidget()->model()->rowCount(), 0);
        EXPECT_TRUE(help.browser()->toPlainText().isEmpty());
        EXPECT_TRUE(help.pageBytes().isEmpty());
    }
    qInstallMessageHandler(previous);
    // The log names the path; the engine made no collection there.
    EXPECT_TRUE(debugLines.join('\n').contains(missing)) << debugLines.join('\n').toStdString();
    EXPECT_FALSE(QFileInfo::exists(missing));

    TwHelp unknown(nullptr, QStringLiteral("NoSuchIdentifier"));
    EXPECT_TRUE(unknown.browser()->toPlainText().isEmpty());
    EXPECT_TRUE(unknown.pageBytes().isEmpty());
}

} // namespace
