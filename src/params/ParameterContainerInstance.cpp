#include "params/ParameterContainerInstance.h"

#include "params/KelException.h"
#include "params/ParameterContainer.h"

namespace KelUtils {

int ParameterContainerInstance::groupParamSize(QString const& name) const
{
    ParameterContainer const* container = paramContainer();
    if (!container)
        throw KelException(0, QStringLiteral("No parameter found (") + name + QLatin1Char(')'));
    return container->groupParamSize(name);
}

} // namespace KelUtils
