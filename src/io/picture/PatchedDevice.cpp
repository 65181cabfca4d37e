#include "io/picture/PatchedDevice.h"

#include <algorithm>
#include <cstring>
#include <utility>

PatchedDevice::PatchedDevice(QIODevice& file, ReaderFilePatch patch)
    : m_file(file), m_patch(std::move(patch)), m_fileSize(file.size()), m_shownSize(m_patch.shownSize(m_fileSize))
{
    open(QIODevice::ReadOnly);
}

qint64 PatchedDevice::readData(char* data, qint64 maxSize)
{
    const qint64 at = pos();
    const qint64 count = std::clamp<qint64>(m_shownSize - at, 0, maxSize);
    const qint64 own = std::clamp<qint64>(m_fileSize - at, 0, count);
    qint64 read = 0;
    if (own > 0) {
        if (!m_file.seek(at))
            return -1;
        read = m_file.read(data, own);
        if (read < 0)
            return -1;
    }
    std::memset(data + read, 0, size_t(count - read));
    m_patch.apply(data, at, count);
    return count;
}

qint64 PatchedDevice::writeData(const char*, qint64)
{
    return -1;
}
