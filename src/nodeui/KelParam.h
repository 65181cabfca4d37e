#pragma once

#include "nodeui/KelParamEditing.h"
#include "nodeui/KelParamUIRef.h"

#include <QBuffer>
#include <QHash>
#include <QMap>
#include <QMultiMap>
#include <QPair>
#include <QString>

class KDSynchronizedFormLayout;
class KelNodeDescription;
class KelToolBox;
class QLabel;
class QPushButton;
class QSlider;

namespace KelUtils {
class IParameterContainer;
class Parameter;

// Undo-block callbacks registered with a container; null user data does nothing.
template<class Class>
void undoBlockBeginCallback(IParameterContainer* container, QString const& name, int id, void* userData)
{
    if (userData)
        static_cast<Class*>(userData)->undoBlockBegin(container, name, id);
}

template<class Class>
void undoBlockEndCallback(IParameterContainer* container, bool commit, void* userData)
{
    if (userData)
        static_cast<Class*>(userData)->undoBlockEnd(container, commit);
}
} // namespace KelUtils

// The editing panel of one parameter container: one editor row per parameter, in collapsible
// sections opened by group-box parameters, with the help of the hovered row below.
//
// Editors and model stay in step both ways: a user edit writes the parameter and emits the
// snapshot taken before it (addParamUndo); any change of the container, from anywhere, refreshes
// every editor through the change callback the panel registers. That callback may run while the
// container's lock is held, so the refresh only reads parameters and never calls a container
// operation that locks.
class KelParam : public KelParamEditing
{
    Q_OBJECT

public:
    // The lists firstList .. endList - 1 (endList -1: to the last list, resolved at each walk).
    KelParam(KelUtils::IParameterContainer* container, int firstList = 0, int endList = -1);
    ~KelParam() override;

    void removeFromCallbacks();

    void createUI();
    void rethinkUI();
    // Writes the container's values and enable states into every editor, recomputes the section
    // headers and emits parameterChanged.
    void applyParamStateToUI();
    void paramChanged(KelUtils::Parameter* parameter);
    void updateGroupBoxHeaders();
    QString computeGroupBoxHeader(QString text);
    QString getTextForVariable(QString const& name, int index);
    // The name of the first shown parameter list.
    QString name();

    // A new snapshot of the whole container, owned by the caller.
    QBuffer* storeParamState();
    // Loads a snapshot into the container; the editors follow through the change callback or
    // applyParamStateToUI(). Takes no ownership.
    void loadParamState(QBuffer* buffer);

    void undoBlockBegin(KelUtils::IParameterContainer* container, QString const& name, int id);
    void undoBlockEnd(KelUtils::IParameterContainer* container, bool commit);

    KelUtils::IParameterContainer* container() const { return m_container; }
    KelToolBox* toolBox() const { return m_toolBox; }
    KelNodeDescription* description() const { return m_description; }
    bool isInDestruction() const { return m_inDestruction; }

    // The widgets of a parameter's row (null when it has none of that kind).
    QWidget* editorFor(KelUtils::Parameter const* parameter, int index = 0) const;
    QSlider* sliderFor(KelUtils::Parameter const* parameter, int index = 0) const;
    QPushButton* fileButtonFor(KelUtils::Parameter const* parameter) const;
    QLabel* labelFor(KelUtils::Parameter const* parameter) const;

signals:
    // The snapshot from before a user edit or a committed snapshot block; the receiver owns it.
    void addParamUndo(KelParam* panel, QBuffer* before);
    void parameterChanged(KelUtils::IParameterContainer* container);
    void addCommandUndo(KelParam* panel, QString commandName);

protected:
    bool event(QEvent* event) override;
    // For a panel whose container went with its node (the node item): nothing of the container
    // is touched afterwards, the destructor included.
    void forgetContainer() { m_container = nullptr; }

    KelParamUIRef editTarget(QObject* widget) const override;
    QSlider* sliderOf(KelParamUIRef const& target) const override;
    // Snapshot, pre-write hook, write; a refused write refreshes the row and drops the snapshot,
    // a successful one emits the snapshot and parameterChanged.
    void writeEdit(KelUtils::Parameter* parameter, Write const& write, bool quiet) override;
    void chooseFile(KelUtils::Parameter* parameter) override;

private:
    int resolvedEnd() const;
    // Builds the row of one parameter into the layout; false when the kind has no row.
    bool buildRow(KDSynchronizedFormLayout* layout, int list, KelUtils::Parameter* parameter);
    void refreshEditor(QObject* widget, KelParamUIRef const* ref);
    // After a refused write: the row shows the stored value again.
    void refreshRowsOf(KelUtils::Parameter const* parameter);

    KelUtils::IParameterContainer* m_container;
    // The container this panel was registered for as its undo-block owner; kept when the
    // container is forgotten, only to find that entry again.
    KelUtils::IParameterContainer* m_ownedUndoBlocks = nullptr;
    int m_firstList;
    int m_endList;
    KelToolBox* m_toolBox = nullptr;
    QMap<QObject*, KelParamUIRef*> m_editors;
    QMap<QObject*, KelParamUIRef*> m_fileButtons;
    QMap<QObject*, KelParamUIRef*> m_sliders;
    // The same sliders by parameter and value index, so that a refresh costs each editor once.
    QHash<QPair<KelUtils::Parameter const*, int>, QSlider*> m_sliderOfValue;
    QMap<QLabel*, KelUtils::Parameter*> m_labels;
    QMap<int, QString> m_groupNames;
    QMultiMap<int, QWidget*> m_widgetsByList;
    KelNodeDescription* m_description = nullptr;
    bool m_inDestruction = false;
    QString m_undoName;
    int m_undoId = 0;
    QBuffer* m_undoSnapshot = nullptr;
    bool m_undoBlockOpen = false;
};
