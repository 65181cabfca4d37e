// Making nodes from stored sections: the effect graph's overload hands back the effect nodes it
// made, while the node graph's own overloads stay reachable on an effect graph.

#include "effects/VyxNodeGraph.h"

#include <gtest/gtest.h>

#include <QDomDocument>

using namespace KelVyxNodes;

namespace {

// The first section under the stored document's "nodes" element.
QDomElement firstSection(QDomDocument const& document)
{
    return document.documentElement().firstChildElement(QStringLiteral("nodes")).firstChildElement();
}

} // namespace

TEST(VyxNodeGraphSection, NestedSectionHandsBackTheSubGraphAndItsMembers)
{
    VyxNodeGraph source;
    VyxNodeGraph* sub = source.addSubGraph(-1);
    ASSERT_NE(sub, nullptr);
    // Both overloads of the base remain: by type id and by node object.
    KelNodes::Node* inner = sub->addNode(QStringLiteral("generator.const"), -1);
    ASSERT_NE(inner, nullptr);
    QDomDocument* stored = source.store({sub}, false, false, false);
    ASSERT_NE(stored, nullptr);
    const QDomElement section = firstSection(*stored);
    ASSERT_FALSE(section.isNull());

    VyxNodeGraph target;
    QMap<int, int> uids;
    QList<VyxNode*> made;
    VyxNode* node = target.addNode(section, false, &uids, &made);
    delete stored;

    ASSERT_NE(node, nullptr);
    auto* copy = dynamic_cast<VyxNodeGraph*>(node);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->parentGraph(), &target);
    // The list holds what was made inside the new sub-graph; the sub-graph is the result.
    ASSERT_EQ(made.size(), 1);
    EXPECT_EQ(made.at(0)->parentGraph(), copy);
    EXPECT_EQ(made.at(0)->descriptor()->typeId, QStringLiteral("generator.const"));
    EXPECT_EQ(copy->numNodes(), 1);
    EXPECT_EQ(uids.size(), 2);
}

TEST(VyxNodeGraphSection, MalformedOrUnknownSectionMakesNothing)
{
    VyxNodeGraph target;
    const int before = target.numNodes();
    QDomDocument document;
    QDomElement bogus = document.createElement(QStringLiteral("node"));
    bogus.setAttribute(QStringLiteral("type"), QStringLiteral("no.such.type"));
    QList<VyxNode*> made;
    EXPECT_EQ(target.addNode(bogus, false, nullptr, &made), nullptr);
    EXPECT_TRUE(made.isEmpty());
    EXPECT_EQ(target.numNodes(), before);
    // The list may be left out.
    EXPECT_EQ(target.addNode(bogus, false, nullptr, static_cast<QList<VyxNode*>*>(nullptr)),
              nullptr);
}
