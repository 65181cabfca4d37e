// The node plug-in interface, built three ways by CMake (VYX_TEST_PLUGIN_KIND):
//   1  two node types with a null entry between them (three entries),
//   2  a plug-in that offers no types,
//   3  a library with "initNodes" and "numOfNodes" but no "getNodeDescriptor".
// Every kind appends its digit to the environment variable VYX_TEST_PLUGIN_INITS when initialised,
// so tests see which libraries were initialised, and how often, even after one was unloaded.

#include "nodes/NodeDescriptor.h"

#include <cstdlib>
#include <string>

#if VYX_TEST_PLUGIN_KIND == 1
#include "PluginInvertNode.h"
#include "PluginSolidNode.h"
#endif

#define VYX_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

VYX_PLUGIN_EXPORT void initNodes()
{
    char const* before = std::getenv("VYX_TEST_PLUGIN_INITS");
    std::string inits = before ? before : "";
    inits += char('0' + VYX_TEST_PLUGIN_KIND);
    setenv("VYX_TEST_PLUGIN_INITS", inits.c_str(), 1);
}

VYX_PLUGIN_EXPORT int numOfNodes()
{
#if VYX_TEST_PLUGIN_KIND == 1
    return 3;
#else
    return 0;
#endif
}

#if VYX_TEST_PLUGIN_KIND != 3
VYX_PLUGIN_EXPORT KelNodes::NodeDescriptor* getNodeDescriptor(int index)
{
#if VYX_TEST_PLUGIN_KIND == 1
    switch (index) {
    case 0:
        return &KelTestPlugin::PluginInvertNode::m_descriptor;
    case 2:
        return &KelTestPlugin::PluginSolidNode::m_descriptor;
    default:
        return nullptr; // index 1: a plug-in may hand back nothing
    }
#else
    (void)index;
    return nullptr;
#endif
}
#endif
