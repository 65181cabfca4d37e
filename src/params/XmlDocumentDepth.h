#pragma once

#include <QByteArray>
#include <QString>

class QDomDocument;

namespace KelUtils {

// Deepest element nesting accepted in a document that came from a file or the network. Qt's
// DOM parser takes time quadratic in the depth, so the depth is checked in one linear pass
// first. Far above anything the program writes: a graph nests sub-graphs at most 64 deep,
// two elements a level, and a node section adds a few more.
constexpr int MaxXmlDepth = 256;

// True unless the document nests elements deeper than MaxXmlDepth; then *message, *line and
// *column (each when given) say where. Other faults are left to the parser that follows.
bool checkXmlDepth(QByteArray const& data, QString* message = nullptr, int* line = nullptr,
                   int* column = nullptr);

// The depth check, then QDomDocument::setContent without namespace processing. On failure
// the document is left as it was and the out-parameters describe the fault.
bool setXmlContent(QDomDocument& document, QByteArray const& data, QString* message = nullptr,
                   int* line = nullptr, int* column = nullptr);

} // namespace KelUtils
