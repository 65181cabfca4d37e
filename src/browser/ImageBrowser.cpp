#include "browser/ImageBrowser.h"

#include "ui_ImageBrowser.h"

#include "browser/ChangePathCommand.h"
#include "browser/DetailsViewDelegate.h"
#include "browser/DeviceBrowserModel.h"
#include "browser/ThumbnailViewDelegate.h"
#include "browser/VyxBrowserFileSystemModel.h"
#include "style/KelStyleConfig.h"

#include <QAction>
#include <QDir>
#include <QMouseEvent>
#include <QSettings>
#include <QStandardPaths>
#include <QUndoStack>

namespace {

const QString browserLocationKey = QStringLiteral("BrowserLocation");

void setButtonPixmap(QToolButton* button, char const* key)
{
    const QPixmap pixmap = KelStyleConfig::instance()->value<QPixmap>(QString::fromLatin1(key));
    button->setIcon(QIcon(pixmap));
    button->setIconSize(pixmap.size());
}

} // namespace

ImageBrowser::ImageBrowser(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::ImageBrowser)
{
    m_ui->setupUi(this);

    QString startFolder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    QSettings settings;
    if (settings.contains(browserLocationKey)) {
        const QString remembered = settings.value(browserLocationKey).toString();
        if (QDir::isAbsolutePath(remembered))
            startFolder = remembered;
    }
    if (startFolder.isEmpty())
        startFolder = QDir::homePath();

    setButtonPixmap(m_ui->btForward, "forward_arrow");
    setButtonPixmap(m_ui->btBack, "back_arrow");
    setButtonPixmap(m_ui->upButton, "up_arrow");
    setButtonPixmap(m_ui->btDetails, "mode_list_view");
    setButtonPixmap(m_ui->btThumbnails, "mode_thumb_view");

    m_model = new VyxBrowserFileSystemModel(this);
    m_model->setFilter(QDir::Dirs | QDir::Files | QDir::NoSymLinks | QDir::AllDirs | QDir::NoDotAndDotDot);
    m_history = new QUndoStack(this);

    m_views << m_ui->imageDetailsView << m_ui->imageThumbnailsView;
    m_ui->imageDetailsView->hide();

    m_places = new DeviceBrowserModel(this);
    // Attaching the model selects its first place; that must not become a history entry
    // before the browser shows anything.
    {
        const QSignalBlocker blocker(m_ui->comboBox);
        m_ui->comboBox->setModel(m_places);
        m_ui->comboBox->setCurrentIndex(0);
    }
    m_placePath = m_places->data(m_places->index(0), Qt::UserRole).toString();
    m_ui->comboBox->installEventFilter(m_places);

    connect(m_model, &QFileSystemModel::rootPathChanged, this, &ImageBrowser::onPathChanged);
    // Handed on as it is: the browser looks at no folder of its own here, so that one on a mount
    // that stopped answering does not hold the start. Only a folder the model found gone (a stick
    // unplugged, a folder deleted), which would leave it in the process's working folder to be
    // remembered next, is looked at again: its nearest existing parent is shown.
    QModelIndex startIndex = m_model->setRootPath(startFolder);
    if (QDir::cleanPath(m_model->rootPath()) != QDir::cleanPath(startFolder)) {
        startFolder = ChangePathCommand::existingFolder(startFolder);
        startIndex = m_model->setRootPath(startFolder);
    }
    m_placePath = startFolder;

    auto* back = new QAction(tr("Back"), this);
    back->setShortcuts({QKeySequence(QKeySequence::Back), QKeySequence(Qt::Key_Backspace)});
    // Only while the browser has the focus: elsewhere in the window Backspace is another
    // widget's key (the node-graph view deletes with it).
    back->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(back);
    connect(back, &QAction::triggered, m_history, &QUndoStack::undo);
    auto* up = new QAction(tr("Up"), this);
    up->setShortcut(QKeySequence(Qt::Key_Up));
    up->setShortcutContext(Qt::WidgetShortcut);
    connect(up, &QAction::triggered, this, &ImageBrowser::on_upButton_clicked);
    auto* down = new QAction(tr("Down"), this);
    down->setShortcut(QKeySequence(Qt::Key_Down));
    down->setShortcutContext(Qt::WidgetShortcut);
    connect(down, &QAction::triggered, this, &ImageBrowser::onActionDown);

    for (QAbstractItemView* view : std::as_const(m_views)) {
        view->setModel(m_model);
        view->setRootIndex(startIndex);
        view->addAction(up);
        view->addAction(down);
        connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
                &ImageBrowser::viewCurrentChanged);
        connect(view, &QAbstractItemView::activated, this, &ImageBrowser::viewDoubleClicked);
        connect(view, &QAbstractItemView::clicked, this, &ImageBrowser::viewClicked);
        view->viewport()->installEventFilter(this);
    }

    m_ui->imageDetailsView->setColumnWidth(0, 400);
    m_ui->imageDetailsView->setColumnWidth(1, 100);

    m_ui->imageThumbnailsView->setItemDelegate(new ThumbnailViewDelegate(m_ui->imageThumbnailsView));
    m_ui->imageDetailsView->setItemDelegate(new DetailsViewDelegate(m_ui->imageDetailsView));

    connect(m_history, &QUndoStack::canRedoChanged, m_ui->btForward, &QWidget::setEnabled);
    connect(m_history, &QUndoStack::canUndoChanged, m_ui->btBack, &QWidget::setEnabled);
    connect(m_ui->btBack, &QToolButton::clicked, m_history, &QUndoStack::undo);
    connect(m_ui->btForward, &QToolButton::clicked, m_history, &QUndoStack::redo);
}

ImageBrowser::~ImageBrowser()
{
    QSettings settings;
    settings.setValue(browserLocationKey, m_model->rootPath());
    delete m_ui;
}

void ImageBrowser::displayCurrentPath() {}

QString ImageBrowser::currentPath() const
{
    return m_model->rootPath();
}

void ImageBrowser::navigateTo(QModelIndex const& index)
{
    m_history->push(new ChangePathCommand(m_views, m_model, index, this));
}

void ImageBrowser::viewDoubleClicked(QModelIndex index)
{
    if (index.isValid() && m_model->isDir(index))
        navigateTo(index.siblingAtColumn(0));
}

void ImageBrowser::onActionDown()
{
    QAbstractItemView* view = m_ui->imageDetailsView->isVisible()
                                  ? static_cast<QAbstractItemView*>(m_ui->imageDetailsView)
                                  : static_cast<QAbstractItemView*>(m_ui->imageThumbnailsView);
    viewDoubleClicked(view->currentIndex());
}

void ImageBrowser::on_comboBox_currentIndexChanged(int index)
{
    m_placePath = m_places->data(m_places->index(index), Qt::UserRole).toString();
    // A place removed since the list was made shows its nearest existing parent.
    navigateTo(m_model->index(ChangePathCommand::existingFolder(m_placePath)));
}

void ImageBrowser::on_upButton_clicked()
{
    QString rootPath = m_model->rootPath();
    if (!rootPath.endsWith(QLatin1Char('/')))
        rootPath += QLatin1Char('/');
    const QModelIndex root = m_views.first()->rootIndex();
    const QModelIndex parent = root.model() ? root.parent() : QModelIndex();
    const QString parentPath = m_model->filePath(parent) + QLatin1Char('/');
    if (rootPath != m_placePath && parentPath.startsWith(m_placePath))
        navigateTo(parent);
}

void ImageBrowser::onPathChanged(QString path)
{
    if (!path.startsWith(m_placePath) && !m_placePath.startsWith(path)) {
        for (int row = 0; row < m_places->rowCount(); ++row) {
            const QString p = m_places->data(m_places->index(row), Qt::UserRole).toString();
            if (path.startsWith(p) || p.startsWith(path)) {
                const QSignalBlocker blocker(m_ui->comboBox);
                m_ui->comboBox->setCurrentIndex(row);
                m_placePath = p;
                break;
            }
        }
    }
    m_ui->lePath->setText(path.mid(m_placePath.size())); // plain field
}

void ImageBrowser::on_lineEdit_textChanged(QString)
{
    updateFilterItems(false);
}

void ImageBrowser::updateFilterItems(bool clearFilter)
{
    if (clearFilter)
        m_ui->lineEdit->clear();
    const QString filter = m_ui->lineEdit->text().toUpper();
    for (QAbstractItemView* view : std::as_const(m_views)) {
        const QModelIndex root = view->rootIndex();
        const int rows = m_model->rowCount(root);
        for (int row = 0; row < rows; ++row) {
            const QString name = m_model->index(row, 0, root).data(Qt::DisplayRole).toString();
            const bool hidden = !filter.isEmpty() && !name.toUpper().contains(filter);
            if (auto* list = qobject_cast<QListView*>(view))
                list->setRowHidden(row, hidden);
            else if (auto* tree = qobject_cast<QTreeView*>(view))
                tree->setRowHidden(row, root, hidden);
        }
    }
}

void ImageBrowser::viewCurrentChanged(QModelIndex cur, QModelIndex)
{
    m_announced.clear();
    m_offeredAgain.clear();
    if (cur.isValid() && !m_model->isDir(cur)) {
        m_announced = m_model->filePath(cur);
        emit currentImageChanged(m_announced);
    }
}

void ImageBrowser::offerCurrentImageAgain()
{
    m_offeredAgain = m_announced;
}

void ImageBrowser::viewClicked(QModelIndex index)
{
    const bool again = m_pressedOnOffered && index.isValid() && m_model->filePath(index) == m_offeredAgain;
    m_pressedOnOffered = false;
    if (!again)
        return;
    m_offeredAgain.clear();
    emit currentImageChanged(m_model->filePath(index));
}

bool ImageBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        for (QAbstractItemView* view : std::as_const(m_views)) {
            if (view->viewport() != watched)
                continue;
            const QModelIndex at = view->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            m_pressedOnOffered = !m_offeredAgain.isEmpty() && at.isValid() && m_model->filePath(at) == m_offeredAgain;
        }
    }
    return QWidget::eventFilter(watched, event);
}
