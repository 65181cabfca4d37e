#pragma once

#include "params/Parameter.h"

namespace KelUtils {

// A titled group (type 1) without a value: in a parameter list, the parameters after it, up to
// the next group box or the end of the list, belong to it. The panels show the group as a
// collapsible section titled by the UI text.
class GroupBoxParameter : public Parameter
{
public:
    GroupBoxParameter(QString const& name, QString const& text, IParameterContainer* container,
                      int displayFlags);
    ~GroupBoxParameter() override;

    ParamType type() const override { return ParamGroupBox; }
    operator GroupBoxParameter*() override { return this; }
    operator GroupBoxParameter const*() const override { return this; }
};

} // namespace KelUtils
