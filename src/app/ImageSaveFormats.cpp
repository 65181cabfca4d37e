#include "app/ImageSaveFormats.h"

#include "app/ShownText.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeDatabase>

#include <algorithm>

namespace {

// Names the image plug-ins list for one format; the last is the format's own name.
const QList<QStringList> spellings = {
    {QStringLiteral("jpg"), QStringLiteral("jpeg")},
    {QStringLiteral("tif"), QStringLiteral("tiff")},
};

QString canonical(QString const& name)
{
    for (QStringList const& group : spellings) {
        if (group.contains(name))
            return group.last();
    }
    return name;
}

// The largest side the writers store as given. Qt's ICO and CUR writers scale a larger picture
// down to 256 pixels without a word; WebP and JPEG fail past their encoders' limits.
struct SideLimit {
    const char* format;
    int side;
};
constexpr SideLimit sideLimits[] = {{"ico", 256}, {"cur", 256}, {"webp", 16383}, {"jpeg", 65500}};
// Qt's ICNS writer scales every picture to a square of a power of two.
constexpr int icnsSmallest = 16;
constexpr int icnsLargest = 1024;

QString translated(const char* text)
{
    return QCoreApplication::translate("ImageSaveFormats", text);
}

// Whether a suffix names an image format at all (one the program may not write).
bool namesImageFormat(QString const& suffix)
{
    const QByteArray lower = suffix.toLower().toLatin1();
    if (QImageReader::supportedImageFormats().contains(lower))
        return true;
    const QList<QMimeType> types = QMimeDatabase().mimeTypesForFileName(QStringLiteral("x.") + suffix);
    return std::any_of(types.begin(), types.end(),
                       [](QMimeType const& type) { return type.name().startsWith(QLatin1String("image/")); });
}

} // namespace

bool ImageSaveFormats::holds(QByteArray const& format, QSize const& size, QString* limit)
{
    if (size.isEmpty())
        return true;
    const QString name = canonical(QString::fromLatin1(format).toLower());
    const int width = size.width();
    const int height = size.height();
    if (name == QLatin1String("icns")) {
        const bool power = width == height && (width & (width - 1)) == 0;
        if (power && width >= icnsSmallest && width <= icnsLargest)
            return true;
        if (limit)
            *limit = translated("ICNS holds only square pictures of 16, 32, 64, 128, 256, 512 or 1024 pixels a side");
        return false;
    }
    for (SideLimit const& rule : sideLimits) {
        if (name != QLatin1String(rule.format))
            continue;
        if (width <= rule.side && height <= rule.side)
            return true;
        if (limit)
            *limit = translated("%1 holds at most %2 x %2 pixels").arg(name.toUpper()).arg(rule.side);
        return false;
    }
    return true;
}

ImageSaveFormats::ImageSaveFormats(QString const& preferred, QSize const& picture)
    : m_picture(picture)
{
    QList<QByteArray> supported;
    for (QByteArray const& entry : QImageWriter::supportedImageFormats()) {
        if (holds(entry, picture))
            supported.append(entry);
    }
    for (QByteArray const& entry : std::as_const(supported)) {
        const QString suffix = QString::fromLatin1(entry).toLower();
        const QString name = canonical(suffix);
        auto format = std::find_if(m_formats.begin(), m_formats.end(),
                                   [&](Format const& f) { return f.name == name.toUpper(); });
        if (format == m_formats.end())
            format = m_formats.insert(m_formats.end(), Format{name.toUpper(), {}});
        if (!format->suffixes.contains(suffix))
            format->suffixes.append(suffix);
    }
    for (Format& format : m_formats) {
        const QString own = format.name.toLower();
        std::sort(format.suffixes.begin(), format.suffixes.end(), [&](QString const& a, QString const& b) {
            if ((a == own) != (b == own))
                return a == own;
            return a.size() != b.size() ? a.size() < b.size() : a < b;
        });
    }

    // As the preferences match their setting: without regard to case, the last entry wins.
    for (QByteArray const& entry : std::as_const(supported)) {
        if (QString::fromLatin1(entry).compare(preferred, Qt::CaseInsensitive) == 0)
            m_preferred = entry;
    }
    if (m_preferred.isEmpty())
        m_preferred = supported.value(0);
    const QString spelling = QString::fromLatin1(m_preferred).toLower();
    const int first = indexOfSuffix(spelling);
    if (first < 0)
        return;
    m_formats.move(first, 0);
    // The dialog puts the first pattern on the proposed name: the preferred spelling.
    QStringList& suffixes = m_formats.first().suffixes;
    suffixes.move(suffixes.indexOf(spelling), 0);
}

QStringList ImageSaveFormats::filters() const
{
    QStringList filters;
    for (Format const& format : m_formats) {
        QStringList patterns;
        for (QString const& suffix : format.suffixes)
            patterns.append(QStringLiteral("*.") + suffix);
        filters.append(QStringLiteral("%1 Image (%2)").arg(format.name, patterns.join(QLatin1Char(' '))));
    }
    return filters;
}

QString ImageSaveFormats::formatNames() const
{
    QStringList names;
    for (Format const& format : m_formats)
        names.append(format.name);
    std::sort(names.begin(), names.end());
    return names.join(QStringLiteral(", "));
}

int ImageSaveFormats::indexOfSuffix(QString const& suffix) const
{
    const QString lower = suffix.toLower();
    for (int i = 0; i < m_formats.size(); ++i) {
        if (m_formats.at(i).suffixes.contains(lower))
            return i;
    }
    return -1;
}

QByteArray ImageSaveFormats::formatOfSuffix(QString const& suffix) const
{
    return indexOfSuffix(suffix) < 0 || suffix.isEmpty() ? QByteArray() : suffix.toLower().toLatin1();
}

QByteArray ImageSaveFormats::formatOfFilter(QString const& filter) const
{
    const int index = int(filters().indexOf(filter));
    return index < 0 ? QByteArray() : m_formats.at(index).suffixes.first().toLatin1();
}

QString ImageSaveFormats::suffixOf(QByteArray const& format) const
{
    const QString lower = QString::fromLatin1(format).toLower();
    const int index = indexOfSuffix(lower);
    return index < 0 || m_formats.at(index).suffixes.contains(lower) ? lower : m_formats.at(index).suffixes.first();
}

QString ImageSaveFormats::completedPath(QString const& path, QByteArray const& format) const
{
    if (!formatOfSuffix(QFileInfo(path).suffix()).isEmpty() || format.isEmpty())
        return path;
    return path + QLatin1Char('.') + suffixOf(format);
}

QString ImageSaveFormats::refusal(QString const& path) const
{
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.isEmpty() || indexOfSuffix(suffix) >= 0)
        return QString();
    const QString offered = formatNames();
    QString limit;
    if (QImageWriter::supportedImageFormats().contains(suffix.toLower().toLatin1())
        && !holds(suffix.toLatin1(), m_picture, &limit)) {
        return translated("%1; the picture has %2 x %3 pixels.\nThe image can be saved as %4.")
            .arg(limit)
            .arg(m_picture.width())
            .arg(m_picture.height())
            .arg(offered);
    }
    if (!namesImageFormat(suffix))
        return QString();
    return translated("%1 images cannot be written.\nThe image can be saved as %2.")
        .arg(ShownText::name(suffix.toUpper(), 32), offered);
}
