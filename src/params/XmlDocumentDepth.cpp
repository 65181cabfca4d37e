#include "params/XmlDocumentDepth.h"

#include <QDomDocument>
#include <QXmlStreamReader>

namespace KelUtils {

bool checkXmlDepth(QByteArray const& data, QString* message, int* line, int* column)
{
    QXmlStreamReader reader(data);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > MaxXmlDepth) {
                if (message)
                    *message = QStringLiteral("elements nested deeper than %1 levels")
                                   .arg(MaxXmlDepth);
                if (line)
                    *line = int(reader.lineNumber());
                if (column)
                    *column = int(reader.columnNumber());
                return false;
            }
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Invalid:
            return true; // the parser reports it in its own words
        default:
            break;
        }
    }
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
