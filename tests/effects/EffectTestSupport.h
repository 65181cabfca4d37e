#pragma once

// Shared helpers of the effect tests: small images, a root graph with nodes between its source
// and destination, rendering, pixel access, a counting/cancelling status observer and a debug
// message capture.
//
//   EffectHarness h(makeGradientImage(4, 3));
//   auto* node = h.add<NodeGrayscale>();          // created, added to the root graph
//   h.chain(node, "rgb", "out3d");                // source.rgb -> node.rgb, node.out3d -> dest.rgb
//   ASSERT_EQ(h.render(), 0);
//   EXPECT_EQ(h.pixel(1, 2), 0xFF......u);

#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNode.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Terminal.h"
#include "params/StatusObserver.h"

#include <QImage>
#include <QList>
#include <QMutex>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

namespace EffectTest {

// A w x h image of one colour (0xAARRGGBB).
inline QImage makeImage(int w, int h, unsigned int argb = 0xFF808080u,
                        QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(w, h, format);
    image.fill(argb);
    return image;
}

// Every pixel different: red = 16 x, green = 16 y, blue = x + y (ARGB32, opaque unless alpha
// is given, then alpha = alpha(x, y)).
inline unsigned int gradientPixel(int x, int y)
{
    return 0xFF000000u | (unsigned((x * 16) & 0xFF) << 16) | (unsigned((y * 16) & 0xFF) << 8)
           | unsigned((x + y) & 0xFF);
}

inline QImage makeGradientImage(int w, int h, QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(w, h, format);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, gradientPixel(x, y));
    }
    return image;
}

// Status observer that counts every call, records the progress fractions and can cancel: before
// the row `cancelAtRow` (0-based; -1 never) or on every question when `cancelNow` is set.
class CountingObserver : public KelUtils::StatusObserver
{
public:
    void started() override { ++startedCalls; }
    void statusChanged(QString const&) override { ++statusCalls; }
    void operationStarted(double w) override
    {
        ++operationCalls;
        weight = w;
    }
    void completePercentChanged(double a, double b) override
    {
        fractions.append(a);
        secondFractions.append(b);
    }
    void completed() override { ++completedCalls; }
    bool cancelationRequested() override
    {
        ++cancelQuestions;
        if (cancelNow)
            return true;
        return cancelAtRow >= 0 && operationCalls > 0 && fractions.size() >= cancelAtRow;
    }

    int startedCalls = 0;
    int statusCalls = 0;
    int operationCalls = 0;
    int completedCalls = 0;
    int cancelQuestions = 0;
    double weight = 0.0;
    QList<double> fractions;
    QList<double> secondFractions;
    int cancelAtRow = -1;
    std::atomic<bool> cancelNow{false};
};

// Captures debug output (qDebug/qWarning text) while alive.
class MessageCapture
{
public:
    MessageCapture()
    {
        instance() = this;
        m_previous = qInstallMessageHandler(&MessageCapture::handler);
    }
    ~MessageCapture()
    {
        qInstallMessageHandler(m_previous);
        instance() = nullptr;
    }
    MessageCapture(MessageCapture const&) = delete;
    MessageCapture& operator=(MessageCapture const&) = delete;

    QStringList messages() const
    {
        QMutexLocker locker(&m_lock);
        return m_messages;
    }
    bool contains(QString const& text) const
    {
        for (QString const& m : messages()) {
            if (m.contains(text))
                return true;
        }
        return false;
    }
    void clear()
    {
        QMutexLocker locker(&m_lock);
        m_messages.clear();
    }

private:
    static MessageCapture*& instance()
    {
        static MessageCapture* current = nullptr;
        return current;
    }
    static void handler(QtMsgType, QMessageLogContext const&, QString const& message)
    {
        if (MessageCapture* self = instance()) {
            QMutexLocker locker(&self->m_lock);
            self->m_messages.append(message);
        }
    }

    QtMessageHandler m_previous = nullptr;
    mutable QMutex m_lock;
    QStringList m_messages;
};

// A root graph bound to an image it owns, with its source and destination nodes made.
class EffectHarness
{
public:
    explicit EffectHarness(QImage image = makeGradientImage(4, 3))
        : m_image(std::move(image))
        , m_graph(std::make_unique<KelVyxNodes::VyxNodeGraph>())
    {
        m_graph->setUp(&m_image);
    }

    KelVyxNodes::VyxNodeGraph* graph() const { return m_graph.get(); }
    KelVyxNodes::NodeOriginalImage* source() const { return m_graph->sourceNode(); }
    KelVyxNodes::NodeFilteredImage* destination() const { return m_graph->destinationNode(); }
    QImage& image() { return m_image; }

    // A node of type N made with the next uid and added to `into` (default: the root).
    template<class N>
    N* add(KelNodes::NodeGraph* into = nullptr)
    {
        auto* node = new N(-1);
        (into ? into : m_graph.get())->addNode(node, -1);
        return node;
    }

    // Links terminal `from` of `a` to terminal `to` of `b`; the connect result.
    static int link(KelNodes::Node* a, QString const& from, KelNodes::Node* b, QString const& to)
    {
        return a->connect(from, b, to);
    }
    // source.rgb -> node.in, node.out -> destination.rgb (replacing the direct link).
    void chain(KelNodes::Node* node, QString const& in, QString const& out)
    {
        if (!in.isEmpty())
            link(source(), QStringLiteral("rgb"), node, in);
        link(node, out, destination(), QStringLiteral("rgb"));
    }
    // node.out -> destination.rgb only (generators).
    void output(KelNodes::Node* node, QString const& out) { link(node, out, destination(), QStringLiteral("rgb")); }
    void outputAlpha(KelNodes::Node* node, QString const& out)
    {
        link(node, out, destination(), QStringLiteral("alpha"));
    }

    // Re-binds the (possibly changed) image and renders; the filter result.
    int render(KelUtils::StatusObserver* observer = nullptr)
    {
        if (m_graph->setUp(&m_image) < 0)
            return -1;
        return m_graph->filter(observer);
    }
    QImage const& result() const { return m_graph->resultImage(); }
    unsigned int pixel(int x, int y) const { return result().pixel(x, y); }
    unsigned int rgb(int x, int y) const { return pixel(x, y) & 0xFFFFFFu; }

private:
    QImage m_image;
    std::unique_ptr<KelVyxNodes::VyxNodeGraph> m_graph;
};

// A colour source returning a fixed value or a function of the point, for feeding nodes
// directly without a graph.
class FixedColour : public KelVyxNodes::Base3DGenerator
{
public:
    explicit FixedColour(unsigned int value) : m_value(value) {}
    unsigned int getSample3(QPoint const&) const override { return m_value; }
    unsigned int m_value;
};

class FixedChannel : public KelVyxNodes::Base1DGenerator
{
public:
    explicit FixedChannel(unsigned int value) : m_value(value) {}
    unsigned int getSample(QPoint const&) const override { return m_value; }
    unsigned int m_value;
};

} // namespace EffectTest
