#pragma once

#include <QImage>
#include <QSize>
#include <QtGlobal>

#include <map>

// The memory the picture reader process decodes an answer's pictures into: one piece of shared
// memory a request, which the program maps as it is, so that no picture is copied on its way.
// Room is handed out at page starts and never handed out twice; room given back before the
// answer is sent has its pages freed. What the piece holds counts against the reader's data
// limit as if it were its own heap. One thread.
class SharedPictureMemory
{
public:
    SharedPictureMemory() = default;
    ~SharedPictureMemory();
    SharedPictureMemory(const SharedPictureMemory&) = delete;
    SharedPictureMemory& operator=(const SharedPictureMemory&) = delete;

    // Room of `bytes` at a page's start, zeroed; null when none can be made or the read's limit
    // has no room for it.
    uchar* allocate(qint64 bytes);
    // Gives room back; false for an address not handed out here. Room given back once the
    // answer is sealed stays in it.
    bool release(const void* address);
    // An image over new room, given back when the last copy of the image goes.
    QImage image(QSize size, QImage::Format format);
    // Where the `bytes` at `address` lie in the piece, at a page's start; -1 when not there.
    qint64 offsetOf(const void* address, qint64 bytes) const;

    // From now on room given back stays as it is: the answer's pictures are in it.
    void keep() { m_kept = true; }
    // Ends the piece once every image over it is gone: every view of it here goes, and it is
    // sealed. Its descriptor (the caller closes it) and *size; -1 when there is none.
    int seal(qint64* size);
    // Gives up the piece and all in it.
    void discard();

    // The piece the process's readers decode into while one is set: the image library's
    // bitmaps and Qt's pictures read whole (null: their own memory).
    static void setCurrent(SharedPictureMemory* memory);
    static SharedPictureMemory* current();

private:
    bool reserve();

    int m_file = -1;
    uchar* m_base = nullptr;
    qint64 m_reserved = 0;
    qint64 m_end = 0;
    qint64 m_live = 0;
    bool m_kept = false;
    // Room handed out and not given back: offset to length.
    std::map<qint64, qint64> m_rooms;
};
