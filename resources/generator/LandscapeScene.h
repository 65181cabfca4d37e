#pragma once

#include <QImage>
#include <QSize>

class QPainter;

// A soft, colourful evening landscape: gradient sky with a sun and a balloon, layered hills,
// a lake with reflections, trees and a meadow of flowers and grass. Broad gradients, saturated
// small shapes and fine strokes side by side, so that every kind of effect has something to
// work on. The picture is the same at every size (drawn in fixed logical units and scaled), and
// it is deterministic: no clock, no system random numbers.
class LandscapeScene
{
public:
    // Logical canvas; every size keeps its 3:2 shape.
    static constexpr double WIDTH = 900.0;
    static constexpr double HEIGHT = 600.0;

    static QImage render(QSize size);
    // Paints the scene filling `size` (device pixels) on a painter already set up.
    static void paint(QPainter& painter, QSize size);

private:
    static void paintSky(QPainter& p);
    static void paintSunAndClouds(QPainter& p);
    static void paintBalloon(QPainter& p);
    static void paintMountains(QPainter& p);
    static void paintLake(QPainter& p);
    static void paintHills(QPainter& p);
    static void paintTrees(QPainter& p);
    static void paintMeadow(QPainter& p);
};
