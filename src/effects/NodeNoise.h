#pragma once

#include "effects/BaseGeneratorNode.h"
#include "effects/FractalNoise.h"
#include "effects/NodeOf.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelUtils {
class ListParameter;
template <typename T> class NumGroupParameter;
}

namespace KelVyxNodes {

// Two-dimensional procedural noise, one of twelve basis functions, optionally summed as a
// fractal: amplitude x noise(x * scale X, y * scale Y) + offset, as a channel, or as a colour
// from three seeds, one grey value or one channel.
class NodeNoise : public NodeOf<NodeNoise, BaseGeneratorNode>
{
public:
    // Ids of the "type" list.
    enum NoiseType : int {
        Random = 0,
        RandomFiltered = 1,
        Perlin = 2,
        Simplex = 3,
        Musgrave = 4,
        CellularF1 = 5,
        CellularF2 = 6,
        ManhattanF1 = 7,
        ManhattanF2 = 8,
        Voronoi = 9,
        VoronoiF1F2 = 10,
        VoronoiCracks = 11
    };
    // Ids of the "output" list: how getSample3 makes a colour.
    enum Output : int { OutputRgb = 0, OutputGrayscale = 1, OutputRed = 2, OutputGreen = 3, OutputBlue = 4 };

    explicit NodeNoise(int id);
    ~NodeNoise() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    // Follows the size of the picture being filtered when the scale is proportional.
    int onFilterStart(KelUtils::StatusObserver* observer) override;
    unsigned int getSample(QPoint const& point) const override;
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;
    void paramChanged(KelUtils::Parameter* changed) override;
    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;

protected:
    // The parameters follow the output's kind, which settles after the links change.
    void kindsSettled() override;

public:
    // The basis function of a "type" id; Perlin for an unknown id.
    static KelUtils::NoiseFunction2D basisFunction(int type);

private:
    // The channel byte at the point for one seed.
    unsigned int noiseByte(QPoint const& point, unsigned int seed) const;
    void updateScales();
    // "output" only matters while the output can carry colour.
    void updateOutputState();

    KelNodes::NodeParameterContainer m_container;
    int m_type = Perlin;
    int m_output = OutputRgb;
    KelUtils::ListParameter* m_outputParam = nullptr;
    float m_amplitude = 1.0f;
    float m_offset = 0.5f;
    int m_seed = 0;
    float m_scaleGlobal = 1.0f;
    float m_scale[2] = {1.0f, 1.0f};
    int m_proportional = 0;
    float m_scaleX = 0.01f;
    float m_scaleY = 0.01f;
    int m_enableFrac = 0;
    float m_octaves = 3.0f;
    KelUtils::NumGroupParameter<float>* m_octavesParam = nullptr;
    float m_increment = 0.5f;
    KelUtils::NumGroupParameter<float>* m_incrementParam = nullptr;
    float m_lacunarity = 2.0f;
    KelUtils::NumGroupParameter<float>* m_lacunarityParam = nullptr;
    KelUtils::NoiseFunction2D m_basis = nullptr;
};

} // namespace KelVyxNodes
