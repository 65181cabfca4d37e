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

// True when the document reads to its end, as QDomDocument reads it (without namespace
// processing), nesting no deeper than MaxXmlDepth. Otherwise *message, *line and *column (each
// when given) say what and where; other faults in the reader's own words. A document the pass
// cannot read to the end is refused: the parser after it would meet the same fault only after
// its quadratic work.
bool checkXmlDepth(QByteArray const& data, QString* message = nullptr, int* line = nullptr,
                   int* column = nullptr);

// The depth check, then QDomDocument::setContent without namespace processing. On failure
// the document is left as it was and the out-parameters describe the fault.
bool setXmlContent(QDomDocument& document, QByteArray const& data, QString* message = nullptr,
                   int* line = nullptr, int* column = nullptr);

} // namespace KelUtils
