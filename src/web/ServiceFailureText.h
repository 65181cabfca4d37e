#pragma once

#include <QCoreApplication>
#include <QString>

class AbstractApiMethod;

// What a message says about a service call that failed, built one way for every call (the login,
// the search, the upload, the template list and the downloads): the failure first (the HTTP
// status and its reason, the deadline, the refused or unreadable reply, or the caller's words for
// a reply without what was asked for), then the service's own words where they add something.
// A few lines at most, however much the service sent.
class ServiceFailureText
{
    Q_DECLARE_TR_FUNCTIONS(ServiceFailureText)

public:
    // missing: what the reply lacks, for a call that did not fail but brought no answer (empty: a
    // sentence of its own). answered: the reply carries what was asked for; its words are then a
    // success's ("Thank you.") and say nothing about the failure.
    static QString of(AbstractApiMethod const& call, bool answered, QString const& missing = QString());
};
