#include "io/picture/PatchedFileProxy.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include <unistd.h>

PatchedFileProxy::PatchedFileProxy(int descriptor, qint64 fileSize, ReaderFilePatch patch, const std::string& name)
    : IOProxy(name, Read), m_descriptor(descriptor), m_fileSize(fileSize), m_patch(std::move(patch)),
      m_shownSize(m_patch.shownSize(fileSize))
{
}

size_t PatchedFileProxy::read(void* buffer, size_t size)
{
    const size_t read = pread(buffer, size, m_pos);
    m_pos += int64_t(read);
    return read;
}

size_t PatchedFileProxy::pread(void* buffer, size_t size, int64_t offset)
{
    if (offset < 0)
        return 0;
    auto* data = static_cast<char*>(buffer);
    const qint64 count = std::clamp<qint64>(m_shownSize - offset, 0, qint64(std::min<size_t>(size, size_t(1) << 40)));
    const qint64 own = std::clamp<qint64>(m_fileSize - offset, 0, count);
    qint64 done = 0;
    while (done < own) {
        const ssize_t got = ::pread(m_descriptor, data + done, size_t(own - done), off_t(offset + done));
        if (got <= 0)
            break;
        done += got;
    }
    // A file that ended early ends the view there.
    if (done < own) {
        m_patch.apply(data, offset, done);
        return size_t(done);
    }
    std::memset(data + done, 0, size_t(count - done));
    m_patch.apply(data, offset, count);
    return size_t(count);
}
