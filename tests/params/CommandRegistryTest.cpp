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
    explicit TestCommand(int state = 0, bool* destroyed = nullptr) : ICommand(state), m_destroyed(destroyed) {}
    ~TestCommand() override
    {
        if (m_destroyed)
            *m_destroyed = true;
    }
    int NCI_execute(NCI_CommandInfo&) override { return 0; }

private:
    bool* m_destroyed;
};

NCI_CommandName const kEditCommands[] = {
    {"copy", nullptr, 3}, {"paste", nullptr, 4}, {"Copy", nullptr, 5}, {"copy", nullptr, 6}, {nullptr, nullptr, 0},
};
NCI_CommandName const kOtherCommands[] = {{"copy", nullptr, 40}, {nullptr, nullptr, 0}};

toolButtonInfo tool(char const* name)
{
    toolButtonInfo info;
    info.name = name;
    info.text = QString::fromLatin1(name).toUpper();
    return info;
}

void check(bool ok, char const* what)
{
    if (!ok) {
        std::fprintf(stderr, "failed: %s\n", what);
        std::exit(1);
    }
}

} // namespace

// The counters and the tool list are process-wide: a fresh process sees the state a program starts with.
TEST(CommandRegistryDeathTest, CountersStartAtTheirFirstValues)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TestCommand command;
            check(NCI_assign_uid(nullptr) == 1000, "first uid is 1000");
            check(NCI_assign_uid(&command) == 1001, "second uid is 1001");
            check(ICommand::ptr_by_uid(1000) == nullptr, "a null command records nothing");
            check(get_NCI_tool_reg() == nullptr && NCI_toolInfo(100) == nullptr && NCI_toolId("a") == 0,
                  "lookups find nothing before the first registration");
            check(NCI_toolReg::register_tool(tool("explicit"), 101) == 101, "explicit 101");
            check(NCI_toolReg::register_tool(tool("a"), 0) == 100, "counted 100");
            check(NCI_toolReg::register_tool(tool("b"), 0) == 102, "101 is skipped");
            check(qstrcmp(NCI_toolName(101), "explicit") == 0, "101 is still the explicit tool");
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}

TEST(CommandRegistryTest, UidLookupFollowsLifetime)
{
    bool destroyed = false;
    ICommand* command = new TestCommand(0, &destroyed);
    int const uid = NCI_assign_uid(command);
    EXPECT_EQ(command->uid(), 0); // the registry does not write the uid into the command
    command->setUid(uid);
    EXPECT_EQ(ICommand::ptr_by_uid(uid), command);

    // Deleting through the base pointer runs the whole destructor chain and unregisters.
    delete command;
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(ICommand::ptr_by_uid(uid), nullptr);

    // A command claiming someone else's uid leaves that registration alone.
    TestCommand owner;
    int const ownerUid = NCI_assign_uid(&owner);
    owner.setUid(ownerUid);
    {
        TestCommand impostor;
        impostor.setUid(ownerUid);
    }
    EXPECT_EQ(ICommand::ptr_by_uid(ownerUid), &owner);
}

TEST(CommandRegistryTest, ChangeStateSetsCheckedOnlyWhenCheckable)
{
    int const checked = ICommand::StateChecked;
    int const checkable = ICommand::StateCheckable;
    struct Case
    {
        int state, request, expected;
    };
    const Case cases[] = {{checkable, checked, checkable | checked},
                          {0, checked, 0},
                          {checkable | checked | 0x5, 0, checkable | 0x5},
                          {0x22, checked | 0x1 | checkable, 0x22}, // other request bits change nothing
                          {0x22, 0x40, 0x22}};
    for (Case const& c : cases) {
        TestCommand command(c.state);
        EXPECT_EQ(command.NCI_ChangeState(c.request, nullptr), c.expected) << c.state << " " << c.request;
        EXPECT_EQ(command.state(), c.expected);
    }
}

TEST(CommandRegistryTest, CommandNameTables)
{
    QUuid const edit = QUuid::createUuid();
    QUuid const unknown = QUuid::createUuid();
    EXPECT_TRUE(NCI_Reg::register_NCI(edit, kEditCommands));
    EXPECT_FALSE(NCI_Reg::register_NCI(edit, kOtherCommands)); // a second table for the id is ignored
    EXPECT_FALSE(NCI_Reg::register_NCI(unknown, nullptr));     // would be walked by every lookup

    EXPECT_STREQ(get_NCI_name_by_id(edit, 4), "paste");
    EXPECT_EQ(get_NCI_name_by_id(edit, 40), nullptr);
    EXPECT_EQ(get_NCI_name_by_id(edit, 0), nullptr); // the terminator is no command
    EXPECT_EQ(get_NCI_name_by_id(unknown, 3), nullptr);
    // First match, compared byte-wise.
    EXPECT_EQ(get_NCI_id_by_name(edit, "copy"), 3);
    EXPECT_EQ(get_NCI_id_by_name(edit, "Copy"), 5);
    EXPECT_EQ(get_NCI_id_by_name(edit, "cut"), 0);
    EXPECT_EQ(get_NCI_id_by_name(edit, nullptr), 0);
}

TEST(CommandRegistryTest, ToolLookupsAndStableEntries)
{
    // The tool list is the program's, never emptied: each run registers names and an explicit id
    // of its own, kept for the registry, which holds the names' pointers.
    static int run = 0;
    static std::deque<QByteArray> names;
    ++run;
    auto const named = [](char const* stem) {
        names.push_back(QByteArray(stem) + "#t" + QByteArray::number(run));
        return names.back().constData();
    };
    char const* const lassoName = named("lasso");
    char const* const brushName = named("brush");
    int const explicitId = 7000 + 10 * run;
    toolButtonInfo lasso = tool(lassoName);
    lasso.flags = 3;
    EXPECT_EQ(NCI_toolReg::register_tool(lasso, explicitId), explicitId);
    // A repeated id keeps resolving to its first entry.
    EXPECT_EQ(NCI_toolReg::register_tool(tool(named("lasso2")), explicitId), explicitId);
    int const counted = NCI_toolReg::register_tool(tool(brushName));
    EXPECT_GE(counted, 100);

    EXPECT_STREQ(NCI_toolName(explicitId), lassoName);
    EXPECT_EQ(NCI_toolName(explicitId - 1), nullptr);
    EXPECT_EQ(NCI_toolId(brushName), counted);
    EXPECT_EQ(NCI_toolId(QByteArray(brushName).toUpper().constData()), 0);
    EXPECT_EQ(NCI_toolId(nullptr), 0);

    NCI_toolInfo_reg const* info = NCI_toolInfo(explicitId);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->flags, 3);
    // Entries handed out stay valid while more tools are registered.
    for (int i = 0; i < 200; ++i)
        NCI_toolReg::register_tool(tool("filler"));
    EXPECT_EQ(NCI_toolInfo(explicitId), info);
    EXPECT_STREQ(info->name, lassoName);
}
