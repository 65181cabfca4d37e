#include "DeepGraphs.h"

#include "effects/GeneratorLookup.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/LinkBatch.h"
#include "nodes/Node.h"
#include "nodes/Terminal.h"
#include "params/ParameterContainer.h"

#include <QPoint>

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

// An output of a node as the kind's terminal name.
struct Port
{
    Node* node;
    QString colour;
    QString channel;
};

Port sourcePort(VyxNodeGraph* graph)
{
    return {graph->sourceNode(), QStringLiteral("rgb"), QStringLiteral("alpha")};
}

} // namespace

bool buildDeep(VyxNodeGraph* root, QImage const* image, QString const& typeId, Passage const& passage, Shape shape,
               int depth, Between const& between, int blendMode, int opacity)
{
    const bool colour = passage.kind == 4u;
    KelNodes::LinkBatch links;
    // Feeds `port` through a `between` node when there is one.
    auto through = [&](VyxNodeGraph* graph, Port port) {
        if (!between || !colour)
            return port;
        Node* pass = between(graph);
        links.add(port.node, port.colour, pass, QStringLiteral("in"));
        return Port{pass, QStringLiteral("out"), port.channel};
    };
    // A node of the type reading `port`; its output port (the other kind passes by).
    auto level = [&](VyxNodeGraph* graph, Port port) -> std::optional<Port> {
        Node* node = graph->addNode(typeId, -1);
        if (!node)
            return std::nullopt;
        links.add(port.node, colour ? port.colour : port.channel, node, passage.in);
        if (colour)
            return Port{node, passage.out, port.channel};
        return Port{node, port.colour, passage.out};
    };
    auto finish = [&](VyxNodeGraph* graph, Port port) {
        Node* destination = graph->destinationNode();
        destination->getTerminal(QStringLiteral("rgb"))->disconnectAll();
        destination->getTerminal(QStringLiteral("alpha"))->disconnectAll();
        links.add(port.node, port.colour, destination, QStringLiteral("rgb"));
        links.add(port.node, port.channel, destination, QStringLiteral("alpha"));
    };
    auto effectIn = [&](VyxNodeGraph* graph, Port port) -> VyxNodeGraph* {
        VyxNodeGraph* effect = graph->addSubGraph(-1);
        if (!effect || effect->setUp(image) != 0)
            return nullptr;
        KelUtils::ParameterContainer* settings = effect->paramContainer();
        settings->setListParam(QStringLiteral("blendMode"), blendMode);
        settings->setIntParam(QStringLiteral("opacity"), opacity);
        links.add(port.node, port.colour, effect, QStringLiteral("rgbIn"));
        links.add(port.node, port.channel, effect, QStringLiteral("alphaIn"));
        return effect;
    };

    Port port = sourcePort(root);
    switch (shape) {
    case Shape::Chain:
        for (int i = 0; i < depth; ++i) {
            std::optional<Port> next = level(root, through(root, port));
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
            std::optional<Port> inner = level(effect, sourcePort(effect));
            if (!inner)
                return false;
            finish(effect, *inner);
            port = Port{effect, QStringLiteral("rgbOut"), QStringLiteral("alphaOut")};
        }
        finish(root, through(root, port));
        break;
    case Shape::Nest: {
        VyxNodeGraph* graph = root;
        for (int i = 0; i < depth; ++i) {
            std::optional<Port> next = level(graph, through(graph, port));
            if (!next)
                return false;
            if (i + 1 == depth) {
                finish(graph, through(graph, *next));
                break;
            }
            VyxNodeGraph* effect = effectIn(graph, *next);
            if (!effect)
                return false;
            finish(graph, Port{effect, QStringLiteral("rgbOut"), QStringLiteral("alphaOut")});
            graph = effect;
            port = sourcePort(effect);
        }
        break;
    }
    }
    links.connectAll();
    return true;
}

CountingPassNode::CountingPassNode(int id)
    : VyxNode(id)
    , m_container(QStringLiteral("test.countingPass"), QString(), this)
{
    addTerminal(QStringLiteral("in"), 4, 0);
    addTerminal(QStringLiteral("out"), 0, 4);
}

std::atomic<long long>& CountingPassNode::asked()
{
    static std::atomic<long long> count{0};
    return count;
}

void CountingPassNode::resolveInputs()
{
    m_input = KelVyxNodes::linkedGenerator3D(terminal(0));
}

unsigned int CountingPassNode::getSample3(QPoint const& point) const
{
    asked().fetch_add(1, std::memory_order_relaxed);
    return m_input ? m_input->getSample3(point) : 0u;
}

void CountingPassNode::getSpan3(int y, int x, int count, unsigned int* out) const
{
    asked().fetch_add(count, std::memory_order_relaxed);
    if (m_input)
        m_input->getSpan3(y, x, count, out);
    else
        std::fill(out, out + count, 0u);
}

} // namespace EffectTest
