#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

// What the user is told when a reader (the image library's or Qt's) refuses a file that passed
// the program's check of its format: what the program found, in the user's words and named by the
// format's kind, never the reader's terms nor the file's path. The reader's own words go to the
// log with the path.
class ReaderRefusal
{
public:
    // How far the reader got: its header, one of its images (counted from 1) or its pixels.
    enum class Stage { Header, Image, Pixels };

    // `format` is the image library's name of the format (empty when none is known); `file`, when
    // given, is looked at for what the program can name (a GIF without a colour table).
    static QString reason(const QByteArray& format, Stage stage, const QString& path, const QString& readerText,
                          QIODevice* file = nullptr, int image = 0);

    // The sentence of a file that no longer stands where it was picked.
    static QString missing();
};
