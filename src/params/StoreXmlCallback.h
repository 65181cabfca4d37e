#pragma once

class QDomElement;

namespace KelUtils {

class IParameterContainer;

// Lets the owner of a container add its own content to the container's section: the section
// writer hands each callback a fresh "custom" element. Runs under the container's read lock,
// so it must not call container operations that lock the container.
using StoreXmlCallbackFunction = void (*)(IParameterContainer* container, QDomElement& element,
                                          void* userData);

struct StoreXmlCallback
{
    StoreXmlCallbackFunction function = nullptr; // null records write no element
    void* userData = nullptr;
};

} // namespace KelUtils
