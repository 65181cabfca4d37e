#pragma once

#include <QString>

namespace KelUtils {

// Thrown by value by the container's typed by-name accessors when a name is unknown.
class KelException
{
public:
    explicit KelException(QString const& message, int code = 0) : m_code(code), m_message(message) {}
    KelException(int code, QString const& message) : m_code(code), m_message(message) {}

    int code() const { return m_code; }
    QString const& message() const { return m_message; }

private:
    int m_code = 0;
    QString m_message;
};

} // namespace KelUtils
