#pragma once

#include <QPointer>
#include <QUndoCommand>

class KelNGObject;
class TwObjectEditor;

namespace KelNodes {
class NodeGraph;
}

// Renames an object of a template under edit. It lives on the undo stack of the template's own
// graph, which is deleted with the template, and finds the object there again by its graph's
// uid; a graph that is gone leaves it without effect.
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
    KelNodes::NodeGraph* m_topLevel;
    int m_graphUid;
    QString m_newName;
    QString m_oldName;
};
