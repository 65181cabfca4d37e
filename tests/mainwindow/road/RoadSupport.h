#pragma once

// Helpers of the end-to-end road: waiting for renders, answering the real dialogs from a
// timer, photographing the window and comparing pictures.

#include <QImage>
#include <QString>

#include <functional>

class QPoint;
class QWidget;
class TwMainWindow;

namespace KelNodes {
class Node;
class NodeGraph;
} // namespace KelNodes

namespace Road {

// The window the road drives (made by main before the tests run).
TwMainWindow* window();
void setWindow(TwMainWindow* window);

// Waits for the core's next finished() and for the render thread to end; true when the render
// succeeded. Generous limit; the road fails instead of hanging.
bool waitForRender(std::function<void()> trigger);
// Lets queued work run until no render is running.
void settle();

// Accepts the next file dialog with `path`.
void answerFileDialog(QString const& path);
// Clicks `button` on the next message box.
void answerMessageBox(int button);

// The first node of `typeId` in `graph`, or null.
KelNodes::Node* nodeOfType(KelNodes::NodeGraph* graph, QString const& typeId);
// The terminal's wire end on the object editor's graph view's viewport ((-1, -1) if not shown).
QPoint terminalPoint(KelNodes::Node* node, QString const& terminal);
// Drags a wire with the mouse on that viewport.
void dragWire(QPoint from, QPoint to);

// A picture of the whole window, saved under the build tree as `name`.png.
QImage screenshot(QString const& name);
// The colour at the centre of the image view in a window picture.
QRgb imageViewCentre(QImage const& windowPicture);

// Every pixel of `image` passes `check`; on failure the first offending pixel is described.
bool allPixels(QImage const& image, std::function<bool(QRgb pixel, int x, int y)> check,
               QString* failure);

} // namespace Road
