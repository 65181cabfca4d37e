#include "HelpTestEnvironment.h"

#include "style/RealStyleFile.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>

namespace {

QTemporaryDir* runHome = nullptr;

// One application for the run, in a home of its own: the browser reads the standard folders
// and writes settings.
class HelpTestEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        runHome = new QTemporaryDir;
        ASSERT_TRUE(runHome->isValid());
        const QString home = runHome->path();
        for (char const* sub : {"Pictures", "Desktop", "Documents", ".config", ".local/share"})
            ASSERT_TRUE(QDir(home).mkpath(QString::fromLatin1(sub)));
        qputenv("HOME", home.toUtf8());
        qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toUtf8());
        qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toUtf8());
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = new QApplication(m_argc, m_argv);
        QCoreApplication::setOrganizationName(QStringLiteral("Marrowind"));
        QCoreApplication::setOrganizationDomain(QStringLiteral("marrowind.test"));
        QCoreApplication::setApplicationName(QStringLiteral("Vyx-Solenne"));
        // Large photographs exceed Qt's default reader limit.
        QImageReader::setAllocationLimit(2048);
        QString error;
        ASSERT_TRUE(RealStyleFile::load(&error)) << error.toStdString();
    }

    void TearDown() override
    {
        KelStyleConfig::instance()->clear();
        delete m_app;
        m_app = nullptr;
        delete runHome;
        runHome = nullptr;
    }

private:
    int m_argc = 1;
    char m_name[10] = "test_help";
    char* m_argv[2] = {m_name, nullptr};
    QApplication* m_app = nullptr;
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new HelpTestEnvironment);

} // namespace

namespace HelpTest {

QString homeFolder()
{
    return runHome ? runHome->path() : QString();
}

QString picturesFolder()
{
    return homeFolder() + QStringLiteral("/Pictures");
}

} // namespace HelpTest
