#pragma once

#include "io/picture/ImageLibrary.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// Reads image files into Qt images through the image library: a file becomes a list of
// layers (rectangle on the canvas, straight-alpha ARGB32 image), one per page, frame or
// Photoshop layer. Short-lived: callers create one, use it and destroy it; the library is
// started with the first living adapter and stopped with the last. GUI thread only.
class GflAdapter : public QObject
{
    Q_OBJECT

public:
    struct Format {
        QString name;
        QString defaultSuffix;
        // Every suffix of the format, the default first.
        QStringList suffixes;
        QString description;
        bool writable = false;
    };

    using Layer = QPair<QRect, QImage>;

    explicit GflAdapter(QObject* parent = nullptr);
    ~GflAdapter() override;

    // Empty when nothing could be read (errorString() then says why). A layered Photoshop
    // file gives its layers without the composite; one without layers gives the composite.
    // With a positive `wanted`, at most that many layers: the file's later images are not
    // decoded nor walked over. Each image holds at most ImageLibrary::maxPixels pixels, and so
    // do the layers given together (a Photoshop composite is no layer); a file whose images
    // would hold more is refused before any is decoded.
    QList<QPair<QRect, QImage>> readImage(const QString& path, const QByteArray& format = QByteArray(),
                                          int wanted = -1);
    // Why the last readImage() gave no layers or the last writeImage() wrote nothing; empty
    // after a success.
    QString errorString() const { return m_errorString; }
    // The same without the file's name, for a message that names the file itself.
    QString errorReason() const { return m_errorReason; }

    // Every format of the library: png first, then jpeg, tiff, gif and bmp in library
    // order, then the rest in library order.
    QList<Format> supportedFormats() const;
    QStringList supportedFormatsSuffixes() const;

    static QImage bitmapToImage(const ImageLibrary::Bitmap& bitmap);
    // A new ARGB bitmap (no gap between rows); the caller frees it with ImageLibrary::freeBitmap.
    static ImageLibrary::Bitmap* imageToBitmap(const QImage& image);

    // Through QImageWriter; an empty format takes the path's suffix. True when written; a failed
    // write leaves an earlier file of that name as it was.
    bool writeImage(const QImage& image, const QString& path, QString format = QString());
    int dpi(const QString& path) const;
    QSize checkSize(const QString& path);
    static QImage fixPsdLayer(const QSize& size, const QImage& layer, const QPoint& position);

    QImage gaussianBlur(const QImage& image, int size);
    QImage blur(const QImage& image, int percentage);
    QImage soften(const QImage& image, int percentage);
    QImage average(const QImage& image, int size);
    QImage reduceNoise(const QImage& image);
    QImage embosMore(const QImage& image);
    QImage emboss(const QImage& image);
    QImage edgeDetectionHeavy(const QImage& image);
    QImage edgeDetectionMediaum(const QImage& image);
    QImage edgeDetectionLight(const QImage& image);
    QImage focusRestoration(const QImage& image);
    QImage enchanceFocus(const QImage& image);
    QImage enchanceDetail(const QImage& image);
    QImage autoLevels(const QImage& image);
    QImage equalize(const QImage& image);
    QImage normalize(const QImage& image);
    QImage logCorrection(const QImage& image);
    QImage autoContrast(const QImage& image);

    // One pixel of each bitmap layout as 0xAARRGGBB; the pointer is the pixel's first byte.
    // A set bit is white, a clear one black, both opaque.
    static QRgb fromBinaryPixel(unsigned char byte, int bit);
    static QRgb fromGrayPixel(const unsigned char* pixel);
    static QRgb fromColorPixel(unsigned char index, const ImageLibrary::ColorMap& colorMap);
    static QRgb fromRGBPixel(const unsigned char* pixel);
    static QRgb fromRGBAPixel(const unsigned char* pixel);
    static QRgb fromBGRPixel(const unsigned char* pixel);
    static QRgb fromABGRPixel(const unsigned char* pixel);
    static QRgb fromBGRAPixel(const unsigned char* pixel);
    static QRgb fromARGBPixel(const unsigned char* pixel);
    static QRgb fromCMYKPixel(const unsigned char* pixel);

    static int instanceCount();

private:
    template<typename Filter>
    QImage filtered(const QImage& image, Filter filter);

    void setError(QString const& path, QString const& reason, bool reading);

    QString m_errorString;
    QString m_errorReason;
};
