#pragma once

#include "params/HelpItem.h"
#include "params/ParamType.h"

#include <QIcon>
#include <QList>
#include <QReadWriteLock>
#include <QString>

class QByteArray;
class QDomDocument;
class QDomElement;

namespace KelUtils {

class IParameterContainer;
class GroupBoxParameter;
template <typename T> class NumGroupParameter;
class ColorParameter;
class ListParameter;
class StringParameter;
class ImageParameter;
class ButtonGroupParameter;

// Abstract base of every parameter kind: name, UI text, icon, help, owning container, display
// flags, current frame and the read-write lock that guards all fields of the parameter and of
// its kind.
//
// Locking rules for every kind: setters take the write lock for their compare-and-store and
// readers the read lock; nobody holds the lock while calling notifyUpdate(), the container or
// another virtual of the parameter. The lock is not recursive: code that already holds it must
// use the fields directly. storeSpecific() runs under the read lock and loadSpecific() under the
// write lock (both taken by store()/load()), so they touch fields directly and never call the
// locking setters or getters. store() and load() ask type() and supportsKeyframes() before they
// lock, so those two must work without locking.
class Parameter
{
public:
    // Display flag bits; only the low three bits are kept.
    enum DisplayFlag : int {
        DisplayEnabled = 1,   // editors enabled; cleared while an input terminal replaces the setting
        DisplayUnused = 2,    // no meaning, kept as it is
        DisplayImportant = 4, // listed among the important parameters of the project object
        DisplayMask = 7
    };

    // The display flags are stored as given (not masked).
    Parameter(QString const& name, QString const& text, IParameterContainer* container, int displayFlags);
    virtual ~Parameter();

    Parameter(Parameter const&) = delete;
    Parameter& operator=(Parameter const&) = delete;

    virtual ParamType type() const = 0;

    // Checked down-casts: each kind returns itself from its own pair, every other pair is null.
    virtual operator GroupBoxParameter*();
    virtual operator GroupBoxParameter const*() const;
    virtual operator NumGroupParameter<int>*();
    virtual operator NumGroupParameter<int> const*() const;
    virtual operator NumGroupParameter<float>*();
    virtual operator NumGroupParameter<float> const*() const;
    virtual operator ColorParameter*();
    virtual operator ColorParameter const*() const;
    virtual operator ListParameter*();
    virtual operator ListParameter const*() const;
    virtual operator StringParameter*();
    virtual operator StringParameter const*() const;
    virtual operator ImageParameter*();
    virtual operator ImageParameter const*() const;
    virtual operator ButtonGroupParameter*();
    virtual operator ButtonGroupParameter const*() const;

    // XML form common to all kinds: writes "name", for a stand-alone parameter also "type" and
    // "ui_text", then "flags", for keyframable kinds "frame_num", then the kind's own part.
    // Returns the result of storeSpecific().
    virtual int store(QDomElement& element, QDomDocument& document) const;
    // Reads "flags" and "frame_num", then the kind's part; returns -1 (and keeps the flags and
    // the frame) when the kind refuses the element, else applies the frame and returns 0.
    virtual int load(QDomElement const& element);

    // Byte payloads carried in "data" elements next to the parameters; nothing in the base.
    virtual int embedData(QDomElement& parent, QDomDocument& document) const;
    virtual int parseEmbeddedData(QDomElement const& dataElement);
    virtual QByteArray const* embeddedData() const;

    // A new stand-alone parameter of the same kind, owned by the caller; null in the base.
    virtual Parameter* clone() const;

    // Keyframes: the base has none; its operations succeed doing nothing.
    virtual bool supportsKeyframes() const;
    virtual bool isKeyframe(int frame) const;
    virtual QList<int> keyframes() const;
    virtual int setKeyframeAt(int frame);
    virtual int deleteKeyframe(int frame);
    virtual int moveKeyframe(int from, int to);
    // The base only records the frame (no check, no notification).
    virtual int setCurrentFrame(int frame);

    // The kind's own part of the XML form; the base writes and reads nothing and returns 0.
    virtual int storeSpecific(QDomElement& element, QDomDocument& document) const;
    virtual int loadSpecific(QDomElement const& element);

    // Calls the container's change callbacks with this parameter. Call without holding the lock.
    void notifyUpdate();

    // Sets the bits of (bits & 7) unless one of them is already set.
    void setDisplayFlagOne(int bits);
    // Clears the bits of (bits & 7) when at least one of them is set.
    void setDisplayFlagZero(int bits);
    // Replaces the flags by (flags & 7); returns the flags now held.
    int setDisplayFlags(int flags);
    int displayFlags() const;

    QString const& name() const { return m_name; }
    QString const& text() const { return m_text; }

    QIcon icon() const;
    void setIcon(QIcon const& icon);

    HelpItem* helpItem() { return &m_help; }
    HelpItem const* helpItem() const { return &m_help; }
    void setHelpItem(HelpItem const& help);

    IParameterContainer* container() const { return m_container; }
    // Only a parameter list that moves its parameters to another container calls this.
    void setContainer(IParameterContainer* container);

    int currentFrame() const;

protected:
    // Whether frame may hold a key: at least 0 and, with a container, below its frame count.
    // Asks the container, so call it before taking the lock.
    bool isValidFrame(int frame) const;
    // The owning container's frame count, or -1 without a container.
    int frameCount() const;

    QString m_name;
    QString m_text;
    QIcon m_icon;
    HelpItem m_help;
    IParameterContainer* m_container = nullptr;
    int m_displayFlags = 0;
    mutable QReadWriteLock m_lock;
    int m_currentFrame = 0;
};

} // namespace KelUtils
