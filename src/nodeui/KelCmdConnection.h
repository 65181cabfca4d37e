#pragma once

#include "nodes/TerminalKinds.h"

#include <QList>
#include <QString>
#include <QUndoCommand>

class KelNGNodeConnection;
class KelNGNodeGraphView;
class TwCore;

namespace KelNodes {
class NodeGraph;
class Terminal;
}

// Undoable making or breaking of a wire in the node-graph view. The first redo works on the
// view's wire (pushed inside the view's signal); later redos and undos find both nodes by uid
// and their terminals by name, so the command outlives the view's items. Every step stops the
// render first and starts it again last.
//
// A made link may displace others (a single-link terminal drops its old link): they are
// recorded by the first redo, given back by undo and taken away again by later redos, so that
// undo returns exactly the graph from before. Links are kept by the uid of the node that owns
// each terminal: an effect's item also shows the terminals of the nodes inside it. The kinds of
// both ends and of their peers are recorded on each side of the first redo and put back around
// every later step, so that a link a node narrowed its terminal against can be made again.
class KelCmdConnection : public QUndoCommand
{
public:
    // `graph` is the top-level graph of the wire's nodes; `make` false breaks the wire.
    KelCmdConnection(TwCore* core, KelNGNodeGraphView* view, KelNodes::NodeGraph* graph,
                     KelNGNodeConnection* wire, bool make);
    ~KelCmdConnection() override;

    void undo() override;
    void redo() override;

    int sourceUid() const { return m_sourceUid; }
    int destinationUid() const { return m_destinationUid; }
    QString const& sourceTerminalName() const { return m_sourceTerminal; }
    QString const& destinationTerminalName() const { return m_destinationTerminal; }

private:
    // Both ends of a model link, by node uid and terminal name.
    struct Link
    {
        int sourceUid;
        QString sourceTerminal;
        int destinationUid;
        QString destinationTerminal;

        bool operator==(Link const&) const = default;
    };

    void firstRedo();
    // Makes (true) or breaks the made link with the displaced ones, the kinds of `kinds` standing.
    bool step(bool connect, KelNodes::TerminalKinds const& kinds) const;
    KelNodes::TerminalKinds kindsAround(KelNodes::Terminal const* a, KelNodes::Terminal const* b) const;
    void recordKindsAfter(KelNodes::Terminal const* a, KelNodes::Terminal const* b);
    // Links (true) or unlinks the two terminals found by uid and name; false when one is gone.
    bool link(Link const& ends, bool connect, KelNodes::TerminalKinds const& kinds) const;
    Link madeLink() const;
    // The links the made wire replaced: out (false) before the wire is linked, in after.
    void linkDisplaced(bool connect, KelNodes::TerminalKinds const& kinds) const;
    static QList<Link> linksOf(QList<KelNodes::Terminal*> const& terminals);

    KelNGNodeGraphView* m_view;
    KelNodes::NodeGraph* m_graph;
    KelNGNodeConnection* m_wire;
    bool m_firstRedo = true;
    bool m_make;
    int m_sourceUid = -1;
    int m_destinationUid = -1;
    QString m_sourceTerminal;
    QString m_destinationTerminal;
    TwCore* m_core;
    QList<Link> m_displaced;
    // The kinds of the ends and their peers before and after the first redo.
    KelNodes::TerminalKinds m_kindsBefore;
    KelNodes::TerminalKinds m_kindsAfter;
};
