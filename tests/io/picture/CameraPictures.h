#pragma once

// Camera-size pictures as the common tools write them, written on first use into one folder of the
// test run: ImageMagick's progressive JPEGs and planar TIFFs, oiiotool's progressive panoramas,
// cwebp's WebP, a PPM, and Photoshop files holding the thumbnail resource Photoshop writes
// (ImageMagick writes none, so their bytes are made here).
// Each picture runs from red at the top to blue at the bottom, over its whole width.

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include <OpenImageIO/imageio.h>

namespace CameraPictures {

// The colour of row `y` of `height` rows.
inline QRgb rowColour(int y, int height)
{
    const int blue = height > 1 ? (255 * y + (height - 1) / 2) / (height - 1) : 0;
    return qRgb(255 - blue, 0, blue);
}

inline QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

// ImageMagick's own convert: the one in PATH may stand in for it and pass its calls on.
inline QString convertProgram()
{
    return QFile::exists(QStringLiteral("/usr/bin/convert")) ? QStringLiteral("/usr/bin/convert")
                                                             : QStandardPaths::findExecutable(QStringLiteral("convert"));
}

// Runs a tool; empty when it ran well, else what went wrong.
inline QString run(const QString& program, const QStringList& arguments)
{
    if (program.isEmpty())
        return QStringLiteral("the tool is not installed (scripts/setup installs it)");
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    // The tools look for settings of their own at home: this run's folder stands in for it.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), folder().path());
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return program + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAll());
    return QString();
}

// ImageMagick's gradient at these sides, with room for the camera sizes in its resource limits.
inline QStringList gradient(int width, int height)
{
    return {QStringLiteral("-limit"), QStringLiteral("area"), QStringLiteral("1GP"),
            QStringLiteral("-limit"), QStringLiteral("memory"), QStringLiteral("1GiB"),
            QStringLiteral("-size"), QStringLiteral("%1x%2").arg(width).arg(height),
            QStringLiteral("gradient:#ff0000-#0000ff"), QStringLiteral("-depth"), QStringLiteral("8")};
}

// A progressive JPEG as `convert -interlace Plane` writes it; `sampling` is "4:4:4" or "4:2:0".
inline QString progressiveJpeg(int width, int height, const QString& sampling, QString* failure)
{
    const QString path = folder().filePath(QStringLiteral("progressive-%1x%2-%3.jpg")
                                               .arg(width).arg(height).arg(QString(sampling).remove(':')));
    if (!QFile::exists(path))
        *failure = run(convertProgram(), gradient(width, height)
                                             + QStringList{QStringLiteral("-interlace"), QStringLiteral("Plane"),
                                                           QStringLiteral("-sampling-factor"), sampling,
                                                           QStringLiteral("-quality"), QStringLiteral("90"), path});
    return path;
}

// RGB planes stored one after the other, as `convert -interlace Plane` writes a TIFF (and as
// scanners save their pages): strips of 416 rows at these sides, `compression` "Zip" (with its
// predictor) or "LZW", of `depth` bits a sample.
inline QString planarTiff(int width, int height, int depth, const QString& compression, QString* failure)
{
    const QString path = folder().filePath(QStringLiteral("planar-%1x%2-%3-%4.tif")
                                               .arg(width).arg(height).arg(depth).arg(compression));
    if (!QFile::exists(path))
        *failure = run(convertProgram(), gradient(width, height)
                                             + QStringList{QStringLiteral("-depth"), QString::number(depth),
                                                           QStringLiteral("-interlace"), QStringLiteral("Plane"),
                                                           QStringLiteral("-compress"), compression, path});
    return path;
}

// A progressive JPEG as oiiotool writes it (libjpeg's own scans), `sampling` "4:4:4" or "4:2:0";
// its sides may pass what ImageMagick's policy lets it write.
inline QString oiiotoolProgressiveJpeg(int width, int height, const QString& sampling, QString* failure)
{
    const QString path = folder().filePath(QStringLiteral("oiiotool-progressive-%1x%2-%3.jpg")
                                               .arg(width).arg(height).arg(QString(sampling).remove(':')));
    if (!QFile::exists(path))
        *failure = run(QStandardPaths::findExecutable(QStringLiteral("oiiotool")),
                       {QStringLiteral("--pattern:type=uint8"), QStringLiteral("fill:top=1,0,0:bottom=0,0,1"),
                        QStringLiteral("%1x%2").arg(width).arg(height), QStringLiteral("3"),
                        QStringLiteral("--attrib"), QStringLiteral("jpeg:progressive"), QStringLiteral("1"),
                        QStringLiteral("--attrib"), QStringLiteral("jpeg:subsampling"), sampling,
                        QStringLiteral("--compression"), QStringLiteral("jpeg:90"), QStringLiteral("-o"), path});
    return path;
}

// An 8-bit binary PPM, as netpbm's tools and ImageMagick write it.
inline QString ppm(int width, int height, QString* failure)
{
    const QString path = folder().filePath(QStringLiteral("camera-%1x%2.ppm").arg(width).arg(height));
    if (!QFile::exists(path))
        *failure = run(convertProgram(), gradient(width, height) + QStringList{QStringLiteral("PPM:") + path});
    return path;
}

// A GIF as ImageMagick writes it, its colours taken without dither.
inline QString gif(int width, int height, QString* failure)
{
    const QString path = folder().filePath(QStringLiteral("camera-%1x%2.gif").arg(width).arg(height));
    if (!QFile::exists(path))
        *failure = run(convertProgram(), gradient(width, height) + QStringList{QStringLiteral("+dither"), path});
    return path;
}

// The linear light a channel of 8-bit sRGB stands for.
inline float linearOf(int channel)
{
    const double encoded = channel / 255.0;
    return float(encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4));
}

// An OpenEXR picture of half-float RGBA in DWAB's chunks of 256 rows, as renderers write their
// panoramas (in linear light), by the image library's own writer.
inline QString openExr(int width, int height, QString* failure)
{
    const QString path = folder().filePath(QStringLiteral("panorama-%1x%2.exr").arg(width).arg(height));
    if (QFile::exists(path))
        return path;
    OIIO::ImageSpec spec(width, height, 4, OIIO::TypeDesc::HALF);
    spec.attribute("compression", "dwab");
    std::vector<float> pixels(size_t(width) * size_t(height) * 4);
    for (int y = 0; y < height; ++y) {
        const QRgb colour = rowColour(y, height);
        for (int x = 0; x < width; ++x) {
            float* pixel = &pixels[(size_t(y) * size_t(width) + size_t(x)) * 4];
            pixel[0] = linearOf(qRed(colour));
            pixel[1] = linearOf(qGreen(colour));
            pixel[2] = linearOf(qBlue(colour));
            pixel[3] = 1.0f;
        }
    }
    std::unique_ptr<OIIO::ImageOutput> out = OIIO::ImageOutput::create(path.toStdString());
    if (!out || !out->open(path.toStdString(), spec) || !out->write_image(OIIO::TypeDesc::FLOAT, pixels.data())
        || !out->close())
        *failure = QStringLiteral("cannot write ") + path;
    return path;
}

// A copy of `path` with `count` zero bytes after its end, as a file may be padded to look small to
// its header.
inline QString padded(const QString& path, qint64 count, QString* failure)
{
    const QString copy = folder().filePath(QStringLiteral("padded-%1-").arg(count) + QFileInfo(path).fileName());
    if (QFile::exists(copy))
        return copy;
    QFile in(path);
    QFile out(copy);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) || out.write(in.readAll()) < 0
        || !out.resize(out.size() + count))
        *failure = QStringLiteral("cannot write ") + copy;
    return copy;
}

// A lossy WebP as cwebp writes it from a PPM.
inline QString webp(int width, int height, QString* failure)
{
    const QString path = folder().filePath(QStringLiteral("camera-%1x%2.webp").arg(width).arg(height));
    if (QFile::exists(path))
        return path;
    const QString source = ppm(width, height, failure);
    if (failure->isEmpty())
        *failure = run(QStandardPaths::findExecutable(QStringLiteral("cwebp")),
                       {QStringLiteral("-quiet"), source, QStringLiteral("-o"), path});
    return path;
}

inline void putBig16(QByteArray& bytes, quint16 value)
{
    char b[2];
    qToBigEndian(value, b);
    bytes.append(b, 2);
}

inline void putBig32(QByteArray& bytes, quint32 value)
{
    char b[4];
    qToBigEndian(value, b);
    bytes.append(b, 4);
}

// One row in PackBits, as Photoshop compresses its channels: runs of a byte, and the bytes
// between them as they are.
inline QByteArray packBits(const uchar* row, int count)
{
    QByteArray out;
    int at = 0;
    while (at < count) {
        int run = 1;
        while (at + run < count && run < 128 && row[at + run] == row[at])
            ++run;
        if (run >= 2) {
            out.append(char(257 - run));
            out.append(char(row[at]));
            at += run;
            continue;
        }
        int literal = 1;
        while (at + literal < count && literal < 128
               && !(at + literal + 1 < count && row[at + literal] == row[at + literal + 1]))
            ++literal;
        out.append(char(literal - 1));
        out.append(reinterpret_cast<const char*>(row + at), literal);
        at += literal;
    }
    return out;
}

// The thumbnail resource (1036) as Photoshop writes it: its header, then a JFIF stream.
inline QByteArray thumbnailResource(const QImage& picture)
{
    const QImage thumbnail = picture.scaled(160, 120, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                 .convertToFormat(QImage::Format_RGB888);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    thumbnail.save(&buffer, "JPEG", 90);
    const quint32 rowBytes = (quint32(thumbnail.width()) * 24 + 31) / 32 * 4;
    QByteArray data;
    putBig32(data, 1); // a JPEG of RGB
    putBig32(data, quint32(thumbnail.width()));
    putBig32(data, quint32(thumbnail.height()));
    putBig32(data, rowBytes);
    putBig32(data, rowBytes * quint32(thumbnail.height()));
    putBig32(data, quint32(jpeg.size()));
    putBig16(data, 24);
    putBig16(data, 1);
    data.append(jpeg);
    QByteArray resource("8BIM");
    putBig16(resource, 1036);
    putBig16(resource, 0); // no name, padded to an even size
    putBig32(resource, quint32(data.size()));
    resource.append(data);
    if (data.size() % 2)
        resource.append('\0');
    return resource;
}

// A flattened RGB Photoshop file of `picture`'s pixels with its thumbnail resource, its channels
// compressed as Photoshop compresses them.
inline QByteArray photoshopFile(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    QByteArray file("8BPS");
    putBig16(file, 1);
    file.append(6, '\0');
    putBig16(file, 3);
    putBig32(file, quint32(rgb.height()));
    putBig32(file, quint32(rgb.width()));
    putBig16(file, 8);
    putBig16(file, 3);
    putBig32(file, 0); // no colour table
    QByteArray resources;
    // Resolution: 72 dpi both ways.
    resources.append("8BIM");
    putBig16(resources, 1005);
    putBig16(resources, 0);
    putBig32(resources, 16);
    for (int i = 0; i < 2; ++i) {
        putBig32(resources, 72u << 16);
        putBig16(resources, 1);
        putBig16(resources, 1);
    }
    resources.append(thumbnailResource(picture));
    putBig32(file, quint32(resources.size()));
    file.append(resources);
    putBig32(file, 0); // no layers
    putBig16(file, 1); // PackBits
    QList<QByteArray> rows;
    QByteArray channel(rgb.width(), '\0');
    for (int c = 0; c < 3; ++c) {
        for (int y = 0; y < rgb.height(); ++y) {
            const uchar* line = rgb.constScanLine(y);
            for (int x = 0; x < rgb.width(); ++x)
                channel[x] = char(line[x * 3 + c]);
            rows.append(packBits(reinterpret_cast<const uchar*>(channel.constData()), rgb.width()));
        }
    }
    for (const QByteArray& row : rows)
        putBig16(file, quint16(row.size()));
    for (const QByteArray& row : rows)
        file.append(row);
    return file;
}

inline QImage gradientPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(line, line + width, rowColour(y, height));
    }
    return image;
}

inline QString photoshop(int width, int height, QString* failure)
{
    const QString path = folder().filePath(QStringLiteral("thumbnailed-%1x%2.psd").arg(width).arg(height));
    if (QFile::exists(path))
        return path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(photoshopFile(gradientPicture(width, height))) < 0)
        *failure = QStringLiteral("cannot write ") + path;
    return path;
}

} // namespace CameraPictures
