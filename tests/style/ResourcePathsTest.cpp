#include "style/ResourcePaths.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

TEST(ResourcePathsTest, FolderIsShareVyxSolenneBesideTheExecutablesFolder)
{
    const QString folder = ResourcePaths::resourcesFolder();

    QDir expected = QFileInfo(QCoreApplication::applicationFilePath()).absoluteDir();
    ASSERT_TRUE(expected.cdUp());
    EXPECT_EQ(folder, expected.absolutePath() + QStringLiteral("/share/vyx-solenne"));

    EXPECT_TRUE(QDir::isAbsolutePath(folder));
    EXPECT_FALSE(folder.contains(QStringLiteral("..")));
    EXPECT_FALSE(folder.endsWith(QLatin1Char('/')));
}
