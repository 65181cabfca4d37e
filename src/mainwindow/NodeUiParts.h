#pragma once

// The node-editing widgets the window wires up, as far as they are part of the build.
#if __has_include("nodeui/VyxNodeGraphView.h")
#include "nodeui/KelCmdConnection.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeConnection.h"
#include "nodeui/VyxNodeGraphView.h"
#define VYX_HAVE_NODE_VIEW 1
#else
#define VYX_HAVE_NODE_VIEW 0
#endif

#if __has_include("nodeui/NodeDockTabWidget.h")
#include "nodeui/NodeDockTabWidget.h"
#define VYX_HAVE_NODE_DOCK 1
#else
#define VYX_HAVE_NODE_DOCK 0
#endif

#if __has_include("nodeui/KelCmdParamEdit.h")
#include "nodeui/KelCmdParamEdit.h"
#define VYX_HAVE_PARAM_EDIT 1
#else
#define VYX_HAVE_PARAM_EDIT 0
#endif
