#pragma once

#include <QComboBox>
#include <QPointer>

#include <functional>
#include <optional>
#include <utility>

class KelNGObject;
class QTreeWidget;
class QTreeWidgetItem;
class TwCore;

namespace KelNodes {
class NodeGraph;
}

// The object rows both project panels list in their trees: a row finds its object by UUID and
// shows visibility, name, node count, an editable opacity box and a blend-mode box. The panels
// turn the boxes' edits into their own undo commands.
//
// Only rows near the view have boxes (those shown and RowsAroundView either side): a row's two
// boxes cost more than all the rest of it, and Qt's own lists of timers and posted events grow
// with every widget, so boxes on every row made a large project cost the square of its size to
// open (and hundreds of kilobytes a row). Rows that come near the view by scrolling, resizing,
// showing or rows coming and going get theirs then.
class TwObjectRows
{
public:
    static constexpr int ObjectRowRole = Qt::UserRole + 1;
    static constexpr int OpacityColumn = 3;
    static constexpr int BlendColumn = 4;
    // The whole name behind a cell that shows it cut.
    static constexpr int FullNameRole = Qt::UserRole + 2;

    static constexpr int RowsAroundView = 48;

    // A setting edit to push: values are percentages or blend-mode ids.
    struct Change
    {
        KelNodes::NodeGraph* graph;
        int newValue;
        int oldValue;
    };

    // rowOf: the object's member that holds its row in this tree.
    TwObjectRows(TwCore* core, QTreeWidget* tree, QTreeWidgetItem* KelNGObject::*rowOf);
    ~TwObjectRows();
    TwObjectRows(TwObjectRows const&) = delete;
    TwObjectRows& operator=(TwObjectRows const&) = delete;

    // Connects the boxes of every row made from now on to the panel's slots.
    template <class Panel>
    void connectBoxesTo(Panel* panel, void (Panel::*opacityEdited)(QString const&),
                        void (Panel::*blendModeChosen)(int))
    {
        m_connect = [=](QComboBox* opacity, QComboBox* blend) {
            QObject::connect(opacity, &QComboBox::currentTextChanged, panel, opacityEdited);
            QObject::connect(opacity, &QComboBox::editTextChanged, panel, opacityEdited);
            QObject::connect(blend, &QComboBox::currentIndexChanged, panel, blendModeChosen);
        };
    }

    // A name from a project or a template is shown cut to one short line, its whole text kept
    // behind the cell (a tool tip shows more of it). Writing the name emits itemChanged once,
    // for the text, as a plain setText would.
    static void showName(QTreeWidgetItem* row, int column, QString const& name);
    // The name the cell stands for: the whole name while the cell still shows it as written,
    // else the text typed into the cell.
    static QString nameIn(QTreeWidgetItem const* row, int column);

    KelNGObject* objectOfRow(QTreeWidgetItem* row) const;
    // The object's row, made when missing: at TwCore::insertionIndexFor when asked (-1: at the
    // end), else appended.
    QTreeWidgetItem* ensureRow(KelNGObject* object, bool atInsertionIndex);
    // Makes the row when missing, gives it boxes when it has none (a moved row loses them), then
    // shows the object's values without emitting anything. Null for an object without graph.
    // While the window is shown, a tree that is not gets its boxes when it is.
    QTreeWidgetItem* update(KelNGObject* object);
    // Flips the visibility of the row's object and marks the edit; the object, or null.
    KelNGObject* toggleVisibility(QTreeWidgetItem* row);

    // What an edit of a box (the sender) asks for; nothing when it changes nothing. A number
    // outside 0..100 is refused and the row shows the kept value again.
    std::optional<Change> opacityChange(QObject* box, QString const& text);
    std::optional<Change> blendModeChange(QObject* box, int position);

    // While held, the tree is hidden: a row inserted into a shown tree lays out the boxes of
    // every row, so a batch of many objects would cost the square of their number. Releasing
    // shows the tree again (only when holding hid it) and gives the focus back.
    void holdLayout(bool hold);

    // Top-level rows that have their boxes.
    int rowsWithBoxes() const;

private:
    QTreeWidgetItem* rowOfBox(QObject* box, int column) const;
    void addBoxes(QTreeWidgetItem* row, KelNGObject* object);
    bool showsBoxes() const;
    // The top-level rows [first, last] near the view.
    std::pair<int, int> rowsNearView() const;
    bool isNearView(QTreeWidgetItem* row) const;
    void addBoxesNearView();
    // Once the tree's rows have settled (after the current model change).
    void addBoxesNearViewLater();

    TwCore* m_core;
    QTreeWidget* m_tree;
    QTreeWidgetItem* KelNGObject::*m_rowOf;
    std::function<void(QComboBox* opacity, QComboBox* blend)> m_connect;
    bool m_held = false;
    QPointer<QWidget> m_focusBeforeHold;
    QPointer<QObject> m_showWatcher;
    bool m_fillPosted = false;
};
