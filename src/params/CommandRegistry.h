#pragma once

#include "params/CommandInfo.h"

#include <QMap>
#include <QString>
#include <QUuid>

#include <deque>

// Process-wide registry of command-name tables, command objects and tool-button descriptions.
// Only the uid and tool-id counters are locked: register at start-up, look up afterwards.

namespace KelUtils {

class ICommand;

struct toolButtonInfo
{
    char const* name = nullptr; // the tool's key; the caller keeps the text alive
    void const* data = nullptr; // free for the caller; the registry never reads it
    QString text;
    QString toolTip;
    int flags = 0;
};

struct NCI_toolInfo_reg : toolButtonInfo
{
    int id = 0;
};

struct NCI_Reg
{
    // Adds the table (caller-owned, ended by an entry with id 0) under id. A second table for
    // the same id, or a null table, is ignored; returns whether the table was added.
    static bool register_NCI(QUuid const& id, NCI_CommandName const* table);
};

struct NCI_toolReg
{
    // Appends a copy of info under id and returns the id. Id 0 takes the next free id from 100
    // on. A repeated id keeps resolving to its first entry.
    static int register_tool(toolButtonInfo const& info, int id = 0);
};

QMap<QUuid, NCI_CommandName const*> const& get_NCI_registry();
// The name of the first entry of the table under id whose id is cmd; null when none.
char const* get_NCI_name_by_id(QUuid const& id, int cmd);
// The id of the first entry of the table under id named name; 0 when none.
int get_NCI_id_by_name(QUuid const& id, char const* name);

// Takes the next uid (1000, 1001, ...) and, unless cmd is null, records cmd under it. The
// caller stores the uid in the command (ICommand::setUid).
int NCI_assign_uid(ICommand* cmd);
// Uid to command; the commands are not owned.
QMap<int, ICommand*>& get_UID_registry();

// Null before the first tool registration. Entries keep their addresses when more are added.
std::deque<NCI_toolInfo_reg> const* get_NCI_tool_reg();
char const* NCI_toolName(int id);
int NCI_toolId(char const* name);
NCI_toolInfo_reg const* NCI_toolInfo(int id);

} // namespace KelUtils
