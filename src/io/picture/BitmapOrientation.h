#pragma once

#include "io/picture/ImageLibrary.h"

#include <QRect>
#include <QSize>

// Pictures stored turned or mirrored, as cameras and phones store them, and the orientation that
// tells how to show them upright (numbered as in EXIF: 1 upright, 2 to 8 mirrored or turned).
class BitmapOrientation
{
public:
    // The orientation, 1 for anything outside 1 to 8.
    static int of(int tag);
    // Whether showing the picture upright swaps its width and height.
    static bool swapsSides(int orientation);
    static QSize upright(QSize stored, int orientation);
    // Where a stored rectangle of a canvas of `canvas` (as stored) lies on the upright canvas.
    static QRect upright(QRect const& stored, QSize canvas, int orientation);
    // A new bitmap (the caller frees it) of the picture upright; null when there is no memory for
    // it. Only layouts of whole bytes a pixel are turned; another comes as a copy as it is.
    static ImageLibrary::Bitmap* upright(ImageLibrary::Bitmap const& stored, int orientation);
};
