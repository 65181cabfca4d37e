#include "params/ColorParameter.h"

#include "params/XmlNumbers.h"

#include <QDomDocument>
#include <QDomElement>
#include <QMap>

namespace KelUtils {

namespace {

const QString KeyframeTag = QStringLiteral("keyframe");
const QString FrameAttr = QStringLiteral("frame_num");

void writeColor(QDomElement& element, Color const& c)
{
    element.setAttribute(QStringLiteral("r"), formatXmlFloat(c.red));
    element.setAttribute(QStringLiteral("g"), formatXmlFloat(c.green));
    element.setAttribute(QStringLiteral("b"), formatXmlFloat(c.blue));
    element.setAttribute(QStringLiteral("a"), formatXmlFloat(c.alpha));
}

// Present channels replace those of c; the result is brought into the parameter's range.
Color readColor(QDomElement const& element, Color c)
{
    readXmlAttribute(element, QStringLiteral("r"), c.red);
    readXmlAttribute(element, QStringLiteral("g"), c.green);
    readXmlAttribute(element, QStringLiteral("b"), c.blue);
    readXmlAttribute(element, QStringLiteral("a"), c.alpha);
    return c.clamped();
}

} // namespace

ColorParameter::ColorParameter(QString const& name, QString const& text,
                               IParameterContainer* container, Color* value, int displayFlags)
    : Parameter(name, text, container, displayFlags), m_value(value ? value : &m_own)
{
}

ColorParameter::~ColorParameter()
{
    destroyKeys();
}

void ColorParameter::destroyKeys()
{
    qDeleteAll(m_keys);
    m_keys.clear();
    m_activeKey = nullptr;
}

Parameter* ColorParameter::clone() const
{
    Color current;
    {
        QReadLocker locker(&m_lock);
        current = *m_value;
    }
    auto* copy = new ColorParameter(m_name, m_text, nullptr, nullptr, DisplayEnabled);
    copy->setValue(current);
    return copy;
}

int ColorParameter::setValue(Color const& color)
{
    {
        QWriteLocker locker(&m_lock);
        if (*m_value == color)
            return 0;
        if (!color.isValid())
            return -1;
        *m_value = color;
        if (m_activeKey && !(m_activeKey->color == color))
            m_activeKey->color = color;
    }
    notifyUpdate();
    return 0;
}

int ColorParameter::setValue(unsigned char const* rgba, float gamma, float inverseGamma)
{
    if (!rgba)
        return -1;
    {
        QReadLocker locker(&m_lock);
        if (m_value->isEqualA(rgba, inverseGamma))
            return 0;
    }
    const Color c(Color::decodeChannel(rgba[0], gamma), Color::decodeChannel(rgba[1], gamma),
                  Color::decodeChannel(rgba[2], gamma), Color::decodeAlpha(rgba[3]));
    return setValue(c);
}

int ColorParameter::setValue(ScaledRgb const& scaled, float gamma, float inverseGamma)
{
    {
        QReadLocker locker(&m_lock);
        ScaledRgb current;
        m_value->to8bitRgb(&current, inverseGamma);
        if (current == scaled)
            return 0;
    }
    const Color c(Color::decodeChannel(scaled.red, gamma) * scaled.scale,
                  Color::decodeChannel(scaled.green, gamma) * scaled.scale,
                  Color::decodeChannel(scaled.blue, gamma) * scaled.scale,
                  Color::decodeAlpha(scaled.alpha));
    return setValue(c);
}

Color ColorParameter::value() const
{
    QReadLocker locker(&m_lock);
    return *m_value;
}

ScaledRgb ColorParameter::value8bit(float inverseGamma) const
{
    ScaledRgb out;
    QReadLocker locker(&m_lock);
    m_value->to8bitRgb(&out, inverseGamma);
    return out;
}

int ColorParameter::findKey(int frame, int* insertAt) const
{
    qsizetype i = 0;
    for (; i < m_keys.size(); ++i) {
        if (m_keys.at(i)->frame == frame) {
            if (insertAt)
                *insertAt = int(i);
            return int(i);
        }
        if (m_keys.at(i)->frame > frame)
            break;
    }
    if (insertAt)
        *insertAt = int(i);
    return -1;
}

bool ColorParameter::isKeyframe(int frame) const
{
    if (!isValidFrame(frame))
        return false;
    QReadLocker locker(&m_lock);
    return findKey(frame) >= 0;
}

QList<int> ColorParameter::keyframes() const
{
    QList<int> frames;
    QReadLocker locker(&m_lock);
    frames.reserve(m_keys.size());
    for (ColorKey const* key : m_keys)
        frames.append(key->frame);
    return frames;
}

QList<ColorKey> ColorParameter::keys() const
{
    QList<ColorKey> copies;
    QReadLocker locker(&m_lock);
    copies.reserve(m_keys.size());
    for (ColorKey const* key : m_keys)
        copies.append(*key);
    return copies;
}

int ColorParameter::setKeyframeAt(int frame)
{
    if (!isValidFrame(frame))
        return -1;
    int current;
    {
        QWriteLocker locker(&m_lock);
        int insertAt = 0;
        if (findKey(frame, &insertAt) >= 0)
            return -1;
        m_keys.insert(insertAt, new ColorKey(frame, *m_value));
        current = m_currentFrame;
    }
    setCurrentFrame(current);
    return 0;
}

int ColorParameter::setKeyframeAt(int frame, Color const& color)
{
    if (!isValidFrame(frame) || !color.isFinite())
        return -1;
    int current;
    {
        QWriteLocker locker(&m_lock);
        int insertAt = 0;
        if (findKey(frame, &insertAt) >= 0)
            return -1;
        m_keys.insert(insertAt, new ColorKey(frame, color));
        current = m_currentFrame;
    }
    setCurrentFrame(current);
    return 0;
}

int ColorParameter::deleteKeyframe(int frame)
{
    if (!isValidFrame(frame))
        return -1;
    int current;
    {
        QWriteLocker locker(&m_lock);
        const int index = findKey(frame);
        if (index < 0)
            return -1;
        ColorKey* key = m_keys.takeAt(index);
        if (m_activeKey == key)
            m_activeKey = nullptr;
        delete key;
        current = m_currentFrame;
    }
    setCurrentFrame(current);
    return 0;
}

int ColorParameter::moveKeyframe(int from, int to)
{
    if (from < 0)
        return -1;
    const int count = frameCount();
    if (count >= 0 && (from >= count || to >= count))
        return -1;
    int current;
    {
        QWriteLocker locker(&m_lock);
        if (from == to || to < 0)
            return -1;
        const int fromIndex = findKey(from);
        if (fromIndex < 0)
            return -1;
        ColorKey* moved = m_keys.takeAt(fromIndex);
        const int toIndex = findKey(to);
        if (toIndex >= 0) {
            ColorKey* replaced = m_keys.takeAt(toIndex);
            if (m_activeKey == replaced)
                m_activeKey = nullptr;
            delete replaced;
        }
        moved->frame = to;
        int insertAt = 0;
        findKey(to, &insertAt);
        m_keys.insert(insertAt, moved);
        current = m_currentFrame;
    }
    setCurrentFrame(current);
    return 0;
}

ColorKey* ColorParameter::calcFrameColor(int frame, Color& out) const
{
    if (m_keys.isEmpty()) {
        out = *m_value;
        return nullptr;
    }
    ColorKey* earlier = nullptr;
    ColorKey* later = nullptr;
    for (ColorKey* key : m_keys) {
        if (key->frame <= frame)
            earlier = key;
        if (key->frame >= frame) {
            later = key;
            break;
        }
    }
    if (later && later->frame == frame) {
        out = later->color;
        return later;
    }
    if (!earlier) {
        out = m_keys.first()->color;
        return m_keys.first();
    }
    if (!later) {
        out = m_keys.last()->color;
        return m_keys.last();
    }
    const float dL = static_cast<float>(later->frame - frame);
    const float dE = static_cast<float>(frame - earlier->frame);
    const float inv = 1.0f / static_cast<float>(later->frame - earlier->frame);
    Color const& e = earlier->color;
    Color const& l = later->color;
    out.red = (e.red * dL + l.red * dE) * inv;
    out.green = (e.green * dL + l.green * dE) * inv;
    out.blue = (e.blue * dL + l.blue * dE) * inv;
    // Alpha holds between keys.
    out.alpha = e.alpha;
    return nullptr;
}

int ColorParameter::setCurrentFrame(int frame)
{
    if (!isValidFrame(frame))
        return -1;
    Color shown;
    {
        QWriteLocker locker(&m_lock);
        m_currentFrame = frame;
        m_activeKey = calcFrameColor(frame, shown);
    }
    setValue(shown);
    return 0;
}

int ColorParameter::storeSpecific(QDomElement& element, QDomDocument& document) const
{
    writeColor(element, *m_value);
    for (ColorKey const* key : m_keys) {
        QDomElement keyElement = document.createElement(KeyframeTag);
        keyElement.setAttribute(FrameAttr, formatXmlInt(key->frame));
        writeColor(keyElement, key->color);
        element.appendChild(keyElement);
    }
    return 0;
}

int ColorParameter::loadSpecific(QDomElement const& element)
{
    Color current = *m_value;
    current.alpha = 1.0f;
    *m_value = readColor(element, current);

    // A map keeps the keys sorted and lets a later key replace an earlier one at its frame.
    QMap<int, Color> loaded;
    for (QDomElement child = element.firstChildElement(KeyframeTag); !child.isNull();
         child = child.nextSiblingElement(KeyframeTag)) {
        int frame = 0;
        if (!readXmlAttribute(child, FrameAttr, frame) || frame < 0)
            continue;
        loaded.insert(frame, readColor(child, Color(0.0f, 0.0f, 0.0f, 1.0f)));
    }
    destroyKeys();
    m_keys.reserve(loaded.size());
    for (auto it = loaded.cbegin(); it != loaded.cend(); ++it)
        m_keys.append(new ColorKey(it.key(), it.value()));
    return 0;
}

} // namespace KelUtils
