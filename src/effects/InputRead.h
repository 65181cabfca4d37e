#pragma once

namespace KelVyxNodes {

// How a node reads an input for each point it is asked for, from the cheapest to read down a
// chain of unfilled stages to the dearest.
enum class InputRead {
    // Once, at the point itself (colour and tone operations, mixers, the joins).
    AtItsPoint,
    // Over a bounded square around the point, through input rows it keeps (the blur, the
    // kernels): swept row by row it reads each input row about once.
    InAWindow,
    // At points it derives (rotate, flip, lookup, checker's fill): a sweep of its output reads
    // its input out of row order.
    AtOtherPoints,
    // Several times per point (noise reduction, chromatic aberration, the split nodes).
    Repeatedly,
};

} // namespace KelVyxNodes
