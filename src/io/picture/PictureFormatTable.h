#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

// The one list of the picture formats the program offers the image library, each with the
// header check of the program's own that a file must pass before that format's reader opens
// it. A format whose reader cannot be bounded by its header is not on the list, so no file ever
// reaches that reader.
class PictureFormatTable
{
public:
    // The check of a format's header; *heldOnOpen gets what the format's reader holds once it has
    // opened a file that passes (see OpenCost).
    using Check = bool (*)(QIODevice& file, QString* reason, qint64* heldOnOpen);

    struct Format {
        QByteArray name;        // the library's name of the format
        QByteArray description;
        QString kind;           // what its files are called in a refusal ("PNG file")
        Check walk = nullptr;
        // Its files hold straight alpha and its reader passes it on as it is.
        bool straightAlpha = false;
        // An error its reader reports after reading pixels means rows it could not read (the
        // WebP reader reports a first decode that fails and that it then does again).
        bool readerErrorIsDamage = true;
        // Its values are linear light, shown through the sRGB transfer as viewers show them.
        bool linearLight = false;

        // Whether the file passes the format's check; otherwise *reason says why. A file that
        // passes tells OpenCost what the format's reader will hold once it has opened it: a
        // reader opens only a file that passed.
        bool check(QIODevice& file, QString* reason) const;
    };

    static const QList<Format>& formats();
    // The entry of that name; null for a format not offered.
    static const Format* find(const QByteArray& name);
};
