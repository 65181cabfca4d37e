#include "ProjectReadBack.h"

#include "WalkState.h"

#include <QDomDocument>
#include <QDomElement>
#include <QDomNamedNodeMap>
#include <QList>
#include <QSet>
#include <QStringList>

#include <algorithm>

namespace MainWindowTest {
namespace {

// A link as the file names it.
QString linkText(QDomElement const& link)
{
    return link.attribute(QStringLiteral("node_uid1")) + QLatin1Char('.') + link.attribute(QStringLiteral("terminal1"))
           + QStringLiteral(" - ") + link.attribute(QStringLiteral("node_uid2")) + QLatin1Char('.')
           + link.attribute(QStringLiteral("terminal2"));
}

QSet<QString> linksOf(QDomDocument const& document)
{
    QSet<QString> links;
    QDomNodeList const all = document.elementsByTagName(QStringLiteral("connection"));
    for (int i = 0; i < all.count(); ++i)
        links.insert(linkText(all.at(i).toElement()));
    return links;
}

void sortChildren(QDomElement element)
{
    QList<QDomElement> children;
    for (QDomElement child = element.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
        children << child;
    auto key = [](QDomElement const& e) {
        QStringList parts{e.attribute(QStringLiteral("uid")).rightJustified(10)};
        for (const char* name : {"node_uid1", "terminal1", "node_uid2", "terminal2"})
            parts << e.attribute(QLatin1String(name)).rightJustified(10);
        return parts.join(QLatin1Char('|'));
    };
    std::stable_sort(children.begin(), children.end(),
                     [&](QDomElement const& a, QDomElement const& b) { return key(a) < key(b); });
    for (QDomElement const& child : children)
        element.appendChild(child);
}

// The document with what the file leaves open set aside: the order of nodes and links, and
// (with `keyedValues` false) the values keyed parameters show.
void setAside(QDomElement element, bool keyedValues)
{
    if (!keyedValues && !element.firstChildElement(QStringLiteral("keyframe")).isNull()) {
        QDomNamedNodeMap const attributes = element.attributes();
        QStringList shown;
        for (int i = 0; i < attributes.count(); ++i) {
            QString const name = attributes.item(i).nodeName();
            if (name.startsWith(QLatin1String("value")) || name.size() == 1)
                shown << name;
        }
        for (QString const& name : shown)
            element.removeAttribute(name);
    }
    if (element.tagName() == QLatin1String("nodes") || element.tagName() == QLatin1String("connections"))
        sortChildren(element);
    for (QDomElement child = element.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
        setAside(child, keyedValues);
}

QByteArray formOf(QByteArray const& bytes, bool keyedValues)
{
    QDomDocument document;
    if (!document.setContent(bytes))
        return QByteArray();
    setAside(document.documentElement(), keyedValues);
    return document.toByteArray(1);
}

QString joined(QSet<QString> const& links)
{
    QStringList list(links.cbegin(), links.cend());
    list.sort();
    return list.join(QStringLiteral(", "));
}

} // namespace

ProjectReadBack ProjectReadBack::of(QByteArray const& written, QByteArray const& writtenAgain)
{
    if (written == writtenAgain)
        return {};
    if (formOf(written, true) == formOf(writtenAgain, true))
        return {};
    QByteArray const was = formOf(written, false);
    QByteArray const is = formOf(writtenAgain, false);
    if (was == is)
        return {std::string(), false};
    QDomDocument before;
    QDomDocument after;
    before.setContent(written);
    after.setContent(writtenAgain);
    QSet<QString> const linksBefore = linksOf(before);
    QSet<QString> const linksAfter = linksOf(after);
    std::string fault;
    if (QSet<QString> const lost = linksBefore - linksAfter; !lost.isEmpty())
        fault += "links lost: " + joined(lost).toStdString() + "; ";
    if (QSet<QString> const gained = linksAfter - linksBefore; !gained.isEmpty())
        fault += "links gained: " + joined(gained).toStdString() + "; ";
    return {fault + WalkState::firstDifference(was, is), false};
}

} // namespace MainWindowTest
