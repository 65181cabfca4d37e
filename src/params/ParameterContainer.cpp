#include "params/ParameterContainer.h"

#include "params/ColorParameter.h"
#include "params/KelException.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/Parameter.h"
#include "params/StringParameter.h"

#include <QReadLocker>
#include <QSet>
#include <QWriteLocker>

#include <algorithm>

namespace KelUtils {

namespace {

bool passesKind(Parameter const* parameter, int kind1, int kind2)
{
    const int t = parameter->type();
    if (kind1 == 0 || t == kind1)
        return true;
    return kind2 != 0 && t == kind2;
}

// Lists of this container, then of each child, in order.
QList<QList<ParameterList> const*> walkLists(IParameterContainer const* self)
{
    QList<QList<ParameterList> const*> result;
    result.append(&self->paramLists());
    for (IParameterContainer const* child : self->children()) {
        if (child)
            result.append(&child->paramLists());
    }
    return result;
}

} // namespace

ParameterContainer::ParameterContainer(QString const& name, QString const& text)
    : m_name(name)
    , m_text(text)
{
    m_recordingCallbacks.append(ParameterCallback{&ParameterContainer::paramChangeStore, this});
}

ParameterContainer::~ParameterContainer()
{
    // A parameter may sit in more than one list; it is still deleted once.
    QSet<Parameter*> deleted;
    for (ParameterList const& list : std::as_const(m_paramLists)) {
        for (Parameter* parameter : list.parameters) {
            if (!parameter || deleted.contains(parameter))
                continue;
            deleted.insert(parameter);
            delete parameter;
        }
    }
}

QString const& ParameterContainer::name() const { return m_name; }
QString const& ParameterContainer::text() const { return m_text; }
QList<ParameterList>& ParameterContainer::paramLists() { return m_paramLists; }
QList<ParameterList> const& ParameterContainer::paramLists() const { return m_paramLists; }
QList<StoreXmlCallback>& ParameterContainer::storeCallbacks() { return m_storeCallbacks; }
QList<IParameterContainer*> const& ParameterContainer::children() const { return m_children; }
QList<IParameterContainer*>& ParameterContainer::children() { return m_children; }
QMap<QString, QVariant>& ParameterContainer::auxData() { return m_auxData; }
int ParameterContainer::numFrames() const { return m_numFrames; }
int ParameterContainer::currentFrame() const { return m_currentFrame; }
HelpItem* ParameterContainer::helpItem() { return &m_help; }
bool ParameterContainer::undoBlockActive() const { return m_undoBlockActive; }
bool ParameterContainer::signalsBlocked() const { return m_signalsBlocked; }
QList<Parameter*> const& ParameterContainer::recordedParameters() const { return m_recorded; }
QReadWriteLock& ParameterContainer::frameLock() const { return m_lock; }
void ParameterContainer::setCurrentFrameField(int frame) { m_currentFrame = frame; }

// --- lookup -----------------------------------------------------------------------------------

Parameter* ParameterContainer::findParameter(QString const& name, int kind1, int kind2) const
{
    if (name.isEmpty())
        return nullptr;
    const QList<QList<ParameterList> const*> lists = walkLists(this);
    for (QList<ParameterList> const* container : lists) {
        for (ParameterList const& list : *container) {
            for (Parameter* parameter : list.parameters) {
                if (parameter && parameter->name() == name && passesKind(parameter, kind1, kind2))
                    return parameter;
            }
        }
    }
    for (QList<ParameterList> const* container : lists) {
        for (ParameterList const& list : *container) {
            for (Parameter* parameter : list.parameters) {
                if (parameter && parameter->name().startsWith(name)
                    && passesKind(parameter, kind1, kind2))
                    return parameter;
            }
        }
    }
    return nullptr;
}

Parameter* ParameterContainer::requireParameter(QString const& name, int kind1, int kind2) const
{
    Parameter* parameter = findParameter(name, kind1, kind2);
    if (!parameter)
        throw KelException(0, QStringLiteral("No parameter found (") + name + QLatin1Char(')'));
    return parameter;
}

Parameter* ParameterContainer::getParamByName(QString const& name, int kind1, int kind2)
{
    return findParameter(name, kind1, kind2);
}

Parameter* ParameterContainer::getParamByName(QString const& name, int kind1, int kind2) const
{
    return findParameter(name, kind1, kind2);
}

int ParameterContainer::groupParamSize(QString const& name) const
{
    if (Parameter* p = findParameter(name, ParamIntGroup, ParamBool)) {
        if (NumGroupParameter<int>* group = *p)
            return group->numValues();
    }
    Parameter* p = requireParameter(name, ParamFloatGroup, 0);
    NumGroupParameter<float>* group = *p;
    return group ? group->numValues() : 0;
}

// --- typed access -------------------------------------------------------------------------------

int ParameterContainer::setIntParam(QString const& name, int value, int index)
{
    NumGroupParameter<int>* group = *requireParameter(name, ParamIntGroup, ParamBool);
    if (!group || index < 0 || index >= group->numValues())
        return -1;
    return group->setValue(value, index);
}

int ParameterContainer::getIntParam(QString const& name, int index) const
{
    NumGroupParameter<int> const* group = *requireParameter(name, ParamIntGroup, ParamBool);
    if (!group)
        return 0;
    return group->value(index); // the default for an index outside the group
}

int ParameterContainer::setIntGroupParam(QString const& name, int const* values)
{
    NumGroupParameter<int>* group = *requireParameter(name, ParamIntGroup, ParamBool);
    return group ? group->setValues(values, -1) : -1;
}

int const* ParameterContainer::getIntGroupParam(QString const& name) const
{
    NumGroupParameter<int> const* group = *requireParameter(name, ParamIntGroup, ParamBool);
    return group ? group->values() : nullptr;
}

int ParameterContainer::getIntGroupParam(QString const& name, int* out) const
{
    NumGroupParameter<int> const* group = *requireParameter(name, ParamIntGroup, ParamBool);
    return group ? group->getValues(out, -1) : 0;
}

int ParameterContainer::setFloatParam(QString const& name, float value, int index)
{
    NumGroupParameter<float>* group = *requireParameter(name, ParamFloatGroup, 0);
    if (!group || index < 0 || index >= group->numValues())
        return -1;
    return group->setValue(value, index);
}

float ParameterContainer::getFloatParam(QString const& name, int index) const
{
    NumGroupParameter<float> const* group = *requireParameter(name, ParamFloatGroup, 0);
    if (!group)
        return 0.0f;
    return group->value(index);
}

int ParameterContainer::setFloatGroupParam(QString const& name, float const* values)
{
    NumGroupParameter<float>* group = *requireParameter(name, ParamFloatGroup, 0);
    return group ? group->setValues(values, -1) : -1;
}

float const* ParameterContainer::getFloatGroupParam(QString const& name) const
{
    NumGroupParameter<float> const* group = *requireParameter(name, ParamFloatGroup, 0);
    return group ? group->values() : nullptr;
}

int ParameterContainer::getFloatGroupParam(QString const& name, float* out) const
{
    NumGroupParameter<float> const* group = *requireParameter(name, ParamFloatGroup, 0);
    return group ? group->getValues(out, -1) : 0;
}

int ParameterContainer::setColorParam(QString const& name, Color const& color)
{
    ColorParameter* parameter = *requireParameter(name, ParamColor, 0);
    return parameter ? parameter->setValue(color) : -1;
}

Color ParameterContainer::getColorParam(QString const& name) const
{
    ColorParameter const* parameter = *requireParameter(name, ParamColor, 0);
    return parameter ? parameter->value() : Color();
}

int ParameterContainer::setStringParam(QString const& name, QString const& text)
{
    StringParameter* parameter = *requireParameter(name, ParamString, ParamFileName);
    return parameter ? parameter->setValue(text) : -1;
}

QString ParameterContainer::getStringParam(QString const& name) const
{
    StringParameter const* parameter = *requireParameter(name, ParamString, ParamFileName);
    return parameter ? parameter->value() : QString();
}

int ParameterContainer::setListParam(QString const& name, int id)
{
    ListParameter* parameter = *requireParameter(name, ParamList, 0);
    return parameter ? parameter->setValue(id) : -1;
}

ListItem const* ParameterContainer::getListParam(QString const& name) const
{
    ListParameter const* parameter = *requireParameter(name, ParamList, 0);
    return parameter ? parameter->currentItem() : nullptr;
}

int ParameterContainer::paramFlags(QString const& name) const
{
    return requireParameter(name, 0, 0)->displayFlags();
}

void ParameterContainer::setParamFlags(QString const& name, int flags)
{
    // setDisplayFlags masks, compares under the lock and notifies only on a change.
    requireParameter(name, 0, 0)->setDisplayFlags(flags);
}

// --- notification -------------------------------------------------------------------------------

QList<ParameterCallback>& ParameterContainer::paramCallbacks()
{
    return m_signalsBlocked ? m_recordingCallbacks : m_callbacks;
}

void ParameterContainer::paramChangeStore(IParameterContainer* container, Parameter* parameter,
                                          void* userData)
{
    auto* self = static_cast<ParameterContainer*>(userData);
    if (!self)
        self = dynamic_cast<ParameterContainer*>(container);
    if (self && !self->m_recorded.contains(parameter))
        self->m_recorded.append(parameter);
}

void ParameterContainer::blockSignals(bool block)
{
    if (block == m_signalsBlocked)
        return;
    m_signalsBlocked = block;
    if (block) {
        m_recorded.clear();
        return;
    }
    // Callback-major: each callback hears of every recorded change before the next one starts.
    const QList<ParameterCallback> callbacks = m_callbacks;
    const QList<Parameter*> recorded = m_recorded;
    for (ParameterCallback const& callback : callbacks) {
        if (!callback.function)
            continue;
        for (Parameter* parameter : recorded)
            callback.function(this, parameter, callback.userData);
    }
}

// --- undo bracket -------------------------------------------------------------------------------

void ParameterContainer::setUndoBlockCallback(UndoBlockCallback const* callback)
{
    m_undoCallback = callback ? *callback : UndoBlockCallback{};
}

int ParameterContainer::undoBlockBegin(QString const& text, int id)
{
    if (m_undoBlockActive)
        undoBlockEnd(true);
    m_undoBlockActive = true;
    if (m_undoCallback.begin)
        m_undoCallback.begin(this, text, id, m_undoCallback.userData);
    return 0;
}

int ParameterContainer::undoBlockEnd(bool flag)
{
    m_undoBlockActive = false;
    if (m_undoCallback.end)
        m_undoCallback.end(this, flag, m_undoCallback.userData);
    return 0;
}

// --- frames and keyframes -----------------------------------------------------------------------

QList<Parameter*> ParameterContainer::keyframeParameters() const
{
    QList<Parameter*> result;
    for (QList<ParameterList> const* container : walkLists(this)) {
        for (ParameterList const& list : *container) {
            for (Parameter* parameter : list.parameters) {
                if (parameter && parameter->supportsKeyframes())
                    result.append(parameter);
            }
        }
    }
    return result;
}

void ParameterContainer::setNumFrames(int count)
{
    if (count < 0)
        return;
    QWriteLocker locker(&m_lock);
    m_numFrames = count;
    for (IParameterContainer* child : std::as_const(m_children)) {
        if (child)
            child->setNumFrames(count);
    }
}

bool ParameterContainer::isValidFrame(int frame) const
{
    return frame >= 0 && frame < m_numFrames;
}

template<typename Operation>
int ParameterContainer::applyToKeyframeParameters(Operation operation)
{
    // Each parameter on its own: one that refuses (no key to delete or move, a key already
    // there) must not keep the others from following, or their keys would drift apart.
    const QList<Parameter*> parameters = keyframeParameters();
    bool anyAccepted = parameters.isEmpty();
    for (Parameter* parameter : parameters) {
        if (operation(parameter) >= 0)
            anyAccepted = true;
    }
    return anyAccepted ? 0 : -1;
}

int ParameterContainer::setCurrentFrame(int frame)
{
    if (frame == m_currentFrame)
        return 0;
    QWriteLocker locker(&m_lock);
    if (!isValidFrame(frame))
        return -1;
    m_currentFrame = frame;
    int result = 0;
    for (Parameter* parameter : keyframeParameters()) {
        if (parameter->setCurrentFrame(frame) < 0)
            result = -1;
    }
    return result;
}

int ParameterContainer::setKeyframeAt(int frame)
{
    QWriteLocker locker(&m_lock);
    if (!isValidFrame(frame))
        return -1;
    return applyToKeyframeParameters([frame](Parameter* p) { return p->setKeyframeAt(frame); });
}

int ParameterContainer::deleteKeyframe(int frame)
{
    QWriteLocker locker(&m_lock);
    if (!isValidFrame(frame))
        return -1;
    return applyToKeyframeParameters([frame](Parameter* p) { return p->deleteKeyframe(frame); });
}

int ParameterContainer::moveKeyframe(int from, int to)
{
    QWriteLocker locker(&m_lock);
    if (from == to || !isValidFrame(from) || !isValidFrame(to))
        return -1;
    return applyToKeyframeParameters([from, to](Parameter* p) { return p->moveKeyframe(from, to); });
}

bool ParameterContainer::isKeyframe(int frame) const
{
    QReadLocker locker(&m_lock);
    const QList<Parameter*> parameters = keyframeParameters();
    return std::any_of(parameters.cbegin(), parameters.cend(),
                       [frame](Parameter* p) { return p->isKeyframe(frame); });
}

QList<int> ParameterContainer::keyframes() const
{
    QReadLocker locker(&m_lock);
    QList<int> frames;
    for (Parameter* parameter : keyframeParameters()) {
        for (int frame : parameter->keyframes()) {
            if (frame >= 0 && frame < m_numFrames)
                frames.append(frame);
        }
    }
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    return frames;
}

} // namespace KelUtils
