// A stored parameter container section with its embedded payloads, the stand-alone parameter
// elements of templates, and the raw payload form.

#include "FuzzSupport.h"
#include "SampleContainer.h"

#include "params/BinaryData.h"
#include "params/Parameter.h"
#include "params/ParameterFactory.h"
#include "io/XmlDocumentDepth.h"

#include <QDomDocument>

#include <memory>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::start(argc, argv, false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    const QByteArray input = FuzzSupport::bytes(data, size);
    bool ok = false;
    KelUtils::uncompressBinaryData(input, &ok);

    QDomDocument document;
    if (!KelUtils::setXmlContent(document, input))
        return 0;
    const QDomElement root = document.documentElement();
    {
        FuzzSupport::SampleContainer sample;
        sample.container.loadState(root);
        for (QDomElement child = root.firstChildElement(); !child.isNull();
             child = child.nextSiblingElement())
            sample.container.loadState(child);
        QDomDocument stored;
        QDomElement parent = stored.createElement(QStringLiteral("nodes"));
        stored.appendChild(parent);
        sample.container.storeState(stored, parent, false, true);
    }
    const QDomNodeList parameters = document.elementsByTagName(QStringLiteral("parameter"));
    for (int i = 0; i < parameters.count() && i < 64; ++i)
        std::unique_ptr<KelUtils::Parameter>(KelUtils::createParameter(parameters.at(i).toElement()));
    const QDomNodeList payloads = document.elementsByTagName(QStringLiteral("data"));
    for (int i = 0; i < payloads.count() && i < 64; ++i) {
        QByteArray bytes;
        KelUtils::loadBinaryData(payloads.at(i).toElement(), bytes);
    }
    return 0;
}
