#include "nodeui/KelParamSnapshot.h"

#include "params/IParameterContainer.h"

#include <QBuffer>
#include <QDomDocument>
#include <QTextStream>

QBuffer* KelParamSnapshot::store(KelUtils::IParameterContainer const* container)
{
    if (!container)
        return nullptr;
    QDomDocument document(QStringLiteral("MarrowindGraphNode"));
    QDomElement root = document.createElement(QStringLiteral("nodes"));
    document.appendChild(root);
    container->storeState(document, root, false, false);

    auto* buffer = new QBuffer;
    buffer->open(QIODevice::WriteOnly);
    {
        QTextStream stream(buffer);
        document.save(stream, 4);
    }
    buffer->close();
    return buffer;
}

void KelParamSnapshot::load(KelUtils::IParameterContainer* container, QBuffer const* buffer)
{
    if (!container || !buffer)
        return;
    QDomDocument document;
    document.setContent(buffer->data());
    const QDomElement nodes = document.elementsByTagName(QStringLiteral("nodes")).item(0).toElement();
    // A snapshot gives back what the parameters held, not the frame it was taken at: the node
    // stays at the frame the user is on, the one the timeline shows.
    const int frame = container->currentFrame();
    container->loadState(nodes.firstChild().toElement());
    container->setCurrentFrame(frame);
}
