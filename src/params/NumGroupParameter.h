#pragma once

#include "params/NumGroupKey.h"
#include "params/Parameter.h"

#include <QList>

#include <type_traits>
#include <vector>

namespace KelUtils {

// Largest number of values a numeric group can hold.
constexpr int MaxGroupValues = 0x40000;

// Most values of a group read from a file, and most value boxes an editor builds for a group:
// sixteen times the program's largest own group (4 values), while each value costs widgets.
constexpr int MaxStoredGroupValues = 64;

// A group of count numbers (float or int) with a range, a default, a slider flag and keyframes.
// The values live in the caller's array (a node binds its member array so that rendering reads
// them directly) or in an array the parameter owns.
//
// The range is closed when maximum >= minimum; an open range (maximum < minimum) refuses no value.
// Keys are sorted by frame, one per frame; the active key is the one exactly at the current
// frame, and edits of the values are copied into it.
template <typename T>
class NumGroupParameter : public Parameter
{
    static_assert(std::is_same_v<T, float> || std::is_same_v<T, int>, "float or int groups only");

public:
    using Key = NumGroupKey<T>;

    // All count entries of the values array (also a caller's array) are set to def.
    NumGroupParameter(QString const& name, QString const& text, IParameterContainer* container,
                      T* values, int count, T min, T max, T def, bool slider, int displayFlags);
    ~NumGroupParameter() override;

    // Float: 2. Int: 5 while it has one value and the range 0..1, else 3.
    ParamType type() const override;
    operator NumGroupParameter<T>*() override { return this; }
    operator NumGroupParameter<T> const*() const override { return this; }

    // Same name, text, count, range and values; no container, slider false, flags 1, no keys.
    Parameter* clone() const override;

    // A closed range needs min <= def <= max (else -1); values outside it become def.
    int setRange(T min, T max, T def);
    // Notifies even when the value is already held. -1 for an index out of range or a value
    // outside a closed range (NaN is never taken).
    int setValue(T v, int index = 0);
    // Sets the first n values (all for n < 0 or n > count); all-or-nothing. Returns the number
    // taken, 0 (and no notification) when nothing differs, -1 when one is refused.
    int setValues(T const* v, int n);
    // Changes the count (0..MaxGroupValues); values go to the caller's array when given, else to
    // an owned one. New entries and new key entries take the default.
    int resize(T* values, int n);

    int getRange(T* min, T* max, T* def) const;
    T minimum() const;
    T maximum() const;
    T defaultValue() const;
    // Copies the first n values (all for n < 0 or n > count); returns the number copied.
    int getValues(T* out, int n) const;
    // The default for an index out of range.
    T value(int index = 0) const;
    // The values array (read-only); valid until the next resize or destruction.
    T const* values(int* count = nullptr) const;
    int numValues() const;
    bool showAsSlider() const { return m_slider; }

    bool supportsKeyframes() const override { return true; }
    bool isKeyframe(int frame) const override;
    QList<int> keyframes() const override;
    // A key with the values shown at the current frame; -1 for an invalid frame or an existing key.
    int setKeyframeAt(int frame) override;
    int deleteKeyframe(int frame) override;
    // Moves a key; a key already at `to` is replaced.
    int moveKeyframe(int from, int to) override;
    // Shows the values of frame (held before the first and after the last key, interpolated
    // between keys); -1 for an invalid frame.
    int setCurrentFrame(int frame) override;

    int storeSpecific(QDomElement& element, QDomDocument& document) const override;
    // Reads range, values and keys. A stored range only narrows the own range; values and key
    // values are clamped into a closed range; keys are sorted, one per frame (the last in the
    // document wins), keys at negative frames are dropped.
    int loadSpecific(QDomElement const& element) override;

    // A key holding a copy of count entries of values.
    virtual int setKeyframeAt(int frame, T const* values);

    // Writes the values that frame shows into out (count entries); returns the key exactly at
    // frame, or null. Takes no lock: callers hold it.
    Key* calcFrameValues(int frame, T* out) const;

private:
    bool refuses(T v) const;
    T clamped(T v) const;
    QString valueAttributeName(int index) const;
    int valueIndexOfAttribute(QString const& name) const;
    void readValueAttributes(QDomElement const& element, T* out) const;
    int insertKey(int frame, T const* values);
    void destroyKeys();

    int m_count = 0;
    T* m_values = nullptr;
    std::vector<T> m_owned;
    bool m_ownsValues = false;
    T m_min;
    T m_max;
    T m_def;
    bool m_slider;
    QList<Key*> m_keys;
    Key* m_activeKey = nullptr;
};

extern template class NumGroupParameter<float>;
extern template class NumGroupParameter<int>;

} // namespace KelUtils
