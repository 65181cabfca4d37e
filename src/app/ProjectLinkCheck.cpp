#include "app/ProjectLinkCheck.h"

#include "app/ShownText.h"
#include "params/Base64.h"
#include "params/XmlNumbers.h"

#include <QCoreApplication>
#include <QDomElement>
#include <QHash>

namespace {

const QString graphTag = QStringLiteral("graph");
const QString nodesTag = QStringLiteral("nodes");

struct Section
{
    QDomElement element;
    // The top-level section this one is, or lies inside of.
    QDomElement topLevel;
    bool isTopLevel = false;
};

QString shownName(QDomElement const& section)
{
    const QString name = KelUtils::fromBase64(section.attribute(QStringLiteral("name")));
    return ShownText::name(name.isEmpty() ? section.tagName() : name, ShownText::kNarrowPlaceChars);
}

// Every section below `graph`, by stored uid; the first met keeps a repeated uid, as the loader's
// look-up does. Nesting is bounded by the document checks made before.
void collect(QDomElement const& graph, QDomElement const& topLevel, QHash<int, Section>& sections)
{
    for (QDomElement section = graph.firstChildElement(nodesTag).firstChildElement(); !section.isNull();
         section = section.nextSiblingElement()) {
        const bool isTopLevel = topLevel.isNull();
        const QDomElement owner = isTopLevel ? section : topLevel;
        if (section.hasAttribute(QStringLiteral("uid"))) {
            const int uid = KelUtils::parseXmlInt(section.attribute(QStringLiteral("uid")));
            if (!sections.contains(uid))
                sections.insert(uid, Section{section, owner, isTopLevel});
        }
        if (section.tagName() == graphTag)
            collect(section, owner, sections);
    }
}

} // namespace

QString ProjectLinkCheck::refusal(QDomElement const& graph)
{
    // A nested graph's own links are looked up among its own nodes: only the document's top-level
    // links can reach from the top level into an effect.
    const QDomElement links = graph.firstChildElement(QStringLiteral("connections"));
    if (links.firstChildElement(QStringLiteral("connection")).isNull())
        return QString();
    QHash<int, Section> sections;
    collect(graph, QDomElement(), sections);
    for (QDomElement link = links.firstChildElement(QStringLiteral("connection")); !link.isNull();
         link = link.nextSiblingElement(QStringLiteral("connection"))) {
        const auto first = sections.constFind(KelUtils::parseXmlInt(link.attribute(QStringLiteral("node_uid1"))));
        const auto second = sections.constFind(KelUtils::parseXmlInt(link.attribute(QStringLiteral("node_uid2"))));
        if (first == sections.cend() || second == sections.cend() || first->isTopLevel == second->isTopLevel)
            continue;
        Section const& inner = first->isTopLevel ? *second : *first;
        Section const& outer = first->isTopLevel ? *first : *second;
        return QCoreApplication::translate(
                   "ProjectLinkCheck",
                   "Its node \"%1\" inside the effect \"%2\" is linked to \"%3\" outside that effect. The "
                   "effects of a project are linked only one after another, each taking the picture the one before "
                   "it gives: that link would be lost.")
            .arg(shownName(inner.element), shownName(inner.topLevel), shownName(outer.element));
    }
    return QString();
}
