#include "BenchWindow.h"

#include "app/TwCore.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/VyxStartup.h"

#include <QSettings>

#include <cstring>

BenchWindow::BenchWindow(char const* program)
{
    std::strncpy(m_program, program, sizeof(m_program) - 1);
    qputenv("XDG_DATA_HOME", m_data.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Renders cancelled while a project is built report it; the figures are what counts.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "*.debug=false");

    m_application = std::make_unique<VyxApplication>(m_argc, m_argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Marrowind"));
    QCoreApplication::setApplicationName(QStringLiteral("Vyx-Solenne"));
    QSettings().setValue(QStringLiteral("DontShowWelcomeScreen"), true);

    int exitCode = 0;
    m_window = VyxStartup::start(*m_application, &exitCode, &m_errorText);
    if (m_window)
        VyxStartup::showMainWindow(m_window);
}

BenchWindow::~BenchWindow()
{
    if (!m_window)
        return;
    m_window->core()->setModified(false);
    m_window->clear();
    m_application->setMainWindow(nullptr);
    delete m_window;
}
