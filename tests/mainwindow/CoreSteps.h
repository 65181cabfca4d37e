#pragma once

// Steps on a core shared by the panel and main-window fixtures.

#include <QStringList>

class KelNGObject;
class TwCore;

namespace CoreSteps {

// Lets running renders and the queued ends and restarts be delivered.
void settle(TwCore* core);
// A new top-level object named `name` whose graph inverts the colours
// (source -> inversion -> output).
KelNGObject* addInversion(TwCore* core, QString const& name);
// The project object names in chain order.
QStringList objectNames(TwCore* core);

} // namespace CoreSteps
