#include "app/ItemModelDragData.h"

#include <QMetaType>
#include <QMimeData>
#include <QtEndian>

#include <optional>

namespace {

// Type ids and layouts of Qt 6's QDataStream (the version Qt's item models write with).
constexpr quint32 InvalidType = QMetaType::UnknownType;
constexpr quint32 BoolType = QMetaType::Bool;
constexpr quint32 IntType = QMetaType::Int;
constexpr quint32 UIntType = QMetaType::UInt;
constexpr quint32 StringType = QMetaType::QString;
constexpr quint32 IconType = QMetaType::QIcon;
constexpr quint32 UserType = QMetaType::User;
constexpr quint32 NullLength = 0xffffffffu;

// The one user type the program's trees put: the text alignment, streamed as an int.
constexpr char AlignmentTypeName[] = "QFlags<Qt::AlignmentFlag>";
constexpr char PixmapIconEngineKey[] = "QPixmapIconEngine";

class StreamReader
{
public:
    explicit StreamReader(QByteArray const& bytes) : m_bytes(bytes) {}

    bool atEnd() const { return m_position >= m_bytes.size(); }

    std::optional<quint32> u32()
    {
        if (m_bytes.size() - m_position < 4)
            return std::nullopt;
        const quint32 value = qFromBigEndian<quint32>(m_bytes.constData() + m_position);
        m_position += 4;
        return value;
    }

    std::optional<quint8> u8()
    {
        if (atEnd())
            return std::nullopt;
        return quint8(m_bytes.at(m_position++));
    }

    bool skip(qint64 count)
    {
        if (count < 0 || m_bytes.size() - m_position < count)
            return false;
        m_position += qsizetype(count);
        return true;
    }

    // A QString: byte length (all ones for a null string), then UTF-16 big-endian.
    std::optional<QString> string()
    {
        const std::optional<quint32> length = u32();
        if (!length)
            return std::nullopt;
        if (*length == NullLength)
            return QString();
        if ((*length & 1u) || m_bytes.size() - m_position < qint64(*length))
            return std::nullopt;
        QString text(qsizetype(*length / 2), Qt::Uninitialized);
        qFromBigEndian<char16_t>(m_bytes.constData() + m_position, text.size(), text.data());
        m_position += qsizetype(*length);
        return text;
    }

    // A `const char*` as QDataStream writes it: length with the closing zero, then the bytes.
    std::optional<QByteArray> typeName()
    {
        const std::optional<quint32> length = u32();
        if (!length || *length == 0 || m_bytes.size() - m_position < qint64(*length))
            return std::nullopt;
        QByteArray name = m_bytes.mid(m_position, qsizetype(*length) - 1);
        m_position += qsizetype(*length);
        if (m_bytes.at(m_position - 1) != '\0')
            return std::nullopt;
        return name;
    }

    // A PNG as QImageWriter puts it in the stream (no length before it): signature, then
    // chunks up to and with IEND, stepped over by their stated lengths.
    bool skipPng()
    {
        static constexpr char signature[] = "\x89PNG\r\n\x1a\n";
        if (m_bytes.size() - m_position < 8 || m_bytes.mid(m_position, 8) != QByteArray(signature, 8))
            return false;
        m_position += 8;
        for (;;) {
            const std::optional<quint32> length = u32();
            if (!length || m_bytes.size() - m_position < 4)
                return false;
            const bool last = m_bytes.mid(m_position, 4) == "IEND";
            if (!skip(4 + qint64(*length) + 4))
                return false;
            if (last)
                return true;
        }
    }

    // A QIcon: its engine's key, then (only the pixmap engine is known) the count of its
    // pictures and per picture a null marker or a PNG, its file name, size, mode and state.
    bool skipIcon()
    {
        const std::optional<QString> key = string();
        if (!key)
            return false;
        if (key->isEmpty())
            return true;
        if (*key != QLatin1String(PixmapIconEngineKey))
            return false;
        const std::optional<quint32> count = u32();
        if (!count || qint32(*count) < 0)
            return false;
        for (quint32 i = 0; i < *count; ++i) {
            const std::optional<quint32> present = u32();
            if (!present || *present > 1 || (*present == 1 && !skipPng()) || !string() || !skip(4 * 4))
                return false;
        }
        return true;
    }

private:
    QByteArray const& m_bytes;
    qsizetype m_position = 0;
};

// One role value: its text (empty for what is not text), or nothing when the stream is damaged
// or holds a type the program's trees never put.
std::optional<QString> readValue(StreamReader& reader)
{
    const std::optional<quint32> type = reader.u32();
    if (!type || !reader.u8())
        return std::nullopt;
    switch (*type) {
    case InvalidType:
        return QString();
    case BoolType: {
        const std::optional<quint8> value = reader.u8();
        if (!value)
            return std::nullopt;
        return *value ? QStringLiteral("true") : QStringLiteral("false");
    }
    case IntType:
    case UIntType: {
        const std::optional<quint32> value = reader.u32();
        if (!value)
            return std::nullopt;
        return *type == IntType ? QString::number(qint32(*value)) : QString::number(*value);
    }
    case StringType:
        return reader.string();
    case IconType:
        if (!reader.skipIcon())
            return std::nullopt;
        return QString();
    case UserType: {
        const std::optional<QByteArray> name = reader.typeName();
        if (!name || *name != AlignmentTypeName || !reader.skip(4))
            return std::nullopt;
        return QString();
    }
    default:
        return std::nullopt;
    }
}

} // namespace

QString ItemModelDragData::mimeType()
{
    return QStringLiteral("application/x-qabstractitemmodeldatalist");
}

QString ItemModelDragData::lastValue(QByteArray const& encoded, int role)
{
    QString value;
    if (encoded.size() > maxBytes)
        return value;
    StreamReader reader(encoded);
    while (!reader.atEnd()) {
        // Row and column, then the role map: its size and pairs of role and value.
        if (!reader.skip(8))
            return value;
        const std::optional<quint32> count = reader.u32();
        if (!count)
            return value;
        // An item counts only when its whole map was read.
        std::optional<QString> found;
        for (quint32 i = 0; i < *count; ++i) {
            const std::optional<quint32> key = reader.u32();
            if (!key)
                return value;
            std::optional<QString> text = readValue(reader);
            if (!text)
                return value;
            if (qint32(*key) == role)
                found = std::move(text);
        }
        if (found)
            value = std::move(*found);
    }
    return value;
}

QString ItemModelDragData::lastValue(QMimeData const* data, int role)
{
    if (!data || !data->hasFormat(mimeType()))
        return {};
    return lastValue(data->data(mimeType()), role);
}
