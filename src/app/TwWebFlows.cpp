#include "app/TwWebFlows.h"

#include <utility>

namespace {
TwWebFlows::Factory& factoryStorage()
{
    static TwWebFlows::Factory factory;
    return factory;
}
} // namespace

TwWebFlows::~TwWebFlows() = default;

TwWebFlows* TwWebFlows::create(TwCore* core)
{
    Factory const& factory = factoryStorage();
    return factory ? factory(core) : nullptr;
}

void TwWebFlows::setFactory(Factory factory)
{
    factoryStorage() = std::move(factory);
}

bool TwWebFlows::hasFactory()
{
    return bool(factoryStorage());
}
