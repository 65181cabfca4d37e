#include "app/ItemModelDragData.h"

#include <QDataStream>
#include <QMap>
#include <QMimeData>
#include <QVariant>

QString ItemModelDragData::mimeType()
{
    return QStringLiteral("application/x-qabstractitemmodeldatalist");
}

QString ItemModelDragData::lastValue(QByteArray const& encoded, int role)
{
    QString value;
    QDataStream stream(encoded);
    while (!stream.atEnd()) {
        int row = 0;
        int column = 0;
        QMap<int, QVariant> roles;
        stream >> row >> column >> roles;
        if (stream.status() != QDataStream::Ok)
            break;
        if (roles.contains(role))
            value = roles.value(role).toString();
    }
    return value;
}

QString ItemModelDragData::lastValue(QMimeData const* data, int role)
{
    if (!data || !data->hasFormat(mimeType()))
        return {};
    return lastValue(data->data(mimeType()), role);
}
