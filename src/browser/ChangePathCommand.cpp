#include "browser/ChangePathCommand.h"

#include "browser/ImageBrowser.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QTreeView>

ChangePathCommand::ChangePathCommand(QList<QAbstractItemView*> const& views, QFileSystemModel* model,
                                     QModelIndex const& index, ImageBrowser* browser)
    : m_views(views), m_model(model), m_browser(browser)
{
    if (!m_views.isEmpty()) {
        const QModelIndex old = m_views.first()->rootIndex();
        if (old.isValid() && old.model() == m_model) {
            m_oldPath = m_model->filePath(old);
            m_hadOld = true;
        }
    }
    m_newPath = m_model->filePath(index);
}

namespace {

bool isFolder(QString const& path)
{
    return QFileInfo(path).isDir();
}

ChangePathCommand::FolderTest s_folderTest = &isFolder;

} // namespace

void ChangePathCommand::setFolderTest(FolderTest test)
{
    s_folderTest = test ? test : &isFolder;
}

QString ChangePathCommand::existingFolder(QString const& path)
{
    QString folder = QDir::cleanPath(path);
    while (!folder.isEmpty() && !s_folderTest(folder)) {
        const QString parent = QFileInfo(folder).path();
        if (parent == folder)
            break;
        folder = parent;
    }
    return folder;
}

void ChangePathCommand::show(QString const& path, bool redoing)
{
    const QString folder = existingFolder(path);
    const QModelIndex index = m_model->index(folder);
    for (QAbstractItemView* view : std::as_const(m_views)) {
        view->setRootIndex(index);
        if (redoing) {
            if (auto* tree = qobject_cast<QTreeView*>(view)) {
                tree->setColumnWidth(0, 400);
                tree->setColumnWidth(1, 100);
            }
        }
    }
    m_model->setRootPath(folder);
    if (m_browser)
        m_browser->updateFilterItems(redoing);
}

void ChangePathCommand::redo()
{
    show(m_newPath, true);
}

void ChangePathCommand::undo()
{
    // An entry made before any folder was shown goes back to the model's top.
    if (!m_hadOld) {
        for (QAbstractItemView* view : std::as_const(m_views))
            view->setRootIndex(QModelIndex());
        m_model->setRootPath(QString());
        if (m_browser)
            m_browser->updateFilterItems(false);
        return;
    }
    show(m_oldPath, false);
}
