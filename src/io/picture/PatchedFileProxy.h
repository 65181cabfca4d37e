#pragma once

#include "io/picture/ReaderFilePatch.h"

#include <OpenImageIO/filesystem.h>

#include <string>

// A file as the image library's reader is shown it: read from its open descriptor, with a
// ReaderFilePatch applied as it is read.
class PatchedFileProxy : public OIIO::Filesystem::IOProxy
{
public:
    // `descriptor` must stay open while the proxy is used; `name` is what the reader reports.
    PatchedFileProxy(int descriptor, qint64 fileSize, ReaderFilePatch patch, const std::string& name);

    const char* proxytype() const override { return "patched"; }
    size_t read(void* buffer, size_t size) override;
    size_t pread(void* buffer, size_t size, int64_t offset) override;
    size_t size() const override { return size_t(m_shownSize); }

private:
    int m_descriptor;
    qint64 m_fileSize;
    ReaderFilePatch m_patch;
    qint64 m_shownSize;
};
