#pragma once

#include "EffectTestSupport.h"

#include <QImage>
#include <QRect>
#include <QStringList>

#include <memory>

namespace KelNodes {
class Node;
class Terminal;
struct NodeDescriptor;
}

namespace KelVyxTest {

// One node of a given type rendered in a root graph: source -> node -> destination, linked as
// far as the node's terminals allow, with its settings at defaults or at their extremes. Used to
// sweep every registered node type (and plug-in types) for crashes, out-of-range samples and
// renders that are not repeatable.
class NodeSweep
{
public:
    // How the node's inputs are fed: colour inputs from the source's colour, one-channel inputs
    // from the channels of a split of it, preferring colour or one channel where an input takes
    // both; or nothing.
    enum class Wiring { Colour, Channel, Unlinked };
    // Every numeric setting at its minimum / maximum, lists at their first / last item, colours
    // black and transparent / far over-bright.
    enum class Settings { Defaults, Minimum, Maximum };

    NodeSweep(KelNodes::NodeDescriptor const* type, Wiring wiring, Settings settings,
              QImage image = testImage());
    ~NodeSweep();

    NodeSweep(NodeSweep const&) = delete;
    NodeSweep& operator=(NodeSweep const&) = delete;

    // 7 x 5 ARGB32 with every channel varied, 0 and 255 among the values.
    static QImage testImage();
    // A bigger picture of the same kind, with rows enough for several render threads.
    static QImage largeTestImage(int width, int height);
    static QString describe(Wiring wiring, Settings settings);

    KelVyxNodes::VyxNodeGraph& graph() { return *m_harness.graph(); }
    KelNodes::Node* node() const { return m_node; }
    // Whether some output of the node feeds the destination (directly or through a join).
    bool outputLinked() const;

    // setUp + filter; the filter result (0 or -1).
    int render(unsigned char const* mask = nullptr, QRect const* rect = nullptr);
    QImage const& result() const { return m_harness.result(); }

    // What the node yields outside a render (as the editor's previews read it): colour samples
    // with a non-zero top byte, one-channel samples above 255, non-finite float settings, a
    // failing preview. Empty when all is well.
    QStringList checkOutputs() const;

    // Sets every setting of `node` as `settings` says.
    static void applySettings(KelNodes::Node* node, Settings settings);

private:
    void link(Wiring wiring);
    // The one-channel output to feed the index-th one-channel input from.
    KelNodes::Terminal* channelFeed(int index);
    void linkChannels(QList<KelNodes::Terminal*> const& outputs);
    bool connect(KelNodes::Terminal* output, KelNodes::Terminal* input);

    EffectTest::EffectHarness m_harness;
    KelNodes::Node* m_node = nullptr;
    KelNodes::Node* m_split = nullptr;
    KelNodes::Node* m_join = nullptr;
};

} // namespace KelVyxTest
