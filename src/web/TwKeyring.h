#pragma once

#include <QObject>
#include <QString>

#include <functional>

// Where the web-service password is kept: the system keyring, never the plain-text settings.
// Every operation answers later, from the event loop. The entry is the service "Vyx-Solenne",
// key "UserAccount::Password".
class TwKeyring : public QObject
{
    Q_OBJECT

public:
    enum class ReadStatus { Found, NotFound, Unavailable };
    using ReadDone = std::function<void(ReadStatus status, QString password, QString reason)>;
    // stored false: nothing was kept; reason says why.
    using WriteDone = std::function<void(bool stored, QString reason)>;
    using Factory = std::function<TwKeyring*(QObject* parent)>;

    explicit TwKeyring(QObject* parent = nullptr);

    static QString serviceName();  // "Vyx-Solenne"
    static QString passwordKey();  // "UserAccount::Password"

    virtual void readPassword(ReadDone done) = 0;
    virtual void writePassword(QString const& password, WriteDone done) = 0;
    virtual void removePassword() = 0;

    // The system keyring unless a factory is installed (tests install an in-memory one).
    static TwKeyring* create(QObject* parent);
    static void setFactory(Factory factory);
};
