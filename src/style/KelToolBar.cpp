#include "style/KelToolBar.h"

KelToolBar::KelToolBar(QWidget* parent)
    : QToolBar(parent)
{
}

KelToolBar::~KelToolBar() = default;
