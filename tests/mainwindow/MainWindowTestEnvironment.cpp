#include "style/KelStyleConfig.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// One application for the run, settings and storage in temporary folders so that no test
// touches a real home, and the style store emptied before the application goes (as the
// program's post-routine does), so no pixmap outlives it.
class MainWindowTestEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_dataHome = new QTemporaryDir;
        m_configHome = new QTemporaryDir;
        qputenv("XDG_DATA_HOME", m_dataHome->path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_configHome->path().toLocal8Bit());
        if (!QApplication::instance())
            m_app = new QApplication(m_argc, m_argv);
    }

    void TearDown() override
    {
        KelStyleConfig::instance()->clear();
        delete m_app;
        m_app = nullptr;
        delete m_configHome;
        delete m_dataHome;
    }

private:
    int m_argc = 1;
    char m_name[16] = "test_mainwindow";
    char* m_argv[2] = {m_name, nullptr};
    QApplication* m_app = nullptr;
    QTemporaryDir* m_dataHome = nullptr;
    QTemporaryDir* m_configHome = nullptr;
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new MainWindowTestEnvironment);

} // namespace
