#pragma once

#include "io/XmlDocumentBudget.h"

#include <QByteArray>
#include <QString>

class QDomDocument;

namespace KelUtils {

// True when the document reads to its end, as QDomDocument reads it (without namespace
// processing), within its XmlDocumentBudget: nesting no deeper than MaxXmlDepth, a tree of at
// most MaxXmlTreeBytes, no token longer than MaxXmlTokenLength, attribute comparisons within
// MaxXmlAttributeComparisons. Otherwise *message, *line and *column (each when given) say what and
// where; other faults in the reader's own words. A document the pass cannot read to the end is
// refused: the parser after it would meet the same fault only after building its tree.
bool checkXmlDocument(QByteArray const& data, QString* message = nullptr, int* line = nullptr,
                      int* column = nullptr);

// The memory the document would take as a tree, as the check estimates it; -1 when the check
// refuses it.
qint64 xmlTreeBytes(QByteArray const& data);

// The name of the document's first element, read within the check's limits; empty when there is
// none to read.
QString xmlFirstElementName(QByteArray const& data);

// The encoding the document declares when the check refuses the document for it; empty when
// the check does not refuse it so.
QByteArray xmlRefusedEncoding(QByteArray const& data);

// The check, then QDomDocument::setContent without namespace processing. On failure the
// document is left as it was and the out-parameters describe the fault. Every document from a
// file, the network or the clipboard is parsed through here.
bool setXmlContent(QDomDocument& document, QByteArray const& data, QString* message = nullptr,
                   int* line = nullptr, int* column = nullptr);

} // namespace KelUtils
