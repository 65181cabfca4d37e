#pragma once

#include <QList>
#include <QModelIndex>
#include <QString>
#include <QUndoCommand>

class ImageBrowser;
class QAbstractItemView;
class QFileSystemModel;

// One folder change of the image browser's history. It keeps folder paths, not model indexes
// (the model may release them), and resolves them when undone or redone; a folder deleted
// since falls back to its nearest existing parent.
class ChangePathCommand : public QUndoCommand
{
public:
    ChangePathCommand(QList<QAbstractItemView*> const& views, QFileSystemModel* model,
                      QModelIndex const& index, ImageBrowser* browser);

    void undo() override;
    void redo() override;

    QString oldPath() const { return m_oldPath; }
    QString newPath() const { return m_newPath; }

    // The path itself when it is an existing folder, else its nearest existing parent.
    static QString existingFolder(QString const& path);
    // How existingFolder asks whether a path is a folder (null: the file system). Tests give one
    // that answers as a mount that stopped answering would.
    using FolderTest = bool (*)(QString const& path);
    static void setFolderTest(FolderTest test);

private:
    void show(QString const& path, bool redoing);

    QList<QAbstractItemView*> m_views;
    QFileSystemModel* m_model;
    ImageBrowser* m_browser;
    QString m_oldPath;
    QString m_newPath;
    bool m_hadOld = false;
};
