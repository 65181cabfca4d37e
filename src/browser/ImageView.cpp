#include "browser/ImageView.h"

#include "app/ItemModelDragData.h"
#include "io/picture/PictureFile.h"
#include "io/picture/PictureReader.h"
#include "app/PlainTextWidgets.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QStatusTipEvent>
#include <QUrl>

#include <cstdint>
#include <cstring>
#include <future>
#include <utility>

namespace {

// A 32-bit image whose every alpha is 255; read two pixels a word, as the scan runs at the
// speed of memory.
bool isOpaque(QImage const& image)
{
    const int width = image.width();
    const int height = image.height();
    const qsizetype stride = image.bytesPerLine();
    uchar const* bits = image.constBits();
    for (int y = 0; y < height; ++y) {
        auto const* line = reinterpret_cast<QRgb const*>(bits + y * stride);
        std::uint64_t all = ~std::uint64_t(0);
        int x = 0;
        for (; x + 8 <= width; x += 8) {
            std::uint64_t words[4];
            std::memcpy(words, line + x, sizeof words);
            all &= words[0] & words[1] & words[2] & words[3];
        }
        for (; x < width; ++x)
            all &= 0xFFFFFFFF00000000u | line[x];
        if ((all & 0xFF000000FF000000u) != 0xFF000000FF000000u)
            return false;
    }
    return true;
}

} // namespace

ImageView::ImageView(QWidget* parent) : QWidget(parent)
{
    setAcceptDrops(true);
}

void ImageView::setSourceImage(QString const& path)
{
    const QImage loaded = PictureReader::readFile(path);
    if (loaded.isNull())
        return;
    m_image = loaded;
    m_sourceImage = loaded;
    m_sourcePath = path;
    fit();
    update();
}

void ImageView::setMessage(QString const& text)
{
    // A dropped file stays on show under the message until a result replaces it. It is kept
    // decoded: reading it again for every progress message of every render would hold the
    // window for as long as a large picture takes to decode.
    if (!m_sourceImage.isNull())
        m_image = m_sourceImage;
    m_message = text;
    sendStatusTip(text);
    fit();
    update();
}

void ImageView::setImage(QImage* image)
{
    m_image = image ? *image : QImage();
    m_message.clear();
    sendStatusTip(QString());
    fit();
    update();
}

void ImageView::sendStatusTip(QString const& text)
{
    QWidget* top = window();
    if (!top)
        return;
    QStatusTipEvent tip(text);
    QApplication::sendEvent(top, &tip);
}

void ImageView::fit()
{
    m_widgetWidth = float(width());
    m_widgetHeight = float(height());
    float w = float(m_image.width());
    float h = float(m_image.height());
    if (w == 0.0f || h == 0.0f) {
        w = 1.0f;
        h = 1.0f;
    }
    const float r = h / w;
    float d = m_widgetWidth;
    if (m_widgetHeight < m_widgetWidth * r)
        d = m_widgetHeight / r;
    if (w <= d)
        d = w;
    m_displayWidth = d;
    m_displayHeight = r * d;
}

QRect ImageView::displayRect() const
{
    if (m_image.isNull())
        return QRect();
    const float dx = m_widgetWidth - m_displayWidth;
    const float dy = m_widgetHeight - m_displayHeight;
    return QRect(int(dx * 0.5f), int(dy * 0.5f), int(m_displayWidth), int(m_displayHeight));
}

void ImageView::resizeEvent(QResizeEvent* event)
{
    fit();
    QWidget::resizeEvent(event);
}

void ImageView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(28, 28, 28));
    painter.setPen(palette().color(QPalette::WindowText));
    if (!m_image.isNull()) {
        const float dx = m_widgetWidth - m_displayWidth;
        const float dy = m_widgetHeight - m_displayHeight;
        const int left = int(dx * 0.5f);
        const int top = int(dy * 0.5f);
        const float dw = m_displayWidth;
        const float dh = m_displayHeight;
        painter.setPen(QPen(QColor(76, 76, 76), 1));
        if (dy > 2.0f) {
            painter.drawLine(left - 1, top - 1, int(dw + left), top - 1);
            painter.drawLine(left, int(top + dh), int(left + dw), int(top + dh));
        }
        if (dx > 2.0f) {
            painter.drawLine(left - 1, top, left - 1, int(dh + top));
            painter.drawLine(int(left + dw), top, int(left + dw), int(top + dh));
        }
        updateScaledPixmap(QSize(int(dw), int(dh)));
        painter.drawPixmap(QPoint(left, top), m_scaled);
    } else {
        m_scaled = QPixmap();
        m_scaledFrom = 0;
    }
    painter.drawText(QPointF(20.0, 20.0), m_message);
}

void ImageView::updateScaledPixmap(QSize size)
{
    // Smooth scaling of a photo-sized result takes tens of milliseconds: a repaint for a
    // message or an uncovered area reuses the last one.
    if (m_scaledFrom == m_image.cacheKey() && m_scaled.size() == size)
        return;
    if (size.isEmpty()) {
        m_scaled = QPixmap();
        return;
    }
    QImage scaled;
    if (size != m_image.size() && m_image.format() == QImage::Format_ARGB32) {
        // Opaque, the same bytes read as RGB32 scale to the same picture several times faster
        // (no premultiplied copy of the whole image first). Results are nearly always opaque:
        // that is checked beside the scaling (at get() when no thread can be started). Scaling
        // to another size makes a picture of its own, so the borrowed bytes are not kept.
        auto opaque = std::async(std::launch::async | std::launch::deferred,
                                 [this] { return isOpaque(m_image); });
        const QImage asRgb32(m_image.constBits(), m_image.width(), m_image.height(),
                             m_image.bytesPerLine(), QImage::Format_RGB32);
        scaled = asRgb32.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!opaque.get())
            scaled = m_image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        scaled = m_image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    m_scaled = QPixmap::fromImage(std::move(scaled));
    m_scaledFrom = m_image.cacheKey();
}

bool ImageView::isDroppablePicture(QUrl const& url)
{
    // Every local file is taken, whatever its name: reading it (even its head, even a look at
    // what it is) would hold the window for good while the mount it lives on stops answering,
    // and its name says nothing the drop does not find out. The drop reads it by its first
    // bytes, refusing a pipe, a device, a folder, a file of no picture or a picture above the cap.
    return url.isLocalFile() && !url.toLocalFile().isEmpty() && !url.toLocalFile().endsWith(QLatin1Char('/'));
}

void ImageView::dragEnterEvent(QDragEnterEvent* event)
{
    QWidget::dragEnterEvent(event);
    m_dropAccepted = false;
    QMimeData const* data = event->mimeData();
    if (data->hasFormat(QStringLiteral("text/uri-list")) && !data->urls().isEmpty()) {
        const QUrl url = data->urls().first();
        if (isDroppablePicture(url)) {
            m_dropPath = url.toLocalFile();
            m_dropIsTemplate = false;
            m_dropAccepted = true;
        }
    }
    if (!m_dropAccepted && data->hasFormat(ItemModelDragData::mimeType())) {
        // An earlier drag's texts must not judge this one.
        m_dragTemplateUuid = ItemModelDragData::lastValue(data, Qt::UserRole + 1);
        m_dragMarker = ItemModelDragData::lastValue(data, Qt::UserRole);
        m_dropIsTemplate = m_dragMarker == QLatin1String("Insert:TemplateObject");
        m_dropAccepted = m_dropIsTemplate;
    }
    event->setAccepted(m_dropAccepted);
}

void ImageView::dragMoveEvent(QDragMoveEvent* event)
{
    QWidget::dragMoveEvent(event);
    event->setAccepted(m_dropAccepted);
}

void ImageView::dropEvent(QDropEvent* event)
{
    QWidget::dropEvent(event);
    bool taken = m_dropAccepted;
    if (m_dropAccepted && !m_dropIsTemplate) {
        // The first read of the file: a name that promised a picture may hold none (or a pipe),
        // and the drag source learns that the drop did not take.
        QString reason;
        const PictureReader::WindowWait wait;
        const QImage loaded = PictureReader::readFile(m_dropPath, QSize(), nullptr, &reason);
        taken = !loaded.isNull();
        if (taken) {
            m_image = loaded;
            m_sourceImage = loaded;
            m_sourcePath = m_dropPath;
            fit();
            update();
        } else {
            // The user says why, after the drop has returned: the drag source is not kept
            // waiting on the box.
            const QString text = PictureFile::notOpenedMessage(m_dropPath, reason);
            QMetaObject::invokeMethod(
                this,
                [this, text] {
                    PlainTextWidgets::showMessage(QMessageBox::Warning, this, QStringLiteral("Vyx-Solenne"), text);
                },
                Qt::QueuedConnection);
        }
    } else if (m_dropAccepted && m_dropIsTemplate) {
        emit insertTemplate(m_dragTemplateUuid);
    }
    event->setAccepted(taken);
}
