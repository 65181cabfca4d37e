#include "style/KelTagImageParser.h"

#include "style/KelStyleConfig.h"
#include "style/ResourcePaths.h"
#include "style/XmlStanza.h"

#include "io/picture/RasterPictureReader.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>

QVariant KelTagImageParser::parse(XmlStanza const& element, KelStyleConfig const& config)
{
    // Pixmaps cannot exist without a GUI application.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QVariant();

    XmlAttributes const& attrs = element.tag().attrs();
    const QString name = attrs.value(QStringLiteral("name"));
    if (name.isEmpty())
        return QVariant();

    QString path = name;
    const QString prefix = attrs.value(QStringLiteral("prefix"));
    if (!prefix.isEmpty()) {
        // The folder is joined as written: it needs its own trailing "/".
        const QString folder = config.value<QString>(prefix);
        if (folder.isEmpty())
            return QVariant();
        path = ResourcePaths::resourcesFolder() + QLatin1Char('/') + folder + name;
        if (!QFileInfo::exists(path))
            return QVariant();
    }

    // The style file and its pictures come from outside: a pipe there must not hold start-up,
    // nor an SVG picture make Qt open the files it names.
    QFile file;
    if (!RasterPictureReader::openFile(path, &file, nullptr))
        return QVariant();
    RasterPictureReader reader(&file, QFileInfo(path).suffix());
    const QImage image = reader.read();
    if (image.isNull())
        return QVariant();
    return QPixmap::fromImage(image);
}
