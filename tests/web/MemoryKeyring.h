#pragma once

// An in-memory keyring for the tests (the real one is never touched): answers from the event
// loop like the system keyring, and can play a desktop without any keyring.

#include "web/TwKeyring.h"

#include <QPointer>
#include <QTimer>

#include <optional>
#include <utility>

class MemoryKeyring : public TwKeyring
{
public:
    explicit MemoryKeyring(QObject* parent = nullptr) : TwKeyring(parent) {}

    bool available = true;
    QString reason = QStringLiteral("no keyring on this desktop");
    // A reachable keyring that refuses to store (the user denied access, say).
    bool refuseWrites = false;
    std::optional<QString> stored;
    int removals = 0;
    int writesAnswered = 0;

    // Reads wait for answerHeldReads(), as a keyring that first asks the user to unlock it.
    bool holdReads = false;
    QList<ReadDone> heldReads;

    void answerHeldReads()
    {
        QList<ReadDone> const held = std::exchange(heldReads, {});
        for (ReadDone const& done : held)
            answer(done);
    }

    void readPassword(ReadDone done) override
    {
        if (holdReads) {
            heldReads.append(done);
            return;
        }
        QTimer::singleShot(0, this, [this, done] { answer(done); });
    }

    void answer(ReadDone const& done)
    {
        if (!available)
            done(ReadStatus::Unavailable, QString(), reason);
        else if (stored)
            done(ReadStatus::Found, *stored, QString());
        else
            done(ReadStatus::NotFound, QString(), QString());
    }

    void writePassword(QString const& password, WriteDone done) override
    {
        QTimer::singleShot(0, this, [this, password, done] {
            ++writesAnswered;
            bool const kept = available && !refuseWrites;
            if (kept)
                stored = password;
            if (done)
                done(kept, kept ? QString() : reason);
        });
    }

    void removePassword() override
    {
        ++removals;
        stored.reset();
    }
};
