#include "effects/GeneratorLookup.h"

#include "effects/NodeOriginalImage.h"
#include "effects/SharedOutputMemo.h"

#include "effects/VyxNode.h"
#include "effects/VyxTerminal.h"
#include "nodes/Terminal.h"
#include "params/Parameter.h"

namespace KelVyxNodes {

namespace {

VyxTerminal const* asEffectTerminal(KelNodes::Terminal const* terminal)
{
    return dynamic_cast<VyxTerminal const*>(terminal);
}

VyxNode const* effectHost(KelNodes::Terminal const* terminal)
{
    return terminal ? dynamic_cast<VyxNode const*>(terminal->hostNode()) : nullptr;
}

} // namespace

bool getGeneratorInterfaces(KelNodes::Terminal const* peer, Base1DGenerator const** out1D,
                            Base3DGenerator const** out3D)
{
    Base1DGenerator const* g1 = nullptr;
    Base3DGenerator const* g3 = nullptr;
    auto publish = [&]() {
        if (out3D)
            *out3D = g3;
        if (out1D && !g3)
            *out1D = g1;
        return g3 || g1;
    };
    if (VyxTerminal const* terminal = asEffectTerminal(peer)) {
        if ((g3 = terminal->toBase3DGenerator()))
            return publish();
        if ((g1 = terminal->toBase1DGenerator()))
            return publish();
    }
    if (VyxNode const* host = effectHost(peer)) {
        if ((g3 = host->toBase3DGenerator()))
            return publish();
        g1 = host->toBase1DGenerator();
    }
    return publish();
}

Base3DGenerator const* findGenerator3D(KelNodes::Terminal const* peer)
{
    Base3DGenerator const* found = nullptr;
    if (VyxTerminal const* terminal = asEffectTerminal(peer))
        found = terminal->toBase3DGenerator();
    if (!found) {
        if (VyxNode const* host = effectHost(peer))
            found = host->toBase3DGenerator();
    }
    return found;
}

Base1DGenerator const* findGenerator1D(KelNodes::Terminal const* peer)
{
    Base1DGenerator const* found = nullptr;
    if (VyxTerminal const* terminal = asEffectTerminal(peer))
        found = terminal->toBase1DGenerator();
    if (!found) {
        if (VyxNode const* host = effectHost(peer))
            found = host->toBase1DGenerator();
    }
    return found;
}

void getGeneratorInterface(Base3DGenerator const** out, KelNodes::Terminal const* peer,
                           KelUtils::Parameter* param)
{
    Base3DGenerator const* found = findGenerator3D(peer);
    if (out)
        *out = found;
    if (found && param)
        param->setDisplayFlagZero(1);
}

void getGeneratorInterface(Base1DGenerator const** out, KelNodes::Terminal const* peer,
                           KelUtils::Parameter* param)
{
    Base1DGenerator const* found = findGenerator1D(peer);
    if (out)
        *out = found;
    if (found && param)
        param->setDisplayFlagZero(1);
}

namespace {

// The output behind `own`'s first link is read through a memo when several inputs read it or
// the reading node samples around each point; the source node reading its own picture is
// cheaper than any memo.
VyxNode const* sharingHost(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    VyxNode const* host = effectHost(peer);
    if (!host || dynamic_cast<NodeOriginalImage const*>(host))
        return nullptr;
    VyxNode const* reader = effectHost(own);
    const bool shared = peer->numConnections() > 1 || (reader && reader->readsInputsRepeatedly());
    return shared ? host : nullptr;
}

} // namespace

Base3DGenerator const* linkedGenerator3D(KelNodes::Terminal const* own)
{
    if (!own || own->numConnections() == 0)
        return nullptr;
    KelNodes::Terminal const* peer = own->connections().first();
    Base3DGenerator const* found = findGenerator3D(peer);
    if (!found)
        return nullptr;
    if (VyxNode const* host = sharingHost(own, peer))
        return host->sharedOutput(peer, nullptr, found);
    return found;
}

Base1DGenerator const* linkedGenerator1D(KelNodes::Terminal const* own)
{
    if (!own || own->numConnections() == 0)
        return nullptr;
    KelNodes::Terminal const* peer = own->connections().first();
    Base1DGenerator const* found = findGenerator1D(peer);
    if (!found)
        return nullptr;
    if (VyxNode const* host = sharingHost(own, peer))
        return host->sharedOutput(peer, found, nullptr);
    return found;
}

} // namespace KelVyxNodes
