#pragma once

namespace KelUtils {
class Parameter;
}

// Which parameter, and which of its values, an editor widget of a panel edits.
struct KelParamUIRef
{
    KelUtils::Parameter* param = nullptr; // not owned
    int index = 0;                        // 0 for single-valued kinds
};
