#include "mainwindow/TwMainWindow.h"
#include "mainwindow/VyxApplication.h"
#include "mainwindow/VyxStartup.h"

#include <QString>

#include <cstdio>

int main(int argc, char* argv[])
{
    VyxApplication application(argc, argv);
    int exitCode = 0;
    QString errorText;
    TwMainWindow* window = VyxStartup::start(application, &exitCode, &errorText);
    if (!window) {
        std::fprintf(stderr, "Vyx-Solenne: the look and feel could not be loaded. %s\n",
                     qPrintable(errorText));
        return exitCode;
    }
    VyxStartup::showMainWindow(window);
    exitCode = application.exec();
    application.setMainWindow(nullptr);
    delete window;
    return exitCode;
}
