#include "app/UnrestoredLinksText.h"

#include "app/ShownText.h"
#include "app/TwCore.h"

#include <QCoreApplication>
#include <QDebug>

namespace {

QString tr(char const* text)
{
    return QCoreApplication::translate("UnrestoredLinksText", text);
}

QString linkLine(KelNodes::UnrestoredLink const& link)
{
    QString why;
    switch (link.why) {
    case KelNodes::UnrestoredLink::Why::NoTerminal:
        why = tr("one of the two nodes has no such input or output.");
        break;
    case KelNodes::UnrestoredLink::Why::ClosesCycle:
        why = tr("it would make a node depend on its own result.");
        break;
    case KelNodes::UnrestoredLink::Why::Refused:
        why = tr("the two do not take the same kind of value.");
        break;
    }
    auto name = [](QString const& text) { return ShownText::name(text, ShownText::kNarrowPlaceChars); };
    return tr("The link from \"%1\" (%2) to \"%3\" (%4) could not be made again: %5")
        .arg(name(link.fromNode), name(link.fromTerminal), name(link.toNode), name(link.toTerminal), why);
}

} // namespace

QString UnrestoredLinksText::lines(QList<KelNodes::UnrestoredLink> const& links, int shown)
{
    QStringList text;
    for (qsizetype i = 0; i < links.size() && i < shown; ++i)
        text.append(linkLine(links.at(i)));
    if (links.size() > shown)
        text.append(QCoreApplication::translate("UnrestoredLinksText", "%n more link(s) could not be made again either.",
                                                nullptr, int(links.size() - shown)));
    return text.join(QLatin1Char('\n'));
}

void UnrestoredLinksText::tell(TwCore* core, QString const& what, QList<KelNodes::UnrestoredLink> const& links)
{
    if (links.isEmpty())
        return;
    const QString text = what + QLatin1Char('\n') + lines(links);
    qDebug().noquote() << text;
    if (!core)
        return;
    core->addDebugText(text);
    // Shown until the user dismisses it: the next render or a menu's tip must not hide it.
    QString shown = what + QLatin1Char(' ') + linkLine(links.first());
    if (links.size() > 1)
        shown += QLatin1Char(' ') + QCoreApplication::translate("UnrestoredLinksText", "%n more link(s) could not be made again either.",
                                                                 nullptr, int(links.size() - 1));
    core->showLastingMessage(shown);
}
