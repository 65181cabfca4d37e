// An image file through the program's image layer, under each suffix the layer offers (the
// suffix picks the reader when the contents do not), with the file information asked first as
// the browser does. The readers run in the picture reader process: what is fuzzed here is the
// program's side (the request, the answer, the shared pictures), and that no input the reader
// meets, whatever it does there, ends the program.

#include "FuzzSupport.h"

#include "app/GflAdapter.h"
#include "io/picture/ImageLibrary.h"

#include <QFile>
#include <QStringList>

namespace {

QStringList s_paths;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::start(argc, argv, false);
    GflAdapter adapter;
    for (const QString& suffix : adapter.supportedFormatsSuffixes())
        s_paths.append(FuzzSupport::scratchFolder() + QStringLiteral("/input.") + suffix);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    if (s_paths.isEmpty())
        return 0;
    // One suffix per input, picked by the input itself, so every reader gets its share.
    const QString& path = s_paths.at(int(size ? data[size - 1] : 0) % s_paths.size());
    if (!FuzzSupport::writeFile(path, data, size))
        return 0;
    {
        // The last adapter closes the library's open file, so no input meets the previous one.
        GflAdapter adapter;
        adapter.checkSize(path);
        adapter.dpi(path);
        adapter.readImage(path);
    }
    QFile::remove(path);
    return 0;
}
