#pragma once

#include "web/TwKeyring.h"

// The desktop's keyring (Secret Service through libsecret, or KWallet) by QtKeychain.
class TwSystemKeyring : public TwKeyring
{
    Q_OBJECT

public:
    explicit TwSystemKeyring(QObject* parent = nullptr);

    void readPassword(ReadDone done) override;
    void writePassword(QString const& password, WriteDone done) override;
    void removePassword() override;
};
