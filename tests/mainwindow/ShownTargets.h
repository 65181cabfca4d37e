#pragma once

// The invariant every editor of the window keeps: what it edits is what the window shows as
// selected, at the frame the timeline reads. A value typed, dragged or picked anywhere then lands
// where the user sees it.

#include <QStringList>

class KelNGObject;
class TwMainWindow;

namespace MainWindowTest {

// The effect the window shows as selected: the Project tab's highlighted row in the image view;
// in the node-graph view the highlighted row of the list the object editor shows (the project's
// effects or the templates).
KelNGObject* shownSelection(TwMainWindow* window);

// Every editor the window shows whose target (node, effect, template) or frame differs from what
// the window shows, one line each; empty when all agree.
QStringList shownTargetFaults(TwMainWindow* window);

} // namespace MainWindowTest
