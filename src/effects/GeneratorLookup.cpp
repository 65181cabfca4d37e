#include "effects/GeneratorLookup.h"

#include "effects/NodeOriginalImage.h"
#include "effects/RenderStages.h"
#include "effects/SharedOutputMemo.h"

#include "effects/VyxNode.h"
#include "effects/VyxNodeGraph.h"
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

SharedOutputMemo const* stageOf(VyxNode const* host, KelNodes::Terminal const* peer, Base1DGenerator const* channel,
                                Base3DGenerator const* colour, bool shared);

} // namespace

bool getGeneratorInterfaces(KelNodes::Terminal const* peer, Base1DGenerator const** out1D,
                            Base3DGenerator const** out3D)
{
    Base1DGenerator const* g1 = nullptr;
    Base3DGenerator const* g3 = nullptr;
    auto publish = [&]() {
        if (RenderStages::resolving() && (g3 || g1)) {
            SharedOutputMemo const* memo = stageOf(effectHost(peer), peer, g3 ? nullptr : g1, g3, false);
            if (memo && g3)
                g3 = memo;
            else if (memo)
                g1 = memo;
        }
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

namespace {

Base3DGenerator const* plainGenerator3D(KelNodes::Terminal const* peer)
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

Base1DGenerator const* plainGenerator1D(KelNodes::Terminal const* peer)
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

// The generator a reader gets for `found` behind `peer`. While a render resolves its inputs,
// the read is noted for the reader (RenderStages) and goes through the output's stage when it
// is shared or lies kCutDepth calls deep; the source node is read directly (its own picture
// costs nothing, and an effect stages its input itself). Outside a render only shared outputs
// get their memo, as they always did.
SharedOutputMemo const* stageOf(VyxNode const* host, KelNodes::Terminal const* peer, Base1DGenerator const* channel,
                                Base3DGenerator const* colour, bool shared)
{
    RenderStages* stages = RenderStages::resolving();
    if (!stages) {
        if (!shared || !host)
            return nullptr;
        return host->sharedOutput(peer, channel, colour);
    }
    PullRecord const* upstream = stages->recordOf(host);
    // An effect read before this render has resolved it (or from another tree) has no result
    // for its readers: they would read grey.
    auto const* effect = dynamic_cast<VyxNodeGraph const*>(host);
    if (effect && peer && peer->hostNode() == effect && peer->isOutput() && !effect->resultResolvedIn(stages)) {
        VyxNode const* reader = stages->reader();
        stages->refuse(QStringLiteral("the node \"%1\" reads the effect \"%2\", which has no result for it in this render")
                           .arg(reader ? reader->displayName() : QString(), effect->displayName()));
    }
    const bool source = dynamic_cast<NodeOriginalImage const*>(host) != nullptr;
    // Whatever way the reader looks its input up.
    VyxNode const* reader = stages->reader();
    // A window over a window keeping its own rows reads each of those rows once as it sweeps;
    // a window over anything deeper would multiply the reads per level.
    shared = shared || (peer && peer->numConnections() > 1) || (reader && reader->readsInputsRepeatedly())
             || (reader && reader->keepsInputRows() && upstream && upstream->windows && !upstream->keepsRows);
    if (!host || source || !(shared || RenderStages::needsCut(upstream))) {
        stages->readPlain(upstream);
        return nullptr;
    }
    SharedOutputMemo const* memo = host->sharedOutput(peer, channel, colour);
    stages->readStage(memo, upstream);
    return memo;
}

} // namespace

Base3DGenerator const* findGenerator3D(KelNodes::Terminal const* peer)
{
    Base3DGenerator const* found = plainGenerator3D(peer);
    if (!found || !RenderStages::resolving())
        return found;
    SharedOutputMemo const* memo = stageOf(effectHost(peer), peer, nullptr, found, false);
    return memo ? memo : found;
}

Base1DGenerator const* findGenerator1D(KelNodes::Terminal const* peer)
{
    Base1DGenerator const* found = plainGenerator1D(peer);
    if (!found || !RenderStages::resolving())
        return found;
    SharedOutputMemo const* memo = stageOf(effectHost(peer), peer, found, nullptr, false);
    return memo ? memo : found;
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
bool sharedRead(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    VyxNode const* host = effectHost(peer);
    if (!host || dynamic_cast<NodeOriginalImage const*>(host))
        return false;
    VyxNode const* reader = effectHost(own);
    return peer->numConnections() > 1 || (reader && reader->readsInputsRepeatedly());
}

} // namespace

Base3DGenerator const* linkedGenerator3D(KelNodes::Terminal const* own)
{
    if (!own || own->numConnections() == 0)
        return nullptr;
    KelNodes::Terminal const* peer = own->connections().first();
    Base3DGenerator const* found = plainGenerator3D(peer);
    if (!found)
        return nullptr;
    SharedOutputMemo const* memo = stageOf(effectHost(peer), peer, nullptr, found, sharedRead(own, peer));
    return memo ? memo : found;
}

Base1DGenerator const* linkedGenerator1D(KelNodes::Terminal const* own)
{
    if (!own || own->numConnections() == 0)
        return nullptr;
    KelNodes::Terminal const* peer = own->connections().first();
    Base1DGenerator const* found = plainGenerator1D(peer);
    if (!found)
        return nullptr;
    SharedOutputMemo const* memo = stageOf(effectHost(peer), peer, found, nullptr, sharedRead(own, peer));
    return memo ? memo : found;
}

} // namespace KelVyxNodes
