#pragma once

#include "nodeui/KelNGNodeGraphView.h"

// The application's node-graph view: it accepts node types dragged from the node dock, whose
// tree carries them under its own format, by handing the base view the same records under the
// item-model format.
class VyxNodeGraphView : public KelNGNodeGraphView
{
    Q_OBJECT

public:
    static inline const QString NodeItemsFormat = QStringLiteral("node_items_mimetype");

    explicit VyxNodeGraphView(QWidget* parent = nullptr);
    ~VyxNodeGraphView() override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
};
