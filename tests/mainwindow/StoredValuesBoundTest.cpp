// A template file of a few bytes whose parameters ask for a quarter of a million values each
// once took 3 GB and half a minute of the window's thread at every start, and four of them
// aborted it: the start-up skips such a file within a gigabyte, with the parameter editors the
// program installs, and loads the others, a template at the bound of stored values included.

#include "MainWindowFixture.h"

#include "app/AddressSpaceLimit.h"
#include "app/HostileFiles.h"
#include "app/TemplateStoreTestSupport.h"

#include "app/KelAdjective.h"
#include "app/KelAtomHolder.h"
#include "app/KelTemplate.h"
#include "app/StoragePaths.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "mainwindow/TwMainWindow.h"
#include "nodeui/KelParamAtomHolder.h"
#include "params/NumGroupParameter.h"
#include "params/ParamType.h"

#include <QFile>

namespace MainWindowTest {
namespace {

QString const kBoundKeptUuid = QStringLiteral("{5a1e0000-0000-4000-8000-000000000001}");
QString const kAtBoundUuid = QStringLiteral("{5a1e0000-0000-4000-8000-000000000002}");
QString const kPastUuid = QStringLiteral("{5a1e0000-0000-4000-8000-000000000003}");

class StoredValuesBound : public MainWindowFixture
{
protected:
    void TearDown() override
    {
        for (QString const& uuid : {kBoundKeptUuid, kAtBoundUuid, kPastUuid}) {
            QFile::remove(StoragePaths::objectTemplatePath(uuid));
            QFile::remove(StoragePaths::objectIconPath(uuid));
        }
        MainWindowFixture::TearDown();
    }
};

TEST_F(StoredValuesBound, AStartUpSkipsATemplateAskingForAQuarterMillionValuesWithinAGigabyte)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    StoreTest::PreviewScope preview;
    auto write = [](QString const& uuid, QString const& name, int values) {
        return StoreTest::writeFile(
            StoragePaths::objectTemplatePath(uuid),
            HostileFiles::withCountedParameters(StoreTest::templateDocument({uuid, name}), KelUtils::ParamFloatGroup,
                                                "num_vals", values, 4));
    };
    ASSERT_TRUE(StoreTest::writeFile(StoragePaths::objectTemplatePath(kBoundKeptUuid),
                                     StoreTest::templateDocument({kBoundKeptUuid, QStringLiteral("Kept")})));
    ASSERT_TRUE(write(kAtBoundUuid, QStringLiteral("At the bound"), KelUtils::MaxStoredGroupValues));
    ASSERT_TRUE(write(kPastUuid, QStringLiteral("Past it"), KelUtils::MaxGroupValues));

    auto startUnderTheLimit = [this] {
        if (!AppTest::limitAddressSpace(qint64(1) << 30))
            return 3;
        KelAtomHolder::setFactory(KelParamAtomHolder::factory());
        window.reset();
        window = std::make_unique<TwMainWindow>(nullptr);
        settle();
        TwTemplateContainer* store = core()->templateStore();
        if (!store || !store->getObjectTemplateFromUuid(kBoundKeptUuid) || store->getObjectTemplateFromUuid(kPastUuid))
            return 4;
        KelTemplate const* atBound = store->getObjectTemplateFromUuid(kAtBoundUuid);
        if (!atBound || atBound->adjectives().size() != 1 || atBound->adjectives().first()->attributes().size() != 4)
            return 5;
        return 0;
    };
    EXPECT_EXIT(std::exit(startUnderTheLimit()), ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace MainWindowTest
