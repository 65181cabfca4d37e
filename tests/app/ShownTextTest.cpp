// Text from outside is cut before any widget measures it: by characters, by lines, never
// inside a surrogate pair, and untouched when it is short.

#include "app/ShownText.h"

#include <gtest/gtest.h>

namespace {

const QString Ellipsis(QChar(0x2026));

struct BoundedCase
{
    const char* what;
    QString text;
    int maxChars;
    int maxLines;
    QString expected;
};

TEST(ShownText, BoundedCutsByCharactersAndLines)
{
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // one pair of UTF-16 units
    const BoundedCase cases[] = {
        {"short text unchanged", QStringLiteral("a\nb"), 10, 3, QStringLiteral("a\nb")},
        {"cut by characters", QStringLiteral("abcdefgh"), 5, 3, QStringLiteral("abcde") + Ellipsis},
        {"cut by lines", QStringLiteral("1\n2\n3\n4"), 100, 2, QStringLiteral("1\n2") + Ellipsis},
        {"pair not split", QStringLiteral("abcd") + emoji, 5, 3, QStringLiteral("abcd") + Ellipsis},
        {"exactly the limit", QStringLiteral("abcde"), 5, 1, QStringLiteral("abcde")},
        {"cut at line separators", QStringLiteral("1\u20282\u20293\u20284"), 100, 2,
         QStringLiteral("1\u20282") + Ellipsis},
    };
    for (BoundedCase const& c : cases)
        EXPECT_EQ(ShownText::bounded(c.text, c.maxChars, c.maxLines), c.expected) << c.what;
}

TEST(ShownText, BoundedOfMegabytesIsShort)
{
    const QString huge = QStringLiteral("line\n").repeated(800000);
    EXPECT_LE(ShownText::bounded(huge).size(), 401);
    EXPECT_LE(ShownText::bounded(huge).count(QLatin1Char('\n')), 5);
}

TEST(ShownText, NameIsOneLineOfBoundedLength)
{
    EXPECT_EQ(ShownText::name(QStringLiteral("a\nb\tc\rd")), QStringLiteral("a b c d"));
    // Text layout breaks lines at these as well.
    EXPECT_EQ(ShownText::name(QStringLiteral("a\u2028b\u2029c\vd\fe\u0085f")), QStringLiteral("a b c d e f"));
    EXPECT_EQ(ShownText::name(QString(10000, QLatin1Char('x')), 8), QString(8, QLatin1Char('x')) + Ellipsis);
    EXPECT_EQ(ShownText::name(QStringLiteral("Blur")), QStringLiteral("Blur"));
}

TEST(ShownText, DirectionalRunsANameLeavesOpenAreClosedBeforeTheTextAfterIt)
{
    // A right-to-left override left open in a name turns the program's own words after it
    // around; closed inside the name, they read as written.
    const QString rlo(QChar(0x202E)), rle(QChar(0x202B)), pdf(QChar(0x202C));
    const QString rli(QChar(0x2067)), fsi(QChar(0x2068)), pdi(QChar(0x2069));
    struct Case
    {
        const char* what;
        QString text;
        int maxChars;
        QString expected;
    };
    const Case cases[] = {
        {"override left open", rlo + QStringLiteral("abc"), 10, rlo + QStringLiteral("abc") + pdf},
        {"closed runs unchanged", rlo + QStringLiteral("a") + pdf + rli + QStringLiteral("b") + pdi, 10,
         rlo + QStringLiteral("a") + pdf + rli + QStringLiteral("b") + pdi},
        {"embedding inside an isolate", fsi + QStringLiteral("a") + rle + QStringLiteral("b"), 10,
         fsi + QStringLiteral("a") + rle + QStringLiteral("b") + pdf + pdi},
        {"an isolate closes what it holds", rli + rle + QStringLiteral("a") + pdi + rlo, 10,
         rli + rle + QStringLiteral("a") + pdi + rlo + pdf},
        {"a stray closer closes nothing", pdf + pdi + rlo + QStringLiteral("a"), 10,
         pdf + pdi + rlo + QStringLiteral("a") + pdf},
        {"the closers fit in a cut name", rlo + QString(20, QLatin1Char('x')), 8,
         rlo + QString(6, QLatin1Char('x')) + pdf + Ellipsis},
        {"a name of overrides only", rlo.repeated(100), 8, rlo.repeated(4) + pdf.repeated(4) + Ellipsis},
    };
    for (Case const& c : cases) {
        EXPECT_EQ(ShownText::name(c.text, c.maxChars), c.expected) << c.what;
        EXPECT_EQ(ShownText::bounded(c.text, c.maxChars, 6), c.expected) << c.what;
    }
}

} // namespace
