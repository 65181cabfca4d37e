#include "app/UserFileWriter.h"

#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

namespace {

bool fail(QString* reason, QString const& text)
{
    if (reason)
        *reason = text;
    return false;
}

// A write cut short (room for part of the buffer) fails without a reason; the next attempt on
// the rest meets the fault itself and names it. Tried again while each attempt gets further.
bool flush(QSaveFile& file)
{
    qint64 pending = file.bytesToWrite();
    while (!file.flush()) {
        if (file.bytesToWrite() >= pending)
            return false;
        pending = file.bytesToWrite();
    }
    return true;
}

} // namespace

bool UserFileWriter::write(QString const& path, Producer const& produce, QString* reason)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(reason, file.errorString());
    QString produceReason;
    const bool produced = produce(file, produceReason);
    // Flushed also after a failed production: the device's fault is then named.
    const bool flushed = flush(file);
    if (!produced || !flushed) {
        // The system's words first; the producer's own where the device saw no fault.
        const QString text = file.error() != QFileDevice::NoError || produceReason.isEmpty()
                                 ? file.errorString()
                                 : produceReason;
        file.cancelWriting();
        return fail(reason, text);
    }
    if (!file.commit())
        return fail(reason, file.errorString());
    return true;
}

bool UserFileWriter::writeBytes(QString const& path, QByteArray const& bytes, QString* reason)
{
    return write(
        path,
        [&bytes](QIODevice& device, QString&) {
            // The rest of a write cut short is written again: that attempt names the fault.
            for (qint64 done = 0; done < bytes.size();) {
                const qint64 written = device.write(bytes.constData() + done, bytes.size() - done);
                if (written <= 0)
                    return false;
                done += written;
            }
            return true;
        },
        reason);
}

bool UserFileWriter::qualityIsPictureQuality(QByteArray const& format)
{
    const QByteArray name = format.toLower();
    return name == "jpeg" || name == "jpg" || name == "webp";
}

bool UserFileWriter::writeImage(QString const& path, QImage const& image, QByteArray const& format,
                                int quality, QString* reason)
{
    return write(
        path,
        [&](QIODevice& device, QString& writerReason) {
            QImageWriter writer(&device, format);
            if (quality >= 0 && qualityIsPictureQuality(format))
                writer.setQuality(quality);
            if (writer.write(image))
                return true;
            writerReason = writer.errorString();
            return false;
        },
        reason);
}
