#include "params/ICommand.h"

#include "params/CommandRegistry.h"

namespace KelUtils {

ICommand::~ICommand()
{
    // Only this object's own registration goes: another command may hold the same uid.
    auto& registry = get_UID_registry();
    auto it = registry.find(m_uid);
    if (it != registry.end() && it.value() == this)
        registry.erase(it);
}

int ICommand::NCI_ChangeState(int state, void* /*data*/)
{
    if (!(state & StateChecked))
        m_state &= ~StateChecked;
    else if (m_state & StateCheckable)
        m_state |= StateChecked;
    return m_state;
}

int ICommand::NCI_command(NCI_CommandSingle const& /*command*/)
{
    return 0;
}

int ICommand::NCI_CommandUI(int /*id*/)
{
    return 0;
}

ICommand* ICommand::ptr_by_uid(int uid)
{
    return get_UID_registry().value(uid, nullptr);
}

} // namespace KelUtils
