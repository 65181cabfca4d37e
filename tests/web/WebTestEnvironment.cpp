// The settings scope of the application and an in-memory keyring, so that the web code reads and writes the settings
// the program would (inside the temporary config home the application tests' environment made).

#include "MemoryKeyring.h"

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
        // Whatever a test builds, it never reaches the desktop's keyring.
        TwKeyring::setFactory([](QObject* parent) { return new MemoryKeyring(parent); });
    }
};

[[maybe_unused]] ::testing::Environment* const g_webEnvironment =
    ::testing::AddGlobalTestEnvironment(new WebEnvironment);

} // namespace
