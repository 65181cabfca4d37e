#include "mainwindow/TwProjectBrowser.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectRows.h"
#include "mainwindow/TwObjectSettings.h"
#include "mainwindow/VyxCmdPBBlendModeChange.h"
#include "mainwindow/VyxCmdPBOpacityChange.h"
#include "nodes/NodeGraph.h"
#include "style/KelStyleConfig.h"
#include "ui_ProjectBrowser.h"

#include "nodeui/KelParamCrucial.h"
#include "nodeui/VyxNodeGraphView.h"

#include <QScrollArea>
#include <QSignalBlocker>
#include <QUndoStack>
#include <QVBoxLayout>

namespace {

constexpr int ObjectRowRole = TwObjectRows::ObjectRowRole;

QIcon browserIcon(char const* key)
{
    return QIcon(KelStyleConfig::instance()->value<QPixmap>(QString::fromLatin1(key)));
}

} // namespace

TwProjectBrowser::TwProjectBrowser(QWidget* parent, TwCore* core)
    : QWidget(parent), m_ui(new Ui::ProjectBrowser), m_core(core), m_coreAlive(core)
{
    m_ui->setupUi(this);
    QTreeWidget* tree = m_ui->treeWidget;
    m_rows = std::make_unique<TwObjectRows>(core, tree, &KelNGObject::projectBrowserItem);
    m_rows->connectBoxesTo(this, &TwProjectBrowser::opacityComboBoxChanged,
                           &TwProjectBrowser::blendModeComboBoxChanged);
    const int widths[] = {24, 138, 54, 75};
    for (int column = 0; column < 4; ++column)
        tree->setColumnWidth(column, widths[column]);
    tree->headerItem()->setText(0, QStringLiteral(" "));
    connect(m_ui->treeWidget, &ProjectBrowserTreeWidget::sortFilters, this,
            &TwProjectBrowser::sortFilters);
    // A mouse drag over the rows can leave them with another highlight, or none, and no change of
    // the current row: the highlight goes back to the effect shown, once the event is over.
    connect(m_ui->treeWidget, &QTreeWidget::itemSelectionChanged, this, [this] {
        QMetaObject::invokeMethod(this, [this] {
            KelNGObject* shown = shownEffect();
            QList<QTreeWidgetItem*> const highlighted = m_ui->treeWidget->selectedItems();
            if (highlighted != (shown ? QList<QTreeWidgetItem*>{shown->projectBrowserItem} : QList<QTreeWidgetItem*>{}))
                showEffect(shown, false);
        }, Qt::QueuedConnection);
    });
    connect(m_ui->treeWidget, &ProjectBrowserTreeWidget::deletePressed, this, [this] {
        if (m_ui->deleteFilter->isEnabled())
            on_deleteFilter_clicked();
    });

    m_parameterArea = new QScrollArea;
    m_parameterArea->setWidgetResizable(true);
    auto* inner = new QWidget;
    m_parameterLayout = new QVBoxLayout(inner);
    m_parameterLayout->setContentsMargins(0, 0, 0, 0);
    m_parameterLayout->setSpacing(0);
    m_parameterArea->setWidget(inner);

    struct Button { QToolButton* button; char const* icon; char const* tip; };
    const Button buttons[] = {
        {m_ui->effectsOn, "visible", QT_TR_NOOP("Effects On / Off")},
        {m_ui->addNewEmptyFilter, "add", QT_TR_NOOP("Add New, Empty Filter")},
        {m_ui->deleteFilter, "delete", QT_TR_NOOP("Remove Filter")},
        {m_ui->downloadTemplates, "download", QT_TR_NOOP("Check Database for New Templates")},
    };
    for (Button const& entry : buttons) {
        entry.button->setIcon(browserIcon(entry.icon));
        entry.button->setToolTip(tr(entry.tip)); // own text
        entry.button->setIconSize(QSize(20, 20));
    }

    m_ui->stackedWidget->addWidget(m_parameterArea);
    m_ui->stackedWidget->setCurrentWidget(m_parameterArea);
    m_ui->splitter->setSizes({500, 1000});
}

TwProjectBrowser::~TwProjectBrowser()
{
    dropCrucialPanel();
    // The tree deletes its rows now: objects that outlive the panel must not delete them again.
    if (m_coreAlive) {
        for (KelNGObject* object : m_core->objectList())
            object->projectBrowserItem = nullptr;
    }
    delete m_ui;
}

void TwProjectBrowser::setObjectEditor(TwObjectEditor* editor)
{
    m_objectEditor = editor;
}

// --- rows --------------------------------------------------------------------------------------

void TwProjectBrowser::addObject(KelNGObject* object)
{
    if (object)
        m_rows->ensureRow(object, true);
    updateObject(object);
}

void TwProjectBrowser::updateObject(KelNGObject* object)
{
    m_rows->update(object);
}

void TwProjectBrowser::setObjectName(KelNGObject* object)
{
    if (!object || !object->projectBrowserItem)
        return;
    QSignalBlocker blocker(m_ui->treeWidget);
    TwObjectRows::showName(object->projectBrowserItem, 1, TwObjectSettings::displayName(object));
    if (m_crucial)
        m_crucial->updateTitle();
}

void TwProjectBrowser::setSelectedObject(KelNGObject* object)
{
    if (isProjectEffect(object))
        showEffect(object, false);
}

KelNGObject* TwProjectBrowser::shownEffect() const
{
    return isProjectEffect(m_settingsObject) ? m_settingsObject.data() : nullptr;
}

bool TwProjectBrowser::isProjectEffect(KelNGObject* object) const
{
    QTreeWidgetItem* row = object ? object->projectBrowserItem : nullptr;
    return row && row->treeWidget() == m_ui->treeWidget && !row->parent();
}

void TwProjectBrowser::sortFilters()
{
    QTreeWidget* tree = m_ui->treeWidget;
    QList<KelNGObject*> const objects = m_core->objectList();
    int target = 0;
    for (KelNGObject* object : objects) {
        QTreeWidgetItem* row = object->projectBrowserItem;
        // The model remembers where a row was: no search from the top for each row.
        const int at = row && row->treeWidget() == tree && !row->parent() ? tree->indexFromItem(row).row() : -1;
        if (at < 0)
            continue;
        if (at != target) {
            QSignalBlocker blocker(tree);
            const bool wasCurrent = tree->currentItem() == row;
            tree->takeTopLevelItem(at);
            tree->insertTopLevelItem(target, row);
            if (wasCurrent)
                tree->setCurrentItem(row);
        }
        updateObject(object);
        ++target;
    }
}

// --- user edits --------------------------------------------------------------------------------

void TwProjectBrowser::on_treeWidget_itemClicked(QTreeWidgetItem* item, int column)
{
    if (column != 0)
        return;
    if (KelNGObject* object = m_rows->toggleVisibility(item))
        emit vyxGraphSettingChanged(object, true);
}

void TwProjectBrowser::on_treeWidget_itemChanged(QTreeWidgetItem* item, int column)
{
    if (!item || column != 1 || item->data(0, ObjectRowRole).toInt() != 1)
        return;
    KelNGObject* object = m_rows->objectOfRow(item);
    if (!object)
        return;
    QString const text = TwObjectRows::nameIn(item, 1);
    if (text.trimmed().isEmpty()) {
        // Re-enters this slot with the current name, which is then stored as the node name.
        TwObjectRows::showName(item, 1, TwObjectSettings::displayName(object));
        return;
    }
    if (object->graph()->name() == text)
        return;
    object->graph()->setName(text);
    if (m_crucial)
        m_crucial->updateTitle();
    TwObjectSettings::markEdited(m_core, object);
    emit objectNameChanged(object);
}

void TwProjectBrowser::on_treeWidget_currentItemChanged(QTreeWidgetItem* current,
                                                        QTreeWidgetItem* previous)
{
    if (!current || current == previous || current->data(0, ObjectRowRole).toInt() != 1)
        return;
    KelNGObject* object = m_rows->objectOfRow(current);
    emit selectedObjectChanged(object);
    // Whatever took the selection, the row now highlighted shows its parameters.
    if (m_ui->treeWidget->currentItem() == current && isProjectEffect(object) && object != m_settingsObject)
        showEffect(object, false);
}

void TwProjectBrowser::blendModeComboBoxChanged(int index)
{
    if (auto change = m_rows->blendModeChange(sender(), index))
        m_core->undoStack()->push(new VyxCmdPBBlendModeChange(m_core, this, change->graph,
                                                              change->newValue, change->oldValue));
}

void TwProjectBrowser::opacityComboBoxChanged(QString const& text)
{
    if (auto change = m_rows->opacityChange(sender(), text))
        m_core->undoStack()->push(new VyxCmdPBOpacityChange(m_core, this, change->graph,
                                                            change->newValue, change->oldValue));
}

void TwProjectBrowser::on_effectsOn_clicked()
{
    m_effectsOn = !m_effectsOn;
    m_ui->effectsOn->setIcon(browserIcon(m_effectsOn ? "visible" : "invisible"));
    emit effectsOn(m_effectsOn);
}

void TwProjectBrowser::on_addNewEmptyFilter_clicked()
{
    // The receiver adds a graph to the root graph the render may be reading.
    m_core->cancelRender();
    emit addNewEmptyFilter();
}

void TwProjectBrowser::on_deleteFilter_clicked()
{
    emit deleteCurrentFilter();
}

void TwProjectBrowser::on_downloadTemplates_clicked()
{
    emit downloadTemplates();
}

// --- important parameters ----------------------------------------------------------------------

void TwProjectBrowser::dropCrucialPanel()
{
    if (!m_crucial)
        return;
    m_parameterLayout->removeWidget(m_crucial);
    m_crucial->setInDestruction();
    delete m_crucial;
    m_crucial = nullptr;
}

void TwProjectBrowser::dynamicObjectSettingsFor(KelNGObject* object)
{
    if (object && !isProjectEffect(object))
        return;
    showEffect(object, true);
}

void TwProjectBrowser::showEffect(KelNGObject* effect, bool rebuild)
{
    if (!isProjectEffect(effect))
        effect = nullptr;
    QTreeWidget* tree = m_ui->treeWidget;
    {
        QSignalBlocker blocker(tree);
        QTreeWidgetItem* row = effect ? effect->projectBrowserItem : nullptr;
        // Also when the row is current already: its highlight may have gone.
        tree->setCurrentItem(row);
        if (!row)
            tree->clearSelection();
    }
    if (rebuild || effect != m_settingsObject || (effect && !m_crucial)) {
        dropCrucialPanel();
        m_settingsObject = effect;
        if (effect) {
            m_crucial = new KelParamCrucial(effect, nullptr, true);
            // Parameter edits in the panel become node edits of the editor's view.
            if (m_objectEditor && m_objectEditor->graphView())
                connect(m_crucial, SIGNAL(addParamUndo(KelParamAtom*,QBuffer*)), m_objectEditor->graphView(),
                        SLOT(addNodeUndo(KelParamAtom*,QBuffer*)));
            m_parameterLayout->addWidget(m_crucial);
        }
    }
    m_ui->deleteFilter->setEnabled(effect != nullptr);
}

void TwProjectBrowser::checkUpdateNodeParameters(KelNodes::Node* node)
{
    if (m_crucial)
        m_crucial->checkUpdateNodeParameters(node);
}

void TwProjectBrowser::nodeAboutToBeDeleted(KelNodes::Node* node)
{
    // The object stays shown: listNodesAnew builds its panel again once the node is gone. An
    // object that goes itself is shown no longer.
    const bool objectGoes = m_settingsObject && static_cast<KelNodes::Node*>(m_settingsObject->graph()) == node;
    if (m_crucial && (objectGoes || m_crucial->containsNodeParameter(node)))
        dropCrucialPanel();
    if (objectGoes)
        m_settingsObject = nullptr;
}

void TwProjectBrowser::listNodesAnew()
{
    if (m_settingsObject)
        dynamicObjectSettingsFor(m_settingsObject);
}

void TwProjectBrowser::holdRowLayout(bool hold)
{
    m_rows->holdLayout(hold);
}
