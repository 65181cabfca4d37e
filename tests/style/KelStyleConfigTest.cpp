#include "style/KelStyleConfig.h"

#include <gtest/gtest.h>

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QPixmap>
#include <QSize>

namespace {

class KelStyleConfigTest : public ::testing::Test
{
protected:
    void SetUp() override { store()->clear(); }
    void TearDown() override { store()->clear(); }

    static KelStyleConfig* store() { return KelStyleConfig::instance(); }

    static QLinearGradient sampleGradient()
    {
        QLinearGradient gradient(QPointF(1, 2), QPointF(3, 40));
        gradient.setColorAt(0.0, QColor(10, 20, 30));
        gradient.setColorAt(0.25, QColor(200, 100, 50, 128));
        gradient.setColorAt(1.0, Qt::white);
        gradient.setSpread(QGradient::ReflectSpread);
        gradient.setCoordinateMode(QGradient::ObjectMode);
        return gradient;
    }

    static QPixmap samplePixmap()
    {
        QPixmap pixmap(7, 5);
        pixmap.fill(Qt::red);
        return pixmap;
    }
};

} // namespace

TEST_F(KelStyleConfigTest, AbsentKeyGivesEachTypesDefault)
{
    const QString key = QStringLiteral("Nowhere.borderPen");

    EXPECT_FALSE(store()->value<QColor>(key).isValid());

    const QPen pen = store()->value<QPen>(key);
    EXPECT_EQ(pen, QPen());
    EXPECT_EQ(pen.color(), QColor(Qt::black));
    EXPECT_EQ(pen.style(), Qt::SolidLine);

    // A gradient without stops of its own (stops() then reports Qt's black-to-white fallback).
    EXPECT_EQ(store()->value<QLinearGradient>(key), QLinearGradient());
    EXPECT_EQ(store()->value<QFont>(key), QFont());

    const QSize size = store()->value<QSize>(key);
    EXPECT_EQ(size.width(), -1);
    EXPECT_EQ(size.height(), -1);
    EXPECT_FALSE(size.isValid());

    EXPECT_TRUE(store()->value<QPixmap>(key).isNull());
    EXPECT_TRUE(store()->value<QString>(key).isNull());
    EXPECT_FALSE(store()->value<bool>(key));
    EXPECT_FALSE(store()->contains(key));

    // An empty key is just another absent key.
    EXPECT_FALSE(store()->value<QSize>(QString()).isValid());
}

TEST_F(KelStyleConfigTest, EmptyValuesAreStoredValuesNotAbsentOnes)
{
    // QVariant::isNull no longer looks inside the value, so these must survive as they are.
    store()->add(QStringLiteral("nullString"), QString());
    store()->add(QStringLiteral("zeroSize"), QSize(0, 0));
    store()->add(QStringLiteral("nullPixmap"), QPixmap());

    EXPECT_TRUE(store()->contains(QStringLiteral("nullString")));
    EXPECT_TRUE(store()->value<QString>(QStringLiteral("nullString")).isNull());

    const QSize size = store()->value<QSize>(QStringLiteral("zeroSize"));
    EXPECT_EQ(size, QSize(0, 0));
    EXPECT_TRUE(size.isNull());
    EXPECT_TRUE(size.isValid());

    EXPECT_TRUE(store()->contains(QStringLiteral("nullPixmap")));
    EXPECT_TRUE(store()->value<QPixmap>(QStringLiteral("nullPixmap")).isNull());
}

TEST_F(KelStyleConfigTest, CopyTakesTheCurrentValueOnlyWhenTheSourceExists)
{
    EXPECT_FALSE(store()->copy(QStringLiteral("absent"), QStringLiteral("target")));
    EXPECT_FALSE(store()->contains(QStringLiteral("target")));

    store()->add(QStringLiteral("from"), QColor(Qt::red));
    store()->add(QStringLiteral("to"), QSize(1, 1));
    EXPECT_TRUE(store()->copy(QStringLiteral("from"), QStringLiteral("to")));
    EXPECT_EQ(store()->value<QColor>(QStringLiteral("to")), QColor(Qt::red));
    EXPECT_FALSE(store()->value<QSize>(QStringLiteral("to")).isValid());

    // A snapshot, not an alias.
    store()->add(QStringLiteral("from"), QColor(Qt::blue));
    EXPECT_EQ(store()->value<QColor>(QStringLiteral("to")), QColor(Qt::red));

    // Onto itself, and into a store that grows while copying, nothing is lost.
    EXPECT_TRUE(store()->copy(QStringLiteral("from"), QStringLiteral("from")));
    EXPECT_EQ(store()->value<QColor>(QStringLiteral("from")), QColor(Qt::blue));
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(store()->copy(QStringLiteral("from"), QStringLiteral("copy%1").arg(i)));
    EXPECT_EQ(store()->value<QColor>(QStringLiteral("copy199")), QColor(Qt::blue));
    EXPECT_EQ(store()->value<QColor>(QStringLiteral("from")), QColor(Qt::blue));
}
