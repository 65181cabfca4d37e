#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPair>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

// The one way the program decodes a picture from outside (a picked source picture, a dropped
// file, thumbnails, template and service icons, a description's pictures): in a reader process
// of its own, under a data limit and a time limit that follow the picture's header, so that
// whatever a reader does to hostile bytes ends as a refusal with a reason. Reads of several
// threads at once go to readers of their own; a reader is kept for the next picture. On the window's
// thread the read waits as the window wants (see setWait).
class PictureReader
{
public:
    using Layer = QPair<QRect, QImage>;

    // Through the image library, as a source picture: see PictureLayers::read.
    static QList<Layer> readLayers(const QString& path, const QByteArray& format, int wanted, QString* reason);
    // Through the image library: the picture's size and resolution; false with *reason.
    static bool readInformation(const QString& path, QSize* size, int* dpi, QString* reason);
    // Through Qt's raster readers, as PictureFile::read.
    static QImage readFile(const QString& path, QSize fitInto = QSize(), QSize* fullSize = nullptr,
                           QString* reason = nullptr);
    // A Photoshop or Targa file as LibraryPictureFile::read reads it.
    static QImage readLibraryFile(const QString& path, QSize* fullSize = nullptr, QString* reason = nullptr);
    // A thumbnail's picture in one request: as readFile reads it, and a file Qt's readers refuse
    // as readLibraryFile reads it; *reason is the refusal of Qt's readers.
    static QImage readThumbnail(const QString& path, QSize fitInto, QSize* fullSize = nullptr,
                                QString* reason = nullptr);
    // The cap of every picture from outside.
    static qint64 defaultPixelCap();
    // Bytes through Qt's raster readers, within `pixelCap` pixels; with a valid `fitInto` no
    // larger than that.
    static QImage readBytes(const QByteArray& bytes, qint64 pixelCap, QSize fitInto = QSize(),
                            QString* reason = nullptr);

    // How the window's thread waits: `work` does the read elsewhere and the wait ends when it
    // has; a wait the user ends calls `cancel` and may return at once, before `work` does (which
    // owns all it touches, and soon returns). Without one the read blocks the calling thread,
    // never longer than the time limit.
    using Wait = std::function<void(const std::function<void()>& work, const std::function<void()>& cancel)>;
    static void setWait(Wait wait);
    // While one lives, reads on the window's thread wait through the wait set (a pick, a drop);
    // other reads (icons while the window is built) block briefly as before.
    class WindowWait
    {
    public:
        WindowWait();
        ~WindowWait();
        WindowWait(const WindowWait&) = delete;
        WindowWait& operator=(const WindowWait&) = delete;
    };

    // The longest one read may take before the picture's header claims its pixels, in
    // milliseconds; each megapixel claimed adds to it (PictureReaderProcess::timeLimitFor).
    static int timeLimit();
    static void setTimeLimit(int milliseconds);
    // The reader executable: by default the one beside the program's own when it started.
    static QString program();
    static void setProgram(const QString& path);
    // Takes the reader beside the program now, its path and its file, which is held open: every
    // reader started later runs that file, even once an upgrade in place replaced it on disk.
    // Called at start-up (else the first read takes it).
    static void holdProgram();
    // Whether there is a reader to start; false with *reason naming the missing file.
    static bool programPresent(QString* reason = nullptr);
};
