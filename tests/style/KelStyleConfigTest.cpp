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

TEST_F(KelStyleConfigTest, InstanceIsOneStoreForTheProcess)
{
    ASSERT_NE(KelStyleConfig::instance(), nullptr);
    EXPECT_EQ(KelStyleConfig::instance(), KelStyleConfig::instance());
    store()->add(QStringLiteral("a.b"), QColor(Qt::blue));
    EXPECT_EQ(KelStyleConfig::instance()->value<QColor>(QStringLiteral("a.b")), QColor(Qt::blue));
}

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

TEST_F(KelStyleConfigTest, StoredValueOfTheAskedTypeComesBackUnchanged)
{
    const QPen pen(QColor(1, 2, 3, 4), 2.5, Qt::DashLine, Qt::RoundCap, Qt::BevelJoin);
    QFont font(QStringLiteral("DejaVu Sans"), 13);
    font.setBold(true);
    const QPixmap pixmap = samplePixmap();

    store()->add(QStringLiteral("K.textColor"), QColor(12, 34, 56, 78));
    store()->add(QStringLiteral("K.borderPen"), pen);
    store()->add(QStringLiteral("K.nameFont"), font);
    store()->add(QStringLiteral("K.sizeHint"), QSize(27, 19));
    store()->add(QStringLiteral("titleBarButtonNormal"), pixmap);
    store()->add(QStringLiteral("K.prefix"), QStringLiteral("HeaderSection."));
    store()->add(QStringLiteral("ConnectingLineAntialiasingFlag"), true);

    EXPECT_EQ(store()->value<QColor>(QStringLiteral("K.textColor")), QColor(12, 34, 56, 78));
    EXPECT_EQ(store()->value<QPen>(QStringLiteral("K.borderPen")), pen);
    EXPECT_EQ(store()->value<QFont>(QStringLiteral("K.nameFont")), font);
    EXPECT_EQ(store()->value<QSize>(QStringLiteral("K.sizeHint")), QSize(27, 19));
    EXPECT_EQ(store()->value<QString>(QStringLiteral("K.prefix")), QStringLiteral("HeaderSection."));
    EXPECT_TRUE(store()->value<bool>(QStringLiteral("ConnectingLineAntialiasingFlag")));

    // Shared, not reloaded or deep-copied.
    const QPixmap found = store()->value<QPixmap>(QStringLiteral("titleBarButtonNormal"));
    EXPECT_EQ(found.cacheKey(), pixmap.cacheKey());
    EXPECT_EQ(found.size(), QSize(7, 5));
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

TEST_F(KelStyleConfigTest, KeysAreExactAndCaseSensitive)
{
    store()->add(QStringLiteral("ComboBox.borderPen"), QPen(Qt::red, 3));

    EXPECT_EQ(store()->value<QPen>(QStringLiteral("combobox.borderpen")), QPen());
    EXPECT_EQ(store()->value<QPen>(QStringLiteral("ComboBox.borderPen ")), QPen());
    EXPECT_EQ(store()->value<QPen>(QStringLiteral("ComboBox")), QPen());
    EXPECT_EQ(store()->value<QPen>(QStringLiteral("ComboBox.borderPen")).width(), 3);
}

TEST_F(KelStyleConfigTest, WrongKindGivesTheAskedTypesDefault)
{
    store()->add(QStringLiteral("aSize"), QSize(3, 4));
    store()->add(QStringLiteral("aColor"), QColor(Qt::green));
    store()->add(QStringLiteral("aPen"), QPen(Qt::blue, 2));
    store()->add(QStringLiteral("aWord"), QStringLiteral("Tahoma"));

    EXPECT_FALSE(store()->value<QColor>(QStringLiteral("aSize")).isValid());
    EXPECT_FALSE(store()->value<QSize>(QStringLiteral("aColor")).isValid());
    EXPECT_FALSE(store()->value<QSize>(QStringLiteral("aWord")).isValid());
    EXPECT_TRUE(store()->value<QPixmap>(QStringLiteral("aColor")).isNull());
    EXPECT_TRUE(store()->value<QPixmap>(QStringLiteral("aPen")).isNull());
    EXPECT_TRUE(store()->value<QString>(QStringLiteral("aSize")).isNull());
    EXPECT_FALSE(store()->value<QColor>(QStringLiteral("aWord")).isValid());
    EXPECT_FALSE(store()->value<bool>(QStringLiteral("aSize")));
}

TEST_F(KelStyleConfigTest, StandardConversionsApply)
{
    store()->add(QStringLiteral("named"), QStringLiteral("red"));
    store()->add(QStringLiteral("hex"), QStringLiteral("#102030"));
    store()->add(QStringLiteral("yes"), QStringLiteral("true"));
    store()->add(QStringLiteral("no"), QStringLiteral("false"));
    QImage image(9, 4, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 255, 255));
    store()->add(QStringLiteral("picture"), image);

    EXPECT_EQ(store()->value<QColor>(QStringLiteral("named")), QColor(Qt::red));
    EXPECT_EQ(store()->value<QColor>(QStringLiteral("hex")), QColor(0x10, 0x20, 0x30));
    EXPECT_TRUE(store()->value<bool>(QStringLiteral("yes")));
    EXPECT_FALSE(store()->value<bool>(QStringLiteral("no")));

    const QPixmap pixmap = store()->value<QPixmap>(QStringLiteral("picture"));
    ASSERT_FALSE(pixmap.isNull());
    EXPECT_EQ(pixmap.size(), QSize(9, 4));
    EXPECT_EQ(pixmap.toImage().pixel(3, 2), qRgba(0, 0, 255, 255));
}

TEST_F(KelStyleConfigTest, GradientTypeIsRegisteredUnderItsOwnName)
{
    const QMetaType type = KelStyleConfig::gradientMetaType();
    ASSERT_TRUE(type.isValid());
    EXPECT_STREQ(type.name(), "QLinearGradient");
    EXPECT_EQ(QMetaType::fromName("QLinearGradient"), type);
    EXPECT_EQ(KelStyleConfig::gradientMetaType(), type);
    EXPECT_EQ(QVariant::fromValue(sampleGradient()).metaType(), type);
}

TEST_F(KelStyleConfigTest, StoredGradientComesBackWithStopsSpreadAndCoordinates)
{
    const QLinearGradient gradient = sampleGradient();
    store()->add(QStringLiteral("ToolBox.backgroundGradient"), QVariant::fromValue(gradient));

    QLinearGradient found = store()->value<QLinearGradient>(QStringLiteral("ToolBox.backgroundGradient"));
    EXPECT_EQ(found.stops(), gradient.stops());
    EXPECT_EQ(found.spread(), QGradient::ReflectSpread);
    EXPECT_EQ(found.coordinateMode(), QGradient::ObjectMode);
    EXPECT_EQ(found.start(), QPointF(1, 2));
    EXPECT_EQ(found.finalStop(), QPointF(3, 40));

    // Callers place their own copy; the stored one keeps its points.
    found.setStart(100, 200);
    found.setColorAt(0.5, Qt::black);
    const QLinearGradient again = store()->value<QLinearGradient>(QStringLiteral("ToolBox.backgroundGradient"));
    EXPECT_EQ(again.start(), QPointF(1, 2));
    EXPECT_EQ(again.stops(), gradient.stops());
}

TEST_F(KelStyleConfigTest, OnlyAStoredGradientGivesAGradient)
{
    store()->add(QStringLiteral("aPen"), QPen(Qt::red, 2));
    store()->add(QStringLiteral("aBrush"), QBrush(sampleGradient()));
    store()->add(QStringLiteral("aColor"), QColor(Qt::red));
    store()->add(QStringLiteral("aWord"), QStringLiteral("QLinearGradient"));

    for (const char* key : {"aPen", "aBrush", "aColor", "aWord", "absent"}) {
        const QLinearGradient found = store()->value<QLinearGradient>(QString::fromLatin1(key));
        EXPECT_EQ(found, QLinearGradient()) << key;
    }
}

TEST_F(KelStyleConfigTest, ReturnedCopiesDoNotChangeTheStore)
{
    store()->add(QStringLiteral("K.borderPen"), QPen(Qt::red, 2));

    QPen pen = store()->value<QPen>(QStringLiteral("K.borderPen"));
    pen.setWidth(9);
    pen.setColor(Qt::green);

    const QPen first = store()->value<QPen>(QStringLiteral("K.borderPen"));
    const QPen second = store()->value<QPen>(QStringLiteral("K.borderPen"));
    EXPECT_EQ(first, second);
    EXPECT_EQ(first.width(), 2);
    EXPECT_EQ(first.color(), QColor(Qt::red));
}

TEST_F(KelStyleConfigTest, AddingAgainReplacesEvenWithAnotherKind)
{
    store()->add(QStringLiteral("K.value"), QColor(Qt::red));
    store()->add(QStringLiteral("K.value"), QColor(Qt::blue));
    EXPECT_EQ(store()->value<QColor>(QStringLiteral("K.value")), QColor(Qt::blue));

    store()->add(QStringLiteral("K.value"), QSize(5, 6));
    EXPECT_FALSE(store()->value<QColor>(QStringLiteral("K.value")).isValid());
    EXPECT_EQ(store()->value<QSize>(QStringLiteral("K.value")), QSize(5, 6));
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

TEST_F(KelStyleConfigTest, ClearDropsEveryValueIncludingPixmaps)
{
    QPixmap pixmap = samplePixmap();
    store()->add(QStringLiteral("splash"), pixmap);
    store()->add(QStringLiteral("K.sizeHint"), QSize(3, 3));

    store()->clear();

    EXPECT_FALSE(store()->contains(QStringLiteral("splash")));
    EXPECT_TRUE(store()->value<QPixmap>(QStringLiteral("splash")).isNull());
    EXPECT_FALSE(store()->value<QSize>(QStringLiteral("K.sizeHint")).isValid());
    // The store no longer shares the pixmap's data.
    EXPECT_TRUE(pixmap.isDetached());

    // The store stays usable.
    store()->add(QStringLiteral("splash"), pixmap);
    EXPECT_EQ(store()->value<QPixmap>(QStringLiteral("splash")).cacheKey(), pixmap.cacheKey());
}
