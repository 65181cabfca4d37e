#include "web/TwKeyring.h"

#include "web/TwSystemKeyring.h"

namespace {
TwKeyring::Factory& factoryStorage()
{
    static TwKeyring::Factory factory;
    return factory;
}
} // namespace

TwKeyring::TwKeyring(QObject* parent) : QObject(parent) {}

QString TwKeyring::serviceName()
{
    return QStringLiteral("Vyx-Solenne");
}

QString TwKeyring::passwordKey()
{
    return QStringLiteral("UserAccount::Password");
}

TwKeyring* TwKeyring::create(QObject* parent)
{
    if (Factory const& factory = factoryStorage())
        return factory(parent);
    return new TwSystemKeyring(parent);
}

void TwKeyring::setFactory(Factory factory)
{
    factoryStorage() = std::move(factory);
}
