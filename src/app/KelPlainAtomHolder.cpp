#include "app/KelPlainAtomHolder.h"

KelPlainAtomHolder::KelPlainAtomHolder(KelUtils::Parameter* parameter)
    : KelAtomHolder(parameter)
{
}

void KelPlainAtomHolder::createUI()
{
}

QWidget* KelPlainAtomHolder::widget() const
{
    return nullptr;
}
