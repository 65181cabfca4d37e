#include "style/KelStyleConfig.h"
#include "style/RealStyleFile.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include <memory>

namespace {

// One application for the run (unless another environment of this executable made it first),
// with settings and data homes in temporary folders and the build tree's "styles.xml" loaded.
class PanelTestEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_home = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(m_home->isValid());
        qputenv("XDG_DATA_HOME", (m_home->path() + QStringLiteral("/data")).toUtf8());
        qputenv("XDG_CONFIG_HOME", (m_home->path() + QStringLiteral("/config")).toUtf8());
        qputenv("HOME", m_home->path().toUtf8());
        if (!QApplication::instance())
            m_app = new QApplication(m_argc, m_argv);
        QCoreApplication::setOrganizationName(QStringLiteral("Marrowind"));
        QCoreApplication::setApplicationName(QStringLiteral("Vyx-Solenne"));
        QString error;
        EXPECT_TRUE(RealStyleFile::load(&error)) << error.toStdString();
    }

    void TearDown() override
    {
        if (m_app) {
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

const auto* const environment = ::testing::AddGlobalTestEnvironment(new PanelTestEnvironment);

} // namespace
