#include "params/StringParameter.h"

#include "params/Base64.h"
#include "params/BinaryData.h"

#include <QDomDocument>
#include <QDomElement>
#include <QFileInfo>

namespace KelUtils {

StringParameter::StringParameter(QString const& name, QString const& text,
                                 IParameterContainer* container, QString* value, bool isFileName,
                                 int displayFlags)
    : Parameter(name, text, container, displayFlags),
      m_value(value ? value : &m_own),
      m_isFileName(isFileName)
{
}

StringParameter::~StringParameter() = default;

Parameter* StringParameter::clone() const
{
    QReadLocker locker(&m_lock);
    auto* copy = new StringParameter(m_name, m_text, nullptr, nullptr, m_isFileName, DisplayEnabled);
    copy->m_own = *m_value;
    copy->m_embedded = m_embedded;
    return copy;
}

int StringParameter::setValue(QString const& text)
{
    {
        QWriteLocker locker(&m_lock);
        if (*m_value == text)
            return 0;
        *m_value = text;
    }
    notifyUpdate();
    return 0;
}

QString StringParameter::value() const
{
    QReadLocker locker(&m_lock);
    return *m_value;
}

int StringParameter::storeSpecific(QDomElement& element, QDomDocument&) const
{
    element.setAttribute(QStringLiteral("value"), toBase64(*m_value));
    return 0;
}

int StringParameter::loadSpecific(QDomElement const& element)
{
    const QString stored = element.attribute(QStringLiteral("value"));
    *m_value = stored.isEmpty() ? QString() : fromBase64(stored);
    return 0;
}

int StringParameter::embedData(QDomElement& parent, QDomDocument& document) const
{
    QString path;
    {
        QReadLocker locker(&m_lock);
        if (!m_isFileName)
            return 0;
        path = *m_value;
    }
    if (path.isEmpty())
        return 0;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return 0;
    // A payload the reader would refuse is not written at all.
    if (info.size() > MaxBinaryDataSize)
        return -1;
    QDomElement data = document.createElement(QStringLiteral("data"));
    data.setAttribute(QStringLiteral("owner"), m_name);
    parent.appendChild(data);
    return storeBinaryData(document, data, path);
}

int StringParameter::parseEmbeddedData(QDomElement const& dataElement)
{
    QByteArray bytes;
    {
        QReadLocker locker(&m_lock);
        bytes = m_embedded;
    }
    const int result = loadBinaryData(dataElement, bytes);
    {
        QWriteLocker locker(&m_lock);
        m_embedded = bytes;
    }
    return result < 0 ? -1 : 0;
}

QByteArray const* StringParameter::embeddedData() const
{
    return &m_embedded;
}

} // namespace KelUtils
