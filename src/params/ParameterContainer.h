#pragma once

#include "params/HelpItem.h"
#include "params/IParameterContainer.h"

#include <QReadWriteLock>

namespace KelUtils {

// The parameter container of a node: named lists of parameters that it owns, typed access by
// name, change notification with blocking and replay, frames and keyframes over all its
// parameters, and its XML section. See IParameterContainer for the locking rule that every
// registered callback must obey.
class ParameterContainer : public IParameterContainer
{
public:
    ParameterContainer(QString const& name, QString const& text);
    ~ParameterContainer() override;

    ParameterContainer(ParameterContainer const&) = delete;
    ParameterContainer& operator=(ParameterContainer const&) = delete;

    QString const& name() const override;
    QString const& text() const override;

    int storeState(QDomDocument& document, QDomElement& parent, bool callHooks,
                   bool embed) const override;
    int loadState(QDomElement const& section) override;

    QList<ParameterList>& paramLists() override;
    QList<ParameterList> const& paramLists() const override;

    Parameter* getParamByName(QString const& name, int kind1 = 0, int kind2 = 0) override;
    Parameter* getParamByName(QString const& name, int kind1 = 0, int kind2 = 0) const override;
    int groupParamSize(QString const& name) const override;

    int setIntParam(QString const& name, int value, int index = 0) override;
    int getIntParam(QString const& name, int index = 0) const override;
    int setIntGroupParam(QString const& name, int const* values) override;
    int const* getIntGroupParam(QString const& name) const override;
    int getIntGroupParam(QString const& name, int* out) const override;

    int setFloatParam(QString const& name, float value, int index = 0) override;
    float getFloatParam(QString const& name, int index = 0) const override;
    int setFloatGroupParam(QString const& name, float const* values) override;
    float const* getFloatGroupParam(QString const& name) const override;
    int getFloatGroupParam(QString const& name, float* out) const override;

    int setColorParam(QString const& name, Color const& color) override;
    Color getColorParam(QString const& name) const override;

    int setStringParam(QString const& name, QString const& text) override;
    QString getStringParam(QString const& name) const override;

    int setListParam(QString const& name, int id) override;
    ListItem const* getListParam(QString const& name) const override;

    void blockSignals(bool block) override;
    bool signalsBlocked() const;
    // Parameters recorded during the last block, in order of first change.
    QList<Parameter*> const& recordedParameters() const;

    void setUndoBlockCallback(UndoBlockCallback const* callback) override;
    int undoBlockBegin(QString const& text, int id) override;
    int undoBlockEnd(bool flag) override;
    bool undoBlockActive() const override;

    QList<ParameterCallback>& paramCallbacks() override;
    QList<StoreXmlCallback>& storeCallbacks() override;

    QList<IParameterContainer*> const& children() const override;
    QList<IParameterContainer*>& children() override;

    QMap<QString, QVariant>& auxData() override;

    int numFrames() const override;
    void setNumFrames(int count) override;
    bool isKeyframe(int frame) const override;
    QList<int> keyframes() const override;
    int setKeyframeAt(int frame) override;
    int deleteKeyframe(int frame) override;
    int moveKeyframe(int from, int to) override;
    int setCurrentFrame(int frame) override;
    int currentFrame() const override;

    HelpItem* helpItem() override;

    // The section element, not yet attached: a bare element named after the container.
    // Subclasses add their attributes and children; it runs before the lock is taken.
    virtual QDomElement createXmlSection(QDomDocument& document, bool callHooks, bool embed) const;

    // Display flags by name (any kind); both throw KelException for an unknown name.
    int paramFlags(QString const& name) const;
    void setParamFlags(QString const& name, int flags);

    // The recording callback in force while signals are blocked.
    static void paramChangeStore(IParameterContainer* container, Parameter* parameter,
                                 void* userData);

protected:
    // For subclasses that extend the section reader: the lock guarding the frame fields, and
    // a plain store of the current frame that moves no parameter. Call it with the lock held.
    QReadWriteLock& frameLock() const;
    void setCurrentFrameField(int frame);

private:
    Parameter* findParameter(QString const& name, int kind1, int kind2) const;
    Parameter* requireParameter(QString const& name, int kind1, int kind2) const;
    QList<Parameter*> keyframeParameters() const;
    bool isValidFrame(int frame) const;
    template<typename Operation>
    int applyToKeyframeParameters(Operation operation);

    QString m_name;
    QString m_text;
    HelpItem m_help;
    QList<ParameterList> m_paramLists;
    QList<ParameterCallback> m_callbacks;
    QList<StoreXmlCallback> m_storeCallbacks;
    UndoBlockCallback m_undoCallback;
    bool m_undoBlockActive = false;
    QMap<QString, QVariant> m_auxData;
    int m_numFrames = 100;
    int m_currentFrame = 0;
    bool m_signalsBlocked = false;
    mutable QReadWriteLock m_lock;
    QList<IParameterContainer*> m_children;
    QList<ParameterCallback> m_recordingCallbacks;
    QList<Parameter*> m_recorded;
};

} // namespace KelUtils
