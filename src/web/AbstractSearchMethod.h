#pragma once

#include "web/AbstractApiMethod.h"

// Base of the searches: the reply is a list of items, walked with a cursor. A finished call
// does not reset the cursor: callers call first() before each walk.
class AbstractSearchMethod : public AbstractApiMethod
{
    Q_OBJECT

public:
    explicit AbstractSearchMethod(QObject* parent = nullptr);

    void setKeyWord(QString const& keyword);

    void first() { m_cursor = 0; }
    void next() { ++m_cursor; }
    bool atEnd() const;
    int cursor() const { return m_cursor; }

    // Fields of the element at the cursor (empty outside the list).
    QString version() const;
    QString uuid() const;
    QString name() const;

private:
    QVariant elementField(QString const& field) const;

    int m_cursor = 0;
};
