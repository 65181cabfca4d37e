#pragma once

class QDomElement;

namespace KelUtils {

class Parameter;

// Builds a stand-alone parameter (no container, owned by the caller) from a stored "parameter"
// element: float and int groups, colour, list and plain string. Null for a missing or
// unsupported "type", a list with fewer than 1 or more than 999 items, and a group whose
// "num_vals" lies outside 0..262144.
Parameter* createParameter(QDomElement const& element);

} // namespace KelUtils
