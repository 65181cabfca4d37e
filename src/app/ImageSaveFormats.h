#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The image formats the program can write, for a save dialog: each format once with all its
// spellings (jpg and jpeg, tif and tiff), the preferred one first, and which format a typed
// name asks for.
class ImageSaveFormats
{
public:
    // `preferred` is a format name as the preferences store it ("JPEG", "png"); matched without
    // regard to case, the writer's first format when it names none.
    explicit ImageSaveFormats(QString const& preferred);

    // The writer's name of the preferred format.
    QByteArray preferredFormat() const { return m_preferred; }
    // The first suffix of the first filter: the one a file dialog puts on a proposed name.
    QString preferredSuffix() const { return suffixOf(m_preferred); }
    // One filter a format, "%1 Image (*.%2 ...)", the preferred format first.
    QStringList filters() const;
    // The format that a file suffix names; empty when the program cannot write it.
    QByteArray formatOfSuffix(QString const& suffix) const;
    // The format that one of filters() stands for; empty for any other text.
    QByteArray formatOfFilter(QString const& filter) const;
    // `path` as it is when its suffix names a writable format; otherwise with the first suffix
    // of `format` appended (a name without a suffix, or with one no format has).
    QString completedPath(QString const& path, QByteArray const& format) const;

private:
    struct Format {
        QString name;         // for the filter, in capitals
        QStringList suffixes; // shortest first
    };
    int indexOfSuffix(QString const& suffix) const;
    QString suffixOf(QByteArray const& format) const;

    QList<Format> m_formats; // the preferred first
    QByteArray m_preferred;
};
