#include "params/CommandRegistry.h"
#include "params/ICommand.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <deque>

using namespace KelUtils;

namespace {

class TestCommand : public ICommand
{
public:
    explicit TestCommand(int state = 0, bool* destroyed = nullptr)
        : ICommand(state), m_destroyed(destroyed)
    {
    }
    ~TestCommand() override
    {
        if (m_destroyed)
            *m_destroyed = true;
    }

    int NCI_execute(NCI_CommandInfo& /*info*/) override { return 0; }

private:
    bool* m_destroyed;
};

NCI_CommandName const kEditCommands[] = {
    {"copy", nullptr, 3},
    {"paste", nullptr, 4},
    {"Copy", nullptr, 5},
    {"copy", nullptr, 6},
    {nullptr, nullptr, 0},
};

NCI_CommandName const kOtherCommands[] = {
    {"copy", nullptr, 40},
    {nullptr, nullptr, 0},
};

toolButtonInfo tool(char const* name)
{
    toolButtonInfo info;
    info.name = name;
    info.text = QString::fromLatin1(name).toUpper();
    return info;
}

// Reports the first failed check on stderr and ends the process with code 1.
void check(bool ok, char const* what)
{
    if (!ok) {
        std::fprintf(stderr, "failed: %s\n", what);
        std::exit(1);
    }
}

} // namespace

// The counters and the tool list are process-wide; these run in a fresh process of their own
// so that they see the state a program starts with.
TEST(CommandRegistryDeathTest, CountersStartAtTheirFirstValues)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TestCommand command;
            check(NCI_assign_uid(nullptr) == 1000, "first uid is 1000");
            check(NCI_assign_uid(&command) == 1001, "second uid is 1001");
            check(ICommand::ptr_by_uid(1000) == nullptr, "a null command records nothing");
            check(ICommand::ptr_by_uid(1001) == &command, "the command is recorded");

            check(get_NCI_tool_reg() == nullptr, "no tool list before the first registration");
            check(NCI_toolInfo(100) == nullptr && NCI_toolName(100) == nullptr
                      && NCI_toolId("a") == 0,
                  "lookups find nothing before the first registration");
            check(NCI_toolReg::register_tool(tool("a"), 0) == 100, "first tool id is 100");
            check(NCI_toolReg::register_tool(tool("b"), 0) == 101, "second tool id is 101");
            check(NCI_toolReg::register_tool(tool("c"), 7) == 7, "an explicit id is kept");
            check(get_NCI_tool_reg() && get_NCI_tool_reg()->size() == 3, "three tools listed");
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}

TEST(CommandRegistryDeathTest, CountedToolIdsSkipIdsGivenExplicitly)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            check(NCI_toolReg::register_tool(tool("explicit"), 101) == 101, "explicit 101");
            check(NCI_toolReg::register_tool(tool("a"), 0) == 100, "counted 100");
            check(NCI_toolReg::register_tool(tool("b"), 0) == 102, "101 is skipped");
            check(qstrcmp(NCI_toolName(101), "explicit") == 0, "101 is still the explicit tool");
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}

TEST(CommandRegistryTest, UidsAreConsecutiveAndLookupFollowsLifetime)
{
    int const first = NCI_assign_uid(nullptr);
    EXPECT_GE(first, 1000);
    EXPECT_EQ(ICommand::ptr_by_uid(first), nullptr);

    bool destroyed = false;
    ICommand* command = new TestCommand(0, &destroyed);
    int const uid = NCI_assign_uid(command);
    EXPECT_EQ(uid, first + 1);
    EXPECT_EQ(command->uid(), 0); // the registry does not write the uid into the command
    command->setUid(uid);
    EXPECT_EQ(ICommand::ptr_by_uid(uid), command);
    EXPECT_EQ(get_UID_registry().value(uid), command);

    // Deleting through the base pointer runs the whole destructor chain and unregisters.
    delete command;
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(ICommand::ptr_by_uid(uid), nullptr);
    EXPECT_FALSE(get_UID_registry().contains(uid));
    EXPECT_EQ(ICommand::ptr_by_uid(-5), nullptr);
}

TEST(CommandRegistryTest, DestroyingACommandLeavesOthersRegistration)
{
    TestCommand owner;
    int const uid = NCI_assign_uid(&owner);
    owner.setUid(uid);
    {
        // Claims the same uid without being registered under it.
        TestCommand impostor;
        impostor.setUid(uid);
    }
    EXPECT_EQ(ICommand::ptr_by_uid(uid), &owner);
    {
        TestCommand unregistered; // uid 0
    }
    EXPECT_EQ(ICommand::ptr_by_uid(uid), &owner);
}

TEST(CommandRegistryTest, ChangeStateSetsCheckedOnlyWhenCheckable)
{
    int const checked = ICommand::StateChecked;
    int const checkable = ICommand::StateCheckable;

    TestCommand onlyCheckable(checkable);
    EXPECT_EQ(onlyCheckable.NCI_ChangeState(checked, nullptr), checkable | checked);
    EXPECT_EQ(onlyCheckable.state(), checkable | checked);

    TestCommand plain(0);
    EXPECT_EQ(plain.NCI_ChangeState(checked, nullptr), 0);

    TestCommand both(checkable | checked | 0x5);
    EXPECT_EQ(both.NCI_ChangeState(0, nullptr), checkable | 0x5);

    // Bits other than the checked bit in the request change nothing.
    TestCommand other(0x22);
    EXPECT_EQ(other.NCI_ChangeState(checked | 0x1 | checkable, nullptr), 0x22);
    EXPECT_EQ(other.NCI_ChangeState(0x40, nullptr), 0x22);

    EXPECT_EQ(plain.NCI_command(NCI_CommandSingle{}), 0);
    EXPECT_EQ(plain.NCI_CommandUI(3), 0);
}

TEST(CommandRegistryTest, CommandNameTables)
{
    QUuid const edit = QUuid::createUuid();
    QUuid const unknown = QUuid::createUuid();

    EXPECT_TRUE(NCI_Reg::register_NCI(edit, kEditCommands));
    // A second table for the same id is ignored.
    EXPECT_FALSE(NCI_Reg::register_NCI(edit, kOtherCommands));
    EXPECT_EQ(get_NCI_registry().value(edit), kEditCommands);

    EXPECT_STREQ(get_NCI_name_by_id(edit, 4), "paste");
    EXPECT_EQ(get_NCI_name_by_id(edit, 40), nullptr);
    EXPECT_EQ(get_NCI_name_by_id(edit, 0), nullptr); // the terminator is no command
    EXPECT_EQ(get_NCI_name_by_id(unknown, 3), nullptr);

    // First match, compared byte-wise.
    EXPECT_EQ(get_NCI_id_by_name(edit, "copy"), 3);
    EXPECT_EQ(get_NCI_id_by_name(edit, "Copy"), 5);
    EXPECT_EQ(get_NCI_id_by_name(edit, "cut"), 0);
    EXPECT_EQ(get_NCI_id_by_name(edit, nullptr), 0);
    EXPECT_EQ(get_NCI_id_by_name(unknown, "copy"), 0);

    // A null table would be walked by every lookup: refused.
    EXPECT_FALSE(NCI_Reg::register_NCI(unknown, nullptr));
    EXPECT_FALSE(get_NCI_registry().contains(unknown));
}

TEST(CommandRegistryTest, ToolLookups)
{
    // The registry keeps everything for the life of the process: names and ids differ per run
    // so that repeated runs do not meet their own earlier entries.
    static int run = 0;
    ++run;
    static std::deque<QByteArray> names;
    auto name = [](char const* base) {
        names.push_back(QByteArray(base) + '#' + QByteArray::number(run));
        return names.back().constData();
    };
    int const explicitId = 7000 + 10 * run;

    char const* brush = name("brush");
    char const* eraser = name("eraser");
    char const* lassoName = name("lasso");
    char const* lasso2 = name("lasso2");
    int const first = NCI_toolReg::register_tool(tool(brush));
    int const second = NCI_toolReg::register_tool(tool(eraser));
    EXPECT_GE(first, 100);
    EXPECT_GT(second, first);

    toolButtonInfo lasso = tool(lassoName);
    lasso.toolTip = QStringLiteral("Free selection");
    lasso.flags = 3;
    EXPECT_EQ(NCI_toolReg::register_tool(lasso, explicitId), explicitId);
    // A repeated id keeps resolving to its first entry.
    EXPECT_EQ(NCI_toolReg::register_tool(tool(lasso2), explicitId), explicitId);

    EXPECT_STREQ(NCI_toolName(first), brush);
    EXPECT_STREQ(NCI_toolName(explicitId), lassoName);
    EXPECT_EQ(NCI_toolName(0), nullptr);
    EXPECT_EQ(NCI_toolName(explicitId - 1), nullptr);

    EXPECT_EQ(NCI_toolId(eraser), second);
    EXPECT_EQ(NCI_toolId(lasso2), explicitId);
    EXPECT_EQ(NCI_toolId(QByteArray(eraser).toUpper().constData()), 0);
    EXPECT_EQ(NCI_toolId(nullptr), 0);

    NCI_toolInfo_reg const* info = NCI_toolInfo(explicitId);
    ASSERT_NE(info, nullptr);
    EXPECT_STREQ(info->name, lassoName);
    EXPECT_EQ(info->text, QString::fromLatin1(lassoName).toUpper());
    EXPECT_EQ(info->toolTip, QStringLiteral("Free selection"));
    EXPECT_EQ(info->flags, 3);
    EXPECT_EQ(NCI_toolInfo(explicitId - 1), nullptr);

    // Entries handed out stay valid while more tools are registered.
    for (int i = 0; i < 200; ++i)
        NCI_toolReg::register_tool(tool("filler"));
    EXPECT_EQ(NCI_toolInfo(explicitId), info);
    EXPECT_STREQ(info->name, lassoName);
}

TEST(CommandRegistryTest, CommandInfoPointsAtCallerObjectsAndUnityTransform)
{
    QList<NCI_Command> commands{{1, {}}};
    QList<NCI_ReturnInfo> returns;
    Vector const direction{0.0f, 0.0f, 1.0f};
    Ray const ray{{1.0f, 2.0f, 3.0f}, direction};

    NCI_CommandInfo const byRef(commands, returns, direction, ray);
    EXPECT_EQ(byRef.commands, &commands);
    EXPECT_EQ(byRef.returns, &returns);
    EXPECT_EQ(byRef.vector, &direction);
    EXPECT_EQ(byRef.ray, &ray);
    EXPECT_EQ(byRef.extra, nullptr);
    EXPECT_EQ(byRef.status, nullptr);
    EXPECT_EQ(byRef.transform, &g_unity_transform);

    NCI_CommandInfo const byPtr(&commands, nullptr, nullptr, &ray, nullptr);
    EXPECT_EQ(byPtr.returns, nullptr);
    EXPECT_EQ(byPtr.extra, nullptr);
    EXPECT_EQ(byPtr.transform, &g_unity_transform);

    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            float const expected = r == c ? 1.0f : 0.0f;
            EXPECT_EQ(g_unity_transform.matrix[r][c], expected);
            EXPECT_EQ(g_unity_transform.inverse[r][c], expected);
        }
    }
    for (float f : g_unity_transform.factors)
        EXPECT_EQ(f, 1.0f);
    EXPECT_EQ(g_unity_transform.flags, 0);
}
