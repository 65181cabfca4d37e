#pragma once

#include <QTreeWidget>

class KelNGObject;
class TwCore;

// The object editor's trees: in-place editing in column 0 only, and a project object dropped on
// another object's row reported as moveObject instead of any change to the tree.
class KelTreeWidget : public QTreeWidget
{
    Q_OBJECT

public:
    explicit KelTreeWidget(QWidget* parent = nullptr);

    using QTreeWidget::edit;

    // Without a core every drag is refused.
    TwCore* core = nullptr;

    KelNGObject* draggedObject() const { return m_dragged; }
    KelNGObject* dropTarget() const { return m_target; }

signals:
    void moveObject(KelNGObject* moved, KelNGObject* target);

protected:
    bool edit(QModelIndex const& index, QAbstractItemView::EditTrigger trigger,
              QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    KelNGObject* m_dragged = nullptr;
    KelNGObject* m_target = nullptr;
};
