#pragma once

#include "browser/ThumbnailLoader.h"

#include <QFileIconProvider>

// Folders get the style's folder icon, files their thumbnail from the loader.
class ImageThumbsIconProvider : public QFileIconProvider
{
public:
    ImageThumbsIconProvider();

    QIcon icon(QFileInfo const& info) const override;
    QIcon icon(QFileIconProvider::IconType type) const override;
    QString type(QFileInfo const& info) const override;

    ThumbnailLoader* loader() const { return const_cast<ThumbnailLoader*>(&m_loader); }

private:
    ThumbnailLoader m_loader;
};
