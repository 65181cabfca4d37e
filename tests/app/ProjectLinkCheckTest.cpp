// Which links of a project document the chain of effects can keep: links among the top-level
// nodes (the chain itself, rebuilt at open) and links inside effects, even across their levels
// or between effects, are kept; a link between a top-level node and a node inside an effect is
// refused, naming both and the effect.

#include "app/ProjectLinkCheck.h"

#include "params/Base64.h"

#include <QDomDocument>

#include <gtest/gtest.h>

namespace {

QString named(QString const& name)
{
    return QStringLiteral("name=\"%1\"").arg(KelUtils::toBase64(name));
}

// A project of the picture (1), the effects "First" (10: its picture 11, a node 12, inside it
// the effect 13 with its picture 14 and a node 15) and "Second" (20: a node 21), and the
// filtered image (2), with `links` at the top level.
QString refusalFor(QString const& links, QString const& innerLinks = QString())
{
    const QString text = QStringLiteral(
        "<graph><nodes>"
        "<orgimage uuid=\"{a}\" uid=\"1\" %1/>"
        "<graph uid=\"10\" %2><nodes>"
        "  <orgimage uuid=\"{a}\" uid=\"11\" %1/><operator.chromaaber uuid=\"{c}\" uid=\"12\"/>"
        "  <graph uid=\"13\"><nodes><orgimage uuid=\"{a}\" uid=\"14\"/><operator.rotate uuid=\"{r}\" uid=\"15\" %3/></nodes></graph>"
        "</nodes><connections>%5</connections></graph>"
        "<graph uid=\"20\" %4><nodes><operator.rotate uuid=\"{r}\" uid=\"21\"/></nodes></graph>"
        "<filtimage uuid=\"{f}\" uid=\"2\"/>"
        "</nodes><connections>%6</connections></graph>")
                             .arg(named(QStringLiteral("Original Image")), named(QStringLiteral("First")),
                                  named(QStringLiteral("Turn")), named(QStringLiteral("Second")), innerLinks, links);
    QDomDocument document;
    EXPECT_TRUE(document.setContent(text));
    return ProjectLinkCheck::refusal(document.documentElement());
}

QString link(int from, QString const& out, int to, QString const& in)
{
    return QStringLiteral("<connection node_uid1=\"%1\" terminal1=\"%2\" node_uid2=\"%3\" terminal2=\"%4\"/>")
        .arg(from)
        .arg(out)
        .arg(to)
        .arg(in);
}

TEST(ProjectLinkCheck, LinksTheWindowKeepsAreAccepted)
{
    // The chain, in any order: it is rebuilt from the project's rows.
    const QString chain = link(1, "rgb", 20, "rgbIn") + link(20, "rgbOut", 10, "rgbIn") + link(10, "rgbOut", 2, "rgb");
    EXPECT_EQ(refusalFor(chain), QString());
    // Inside an effect across its levels, as a node moved into an inner effect keeps them, and
    // between effects.
    EXPECT_EQ(refusalFor(chain + link(11, "rgb", 15, "rgbIn") + link(15, "rgbOut", 12, "aber")), QString());
    EXPECT_EQ(refusalFor(chain + link(12, "out", 21, "rgbIn")), QString());
    // A link to a node that is not there is left open by the loader, whatever it names.
    EXPECT_EQ(refusalFor(chain + link(1, "rgb", 99, "in") + link(98, "out", 12, "aber")), QString());
    // An effect's own links are looked up among its own nodes: they cannot reach the top level.
    EXPECT_EQ(refusalFor(chain, link(1, "rgb", 12, "in")), QString());
}

TEST(ProjectLinkCheck, ALinkBetweenTheTopLevelAndANodeInsideAnEffectIsRefused)
{
    const QString sentence = QStringLiteral(
        "Its node \"%1\" inside the effect \"%2\" is linked to \"%3\" outside that effect. The effects of a project are "
        "linked only one after another, each taking the picture the one before it gives: that link would be lost.");
    // From the project's picture, two levels deep; a node without a name is told by its type.
    EXPECT_EQ(refusalFor(link(1, "rgb", 15, "rgbIn")).toStdString(),
              sentence.arg(QStringLiteral("Turn"), QStringLiteral("First"), QStringLiteral("Original Image")).toStdString());
    // Either end may come first; to the filtered image; from another effect as a whole.
    EXPECT_EQ(refusalFor(link(2, "rgb", 12, "out")).toStdString(),
              sentence.arg(QStringLiteral("operator.chromaaber"), QStringLiteral("First"), QStringLiteral("filtimage"))
                  .toStdString());
    EXPECT_EQ(refusalFor(link(20, "rgbOut", 12, "aber")).toStdString(),
              sentence.arg(QStringLiteral("operator.chromaaber"), QStringLiteral("First"), QStringLiteral("Second"))
                  .toStdString());
}

} // namespace
