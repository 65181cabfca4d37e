#include "app/KelNGObjectsAccessor.h"

KelNGObjectsAccessor::~KelNGObjectsAccessor() = default;

KelUtils::Point KelNGObjectsAccessor::drawCenter()
{
    return KelUtils::Point{};
}
