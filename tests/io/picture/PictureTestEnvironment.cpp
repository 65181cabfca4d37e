// Qt's image readers find their plug-ins (TIFF, WebP, Targa) through the application object.

#include <QGuiApplication>

#include <gtest/gtest.h>

namespace {

class PictureTestEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "test_io_picture";
            static char* argv[] = {name, nullptr};
            m_application = new QGuiApplication(argc, argv);
        }
    }
    void TearDown() override
    {
        delete m_application;
        m_application = nullptr;
    }

private:
    QGuiApplication* m_application = nullptr;
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new PictureTestEnvironment);

} // namespace
