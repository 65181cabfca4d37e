#include "DeepGraphs.h"

#include "effects/GeneratorLookup.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/RenderStages.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/LinkBatch.h"
#include "nodes/Node.h"
#include "nodes/Terminal.h"
#include "params/ParameterContainer.h"

#include <QPoint>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace EffectTest {

using KelNodes::Node;
using KelVyxNodes::VyxNodeGraph;

char const* shapeName(Shape shape)
{
    switch (shape) {
    case Shape::Chain:
        return "chain";
    case Shape::Stack:
        return "stack";
    case Shape::Nest:
        return "nest";
    }
    return "?";
}

namespace {

// The most bytes a figure such as "6.2 GB" stands for, and the least.
bool figureBounds(QString const& number, QString const& unit, double& most, double& least)
{
    bool ok = false;
    const double value = number.toDouble(&ok);
    const QStringList units{QStringLiteral("bytes"), QStringLiteral("kB"), QStringLiteral("MB"), QStringLiteral("GB"),
                            QStringLiteral("TB")};
    const int index = int(units.indexOf(unit));
    if (!ok || index < 0)
        return false;
    const double scale = std::pow(1000.0, index);
    const double rounding = index == 0 ? 0.0 : 0.05;
    most = (value + rounding) * scale;
    least = (value - rounding) * scale;
    return true;
}

} // namespace

BudgetScope::BudgetScope(std::size_t bytes)
{
    KelVyxNodes::RenderStages::setBudgetBytesForTests(bytes);
}

BudgetScope::~BudgetScope()
{
    KelVyxNodes::RenderStages::setBudgetBytesForTests(KelVyxNodes::RenderStages::kMachineBudget);
}

bool isMemoryRefusal(QString const& reason, QSize size, std::size_t* needs)
{
    static const QRegularExpression form(QStringLiteral(
        "^this effect graph needs ([0-9.]+) (bytes|kB|MB|GB|TB) of picture memory on a (\\d+) \u00d7 (\\d+) picture; "
        "([0-9.]+) (bytes|kB|MB|GB|TB) may be used$"));
    const QRegularExpressionMatch match = form.match(reason);
    if (!match.hasMatch() || match.captured(3).toInt() != size.width() || match.captured(4).toInt() != size.height())
        return false;
    double needMost = 0, needLeast = 0, mayMost = 0, mayLeast = 0;
    if (!figureBounds(match.captured(1), match.captured(2), needMost, needLeast)
        || !figureBounds(match.captured(5), match.captured(6), mayMost, mayLeast))
        return false;
    if (needs)
        *needs = std::size_t(needMost);
    return needMost > mayLeast;
}

std::optional<Passage> passageOf(QString const& typeId)
{
    VyxNodeGraph graph;
    Node* node = graph.addNode(typeId, -1);
    if (!node)
        return std::nullopt;
    for (unsigned int kind : {4u, 2u}) {
        QString in;
        QString out;
        for (int i = 0; i < node->numTerminals(); ++i) {
            KelNodes::Terminal const* terminal = node->terminal(i);
            if (!terminal)
                continue;
            if (in.isEmpty() && (terminal->inputMask() & kind))
                in = terminal->name();
            if (out.isEmpty() && (terminal->outputMask() & kind))
                out = terminal->name();
        }
        if (!in.isEmpty() && !out.isEmpty())
            return Passage{in, out, kind};
    }
    return std::nullopt;
}

namespace {

// A colour output and a one-channel output, each of its own node (the channel's is `node`
// when `channelNode` is null).
struct DeepPort
{
    Node* node;
    QString colour;
    QString channel;
    Node* channelNode = nullptr;

    Node* channelOwner() const { return channelNode ? channelNode : node; }
};

DeepPort sourcePort(VyxNodeGraph* graph)
{
    return {graph->sourceNode(), QStringLiteral("rgb"), QStringLiteral("alpha")};
}

} // namespace

bool buildDeep(VyxNodeGraph* root, QImage const* image, QString const& typeId, Passage const& passage, Shape shape,
               int depth, Between const& between, int blendMode, int opacity)
{
    return buildDeep(root, image, std::vector<LevelNode>{LevelNode{typeId, passage}}, shape, depth, between, blendMode,
                     opacity);
}

bool buildDeep(VyxNodeGraph* root, QImage const* image, std::vector<LevelNode> const& types, Shape shape, int depth,
               Between const& between, int blendMode, int opacity)
{
    if (types.empty())
        return false;
    const bool colour = types.front().passage.kind == 4u;
    KelNodes::LinkBatch links;
    // Feeds `port` through a `between` node when there is one.
    auto through = [&](VyxNodeGraph* graph, DeepPort port) {
        if (!between || !colour)
            return port;
        Node* pass = between(graph);
        links.add(port.node, port.colour, pass, QStringLiteral("in"));
        return DeepPort{pass, QStringLiteral("out"), port.channel, port.channelOwner()};
    };
    // A node of each type reading `port` in turn; its output port (the other kind passes by).
    auto level = [&](VyxNodeGraph* graph, DeepPort port) -> std::optional<DeepPort> {
        for (LevelNode const& type : types) {
            Node* node = graph->addNode(type.typeId, -1);
            if (!node)
                return std::nullopt;
            if (type.configure)
                type.configure(node);
            if (colour)
                links.add(port.node, port.colour, node, type.passage.in);
            else
                links.add(port.channelOwner(), port.channel, node, type.passage.in);
            if (colour)
                port = DeepPort{node, type.passage.out, port.channel, port.channelOwner()};
            else
                port = DeepPort{port.node, port.colour, type.passage.out, node};
        }
        return port;
    };
    auto finish = [&](VyxNodeGraph* graph, DeepPort port) {
        Node* destination = graph->destinationNode();
        destination->getTerminal(QStringLiteral("rgb"))->disconnectAll();
        destination->getTerminal(QStringLiteral("alpha"))->disconnectAll();
        links.add(port.node, port.colour, destination, QStringLiteral("rgb"));
        links.add(port.channelOwner(), port.channel, destination, QStringLiteral("alpha"));
    };
    auto effectIn = [&](VyxNodeGraph* graph, DeepPort port) -> VyxNodeGraph* {
        VyxNodeGraph* effect = graph->addSubGraph(-1);
        if (!effect || effect->setUp(image) != 0)
            return nullptr;
        KelUtils::ParameterContainer* settings = effect->paramContainer();
        settings->setListParam(QStringLiteral("blendMode"), blendMode);
        settings->setIntParam(QStringLiteral("opacity"), opacity);
        links.add(port.node, port.colour, effect, QStringLiteral("rgbIn"));
        links.add(port.channelOwner(), port.channel, effect, QStringLiteral("alphaIn"));
        return effect;
    };

    DeepPort port = sourcePort(root);
    switch (shape) {
    case Shape::Chain:
        for (int i = 0; i < depth; ++i) {
            std::optional<DeepPort> next = level(root, through(root, port));
            if (!next)
                return false;
            port = *next;
        }
        finish(root, through(root, port));
        break;
    case Shape::Stack:
        for (int i = 0; i < depth; ++i) {
            VyxNodeGraph* effect = effectIn(root, through(root, port));
            if (!effect)
                return false;
            std::optional<DeepPort> inner = level(effect, sourcePort(effect));
            if (!inner)
                return false;
            finish(effect, *inner);
            port = DeepPort{effect, QStringLiteral("rgbOut"), QStringLiteral("alphaOut")};
        }
        finish(root, through(root, port));
        break;
    case Shape::Nest: {
        VyxNodeGraph* graph = root;
        for (int i = 0; i < depth; ++i) {
            std::optional<DeepPort> next = level(graph, through(graph, port));
            if (!next)
                return false;
            if (i + 1 == depth) {
                finish(graph, through(graph, *next));
                break;
            }
            VyxNodeGraph* effect = effectIn(graph, *next);
            if (!effect)
                return false;
            finish(graph, DeepPort{effect, QStringLiteral("rgbOut"), QStringLiteral("alphaOut")});
            graph = effect;
            port = sourcePort(effect);
        }
        break;
    }
    }
    const int wanted = links.size();
    return links.connectAll() == wanted;
}

bool buildTwoKindStack(VyxNodeGraph* root, QImage const* image, int depth, Between const& between,
                       Between const& channelBetween, int blendMode, int opacity)
{
    KelNodes::LinkBatch links;
    // The colour and the alpha each come from their own node.
    DeepPort colourPort = sourcePort(root);
    DeepPort channelPort = colourPort;
    auto through = [&](DeepPort p) {
        if (!between)
            return p;
        Node* pass = between(root);
        links.add(p.node, p.colour, pass, QStringLiteral("in"));
        return DeepPort{pass, QStringLiteral("out"), QString()};
    };
    auto throughChannel = [&](DeepPort p) {
        if (!channelBetween)
            return p;
        Node* pass = channelBetween(root);
        links.add(p.node, p.channel, pass, QStringLiteral("in"));
        return DeepPort{pass, QString(), QStringLiteral("out")};
    };
    auto finish = [&](VyxNodeGraph* graph, DeepPort colour, DeepPort channel) {
        Node* destination = graph->destinationNode();
        destination->getTerminal(QStringLiteral("rgb"))->disconnectAll();
        destination->getTerminal(QStringLiteral("alpha"))->disconnectAll();
        links.add(colour.node, colour.colour, destination, QStringLiteral("rgb"));
        links.add(channel.node, channel.channel, destination, QStringLiteral("alpha"));
    };
    for (int i = 0; i < depth; ++i) {
        const DeepPort in = through(colourPort);
        const DeepPort inChannel = throughChannel(channelPort);
        VyxNodeGraph* effect = root->addSubGraph(-1);
        if (!effect || effect->setUp(image) != 0)
            return false;
        effect->paramContainer()->setListParam(QStringLiteral("blendMode"), blendMode);
        effect->paramContainer()->setIntParam(QStringLiteral("opacity"), opacity);
        links.add(in.node, in.colour, effect, QStringLiteral("rgbIn"));
        links.add(inChannel.node, inChannel.channel, effect, QStringLiteral("alphaIn"));
        Node* colour = effect->addNode(QStringLiteral("operator.inversion"), -1);
        Node* channel = effect->addNode(QStringLiteral("operator.inversion"), -1);
        if (!colour || !channel)
            return false;
        links.add(effect->sourceNode(), QStringLiteral("rgb"), colour, QStringLiteral("inRgb"));
        links.add(effect->sourceNode(), QStringLiteral("alpha"), channel, QStringLiteral("in"));
        finish(effect, DeepPort{colour, QStringLiteral("outRgb"), QString()},
               DeepPort{channel, QString(), QStringLiteral("out")});
        colourPort = DeepPort{effect, QStringLiteral("rgbOut"), QString()};
        channelPort = DeepPort{effect, QString(), QStringLiteral("alphaOut")};
    }
    finish(root, through(colourPort), throughChannel(channelPort));
    const int wanted = links.size();
    return links.connectAll() == wanted;
}

bool buildFanOuts(VyxNodeGraph* root, int depth, Between const& between, bool skips)
{
    KelNodes::LinkBatch links;
    DeepPort port = sourcePort(root);
    auto through = [&](DeepPort p) {
        if (!between)
            return p;
        Node* pass = between(root);
        links.add(p.node, p.colour, pass, QStringLiteral("in"));
        return DeepPort{pass, QStringLiteral("out"), p.channel};
    };
    Node* previous = nullptr;
    for (int i = 0; i < depth; ++i) {
        const DeepPort in = through(port);
        Node* inversion = root->addNode(QStringLiteral("operator.inversion"), -1);
        Node* brightness = root->addNode(QStringLiteral("operator.brightness/contrast"), -1);
        Node* mix = root->addNode(QStringLiteral("operator.arithmix"), -1);
        if (!inversion || !brightness || !mix)
            return false;
        links.add(in.node, in.colour, inversion, QStringLiteral("inRgb"));
        links.add(skips && previous ? previous : inversion, QStringLiteral("outRgb"), brightness, QStringLiteral("in"));
        previous = inversion;
        links.add(inversion, QStringLiteral("outRgb"), mix, QStringLiteral("in1"));
        links.add(brightness, QStringLiteral("rgb"), mix, QStringLiteral("in2"));
        port = DeepPort{mix, QStringLiteral("out"), port.channel};
    }
    const DeepPort last = through(port);
    Node* destination = root->destinationNode();
    destination->getTerminal(QStringLiteral("rgb"))->disconnectAll();
    links.add(last.node, last.colour, destination, QStringLiteral("rgb"));
    const int wanted = links.size();
    return links.connectAll() == wanted;
}

CountingPassNode::CountingPassNode(int id, bool channel)
    : VyxNode(id)
    , m_container(QStringLiteral("test.countingPass"), QString(), this)
    , m_channel(channel)
{
    const unsigned int kind = channel ? 2 : 4;
    addTerminal(QStringLiteral("in"), kind, 0);
    addTerminal(QStringLiteral("out"), 0, kind);
}

std::atomic<long long>& CountingPassNode::asked()
{
    static std::atomic<long long> count{0};
    return count;
}

std::atomic<int>& CountingPassNode::deepest()
{
    static std::atomic<int> most{0};
    return most;
}

std::atomic<long long>& CountingPassNode::fuse()
{
    static std::atomic<long long> limit{std::numeric_limits<long long>::max()};
    return limit;
}

namespace {

thread_local int t_inside = 0;

// Counts how many counting nodes the thread is inside while it lives.
struct Inside
{
    Inside()
    {
        ++t_inside;
        int most = CountingPassNode::deepest().load(std::memory_order_relaxed);
        while (t_inside > most && !CountingPassNode::deepest().compare_exchange_weak(most, t_inside)) {
        }
    }
    ~Inside() { --t_inside; }
    Inside(Inside const&) = delete;
    Inside& operator=(Inside const&) = delete;
};

} // namespace

void CountingPassNode::resolveInputs()
{
    if (m_channel)
        m_input1D = KelVyxNodes::linkedGenerator1D(terminal(0));
    else
        m_input = KelVyxNodes::linkedGenerator3D(terminal(0));
}

unsigned int CountingPassNode::getSample3(QPoint const& point) const
{
    if (asked().fetch_add(1, std::memory_order_relaxed) >= fuse().load(std::memory_order_relaxed))
        return 0u;
    Inside inside;
    return m_input ? m_input->getSample3(point) : 0u;
}

void CountingPassNode::getSpan3(int y, int x, int count, unsigned int* out) const
{
    Inside inside;
    if (asked().fetch_add(count, std::memory_order_relaxed) < fuse().load(std::memory_order_relaxed) && m_input)
        m_input->getSpan3(y, x, count, out);
    else
        std::fill(out, out + count, 0u);
}

unsigned int CountingPassNode::getSample(QPoint const& point) const
{
    if (asked().fetch_add(1, std::memory_order_relaxed) >= fuse().load(std::memory_order_relaxed))
        return 0u;
    Inside inside;
    return m_input1D ? m_input1D->getSample(point) : 0u;
}

void CountingPassNode::getSpan(int y, int x, int count, unsigned int* out) const
{
    Inside inside;
    if (asked().fetch_add(count, std::memory_order_relaxed) < fuse().load(std::memory_order_relaxed) && m_input1D)
        m_input1D->getSpan(y, x, count, out);
    else
        std::fill(out, out + count, 0u);
}

} // namespace EffectTest
