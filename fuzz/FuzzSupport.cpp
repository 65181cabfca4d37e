#include "FuzzSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

namespace FuzzSupport {

namespace {

std::unique_ptr<QTemporaryDir> s_scratch;
std::unique_ptr<QCoreApplication> s_application;

// Loaders report every fault they meet; at millions of inputs that is only noise.
void quietHandler(QtMsgType type, QMessageLogContext const&, QString const& message)
{
    if (type == QtFatalMsg) {
        fprintf(stderr, "%s\n", qPrintable(message));
        abort();
    }
}

} // namespace

void start(int* argc, char*** argv, bool widgets)
{
    if (s_application)
        return;
    s_scratch = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/vyx-fuzz-XXXXXX"));
    const QByteArray root = s_scratch->path().toLocal8Bit();
    // Nothing the loaders store may reach the user's own folders.
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"}) {
        const QByteArray folder = root + '/' + name;
        QDir().mkpath(QString::fromLocal8Bit(folder));
        qputenv(name, folder);
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("VYX_FUZZ_VERBOSE"))
        qInstallMessageHandler(quietHandler);
    if (widgets)
        s_application = std::make_unique<QApplication>(*argc, *argv);
    else
        s_application = std::make_unique<QGuiApplication>(*argc, *argv);
    atexit([] {
        s_application.reset();
        s_scratch.reset();
    });
}

QString scratchFolder()
{
    return s_scratch ? s_scratch->path() : QDir::tempPath();
}

bool writeFile(QString const& path, uint8_t const* data, size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(reinterpret_cast<char const*>(data), qint64(size)) == qint64(size);
}

} // namespace FuzzSupport
