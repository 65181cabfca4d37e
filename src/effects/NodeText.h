#pragma once

#include <QCoreApplication>
#include <QString>

namespace KelVyxNodes {

// The texts of a node's parameters and help, translated in the context where the node list's
// names are marked (QT_TRANSLATE_NOOP("QObject", ...)), so one catalogue serves both.
inline QString tr(char const* text)
{
    return QCoreApplication::translate("QObject", text);
}

} // namespace KelVyxNodes
