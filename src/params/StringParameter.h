#pragma once

#include "params/Parameter.h"

#include <QByteArray>
#include <QString>

namespace KelUtils {

// A text (type 8) or a file path (type 9). The text lives in the caller's QString or in the
// parameter's own. A file-path string stored with embedding carries the named file's contents
// in the document; reading such a document fills the embedded-data buffer, never the file.
class StringParameter : public Parameter
{
public:
    StringParameter(QString const& name, QString const& text, IParameterContainer* container,
                    QString* value, bool isFileName, int displayFlags);
    ~StringParameter() override;

    ParamType type() const override { return m_isFileName ? ParamFileName : ParamString; }
    operator StringParameter*() override { return this; }
    operator StringParameter const*() const override { return this; }

    // Same name, text, value, file flag and embedded data; own string, no container, flags 1.
    Parameter* clone() const override;

    // Notifies only when the text changes; always 0.
    int setValue(QString const& text);
    QString value() const;
    bool isFileName() const { return m_isFileName; }

    // "value": Base64 of the text's UTF-16 (see toBase64). An absent "value" empties the text.
    int storeSpecific(QDomElement& element, QDomDocument& document) const override;
    int loadSpecific(QDomElement const& element) override;

    // Only for a file-path string naming an existing file: appends a "data" element (owner = the
    // parameter's name) with the file's compressed contents. -1 when the file can't be read (the
    // element stays empty) or is too large to be read back (nothing appended).
    int embedData(QDomElement& parent, QDomDocument& document) const override;
    // Unpacks the element into the embedded-data buffer; the text is not touched. Without text
    // the buffer stays as it was; undecodable data empties it and gives -1.
    int parseEmbeddedData(QDomElement const& dataElement) override;
    // The embedded-data buffer (empty until a document with embedded data was read).
    QByteArray const* embeddedData() const override;

private:
    QString* m_value = nullptr;
    QString m_own;
    bool m_isFileName = false;
    QByteArray m_embedded;
};

} // namespace KelUtils
