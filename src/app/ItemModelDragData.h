#pragma once

#include <QByteArray>
#include <QString>

class QMimeData;

// Reads the drag data Qt's item views write ("application/x-qabstractitemmodeldatalist": row,
// column and role map per item), as the template trees and the node-type tree send it.
class ItemModelDragData
{
public:
    static QString mimeType();

    // The value of `role` in the last item that carries it; empty when none does or the
    // stream is damaged (what was read before the damage still counts).
    static QString lastValue(QByteArray const& encoded, int role);
    static QString lastValue(QMimeData const* data, int role);
};
