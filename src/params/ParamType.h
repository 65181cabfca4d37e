#pragma once

namespace KelUtils {

// Type codes of the parameter kinds. The codes are stored in documents, so they never change.
// Boolean and file-name codes are derived from a parameter's state, never stored in it.
enum ParamType : int {
    ParamNone = 0,          // in container look-ups: any kind
    ParamGroupBox = 1,
    ParamFloatGroup = 2,
    ParamIntGroup = 3,
    ParamUnused = 4,        // names no kind
    ParamBool = 5,          // int group of one value with range 0..1
    ParamColor = 6,
    ParamList = 7,
    ParamString = 8,
    ParamFileName = 9,      // string flagged as a path
    ParamButtonGroup = 10,
    ParamImage = 11
};

} // namespace KelUtils
