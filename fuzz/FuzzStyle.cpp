// A style file read into the style store, strictly and leniently. The reader reads only from the
// resources folder, so the input is written there for the run (and may include the real files).

#include "FuzzSupport.h"

#include "style/KelStyleConfig.h"
#include "style/KelStyleParser.h"
#include "style/ResourcePaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

QString s_fileName;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::start(argc, argv, true);
    s_fileName = QStringLiteral("fuzz-style-%1.xml").arg(QCoreApplication::applicationPid());
    QDir().mkpath(ResourcePaths::resourcesFolder());
    atexit([] {
        QFile::remove(ResourcePaths::resourcesFolder() + QLatin1Char('/') + s_fileName);
        KelStyleConfig::instance()->clear();
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    if (!FuzzSupport::writeFile(ResourcePaths::resourcesFolder() + QLatin1Char('/') + s_fileName,
                                data, size))
        return 0;
    for (bool lenient : {false, true}) {
        KelStyleConfig::instance()->clear();
        KelStyleParser parser;
        parser.load(s_fileName, *KelStyleConfig::instance(), lenient);
    }
    KelStyleConfig::instance()->clear();
    return 0;
}
