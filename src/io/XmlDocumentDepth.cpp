#include "io/XmlDocumentDepth.h"

#include <QBuffer>
#include <QDomDocument>
#include <QXmlStreamReader>

namespace KelUtils {

namespace {

bool refuseDepth(XmlPlace const& place, QString const& text, QString* message, int* line, int* column)
{
    if (message)
        *message = text;
    if (line)
        *line = int(place.line);
    if (column)
        *column = int(place.column);
    return false;
}

// The bytes as a device: a reader given them whole decodes them all at once, two bytes a
// character, before it reads the first token.
class ByteDevice : public QBuffer
{
public:
    explicit ByteDevice(QByteArray const& data)
    {
        setData(data);
        open(QIODevice::ReadOnly);
    }
};

bool check(QByteArray const& data, XmlDocumentBudget& budget, QString* message, int* line,
           int* column)
{
    ByteDevice device(data);
    QXmlStreamReader reader(budget.watch(&device));
    // As the parser reads: with namespaces on, an undeclared prefix ended this pass early.
    reader.setNamespaceProcessing(false);
    while (!reader.atEnd()) {
        reader.readNext();
        if (!budget.admit(reader))
            return refuseDepth(budget.refusalPlace(reader), budget.refusal(), message, line, column);
    }
    if (reader.hasError())
        return refuseDepth({reader.lineNumber(), reader.columnNumber()}, reader.errorString(), message, line, column);
    return true;
}

} // namespace

bool checkXmlDocument(QByteArray const& data, QString* message, int* line, int* column)
{
    XmlDocumentBudget budget;
    return check(data, budget, message, line, column);
}

qint64 xmlTreeBytes(QByteArray const& data)
{
    XmlDocumentBudget budget;
    return check(data, budget, nullptr, nullptr, nullptr) ? budget.treeBytes() : -1;
}

QString xmlFirstElementName(QByteArray const& data)
{
    ByteDevice device(data);
    XmlDocumentBudget budget;
    QXmlStreamReader reader(budget.watch(&device));
    reader.setNamespaceProcessing(false);
    while (!reader.atEnd()) {
        reader.readNext();
        if (!budget.admit(reader))
            break;
        if (reader.isStartElement())
            return reader.qualifiedName().toString();
    }
    return QString();
}

QByteArray xmlRefusedEncoding(QByteArray const& data)
{
    XmlDocumentBudget budget;
    check(data, budget, nullptr, nullptr, nullptr);
    return budget.refusedEncoding();
}

bool setXmlContent(QDomDocument& document, QByteArray const& data, QString* message, int* line,
                   int* column)
{
    if (!checkXmlDocument(data, message, line, column))
        return false;
    QDomDocument parsed;
    ByteDevice device(data);
    if (!parsed.setContent(&device, false, message, line, column))
        return false;
    document = parsed;
    return true;
}

} // namespace KelUtils
