#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A copy of the program without its resources folder: it cannot load its look and feel even
// from its own folder, so it stops before any window with a reason and a failure code.
TEST(ProgramTest, WithoutResourcesItExitsWithCodeOneAndSaysWhy)
{
    QTemporaryDir install;
    QTemporaryDir home;
    ASSERT_TRUE(install.isValid() && home.isValid());
    ASSERT_TRUE(QDir(install.path()).mkpath("bin"));
    const QString program = install.filePath("bin/vyx-solenne");
    ASSERT_TRUE(QFile::copy(QStringLiteral(VYX_PROGRAM), program));

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
    environment.insert("XDG_DATA_HOME", home.filePath("data"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(home.path());
    process.start(program, {"--nosplash"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    const QString error = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_TRUE(error.contains("styles.xml")) << error.toStdString();

    // The first failure recorded where the program lives.
    QSettings settings(home.filePath("config/Marrowind/Vyx-Solenne.conf"), QSettings::IniFormat);
    EXPECT_EQ(settings.value("InstallDir").toString(), QFileInfo(program).absolutePath());
}

} // namespace
