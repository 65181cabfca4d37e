#pragma once

#include <QBuffer>

// A file in memory that counts how often a reader moves in it and reads from it: a walk whose
// reads grow with the blocks it passes, not with the bytes, shows in the counts.
class CountingDevice : public QBuffer
{
public:
    explicit CountingDevice(QByteArray const& bytes)
    {
        setData(bytes);
        open(QIODevice::ReadOnly);
    }

    bool seek(qint64 pos) override
    {
        ++seeks;
        return QBuffer::seek(pos);
    }
    // The reads and moves a walk over the whole file may take: a few for each 16 kB.
    qint64 calls() const { return seeks + reads; }
    qint64 linearBound() const { return size() / (16 << 10) + 32; }

    qint64 seeks = 0;
    qint64 reads = 0;

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        ++reads;
        return QBuffer::readData(data, maxSize);
    }
};
