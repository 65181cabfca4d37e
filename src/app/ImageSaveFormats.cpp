#include "app/ImageSaveFormats.h"

#include <QFileInfo>
#include <QImageWriter>

#include <algorithm>

namespace {

// Names the image plug-ins list for one format.
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

} // namespace

ImageSaveFormats::ImageSaveFormats(QString const& preferred)
{
    const QList<QByteArray> supported = QImageWriter::supportedImageFormats();
    for (QByteArray const& entry : supported) {
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
        std::sort(format.suffixes.begin(), format.suffixes.end(), [](QString const& a, QString const& b) {
            return a.size() != b.size() ? a.size() < b.size() : a < b;
        });
    }

    // As the preferences match their setting: without regard to case, the last entry wins.
    for (QByteArray const& entry : supported) {
        if (QString::fromLatin1(entry).compare(preferred, Qt::CaseInsensitive) == 0)
            m_preferred = entry;
    }
    if (m_preferred.isEmpty())
        m_preferred = supported.value(0);
    const int first = indexOfSuffix(QString::fromLatin1(m_preferred));
    if (first > 0)
        m_formats.move(first, 0);
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
    if (index == 0)
        return m_preferred;
    return index < 0 ? QByteArray() : m_formats.at(index).suffixes.first().toLatin1();
}

QString ImageSaveFormats::suffixOf(QByteArray const& format) const
{
    const int index = indexOfSuffix(QString::fromLatin1(format));
    return index < 0 ? QString::fromLatin1(format).toLower() : m_formats.at(index).suffixes.first();
}

QString ImageSaveFormats::completedPath(QString const& path, QByteArray const& format) const
{
    if (!formatOfSuffix(QFileInfo(path).suffix()).isEmpty() || format.isEmpty())
        return path;
    return path + QLatin1Char('.') + suffixOf(format);
}
