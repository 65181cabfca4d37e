#include "app/KelAtomHolder.h"

#include "app/KelPlainAtomHolder.h"
#include "params/Parameter.h"

namespace {

KelAtomHolder::Factory& installedFactory()
{
    static KelAtomHolder::Factory factory;
    return factory;
}

} // namespace

KelAtomHolder::KelAtomHolder(KelUtils::Parameter* parameter)
    : m_parameter(parameter)
{
}

KelAtomHolder::~KelAtomHolder()
{
    delete m_parameter;
}

KelAtomHolder* KelAtomHolder::create(KelUtils::Parameter* parameter)
{
    if (!parameter)
        return nullptr;
    Factory const& factory = installedFactory();
    if (factory)
        return factory(parameter);
    return new KelPlainAtomHolder(parameter);
}

void KelAtomHolder::setFactory(Factory factory)
{
    installedFactory() = std::move(factory);
}
