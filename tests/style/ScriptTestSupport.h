#pragma once

// The script highlighter keeps its formats in the application's settings: these tests give it
// a settings store of its own in a temporary folder, never the user's.

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace ScriptTest {

class SettingsSandbox
{
public:
    SettingsSandbox()
        : m_organization(QCoreApplication::organizationName())
        , m_application(QCoreApplication::applicationName())
    {
        QCoreApplication::setOrganizationName(QStringLiteral("VyxSolenneTests"));
        QCoreApplication::setApplicationName(QStringLiteral("ScriptHighlighter"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QSettings().clear();
    }

    ~SettingsSandbox()
    {
        QSettings().clear();
        QCoreApplication::setOrganizationName(m_organization);
        QCoreApplication::setApplicationName(m_application);
    }

    SettingsSandbox(const SettingsSandbox&) = delete;
    SettingsSandbox& operator=(const SettingsSandbox&) = delete;

private:
    QTemporaryDir m_dir;
    QString m_organization;
    QString m_application;
};

// The character format the highlighter gave the character at `position` of line `line`.
inline QTextCharFormat formatAt(const QTextDocument& document, int line, int position)
{
    const QTextBlock block = document.findBlockByNumber(line);
    QTextCharFormat found;
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (position >= range.start && position < range.start + range.length)
            found = range.format;
    }
    return found;
}

inline QColor foregroundAt(const QTextDocument& document, int line, int position)
{
    const QTextCharFormat format = formatAt(document, line, position);
    const QBrush brush = format.foreground();
    return brush.style() == Qt::NoBrush ? QColor() : brush.color();
}

} // namespace ScriptTest
