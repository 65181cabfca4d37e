#pragma once

#include "params/Parameter.h"

class QImage;

namespace KelUtils {

// An image (type 11) held by the caller. Its element carries the size and pixel format; the
// pixels travel as embedded data, which therefore has to follow the element.
class ImageParameter : public Parameter
{
public:
    // Display flags 1. The image stays the caller's.
    ImageParameter(QString const& name, QString const& text, IParameterContainer* container,
                   QImage* image);
    ~ImageParameter() override;

    ParamType type() const override { return ParamImage; }
    operator ImageParameter*() override { return this; }
    operator ImageParameter const*() const override { return this; }

    QImage* image() const { return m_image; }

    // Whether an image of this size and format (a QImage::Format code) may be made from a
    // document: a real format, positive sides and a pixel buffer of at most MaxBinaryDataSize.
    static bool isAcceptableImage(int width, int height, int format);

    // "width", "height", "format".
    int storeSpecific(QDomElement& element, QDomDocument& document) const override;
    // Resizes the image to the stored size and format; an image that already matches keeps its
    // pixels. -1 (image unchanged) for a missing or unacceptable size or format.
    int loadSpecific(QDomElement const& element) override;

    // A "data" element (owner = the parameter's name) with the whole pixel buffer, compressed;
    // nothing for a null image.
    int embedData(QDomElement& parent, QDomDocument& document) const override;
    // Copies the unpacked bytes into the pixels; -1 (image unchanged) when the image is null or
    // the length differs from its buffer size.
    int parseEmbeddedData(QDomElement const& dataElement) override;

private:
    QImage* m_image = nullptr;
};

} // namespace KelUtils
