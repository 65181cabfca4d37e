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
    container->loadState(nodes.firstChild().toElement());
}
