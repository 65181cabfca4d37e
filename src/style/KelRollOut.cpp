#include "style/KelRollOut.h"

KelRollOut::KelRollOut(QWidget* parent)
    : QWidget(parent)
{
}

KelRollOut::~KelRollOut() = default;
