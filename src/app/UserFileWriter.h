#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;
class QImage;

// Writes a file of the user's so that a failure leaves the old file's bytes in place: the new
// content goes to a temporary file beside the target, is flushed and checked, and only then
// takes the target's place. QSaveFile alone does not do it: a write smaller than its buffer
// "succeeds", and commit() renames the temporary file over the target although the flush
// inside it failed (a full disk then empties the old file).
class UserFileWriter
{
public:
    // Writes the new content into `device`; on failure returns false and may set `reason`.
    using Producer = std::function<bool(QIODevice& device, QString& reason)>;

    // True when `path` holds the new content. Otherwise false, the file as it was, and
    // *reason (when given) says why in the system's words.
    static bool write(QString const& path, Producer const& produce, QString* reason = nullptr);
    static bool writeBytes(QString const& path, QByteArray const& bytes, QString* reason = nullptr);
    // Through QImageWriter in `format`. `quality` (0 to 100, negative: the format's default)
    // is used only by formats where it means picture quality; the others keep their normal
    // settings (PNG would read it as a compression level, 100 storing the pixels raw).
    static bool writeImage(QString const& path, QImage const& image, QByteArray const& format,
                           int quality = -1, QString* reason = nullptr);
    static bool qualityIsPictureQuality(QByteArray const& format);
};
