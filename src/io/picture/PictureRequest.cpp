#include "io/picture/PictureRequest.h"

#include <QDataStream>
#include <QIODevice>

#include <algorithm>

namespace {

// Marks a frame of either side; the layout's version follows it.
constexpr quint32 protocolTag = 0x56595231; // "VYR1"
// Marks a claim, which no answer's decode takes for an answer.
constexpr quint32 claimTag = 0x56595243; // "VYRC"

} // namespace

quint32 PictureRequest::versionOf(const QByteArray& frame)
{
    QDataStream stream(frame);
    stream.setVersion(QDataStream::Qt_6_4);
    quint32 tag = 0;
    quint32 version = 0;
    stream >> tag >> version;
    return stream.status() == QDataStream::Ok && tag == protocolTag ? version : 0;
}

QByteArray PictureRequest::encode() const
{
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_4);
    stream << protocolTag << PictureRequest::protocolVersion << qint32(kind) << path << bytes << suffix << format << wanted << fitInto << pixelCap;
    return out;
}

bool PictureRequest::decode(const QByteArray& bytes, PictureRequest* request)
{
    QDataStream stream(bytes);
    stream.setVersion(QDataStream::Qt_6_4);
    quint32 tag = 0;
    quint32 version = 0;
    qint32 kind = 0;
    stream >> tag >> version >> kind >> request->path >> request->bytes >> request->suffix >> request->format
        >> request->wanted >> request->fitInto >> request->pixelCap;
    if (stream.status() != QDataStream::Ok || tag != protocolTag || version != protocolVersion
        || kind < qint32(Kind::Layers)
        || kind > qint32(Kind::Thumbnail))
        return false;
    request->kind = Kind(kind);
    return true;
}

QByteArray PictureReply::encode() const
{
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_4);
    stream << protocolTag << PictureRequest::protocolVersion << ok << reason << fullSize << dpi << dataBytes << qint32(layers.size());
    for (const Layer& layer : layers)
        stream << layer.rect << layer.size << layer.bytesPerLine << layer.offset << layer.alpha << layer.premultiplied;
    return out;
}

bool PictureReply::decode(const QByteArray& bytes, PictureReply* reply)
{
    QDataStream stream(bytes);
    stream.setVersion(QDataStream::Qt_6_4);
    quint32 tag = 0;
    quint32 version = 0;
    qint32 count = 0;
    stream >> tag >> version >> reply->ok >> reply->reason >> reply->fullSize >> reply->dpi >> reply->dataBytes >> count;
    // A file holds at most 65536 images; an answer that says more is no answer.
    if (stream.status() != QDataStream::Ok || tag != protocolTag || version != PictureRequest::protocolVersion
        || count < 0 || count > 65536)
        return false;
    reply->layers.clear();
    for (qint32 i = 0; i < count; ++i) {
        Layer layer;
        stream >> layer.rect >> layer.size >> layer.bytesPerLine >> layer.offset >> layer.alpha >> layer.premultiplied;
        if (stream.status() != QDataStream::Ok)
            return false;
        reply->layers.append(layer);
    }
    return true;
}

QByteArray PictureReply::encodeClaim(qint64 pixels)
{
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_4);
    stream << claimTag << PictureRequest::protocolVersion << pixels;
    return out;
}

bool PictureReply::decodeClaim(const QByteArray& frame, qint64* pixels)
{
    QDataStream stream(frame);
    stream.setVersion(QDataStream::Qt_6_4);
    quint32 tag = 0;
    quint32 version = 0;
    qint64 claimed = 0;
    stream >> tag >> version >> claimed;
    if (stream.status() != QDataStream::Ok || tag != claimTag || version != PictureRequest::protocolVersion
        || !stream.atEnd())
        return false;
    *pixels = std::max<qint64>(0, claimed);
    return true;
}
