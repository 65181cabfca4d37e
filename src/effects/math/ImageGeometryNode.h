#pragma once

#include "effects/Base3DGeneratorNode.h"

namespace KelVyxNodes {

class VyxTerminal;

// A colour node that reads its colour input at points it derives from the image size (flip,
// rotate, deform, chromatic aberration). It owns that input, its first terminal, and records
// the image size at each render start.
class ImageGeometryNode : public Base3DGeneratorNode
{
public:
    ~ImageGeometryNode() override;

    // Records the image size and calls onImageSize(); without an image it logs "<logName>
    // error: no image" and forgets the size, so getSample3 falls back until a render has one.
    int onFilterStart(KelUtils::StatusObserver* observer) override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;
    // Its picture input is read at the points the geometry derives.
    InputRead inputRead() const override { return InputRead::AtOtherPoints; }

protected:
    // Adds the colour input `inputName`; `logName` names the node in the debug log.
    ImageGeometryNode(int id, QString const& inputName, char const* logName);

    // Size-dependent preparation of a render that has an image.
    virtual void onImageSize() {}
    bool hasImageSize() const { return m_imageWidth >= 1 && m_imageHeight >= 1; }

    VyxTerminal* m_inTerminal = nullptr;
    Base3DGenerator const* m_input = nullptr;
    int m_imageWidth = -1;
    int m_imageHeight = -1;

private:
    char const* m_logName;
};

} // namespace KelVyxNodes
