#include "io/picture/CachedFileView.h"

#include <algorithm>
#include <cstring>

namespace {

// Read on from where the last block ended: a walk going forward.
constexpr qint64 onwardBytes = qint64(64) << 10;
// Read at a place elsewhere: a walk that jumps (a directory, a strip's first bytes) takes little
// of each place, and jumps back and forth must not read a large block each time.
constexpr qint64 jumpBytes = qint64(4) << 10;

} // namespace

CachedFileView::CachedFileView(QIODevice& file) : m_file(file), m_size(file.size())
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool CachedFileView::fetch(qint64 at)
{
    if (at < 0 || at >= m_size)
        return false;
    const bool onward = at == m_blockStart + m_block.size();
    if (!m_file.seek(at)) {
        m_block.clear();
        return false;
    }
    m_block = m_file.read(std::min(onward ? onwardBytes : jumpBytes, m_size - at));
    m_blockStart = at;
    return !m_block.isEmpty();
}

qint64 CachedFileView::readData(char* data, qint64 maxSize)
{
    qint64 at = pos();
    qint64 done = 0;
    while (done < maxSize) {
        if (at < m_blockStart || at >= m_blockStart + m_block.size()) {
            // A read larger than a block goes to the file at once, held nowhere.
            if (maxSize - done >= onwardBytes) {
                if (!m_file.seek(at))
                    break;
                const qint64 read = m_file.read(data + done, maxSize - done);
                if (read > 0)
                    done += read;
                break;
            }
            if (!fetch(at))
                break;
        }
        const qint64 offset = at - m_blockStart;
        const qint64 count = std::min(maxSize - done, m_block.size() - offset);
        std::memcpy(data + done, m_block.constData() + offset, size_t(count));
        done += count;
        at += count;
    }
    return done;
}

qint64 CachedFileView::writeData(const char*, qint64)
{
    return -1;
}
