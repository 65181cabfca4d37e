#pragma once

#include "app/KelNGObject.h"

#include <QBuffer>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QGroupBox;
class KelNodeDescriptionTitle;
class KelParamAtom;

namespace KelNodes {
class Node;
}

// The important parameters of a project object and its descendant objects: one KelParamAtom
// row per parameter with the important display flag, grouped under a heading per node. Each node
// type contributes once in the whole object tree (the first node of the type met: the object's
// own nodes last to first, then each child object depth first).
//
// Holders call setInDestruction() before deleting the panel, while the nodes still exist.
class KelParamCrucial : public QWidget
{
    Q_OBJECT

public:
    KelParamCrucial(KelNGObject* object, QWidget* parent = nullptr, bool showTitle = true);
    ~KelParamCrucial() override;

    void createUI();
    void collectAtoms(KelNGObject* object);
    bool containsNodeParameter(KelNodes::Node* node) const;
    // Refreshes the rows that edit parameters of the node, in the node's parameter order.
    void checkUpdateNodeParameters(KelNodes::Node* node);
    void setInDestruction();
    // Re-reads the object's name into the heading; holders call it after a rename.
    void updateTitle();

    KelNGObject* object() const { return m_object; }
    QList<KelParamAtom*> const& atoms() const { return m_atoms; }
    QWidget* content() const { return m_content; }
    // Null without a heading.
    KelNodeDescriptionTitle* titleBar() const { return m_title; }

public slots:
    void updateStatusForDependencies(KelNodes::Node* node, int paramListIndex);

signals:
    void addParamUndo(KelParamAtom* atom, QBuffer* before);

protected:
    // Fits each node heading's title to the heading's width when that changes.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void fitHeading(QGroupBox* heading);

    // Guarded: the panel may outlive its effect until its holder drops it.
    QPointer<KelNGObject> m_object;
    QList<KelParamAtom*> m_atoms;
    QStringList m_collectedNodeTypes;
    QWidget* m_content;
    KelNodeDescriptionTitle* m_title = nullptr;
    bool m_showTitle;
    bool m_inDestruction = false;
};
