#pragma once

// What every fuzz target needs: an application object on the offscreen platform, private data
// and configuration folders, silenced debug output, and a scratch folder for the input file.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace FuzzSupport {

// Once per process, from LLVMFuzzerInitialize (or the replay main). `widgets`: a QApplication
// (pixmaps, message boxes), else a QGuiApplication.
void start(int* argc, char*** argv, bool widgets);

// A folder of this process, removed at exit.
QString scratchFolder();

// Writes the bytes to `path`, replacing the file; false when it cannot.
bool writeFile(QString const& path, uint8_t const* data, size_t size);

inline QByteArray bytes(uint8_t const* data, size_t size)
{
    return QByteArray(reinterpret_cast<char const*>(data), qsizetype(size));
}

} // namespace FuzzSupport
