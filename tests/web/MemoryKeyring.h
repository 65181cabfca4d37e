#pragma once

// An in-memory keyring for the tests (the real one is never touched): answers from the event
// loop like the system keyring, and can play a desktop without any keyring.

#include "web/TwKeyring.h"

#include <QPointer>
#include <QTimer>

#include <optional>

class MemoryKeyring : public TwKeyring
{
public:
    explicit MemoryKeyring(QObject* parent = nullptr) : TwKeyring(parent) {}

    bool available = true;
    QString reason = QStringLiteral("no keyring on this desktop");
    std::optional<QString> stored;
    int removals = 0;

    void readPassword(ReadDone done) override
    {
        QTimer::singleShot(0, this, [this, done] {
            if (!available)
                done(ReadStatus::Unavailable, QString(), reason);
            else if (stored)
                done(ReadStatus::Found, *stored, QString());
            else
                done(ReadStatus::NotFound, QString(), QString());
        });
    }

    void writePassword(QString const& password, WriteDone done) override
    {
        QTimer::singleShot(0, this, [this, password, done] {
            if (available)
                stored = password;
            if (done)
                done(available, available ? QString() : reason);
        });
    }

    void removePassword() override
    {
        ++removals;
        stored.reset();
    }
};
