#pragma once

#include <QByteArray>
#include <QList>

class QIODevice;

// What a reader is shown of a file that passed its header check, where the file's own bytes
// would have the reader show less than its writer put in or hold more than the picture costs:
// - a GIF's logical screen enlarged to hold its first frame: the readers clip every frame to the
//   screen (or move it), while writers place frames past it and browsers show the first whole;
// - a TIFF whose first page is stored plane by plane with strips of more rows than the picture
//   (the format's default among them) given strips of the picture's rows: the image library's
//   reader sizes its buffer by the field, and cannot read deflated planes without it.
// Nothing for every other file. The file itself is never changed: its bytes are replaced as read.
class ReaderFilePatch
{
public:
    // The patch of the file on `file` (read from its start); empty when it needs none.
    static ReaderFilePatch of(QIODevice& file);
    // A TIFF whose first page holds RGB samples a plane each, in strips, shown as the grey picture
    // of its plane `plane` alone, in strips of at most the picture's rows: a reader of that plane
    // decodes it row after row, never going back in a compressed strip to read another plane's
    // row. Empty for a file of another kind, or of a compression or samples this does not show so.
    static ReaderFilePatch planeOf(QIODevice& file, int plane);

    bool isEmpty() const { return m_replaced.isEmpty(); }
    // The size of the file as shown, which may end past the file's own end.
    qint64 shownSize(qint64 fileSize) const;
    // Replaces, in `data` (the `count` bytes shown from `at`: the file's own, zeros past its end),
    // what the patch shows instead.
    void apply(char* data, qint64 at, qint64 count) const;

private:
    struct Replaced {
        qint64 at = 0;
        QByteArray bytes;
    };
    QList<Replaced> m_replaced;
};
