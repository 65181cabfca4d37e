#pragma once

#include "mainwindow/TwTopLevelGraphRef.h"

#include <QPointer>
#include <QUndoCommand>

class KelNGObject;
class TwObjectEditor;

namespace KelNodes {
class NodeGraph;
}

// Renames an object of a template under edit: from the Template tab on the project's history,
// from the Templates list on the template's own. It finds the object again by its graph's uid in
// the template's graph; a graph that is gone, or a template deleted since, leaves it without
// effect.
class TwCmdObjectTemplateName : public QUndoCommand
{
public:
    TwCmdObjectTemplateName(TwObjectEditor* editor, KelNGObject* object, QString const& newName,
                            QString const& oldName);

    void redo() override;
    void undo() override;

private:
    void apply(QString const& name);

    QPointer<TwObjectEditor> m_editor;
    TwTopLevelGraphRef m_topLevel;
    int m_graphUid;
    QString m_newName;
    QString m_oldName;
};
