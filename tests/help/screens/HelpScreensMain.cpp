#include "HelpScenes.h"
#include "HelpStage.h"
#include "RoadSupport.h"

#include "app/TwCore.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/VyxApplication.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    QString shots;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--shots") == 0)
            shots = QString::fromLocal8Bit(argv[i + 1]);
    }
    if (shots.isEmpty())
        ::testing::InitGoogleTest(&argc, argv);

    int applicationArgc = 2;
    char noSplash[] = "--nosplash";
    char* applicationArgv[] = {argv[0], noSplash, nullptr};
    VyxApplication application(applicationArgc, applicationArgv);
    TwMainWindow* window = HelpStage::start(
        application, shots.isEmpty() ? QString() : QDir::tempPath() + QStringLiteral("/vyx-solenne-help"));
    if (!window)
        return 1;

    const int result = shots.isEmpty() ? RUN_ALL_TESTS() : (HelpScenes::photograph(shots) ? 0 : 1);

    Road::settle();
    window->core()->setModified(false);
    application.setMainWindow(nullptr);
    delete window;
    HelpStage::finish();
    return result;
}
