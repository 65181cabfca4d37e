#pragma once

namespace KelUtils {

struct NCI_CommandInfo;
struct NCI_CommandSingle;

// A command object that can be found by its uid. The uid comes from NCI_assign_uid and is
// stored by whoever registered the command (setUid); destroying the command removes its
// registration.
class ICommand
{
public:
    // State word bits: the checked bit can only be set while the checkable bit is.
    static constexpr int StateChecked = 0x10000;
    static constexpr int StateCheckable = 0x1000000;

    ICommand() = default;
    explicit ICommand(int state) : m_state(state) {}
    // Virtual so that deleting through a base pointer runs the command's own destructor.
    virtual ~ICommand();

    // The registration is tied to the object's address; a copy would share its uid.
    ICommand(ICommand const&) = delete;
    ICommand& operator=(ICommand const&) = delete;

    // Runs the commands of the bundle, appending one return record per command.
    // Returns 0, or -1 when a command failed.
    virtual int NCI_execute(NCI_CommandInfo& info) = 0;
    // Sets or clears the checked bit as `state` asks (setting needs the checkable bit); other
    // bits never change. Returns the new state word.
    virtual int NCI_ChangeState(int state, void* data);
    virtual int NCI_command(NCI_CommandSingle const& command);
    virtual int NCI_CommandUI(int id);

    // The command registered under uid, or null.
    static ICommand* ptr_by_uid(int uid);

    int state() const { return m_state; }
    int uid() const { return m_uid; }
    void setUid(int uid) { m_uid = uid; }

protected:
    int m_state = 0;
    int m_uid = 0;
};

} // namespace KelUtils
