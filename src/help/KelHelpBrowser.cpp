#include "help/KelHelpBrowser.h"

KelHelpBrowser::KelHelpBrowser(QWidget* parent, QHelpEngine* engine)
    : TwHelpBrowser(parent, engine)
{
}
