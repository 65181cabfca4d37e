#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"
#include "params/ParameterList.h"

#include <gtest/gtest.h>

#include <QDomDocument>

using namespace KelUtils;

namespace {

// Stores a container named `name` holding one int "level" = 42, as text.
QString storedText(QString const& name)
{
    ParameterContainer container(name, QString());
    int level = 0;
    auto* parameter = new NumGroupParameter<int>(QStringLiteral("level"), QString(), &container,
                                                 &level, 1, 0, 100, 1, true, 5);
    container.paramLists().append(ParameterList{QStringLiteral("basic"), true, {parameter}});
    EXPECT_EQ(container.setIntParam(QStringLiteral("level"), 42), 0);

    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("root"));
    document.appendChild(root);
    EXPECT_EQ(container.storeState(document, root, false, false), 0);
    return document.toString();
}

} // namespace

TEST(SectionElementName, ASlashInTheNameIsWrittenAsUnderscoreAndTheSectionReadsBack)
{
    const QString text = storedText(QStringLiteral("operator.brightness/contrast"));
    QDomDocument reread;
    ASSERT_TRUE(bool(reread.setContent(text))) << qPrintable(text);
    const QDomElement section = reread.documentElement().firstChildElement();
    EXPECT_EQ(section.tagName(), QLatin1String("operator.brightness_contrast"));

    // The container keeps its own name; only the element is spelt differently.
    ParameterContainer loaded(QStringLiteral("operator.brightness/contrast"), QString());
    int level = 0;
    auto* parameter = new NumGroupParameter<int>(QStringLiteral("level"), QString(), &loaded,
                                                 &level, 1, 0, 100, 1, true, 5);
    loaded.paramLists().append(ParameterList{QStringLiteral("basic"), true, {parameter}});
    ASSERT_EQ(loaded.loadState(section), 0);
    EXPECT_EQ(level, 42);
    EXPECT_EQ(loaded.name(), QLatin1String("operator.brightness/contrast"));
}

TEST(SectionElementName, OnlyCharactersThatNamesForbidAreReplaced)
{
    struct Case
    {
        QString name;
        QString element;
    };
    const Case cases[] = {
        {QStringLiteral("operator.Maths.max"), QStringLiteral("operator.Maths.max")},
        {QStringLiteral("a-b_c:d.9"), QStringLiteral("a-b_c:d.9")},
        {QStringLiteral("9lives"), QStringLiteral("_lives")},
        {QStringLiteral(".dot"), QStringLiteral("_dot")},
        {QStringLiteral("two words&<more>"), QStringLiteral("two_words__more_")},
        {QString::fromUtf8("caf\u00e9\u00b7x"), QString::fromUtf8("caf\u00e9\u00b7x")},
        {QString::fromUtf8("\u00b7start"), QStringLiteral("_start")},
        {QString(), QStringLiteral("_")},
    };
    for (Case const& c : cases) {
        const QString text = storedText(c.name);
        QDomDocument reread;
        ASSERT_TRUE(bool(reread.setContent(text))) << qPrintable(text);
        EXPECT_EQ(reread.documentElement().firstChildElement().tagName(), c.element)
            << qPrintable(c.name);
    }
}
