#include "params/GroupBoxParameter.h"

namespace KelUtils {

GroupBoxParameter::GroupBoxParameter(QString const& name, QString const& text,
                                     IParameterContainer* container, int displayFlags)
    : Parameter(name, text, container, displayFlags)
{
}

GroupBoxParameter::~GroupBoxParameter() = default;

} // namespace KelUtils
