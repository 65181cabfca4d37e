#include "style/KelTagImageParser.h"

#include "style/KelStyleConfig.h"
#include "style/ResourcePaths.h"
#include "style/XmlStanza.h"

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

    const QPixmap pixmap(path);
    if (pixmap.isNull())
        return QVariant();
    return pixmap;
}
