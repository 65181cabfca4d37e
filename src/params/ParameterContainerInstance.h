#pragma once

class QString;

namespace KelUtils {

class ParameterContainer;

// Mix-in through which a node exposes its parameter container.
class ParameterContainerInstance
{
public:
    virtual ~ParameterContainerInstance() = default;

    // The container's groupParamSize; throws KelException for an unknown name or a missing
    // container.
    virtual int groupParamSize(QString const& name) const;

    virtual ParameterContainer* paramContainer() = 0;
    virtual ParameterContainer const* paramContainer() const = 0;
};

} // namespace KelUtils
