#include "mainwindow/VyxStartup.h"

#include "dialogs/CSplashScreen.h"
#include "dialogs/WelcomeScreen.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/VyxApplication.h"
#include "app/KelAtomHolder.h"
#include "io/picture/PictureFile.h"
#include "io/picture/PictureReader.h"
#include "nodeui/KelParamAtomHolder.h"
#include "style/FontSubstitutions.h"
#include "style/KelStyle.h"
#include "style/KelStyleConfig.h"
#include "style/KelStyleParser.h"
#include "web/TwWebUtilities.h"

#include <QDir>
#include <QImageReader>
#include <QSettings>

namespace VyxStartup {

namespace {

// Pixmaps in the store must go before the application object.
void clearStyleStore()
{
    KelStyleConfig::instance()->clear();
}

} // namespace

TwMainWindow* start(VyxApplication& application, int* exitCode, QString* errorText)
{
    // Before anything can replace it on disk: the readers started later run this file.
    PictureReader::holdProgram();
    QCoreApplication::setOrganizationName(QStringLiteral("Marrowind"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("marrowind.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Vyx-Solenne"));
    qAddPostRoutine(clearStyleStore);

    QSettings settings;
    KelStyleParser parser;
    const QString styleFile = QStringLiteral("styles.xml");
    if (!KelStyleConfig::instance()->initialize(styleFile, &parser, false)) {
        const QString applicationDir = QCoreApplication::applicationDirPath();
        settings.setValue(QStringLiteral("InstallDir"), applicationDir);
        QDir::setCurrent(applicationDir);
        if (!KelStyleConfig::instance()->initialize(styleFile, &parser, false)) {
            if (exitCode)
                *exitCode = 1;
            if (errorText)
                *errorText = parser.errorText();
            return nullptr;
        }
    }
    FontSubstitutions::install();

    auto* style = new KelStyle;
    style->setCornerPixmap(KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("ApplicationLogo")));
    QApplication::setStyle(style);
    // Added, never replacing the defaults, which hold the system's image format plug-ins.
    QCoreApplication::addLibraryPath(
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../lib/vyx-solenne/plugins")));
    KelAtomHolder::setFactory(KelParamAtomHolder::factory());
    // Qt's reader refuses images above 256 MB by default (about 67 megapixels); pictures up to
    // the program's cap are read, and their size is checked before they are.
    QImageReader::setAllocationLimit(PictureFile::readerAllocationLimit());
    // The core the main window makes gets the web-service flows (update check, upload).
    TwWebUtilities::installAsWebFlows();

    const bool noSplash = application.arguments().contains(QStringLiteral("--nosplash"));
    CSplashScreen* splash = nullptr;
    if (!noSplash) {
        splash = new CSplashScreen(KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("splash")));
        splash->show();
        QCoreApplication::processEvents();
    }

    auto* window = new TwMainWindow(splash);
    application.setMainWindow(window);
    if (exitCode)
        *exitCode = 0;
    return window;
}

void showMainWindow(TwMainWindow* window)
{
    QSettings settings;
    const bool skipWelcome = settings.contains(QStringLiteral("DontShowWelcomeScreen"))
                             && settings.value(QStringLiteral("DontShowWelcomeScreen")).toBool();
    if (skipWelcome) {
        window->show();
        return;
    }
    auto* welcome = new WelcomeScreen(nullptr);
    QObject::connect(welcome, &WelcomeScreen::checkTemplatesRequested, window,
                     &TwMainWindow::on_actionCheckForTemplates_triggered, Qt::QueuedConnection);
    window->show();
    welcome->exec();
    delete welcome;
}

} // namespace VyxStartup
