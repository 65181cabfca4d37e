#pragma once

#include "nodes/UnrestoredLink.h"

#include <QList>
#include <QString>

class TwCore;

// The links a graph document named that its load could not make again, told in the program's
// words, one line each, for the message that says the document was not read whole.
class UnrestoredLinksText
{
public:
    // Empty for no links; at most `shown` lines, then how many more there are.
    static QString lines(QList<KelNodes::UnrestoredLink> const& links, int shown = 5);
    // For loads that have no message box of their own (a template dropped in, a paste, an
    // undo): the lines go to the status bar and the debug window, after `what` ("The template
    // \"Tone\" was not read whole.").
    static void tell(TwCore* core, QString const& what, QList<KelNodes::UnrestoredLink> const& links);
};
