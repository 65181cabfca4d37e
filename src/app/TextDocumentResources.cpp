#include "app/TextDocumentResources.h"

#include "style/ResourcePaths.h"

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
    // Pixmaps belong to the window's thread; a document laid out elsewhere takes images.
    if (QThread::currentThread() != QCoreApplication::instance()->thread())
        return pixel;
    return QPixmap::fromImage(pixel);
}

} // namespace TextDocumentResources
