#pragma once

// What a user does in the real main window (offscreen, the real "styles.xml"): clicks on rows
// and nodes, the two view modes, the object editor's Show buttons, typed values, the timeline's
// frame field, key buttons and key drags; and what the project would be saved as.

#include "MainWindowFixture.h"
#include "ProjectReadBack.h"

#include <QByteArray>
#include <QEvent>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

class KelNGObject;
class KelTimeline;
class QAbstractSpinBox;
class QSpinBox;

namespace KelNodes {
class Node;
class Terminal;
}

namespace KelUtils {
class Parameter;
}

namespace KelVyxNodes {
class VyxNodeGraph;
}

namespace MainWindowTest {

class WindowUser : public MainWindowFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    // "Tone FX": an HSV node keyed at 0 (Hue 250) and 30 (Hue 120), the effect at frame 0.
    KelNGObject* addKeyedHsvEffect(QString const& name);
    // "Tone": a Const node, not connected.
    KelNGObject* addConstEffect(QString const& name);
    // An effect of effects: "Inner" (an Inversion) fed the effect's picture; "Reader", an
    // Inversion of Inner's picture; two Inversions in a row into "Later" (an Inversion); a Max
    // of Reader and Later is the effect's picture.
    KelNGObject* addNestEffect(QString const& name);
    // An effect whose file must restore a link against the order it lists it in: a Grayscale of
    // the effect's picture, whose one-channel "out" feeds a Trigonometric (which narrows its input
    // to what its output feeds); a Max of the Trigonometric and the picture is the effect's
    // picture; "Box", an empty effect listed after the Trigonometric, is fed the picture through
    // two Inversions. Its eye is closed.
    KelNGObject* addNarrowingEffect(QString const& name);
    KelNGObject* objectNamed(QString const& name) const;
    static KelNodes::Node* nodeOfType(KelNGObject* object, QString const& typeId);
    static KelUtils::Parameter* parameterOf(KelNodes::Node* node, QString const& name);

    bool inGraphView() const;
    void pressImageView();
    void pressGraphView();
    // A click on the effect's name in the list the window shows.
    void clickRow(KelNGObject* object);
    // A click on a template's row of the object editor's Templates list.
    void clickTemplateRow(KelNGObject* templateObject);
    // Moves the pointer over the node and clicks it, as a hand does.
    void clickNode(KelNodes::Node* node);
    // The pointer passed over this point of the node-graph view, no button down.
    void hoverOver(QPoint at);
    // How a hand carries a node: in moves shorter than its title, or in one long move (a fast
    // hand, or moves the window merged while busy).
    enum class Carry { InSmallMoves, InOneMove };
    // Drags the node by its title onto the effect's title in the node-graph view with the mouse,
    // as a user moves a node into an effect; false when the two cannot both be reached there (then
    // the press has selected the node).
    bool dragNodeOnto(KelNodes::Node* node, KelNodes::Node* effect, Carry carry = Carry::InSmallMoves);
    // A point of the node-graph view over a terminal a shown node lists (an effect lists its
    // members' too).
    QPoint atTerminal(KelNodes::Node* node, KelNodes::Terminal* terminal) const;
    QPoint atTerminal(KelNodes::Node* node, QString const& name) const;
    // One mouse event on the node-graph view's viewport.
    void viewMouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) const;
    // Presses on `from`, drags to `to` and lets go, as a user draws, moves or drops a wire; the
    // events only, without waiting for what they set off.
    void dragWire(QPoint from, QPoint to) const;
    void clickShowProject();
    void clickShowTemplates();
    // Types the value into the editor and confirms it as a user does.
    void type(QAbstractSpinBox* editor, int value);
    // The parameter's editor on the Current Node page (the node's own panel).
    static QAbstractSpinBox* currentNodeEditor(KelNodes::Node* node, KelUtils::Parameter* parameter);
    // The parameter's editor in the Important Parameters the window shows (the Project tab's in
    // the image view, the Nodes panel's in the node-graph view).
    QAbstractSpinBox* shownImportantEditor(KelUtils::Parameter* parameter) const;
    void goTo(int frame);
    int shownFrame() const;
    // Clicks a timeline button by object name; false when it is disabled.
    bool clickTimelineButton(const char* name);
    // Drags the key at `from` along the ruler to `to` with the mouse; false when none is there.
    bool dragKey(int from, int to);
    // Runs the event loop until the window is at rest: no render runs or waits to be restarted,
    // the latest render's end has been announced and what that set off has run. Bounded by
    // rounds of the event loop, never by a clock; a window that never comes to rest fails.
    void finishRenders();
    // The project as Save would write it; waits for a running render to end.
    QByteArray projectBytes() const;
    // The picture a render of `project` (as projectBytes gives it) makes on the source image,
    // apart from the window; null when it fails.
    QImage renderedApart(QByteArray const& project) const;
    // How `project`, read apart from the window as Open reads it, writes itself again.
    ProjectReadBack readBack(QByteArray const& project) const;
    // Saves to `path` as Save As does (no dialog).
    void saveProjectAs(QString path);
    // Puts template files named `names` into the store and makes the window afresh, so that its
    // Templates list has them.
    void startWithStoreTemplates(QStringList const& names);
    // Closes the window, discarding what it asks about, and makes it afresh, as a restart of the
    // program does; the store's files stay.
    void restart();
    // Closes the window as its title bar does, discarding every edit it asks about; true when
    // it closed.
    bool closeWindow();
    // Runs `step`, answering every question it asks about unsaved edits with Discard (and every
    // warning with its one button).
    void discardingEveryEdit(std::function<void()> const& step);
    // Edit > Undo and Edit > Redo (each must be enabled), and what they set off.
    void undoInWindow();
    void redoInWindow();

    KelTimeline* timeline = nullptr;
    QSpinBox* frameField = nullptr;

private:
    void prepareWindow();
    bool readApart(QByteArray const& project, KelVyxNodes::VyxNodeGraph& root) const;
    // The store's folders and the files they held before the test.
    QMap<QString, QStringList> m_storeBefore;
    int rulerX(int frame) const;
    void moveOnRuler(int frame, Qt::MouseButtons buttons);
};

} // namespace MainWindowTest
