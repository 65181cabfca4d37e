#pragma once

#include "help/TwHelpBrowser.h"

// The page view of KelHelp; it behaves as the application's help page view.
class KelHelpBrowser : public TwHelpBrowser
{
    Q_OBJECT

public:
    KelHelpBrowser(QWidget* parent, QHelpEngine* engine);
};
