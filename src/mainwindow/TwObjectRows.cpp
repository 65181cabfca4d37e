#include "mainwindow/TwObjectRows.h"

#include "app/KelNGObject.h"
#include "app/ShownText.h"
#include "app/TwCore.h"
#include "app/TwMainWindowInterface.h"
#include "app/TwUndoKeysPassThrough.h"
#include "mainwindow/TwObjectSettings.h"
#include "nodes/NodeGraph.h"
#include "style/KelStyleConfig.h"

#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <algorithm>

namespace {

QIcon visibilityIcon(bool disabled)
{
    return QIcon(KelStyleConfig::instance()->value<QPixmap>(
        disabled ? QStringLiteral("invisible") : QStringLiteral("visible")));
}

} // namespace

void TwObjectRows::showName(QTreeWidgetItem* row, int column, QString const& name)
{
    {
        // The slots that read the cell see the new text only together with its whole name.
        QSignalBlocker blocker(row->treeWidget());
        row->setData(column, FullNameRole, name);
        row->setToolTip(column, ShownText::toolTip(name));
    }
    row->setText(column, ShownText::name(name));
}

QString TwObjectRows::nameIn(QTreeWidgetItem const* row, int column)
{
    const QString shown = row->text(column);
    const QString full = row->data(column, FullNameRole).toString();
    return shown == ShownText::name(full) ? full : shown;
}

namespace {

// Calls back each time the watched tree is shown or its viewport changes size.
class ShowWatcher : public QObject
{
public:
    ShowWatcher(QAbstractScrollArea* watched, std::function<void()> shown)
        : QObject(watched), m_viewport(watched->viewport()), m_shown(std::move(shown))
    {
        watched->installEventFilter(this);
        m_viewport->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show || (watched == m_viewport && event->type() == QEvent::Resize))
            m_shown();
        return false;
    }

private:
    QObject* m_viewport;
    std::function<void()> m_shown;
};

} // namespace

TwObjectRows::TwObjectRows(TwCore* core, QTreeWidget* tree, QTreeWidgetItem* KelNGObject::*rowOf)
    : m_core(core), m_tree(tree), m_rowOf(rowOf)
{
    m_showWatcher = new ShowWatcher(tree, [this] { addBoxesNearView(); });
    QObject::connect(tree->verticalScrollBar(), &QScrollBar::valueChanged, m_showWatcher,
                     [this] { addBoxesNearView(); });
    QObject::connect(tree->verticalScrollBar(), &QScrollBar::rangeChanged, m_showWatcher,
                     [this] { addBoxesNearViewLater(); });
    QAbstractItemModel* model = tree->model();
    QObject::connect(model, &QAbstractItemModel::rowsInserted, m_showWatcher, [this] { addBoxesNearViewLater(); });
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, m_showWatcher, [this] { addBoxesNearViewLater(); });
    QObject::connect(tree, &QTreeWidget::itemExpanded, m_showWatcher, [this] { addBoxesNearViewLater(); });
    QObject::connect(tree, &QTreeWidget::itemCollapsed, m_showWatcher, [this] { addBoxesNearViewLater(); });
}

TwObjectRows::~TwObjectRows()
{
    delete m_showWatcher;
}

bool TwObjectRows::showsBoxes() const
{
    // Once the window is up, the panel of the other view mode gets its boxes when it is shown:
    // a row's two boxes cost more than all the rest of an object's set-up.
    if (m_held || m_tree->isVisible())
        return true;
    TwMainWindowInterface* window = m_core->mainWindow();
    return !window || !window->widget() || !window->widget()->isVisible();
}

std::pair<int, int> TwObjectRows::rowsNearView() const
{
    const int count = m_tree->topLevelItemCount();
    auto topLevelRowAt = [this](int y, int fallback) {
        QTreeWidgetItem* item = m_tree->itemAt(QPoint(0, y));
        while (item && item->parent())
            item = item->parent();
        return item ? m_tree->indexFromItem(item).row() : fallback;
    };
    const int viewHeight = std::max(1, m_tree->viewport()->height());
    const int first = topLevelRowAt(0, 0);
    // Below the last row the view is empty: every row down to it is shown.
    const int last = topLevelRowAt(viewHeight - 1, count - 1);
    return {std::max(0, first - RowsAroundView), std::min(count - 1, last + RowsAroundView)};
}

bool TwObjectRows::isNearView(QTreeWidgetItem* row) const
{
    if (!row || row->treeWidget() != m_tree || row->parent())
        return false;
    const int index = m_tree->indexFromItem(row).row();
    const auto [first, last] = rowsNearView();
    return index >= first && index <= last;
}

void TwObjectRows::addBoxesNearView()
{
    m_fillPosted = false;
    if (!showsBoxes())
        return;
    const auto [first, last] = rowsNearView();
    // The project's objects by UUID, gathered once for all the rows (a search each would cost
    // the whole list per row).
    QHash<QString, KelNGObject*> objects;
    for (int i = first; i <= last; ++i) {
        QTreeWidgetItem* row = m_tree->topLevelItem(i);
        if (!row || m_tree->itemWidget(row, OpacityColumn))
            continue;
        if (objects.isEmpty()) {
            for (KelNGObject* object : m_core->listedObjects())
                objects.insert(object->uuid(), object);
        }
        KelNGObject* object = objects.value(row->data(0, Qt::UserRole).toString());
        if (KelNGObject* found = object ? object : objectOfRow(row))
            update(found);
    }
}

void TwObjectRows::addBoxesNearViewLater()
{
    if (m_fillPosted)
        return;
    m_fillPosted = true;
    QMetaObject::invokeMethod(m_showWatcher, [this] { addBoxesNearView(); }, Qt::QueuedConnection);
}

int TwObjectRows::rowsWithBoxes() const
{
    int rows = 0;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
        rows += m_tree->itemWidget(m_tree->topLevelItem(i), OpacityColumn) != nullptr;
    return rows;
}

KelNGObject* TwObjectRows::objectOfRow(QTreeWidgetItem* row) const
{
    if (!row)
        return nullptr;
    return m_core->findObjectOfUuid(row->data(0, Qt::UserRole).toString());
}

QTreeWidgetItem* TwObjectRows::rowOfBox(QObject* box, int column) const
{
    if (!box)
        return nullptr;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = m_tree->topLevelItem(i);
        if (m_tree->itemWidget(row, column) == box)
            return row;
    }
    return nullptr;
}

QTreeWidgetItem* TwObjectRows::ensureRow(KelNGObject* object, bool atInsertionIndex)
{
    QTreeWidgetItem*& row = object->*m_rowOf;
    if (row)
        return row;
    QSignalBlocker blocker(m_tree);
    row = new QTreeWidgetItem;
    row->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled);
    row->setData(0, Qt::UserRole, object->uuid());
    row->setData(0, ObjectRowRole, 1);
    const int index = atInsertionIndex ? m_core->insertionIndexFor(object) : -1;
    if (index >= 0 && index <= m_tree->topLevelItemCount())
        m_tree->insertTopLevelItem(index, row);
    else
        m_tree->addTopLevelItem(row);
    return row;
}

void TwObjectRows::addBoxes(QTreeWidgetItem* row, KelNGObject* object)
{
    // Made inside the viewport, so that adopting them into the row does not polish them again.
    auto* opacity = new QComboBox(m_tree->viewport());
    opacity->setAutoFillBackground(false);
    opacity->setEditable(true);
    for (int percent = 0; percent <= 100; percent += 10)
        opacity->addItem(QStringLiteral("%1%").arg(percent));
    // The window's undo keys reach the window's undo while the box has the focus, and a typed
    // value given with Return hands the focus back to the tree.
    // The box holds the focus for its line edit and hands key events to it directly.
    opacity->installEventFilter(new TwUndoKeysPassThrough(opacity));
    QTreeWidget* tree = m_tree;
    QObject::connect(opacity->lineEdit(), &QLineEdit::returnPressed, tree,
                     [tree] { tree->setFocus(Qt::OtherFocusReason); });
    auto* blend = new QComboBox(m_tree->viewport());
    blend->setAutoFillBackground(false);
    blend->addItems(TwObjectSettings::blendModeNames(object->graph()));
    if (m_connect)
        m_connect(opacity, blend);
    m_tree->setItemWidget(row, OpacityColumn, opacity);
    m_tree->setItemWidget(row, BlendColumn, blend);
}

QTreeWidgetItem* TwObjectRows::update(KelNGObject* object)
{
    if (!object || !object->graph())
        return nullptr;
    QTreeWidgetItem* row = ensureRow(object, false);
    if (!m_tree->itemWidget(row, OpacityColumn) && showsBoxes() && isNearView(row))
        addBoxes(row, object);

    QSignalBlocker blocker(m_tree);
    KelNodes::NodeGraph* graph = object->graph();
    row->setIcon(0, visibilityIcon(TwObjectSettings::isDisabled(graph)));
    showName(row, 1, TwObjectSettings::displayName(object));
    row->setText(2, TwObjectSettings::nodeCountText(object)); // own text
    row->setTextAlignment(2, Qt::AlignHCenter | Qt::AlignVCenter);
    if (auto* opacity = qobject_cast<QComboBox*>(m_tree->itemWidget(row, OpacityColumn))) {
        QSignalBlocker boxBlocker(opacity);
        opacity->setEditText(QStringLiteral("%1%").arg(TwObjectSettings::opacity(graph)));
    }
    if (auto* blend = qobject_cast<QComboBox*>(m_tree->itemWidget(row, BlendColumn))) {
        QSignalBlocker boxBlocker(blend);
        blend->setCurrentIndex(
            TwObjectSettings::blendModePositionOf(graph, TwObjectSettings::blendModeId(graph)));
    }
    return row;
}

KelNGObject* TwObjectRows::toggleVisibility(QTreeWidgetItem* row)
{
    KelNGObject* object = objectOfRow(row);
    if (!object)
        return nullptr;
    const bool disable = !TwObjectSettings::isDisabled(object->graph());
    {
        QSignalBlocker blocker(m_tree);
        row->setIcon(0, visibilityIcon(disable));
    }
    // Taken at once, without an undo step; the caller announces it (render, the other panel).
    // The render reads the parameter.
    if (m_core)
        m_core->cancelRender();
    TwObjectSettings::setDisabled(object->graph(), disable);
    TwObjectSettings::markEdited(m_core, object);
    return object;
}

std::optional<TwObjectRows::Change> TwObjectRows::opacityChange(QObject* box, QString const& text)
{
    QTreeWidgetItem* row = rowOfBox(box, OpacityColumn);
    if (!row)
        return std::nullopt;
    QString number = text;
    number.remove(QLatin1Char('%'));
    bool ok = false;
    const int value = number.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    KelNGObject* object = objectOfRow(row);
    if (!object)
        return std::nullopt;
    KelNodes::NodeGraph* graph = object->graph();
    if (value < 0 || value > 100) {
        // The parameter would refuse it: show the value the object keeps.
        update(object);
        return std::nullopt;
    }
    const int current = TwObjectSettings::opacity(graph);
    if (value == current)
        return std::nullopt;
    return Change{graph, value, current};
}

std::optional<TwObjectRows::Change> TwObjectRows::blendModeChange(QObject* box, int position)
{
    KelNGObject* object = objectOfRow(rowOfBox(box, BlendColumn));
    if (!object)
        return std::nullopt;
    KelNodes::NodeGraph* graph = object->graph();
    const int current = TwObjectSettings::blendModeId(graph);
    const int chosen = TwObjectSettings::blendModeIdAt(graph, position);
    if (chosen < 0 || chosen == current)
        return std::nullopt;
    return Change{graph, chosen, current};
}

void TwObjectRows::holdLayout(bool hold)
{
    if (hold) {
        if (m_held || !m_tree->isVisible())
            return;
        m_held = true;
        QWidget* focus = QApplication::focusWidget();
        m_focusBeforeHold = focus && (focus == m_tree || m_tree->isAncestorOf(focus)) ? focus : nullptr;
        m_tree->hide();
        return;
    }
    if (!m_held)
        return;
    m_held = false;
    m_tree->show();
    if (m_focusBeforeHold)
        m_focusBeforeHold->setFocus(Qt::OtherFocusReason);
    m_focusBeforeHold = nullptr;
}
