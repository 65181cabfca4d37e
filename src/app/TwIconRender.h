#pragma once

#include <QSize>

class QImage;
class KelTemplate;
class TwCore;

// Renders template icons: the template's effect graph applied to the style's "preview" picture,
// synchronously on the calling (GUI) thread. Made for a batch of icons and destroyed afterwards.
//
// A graph that the core's render thread may be rendering (the core's current graph, a graph
// inside it, or one that contains it) is never filtered beside it: the render is cancelled
// before and restarted after. Any other graph is rendered while the render thread runs.
class TwIconRender
{
public:
    // size: the icon size the caller asks for (the store passes 45 x 30); the rendered icon has
    // the sample picture's own size. core may be null (no render thread to keep clear of).
    explicit TwIconRender(QSize size, TwCore* core = nullptr);
    ~TwIconRender();

    TwIconRender(TwIconRender const&) = delete;
    TwIconRender& operator=(TwIconRender const&) = delete;

    // Filters the template's object-instance graph on the sample picture; with storeIcon, a
    // successful result becomes the template's object icon (and its PNG file). Afterwards the
    // graph is set up and filtered again with the source it had before. A template without object
    // instance is left alone. Returns the sample picture (owned by the renderer).
    QImage* renderIconFor(KelTemplate* objectTemplate, bool storeIcon);

    QImage* sampleImage() const { return m_sampleImage; }
    QSize iconSize() const { return m_iconSize; }

private:
    QImage* m_sampleImage = nullptr;
    QSize m_iconSize;
    TwCore* m_core = nullptr;
};
