#pragma once

#include "app/KelAtomHolder.h"

// The attribute editor used while no widget factory is installed: keeps the parameter only.
class KelPlainAtomHolder : public KelAtomHolder
{
public:
    explicit KelPlainAtomHolder(KelUtils::Parameter* parameter);

    void createUI() override;
    QWidget* widget() const override;
};
