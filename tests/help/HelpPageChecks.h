#pragma once

// What the help's pages must hold, checked against the collection the build generates: the
// pages its contents list, the pictures and links in each page, and the contrast of colours.

#include <QByteArray>
#include <QColor>
#include <QHelpContentModel>
#include <QHelpEngineCore>
#include <QImage>
#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QUrl>

#include <cmath>

namespace HelpPageChecks {

inline const QString pageRoot = QStringLiteral("qthelp://org.marrowind.vyx-solenne/doc/");

// Relative luminance and contrast ratio as the web's accessibility guidelines define them.
inline double luminance(QColor const& colour)
{
    auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.red()) + 0.7152 * linear(colour.green()) + 0.0722 * linear(colour.blue());
}

inline double contrast(QColor const& a, QColor const& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The addresses of one attribute of one element kind in a page, resolved against the page.
inline QList<QUrl> references(QByteArray const& page, QUrl const& pageUrl, char const* element, char const* attribute)
{
    const QRegularExpression pattern(QStringLiteral("<%1\\b[^>]*\\b%2=\"([^\"]*)\"").arg(QLatin1String(element), QLatin1String(attribute)),
                                     QRegularExpression::CaseInsensitiveOption);
    QList<QUrl> found;
    for (auto it = pattern.globalMatch(QString::fromUtf8(page)); it.hasNext();)
        found << pageUrl.resolved(QUrl(it.next().captured(1)));
    return found;
}

inline QList<QUrl> pictures(QByteArray const& page, QUrl const& pageUrl)
{
    return references(page, pageUrl, "img", "src");
}

inline QList<QUrl> links(QByteArray const& page, QUrl const& pageUrl)
{
    return references(page, pageUrl, "a", "href");
}

// Empty when `data` is a PNG picture of more than a few colours, else what is wrong with it.
inline QString pictureFault(QByteArray const& data)
{
    if (!data.startsWith("\x89PNG\r\n\x1a\n"))
        return QStringLiteral("not a PNG file");
    const QImage image = QImage::fromData(data, "PNG").convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return QStringLiteral("not readable");
    QSet<QRgb> colours;
    for (int y = 0; y < image.height() && colours.size() <= 16; y += 3) {
        for (int x = 0; x < image.width() && colours.size() <= 16; x += 3)
            colours.insert(image.pixel(x, y));
    }
    if (colours.size() <= 16)
        return QStringLiteral("only %1 colours").arg(colours.size());
    return QString();
}

struct Entry
{
    QString title;
    QUrl url;
    int depth;
};

// Every entry of the contents, depth first.
inline QList<Entry> contentsEntries(QHelpContentModel* model, QModelIndex const& parent = {}, int depth = 0)
{
    QList<Entry> entries;
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        QHelpContentItem* item = model->contentItemAt(index);
        entries << Entry{index.data().toString(), item ? item->url() : QUrl(), depth};
        entries << contentsEntries(model, index, depth + 1);
    }
    return entries;
}

} // namespace HelpPageChecks
