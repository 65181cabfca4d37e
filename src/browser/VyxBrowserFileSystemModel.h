#pragma once

#include "browser/ImageThumbsIconProvider.h"

#include <QFileSystemModel>

// The image browser's file model: folders and readable image files only (name filters
// regardless of case), three columns (Name, Type, Dimensions) and thumbnails as icons. Type texts
// come from the files' names: no row is typed by reading its file.
class VyxBrowserFileSystemModel : public QFileSystemModel
{
    Q_OBJECT

public:
    explicit VyxBrowserFileSystemModel(QObject* parent = nullptr);

    int columnCount(QModelIndex const& parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool hasChildren(QModelIndex const& parent = QModelIndex()) const override;
    QVariant data(QModelIndex const& index, int role = Qt::DisplayRole) const override;

    ThumbnailLoader* loader() const { return m_iconProvider.loader(); }

public slots:
    void onThumbnailReady(QString path);

private:
    ImageThumbsIconProvider m_iconProvider;
};
