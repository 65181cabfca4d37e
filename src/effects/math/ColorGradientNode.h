#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/VyxNode.h"
#include "effects/color/VyxGradient.h"
#include "nodes/NodeParameterContainer.h"
#include "params/Color.h"

#include <QString>

#include <array>
#include <vector>

namespace KelUtils {
class ColorParameter;
template <typename T> class NumGroupParameter;
}

namespace KelVyxNodes {

class VyxTerminal;

// A gradient generator of N colour stops, tiled over the image along x or y. Every stop's
// colour ("Color i") and position ("Position i") can be driven by an input of the same name;
// the matching parameter's editor is disabled exactly while that input is linked.
// Instantiated for 3 and 5 stops only (NodeGradient3Color, NodeGradient5Color).
template <int N>
class ColorGradientNode : public VyxNode, public Base1DGenerator, public Base3DGenerator
{
public:
    static constexpr int StopCount = N;

    ~ColorGradientNode() override;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    Base1DGenerator const* toBase1DGenerator() const override { return this; }
    Base3DGenerator const* toBase3DGenerator() const override { return this; }

    // Records the image size; without an image the node stays black.
    int onFilterStart(KelUtils::StatusObserver* observer) override;
    // The output is colour only: 0 everywhere.
    unsigned int getSample(QPoint const& point) const override;
    // gradientAtPoint without its top byte.
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;
    // 0xFFRRGGBB of the gradient at an image point; 0 while no image size is known.
    unsigned int gradientAtPoint(QPoint const& point) const;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;
    // Refreshes the cached stop colours.
    void paramChanged(KelUtils::Parameter* parameter) override;

    // A byte as an orientation: the multiple of 90 below it (0, 90 or 180).
    static int cast1dValueToAngle(unsigned char value);

protected:
    // `displayName` and `helpText` are untranslated source texts.
    ColorGradientNode(int id, QString const& typeId, char const* displayName, char const* helpText,
                      std::array<KelUtils::Color, N> const& startColours);

private:
    using Stop = VyxGradient::Stop;
    // What every point shares: the tiles and the direction of the gradient.
    struct Layout
    {
        int side;
        int tileWidth;
        int tileHeight;
        bool proportional;
        bool alongY;
        bool reversed;
    };
    Layout layout() const;
    // The point's place in its tile along the gradient's direction, and that place's position
    // 0..100 on the gradient.
    static int tileIndex(Layout const& layout, QPoint const& point);
    static double positionAt(Layout const& layout, int index);
    // The stops sorted by position, then index, from the colour of each stop and the position
    // each slot holds.
    static void sortStops(Layout const& layout, std::array<unsigned int, N> const& colour,
                          std::array<int, N> const& position, std::array<Stop, N>& stops);
    bool stopsLinked() const;
    // The settings the tile colours depend on.
    using TableKey = std::array<int, 5 + 2 * N>;
    TableKey tableKey() const;
    // While no stop is linked: the colour of every tile place, made when a render starts.
    void prepareTileColours();

    // The own stop colours as 0x00RRGGBB, so that sampling needs no power per pixel.
    void refreshStopColours();

    KelNodes::NodeParameterContainer m_container;
    std::array<Base3DGenerator const*, N> m_colourSource{};
    std::array<Base1DGenerator const*, N> m_positionSource{};
    std::array<KelUtils::Color, N> m_colour{};
    std::array<int, N> m_position{};
    std::array<unsigned int, N> m_stopRgb{};
    int m_rotate = 0;
    int m_repeat = 1;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    int m_proportional = 0;
    std::array<KelUtils::ColorParameter*, N> m_colourParam{};
    std::array<KelUtils::NumGroupParameter<int>*, N> m_positionParam{};
    std::array<VyxTerminal*, N> m_colourTerminal{};
    std::array<VyxTerminal*, N> m_positionTerminal{};
    std::vector<unsigned int> m_tileColours;
    TableKey m_tileKey{};
    bool m_tileColoursMade = false;
};

} // namespace KelVyxNodes
