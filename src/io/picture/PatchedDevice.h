#pragma once

#include "io/picture/ReaderFilePatch.h"

#include <QIODevice>

// A file as a Qt reader is shown it: its own bytes, with a ReaderFilePatch applied as they are
// read.
class PatchedDevice : public QIODevice
{
public:
    // Open for reading at its start; `file` must stay open while this is used.
    PatchedDevice(QIODevice& file, ReaderFilePatch patch);

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_shownSize; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    QIODevice& m_file;
    ReaderFilePatch m_patch;
    qint64 m_fileSize = 0;
    qint64 m_shownSize = 0;
};
