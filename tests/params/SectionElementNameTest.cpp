#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"
#include "params/ParameterList.h"

#include <gtest/gtest.h>

#include <QDomDocument>

using namespace KelUtils;

// Element names may not hold every character a container name does; the container keeps its own name.
TEST(SectionElementName, ForbiddenCharactersAreWrittenAsUnderscoreAndTheSectionReadsBack)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("operator.brightness/contrast"), QStringLiteral("operator.brightness_contrast")},
        {QStringLiteral("a-b_c:d.9"), QStringLiteral("a-b_c:d.9")},
        {QStringLiteral("9lives"), QStringLiteral("_lives")},
        {QStringLiteral(".dot"), QStringLiteral("_dot")},
        {QStringLiteral("two words&<more>"), QStringLiteral("two_words__more_")},
        {QString::fromUtf8("caf\u00e9\u00b7x"), QString::fromUtf8("caf\u00e9\u00b7x")},
        {QString::fromUtf8("\u00b7start"), QStringLiteral("_start")},
        {QString(), QStringLiteral("_")},
    };
    for (auto const& [name, element] : cases) {
        int level = 0;
        ParameterContainer source(name, QString()), target(name, QString());
        for (ParameterContainer* c : {&source, &target})
            c->paramLists().append(ParameterList{QStringLiteral("basic"), true,
                                                 {new NumGroupParameter<int>(QStringLiteral("level"), QString(), c,
                                                                             c == &target ? &level : nullptr,
                                                                             1, 0, 100, 1, true, 5)}});
        source.setIntParam(QStringLiteral("level"), 42);

        QDomDocument document;
        QDomElement root = document.createElement(QStringLiteral("root"));
        document.appendChild(root);
        EXPECT_EQ(source.storeState(document, root, false, false), 0);
        QDomDocument reread;
        ASSERT_TRUE(bool(reread.setContent(document.toString()))) << qPrintable(name);
        const QDomElement section = reread.documentElement().firstChildElement();
        EXPECT_EQ(section.tagName(), element) << qPrintable(name);
        ASSERT_EQ(target.loadState(section), 0);
        EXPECT_EQ(level, 42) << qPrintable(name);
    }
}
