#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QUrl>
#include <QWidget>

// The central view of the filtered result: the image fitted into the widget (never enlarged),
// centred on a dark background with a thin frame, and a one-line message over it. Accepts a
// dropped image file (shown until the next result) and a dropped template, which it announces.
class ImageView : public QWidget
{
    Q_OBJECT

public:
    explicit ImageView(QWidget* parent = nullptr);

    // A file that does not load changes nothing.
    void setSourceImage(QString const& path);
    void setMessage(QString const& text);
    // A copy of *image (null: no image); clears the message.
    void setImage(QImage* image);

    QImage const& image() const { return m_image; }
    QString const& message() const { return m_message; }
    QString const& sourcePath() const { return m_sourcePath; }
    // Where the image is painted, in widget coordinates (empty without an image).
    QRect displayRect() const;
    // The image as painted: scaled once per image and displayed size, by the first paint that
    // needs it (null before).
    QPixmap const& scaledPixmap() const { return m_scaled; }

    // Whether a file another program drags in is taken on hover: every local file, judged
    // without reading it; the drop reads it and decides.
    static bool isDroppablePicture(QUrl const& url);

signals:
    void insertTemplate(QString uuid);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void fit();
    void updateScaledPixmap(QSize size);
    void sendStatusTip(QString const& text);

    QString m_sourcePath;
    QImage m_image;
    QImage m_sourceImage;
    QPixmap m_scaled;
    qint64 m_scaledFrom = 0; // cacheKey() of the image m_scaled was made from
    float m_widgetWidth = 0.0f;
    float m_widgetHeight = 0.0f;
    float m_displayWidth = 0.0f;
    float m_displayHeight = 0.0f;
    QString m_dropPath;
    QString m_dragMarker;
    QString m_dragTemplateUuid;
    QString m_message;
    bool m_dropAccepted = false;
    bool m_dropIsTemplate = false;
};
