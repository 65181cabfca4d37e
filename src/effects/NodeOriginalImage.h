#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/NodeOf.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

class QImage;

namespace KelVyxNodes {

// The source node: the picture that enters the effect. Reads the graph's original image, or,
// inside a compound node, whatever the parent feeds into "rgbIn" / "alphaIn" (the upstream
// generators, set by the graph).
class NodeOriginalImage : public NodeOf<NodeOriginalImage, VyxNode>, public Base1DGenerator, public Base3DGenerator
{
public:
    explicit NodeOriginalImage(int id);
    ~NodeOriginalImage() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelNodes::NodeParameterContainer* paramContainer() override { return &m_container; }
    KelNodes::NodeParameterContainer const* paramContainer() const override { return &m_container; }
    bool isStatic() const override { return true; }

    Base1DGenerator const* toBase1DGenerator() const override { return this; }
    Base3DGenerator const* toBase3DGenerator() const override { return this; }
    Base1DGenerator const* grayscaleGenerator() const override { return nullptr; }
    Base1DGenerator const* alphaGenerator() const override { return this; }

    int onFilterStart(KelUtils::StatusObserver* observer) override;
    // Image pixel without its alpha byte; points are clamped into the image.
    unsigned int getSample3(QPoint const& point) const override;
    // Image alpha (255 for an image without alpha channel).
    unsigned int getSample(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;

    QImage const* image() const { return m_image; }
    // Row y of the picture as 32-bit pixels when the node reads its own picture (no upstream
    // colour) and y lies in it; else null. For copying whole rows.
    unsigned int const* imageRow(int y) const
    {
        if (m_upstream3D || !m_pixels || y < 0 || y >= m_height)
            return nullptr;
        return m_pixels + qsizetype(y) * m_stride;
    }
    int imageWidth() const { return m_width; }
    // Whether getSample reads the picture's alpha (else it gives 255 or an upstream's value).
    bool readsImageAlpha() const { return !m_upstream1D && m_pixels && m_hasAlpha; }
    // The image must stay alive and unchanged until the next setImage (the graph's setUp);
    // its pixel block is looked up here and at every render start, not at every sample.
    void setImage(QImage const* image);
    Base3DGenerator const* upstream3D() const { return m_upstream3D; }
    Base1DGenerator const* upstream1D() const { return m_upstream1D; }
    void setUpstream3D(Base3DGenerator const* generator) { m_upstream3D = generator; }
    void setUpstream1D(Base1DGenerator const* generator) { m_upstream1D = generator; }

private:
    KelNodes::NodeParameterContainer m_container;
    void takePixels();

    QImage const* m_image = nullptr;
    // Of m_image, read while sampling: null without pixels.
    unsigned int const* m_pixels = nullptr;
    qsizetype m_stride = 0; // in pixels
    int m_width = 0;
    int m_height = 0;
    bool m_hasAlpha = false;
    Base3DGenerator const* m_upstream3D = nullptr;
    Base1DGenerator const* m_upstream1D = nullptr;
};

} // namespace KelVyxNodes
