#pragma once

#include "nodes/NodeSubscriber.h"
#include "nodeui/KelParamEditing.h"

#include <QBuffer>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPair>

class KDSynchronizedFormLayout;
class QLabel;
class QSlider;

namespace KelNodes {
class Node;
}
namespace KelUtils {
class Parameter;
}

// The editor row of one parameter. Bound to a node (setNode) it is undoable: it snapshots the
// node's parameters before each edit and emits addParamUndo after it, and refreshes itself from
// the node container's change callback. Unbound (a template's parameter) it only writes.
//
// The change callback may run while the container's lock is held: the refresh only reads the
// parameter and never calls a container operation that locks.
//
// A bound atom watches its node: should the node be destroyed before the atom was told (its
// graph deleted with it), the atom lets go of node and parameter and edits nothing more.
class KelParamAtom : public KelParamEditing, public KelNodes::NodeSubscriber
{
    Q_OBJECT

public:
    // Builds no widgets; the atom owns the parameter until setOwnsParameter(false).
    explicit KelParamAtom(KelUtils::Parameter* param, QWidget* parent = nullptr);
    // Deletes the parameter when it owns it; unbinds first if still bound (the node must still
    // exist then).
    ~KelParamAtom() override;

    // Binds the atom and registers its change callback; before createUI().
    void setNode(KelNodes::Node* node);
    // Unbinds for good (for either value): removes the callback, clears the node.
    void setInDestruction(bool on);
    void paramChanged(KelUtils::Parameter* parameter);

    // Builds the row into the form layout set with setFormLayout, or into an own one. Once.
    void createUI();
    // A new snapshot of the bound node's container (null while unbound); the caller owns it.
    QBuffer* storeParamState();
    void applyParamStateToUI();
    void updateVisibilityStatus();

    KelUtils::Parameter* parameter() const { return m_param; }
    KelNodes::Node* node() const { return m_node; }
    bool ownsParameter() const { return m_ownsParameter; }
    void setOwnsParameter(bool owns) { m_ownsParameter = owns; }
    int paramListIndex() const { return m_paramListIndex; }
    void setParamListIndex(int index) { m_paramListIndex = index; }
    KDSynchronizedFormLayout* formLayout() const { return m_layout; }
    void setFormLayout(KDSynchronizedFormLayout* layout) { m_layout = layout; }
    bool isInDestruction() const { return m_inDestruction; }
    QLabel* label() const { return m_label; }
    // The value editors (spin boxes, check box, colour field, combo box, line edit) with the
    // value index each edits, and the sliders likewise.
    QMap<QObject*, int> const& editors() const { return m_editors; }
    QSlider* sliderFor(int index) const;
    QWidget* editorFor(int index = 0) const;

    // NodeSubscriber: the bound node's destruction.
    void notify(KelNodes::Node* node, KelNodes::NodeSubscriber::Event event) override;

signals:
    void addParamUndo(KelParamAtom* atom, QBuffer* before);
    void updateStatusForDependencies(KelNodes::Node* node, int paramListIndex);

protected:
    KelParamUIRef editTarget(QObject* widget) const override;
    QSlider* sliderOf(KelParamUIRef const& target) const override;
    // Bound: snapshot, pre-write hook, write, addParamUndo; unbound: only the write. A refused
    // write refreshes the row and drops the snapshot.
    void writeEdit(KelUtils::Parameter* parameter, Write const& write, bool quiet) override;
    // A cancelled dialog still emits addParamUndo.
    void chooseFile(KelUtils::Parameter* parameter) override;

private:
    QMap<QObject*, int> m_editors;
    int m_paramListIndex = 0;
    KelUtils::Parameter* m_param;
    KelNodes::Node* m_node = nullptr;
    // By value index, so that refreshing a row costs its values once.
    QHash<int, QSlider*> m_sliders;
    QLabel* m_label = nullptr;
    KDSynchronizedFormLayout* m_layout = nullptr;
    bool m_ownsParameter = true;
    bool m_inDestruction = false;
    bool m_uiBuilt = false;
};
