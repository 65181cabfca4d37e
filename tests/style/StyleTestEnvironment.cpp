#include "style/KelStyleConfig.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace {

// One application object for the whole run: pixmaps need it. Its teardown drops the store's
// values first, as the program's post-routine does, so no pixmap outlives it.
class StyleTestEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = new QApplication(m_argc, m_argv);
    }

    void TearDown() override
    {
        KelStyleConfig::instance()->clear();
        delete m_app;
        m_app = nullptr;
    }

private:
    int m_argc = 1;
    char m_name[11] = "test_style";
    char* m_argv[2] = {m_name, nullptr};
    QApplication* m_app = nullptr;
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new StyleTestEnvironment);

} // namespace
