#include "nodeui/VyxNodeGraphView.h"

#include <QDragEnterEvent>
#include <QMimeData>

VyxNodeGraphView::VyxNodeGraphView(QWidget* parent)
    : KelNGNodeGraphView(parent)
{
}

VyxNodeGraphView::~VyxNodeGraphView() = default;

void VyxNodeGraphView::dragEnterEvent(QDragEnterEvent* event)
{
    QMimeData const* data = event->mimeData();
    QMimeData local;
    local.setData(QStringLiteral("application/x-qabstractitemmodeldatalist"),
                  data ? data->data(NodeItemsFormat) : QByteArray());
    QDragEnterEvent inner(event->position().toPoint(), event->possibleActions(), &local,
                          event->buttons(), event->modifiers());
    inner.ignore();
    if (data && data->hasFormat(NodeItemsFormat))
        KelNGNodeGraphView::dragEnterEvent(&inner);
    event->setAccepted(inner.isAccepted());
}
