#include "SampleTemplates.h"

#include "app/HostileFiles.h"
#include "app/KelTemplate.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeDescriptor.h"

#include <QDomDocument>
#include <memory>

#include <QBuffer>
#include <QImage>

namespace SampleTemplates {

QByteArray pngIcon(QColor const& colour)
{
    QImage image(45, 30, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray greyPng(quint32 width, quint32 height)
{
    QByteArray file = HostileFiles::Png::header(width, height, 0);
    z_stream stream{};
    deflateInit(&stream, 9);
    std::vector<unsigned char> row(1 + size_t(width), 0x80);
    row[0] = 0; // no filter
    QByteArray packed;
    std::vector<unsigned char> out(1 << 16);
    auto drain = [&](int flush) {
        int result = Z_OK;
        do {
            stream.next_out = out.data();
            stream.avail_out = uInt(out.size());
            result = deflate(&stream, flush);
            packed.append(reinterpret_cast<char const*>(out.data()), qsizetype(out.size() - stream.avail_out));
        } while (stream.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
    };
    for (quint32 y = 0; y < height; ++y) {
        stream.next_in = row.data();
        stream.avail_in = uInt(row.size());
        drain(Z_NO_FLUSH);
    }
    stream.avail_in = 0;
    drain(Z_FINISH);
    deflateEnd(&stream);
    HostileFiles::Png::appendChunk(file, "IDAT", packed);
    HostileFiles::Png::appendChunk(file, "IEND", QByteArray());
    return file;
}

QByteArray templateFile(QString const& uuid, QString const& name, QString const& version,
                        bool unknownNodeType)
{
    // The sub-graph source -> inversion -> destination as the only top-level node, the
    // "template" element inside it, as the store writes a template file.
    KelVyxNodes::VyxNodeGraph root(nullptr);
    KelVyxNodes::VyxNodeGraph* effect = root.addSubGraph(-1);
    QImage bootstrap(1, 1, QImage::Format_ARGB32);
    bootstrap.fill(0);
    effect->setUp(&bootstrap);
    KelNodes::Node* inversion = effect->addNode(QStringLiteral("operator.inversion"), -1);
    effect->sourceNode()->connect(QStringLiteral("rgb"), inversion, QStringLiteral("inRgb"));
    inversion->connect(QStringLiteral("outRgb"), effect->destinationNode(), QStringLiteral("rgb"));
    effect->setUp(nullptr);
    effect->setName(name);
    QString const inversionUuid = inversion->descriptor()->typeUuid.toString();

    std::unique_ptr<QDomDocument> document(root.store({effect}, false, false, true));
    QDomElement graph = document->documentElement().firstChildElement(QStringLiteral("nodes"))
                            .firstChildElement();
    KelTemplate record;
    record.setUuid(uuid);
    record.setName(name);
    record.setType(QStringLiteral("Filter"));
    record.setVersion(version);
    record.store(*document, graph, 0);
    QString text = document->toString(4);
    if (unknownNodeType) {
        text.replace(QStringLiteral("operator.inversion"), QStringLiteral("operator.nosuchnode"));
        text.replace(inversionUuid, QStringLiteral("{5e5e5e5e-0000-4000-8000-000000000000}"));
    }
    return text.toUtf8();
}

void seed(ReferenceServer& server)
{
    ReferenceServer::Item inverted;
    inverted.uuid = QStringLiteral("{7d1e5a2c-3b4f-4c6d-8e9f-0a1b2c3d4e5f}");
    inverted.name = QStringLiteral("Inverted");
    inverted.version = QStringLiteral("01.000");
    inverted.createdBy = QStringLiteral("Reference");
    inverted.xml = templateFile(inverted.uuid, inverted.name, inverted.version);
    inverted.icon = pngIcon(Qt::red);
    server.addItem(QStringLiteral("lumora"), inverted);

    ReferenceServer::Item negative;
    negative.uuid = QStringLiteral("{8e2f6b3d-4c5a-4d7e-9f0a-1b2c3d4e5f60}");
    negative.name = QStringLiteral("N\u00e9gatif");
    negative.version = QStringLiteral("02.500");
    negative.createdBy = QStringLiteral("Reference");
    negative.xml = templateFile(negative.uuid, negative.name, negative.version);
    negative.icon = pngIcon(Qt::blue);
    server.addItem(QStringLiteral("lumora"), negative);
}

} // namespace SampleTemplates
