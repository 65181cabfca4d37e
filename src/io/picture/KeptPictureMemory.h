#pragma once

#include <QtGlobal>

// The program's side of reusing the reader's shared memory: the memory of a large picture the
// program let go of is kept for the next whole picture its reader reads, so that the reader
// decodes into pages that already exist instead of fresh ones, which cost shared memory twice
// what they cost the heap. At most two are kept, the largest, within a picture at the cap; they
// are closed when their reader ends and after a while without reads. Any thread.
class KeptPictureMemory
{
public:
    // An answer's memory smaller than this is not kept (thumbnails, icons): it saves little, and
    // a folder's pictures would each hold a descriptor.
    static constexpr qint64 smallestKeptBytes = qint64(8) << 20;
    // How long kept memory waits for a read before it is freed.
    static constexpr int idleLimitMs = 30000;

    // The most kept at once, in bytes the memory holds: one picture at the cap.
    static qint64 boundBytes();

    // A reader started (its serial is unique for the program's life) and ended: what it left
    // kept is closed, and what it shared from now on is not kept.
    static void readerStarted(quint64 reader);
    static void readerEnded(quint64 reader);

    // `reader` answered a whole picture of `bytes`: the next is likely of its size (a pick after
    // a pick of a camera's photos).
    static void answered(quint64 reader, qint64 bytes);
    // Takes `file`, the memory of an answer of `reader` that the program no longer maps: kept for
    // that reader's next read only when the picture it answered last needs most of it (a small
    // picture after a panorama holds no panorama's memory), else closed.
    static void keep(quint64 reader, int file);
    // The largest memory kept for `reader`, now the caller's to close; -1 when none is.
    static int take(quint64 reader);

    // How many are kept now (tests).
    static int keptCount();
};
