#include "AppTestSupport.h"
#include "TemplateTestSupport.h"

#include "app/KelAdjective.h"
#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/StoragePaths.h"
#include "effects/VyxNodeGraph.h"
#include "params/StringParameter.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

using TemplateTest::CountingAtom;
using TemplateTest::CountingFactoryScope;

namespace {

QPixmap solidPixmap(int width, int height, QColor const& colour)
{
    QPixmap pixmap(width, height);
    pixmap.fill(colour);
    return pixmap;
}

QStringList templateFilesBelow(QString const& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

KelAdjective* adjectiveWithEditor(QString const& name)
{
    auto* adjective = new KelAdjective;
    adjective->setName(name);
    adjective->setGroupName(name + QStringLiteral(" group"));
    KelAttribute attribute;
    attribute.setAtom(KelAtomHolder::create(new KelUtils::StringParameter(
        QStringLiteral("text"), QStringLiteral("Text"), nullptr, nullptr, false, 1)));
    adjective->setAttribute(attribute);
    adjective->setAttribute(KelAttribute(KelAttribute::Variable));
    return adjective;
}

// A store-like instance: an object in a root graph of its own.
KelNGObject* makeInstance(KelTemplate& record)
{
    auto* root = new KelVyxNodes::VyxNodeGraph;
    auto* object = new KelNGObject(root->addSubGraph(-1));
    object->setObjectTemplate(&record);
    object->setTemplateInstance(true);
    record.setObjectInstance(object);
    return object;
}

} // namespace

TEST(KelTemplate, CopyClonesAdjectivesAndLeavesInstancesAndIconsBehind)
{
    CountingFactoryScope factory;
    {
        KelTemplate source(QStringLiteral("/templates/x"));
        source.setName(QStringLiteral("Glow"));
        source.setUuid(QUuid::createUuid().toString());
        source.setIconScaleY(2.5f);
        source.setInterfaces({QStringLiteral("a"), QString()});
        source.setModified(true);
        source.setGraphLoaded(true);
        source.setObjectIcon(solidPixmap(4, 4, Qt::red));
        source.appendAdjective(adjectiveWithEditor(QStringLiteral("first")));
        source.appendAdjective(adjectiveWithEditor(QStringLiteral("second")));
        makeInstance(source);

        KelTemplate copy(source);
        EXPECT_EQ(copy.name(), source.name());
        EXPECT_EQ(copy.iconScaleY(), 2.5f);
        EXPECT_EQ(copy.interfaces(), source.interfaces());
        EXPECT_FALSE(copy.graphLoaded());
        EXPECT_TRUE(copy.objectIcon().isNull());
        EXPECT_EQ(copy.objectInstance(), nullptr);

        ASSERT_EQ(copy.adjectives().size(), 2);
        for (int i = 0; i < 2; ++i) {
            KelAdjective const* original = source.adjectives().at(i);
            KelAdjective const* clone = copy.adjectives().at(i);
            EXPECT_EQ(clone->name(), original->name());
            EXPECT_EQ(clone->attributes().keys(), original->attributes().keys());
            for (QString const& uuid : original->attributes().keys()) {
                KelAttribute const a = original->attributes().value(uuid);
                KelAttribute const b = clone->attributes().value(uuid);
                EXPECT_EQ(a.atom() != nullptr, b.atom() != nullptr);
                if (a.atom()) {
                    EXPECT_NE(a.atom(), b.atom());
                    EXPECT_NE(a.atomParameter(), b.atomParameter());
                    EXPECT_EQ(b.atomParameter(), b.atom()->parameter());
                    EXPECT_EQ(static_cast<CountingAtom*>(b.atom())->uiBuilt, 1);
                }
            }
        }
        source.deleteObjectInstance();
    }
    EXPECT_EQ(CountingAtom::created, 4);
    EXPECT_EQ(CountingAtom::destroyed, 4);
}

TEST(KelTemplate, AssignmentKeepsHeldAdjectivesInFrontOfTheClones)
{
    KelTemplate source;
    source.appendAdjective(adjectiveWithEditor(QStringLiteral("from source")));
    KelTemplate target;
    target.appendAdjective(adjectiveWithEditor(QStringLiteral("already there")));
    KelNGObject* held = makeInstance(target);
    makeInstance(source);

    target = source;
    ASSERT_EQ(target.adjectives().size(), 2);
    EXPECT_EQ(target.adjectives().at(0)->name(), QStringLiteral("already there"));
    EXPECT_EQ(target.adjectives().at(1)->name(), QStringLiteral("from source"));
    EXPECT_EQ(target.objectInstance(), nullptr);

    KelTemplate& self = target;
    target = self;
    EXPECT_EQ(target.adjectives().size(), 2);
    source.deleteObjectInstance();
    target.setObjectInstance(held);
    target.deleteObjectInstance();
}

TEST(KelTemplate, Base64IsLittleEndianUtf16WithByteOrderMark)
{
    EXPECT_EQ(KelTemplate::toBase64(QString()), QStringLiteral("//4="));
    EXPECT_EQ(KelTemplate::toBase64(QStringLiteral("A")), QStringLiteral("//5BAA=="));
    QString const mixed = QString::fromUtf8("Grüße – \xF0\x9F\x98\x80 ∑ \"<&>\"");
    QString const encoded = KelTemplate::toBase64(mixed);
    EXPECT_TRUE(encoded.startsWith(QStringLiteral("//")));
    EXPECT_EQ(KelTemplate::fromBase64(encoded), mixed);

    EXPECT_EQ(KelTemplate::fromBase64(QStringLiteral("/v8AQQ==")), QStringLiteral("A"));
    EXPECT_EQ(KelTemplate::fromBase64(QStringLiteral("QQA=")), QStringLiteral("A"));
    EXPECT_EQ(KelTemplate::fromBase64(QStringLiteral("//5B\n A A==")), QStringLiteral("A"));
    EXPECT_EQ(KelTemplate::fromBase64(QString()), QString());
}

TEST(StoragePaths, RootFollowsTheDataHomeAndOnlyBracedUuidsNameFiles)
{
    AppTest::ScopedDataHome home;
    ASSERT_TRUE(home.isValid());
    EXPECT_EQ(StoragePaths::storageRoot(), home.storageRoot());

    QString const uuid = QUuid::createUuid().toString();
    EXPECT_TRUE(StoragePaths::isValidTemplateUuid(uuid));
    EXPECT_TRUE(StoragePaths::isValidTemplateUuid(uuid.toUpper()));
    EXPECT_EQ(StoragePaths::objectTemplatePath(uuid),
              home.storageRoot() + QStringLiteral("/templates/lumora/") + uuid);
    EXPECT_EQ(StoragePaths::objectIconPath(uuid),
              home.storageRoot() + QStringLiteral("/templates/lumora/icons/") + uuid + ".png");

    QString const bare = uuid.mid(1, 36);
    for (QString const& bad :
         {QString(), bare, QStringLiteral("(") + bare + QStringLiteral(")"), uuid + QStringLiteral("\n"),
          QStringLiteral("{") + QString(36, QLatin1Char('.')) + QStringLiteral("}"),
          QStringLiteral("{../../../../../../../../../../../xx}"), uuid + QStringLiteral("/../x")}) {
        EXPECT_FALSE(StoragePaths::isValidTemplateUuid(bad)) << bad.toStdString();
        EXPECT_TRUE(StoragePaths::objectTemplatePath(bad).isEmpty());
        EXPECT_TRUE(StoragePaths::objectIconPath(bad).isEmpty());
        EXPECT_TRUE(StoragePaths::materialIconPath(bad).isEmpty());
    }
}

TEST(KelTemplate, IconIsWrittenOnlyWhenAskedOrForAnObjectsFolderTemplate)
{
    AppTest::ScopedDataHome home;
    ASSERT_TRUE(home.makeTemplateFolders());
    KelTemplate record;
    record.setUuid(QUuid::createUuid().toString());
    QString const iconPath = record.objectIconPath();
    EXPECT_TRUE(record.setObjectIcon(solidPixmap(8, 8, Qt::blue), false));
    EXPECT_FALSE(QFile::exists(iconPath));

    ASSERT_TRUE(QDir().mkpath(home.storageRoot() + QStringLiteral("/templates/objects")));
    QFile marker(StoragePaths::objectsFolderTemplatePath(record.uuid()));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    EXPECT_TRUE(record.setObjectIcon(solidPixmap(8, 8, Qt::blue), false));
    EXPECT_EQ(QImage(iconPath).size(), QSize(8, 8));
    // Once the icon exists, the objects-folder rule no longer overwrites it.
    EXPECT_TRUE(record.setObjectIcon(solidPixmap(5, 5, Qt::green), false));
    EXPECT_EQ(QImage(iconPath).size(), QSize(8, 8));

    EXPECT_TRUE(record.setObjectIcon(solidPixmap(6, 3, Qt::red), true));
    EXPECT_EQ(QImage(iconPath).size(), QSize(6, 3));

    KelTemplate reader;
    reader.setUuid(record.uuid());
    ASSERT_TRUE(reader.loadObjectIcon());
    EXPECT_EQ(reader.objectIcon().toImage().pixelColor(1, 1), QColor(Qt::red));
}

// The store is a folder anyone may write: an icon file at the pixel cap would hold half a gigabyte
// for each template as long as the program runs. An icon is kept no larger than a few times the
// size the program draws it at, in its own proportions and colour; the program's own icons keep
// their size (see above).
TEST(KelTemplate, AnIconFileFarLargerThanAnIconIsKeptSmall)
{
    AppTest::ScopedDataHome home;
    ASSERT_TRUE(home.makeTemplateFolders());
    ASSERT_TRUE(QDir().mkpath(home.storageRoot() + QStringLiteral("/templates/materials/icons")));
    KelTemplate record;
    record.setUuid(QUuid::createUuid().toString());
    QImage large(4000, 3000, QImage::Format_RGB32);
    large.fill(QColor(Qt::red));
    ASSERT_TRUE(large.save(record.objectIconPath(), "PNG"));
    ASSERT_TRUE(large.save(record.materialIconPath(), "PNG"));

    ASSERT_TRUE(record.loadObjectIcon());
    ASSERT_TRUE(record.loadMaterialIcon());
    for (QPixmap const& icon : {record.objectIcon(), record.materialIcon()}) {
        EXPECT_LE(icon.width(), 512);
        EXPECT_LE(icon.height(), 512);
        EXPECT_GE(icon.width(), 150);
        EXPECT_NEAR(double(icon.width()) / icon.height(), 4.0 / 3.0, 0.02);
        EXPECT_EQ(icon.toImage().pixelColor(icon.width() / 2, icon.height() / 2), QColor(Qt::red));
    }
}

TEST(KelTemplate, IconFailuresAreReportedAndKeepTheHeldIcon)
{
    AppTest::ScopedDataHome home;
    KelTemplate record;
    record.setUuid(QUuid::createUuid().toString());
    // No icons folder: the write fails and says so.
    EXPECT_FALSE(record.setObjectIcon(solidPixmap(4, 4, Qt::red), true));
    EXPECT_EQ(record.objectIcon().size(), QSize(4, 4));
    EXPECT_FALSE(record.loadObjectIcon());
    EXPECT_EQ(record.objectIcon().size(), QSize(4, 4));

    ASSERT_TRUE(home.makeTemplateFolders());
    QFile broken(record.objectIconPath());
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a png");
    broken.close();
    EXPECT_FALSE(record.loadObjectIcon());
    EXPECT_EQ(record.objectIcon().size(), QSize(4, 4));
    EXPECT_TRUE(templateFilesBelow(home.path()).size() == 1);
}

TEST(KelTemplate, HostileUuidWritesNothingAnywhere)
{
    // The data home lies three levels down, so "../" paths would still land in `outer`.
    QTemporaryDir outer;
    ASSERT_TRUE(outer.isValid());
    QString const dataHome = outer.path() + QStringLiteral("/a/b/data");
    QByteArray const oldHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dataHome.toLocal8Bit());
    QString const root = StoragePaths::storageRoot();
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/templates/lumora/icons")));
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/templates/materials/icons")));
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/templates/objects")));

    QString const bare = QUuid::createUuid().toString(QUuid::WithoutBraces);
    QStringList const hostile = {
        QStringLiteral("../../../../escaped"), QStringLiteral("{../../../../../../../../../escaped}"),
        QStringLiteral("/tmp/vyx-escaped"), bare, QString(),
        QStringLiteral("{") + bare + QStringLiteral("}/../../x")};
    for (QString const& uuid : hostile) {
        // An objects-folder file of that name would otherwise ask for the icon to be written.
        QFile(root + QStringLiteral("/templates/objects/") + uuid).open(QIODevice::WriteOnly);
    }
    QStringList const before = templateFilesBelow(outer.path());
    for (QString const& uuid : hostile) {
        KelTemplate record;
        record.setUuid(uuid);
        EXPECT_TRUE(record.objectIconPath().isEmpty()) << uuid.toStdString();
        EXPECT_TRUE(record.materialIconPath().isEmpty());
        EXPECT_FALSE(record.setObjectIcon(solidPixmap(4, 4, Qt::red), true));
        EXPECT_FALSE(record.setMaterialIcon(solidPixmap(4, 4, Qt::red), true));
        EXPECT_TRUE(record.setObjectIcon(solidPixmap(4, 4, Qt::red), false));
        EXPECT_TRUE(record.setMaterialIcon(solidPixmap(4, 4, Qt::red), false));
        EXPECT_FALSE(record.loadObjectIcon());
        EXPECT_FALSE(record.loadMaterialIcon());
    }
    EXPECT_EQ(templateFilesBelow(outer.path()).join('\n').toStdString(), before.join('\n').toStdString());
    EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/vyx-escaped.png")));
    qputenv("XDG_DATA_HOME", oldHome);
}
