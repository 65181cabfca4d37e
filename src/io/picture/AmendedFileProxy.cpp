#include "io/picture/AmendedFileProxy.h"

#include <cerrno>

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
