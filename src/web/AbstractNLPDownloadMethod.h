#pragma once

#include "web/AbstractApiMethod.h"

#include <QDateTime>

// Base of the "nlp_extension" list and metadata calls; every value stays text.
class AbstractNLPDownloadMethod : public AbstractApiMethod
{
    Q_OBJECT

public:
    explicit AbstractNLPDownloadMethod(QObject* parent = nullptr);

    QString nlpType() const;
    QString supportedLanguage() const;
    QString version() const;
    QString userId() const;
    QString id() const;
    QString uuid() const;
    QString name() const;
    QDateTime createdAt() const;
    bool isSuccess() const;

private:
    QString text(QString const& field) const;
};
