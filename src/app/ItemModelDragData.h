#pragma once

#include <QByteArray>
#include <QString>

class QMimeData;

// Reads the drag data Qt's item views write ("application/x-qabstractitemmodeldatalist": row,
// column and role map per item), as the template trees, the object tree and the node-type tree
// send it. Drags come from any program: the stream is read by hand, never through QVariant,
// whose reader recurses without limit and builds any registered type (pictures at full size).
// Only the values the program's own trees put are understood: texts, whole numbers and truth
// values are read as text, the text-alignment flags and icons are stepped over (an icon's
// pictures are walked chunk by chunk, never decoded); reading stops at the first value of any
// other type.
class ItemModelDragData
{
public:
    // Larger drag data is refused whole.
    static constexpr qsizetype maxBytes = qsizetype(4) << 20;

    static QString mimeType();

    // The value of `role` as text in the last item that carries it; empty when none does. The
    // stream is read until its end or the first damage or foreign value: the items read whole
    // before it still count.
    static QString lastValue(QByteArray const& encoded, int role);
    static QString lastValue(QMimeData const* data, int role);
};
