#pragma once

#include <QImage>
#include <QSize>
#include <QtGlobal>

#include <map>

// The memory the picture reader process decodes an answer's pictures into: one piece of shared
// memory a request, which the program maps as it is, so that no picture is copied on its way.
// The piece may be one the program let go of and handed back, whose pages are then decoded into
// again. Room is handed out at page starts and never handed out twice; room given back before
// the answer is sent has its pages freed, and so have pages of a piece handed back that no room
// took. Room handed out counts against the reader's data limit as if it were its own heap. One
// thread.
class SharedPictureMemory
{
public:
    SharedPictureMemory() = default;
    ~SharedPictureMemory();
    SharedPictureMemory(const SharedPictureMemory&) = delete;
    SharedPictureMemory& operator=(const SharedPictureMemory&) = delete;

    // Decodes the next answer into `file`, a piece an earlier answer was shared in (taken over):
    // one that can shrink, or that cannot be written or grown, is closed and a new one is made.
    void adopt(int file);
    // Room of `bytes` at a page's start, zeroed unless `zeroed` is false (the decoder writes all
    // of it); null when none can be made or the read's limit has no room for it.
    uchar* allocate(qint64 bytes, bool zeroed = true);
    // Gives room back; false for an address not handed out here. Room given back once the
    // answer is sealed stays in it.
    bool release(const void* address);
    // An image over new room, given back when the last copy of the image goes.
    QImage image(QSize size, QImage::Format format);
    // Where the `bytes` at `address` lie in the piece, at a page's start; -1 when not there.
    qint64 offsetOf(const void* address, qint64 bytes) const;

    // From now on room given back stays as it is: the answer's pictures are in it.
    void keep() { m_kept = true; }
    // Ends the piece once every image over it is gone: every view of it here goes, pages no room
    // holds are freed, and it is sealed against shrinking. Its descriptor (the caller closes it)
    // and *size; -1 when there is none.
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
    // The piece's size, which grows with the room handed out, and what of it an earlier answer
    // had written.
    qint64 m_size = 0;
    qint64 m_adopted = 0;
    qint64 m_end = 0;
    qint64 m_live = 0;
    bool m_kept = false;
    // Room handed out and not given back: offset to length.
    std::map<qint64, qint64> m_rooms;
};
