#pragma once

#include <QString>

namespace KelUtils {

// One choice of a list parameter. Lists store and exchange the id, never the position.
struct ListItem
{
    int id = 0;
    QString name;

    bool operator==(ListItem const& other) const = default;
};

} // namespace KelUtils
