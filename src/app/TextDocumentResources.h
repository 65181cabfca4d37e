#pragma once

#include <QVariant>

class QUrl;

// What the program's own text documents (the description panels, the help browser) may load
// when their rich text names a picture or a style sheet: Qt's resources, data: URLs and files of
// the program's resources folder. Anything else, a file a name from a project or a service
// pointed at (/dev/zero, a named pipe) among it, gets a stand-in and is never opened.
// Qt's default resource provider cannot do this: it is asked only after a file failed to load.
namespace TextDocumentResources {

// Whether `url`, as a document resolved it, may be loaded. Relative names count from the working
// folder, as the document would read them.
bool mayLoad(QUrl const& url);

// What a refused resource of the document resource `type` stands for: a transparent pixel for a
// picture (an empty answer would send Qt to read the file itself), an empty text for the rest.
QVariant refused(int type);

// What a document gets for the resource `url` of `type` before Qt's own loader is asked: the
// stand-in of a refused resource, and a data: URL's picture read as every picture from outside
// is, by RasterPictureReader (Qt would guess the reader from the bytes, SVG among them, which
// opens the files the picture names); an invalid answer leaves the resource to Qt.
QVariant load(int type, QUrl const& url);

} // namespace TextDocumentResources
