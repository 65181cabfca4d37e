#include "params/NumGroupParameter.h"

#include "params/XmlNumbers.h"

#include <QDomDocument>
#include <QDomElement>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace KelUtils {

namespace {

// Loaded keys may hold at most this many values in all (64 MiB of floats), so a small document
// can't make a group allocate without bound (many keys of a group with many values).
constexpr qint64 MaxLoadedKeyValues = qint64(16) * 1024 * 1024;

template <typename T>
void copyValues(T* destination, T const* source, qsizetype count)
{
    if (count > 0 && destination != source)
        std::memmove(destination, source, std::size_t(count) * sizeof(T));
}

template <typename T>
bool lessByFrame(NumGroupKey<T> const* key, int frame)
{
    return key->frame < frame;
}

} // namespace

template <typename T>
NumGroupParameter<T>::NumGroupParameter(QString const& name, QString const& text, IParameterContainer* container,
                                        T* values, int count, T min, T max, T def, bool slider, int displayFlags)
    : Parameter(name, text, container, displayFlags)
    , m_count(std::clamp(count, 0, MaxGroupValues))
    , m_min(min)
    , m_max(max)
    , m_def(def)
    , m_slider(slider)
{
    if (values) {
        m_values = values;
    } else {
        m_owned.assign(std::size_t(m_count), def);
        m_values = m_owned.data();
        m_ownsValues = true;
    }
    std::fill(m_values, m_values + m_count, def);
}

template <typename T>
NumGroupParameter<T>::~NumGroupParameter()
{
    destroyKeys();
}

template <typename T>
void NumGroupParameter<T>::destroyKeys()
{
    qDeleteAll(m_keys);
    m_keys.clear();
    m_activeKey = nullptr;
}

template <typename T>
ParamType NumGroupParameter<T>::type() const
{
    if constexpr (std::is_same_v<T, float>) {
        return ParamFloatGroup;
    } else {
        return (m_count == 1 && m_min == 0 && m_max == 1) ? ParamBool : ParamIntGroup;
    }
}

template <typename T>
bool NumGroupParameter<T>::refuses(T v) const
{
    if constexpr (std::is_same_v<T, float>) {
        if (std::isnan(v))
            return true;
    }
    return m_max >= m_min && (v < m_min || v > m_max);
}

template <typename T>
T NumGroupParameter<T>::clamped(T v) const
{
    if (m_max < m_min)
        return v; // open range: no limits
    return std::clamp(v, m_min, m_max);
}

template <typename T>
QString NumGroupParameter<T>::valueAttributeName(int index) const
{
    if (m_count == 1)
        return QStringLiteral("value");
    return QStringLiteral("value") + QString::number(index);
}

template <typename T>
int NumGroupParameter<T>::valueIndexOfAttribute(QString const& name) const
{
    static const QString prefix = QStringLiteral("value");
    if (!name.startsWith(prefix))
        return -1;
    if (m_count == 1)
        return name.size() == prefix.size() ? 0 : -1;
    const QString suffix = name.mid(prefix.size());
    bool ok = false;
    const int index = suffix.toInt(&ok, 10);
    // Only the names the writer makes: no sign, no leading zeros.
    if (!ok || index < 0 || index >= m_count || suffix != QString::number(index))
        return -1;
    return index;
}

template <typename T>
void NumGroupParameter<T>::readValueAttributes(QDomElement const& element, T* out) const
{
    // Walks the attributes the element has rather than looking up every index, so that an
    // element costs what it holds, whatever the group's count.
    const QDomNamedNodeMap attributes = element.attributes();
    for (int i = 0; i < attributes.length(); ++i) {
        const QDomAttr attribute = attributes.item(i).toAttr();
        const int index = valueIndexOfAttribute(attribute.name());
        if (index >= 0)
            readXmlNumber(attribute.value(), out[index]);
    }
}

template <typename T>
Parameter* NumGroupParameter<T>::clone() const
{
    QReadLocker locker(&m_lock);
    auto* copy = new NumGroupParameter<T>(m_name, m_text, nullptr, nullptr, m_count, m_min, m_max, m_def, false,
                                          DisplayEnabled);
    // Copied as they are: values taken by a load may lie outside a range narrowed later.
    copyValues(copy->m_values, m_values, m_count);
    return copy;
}

template <typename T>
int NumGroupParameter<T>::setRange(T min, T max, T def)
{
    if constexpr (std::is_same_v<T, float>) {
        if (std::isnan(min) || std::isnan(max) || std::isnan(def))
            return -1;
    }
    {
        QWriteLocker locker(&m_lock);
        if (min == m_min && max == m_max && def == m_def)
            return 0;
        if (max >= min) {
            if (def < min || def > max)
                return -1;
            for (int i = 0; i < m_count; ++i) {
                if (m_values[i] < min || m_values[i] > max)
                    m_values[i] = def;
            }
        }
        m_min = min;
        m_max = max;
        m_def = def;
    }
    notifyUpdate();
    return 0;
}

template <typename T>
int NumGroupParameter<T>::setValue(T v, int index)
{
    {
        QWriteLocker locker(&m_lock);
        if (index < 0 || index >= m_count)
            return -1;
        if (!(v == m_values[index])) {
            if (refuses(v))
                return -1;
            m_values[index] = v;
            if (m_activeKey)
                m_activeKey->values[std::size_t(index)] = v;
        }
    }
    // Editors rely on a notification for every accepted set, changed or not.
    notifyUpdate();
    return 0;
}

template <typename T>
int NumGroupParameter<T>::setValues(T const* v, int n)
{
    if (!v)
        return 0;
    int taken = 0;
    {
        QWriteLocker locker(&m_lock);
        taken = (n < 0 || n > m_count) ? m_count : n;
        bool differs = false;
        for (int i = 0; i < taken; ++i) {
            if (!(v[i] == m_values[i])) {
                if (refuses(v[i]))
                    return -1;
                differs = true;
            }
        }
        if (!differs)
            return 0;
        copyValues(m_values, v, taken);
        if (m_activeKey && m_activeKey->values.data() != v)
            copyValues(m_activeKey->values.data(), v, taken);
    }
    notifyUpdate();
    return taken;
}

template <typename T>
int NumGroupParameter<T>::resize(T* values, int n)
{
    if (n < 0 || n > MaxGroupValues)
        return -1;
    {
        QWriteLocker locker(&m_lock);
        const int keep = std::min(n, m_count);
        if (values) {
            copyValues(values, m_values, keep);
            std::fill(values + keep, values + n, m_def);
            m_values = values;
            m_ownsValues = false;
            std::vector<T>().swap(m_owned);
        } else {
            std::vector<T> fresh(std::size_t(n), m_def);
            copyValues(fresh.data(), m_values, keep);
            m_owned.swap(fresh);
            m_values = m_owned.data();
            m_ownsValues = true;
        }
        m_count = n;
        // Keys always hold as many values as the group, so interpolation never reads past them.
        for (Key* key : std::as_const(m_keys))
            key->values.resize(std::size_t(n), m_def);
    }
    notifyUpdate();
    return 0;
}

template <typename T>
int NumGroupParameter<T>::getRange(T* min, T* max, T* def) const
{
    QReadLocker locker(&m_lock);
    if (min)
        *min = m_min;
    if (max)
        *max = m_max;
    if (def)
        *def = m_def;
    return 0;
}

template <typename T>
T NumGroupParameter<T>::minimum() const
{
    QReadLocker locker(&m_lock);
    return m_min;
}

template <typename T>
T NumGroupParameter<T>::maximum() const
{
    QReadLocker locker(&m_lock);
    return m_max;
}

template <typename T>
T NumGroupParameter<T>::defaultValue() const
{
    QReadLocker locker(&m_lock);
    return m_def;
}

template <typename T>
int NumGroupParameter<T>::getValues(T* out, int n) const
{
    if (!out)
        return 0;
    QReadLocker locker(&m_lock);
    const int count = (n < 0 || n > m_count) ? m_count : n;
    copyValues(out, m_values, count);
    return count;
}

template <typename T>
T NumGroupParameter<T>::value(int index) const
{
    QReadLocker locker(&m_lock);
    if (index < 0 || index >= m_count)
        return m_def;
    return m_values[index];
}

template <typename T>
T const* NumGroupParameter<T>::values(int* count) const
{
    QReadLocker locker(&m_lock);
    if (count)
        *count = m_count;
    return m_values;
}

template <typename T>
int NumGroupParameter<T>::numValues() const
{
    QReadLocker locker(&m_lock);
    return m_count;
}

template <typename T>
bool NumGroupParameter<T>::isKeyframe(int frame) const
{
    if (!isValidFrame(frame))
        return false;
    QReadLocker locker(&m_lock);
    const auto it = std::lower_bound(m_keys.cbegin(), m_keys.cend(), frame, lessByFrame<T>);
    return it != m_keys.cend() && (*it)->frame == frame;
}

template <typename T>
QList<int> NumGroupParameter<T>::keyframes() const
{
    QReadLocker locker(&m_lock);
    QList<int> frames;
    frames.reserve(m_keys.size());
    for (Key const* key : m_keys)
        frames.append(key->frame);
    return frames;
}

template <typename T>
int NumGroupParameter<T>::insertKey(int frame, T const* values)
{
    const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), frame, lessByFrame<T>);
    if (it != m_keys.end() && (*it)->frame == frame)
        return -1; // an existing key is never overwritten
    m_keys.insert(it, new Key(frame, values, m_count));
    return 0;
}

template <typename T>
int NumGroupParameter<T>::setKeyframeAt(int frame)
{
    if (!isValidFrame(frame))
        return -1;
    int current = 0;
    {
        QWriteLocker locker(&m_lock);
        if (insertKey(frame, m_values) < 0)
            return -1;
        current = m_currentFrame;
    }
    setCurrentFrame(current);
    return 0;
}

template <typename T>
int NumGroupParameter<T>::setKeyframeAt(int frame, T const* values)
{
    if (!values || !isValidFrame(frame))
        return -1;
    int current = 0;
    {
        QWriteLocker locker(&m_lock);
        if (insertKey(frame, values) < 0)
            return -1;
        current = m_currentFrame;
    }
    setCurrentFrame(current);
    return 0;
}

template <typename T>
int NumGroupParameter<T>::deleteKeyframe(int frame)
{
    if (!isValidFrame(frame))
        return -1;
    int current = 0;
    {
        QWriteLocker locker(&m_lock);
        const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), frame, lessByFrame<T>);
        if (it == m_keys.end() || (*it)->frame != frame)
            return -1;
        Key* key = *it;
        m_keys.erase(it);
        if (key == m_activeKey)
            m_activeKey = nullptr;
        delete key;
        current = m_currentFrame;
    }
    setCurrentFrame(current);
    return 0;
}

template <typename T>
int NumGroupParameter<T>::moveKeyframe(int from, int to)
{
    if (from < 0)
        return -1;
    const int count = frameCount();
    if (count >= 0 && (from >= count || to >= count))
        return -1;
    int current = 0;
    {
        QWriteLocker locker(&m_lock);
        if (from == to || to < 0)
            return -1;
        qsizetype fromIndex = -1;
        qsizetype toIndex = -1;
        for (qsizetype i = 0; i < m_keys.size(); ++i) {
            const int frame = m_keys[i]->frame;
            if (frame == from)
                fromIndex = i;
            else if (frame == to)
                toIndex = i;
            if (frame >= std::max(from, to) || (fromIndex >= 0 && toIndex >= 0))
                break;
        }
        if (fromIndex < 0)
            return -1;
        Key* moving = m_keys[fromIndex];
        if (toIndex < 0) {
            m_keys.removeAt(fromIndex);
            moving->frame = to;
            const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), to, lessByFrame<T>);
            m_keys.insert(it, moving);
        } else {
            Key* replaced = m_keys[toIndex];
            m_keys[toIndex] = moving;
            m_keys.removeAt(fromIndex);
            moving->frame = to;
            if (replaced == m_activeKey)
                m_activeKey = nullptr;
            delete replaced;
        }
        // The moved key may have been the active one; it no longer lies at the current frame
        // unless it moved there.
        if (m_activeKey && m_activeKey->frame != m_currentFrame)
            m_activeKey = nullptr;
        current = m_currentFrame;
    }
    setCurrentFrame(current);
    return 0;
}

template <typename T>
int NumGroupParameter<T>::setCurrentFrame(int frame)
{
    if (!isValidFrame(frame))
        return -1;
    std::vector<T> shown;
    {
        QWriteLocker locker(&m_lock);
        shown.resize(std::size_t(m_count));
        m_currentFrame = frame;
        m_activeKey = calcFrameValues(frame, shown.data());
    }
    // Refused as a whole when a key value lies outside the range; the frame still changes.
    setValues(shown.data(), int(shown.size()));
    return 0;
}

template <typename T>
typename NumGroupParameter<T>::Key* NumGroupParameter<T>::calcFrameValues(int frame, T* out) const
{
    if (m_keys.isEmpty()) {
        copyValues(out, m_values, m_count);
        return nullptr;
    }
    Key* earlier = nullptr;
    Key* later = nullptr;
    for (Key* key : m_keys) {
        if (key->frame <= frame)
            earlier = key;
        if (key->frame >= frame) {
            later = key;
            break;
        }
    }
    if (later && later->frame == frame) {
        copyValues(out, later->values.data(), m_count);
        return later;
    }
    if (!earlier) {
        copyValues(out, m_keys.first()->values.data(), m_count);
        return nullptr;
    }
    if (!later) {
        copyValues(out, m_keys.last()->values.data(), m_count);
        return nullptr;
    }
    T const* e = earlier->values.data();
    T const* l = later->values.data();
    if constexpr (std::is_same_v<T, float>) {
        const float dL = float(qint64(later->frame) - frame);
        const float dE = float(qint64(frame) - earlier->frame);
        for (int i = 0; i < m_count; ++i)
            out[i] = (e[i] * dL + l[i] * dE) / (dL + dE);
    } else {
        // Rounded to nearest, halves away from zero. 64-bit sums: the weighted values of two
        // keys far apart would overflow 32 bits, the quotient always fits.
        const qint64 dL = qint64(later->frame) - frame;
        const qint64 dE = qint64(frame) - earlier->frame;
        const qint64 d = dL + dE;
        const qint64 half = d / 2;
        for (int i = 0; i < m_count; ++i) {
            const qint64 s = qint64(l[i]) * dE + qint64(e[i]) * dL;
            out[i] = int(s >= 0 ? (s + half) / d : (s - half) / d);
        }
    }
    return nullptr;
}

template <typename T>
int NumGroupParameter<T>::storeSpecific(QDomElement& element, QDomDocument& document) const
{
    if (!m_container)
        element.setAttribute(QStringLiteral("num_vals"), formatXmlInt(m_count));
    element.setAttribute(QStringLiteral("min"), formatXmlNumber(m_min));
    element.setAttribute(QStringLiteral("max"), formatXmlNumber(m_max));
    element.setAttribute(QStringLiteral("def"), formatXmlNumber(m_def));
    for (int i = 0; i < m_count; ++i)
        element.setAttribute(valueAttributeName(i), formatXmlNumber(m_values[i]));
    for (Key const* key : m_keys) {
        QDomElement keyElement = document.createElement(QStringLiteral("keyframe"));
        keyElement.setAttribute(QStringLiteral("frame_num"), formatXmlInt(key->frame));
        for (int i = 0; i < m_count; ++i)
            keyElement.setAttribute(valueAttributeName(i), formatXmlNumber(key->values[std::size_t(i)]));
        element.appendChild(keyElement);
    }
    return 0;
}

template <typename T>
int NumGroupParameter<T>::loadSpecific(QDomElement const& element)
{
    // Everything is read into temporaries first: a refused element changes nothing.
    T storedMin = m_min;
    T storedMax = m_max;
    T storedDef = m_def;
    readXmlAttribute(element, QStringLiteral("min"), storedMin);
    readXmlAttribute(element, QStringLiteral("max"), storedMax);
    readXmlAttribute(element, QStringLiteral("def"), storedDef);

    // A stored range may only narrow the parameter's own one: the node's code relies on it.
    T min = m_min;
    T max = m_max;
    T def = m_def;
    {
        T newMin = m_min;
        T newMax = m_max;
        bool usable = true;
        if (storedMax >= storedMin) {
            if (m_max < m_min) {
                newMin = storedMin;
                newMax = storedMax;
            } else {
                newMin = std::max(m_min, storedMin);
                newMax = std::min(m_max, storedMax);
                usable = newMin <= newMax;
            }
        }
        if (usable && newMax >= newMin && (storedDef < newMin || storedDef > newMax))
            usable = false;
        if (usable) {
            min = newMin;
            max = newMax;
            def = storedDef;
        }
    }
    const bool closed = max >= min;
    auto clampValue = [&](T v) { return closed ? std::clamp(v, min, max) : v; };

    std::vector<T> values(m_values, m_values + m_count);
    readValueAttributes(element, values.data());
    for (T& v : values)
        v = clampValue(v);

    // Keys sorted by frame, one per frame: a later key in the document replaces an earlier one.
    // Keys skipped below are freed with the vector.
    std::vector<std::unique_ptr<Key>> keys;
    qint64 keyValues = 0;
    for (QDomNode node = element.firstChild(); !node.isNull(); node = node.nextSibling()) {
        const QDomElement keyElement = node.toElement();
        if (keyElement.isNull() || keyElement.tagName() != QLatin1String("keyframe"))
            continue;
        int frame = 0;
        readXmlAttribute(keyElement, QStringLiteral("frame_num"), frame);
        if (frame < 0)
            continue;
        // Counted before allocating, duplicates included.
        keyValues += std::max(m_count, 1);
        if (keyValues > MaxLoadedKeyValues)
            return -1;
        // Values a key element lacks are those of the group.
        auto key = std::make_unique<Key>(frame, values.data(), m_count);
        readValueAttributes(keyElement, key->values.data());
        for (T& v : key->values)
            v = clampValue(v);
        keys.push_back(std::move(key));
    }
    // Stable, so that among keys of one frame the document order survives and the last wins.
    std::stable_sort(keys.begin(), keys.end(),
                     [](std::unique_ptr<Key> const& a, std::unique_ptr<Key> const& b) { return a->frame < b->frame; });

    m_min = min;
    m_max = max;
    m_def = def;
    copyValues(m_values, values.data(), m_count);
    destroyKeys();
    m_keys.reserve(qsizetype(keys.size()));
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i + 1 < keys.size() && keys[i + 1]->frame == keys[i]->frame)
            continue;
        m_keys.append(keys[i].release());
    }
    return 0;
}

template class NumGroupParameter<float>;
template class NumGroupParameter<int>;

} // namespace KelUtils
