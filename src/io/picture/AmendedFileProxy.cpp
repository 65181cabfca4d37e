#include "io/picture/AmendedFileProxy.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

AmendedFileProxy::AmendedFileProxy(int descriptor, qint64 size, qint64 at, unsigned char shown)
    : IOProxy(std::string(), Read), m_descriptor(descriptor), m_size(size), m_at(at), m_shown(shown)
{
}

size_t AmendedFileProxy::read(void* buffer, size_t size)
{
    const size_t count = pread(buffer, size, m_pos);
    m_pos += int64_t(count);
    return count;
}

size_t AmendedFileProxy::pread(void* buffer, size_t size, int64_t offset)
{
    if (offset < 0)
        return 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    constexpr size_t blockBytes = 64 * 1024;
    if (size >= blockBytes)
        return readAmended(bytes, size, offset);
    const int64_t blockEnd = m_blockStart + int64_t(m_block.size());
    if (offset < m_blockStart || offset + int64_t(size) > blockEnd) {
        m_block.resize(blockBytes);
        m_block.resize(readAmended(m_block.data(), blockBytes, offset));
        m_blockStart = offset;
    }
    const size_t count = size_t(std::clamp<int64_t>(m_blockStart + int64_t(m_block.size()) - offset, 0, int64_t(size)));
    std::memcpy(bytes, m_block.data() + (offset - m_blockStart), count);
    return count;
}

size_t AmendedFileProxy::readAmended(unsigned char* bytes, size_t size, int64_t offset) const
{
    size_t count = 0;
    while (count < size) {
        const ssize_t got = ::pread(m_descriptor, bytes + count, size - count, off_t(offset + int64_t(count)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        count += size_t(got);
    }
    if (m_at >= offset && m_at < offset + int64_t(count))
        bytes[m_at - offset] = m_shown;
    return count;
}
