#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

// The image formats the program can write a picture in, for a save dialog: each format once with
// all its spellings (jpeg and jpg, tiff and tif), the preferred one first, and which format a
// typed name asks for. A format that cannot hold the picture at its size (ICO at most 256 x 256)
// is not offered: its writer would silently store a scaled copy.
class ImageSaveFormats
{
public:
    // `preferred` is a format name as the preferences store it ("JPEG", "png"); matched without
    // regard to case, the writer's first format when it names none or one that cannot hold the
    // picture. `picture` is the size of the picture to write; an empty size leaves no format out.
    explicit ImageSaveFormats(QString const& preferred, QSize const& picture = QSize());

    // The writer's name of the preferred format.
    QByteArray preferredFormat() const { return m_preferred; }
    // The preferred format's name in lower case ("jpeg"): the proposed name's suffix and the first
    // pattern of the first filter, which a file dialog puts on the proposed name.
    QString preferredSuffix() const { return suffixOf(m_preferred); }
    // One filter a format, "%1 Image (*.%2 ...)", the preferred format first; the format's own
    // name is its first pattern ("*.jpeg *.jpg"), the preferred spelling in the preferred's.
    QStringList filters() const;
    // The offered formats' names, "BMP, JPEG, PNG", for a message.
    QString formatNames() const;
    // The format that a file suffix names; empty when it is not offered.
    QByteArray formatOfSuffix(QString const& suffix) const;
    // The format that one of filters() stands for; empty for any other text.
    QByteArray formatOfFilter(QString const& filter) const;
    // `path` as it is when its suffix names an offered format; otherwise with `format`'s suffix
    // appended (a name without a suffix, or with one that names no image format).
    QString completedPath(QString const& path, QByteArray const& format) const;
    // Why `path` cannot be written, for the user: its suffix names an image format that the
    // program cannot write, or one that cannot hold the picture. Empty when it can be written
    // (after completedPath()).
    QString refusal(QString const& path) const;

    // Whether the writer of `format` stores a picture of `size` as it is; otherwise *limit, when
    // given, says what the format holds.
    static bool holds(QByteArray const& format, QSize const& size, QString* limit = nullptr);

private:
    struct Format {
        QString name;         // for the filter, in capitals
        QStringList suffixes; // the format's own name first
    };
    int indexOfSuffix(QString const& suffix) const;
    QString suffixOf(QByteArray const& format) const;

    QList<Format> m_formats; // the preferred first
    QByteArray m_preferred;
    QSize m_picture;
};
