// Build-time tool: paints the pictures of the resources folder that are not icons.
//   vyx_picture_generator <folder>
// writes <folder>/preview_big.png (the default source image), <folder>/preview.png (the sample
// picture template icons are rendered from) and <folder>/splash.png.
#include "LandscapeScene.h"

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

QImage splash()
{
    const QSize size(520, 320);
    const QRectF frame(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent); // rounded corners show the desktop

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath outline;
    outline.addRoundedRect(frame, 14, 14);
    p.setClipPath(outline);
    LandscapeScene::paint(p, size);

    // A neutral band for the name, so the text never sits on the busy picture.
    const QRectF band(0, 222, size.width(), size.height() - 222);
    QLinearGradient shade(band.topLeft(), band.bottomLeft());
    shade.setColorAt(0.0, QColor(26, 26, 26, 205));
    shade.setColorAt(1.0, QColor(20, 20, 20, 235));
    p.fillRect(band, shade);
    p.fillRect(QRectF(0, 222, size.width(), 1), QColor(255, 255, 255, 40));

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(34);
    title.setWeight(QFont::Bold);
    p.setFont(title);
    p.setPen(QColor(236, 236, 236));
    p.drawText(QRectF(28, 232, 460, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vyx-Solenne"));

    QFont subtitle(QStringLiteral("DejaVu Sans"));
    subtitle.setPixelSize(14);
    p.setFont(subtitle);
    p.setPen(QColor(184, 184, 184));
    p.drawText(QRectF(30, 276, 460, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Image effects, node by node"));

    p.setClipping(false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(90, 90, 90), 1.0));
    p.drawPath(outline);
    p.end();
    return image;
}

bool save(QImage const& image, QString const& path)
{
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "vyx_picture_generator: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv); // fonts need it
    if (argc != 2) {
        std::fprintf(stderr, "usage: vyx_picture_generator <output folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "vyx_picture_generator: cannot make %s\n", argv[1]);
        return 1;
    }

    bool ok = save(LandscapeScene::render(QSize(960, 640)), folder.filePath(QStringLiteral("preview_big.png")));
    // Template icons are this picture with the template's effect applied, at this size.
    ok = save(LandscapeScene::render(QSize(150, 100)), folder.filePath(QStringLiteral("preview.png"))) && ok;
    ok = save(splash(), folder.filePath(QStringLiteral("splash.png"))) && ok;
    return ok ? 0 : 1;
}
