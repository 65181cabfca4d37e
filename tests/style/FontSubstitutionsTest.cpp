#include "style/FontSubstitutions.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontInfo>
#include <QStringList>

TEST(FontSubstitutionsTest, RequestedFamiliesResolveToDejaVu)
{
    FontSubstitutions::install();
    FontSubstitutions::install();
    // Qt keeps substitutes in lower case.
    EXPECT_EQ(QFont::substitutes(QStringLiteral("Geneva")), QStringList{FontSubstitutions::SANS_FAMILY.toLower()});
    EXPECT_EQ(QFont::substitutes(QStringLiteral("Monaco")), QStringList{FontSubstitutions::MONO_FAMILY.toLower()});

    QFont working(QStringLiteral("Geneva"));
    working.setPixelSize(11);
    EXPECT_EQ(QFontInfo(working).family(), FontSubstitutions::SANS_FAMILY);

    const QFont script(QStringLiteral("Monaco"), 11);
    EXPECT_EQ(QFontInfo(script).family(), FontSubstitutions::MONO_FAMILY);
    EXPECT_TRUE(QFontInfo(script).fixedPitch());
    // The family is kept as requested; only resolution changes.
    EXPECT_EQ(script.family(), QStringLiteral("Monaco"));
}
