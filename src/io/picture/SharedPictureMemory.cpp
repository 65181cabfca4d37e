#include "io/picture/SharedPictureMemory.h"

#include "io/picture/ReaderMemory.h"

#include <algorithm>
#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 memoryPageBytes = 4096;

SharedPictureMemory* s_current = nullptr;

qint64 pageAligned(qint64 bytes)
{
    return (bytes + memoryPageBytes - 1) / memoryPageBytes * memoryPageBytes;
}

struct Room {
    SharedPictureMemory* memory;
    uchar* address;
};

void giveBackMemory(void* info)
{
    auto* room = static_cast<Room*>(info);
    room->memory->release(room->address);
    delete room;
}

} // namespace

SharedPictureMemory::~SharedPictureMemory()
{
    discard();
}

void SharedPictureMemory::adopt(int file)
{
    if (file < 0)
        return;
    const int seals = ::fcntl(file, F_GET_SEALS);
    struct stat status {};
    if (m_file >= 0 || seals < 0 || !(seals & F_SEAL_SHRINK)
        || (seals & (F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_FUTURE_WRITE)) || ::fstat(file, &status) != 0
        || status.st_size < 0 || status.st_size % memoryPageBytes != 0 || status.st_size > (qint64(4) << 30)) {
        ::close(file);
        return;
    }
    m_file = file;
    m_size = status.st_size;
    m_adopted = status.st_size;
}

bool SharedPictureMemory::reserve()
{
    if (m_base)
        return true;
    if (m_file < 0) {
        m_file = ::memfd_create("vyx-picture", MFD_CLOEXEC | MFD_ALLOW_SEALING);
        m_size = 0;
        m_adopted = 0;
    }
    if (m_file < 0)
        return false;
    // Address space only, past the piece's end (it grows as room is handed out): room for every
    // picture a read may give (the layers and a composite, each at the cap) and what was given
    // back on the way.
    for (const qint64 bytes : {qint64(16) << 30, qint64(4) << 30, qint64(1) << 30}) {
        if (bytes < m_size)
            continue;
        void* mapped = ::mmap(nullptr, size_t(bytes), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_NORESERVE, m_file, 0);
        if (mapped != MAP_FAILED) {
            m_base = static_cast<uchar*>(mapped);
            m_reserved = bytes;
            return true;
        }
    }
    discard();
    return false;
}

uchar* SharedPictureMemory::allocate(qint64 bytes, bool zeroed)
{
    if (bytes <= 0 || m_kept || !reserve())
        return nullptr;
    const qint64 length = pageAligned(bytes);
    if (m_end + length > m_reserved || !ReaderMemory::roomForShared(length))
        return nullptr;
    const qint64 offset = m_end;
    if (offset + length > m_size) {
        if (::ftruncate(m_file, offset + length) != 0)
            return nullptr;
        m_size = offset + length;
    }
    // Its pages made at once, as the decoder is about to write them all: faulting them in one by
    // one costs shared memory far more than the heap. Pages an earlier answer wrote are only
    // mapped, and cleared where the room must come zeroed.
    ::madvise(m_base + offset, size_t(length), MADV_POPULATE_WRITE);
    if (zeroed && offset < m_adopted)
        std::memset(m_base + offset, 0, size_t(std::min(length, m_adopted - offset)));
    m_end += length;
    m_rooms.emplace(offset, length);
    m_live += length;
    ReaderMemory::setSharedInUse(m_live);
    return m_base + offset;
}

bool SharedPictureMemory::release(const void* address)
{
    if (!m_base || address < m_base || address >= m_base + m_end)
        return false;
    if (m_kept)
        return true;
    const auto room = m_rooms.find(static_cast<const uchar*>(address) - m_base);
    if (room == m_rooms.end())
        return true;
    // Its pages are freed now: a picture given up on the way holds no memory.
    ::fallocate(m_file, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, room->first, room->second);
    m_live -= room->second;
    m_rooms.erase(room);
    ReaderMemory::setSharedInUse(m_live);
    return true;
}

QImage SharedPictureMemory::image(QSize size, QImage::Format format)
{
    if (size.isEmpty() || format == QImage::Format_Invalid)
        return QImage();
    const QImage shape(1, 1, format);
    const qint64 lineBytes = (qint64(size.width()) * shape.depth() + 31) / 32 * 4;
    // Cleared, as a new picture's pages come: a reader that leaves pixels unwritten shows none of
    // an earlier picture.
    uchar* room = allocate(lineBytes * size.height());
    if (!room)
        return QImage();
    return QImage(room, size.width(), size.height(), lineBytes, format, &giveBackMemory, new Room{this, room});
}

qint64 SharedPictureMemory::offsetOf(const void* address, qint64 bytes) const
{
    const auto* at = static_cast<const uchar*>(address);
    if (!m_base || at < m_base || at + bytes > m_base + m_end || (at - m_base) % memoryPageBytes != 0)
        return -1;
    return at - m_base;
}

int SharedPictureMemory::seal(qint64* size)
{
    *size = 0;
    if (!m_base)
        return -1;
    ::munmap(m_base, size_t(m_reserved));
    m_base = nullptr;
    const int file = m_file;
    m_file = -1;
    // Pages an earlier answer wrote past this one's pictures are freed: what the piece holds is
    // the answer.
    if (m_adopted > m_end)
        ::fallocate(file, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, m_end, m_adopted - m_end);
    // Sealed against shrinking, so that no page the program maps can vanish under it. Not against
    // writing or growing: the piece comes back to be decoded into again, and what the program
    // reads of it are pixels only (every size and place it checks against the piece's own size).
    const int seals = ::fcntl(file, F_GET_SEALS);
    if (seals < 0
        || (!(seals & F_SEAL_SHRINK) && ::fcntl(file, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_SEAL) != 0)) {
        ::close(file);
        discard();
        return -1;
    }
    *size = m_size;
    discard();
    return file;
}

void SharedPictureMemory::discard()
{
    if (m_base)
        ::munmap(m_base, size_t(m_reserved));
    if (m_file >= 0)
        ::close(m_file);
    m_base = nullptr;
    m_file = -1;
    m_reserved = 0;
    m_size = 0;
    m_adopted = 0;
    m_end = 0;
    m_live = 0;
    m_kept = false;
    m_rooms.clear();
    ReaderMemory::setSharedInUse(0);
}

void SharedPictureMemory::setCurrent(SharedPictureMemory* memory)
{
    s_current = memory;
}

SharedPictureMemory* SharedPictureMemory::current()
{
    return s_current;
}
