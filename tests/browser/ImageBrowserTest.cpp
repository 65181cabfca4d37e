#include "browser/TestHome.h"

#include "browser/ImageBrowser.h"
#include "browser/VyxBrowserFileSystemModel.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <memory>

namespace {

class ImageBrowserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QSettings().remove(QStringLiteral("BrowserLocation"));
        pictures = TestHome::picturesFolder();
        album = pictures + QStringLiteral("/album");
        sub = album + QStringLiteral("/sub");
        ASSERT_TRUE(QDir().mkpath(sub));
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(album + QStringLiteral("/A.JPG"), "JPG"));
        ASSERT_TRUE(image.save(album + QStringLiteral("/b.jpg"), "JPG"));
        ASSERT_TRUE(image.save(album + QStringLiteral("/c.png")));
        ASSERT_TRUE(image.save(sub + QStringLiteral("/d.png")));
        browser = std::make_unique<ImageBrowser>();
    }

    void TearDown() override
    {
        browser.reset();
        QDir(album).removeRecursively();
        QSettings().remove(QStringLiteral("BrowserLocation"));
    }

    template<typename T>
    T* child(char const* name) const
    {
        T* widget = browser->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    QListView* strip() const { return child<QListView>("imageThumbnailsView"); }
    QTreeView* details() const { return child<QTreeView>("imageDetailsView"); }
    VyxBrowserFileSystemModel* model() const { return browser->fileModel(); }

    // Waits until the folder lists `rows` entries.
    void waitForRows(QString const& folder, int rows)
    {
        QElapsedTimer timer;
        timer.start();
        while (model()->rowCount(model()->index(folder)) < rows && timer.elapsed() < 10000)
            QTest::qWait(20);
        ASSERT_EQ(model()->rowCount(model()->index(folder)), rows) << folder.toStdString();
    }

    void open(QString const& folder) { browser->viewDoubleClicked(model()->index(folder)); }

    // Visible names under the strip's root.
    QStringList shownNames() const
    {
        QStringList names;
        const QModelIndex root = strip()->rootIndex();
        for (int row = 0; row < model()->rowCount(root); ++row) {
            if (!strip()->isRowHidden(row))
                names << model()->index(row, 0, root).data().toString();
        }
        names.sort(Qt::CaseInsensitive);
        return names;
    }

    QString pictures;
    QString album;
    QString sub;
    std::unique_ptr<ImageBrowser> browser;
};

TEST_F(ImageBrowserTest, FirstStartShowsThePicturesFolderAsAStrip)
{
    EXPECT_EQ(browser->currentPath(), pictures);
    EXPECT_FALSE(strip()->isHidden());
    EXPECT_TRUE(details()->isHidden());
    EXPECT_FALSE(child<QToolButton>("btBack")->isEnabled());
    EXPECT_FALSE(child<QToolButton>("btForward")->isEnabled());
    EXPECT_EQ(browser->history()->count(), 0);
    EXPECT_EQ(child<QComboBox>("comboBox")->currentIndex(), 0);
    EXPECT_EQ(child<QLineEdit>("lePath")->text(), "/Pictures");
    EXPECT_EQ(strip()->rootIndex(), model()->index(pictures));

    // The start folder is the place until a place is chosen.
    browser->on_upButton_clicked();
    EXPECT_EQ(browser->currentPath(), pictures);
    EXPECT_EQ(browser->history()->count(), 0);
}

TEST_F(ImageBrowserTest, UpClimbsButNeverLeavesThePlace)
{
    child<QComboBox>("comboBox")->setCurrentIndex(1); // Images
    EXPECT_EQ(browser->placePath(), pictures);
    EXPECT_EQ(browser->currentPath(), pictures);
    waitForRows(pictures, 1);
    open(album);
    waitForRows(album, 4);
    open(sub);
    EXPECT_EQ(browser->currentPath(), sub);
    EXPECT_EQ(child<QLineEdit>("lePath")->text(), "/album/sub");

    const QStringList expected{album, pictures, pictures};
    for (QString const& folder : expected) {
        browser->on_upButton_clicked();
        EXPECT_EQ(browser->currentPath(), folder);
    }
    EXPECT_EQ(browser->history()->count(), 5);
}

TEST_F(ImageBrowserTest, BackAndForwardReplayTheHistory)
{
    auto* back = child<QToolButton>("btBack");
    auto* forward = child<QToolButton>("btForward");
    open(album);
    waitForRows(album, 4);
    open(sub);
    EXPECT_TRUE(back->isEnabled());
    EXPECT_FALSE(forward->isEnabled());

    back->click();
    EXPECT_EQ(browser->currentPath(), album);
    EXPECT_TRUE(back->isEnabled());
    EXPECT_TRUE(forward->isEnabled());
    back->click();
    EXPECT_EQ(browser->currentPath(), pictures);
    EXPECT_FALSE(back->isEnabled());
    forward->click();
    forward->click();
    EXPECT_EQ(browser->currentPath(), sub);
    EXPECT_FALSE(forward->isEnabled());

    // Files are not folders: activating one does not navigate.
    waitForRows(sub, 1);
    browser->viewDoubleClicked(model()->index(sub + QStringLiteral("/d.png")));
    EXPECT_EQ(browser->currentPath(), sub);
    EXPECT_EQ(browser->history()->count(), 2);
}

TEST_F(ImageBrowserTest, FilterShowsMatchingNamesRegardlessOfCase)
{
    open(album);
    waitForRows(album, 4);
    auto* filter = child<QLineEdit>("lineEdit");
    QTest::keyClicks(filter, QStringLiteral("jp"));
    EXPECT_EQ(shownNames(), (QStringList{"A.JPG", "b.jpg"}));

    // Going back keeps the filter and applies it to the restored folder.
    open(sub);
    EXPECT_EQ(filter->text(), "");
    waitForRows(sub, 1);
    QTest::keyClicks(filter, QStringLiteral("C"));
    browser->history()->undo();
    EXPECT_EQ(filter->text(), "C");
    EXPECT_EQ(shownNames(), (QStringList{"c.png"}));
    // A navigation by redo clears it.
    browser->history()->redo();
    EXPECT_EQ(filter->text(), "");
    EXPECT_EQ(shownNames(), (QStringList{"d.png"}));
}

TEST_F(ImageBrowserTest, EachFileMadeCurrentIsAnnouncedOnce)
{
    open(album);
    waitForRows(album, 4);
    QSignalSpy images(browser.get(), &ImageBrowser::currentImageChanged);
    const QModelIndex root = strip()->rootIndex();
    QStringList announced;
    for (int row = 0; row < model()->rowCount(root); ++row)
        strip()->setCurrentIndex(model()->index(row, 0, root));
    for (QList<QVariant> const& args : std::as_const(images))
        announced << args.at(0).toString();
    announced.sort(Qt::CaseInsensitive);
    EXPECT_EQ(announced, (QStringList{album + "/A.JPG", album + "/b.jpg", album + "/c.png"}));

    // Arrow keys through the strip announce each file as it becomes current.
    browser->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(browser.get()));
    strip()->setFocus();
    strip()->setCurrentIndex(model()->index(0, 0, root));
    images.clear();
    int files = 0;
    for (int row = 1; row < model()->rowCount(root); ++row) {
        QTest::keyClick(strip(), Qt::Key_Right);
        ASSERT_EQ(strip()->currentIndex().row(), row);
        files += model()->isDir(strip()->currentIndex()) ? 0 : 1;
    }
    EXPECT_EQ(images.count(), files);
}

TEST_F(ImageBrowserTest, LocationSurvivesTheBrowser)
{
    open(album);
    browser.reset();
    EXPECT_EQ(QSettings().value(QStringLiteral("BrowserLocation")).toString(), album);
    browser = std::make_unique<ImageBrowser>();
    EXPECT_EQ(browser->currentPath(), album);
    EXPECT_EQ(strip()->rootIndex(), model()->index(album));
}

TEST_F(ImageBrowserTest, HistoryFolderDeletedSinceFallsBackToItsParent)
{
    open(album);
    waitForRows(album, 4);
    open(sub);
    browser->history()->undo();
    ASSERT_TRUE(QDir(sub).removeRecursively());
    browser->history()->redo();
    EXPECT_EQ(browser->currentPath(), album);
    EXPECT_EQ(strip()->rootIndex(), model()->index(album));
    browser->history()->undo();
    EXPECT_EQ(browser->currentPath(), album);
    browser->history()->undo();
    EXPECT_EQ(browser->currentPath(), pictures);
}

TEST_F(ImageBrowserTest, KeysGoBackUpAndDown)
{
    browser->show();
    browser->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(browser.get()));
    open(album);
    waitForRows(album, 4);

    // Details view: Down opens the current folder, Up climbs (within the start place).
    child<QToolButton>("btDetails")->click();
    ASSERT_TRUE(details()->isVisible());
    details()->setFocus();
    details()->setCurrentIndex(model()->index(sub));
    QTest::keyClick(details(), Qt::Key_Down);
    EXPECT_EQ(browser->currentPath(), sub);
    QTest::keyClick(details(), Qt::Key_Up);
    EXPECT_EQ(browser->currentPath(), album);

    // Backspace goes back window-wide, but not while typing in a text field.
    QTest::keyClick(child<QLineEdit>("lineEdit"), Qt::Key_Backspace);
    EXPECT_EQ(browser->currentPath(), album);
    details()->setFocus();
    QTest::keyClick(details(), Qt::Key_Backspace);
    EXPECT_EQ(browser->currentPath(), sub);
}

} // namespace
