#pragma once

#include <QRect>
#include <QRegion>

#include <vector>

class QIODevice;

// Where the frames of an animated WebP file lie, read from the file's chunk headers alone. The
// image library's reader decodes the first frame into a canvas it never clears and draws each
// later frame that has alpha over what lies beneath, so only the part of the canvas covered
// here holds the file's pixels; the rest must be cleared after every read.
class WebpFrameCover
{
public:
    // The frames of the file; none for a still picture or what is not WebP.
    static WebpFrameCover read(QIODevice& file);

    bool isAnimation() const { return m_animation; }
    // The part of `canvas` the file defines once image `index` (0 the first) has been composed.
    QRegion covered(QRect const& canvas, int index) const;

private:
    struct Frame {
        QRect rect;
        // Drawn over the image beneath, which shows through wherever the frame is not opaque.
        bool overlays = true;
    };

    bool m_animation = false;
    std::vector<Frame> m_frames;
    // The last answer, which the next image's builds on: images are mostly read in order.
    mutable QRect m_memoCanvas;
    mutable int m_memoIndex = -1;
    mutable QRegion m_memo;
};
