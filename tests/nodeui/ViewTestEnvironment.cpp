// One application object for the node-editor tests (made here unless one exists), private
// storage folders, and the build tree's real "styles.xml" in the style store.

#include "style/RealStyleFile.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

namespace {

class ViewTestEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", m_home->filePath(QStringLiteral("data")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_home->filePath(QStringLiteral("config")).toLocal8Bit());
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!QApplication::instance())
            m_app = new QApplication(m_argc, m_argv);
        QString error;
        if (!RealStyleFile::load(&error))
            ADD_FAILURE() << "styles.xml: " << error.toStdString();
    }

    void TearDown() override
    {
        if (m_app) {
            // No pixmap may outlive the application object.
            KelStyleConfig::instance()->clear();
            delete m_app;
            m_app = nullptr;
        }
        m_home.reset();
    }

private:
    int m_argc = 1;
    char m_name[12] = "test_nodeui";
    char* m_argv[2] = {m_name, nullptr};
    QApplication* m_app = nullptr;
    std::unique_ptr<QTemporaryDir> m_home;
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new ViewTestEnvironment);

} // namespace
