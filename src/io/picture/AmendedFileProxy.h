#pragma once

#include <QtGlobal>

#include <OpenImageIO/filesystem.h>

#include <vector>

// An open file as one of the image library's readers reads it, with one byte shown as another:
// the reader is handed a sound file in the one form of it that it reads (see BitmapRunLengths).
class AmendedFileProxy final : public OIIO::Filesystem::IOProxy
{
public:
    // Reads the descriptor `descriptor` (left open) of a file of `size` bytes; the byte at `at`
    // reads as `shown`.
    AmendedFileProxy(int descriptor, qint64 size, qint64 at, unsigned char shown);

    const char* proxytype() const override { return "file"; }
    size_t read(void* buffer, size_t size) override;
    size_t pread(void* buffer, size_t size, int64_t offset) override;
    size_t size() const override { return size_t(m_size); }

private:
    // Reads from the file, the amended byte shown as it is to be.
    size_t readAmended(unsigned char* bytes, size_t size, int64_t offset) const;

    int m_descriptor = -1;
    qint64 m_size = 0;
    qint64 m_at = -1;
    unsigned char m_shown = 0;
    // The bitmap reader reads run lengths a byte or two a call: small reads are served from a block
    // read ahead, as a buffered file serves them, not by a call to the system each.
    std::vector<unsigned char> m_block;
    int64_t m_blockStart = 0;
};
