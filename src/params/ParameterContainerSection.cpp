// The container's XML section: writing and reading its parameters.
#include "params/ParameterContainer.h"

#include "params/Parameter.h"
#include "params/XmlNumbers.h"

#include <QReadLocker>
#include <QWriteLocker>

namespace KelUtils {

namespace {

// XML 1.0 NameStartChar, as code points.
bool isNameStartChar(char32_t c)
{
    return c == U':' || (c >= U'A' && c <= U'Z') || c == U'_' || (c >= U'a' && c <= U'z')
           || (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF)
           || (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF)
           || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F)
           || (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF)
           || (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD)
           || (c >= 0x10000 && c <= 0xEFFFF);
}

bool isNameChar(char32_t c)
{
    return isNameStartChar(c) || c == U'-' || c == U'.' || (c >= U'0' && c <= U'9') || c == 0xB7
           || (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// The container name as an element name: every character an XML name cannot hold becomes "_"
// (a type id such as "operator.brightness/contrast" holds one). Readers find node sections by
// their "uuid", so the element name only has to be well formed.
QString xmlElementName(QString const& name)
{
    if (name.isEmpty())
        return QStringLiteral("_");
    QString result;
    result.reserve(name.size());
    bool first = true;
    for (char32_t c : name.toUcs4()) {
        const bool allowed = first ? isNameStartChar(c) : isNameChar(c);
        if (allowed)
            result.append(QString::fromUcs4(&c, 1));
        else
            result.append(QLatin1Char('_'));
        first = false;
    }
    return result;
}

} // namespace

QDomElement ParameterContainer::createXmlSection(QDomDocument& document, bool /*callHooks*/,
                                                 bool /*embed*/) const
{
    return document.createElement(xmlElementName(m_name));
}

int ParameterContainer::storeState(QDomDocument& document, QDomElement& parent, bool callHooks,
                                   bool embed) const
{
    // Before locking: a subclass may store nested containers inside the section.
    QDomElement section = createXmlSection(document, callHooks, embed);
    parent.appendChild(section);

    QReadLocker locker(&m_lock);
    if (m_currentFrame != 0) {
        QDomElement keys = document.createElement(QStringLiteral("keyframes"));
        keys.setAttribute(QStringLiteral("curr_frame"), formatXmlInt(m_currentFrame));
        section.appendChild(keys);
    }

    QList<ParameterList> const& lists = paramLists();
    for (ParameterList const& list : lists) {
        QDomElement set = document.createElement(QStringLiteral("paramset"));
        set.setAttribute(QStringLiteral("name"), list.name);
        set.setAttribute(QStringLiteral("active"), list.active ? QStringLiteral("1") : QStringLiteral("0"));
        section.appendChild(set);
        for (Parameter const* parameter : list.parameters) {
            if (!parameter)
                continue;
            QDomElement param = document.createElement(QStringLiteral("param"));
            set.appendChild(param);
            parameter->store(param, document);
        }
    }

    // After every paramset, so that a reader sizes an image before its pixels arrive.
    if (embed) {
        for (ParameterList const& list : lists) {
            for (Parameter const* parameter : list.parameters) {
                if (parameter)
                    parameter->embedData(section, document);
            }
        }
    }

    auto* self = const_cast<ParameterContainer*>(this);
    const QList<StoreXmlCallback> callbacks = m_storeCallbacks;
    for (StoreXmlCallback const& callback : callbacks) {
        if (!callback.function)
            continue;
        QDomElement custom = document.createElement(QStringLiteral("custom"));
        callback.function(self, custom, callback.userData);
        section.appendChild(custom);
    }
    return 0;
}

int ParameterContainer::loadState(QDomElement const& section)
{
    QWriteLocker locker(&m_lock);
    m_currentFrame = 0;

    for (QDomNode node = section.firstChild(); !node.isNull(); node = node.nextSibling()) {
        if (!node.isElement())
            continue;
        const QDomElement element = node.toElement();
        const QString tag = element.tagName();

        if (tag == QLatin1String("keyframes")) {
            // A frame outside the container's frames counts as absent.
            int frame = 0;
            if (readXmlAttribute(element, QStringLiteral("curr_frame"), frame) && frame >= 0
                && frame < m_numFrames)
                m_currentFrame = frame;
        } else if (tag == QLatin1String("data")) {
            const QString owner = element.attribute(QStringLiteral("owner"));
            if (owner.isEmpty())
                continue;
            if (Parameter* parameter = findParameter(owner, 0, 0))
                parameter->parseEmbeddedData(element);
        } else if (tag == QLatin1String("paramset")) {
            const QString name = element.attribute(QStringLiteral("name"));
            if (name.isEmpty())
                continue;
            for (ParameterList& list : paramLists()) {
                if (list.name != name)
                    continue;
                int active = 0;
                if (readXmlAttribute(element, QStringLiteral("active"), active))
                    list.active = active != 0;
                for (QDomElement param = element.firstChildElement(); !param.isNull();
                     param = param.nextSiblingElement()) {
                    const QString paramName = param.attribute(QStringLiteral("name"));
                    if (paramName.isEmpty())
                        continue;
                    for (Parameter* parameter : std::as_const(list.parameters)) {
                        if (parameter && parameter->name() == paramName) {
                            parameter->load(param);
                            break;
                        }
                    }
                }
            }
        }
    }

    // The whole state may have changed: tell the normal callbacks, also while signals are blocked.
    const QList<ParameterCallback> callbacks = m_callbacks;
    for (ParameterCallback const& callback : callbacks) {
        if (callback.function)
            callback.function(this, nullptr, callback.userData);
    }
    return 0;
}

} // namespace KelUtils
