// Drag and drop data from any program, through every reader the program has for it: the
// item-model records the template trees, the object tree and the node-graph views read (the
// node dock's format carries the same records), and the list of URLs the image view takes its
// file from.

#include "FuzzSupport.h"

#include "app/ItemModelDragData.h"

#include <QMimeData>
#include <QUrl>

namespace {

// Keeps the optimiser from dropping a result.
volatile size_t s_sink = 0;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::start(argc, argv, false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    QByteArray const bytes = FuzzSupport::bytes(data, size);
    for (int role : {int(Qt::DisplayRole), int(Qt::UserRole), int(Qt::UserRole) + 1})
        s_sink = s_sink + size_t(ItemModelDragData::lastValue(bytes, role).size());

    QMimeData mime;
    mime.setData(ItemModelDragData::mimeType(), bytes);
    mime.setData(QStringLiteral("text/uri-list"), bytes);
    s_sink = s_sink + size_t(ItemModelDragData::lastValue(&mime, Qt::UserRole).size());
    // The image view takes the first URL as a local path (the file itself is not the drag's).
    QList<QUrl> const urls = mime.urls();
    if (!urls.isEmpty())
        s_sink = s_sink + size_t(urls.first().toLocalFile().size());
    return 0;
}
