#include "params/Parameter.h"

#include "params/IParameterContainer.h"
#include "params/ParameterCallback.h"
#include "params/XmlNumbers.h"

#include <QByteArray>
#include <QDomDocument>
#include <QDomElement>

namespace KelUtils {

Parameter::Parameter(QString const& name, QString const& text, IParameterContainer* container, int displayFlags)
    : m_name(name), m_text(text), m_container(container), m_displayFlags(displayFlags)
{
}

Parameter::~Parameter() = default;

Parameter::operator GroupBoxParameter*() { return nullptr; }
Parameter::operator GroupBoxParameter const*() const { return nullptr; }
Parameter::operator NumGroupParameter<int>*() { return nullptr; }
Parameter::operator NumGroupParameter<int> const*() const { return nullptr; }
Parameter::operator NumGroupParameter<float>*() { return nullptr; }
Parameter::operator NumGroupParameter<float> const*() const { return nullptr; }
Parameter::operator ColorParameter*() { return nullptr; }
Parameter::operator ColorParameter const*() const { return nullptr; }
Parameter::operator ListParameter*() { return nullptr; }
Parameter::operator ListParameter const*() const { return nullptr; }
Parameter::operator StringParameter*() { return nullptr; }
Parameter::operator StringParameter const*() const { return nullptr; }
Parameter::operator ImageParameter*() { return nullptr; }
Parameter::operator ImageParameter const*() const { return nullptr; }
Parameter::operator ButtonGroupParameter*() { return nullptr; }
Parameter::operator ButtonGroupParameter const*() const { return nullptr; }

int Parameter::store(QDomElement& element, QDomDocument& document) const
{
    // Virtuals first: the lock is not recursive.
    const int kind = type();
    const bool keyed = supportsKeyframes();

    QReadLocker locker(&m_lock);
    element.setAttribute(QStringLiteral("name"), m_name);
    if (!m_container) {
        element.setAttribute(QStringLiteral("type"), formatXmlInt(kind));
        element.setAttribute(QStringLiteral("ui_text"), m_text);
    }
    element.setAttribute(QStringLiteral("flags"), formatXmlInt(m_displayFlags));
    if (keyed)
        element.setAttribute(QStringLiteral("frame_num"), formatXmlInt(m_currentFrame));
    return storeSpecific(element, document);
}

int Parameter::load(QDomElement const& element)
{
    const bool keyed = supportsKeyframes();
    int frame = 0;
    int result = 0;
    {
        QWriteLocker locker(&m_lock);
        const int oldFlags = m_displayFlags;
        const int oldFrame = m_currentFrame;

        int flags = 0;
        if (readXmlAttribute(element, QStringLiteral("flags"), flags))
            m_displayFlags = flags & DisplayMask;
        if (keyed) {
            readXmlAttribute(element, QStringLiteral("frame_num"), frame);
            if (frame < 0)
                frame = 0;
        }
        m_currentFrame = frame;

        result = loadSpecific(element);
        if (result < 0) {
            // A refused element leaves the parameter as it was.
            m_displayFlags = oldFlags;
            m_currentFrame = oldFrame;
            return -1;
        }
    }
    setCurrentFrame(frame);
    return 0;
}

int Parameter::embedData(QDomElement&, QDomDocument&) const
{
    return 0;
}

int Parameter::parseEmbeddedData(QDomElement const&)
{
    return 0;
}

QByteArray const* Parameter::embeddedData() const
{
    return nullptr;
}

Parameter* Parameter::clone() const
{
    return nullptr;
}

bool Parameter::supportsKeyframes() const
{
    return false;
}

bool Parameter::isKeyframe(int) const
{
    return false;
}

QList<int> Parameter::keyframes() const
{
    return {};
}

int Parameter::setKeyframeAt(int)
{
    return 0;
}

int Parameter::deleteKeyframe(int)
{
    return 0;
}

int Parameter::moveKeyframe(int, int)
{
    return 0;
}

int Parameter::setCurrentFrame(int frame)
{
    QWriteLocker locker(&m_lock);
    m_currentFrame = frame;
    return 0;
}

int Parameter::storeSpecific(QDomElement&, QDomDocument&) const
{
    return 0;
}

int Parameter::loadSpecific(QDomElement const&)
{
    return 0;
}

void Parameter::notifyUpdate()
{
    IParameterContainer* container = m_container;
    if (!container)
        return;
    // The list is asked afresh each step: callbacks may append records (reached in this pass),
    // and a record is copied before its call because appending may move the list's storage.
    for (qsizetype i = 0; i < container->paramCallbacks().size(); ++i) {
        const ParameterCallback record = container->paramCallbacks().at(i);
        if (record.function)
            record.function(container, this, record.userData);
    }
}

void Parameter::setDisplayFlagOne(int bits)
{
    const int mask = bits & DisplayMask;
    bool changed = false;
    {
        QWriteLocker locker(&m_lock);
        if (mask != 0 && (mask & m_displayFlags) == 0) {
            m_displayFlags |= mask;
            changed = true;
        }
    }
    if (changed)
        notifyUpdate();
}

void Parameter::setDisplayFlagZero(int bits)
{
    const int mask = bits & DisplayMask;
    bool changed = false;
    {
        QWriteLocker locker(&m_lock);
        if ((mask & m_displayFlags) != 0) {
            m_displayFlags &= ~mask;
            changed = true;
        }
    }
    if (changed)
        notifyUpdate();
}

int Parameter::setDisplayFlags(int flags)
{
    const int masked = flags & DisplayMask;
    bool changed = false;
    {
        QWriteLocker locker(&m_lock);
        if (m_displayFlags != masked) {
            m_displayFlags = masked;
            changed = true;
        }
    }
    if (changed)
        notifyUpdate();
    return masked;
}

int Parameter::displayFlags() const
{
    QReadLocker locker(&m_lock);
    return m_displayFlags;
}

QIcon Parameter::icon() const
{
    QReadLocker locker(&m_lock);
    return m_icon;
}

void Parameter::setIcon(QIcon const& icon)
{
    QWriteLocker locker(&m_lock);
    m_icon = icon;
}

void Parameter::setHelpItem(HelpItem const& help)
{
    QWriteLocker locker(&m_lock);
    m_help = help;
}

void Parameter::setContainer(IParameterContainer* container)
{
    QWriteLocker locker(&m_lock);
    m_container = container;
}

int Parameter::currentFrame() const
{
    QReadLocker locker(&m_lock);
    return m_currentFrame;
}

bool Parameter::isValidFrame(int frame) const
{
    if (frame < 0)
        return false;
    const int count = frameCount();
    return count < 0 || frame < count;
}

int Parameter::frameCount() const
{
    return m_container ? m_container->numFrames() : -1;
}

} // namespace KelUtils
