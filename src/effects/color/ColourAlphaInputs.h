#pragma once

namespace KelNodes {
class Terminal;
}

namespace KelVyxNodes {

class Base1DGenerator;
class Base3DGenerator;
class VyxNode;
class VyxTerminal;

// The "rgb" colour input and the "alpha" one-channel input of a colour adjusting node, with the
// generators linked to them.
class ColourAlphaInputs
{
public:
    // Adds the "rgb" and "alpha" input terminals to node, in that order.
    void addTerminals(VyxNode* node);
    void connect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer);
    void disconnect(KelNodes::Terminal const* own);
    void resolve();

    Base3DGenerator const* colour() const { return m_colourInput; }
    Base1DGenerator const* alpha() const { return m_alphaInput; }

private:
    VyxTerminal* m_rgbTerminal = nullptr;
    VyxTerminal* m_alphaTerminal = nullptr;
    Base1DGenerator const* m_alphaInput = nullptr;
    Base3DGenerator const* m_colourInput = nullptr;
};

} // namespace KelVyxNodes
