#pragma once

#include "nodes/UnrestoredLink.h"

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
// each terminal: an effect's item also shows the terminals of the nodes inside it. A later step
// makes its links again on the widest kinds their ends take and settles the kinds once they
// stand (KelNodes::KindSettling), whatever order they came and went in; a link that still cannot
// be made is named to the user.
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
    // Makes (true) or breaks the made link with the displaced ones; the links it could not make
    // are named to the user. Whether the made link's ends were found.
    bool step(bool connect) const;
    // Links (true) or unlinks the two terminals found by uid and name; false when one is gone.
    // A link that is not made is added to `unmade`.
    bool link(Link const& ends, bool connect, QList<KelNodes::UnrestoredLink>& unmade) const;
    Link madeLink() const;
    // The links the made wire replaced: out (false) before the wire is linked, in after.
    void linkDisplaced(bool connect, QList<KelNodes::UnrestoredLink>& unmade) const;
    KelNodes::UnrestoredLink named(Link const& ends, KelNodes::UnrestoredLink::Why why) const;
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
};
