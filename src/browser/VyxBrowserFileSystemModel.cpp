#include "browser/VyxBrowserFileSystemModel.h"

#include "app/GflAdapter.h"
#include "browser/FileTypeByName.h"

VyxBrowserFileSystemModel::VyxBrowserFileSystemModel(QObject* parent)
    : QFileSystemModel(parent)
{
    // Every type text the base model serves, in any column or role, comes from the name.
    setIconProvider(FileTypeByName::shared());
    connect(loader(), &ThumbnailLoader::thumbnailReady, this, &VyxBrowserFileSystemModel::onThumbnailReady,
            Qt::QueuedConnection);
    // Every spelling a readable format's files carry ("x.jpeg" as well as "x.jpg", the name
    // Save Image proposes), the default suffixes first and in the library's order.
    QStringList filters;
    {
        GflAdapter adapter;
        const QList<GflAdapter::Format> formats = adapter.supportedFormats();
        for (GflAdapter::Format const& format : formats)
            filters << QStringLiteral("*.") + format.defaultSuffix;
        for (GflAdapter::Format const& format : formats) {
            for (QString const& suffix : format.suffixes) {
                if (!filters.contains(QStringLiteral("*.") + suffix))
                    filters << QStringLiteral("*.") + suffix;
            }
        }
    }
    setNameFilters(filters);
    setNameFilterDisables(false);
}

int VyxBrowserFileSystemModel::columnCount(QModelIndex const&) const
{
    return 3;
}

QVariant VyxBrowserFileSystemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        switch (section) {
        case 0:
            return tr("Name");
        case 1:
            return tr("Type");
        case 2:
            return tr("Dimensions");
        default:
            break;
        }
    }
    return QFileSystemModel::headerData(section, orientation, role);
}

bool VyxBrowserFileSystemModel::hasChildren(QModelIndex const& parent) const
{
    if (!parent.isValid())
        return true;
    return parent.column() == 0 && parent == index(rootPath());
}

QVariant VyxBrowserFileSystemModel::data(QModelIndex const& index, int role) const
{
    if (!index.isValid())
        return QFileSystemModel::data(index, role);
    if (role == Qt::DecorationRole && index.column() == 0)
        return m_iconProvider.icon(fileInfo(index));
    if (role == Qt::DisplayRole && index.column() == 2) {
        if (isDir(index))
            return QString();
        // Read off the GUI thread with the thumbnail; empty until then.
        const QSize size = loader()->imageSize(fileInfo(index));
        if (!size.isValid())
            return QString();
        return QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
    }
    if (role == Qt::DisplayRole && index.column() == 1) {
        // The base model's column 1 is the size; its type text lives in its column 2.
        if (isDir(index))
            return tr("Folder");
        return type(index);
    }
    return QFileSystemModel::data(index, role);
}

void VyxBrowserFileSystemModel::onThumbnailReady(QString path)
{
    const QModelIndex first = index(path, 0);
    if (!first.isValid())
        return;
    emit dataChanged(first, first.siblingAtColumn(2));
}
