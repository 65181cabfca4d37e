#pragma once

#include <QByteArray>
#include <QIODevice>

// A file as the header checks read it: a part of it held in memory, so that a walk over a
// format's many small blocks (a GIF's sub-blocks, a PNG's chunks, a TIFF's strips) reads each
// part of the file once and moves in the file itself only between places far apart, never once
// a block. Seeking here costs nothing; the file is read from where the next byte is wanted.
class CachedFileView : public QIODevice
{
public:
    // Open for reading at its start; `file` must stay open while the view is used.
    explicit CachedFileView(QIODevice& file);

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_size; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    // Holds the file's bytes from `at` on; false when none are left there.
    bool fetch(qint64 at);

    QIODevice& m_file;
    qint64 m_size = 0;
    QByteArray m_block;
    qint64 m_blockStart = 0;
};
