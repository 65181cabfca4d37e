#include "app/TextDocumentResources.h"

#include "io/picture/PictureReader.h"
#include "style/ResourcePaths.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QTextDocument>
#include <QThread>
#include <QUrl>

namespace TextDocumentResources {

namespace {

bool isInsideResourcesFolder(QString const& path)
{
    const QString folder = QFileInfo(ResourcePaths::resourcesFolder()).canonicalFilePath();
    if (folder.isEmpty())
        return false;
    // Only looked at, never opened: a named pipe there is still refused.
    const QFileInfo file(QDir::current().absoluteFilePath(path));
    const QString canonical = file.canonicalFilePath();
    return file.isFile() && canonical.startsWith(folder + QLatin1Char('/'));
}

// The bytes a data: URL holds.
QByteArray dataUrlBytes(QUrl const& url)
{
    const QByteArray text = url.toEncoded(QUrl::RemoveScheme);
    const qsizetype comma = text.indexOf(',');
    if (comma < 0)
        return QByteArray();
    const QByteArray header = QByteArray::fromPercentEncoding(text.left(comma)).trimmed().toLower();
    const QByteArray payload = QByteArray::fromPercentEncoding(text.mid(comma + 1));
    return header.endsWith(";base64") ? QByteArray::fromBase64(payload) : payload;
}

// Pixmaps belong to the window's thread; a document laid out elsewhere takes images.
QVariant pictureResource(QImage const& image)
{
    if (QThread::currentThread() != QCoreApplication::instance()->thread())
        return image;
    return QPixmap::fromImage(image);
}

} // namespace

bool mayLoad(QUrl const& url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("qrc") || scheme == QLatin1String("data"))
        return true;
    if (scheme == QLatin1String("file"))
        return isInsideResourcesFolder(url.toLocalFile());
    if (!scheme.isEmpty())
        return false;
    const QString path = url.path();
    if (path.startsWith(QLatin1Char(':')))
        return true;
    return !path.isEmpty() && isInsideResourcesFolder(path);
}

QVariant refused(int type)
{
    if (type != QTextDocument::ImageResource)
        return QString();
    QImage pixel(1, 1, QImage::Format_ARGB32);
    pixel.fill(Qt::transparent);
    return pictureResource(pixel);
}

QVariant load(int type, QUrl const& url)
{
    if (!mayLoad(url))
        return refused(type);
    if (type != QTextDocument::ImageResource || url.scheme().toLower() != QLatin1String("data"))
        return QVariant();
    const QImage image = PictureReader::readBytes(dataUrlBytes(url), PictureReader::defaultPixelCap());
    return image.isNull() ? refused(type) : pictureResource(image);
}

} // namespace TextDocumentResources
