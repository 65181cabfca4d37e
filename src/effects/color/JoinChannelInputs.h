#pragma once

class QString;

namespace KelNodes {
class Terminal;
}

namespace KelVyxNodes {

class Base1DGenerator;
class VyxNode;
class VyxTerminal;

// The one-channel inputs of a join node: their terminals and the generators linked to them,
// looked up by terminal name on connect and disconnect.
class JoinChannelInputs
{
public:
    static constexpr int MaxInputs = 4;

    // names must outlive this object; count is at most MaxInputs.
    JoinChannelInputs(char const* const* names, int count);

    // Adds one 1D input terminal per name to node, in order.
    void addTerminals(VyxNode* node);
    void connect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer);
    void disconnect(KelNodes::Terminal const* own);
    void resolve();

    Base1DGenerator const* operator[](int index) const { return m_input[index]; }
    // The bytes of input index over a span (low 8 bits of each sample), 0 while unlinked.
    void spanBytes(int index, int y, int x, int count, unsigned int* out) const;

private:
    int indexOf(QString const& terminalName) const;

    char const* const* m_names;
    int m_count;
    VyxTerminal* m_terminal[MaxInputs] = {nullptr, nullptr, nullptr, nullptr};
    Base1DGenerator const* m_input[MaxInputs] = {nullptr, nullptr, nullptr, nullptr};
};

} // namespace KelVyxNodes
