#pragma once

#include <QString>
#include <QStringList>

class KelNGObject;
class TwCore;

namespace KelNodes {
class Node;
class NodeGraph;
}

// The per-object settings both project panels show (visibility, opacity, blend mode), and the
// rule that an edit marks what it changed: a project object marks the project modified, an
// object of a template under edit marks that template unsaved.
class TwObjectSettings
{
public:
    static bool isDisabled(KelNodes::NodeGraph* graph);
    static void setDisabled(KelNodes::NodeGraph* graph, bool disabled);
    static int opacity(KelNodes::NodeGraph* graph);
    // The blend-mode list holds ids; combo boxes show positions.
    static QStringList blendModeNames(KelNodes::NodeGraph* graph);
    static int blendModeId(KelNodes::NodeGraph* graph);
    // -1 when the position names no item.
    static int blendModeIdAt(KelNodes::NodeGraph* graph, int position);
    static int blendModePositionOf(KelNodes::NodeGraph* graph, int id);
    // Node name, or the type's display name when it has none.
    static QString displayName(KelNGObject* object);
    static QString nodeCountText(KelNGObject* object);

    // Marks the project modified, or the template that owns the object unsaved.
    static void markEdited(TwCore* core, KelNGObject* object);
    // The same for the object whose graph holds the node (or is the node).
    static void markEdited(TwCore* core, KelNodes::Node* node);
    // The node of that uid under the top-level graph; a project's root graph is searched through
    // the core. Cancels the render first (a template's graph may be the one rendering).
    static KelNodes::Node* findNode(TwCore* core, KelNodes::NodeGraph* topLevel, int uid);
    // Pushes onto the undo stack of the top-level graph (the core's for the project); without a
    // stack the command is applied once and dropped.
    static void push(KelNodes::NodeGraph* topLevel, class QUndoCommand* command);
    // Whether the object belongs to a template under edit.
    static bool inTemplateUnderEdit(KelNGObject* object);
};
