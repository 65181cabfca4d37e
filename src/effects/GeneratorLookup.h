#pragma once

namespace KelNodes {
class Terminal;
}
namespace KelUtils {
class Parameter;
}

namespace KelVyxNodes {

class Base1DGenerator;
class Base3DGenerator;

// What can be read behind a connected peer terminal, preferring colour: the peer terminal's
// colour interface, its one-channel interface, then the host node's colour and one-channel
// interfaces; stops at the first that exists. Each output is written when its kind is asked
// (colour first), so a colour find leaves `*out1D` untouched. True when something was found.
bool getGeneratorInterfaces(KelNodes::Terminal const* peer, Base1DGenerator const** out1D,
                                   Base3DGenerator const** out3D);

// The generator of one kind behind a peer: the peer terminal's own, else its host node's. When
// one is found and `param` is given, display flag 1 of `param` is cleared (its editor disabled
// while the link replaces it). Call from onConnect, on the thread that edits the graph.
void getGeneratorInterface(Base3DGenerator const** out, KelNodes::Terminal const* peer,
                           KelUtils::Parameter* param = nullptr);
void getGeneratorInterface(Base1DGenerator const** out, KelNodes::Terminal const* peer,
                           KelUtils::Parameter* param = nullptr);

// The same lookups without touching any parameter: for re-resolving cached upstream pointers
// at preparation (onFilterStart / resolveInputs), which may run on the render thread.
Base3DGenerator const* findGenerator3D(KelNodes::Terminal const* peer);
Base1DGenerator const* findGenerator1D(KelNodes::Terminal const* peer);

// The generators behind the first link of `own` (one of a node's own input terminals), or null
// when it has none. Convenience for resolveInputs() overrides.
Base3DGenerator const* linkedGenerator3D(KelNodes::Terminal const* own);
Base1DGenerator const* linkedGenerator1D(KelNodes::Terminal const* own);

} // namespace KelVyxNodes
