#include "params/ParameterList.h"

#include "params/IParameterContainer.h"
#include "params/Parameter.h"

namespace KelUtils {

void ParameterList::moveToContainer(IParameterContainer* target) const
{
    if (!target)
        return;
    target->paramLists().append(*this);
    for (Parameter* parameter : parameters) {
        if (parameter)
            parameter->setContainer(target);
    }
}

Parameter* getParamByName(QList<Parameter*> const& parameters, QString const& name)
{
    if (name.isEmpty())
        return nullptr;
    for (Parameter* parameter : parameters) {
        if (parameter && parameter->name() == name)
            return parameter;
    }
    for (Parameter* parameter : parameters) {
        if (parameter && parameter->name().startsWith(name))
            return parameter;
    }
    return nullptr;
}

Parameter* getParamByName(QList<ParameterList> const& lists, QString const& name)
{
    QList<Parameter*> all;
    for (ParameterList const& list : lists)
        all.append(list.parameters);
    return getParamByName(all, name);
}

} // namespace KelUtils
