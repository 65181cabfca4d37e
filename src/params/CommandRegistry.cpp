#include "params/CommandRegistry.h"

#include "params/ICommand.h"

#include <QMutex>
#include <QMutexLocker>

#include <optional>

namespace KelUtils {

namespace {

struct RegistryState
{
    QMap<QUuid, NCI_CommandName const*> commandNames;
    QMap<int, ICommand*> commands;
    std::optional<std::deque<NCI_toolInfo_reg>> tools;
    QMap<int, qsizetype> toolIndexById;
};

// Never destroyed: a command with static storage duration may be destroyed after this file's
// statics, and its destructor still unregisters it.
RegistryState& state()
{
    static RegistryState* const s = new RegistryState;
    return *s;
}

} // namespace

bool NCI_Reg::register_NCI(QUuid const& id, NCI_CommandName const* table)
{
    auto& names = state().commandNames;
    if (!table || names.contains(id))
        return false;
    names.insert(id, table);
    return true;
}

QMap<QUuid, NCI_CommandName const*> const& get_NCI_registry()
{
    return state().commandNames;
}

char const* get_NCI_name_by_id(QUuid const& id, int cmd)
{
    NCI_CommandName const* entry = state().commandNames.value(id, nullptr);
    if (!entry || cmd == 0)
        return nullptr;
    for (; entry->id != 0; ++entry)
        if (entry->id == cmd)
            return entry->name;
    return nullptr;
}

int get_NCI_id_by_name(QUuid const& id, char const* name)
{
    NCI_CommandName const* entry = state().commandNames.value(id, nullptr);
    if (!entry || !name)
        return 0;
    for (; entry->id != 0; ++entry)
        if (entry->name && qstrcmp(entry->name, name) == 0)
            return entry->id;
    return 0;
}

int NCI_assign_uid(ICommand* cmd)
{
    static QMutex mutex;
    static int nextUid = 1000;
    int uid;
    {
        QMutexLocker locker(&mutex);
        uid = nextUid++;
    }
    if (cmd)
        state().commands.insert(uid, cmd);
    return uid;
}

QMap<int, ICommand*>& get_UID_registry()
{
    return state().commands;
}

int NCI_toolReg::register_tool(toolButtonInfo const& info, int id)
{
    RegistryState& s = state();
    if (!s.tools)
        s.tools.emplace();
    if (id == 0) {
        static QMutex mutex;
        static int nextToolId = 100;
        QMutexLocker locker(&mutex);
        // Skips ids given explicitly, so a counted id never resolves to another tool.
        do
            id = nextToolId++;
        while (s.toolIndexById.contains(id));
    }
    NCI_toolInfo_reg entry;
    static_cast<toolButtonInfo&>(entry) = info;
    entry.id = id;
    s.tools->push_back(entry);
    if (!s.toolIndexById.contains(id))
        s.toolIndexById.insert(id, qsizetype(s.tools->size()) - 1);
    return id;
}

std::deque<NCI_toolInfo_reg> const* get_NCI_tool_reg()
{
    auto const& tools = state().tools;
    return tools ? &*tools : nullptr;
}

char const* NCI_toolName(int id)
{
    auto const* tools = get_NCI_tool_reg();
    if (id == 0 || !tools)
        return nullptr;
    for (auto const& entry : *tools)
        if (entry.id == id)
            return entry.name;
    return nullptr;
}

int NCI_toolId(char const* name)
{
    auto const* tools = get_NCI_tool_reg();
    if (!name || !tools)
        return 0;
    for (auto const& entry : *tools)
        if (entry.name && qstrcmp(entry.name, name) == 0)
            return entry.id;
    return 0;
}

NCI_toolInfo_reg const* NCI_toolInfo(int id)
{
    RegistryState const& s = state();
    auto it = s.toolIndexById.constFind(id);
    if (!s.tools || it == s.toolIndexById.constEnd())
        return nullptr;
    return &(*s.tools)[std::size_t(it.value())];
}

} // namespace KelUtils
