#pragma once

#include "effects/Base3DGenerator.h"
#include "effects/NodeOf.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

#include <QPoint>

namespace KelVyxNodes {

class VyxTerminal;

// Edge-keeping noise reduction: every neighbour in the square window around the point whose
// red, green and blue each differ from the centre by less than the threshold is kept, and the
// point becomes the mean of the kept colours ("Bilateral Smoothing") or the colour of their
// median by brightness ("Median Filter"). "strength" sets the threshold and the window radius.
class NodeNoiseReduction : public NodeOf<NodeNoiseReduction, VyxNode>, public Base3DGenerator
{
public:
    enum Mode { Mean = 0, Median = 1 };

    explicit NodeNoiseReduction(int id);
    ~NodeNoiseReduction() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    Base3DGenerator const* toBase3DGenerator() const override { return this; }

    // Image size, threshold and radius of this render. Without an image the node passes its
    // input through until a render has one.
    int onFilterStart(KelUtils::StatusObserver* observer) override;
    // 0x808080 while "in" is unlinked.
    unsigned int getSample3(QPoint const& point) const override;
    // The window rows read once per span.
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;
    InputRead inputRead() const override { return InputRead::Repeatedly; }

    int threshold() const { return m_threshold; }
    int radius() const { return m_radius; }

private:
    // The neighbours of a point that lie in the image, in rows top..bottom and columns
    // left..right (none where left > right or top > bottom).
    struct Window
    {
        long long left;
        long long right;
        long long top;
        long long bottom;
    };
    Window window(QPoint const& p) const;
    // visit(colour) for every neighbour of p in the window and the image, row by row, left to
    // right.
    template <class RowAt, class Visit>
    void forEachNeighbour(QPoint const& p, RowAt rowAt, Visit visit) const;
    // Whether every channel of sample lies within the threshold of centre.
    bool withinThreshold(unsigned int sample, unsigned int centre) const;
    // The result at p from its centre colour; rowAt(y, left, right) gives the input's colours
    // in row y from column left to right, a part of p's window inside the image (the centre's
    // place is never read).
    template <class RowAt>
    unsigned int filtered(QPoint const& p, unsigned int centre, RowAt rowAt) const;
    template <class RowAt>
    unsigned int meanOfWindow(QPoint const& p, unsigned int centre, RowAt rowAt) const;
    template <class RowAt>
    unsigned int medianOfWindow(QPoint const& p, unsigned int centre, RowAt rowAt) const;
    // The means of four neighbouring points whose windows lie in the image: window[r + dy]
    // points at the first point's column of row dy; the centres' colours are replaced by the
    // results.
    void meanOfFour(unsigned int const* const* window, unsigned int* centres) const;

    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_inTerminal = nullptr;
    int m_mode = Mean;
    int m_strength = 3;
    int m_threshold = 0;
    int m_radius = 0;
    Base3DGenerator const* m_input = nullptr;
    int m_imageWidth = -1;
    int m_imageHeight = -1;
};

} // namespace KelVyxNodes
