#pragma once

#include "ReferenceServer.h"

#include <QByteArray>
#include <QColor>
#include <QString>

// Effect templates and icons the reference server can serve.
namespace SampleTemplates {

// A 45 x 30 PNG of one colour.
QByteArray pngIcon(QColor const& colour);
// A complete, valid grey PNG of width x height in one shade, compressed row by row: a few
// hundred kilobytes that decode to width x height pixels (16384 x 16384: a gigabyte as a pixmap).
QByteArray greyPng(quint32 width, quint32 height);
// A complete template file (graph document with its "template" element).
QByteArray templateFile(QString const& uuid, QString const& name, QString const& version,
                        bool unknownNodeType = false);
// Two effect templates: "Inverted" (red icon) and "Négatif" (blue icon, a name above ASCII).
void seed(ReferenceServer& server);

} // namespace SampleTemplates
