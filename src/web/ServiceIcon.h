#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// The icon of a listed template, read from the bytes the service sent by RasterPictureReader
// (raster formats only, chosen by the first bytes). The header is read first: a picture of more
// than maxPixels is refused before a pixel is decoded (a small file can ask for a gigabyte), and
// what is kept fits the preview.
namespace ServiceIcon {

inline constexpr qint64 maxPixels = qint64(1024) * 1024;
// The preview label's side: no icon is kept larger.
inline constexpr int previewSide = 180;

// The icon fitted into `bound` (aspect kept, never enlarged); null when the bytes are no raster
// picture or ask for too many pixels.
QImage read(QByteArray const& bytes, QSize const& bound = QSize(previewSide, previewSide));

} // namespace ServiceIcon
