#pragma once

// Item-model drag data made to hurt a reader, for the tests and the fuzz seed writer, written
// byte by byte in the layout Qt's item views use (per item: row, column, role map; a value is
// its type id, a null flag and its payload): Qt's own writer recurses as deep as a nested list.

#include "app/ItemModelDragData.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QMimeData>
#include <QPair>
#include <QString>
#include <QTreeWidget>
#include <Qt>
#include <QtEndian>

#include <memory>

namespace HostileDrags {

inline constexpr quint32 ListType = QMetaType::QVariantList;
inline constexpr quint32 StringType = QMetaType::QString;
inline constexpr quint32 ImageType = QMetaType::QImage;

inline void appendU32(QByteArray& bytes, quint32 value)
{
    char buffer[4];
    qToBigEndian<quint32>(value, buffer);
    bytes.append(buffer, 4);
}

inline QByteArray valueHeader(quint32 type)
{
    QByteArray bytes;
    appendU32(bytes, type);
    bytes += '\0';
    return bytes;
}

// A QString as the stream holds it: byte length, then UTF-16 big-endian.
inline QByteArray stringPayload(QString const& text)
{
    QByteArray bytes;
    appendU32(bytes, quint32(text.size() * 2));
    for (QChar c : text) {
        bytes += char(c.unicode() >> 8);
        bytes += char(c.unicode() & 0xff);
    }
    return bytes;
}

inline QByteArray stringValue(QString const& text)
{
    return valueHeader(StringType) + stringPayload(text);
}

// A list holding a list holding ... `levels` deep, the innermost empty.
inline QByteArray deepListValue(int levels)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(levels) * 9);
    for (int i = 0; i < levels; ++i) {
        bytes += valueHeader(ListType);
        appendU32(bytes, i + 1 < levels ? 1u : 0u);
    }
    return bytes;
}

// A picture value: the non-null marker, then the file as Qt's image writer streams it.
inline QByteArray imageValue(QByteArray const& png)
{
    QByteArray bytes = valueHeader(ImageType);
    appendU32(bytes, 1);
    return bytes + png;
}

// One item (row 0, column 0) with these roles and values, in this order.
inline QByteArray item(QList<QPair<int, QByteArray>> const& roles)
{
    QByteArray bytes;
    appendU32(bytes, 0);
    appendU32(bytes, 0);
    appendU32(bytes, quint32(roles.size()));
    for (auto const& role : roles) {
        appendU32(bytes, quint32(role.first));
        bytes += role.second;
    }
    return bytes;
}

// A dragged tree item whose display role holds `hostile` before its marker (the first user
// role) and its path or UUID (the next): a reader must get past it to find them.
inline QByteArray markedItem(QByteArray const& hostile, QString const& marker, QString const& path)
{
    return item({{Qt::DisplayRole, hostile}, {Qt::UserRole, stringValue(marker)}, {Qt::UserRole + 1, stringValue(path)}});
}

// A list nested 50,000 deep (450 KB).
inline QByteArray deepListDrag(QString const& marker, QString const& path, int levels = 50000)
{
    return markedItem(deepListValue(levels), marker, path);
}

// A picture carried in the drag (Qt's reader decodes it at its stated size).
inline QByteArray imageDrag(QByteArray const& png, QString const& marker, QString const& path)
{
    return markedItem(imageValue(png), marker, path);
}

// A picture of 4 x 3 pixels as a PNG file holds it.
inline QByteArray smallPng()
{
    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(0xff204060u);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// What the program's own drag of a tree's first item carries, every column of it: what the
// readers must keep accepting.
inline QByteArray treeDrag(QTreeWidget& tree)
{
    QModelIndexList indexes;
    for (int column = 0; column < tree.columnCount(); ++column)
        indexes.append(tree.model()->index(0, column));
    std::unique_ptr<QMimeData> data(tree.model()->mimeData(indexes));
    return data ? data->data(ItemModelDragData::mimeType()) : QByteArray();
}

} // namespace HostileDrags
