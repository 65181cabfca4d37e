// The reference web service on its own: prints its base URL and serves until stopped. Seeded
// with two effect templates, so that "Update Templates..." has something to install.

#include "ReferenceServer.h"
#include "SampleTemplates.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ReferenceServer server;
    if (!server.start()) {
        QTextStream(stderr) << "The reference server could not listen on 127.0.0.1.\n";
        return 1;
    }
    SampleTemplates::seed(server);
    QObject::connect(&server, &ReferenceServer::requestRecorded, [](QString const& call) {
        QTextStream(stdout) << "request: " << call << Qt::endl;
    });
    QTextStream(stdout) << server.baseUrl() << Qt::endl;
    return application.exec();
}
