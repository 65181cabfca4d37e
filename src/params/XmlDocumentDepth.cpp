#include "params/XmlDocumentDepth.h"

#include <QDomDocument>
#include <QXmlStreamReader>

namespace KelUtils {

namespace {

bool refuse(QXmlStreamReader const& reader, QString const& text, QString* message, int* line,
            int* column)
{
    if (message)
        *message = text;
    if (line)
        *line = int(reader.lineNumber());
    if (column)
        *column = int(reader.columnNumber());
    return false;
}

} // namespace

bool checkXmlDepth(QByteArray const& data, QString* message, int* line, int* column)
{
    QXmlStreamReader reader(data);
    // As the parser reads: with namespaces on, an undeclared prefix ended this pass early.
    reader.setNamespaceProcessing(false);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > MaxXmlDepth)
                return refuse(reader,
                              QStringLiteral("elements nested deeper than %1 levels").arg(MaxXmlDepth),
                              message, line, column);
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    if (reader.hasError())
        return refuse(reader, reader.errorString(), message, line, column);
    return true;
}

bool setXmlContent(QDomDocument& document, QByteArray const& data, QString* message, int* line,
                   int* column)
{
    if (!checkXmlDepth(data, message, line, column))
        return false;
    QDomDocument parsed;
    if (!parsed.setContent(data, false, message, line, column))
        return false;
    document = parsed;
    return true;
}

} // namespace KelUtils
