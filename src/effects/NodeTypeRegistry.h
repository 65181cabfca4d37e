#pragma once

#include <QList>
#include <QString>

namespace KelNodes {
struct NodeDescriptor;
}

namespace KelVyxNodes {

// The node types every effect graph can make: the built-in types in their fixed order, then the
// types offered by node plug-ins. There is one list per process, built on first use; plug-ins
// load once, only from one fixed folder, and their libraries stay loaded so that their
// descriptors and create functions stay valid. Every graph of every tree shares the list.
class NodeTypeRegistry
{
public:
    NodeTypeRegistry() = delete;

    // The process-wide list: built-ins, then plug-in types. Never null, never freed; it only
    // grows while it is built and is read-only afterwards.
    static QList<KelNodes::NodeDescriptor const*>* list();
    // The built-in types alone, in registry order (no plug-ins, nothing loaded).
    static QList<KelNodes::NodeDescriptor const*> const& builtIns();

    // <executable dir>/../lib/vyx-solenne/nodes (cleaned); empty when the executable's folder
    // cannot be found. Never the working folder.
    static QString defaultPluginFolder();
    // The folder plug-ins are loaded from: the default unless another was named.
    static QString pluginFolder();
    // Names the plug-in folder (empty: no plug-ins) for tests. Only effective before plug-ins
    // have been enumerated; returns false, changing nothing, afterwards.
    static bool setPluginFolder(QString const& path);

    // Loads the plug-ins of `path` into the list when no enumeration has happened yet in this
    // process. Returns the number of descriptors appended (null ones are skipped); every later
    // call returns 0 and adds nothing. list() enumerates pluginFolder() on its first build.
    // A plug-in is a library exporting "initNodes", "numOfNodes" and "getNodeDescriptor"
    // (extern "C"); its initNodes() runs while the registry is being built and must not call
    // back into it (nor make graphs).
    static int enumerateNodes(QString const& path);
};

} // namespace KelVyxNodes
