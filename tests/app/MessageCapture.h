#pragma once

// Collects the debug messages (the loaders' reports) while it lives.

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <algorithm>

namespace AppTest {

class MessageCapture
{
public:
    MessageCapture()
    {
        current() = &messages;
        m_previous = qInstallMessageHandler([](QtMsgType, QMessageLogContext const&, QString const& text) {
            if (current())
                current()->append(text);
        });
    }
    ~MessageCapture()
    {
        qInstallMessageHandler(m_previous);
        current() = nullptr;
    }
    MessageCapture(MessageCapture const&) = delete;
    MessageCapture& operator=(MessageCapture const&) = delete;

    bool any(QString const& part) const
    {
        return std::any_of(messages.begin(), messages.end(),
                           [&](QString const& text) { return text.contains(part); });
    }
    QString all() const { return messages.join(QLatin1Char('\n')); }

    QStringList messages;

private:
    static QStringList*& current()
    {
        static QStringList* list = nullptr;
        return list;
    }

    QtMessageHandler m_previous = nullptr;
};

} // namespace AppTest
