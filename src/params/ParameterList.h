#pragma once

#include <QList>
#include <QString>

namespace KelUtils {

class IParameterContainer;
class Parameter;

// One named list of a container's parameters, in display order. The record does not own the
// parameters (the container holding it does); copies share the same pointers.
struct ParameterList
{
    QString name;
    bool active = true;
    QList<Parameter*> parameters;

    // Appends a copy of this record to `target` and makes `target` the container of each of its
    // parameters. The record stays in its old container too.
    void moveToContainer(IParameterContainer* target) const;
};

// First parameter named exactly `name`, else the first whose name starts with `name`
// (case-sensitive), else null. An empty name matches nothing.
Parameter* getParamByName(QList<ParameterList> const& lists, QString const& name);
Parameter* getParamByName(QList<Parameter*> const& parameters, QString const& name);

} // namespace KelUtils
