#pragma once

#include "params/ParameterCallback.h"
#include "params/ParameterList.h"
#include "params/StoreXmlCallback.h"
#include "params/UndoBlockCallback.h"

#include <QDomDocument>
#include <QDomElement>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

namespace KelUtils {

class Parameter;
class HelpItem;
struct Color;
struct ListItem;

// What parameters, editors and the XML code see of a parameter container.
//
// Parameter kinds are passed as their type codes (0 = any kind). Operations without a stated
// result return 0 on success and -1 on failure. The typed by-name accessors throw KelException
// with the message "No parameter found (<name>)" when no parameter of that name and kind exists.
//
// Locking: the container has one non-recursive read-write lock, taken by storeState (read),
// loadState (write), setNumFrames, setCurrentFrame, setKeyframeAt, deleteKeyframe, moveKeyframe
// (write), isKeyframe and keyframes (read). Lookups, typed accessors, callbacks, signal blocking
// and the undo bracket take no container lock. When both are held the container's lock is taken
// before a parameter's.
class IParameterContainer
{
public:
    virtual ~IParameterContainer() = default;

    virtual QString const& name() const = 0;
    virtual QString const& text() const = 0;

    // The container's XML section: appended to `parent` as its last child element.
    virtual int storeState(QDomDocument& document, QDomElement& parent, bool callHooks,
                           bool embed) const = 0;
    virtual int loadState(QDomElement const& section) = 0;

    virtual QList<ParameterList>& paramLists() = 0;
    virtual QList<ParameterList> const& paramLists() const = 0;

    // Exact names first, then names starting with `name`; a parameter passes when kind1 is 0,
    // its type is kind1, or kind2 is not 0 and its type is kind2. Null when none passes.
    virtual Parameter* getParamByName(QString const& name, int kind1 = 0, int kind2 = 0) = 0;
    virtual Parameter* getParamByName(QString const& name, int kind1 = 0, int kind2 = 0) const = 0;

    // Number of values of an int group (kinds 3, 5) or else a float group (kind 2).
    virtual int groupParamSize(QString const& name) const = 0;

    // Index-taking accessors refuse an index outside the group: setters return -1, getters the
    // group's default value.
    virtual int setIntParam(QString const& name, int value, int index = 0) = 0;
    virtual int getIntParam(QString const& name, int index = 0) const = 0;
    virtual int setIntGroupParam(QString const& name, int const* values) = 0;
    virtual int const* getIntGroupParam(QString const& name) const = 0;
    virtual int getIntGroupParam(QString const& name, int* out) const = 0;

    virtual int setFloatParam(QString const& name, float value, int index = 0) = 0;
    virtual float getFloatParam(QString const& name, int index = 0) const = 0;
    virtual int setFloatGroupParam(QString const& name, float const* values) = 0;
    virtual float const* getFloatGroupParam(QString const& name) const = 0;
    virtual int getFloatGroupParam(QString const& name, float* out) const = 0;

    virtual int setColorParam(QString const& name, Color const& color) = 0;
    virtual Color getColorParam(QString const& name) const = 0;

    virtual int setStringParam(QString const& name, QString const& text) = 0;
    virtual QString getStringParam(QString const& name) const = 0;

    // -1 when the list has no item with that id.
    virtual int setListParam(QString const& name, int id) = 0;
    // Null when the list has no current item: callers check before reading the id.
    virtual ListItem const* getListParam(QString const& name) const = 0;

    // While blocked, changes are recorded (each parameter once, in order of first change) and
    // no callback runs; unblocking replays them callback by callback. Not counted: one
    // blockSignals(false) ends any number of blockSignals(true).
    virtual void blockSignals(bool block) = 0;

    virtual void setUndoBlockCallback(UndoBlockCallback const* callback) = 0;
    virtual int undoBlockBegin(QString const& text, int id) = 0;
    virtual int undoBlockEnd(bool flag) = 0;
    virtual bool undoBlockActive() const = 0;

    // The change callbacks in force (the recording list while signals are blocked). Register a
    // callback by appending to this list.
    //
    // RULE for every callback registered here and in storeCallbacks(): it may run while the
    // container's lock is held (the change callbacks after a section load and the changes a
    // frame or keyframe operation causes; the store callbacks while a section is written). It
    // may read and set parameters, also through the typed by-name accessors, but it must NOT
    // call container operations that take the container's lock (storeState, loadState,
    // setNumFrames, setCurrentFrame, setKeyframeAt, deleteKeyframe, moveKeyframe, isKeyframe,
    // keyframes): the lock is not recursive and the call would deadlock.
    virtual QList<ParameterCallback>& paramCallbacks() = 0;
    virtual QList<StoreXmlCallback>& storeCallbacks() = 0;

    // Containers that lookups and frame operations visit after this one; not owned.
    virtual QList<IParameterContainer*> const& children() const = 0;
    virtual QList<IParameterContainer*>& children() = 0;

    // Free storage for users of the container; the container never reads it.
    virtual QMap<QString, QVariant>& auxData() = 0;

    // Frames are 0..numFrames()-1. The frame and keyframe operations visit this container's
    // keyframable parameters and then its children's. A frame outside the range is refused
    // with -1 before anything changes; otherwise every parameter is handled on its own, one
    // that refuses (a key already there, none to delete or move) is skipped, and the result is
    // -1 only when every parameter refused.
    virtual int numFrames() const = 0;
    // A negative count is ignored.
    virtual void setNumFrames(int count) = 0;
    virtual bool isKeyframe(int frame) const = 0;
    virtual QList<int> keyframes() const = 0;
    virtual int setKeyframeAt(int frame) = 0;
    virtual int deleteKeyframe(int frame) = 0;
    virtual int moveKeyframe(int from, int to) = 0;
    virtual int setCurrentFrame(int frame) = 0;
    virtual int currentFrame() const = 0;

    virtual HelpItem* helpItem() = 0;
};

} // namespace KelUtils
