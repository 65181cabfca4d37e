#include "browser/TestHome.h"

#include "app/UserFileWriter.h"
#include "browser/ChangePathCommand.h"
#include "browser/ImageBrowser.h"
#include "browser/ThumbnailLoader.h"
#include "browser/VyxBrowserFileSystemModel.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <atomic>
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

TEST_F(ImageBrowserTest, UpClimbsButNeverLeavesThePlace)
{
    // First start: the pictures folder as a strip, which is the place until one is chosen.
    EXPECT_EQ(browser->currentPath(), pictures);
    EXPECT_EQ(child<QLineEdit>("lePath")->text(), "/Pictures");
    EXPECT_EQ(strip()->rootIndex(), model()->index(pictures));
    browser->on_upButton_clicked();
    EXPECT_EQ(browser->currentPath(), pictures);
    EXPECT_EQ(browser->history()->count(), 0);

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

// A look at a folder on a mount that stopped answering does not return: the remembered folder is
// handed to the file model as it is, and the browser shows it without a look of its own.
std::atomic<int> s_folderLooks{0};

bool unansweringMount(QString const&)
{
    ++s_folderLooks;
    return true;
}

TEST_F(ImageBrowserTest, ARememberedFolderIsHandedOnWithoutALookOfItsOwn)
{
    browser.reset();
    QSettings().setValue(QStringLiteral("BrowserLocation"), sub);
    s_folderLooks = 0;
    ChangePathCommand::setFolderTest(&unansweringMount);
    browser = std::make_unique<ImageBrowser>();
    browser->show();
    ChangePathCommand::setFolderTest(nullptr);
    EXPECT_EQ(s_folderLooks, 0) << "the start looked at the folder on the window's thread";
    EXPECT_TRUE(browser->isVisible());
    EXPECT_EQ(browser->currentPath(), sub);
    EXPECT_EQ(strip()->rootIndex(), model()->index(sub));
    waitForRows(sub, 1);
}

// A folder gone since it was remembered or listed shows its nearest existing parent, never the
// process's working folder (which would then be remembered in its place).
TEST_F(ImageBrowserTest, GoneStartFolderOrPlaceShowsItsNearestParent)
{
    struct Case {
        QString remembered;
        QString shown;
    };
    const QList<Case> cases{{album + QStringLiteral("/gone/deeper"), album},
                            {QStringLiteral("."), pictures},
                            {QString(), pictures}};
    for (Case const& c : cases) {
        SCOPED_TRACE(c.remembered.toStdString());
        browser.reset();
        QSettings().setValue(QStringLiteral("BrowserLocation"), c.remembered);
        browser = std::make_unique<ImageBrowser>();
        EXPECT_EQ(browser->currentPath(), c.shown);
        EXPECT_EQ(strip()->rootIndex(), model()->index(c.shown));
        browser.reset();
        EXPECT_EQ(QSettings().value(QStringLiteral("BrowserLocation")).toString(), c.shown);
        browser = std::make_unique<ImageBrowser>();
    }

    // The Desktop place vanishes after the list was made.
    const QString home = TestHome::homeFolder();
    auto* places = child<QComboBox>("comboBox");
    ASSERT_EQ(places->itemText(2), QStringLiteral("Desktop"));
    ASSERT_TRUE(QDir(home).rmdir(QStringLiteral("Desktop")));
    places->setCurrentIndex(2);
    EXPECT_EQ(browser->currentPath(), home);
    EXPECT_EQ(strip()->rootIndex(), model()->index(home));
    ASSERT_TRUE(QDir(home).mkdir(QStringLiteral("Desktop")));
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

    // Backspace goes back while the browser has the focus, but not while typing in a text field.
    QTest::keyClick(child<QLineEdit>("lineEdit"), Qt::Key_Backspace);
    EXPECT_EQ(browser->currentPath(), album);
    details()->setFocus();
    QTest::keyClick(details(), Qt::Key_Backspace);
    EXPECT_EQ(browser->currentPath(), sub);
}

// Save Image over a picture the browser shows (written as the program writes a user's file): the
// row shows the new picture's thumbnail and size, each time it is written again.
TEST_F(ImageBrowserTest, APictureWrittenAgainShowsItsNewThumbnailAndSize)
{
    browser->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(browser.get()));
    open(album);
    waitForRows(album, 4);
    child<QToolButton>("btDetails")->click();
    const QString path = album + QStringLiteral("/c.png");
    ASSERT_TRUE(model()->index(path).isValid());

    // What the details list and the strip paint; they ask again as the model announces changes.
    auto shown = [&](QSize size, QRgb colour) {
        for (int i = 0; i < 500; ++i) {
            const QModelIndex row = model()->index(path);
            details()->viewport()->grab();
            strip()->viewport()->grab();
            const QImage thumb = row.data(Qt::DecorationRole).value<QIcon>().pixmap(QSize(120, 80)).toImage();
            if (row.siblingAtColumn(2).data().toString() == QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())
                && thumb.pixel(60, 40) == colour)
                return true;
            QTest::qWait(20);
        }
        return false;
    };
    ASSERT_TRUE(shown(QSize(8, 6), qRgb(255, 0, 0)));

    const struct {
        QSize size;
        QRgb colour;
    } versions[] = {{{30, 20}, qRgb(0, 0, 255)}, {{7, 5}, qRgb(0, 255, 0)}, {{8, 6}, qRgb(255, 255, 0)}};
    for (auto const& version : versions) {
        QImage image(version.size, QImage::Format_RGB32);
        image.fill(version.colour);
        ASSERT_TRUE(UserFileWriter::writeImage(path, image, "png"));
        EXPECT_TRUE(shown(version.size, version.colour))
            << version.size.width() << " x " << version.size.height() << " shows "
            << model()->index(path, 2).data().toString().toStdString();
    }
}

// A focusable neighbour of the browser in the same window that keeps the keys it gets.
class KeySink : public QWidget
{
public:
    KeySink() { setFocusPolicy(Qt::StrongFocus); }
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys.append(event->key()); }
};

struct BackspaceCase
{
    const char* name;
    bool inBrowser;
};

void PrintTo(BackspaceCase const& row, std::ostream* out)
{
    *out << row.name;
}

class ImageBrowserBackspace : public ImageBrowserTest, public ::testing::WithParamInterface<BackspaceCase>
{
};

TEST_P(ImageBrowserBackspace, GoesBackOnlyWhileTheBrowserHasTheFocus)
{
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    layout->addWidget(browser.get());
    auto* sink = new KeySink;
    layout->addWidget(sink);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    open(album);
    waitForRows(album, 4);
    open(sub);

    QWidget* target = GetParam().inBrowser ? static_cast<QWidget*>(strip()) : sink;
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Backspace);
    EXPECT_EQ(browser->currentPath(), GetParam().inBrowser ? album : sub);
    EXPECT_EQ(sink->keys, GetParam().inBrowser ? QList<int>() : QList<int>{Qt::Key_Backspace});
    // The fixture deletes the browser.
    browser->setParent(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Focus, ImageBrowserBackspace,
                         ::testing::Values(BackspaceCase{"InTheBrowser", true},
                                           BackspaceCase{"BesideTheBrowser", false}),
                         [](auto const& info) { return std::string(info.param.name); });

} // namespace
