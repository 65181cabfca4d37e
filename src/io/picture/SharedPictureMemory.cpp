#include "io/picture/SharedPictureMemory.h"

#include "io/picture/ReaderMemory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr qint64 pageBytes = 4096;

SharedPictureMemory* s_current = nullptr;

qint64 pageAligned(qint64 bytes)
{
    return (bytes + pageBytes - 1) / pageBytes * pageBytes;
}

struct Room {
    SharedPictureMemory* memory;
    uchar* address;
};

void giveBack(void* info)
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

bool SharedPictureMemory::reserve()
{
    if (m_base)
        return true;
    m_file = ::memfd_create("vyx-picture", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (m_file < 0)
        return false;
    // Address space only: a page holds memory once it is written. Room for every picture a read
    // may give (the layers and a composite, each at the cap) and what was given back on the way.
    for (const qint64 bytes : {qint64(16) << 30, qint64(4) << 30, qint64(1) << 30}) {
        if (::ftruncate(m_file, bytes) != 0)
            continue;
        void* mapped = ::mmap(nullptr, size_t(bytes), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_NORESERVE, m_file, 0);
        if (mapped != MAP_FAILED) {
            m_base = static_cast<uchar*>(mapped);
            m_reserved = bytes;
            return true;
        }
    }
    ::close(m_file);
    m_file = -1;
    return false;
}

uchar* SharedPictureMemory::allocate(qint64 bytes)
{
    if (bytes <= 0 || m_kept || !reserve())
        return nullptr;
    const qint64 length = pageAligned(bytes);
    if (m_end + length > m_reserved || !ReaderMemory::roomForShared(length))
        return nullptr;
    const qint64 offset = m_end;
    // Its pages made at once, as the decoder is about to write them all: faulting them in one by
    // one costs shared memory far more than the heap.
    ::madvise(m_base + offset, size_t(length), MADV_POPULATE_WRITE);
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
    uchar* room = allocate(lineBytes * size.height());
    if (!room)
        return QImage();
    return QImage(room, size.width(), size.height(), lineBytes, format, &giveBack, new Room{this, room});
}

qint64 SharedPictureMemory::offsetOf(const void* address, qint64 bytes) const
{
    const auto* at = static_cast<const uchar*>(address);
    if (!m_base || at < m_base || at + bytes > m_base + m_end || (at - m_base) % pageBytes != 0)
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
    // Sealed, so that the program's view of it can never shrink or change under it.
    if (::ftruncate(file, m_end) != 0
        || ::fcntl(file, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) != 0) {
        ::close(file);
        discard();
        return -1;
    }
    *size = m_end;
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
