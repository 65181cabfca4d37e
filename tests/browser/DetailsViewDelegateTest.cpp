// The details list's Type column is cut at its end with "…" when the column is narrower than the
// text, as the other columns are, and never drawn outside its cell.

#include "browser/DetailsViewDelegate.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QPaintEngine>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyle>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

// Records the texts drawn on it and where.
class TextRecorder : public QPaintDevice
{
public:
    struct Drawn {
        QString text;
        QPointF at;
        QFont font;
    };

    QList<Drawn> drawn;

    QPaintEngine* paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return 1000;
        case PdmHeight:
            return 100;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 1000;
        }
    }

private:
    class Engine : public QPaintEngine
    {
    public:
        explicit Engine(TextRecorder* device) : QPaintEngine(AllFeatures), m_device(device) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(QPaintEngineState const&) override {}
        void drawPixmap(QRectF const&, QPixmap const&, QRectF const&) override {}
        void drawPolygon(QPointF const*, int, PolygonDrawMode) override {}
        void drawTextItem(QPointF const& p, QTextItem const& item) override
        {
            m_device->drawn.append({item.text(), painter()->transform().map(p), item.font()});
        }
        Type type() const override { return User; }

    private:
        TextRecorder* m_device;
    };

    mutable Engine m_engine{this};
};

TEST(DetailsViewDelegate, TypeTextIsCutAtItsEndWithinItsCell)
{
    QTreeView view;
    QStandardItemModel model(1, 3);
    view.setModel(&model);
    DetailsViewDelegate delegate;
    const int margin = QApplication::style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;

    // Type texts as the toolkit names files, short and long, over widths from a few pixels to
    // wider than any of them.
    QStringList texts{QStringLiteral("Photoshop image"), QStringLiteral("Windows BMP image"), QStringLiteral("x")};
    const QList<QMimeType> types = QMimeDatabase().allMimeTypes();
    for (qsizetype i = 0; i < types.size(); i += qMax<qsizetype>(1, types.size() / 40))
        texts << types.at(i).comment();
    int cut = 0;
    for (QString const& text : std::as_const(texts)) {
        model.setData(model.index(0, 1), text);
        for (int width = 8; width <= 400; width += 23) {
            SCOPED_TRACE(text.toStdString() + " in " + std::to_string(width));
            QStyleOptionViewItem option;
            option.initFrom(&view);
            option.rect = QRect(300, 10, width, 20);
            TextRecorder device;
            {
                QPainter painter(&device);
                painter.setFont(view.font());
                delegate.paint(&painter, option, model.index(0, 1));
            }
            const QFontMetrics metrics(view.font());
            const QString expected = metrics.elidedText(text, Qt::ElideRight, width - 2 * margin);
            QString drawn;
            qreal left = option.rect.right();
            for (TextRecorder::Drawn const& d : std::as_const(device.drawn)) {
                drawn += d.text;
                left = qMin(left, d.at.x());
            }
            EXPECT_EQ(drawn, expected);
            // Nothing narrower can stand for a text that does not fit even cut ("x" in a sliver).
            if (drawn.isEmpty() || metrics.horizontalAdvance(drawn) > width - 2 * margin)
                continue;
            // Centring may put the text a fraction of a pixel off, on either side.
            EXPECT_GE(left, option.rect.left() + margin - 1);
            EXPECT_LE(left + metrics.horizontalAdvance(drawn), option.rect.left() + width - margin + 1);
            if (drawn != text) {
                ++cut;
                EXPECT_TRUE(drawn.endsWith(QChar(0x2026)));
                EXPECT_TRUE(text.startsWith(drawn.chopped(1)));
            }
        }
    }
    EXPECT_GT(cut, 20);
}

} // namespace
