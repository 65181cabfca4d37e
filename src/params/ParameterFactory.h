#pragma once

class QDomElement;

namespace KelUtils {

class Parameter;

// Most items of a list read from a file.
constexpr int MaxStoredListItems = 999;

// Builds a stand-alone parameter (no container, owned by the caller) from a stored "parameter"
// element: float and int groups, colour, list and plain string. Null for a missing or
// unsupported "type", a list with fewer than 1 or more than MaxStoredListItems items, and a
// group whose "num_vals" lies outside 0..MaxStoredGroupValues. `overBound` tells whether the
// element asked for more values or items than those bounds: a damaged file, not a kind to skip.
Parameter* createParameter(QDomElement const& element, bool* overBound = nullptr);

} // namespace KelUtils
