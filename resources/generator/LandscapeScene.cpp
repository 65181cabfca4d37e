#include "LandscapeScene.h"

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

// Fixed-seed generator: the pictures must come out the same on every build.
class Lcg
{
public:
    explicit Lcg(std::uint32_t seed) : m_state(seed) {}
    double next() // 0 <= x < 1
    {
        m_state = m_state * 1664525u + 1013904223u;
        return (m_state >> 8) / double(1u << 24);
    }
    double range(double lo, double hi) { return lo + (hi - lo) * next(); }

private:
    std::uint32_t m_state;
};

constexpr double HORIZON = 382.0;

QColor rgba(int r, int g, int b, int a = 255)
{
    return QColor(r, g, b, a);
}

// A ridge line across the whole width: a few sines, so the shape is smooth yet irregular.
QPainterPath ridge(double base, double amplitude, double phase, double bottom)
{
    QPainterPath path(QPointF(0.0, bottom));
    for (int x = 0; x <= 900; x += 6) {
        const double t = x / 900.0;
        const double y = base
            - amplitude * (0.55 * std::sin(t * 9.0 + phase) + 0.3 * std::sin(t * 23.0 + 2.0 * phase)
                           + 0.15 * std::sin(t * 51.0 + 0.5 * phase));
        path.lineTo(x, y);
    }
    path.lineTo(900.0, bottom);
    path.closeSubpath();
    return path;
}

void conifer(QPainter& p, double x, double groundY, double height, QColor const& colour)
{
    const double w = height * 0.42;
    p.setPen(Qt::NoPen);
    p.setBrush(rgba(70, 48, 32));
    p.drawRect(QRectF(x - w * 0.06, groundY - height * 0.12, w * 0.12, height * 0.14));
    for (int tier = 0; tier < 3; ++tier) {
        const double top = groundY - height + tier * height * 0.22;
        const double bottom = groundY - height * 0.1 - (2 - tier) * height * 0.18;
        const double half = w * (0.55 + 0.2 * tier) / 1.4;
        QPainterPath tri(QPointF(x, top));
        tri.lineTo(x + half, bottom);
        tri.lineTo(x - half, bottom);
        tri.closeSubpath();
        QLinearGradient shade(QPointF(x - half, 0), QPointF(x + half, 0));
        shade.setColorAt(0.0, colour.lighter(125));
        shade.setColorAt(1.0, colour.darker(170));
        p.setBrush(shade);
        p.drawPath(tri);
    }
}

void roundTree(QPainter& p, double x, double groundY, double radius, QColor const& colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(rgba(84, 58, 36));
    p.drawRect(QRectF(x - radius * 0.12, groundY - radius * 1.1, radius * 0.24, radius * 1.1));
    QRadialGradient crown(QPointF(x - radius * 0.35, groundY - radius * 2.0), radius * 1.4);
    crown.setColorAt(0.0, colour.lighter(150));
    crown.setColorAt(0.6, colour);
    crown.setColorAt(1.0, colour.darker(150));
    p.setBrush(crown);
    p.drawEllipse(QPointF(x, groundY - radius * 1.7), radius, radius * 0.95);
}

} // namespace

QImage LandscapeScene::render(QSize size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    paint(painter, size);
    painter.end();
    return image;
}

void LandscapeScene::paint(QPainter& painter, QSize size)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.scale(size.width() / WIDTH, size.height() / HEIGHT);
    painter.setClipRect(QRectF(0.0, 0.0, WIDTH, HEIGHT), Qt::IntersectClip);
    paintSky(painter);
    paintSunAndClouds(painter);
    paintBalloon(painter);
    paintMountains(painter);
    paintLake(painter);
    paintHills(painter);
    paintTrees(painter);
    paintMeadow(painter);
    painter.restore();
}

void LandscapeScene::paintSky(QPainter& p)
{
    QLinearGradient sky(QPointF(0, 0), QPointF(0, HORIZON));
    sky.setColorAt(0.0, rgba(14, 22, 66));
    sky.setColorAt(0.33, rgba(72, 62, 138));
    sky.setColorAt(0.62, rgba(196, 108, 138));
    sky.setColorAt(0.84, rgba(244, 160, 98));
    sky.setColorAt(1.0, rgba(255, 216, 150));
    p.fillRect(QRectF(0, 0, WIDTH, HORIZON + 2), sky);

    // Stars fade out towards the warm part of the sky.
    Lcg rng(7);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 70; ++i) {
        const double x = rng.range(0, WIDTH);
        const double y = rng.range(0, 150);
        const int alpha = int(220 * (1.0 - y / 150.0) * rng.range(0.4, 1.0));
        p.setBrush(rgba(255, 250, 235, alpha));
        const double r = rng.range(0.6, 1.5);
        p.drawEllipse(QPointF(x, y), r, r);
    }
}

void LandscapeScene::paintSunAndClouds(QPainter& p)
{
    const QPointF sun(610, 318);
    QRadialGradient glow(sun, 300);
    glow.setColorAt(0.0, rgba(255, 226, 160, 190));
    glow.setColorAt(0.35, rgba(255, 170, 120, 70));
    glow.setColorAt(1.0, rgba(255, 150, 120, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(sun, 300, 300);

    QRadialGradient disc(QPointF(sun.x() - 12, sun.y() - 14), 60);
    disc.setColorAt(0.0, rgba(255, 252, 226));
    disc.setColorAt(0.7, rgba(255, 214, 128));
    disc.setColorAt(1.0, rgba(255, 178, 92));
    p.setBrush(disc);
    p.drawEllipse(sun, 44, 44);

    // Soft clouds: clusters of blurred-looking puffs, lit from below by the sun.
    struct Cloud { double x, y, scale; };
    const Cloud clouds[] = {{120, 90, 1.2}, {430, 60, 0.9}, {760, 120, 1.1}, {330, 200, 0.7},
                            {820, 250, 0.6}};
    Lcg rng(23);
    for (Cloud const& c : clouds) {
        for (int i = 0; i < 7; ++i) {
            const QPointF centre(c.x + rng.range(-70, 70) * c.scale, c.y + rng.range(-12, 12) * c.scale);
            const double rx = rng.range(40, 75) * c.scale;
            const double ry = rx * rng.range(0.35, 0.5);
            QRadialGradient puff(centre, rx);
            puff.setColorAt(0.0, rgba(255, 236, 236, 120));
            puff.setColorAt(0.6, rgba(250, 206, 214, 60));
            puff.setColorAt(1.0, rgba(250, 200, 210, 0));
            p.setBrush(puff);
            p.drawEllipse(centre, rx, ry);
        }
    }

    // A few birds far away.
    QPen bird(rgba(40, 30, 60, 200), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(bird);
    p.setBrush(Qt::NoBrush);
    const QPointF birds[] = {{500, 170}, {525, 182}, {548, 165}, {700, 200}};
    for (QPointF const& b : birds) {
        QPainterPath v(QPointF(b.x() - 9, b.y() - 3));
        v.quadTo(QPointF(b.x() - 4, b.y() - 6), QPointF(b.x(), b.y()));
        v.quadTo(QPointF(b.x() + 4, b.y() - 6), QPointF(b.x() + 9, b.y() - 3));
        p.drawPath(v);
    }
}

void LandscapeScene::paintBalloon(QPainter& p)
{
    const QPointF c(215, 150);
    const double rx = 48, ry = 58;
    QPainterPath envelope;
    envelope.moveTo(c.x(), c.y() + ry * 1.45);
    envelope.cubicTo(QPointF(c.x() - rx * 0.5, c.y() + ry * 1.05), QPointF(c.x() - rx * 1.25, c.y() + ry * 0.5),
                     QPointF(c.x() - rx, c.y() - ry * 0.15));
    envelope.cubicTo(QPointF(c.x() - rx * 0.9, c.y() - ry * 1.2), QPointF(c.x() + rx * 0.9, c.y() - ry * 1.2),
                     QPointF(c.x() + rx, c.y() - ry * 0.15));
    envelope.cubicTo(QPointF(c.x() + rx * 1.25, c.y() + ry * 0.5), QPointF(c.x() + rx * 0.5, c.y() + ry * 1.05),
                     QPointF(c.x(), c.y() + ry * 1.45));

    const QColor stripes[] = {rgba(230, 57, 70), rgba(247, 127, 0), rgba(255, 209, 102),
                              rgba(6, 214, 160), rgba(17, 138, 178), rgba(131, 56, 236)};
    p.save();
    p.setClipPath(envelope, Qt::IntersectClip);
    p.setPen(Qt::NoPen);
    const double left = c.x() - rx * 1.3;
    const double stripeWidth = rx * 2.6 / 6.0;
    for (int i = 0; i < 6; ++i)
        p.fillRect(QRectF(left + i * stripeWidth, c.y() - ry * 1.2, stripeWidth + 0.5, ry * 2.8), stripes[i]);
    QRadialGradient light(QPointF(c.x() - rx * 0.4, c.y() - ry * 0.5), rx * 1.8);
    light.setColorAt(0.0, rgba(255, 255, 255, 90));
    light.setColorAt(0.5, rgba(255, 255, 255, 0));
    light.setColorAt(1.0, rgba(20, 0, 40, 120));
    p.fillRect(QRectF(left, c.y() - ry * 1.2, rx * 2.6, ry * 2.8), light);
    p.restore();

    p.setPen(QPen(rgba(60, 40, 40, 200), 1.2));
    p.drawLine(QPointF(c.x() - 7, c.y() + ry * 1.42), QPointF(c.x() - 6, c.y() + ry * 1.75));
    p.drawLine(QPointF(c.x() + 7, c.y() + ry * 1.42), QPointF(c.x() + 6, c.y() + ry * 1.75));
    p.setPen(Qt::NoPen);
    p.setBrush(rgba(120, 78, 44));
    p.drawRoundedRect(QRectF(c.x() - 8, c.y() + ry * 1.75, 16, 11), 2, 2);
}

void LandscapeScene::paintMountains(QPainter& p)
{
    p.setPen(Qt::NoPen);
    QLinearGradient far(QPointF(0, 220), QPointF(0, HORIZON));
    far.setColorAt(0.0, rgba(132, 112, 182, 235));
    far.setColorAt(1.0, rgba(214, 150, 170, 235));
    p.setBrush(far);
    p.drawPath(ridge(300, 70, 0.8, HORIZON + 2));

    QLinearGradient mid(QPointF(0, 280), QPointF(0, HORIZON));
    mid.setColorAt(0.0, rgba(64, 84, 140));
    mid.setColorAt(1.0, rgba(110, 120, 160));
    p.setBrush(mid);
    p.drawPath(ridge(352, 34, 2.4, HORIZON + 2));
}

void LandscapeScene::paintLake(QPainter& p)
{
    const double bottom = 545; // runs under the hills, so no gap shows between them
    QLinearGradient water(QPointF(0, HORIZON), QPointF(0, bottom));
    water.setColorAt(0.0, rgba(242, 178, 132));
    water.setColorAt(0.3, rgba(170, 120, 150));
    water.setColorAt(1.0, rgba(40, 58, 108));
    p.fillRect(QRectF(0, HORIZON, WIDTH, bottom - HORIZON), water);

    // The ridge mirrored in the water, faint.
    p.save();
    p.translate(0, 2 * HORIZON);
    p.scale(1, -1);
    p.setPen(Qt::NoPen);
    p.setBrush(rgba(64, 84, 140, 70));
    p.drawPath(ridge(352, 34, 2.4, HORIZON + 2));
    p.restore();

    // The sun's path on the water and ripples across it.
    Lcg rng(41);
    for (int i = 0; i < 46; ++i) {
        const double y = HORIZON + 4 + i * 2.3;
        const double half = 8 + i * 1.3 + rng.range(0, 14);
        const double x = 610 + rng.range(-10, 10);
        const int alpha = int(235 - i * 4);
        p.setPen(QPen(rgba(255, 228, 170, alpha), 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(x - half, y), QPointF(x + half * rng.range(0.4, 1.0), y));
    }
    for (int i = 0; i < 60; ++i) {
        const double y = rng.range(HORIZON + 6, bottom);
        const double x = rng.range(0, WIDTH);
        const double len = rng.range(12, 40);
        p.setPen(QPen(rgba(255, 255, 255, int(rng.range(25, 70))), 1.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(x, y), QPointF(x + len, y));
    }
}

void LandscapeScene::paintHills(QPainter& p)
{
    p.setPen(Qt::NoPen);

    QPainterPath right(QPointF(330, 600));
    right.cubicTo(QPointF(420, 470), QPointF(560, 430), QPointF(700, 432));
    right.cubicTo(QPointF(790, 434), QPointF(860, 420), QPointF(900, 410));
    right.lineTo(900, 600);
    right.closeSubpath();
    QLinearGradient rightFill(QPointF(0, 410), QPointF(0, 560));
    rightFill.setColorAt(0.0, rgba(92, 156, 70));
    rightFill.setColorAt(1.0, rgba(38, 96, 48));
    p.setBrush(rightFill);
    p.drawPath(right);

    QPainterPath left(QPointF(0, 430));
    left.cubicTo(QPointF(120, 410), QPointF(260, 440), QPointF(380, 490));
    left.cubicTo(QPointF(450, 520), QPointF(500, 560), QPointF(520, 600));
    left.lineTo(0, 600);
    left.closeSubpath();
    QLinearGradient leftFill(QPointF(0, 420), QPointF(0, 580));
    leftFill.setColorAt(0.0, rgba(70, 138, 84));
    leftFill.setColorAt(1.0, rgba(26, 78, 52));
    p.setBrush(leftFill);
    p.drawPath(left);

    QPainterPath meadow(QPointF(0, 540));
    meadow.cubicTo(QPointF(200, 505), QPointF(520, 520), QPointF(900, 492));
    meadow.lineTo(900, 600);
    meadow.lineTo(0, 600);
    meadow.closeSubpath();
    QLinearGradient meadowFill(QPointF(0, 495), QPointF(0, 600));
    meadowFill.setColorAt(0.0, rgba(168, 204, 84));
    meadowFill.setColorAt(1.0, rgba(72, 132, 48));
    p.setBrush(meadowFill);
    p.drawPath(meadow);
}

void LandscapeScene::paintTrees(QPainter& p)
{
    struct Tree { double x, ground, size; bool round; };
    const Tree trees[] = {
        {40, 440, 90, false},  {78, 436, 70, false},  {118, 438, 104, false}, {170, 446, 64, false},
        {250, 462, 26, true},  {300, 478, 20, true},  {660, 446, 24, true},   {735, 444, 80, false},
        {772, 440, 60, false}, {812, 434, 96, false}, {860, 428, 74, false},  {205, 452, 28, true},
    };
    for (Tree const& t : trees) {
        if (t.round)
            roundTree(p, t.x, t.ground, t.size, rgba(48, 128, 60));
        else
            conifer(p, t.x, t.ground, t.size, rgba(30, 84, 54));
    }
}

void LandscapeScene::paintMeadow(QPainter& p)
{
    Lcg rng(97);
    // Grass: fine slanted strokes, denser and larger towards the viewer.
    for (int i = 0; i < 900; ++i) {
        const double x = rng.range(0, WIDTH);
        const double depth = rng.next();
        const double y = 520 + depth * 80 + rng.range(-6, 6);
        const double len = 5 + depth * 16;
        const int g = int(rng.range(110, 190));
        p.setPen(QPen(rgba(int(g * 0.45), g, int(g * 0.3), 220), 0.8 + depth, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(x, y), QPointF(x + rng.range(-4, 4), y - len));
    }

    const QColor petals[] = {rgba(230, 57, 70), rgba(214, 51, 108), rgba(255, 209, 102),
                             rgba(247, 127, 0),  rgba(77, 150, 255), rgba(248, 249, 250),
                             rgba(155, 93, 229)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 150; ++i) {
        const double depth = rng.next();
        const double x = rng.range(0, WIDTH);
        const double y = 524 + depth * 72;
        const double r = 1.6 + depth * 4.2;
        QColor const& colour = petals[int(rng.range(0, 7)) % 7];
        for (int k = 0; k < 5; ++k) {
            const double a = k * 2.0 * std::numbers::pi / 5.0 + depth;
            p.setBrush(colour);
            p.drawEllipse(QPointF(x + std::cos(a) * r, y + std::sin(a) * r * 0.8), r * 0.7, r * 0.6);
        }
        p.setBrush(rgba(255, 230, 120));
        p.drawEllipse(QPointF(x, y), r * 0.45, r * 0.45);
    }
}
