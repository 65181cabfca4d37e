#pragma once

namespace KelUtils {

class IParameterContainer;
class Parameter;

// Called after a parameter of a container changed. A null parameter means that any or all
// parameters may have changed (after a section load).
//
// Callbacks may run while the container's lock is held (a section load, a frame or keyframe
// operation): they may read and set parameters, also by name, but must not call container
// operations that lock the container (storeState, loadState, setNumFrames, setCurrentFrame,
// setKeyframeAt, deleteKeyframe, moveKeyframe, isKeyframe, keyframes).
using ParameterCallbackFunction = void (*)(IParameterContainer* container, Parameter* parameter,
                                           void* userData);

struct ParameterCallback
{
    ParameterCallbackFunction function = nullptr; // null records are skipped
    void* userData = nullptr;
};

// Forwards a change to `static_cast<Class*>(userData)->paramChanged(parameter)`, so a node
// registers itself with { paramChangeCallback<NodeX>, this }.
template<class Class>
void paramChangeCallback(IParameterContainer* /*container*/, Parameter* parameter, void* userData)
{
    if (userData)
        static_cast<Class*>(userData)->paramChanged(parameter);
}

} // namespace KelUtils
