// The template database dialog in a real X server, listing the reference server's templates:
// photographed from the screen, the picture kept in the build tree, and checked by pixel (each
// row shows its decoded icon, the preview shows the current row's).

#include "refserver/ReferenceServer.h"
#include "refserver/SampleTemplates.h"

#include "app/TwCore.h"
#include "web/TwDatabaseDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <iostream>

namespace {

// Whether the screen holds the exact colour somewhere in the rectangle (global coordinates).
bool holds(QImage const& shot, QRect const& area, QColor const& colour)
{
    QRect const clipped = area.intersected(shot.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (shot.pixelColor(x, y) == colour)
                return true;
        }
    }
    return false;
}

TEST(DatabaseDialogScreenshot, RowsShowTheirDecodedIcons)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    ReferenceServer server;
    ASSERT_TRUE(server.start());
    SampleTemplates::seed(server);
    QSettings().setValue(QStringLiteral("WebService::BaseUrl"), server.baseUrl());

    TwCore core(nullptr);
    TwDatabaseDialog dialog(nullptr, &core);
    QSignalSpy idle(&dialog, &TwDatabaseDialog::idle);
    while (dialog.isBusy())
        ASSERT_TRUE(idle.wait(30000));
    auto* tree = dialog.findChild<QTreeWidget*>(QStringLiteral("treeWidget"));
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    // Current without being selected: a selected row tints its icon.
    tree->setCurrentItem(tree->topLevelItem(0), 0, QItemSelectionModel::NoUpdate);

    dialog.move(40, 40);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    // Let the window manager and the paint events settle before the photograph.
    QTest::qWait(300);
    QImage const shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
        QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    ASSERT_TRUE(shot.save(QStringLiteral(VYX_DATABASE_SCREENSHOT)));
    std::cout << "Screenshot: " << VYX_DATABASE_SCREENSHOT << std::endl;

    QWidget* viewport = tree->viewport();
    struct Row
    {
        int index;
        QColor icon;
    };
    for (Row const row : {Row{0, QColor(Qt::red)}, Row{1, QColor(Qt::blue)}}) {
        QRect rect = tree->visualItemRect(tree->topLevelItem(row.index));
        rect.setWidth(tree->columnWidth(0));
        QRect const global(viewport->mapToGlobal(rect.topLeft()), rect.size());
        EXPECT_TRUE(holds(shot, global, row.icon)) << "row " << row.index;
        EXPECT_FALSE(holds(shot, global, row.index == 0 ? QColor(Qt::blue) : QColor(Qt::red)))
            << "row " << row.index;
    }
    auto* preview = dialog.findChild<QLabel*>(QStringLiteral("iconLabel"));
    QPoint const centre = preview->mapToGlobal(preview->rect().center());
    EXPECT_EQ(shot.pixelColor(centre), QColor(Qt::red));
    EXPECT_EQ(tree->topLevelItem(1)->text(0), QStringLiteral("N\u00e9gatif"));
}

} // namespace

int main(int argc, char** argv)
{
    // Nothing below the real home folder.
    QTemporaryDir dataHome;
    QTemporaryDir configHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Marrowind"));
    QCoreApplication::setApplicationName(QStringLiteral("Vyx-Solenne"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
