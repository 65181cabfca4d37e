// The settings scope of the application, so that the web code reads and writes the settings
// the program would (inside the temporary config home the application tests' environment made).

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

class WebEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        QCoreApplication::setOrganizationName(QStringLiteral("Marrowind"));
        QCoreApplication::setOrganizationDomain(QStringLiteral("vyx-solenne.test"));
        QCoreApplication::setApplicationName(QStringLiteral("Vyx-Solenne"));
    }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new WebEnvironment);

} // namespace
