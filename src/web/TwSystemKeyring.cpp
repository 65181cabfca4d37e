#include "web/TwSystemKeyring.h"

#include <qt6keychain/keychain.h>

TwSystemKeyring::TwSystemKeyring(QObject* parent) : TwKeyring(parent) {}

void TwSystemKeyring::readPassword(ReadDone done)
{
    auto* job = new QKeychain::ReadPasswordJob(serviceName(), this);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(passwordKey());
    connect(job, &QKeychain::Job::finished, this, [done, job] {
        switch (job->error()) {
        case QKeychain::NoError:
            done(ReadStatus::Found, job->textData(), QString());
            break;
        case QKeychain::EntryNotFound:
            done(ReadStatus::NotFound, QString(), QString());
            break;
        default:
            done(ReadStatus::Unavailable, QString(), job->errorString());
            break;
        }
    });
    job->start();
}

void TwSystemKeyring::writePassword(QString const& password, WriteDone done)
{
    auto* job = new QKeychain::WritePasswordJob(serviceName(), this);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(passwordKey());
    job->setTextData(password);
    connect(job, &QKeychain::Job::finished, this, [done, job] {
        if (done)
            done(job->error() == QKeychain::NoError, job->errorString());
    });
    job->start();
}

void TwSystemKeyring::removePassword()
{
    auto* job = new QKeychain::DeletePasswordJob(serviceName(), this);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(passwordKey());
    job->start();
}
