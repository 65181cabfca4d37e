// Every reader of a document (a project opened, objects pasted, a template inserted or
// installed, the template store at start-up, the style file) refuses one whose tree would
// take more memory than the budget, before it builds the tree; and a project the program
// writes, of 5 000 objects, is within it.

#include "MainWindowFixture.h"

#include "app/AddressSpaceLimit.h"
#include "app/HostileFiles.h"
#include "app/TemplateStoreTestSupport.h"
#include "style/StyleTestFiles.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/StoragePaths.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "app/TwUtilities.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "io/XmlDocumentDepth.h"
#include "style/KelStyleConfig.h"
#include "style/KelStyleParser.h"

#include <QBuffer>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QMessageBox>

#include <memory>

#include <sys/resource.h>
#include <unistd.h>

namespace MainWindowTest {
namespace {

// Empty elements enough to take more than the budget as a tree (272 bytes each in Qt's DOM).
qsizetype floodElements()
{
    return qsizetype(KelUtils::MaxXmlTreeBytes / 256);
}

QString const kKeptUuid = QStringLiteral("{d0c0b0d9-0000-4000-8000-000000000001}");
QString const kFloodedUuid = QStringLiteral("{d0c0b0d9-0000-4000-8000-000000000002}");

class DocumentBudget : public MainWindowFixture
{
protected:
    void TearDown() override
    {
        for (QString const& uuid : {kKeptUuid, kFloodedUuid}) {
            QFile::remove(StoragePaths::objectTemplatePath(uuid));
            QFile::remove(StoragePaths::objectIconPath(uuid));
        }
        MainWindowFixture::TearDown();
    }
};

TEST_F(DocumentBudget, EveryReaderRefusesADocumentWhoseTreeWouldPassTheBudget)
{
    const qsizetype elements = floodElements();
    StoreTest::PreviewScope preview;

    // The template store at start-up skips a flooded template file and loads the others.
    ASSERT_TRUE(StoreTest::writeFile(StoragePaths::objectTemplatePath(kKeptUuid),
                                     StoreTest::templateDocument({kKeptUuid, QStringLiteral("Kept")})));
    ASSERT_TRUE(StoreTest::writeFile(StoragePaths::objectTemplatePath(kFloodedUuid),
                                     HostileFiles::flooded(StoreTest::templateDocument({kFloodedUuid, QStringLiteral("Flooded")}),
                                                           elements)));
    window.reset();
    window = std::make_unique<TwMainWindow>(nullptr);
    settle();
    TwTemplateContainer* store = core()->templateStore();
    ASSERT_NE(store, nullptr);
    ASSERT_NE(store->getObjectTemplateFromUuid(kKeptUuid), nullptr);
    EXPECT_EQ(store->getObjectTemplateFromUuid(kFloodedUuid), nullptr);

    // A template inserted, its file flooded since the store loaded it (as a download is
    // checked before it is installed: by the same reading).
    addInversion(QStringLiteral("Kept"));
    core()->setModified(false);
    ASSERT_TRUE(StoreTest::writeFile(StoragePaths::objectTemplatePath(kKeptUuid),
                                     HostileFiles::flooded(StoreTest::templateDocument({kKeptUuid, QStringLiteral("Kept")}),
                                                           elements)));
    EXPECT_EQ(core()->addTemplateObject(kKeptUuid), nullptr);
    EXPECT_EQ(objectNames(), QStringList{QStringLiteral("Kept")});

    // A project opened: the open's usual message, and the open project stays.
    {
        QString path = dir.filePath(QStringLiteral("flooded.vyxsg"));
        ASSERT_TRUE(StoreTest::writeFile(path, HostileFiles::flooded(HostileFiles::stackedProject(2, 3), elements)));
        QString text;
        answerMessageBox(QMessageBox::Ok, &text);
        window->openNodeGraph(core()->rootGraph(), path);
        settle();
        EXPECT_TRUE(text.contains(QStringLiteral("could not be read"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("MB as a tree"))) << text.toStdString();
        EXPECT_EQ(objectNames(), QStringList{QStringLiteral("Kept")});
        EXPECT_FALSE(core()->isModified());
    }
    // Its first element with more attributes than the reader can take in: refused before the
    // reader meets them, also where the message looks for the first element's name.
    {
        QString path = dir.filePath(QStringLiteral("attributes.vyxsg"));
        ASSERT_TRUE(StoreTest::writeFile(path, HostileFiles::attributeFlood(100000)));
        QString text;
        answerMessageBox(QMessageBox::Ok, &text);
        window->openNodeGraph(core()->rootGraph(), path);
        settle();
        EXPECT_TRUE(text.contains(QStringLiteral("more than %1 attributes").arg(KelUtils::MaxXmlAttributes)))
            << text.toStdString();
        EXPECT_EQ(objectNames(), QStringList{QStringLiteral("Kept")});
    }

    // Objects pasted.
    {
        std::unique_ptr<QBuffer> stored(TwUtilities::storeObjectsToXML(core(), core()->objectList(), nullptr));
        ASSERT_TRUE(stored);
        QBuffer pasted;
        pasted.setData(HostileFiles::flooded(stored->data(), elements));
        EXPECT_EQ(TwUtilities::loadObjectFromBuffer(core(), core()->rootGraph(), &pasted, false), -2);
        EXPECT_EQ(objectNames(), QStringList{QStringLiteral("Kept")});
    }

    // The style file, here one beside the real one.
    {
        StyleTestFiles files;
        const QString name = files.name(QStringLiteral("flooded.xml"));
        files.writeRaw(StyleTestFiles::folder() + QLatin1Char('/') + name,
                       HostileFiles::flooded("<kelstyle><color id=\"c\" rgb=\"#102030\"/></kelstyle>", elements));
        KelStyleParser parser;
        EXPECT_FALSE(parser.load(name, *KelStyleConfig::instance(), false));
        EXPECT_TRUE(parser.errorText().contains(QStringLiteral("MB as a tree"))) << parser.errorText().toStdString();
    }
}

// A template file of 100 MB of empty elements (400 KB packed) would take 7 GB as a tree: the
// start-up skips it, with a gigabyte to spare, instead of aborting before any window.
TEST_F(DocumentBudget, AStartUpSkipsAFloodedTemplateWithinAGigabyte)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    StoreTest::PreviewScope preview;
    ASSERT_TRUE(StoreTest::writeFile(StoragePaths::objectTemplatePath(kKeptUuid),
                                     StoreTest::templateDocument({kKeptUuid, QStringLiteral("Kept")})));
    ASSERT_TRUE(StoreTest::writeFile(StoragePaths::objectTemplatePath(kFloodedUuid),
                                     HostileFiles::elementFlood(25 * 1000 * 1000)));
    auto startUnderTheLimit = [this] {
        if (!AppTest::limitAddressSpace(qint64(1) << 30))
            return 3;
        window.reset();
        window = std::make_unique<TwMainWindow>(nullptr);
        settle();
        TwTemplateContainer* store = core()->templateStore();
        return store && store->getObjectTemplateFromUuid(kKeptUuid) && !store->getObjectTemplateFromUuid(kFloodedUuid)
            ? 0
            : 4;
    };
    EXPECT_EXIT(std::exit(startUnderTheLimit()), ::testing::ExitedWithCode(0), "");
}

// A project of 5 000 objects as the program saves it (each a source, ten inversions and a
// result) is within the budget. Saving one takes minutes, so projects of 50 and 100 such
// objects are saved and their trees' cost carried on to 5 000, with room for the longer uids;
// projects of 400 are opened for real in ProjectOpenCost.
TEST_F(DocumentBudget, AProjectOfFiveThousandObjectsAsTheProgramSavesItIsWithinTheBudget)
{
    auto savedTreeBytes = [this](int objects) -> qint64 {
        QDomDocument written;
        if (!KelUtils::setXmlContent(written, HostileFiles::stackedProject(objects, 12)))
            return -1;
        KelVyxNodes::VyxNodeGraph graph;
        if (graph.load(written.documentElement(), true, KelNodes::LoadAllConnections) != 0)
            return -1;
        QString path = dir.filePath(QStringLiteral("saved-%1.vyxsg").arg(objects));
        if (!window->saveNodeGraph(&graph, path))
            return -1;
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? KelUtils::xmlTreeBytes(file.readAll()) : -1;
    };
    const qint64 fifty = savedTreeBytes(50);
    const qint64 hundred = savedTreeBytes(100);
    ASSERT_GT(fifty, 0);
    ASSERT_GT(hundred, fifty);
    const qint64 fiveThousand = hundred + (hundred - fifty) / 50 * 4900;
    EXPECT_LE(fiveThousand / 20 * 21, KelUtils::MaxXmlTreeBytes) << fiveThousand;
}

} // namespace
} // namespace MainWindowTest
