#pragma once

class QBuffer;

namespace KelUtils {
class IParameterContainer;
}

// The parameter-edit snapshot: an XML document of type "MarrowindGraphNode" whose root "nodes"
// holds the one section the container writes (a graph's section holds its members' too).
class KelParamSnapshot
{
public:
    KelParamSnapshot() = delete;

    // A new closed buffer owned by the caller; null for a null container.
    static QBuffer* store(KelUtils::IParameterContainer const* container);
    // Reads the buffer back into the container (a buffer without section hands the container a
    // null element), which stays at its current frame; a graph's container also into the
    // members found by uid, each staying at its own frame. Takes no ownership.
    static void load(KelUtils::IParameterContainer* container, QBuffer const* buffer);
};
