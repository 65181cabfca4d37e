#include "BenchGraphs.h"

#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/NodeTypeRegistry.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"
#include "nodes/Terminal.h"

#include <cstdio>

using KelNodes::Node;
using KelNodes::Terminal;
using KelVyxNodes::VyxNodeGraph;

namespace VyxBench {

namespace {

bool identity(VyxNodeGraph*)
{
    return true;
}

// Perlin noise, fractal sum of 6 octaves.
bool noise(VyxNodeGraph* g)
{
    Node* n = addNode(g, "generator.noise");
    if (!n)
        return false;
    auto* c = n->paramContainer();
    c->setListParam(QStringLiteral("type"), 2); // Perlin
    c->setIntParam(QStringLiteral("enableFrac"), 1);
    c->setFloatParam(QStringLiteral("octaves"), 6.0f);
    c->setFloatParam(QStringLiteral("scaleGlobal"), 0.05f);
    return linkNodes(n, "out", g->destinationNode(), "rgb");
}

// HSV offset, levels, Overlay blend with the source.
bool colourChain(VyxNodeGraph* g)
{
    Node* hsv = addNode(g, "operator.hsv");
    Node* levels = addNode(g, "operator.levels");
    Node* blend = addNode(g, "operator.blend");
    if (!hsv || !levels || !blend)
        return false;
    hsv->paramContainer()->setIntParam(QStringLiteral("Hue"), 40);
    hsv->paramContainer()->setIntParam(QStringLiteral("Saturation"), 30);
    levels->paramContainer()->setIntParam(QStringLiteral("Black point"), 20);
    levels->paramContainer()->setIntParam(QStringLiteral("Gamma"), 30);
    blend->paramContainer()->setListParam(QStringLiteral("mode"), 9); // Overlay
    return linkNodes(g->sourceNode(), "rgb", hsv, "rgb") && linkNodes(hsv, "out rgb", levels, "source")
           && linkNodes(levels, "out", blend, "foreground") && linkNodes(g->sourceNode(), "rgb", blend, "background")
           && linkNodes(blend, "rgb", g->destinationNode(), "rgb");
}

QList<Terminal*> terminalsOf(Node const* node, bool outputs)
{
    QList<Terminal*> found;
    for (int i = 0; i < node->numTerminals(); ++i) {
        Terminal* terminal = node->terminal(i);
        if (terminal && ((outputs ? terminal->outputMask() : terminal->inputMask()) & 6u) != 0)
            found.append(terminal);
    }
    return found;
}

} // namespace

Node* addNode(VyxNodeGraph* graph, char const* type)
{
    Node* node = graph->addNode(QString::fromLatin1(type), -1);
    if (!node)
        std::fprintf(stderr, "bench: no node type %s\n", type);
    return node;
}

bool linkNodes(Node* a, char const* from, Node* b, char const* to)
{
    if (!a || !b || a->connect(QString::fromLatin1(from), b, QString::fromLatin1(to)) != 0) {
        std::fprintf(stderr, "bench: cannot link %s to %s\n", from, to);
        return false;
    }
    return true;
}

Builder blur(int radius)
{
    return [radius](VyxNodeGraph* g) {
        Node* b = addNode(g, "operator.blur");
        if (!b)
            return false;
        b->paramContainer()->setIntParam(QStringLiteral("radius"), radius);
        return linkNodes(g->sourceNode(), "rgb", b, "in") && linkNodes(b, "out", g->destinationNode(), "rgb");
    };
}

QImage makePicture(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            unsigned int h = unsigned(x) * 73856093u ^ unsigned(y) * 19349663u;
            h ^= h >> 13;
            h *= 0x5bd1e995u;
            h ^= h >> 15;
            const unsigned int r = (unsigned(x) * 255u / unsigned(width) + (h & 31u)) & 0xFFu;
            const unsigned int g = (unsigned(y) * 255u / unsigned(height) + ((h >> 5) & 31u)) & 0xFFu;
            const unsigned int b = ((unsigned(x ^ y) & 0x3Fu) * 4u + ((h >> 10) & 15u)) & 0xFFu;
            line[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
    }
    return image;
}

// Ten nodes in a compound effect as a template makes it, blended into the root at opacity 70.
bool effectObject(VyxNodeGraph* g)
{
    VyxNodeGraph* effect = g->addSubGraph(-1);
    if (!effect || !linkNodes(g->sourceNode(), "rgb", effect, "rgbIn")
        || !linkNodes(effect, "rgbOut", g->destinationNode(), "rgb"))
        return false;
    effect->paramContainer()->setIntParam(QStringLiteral("opacity"), 70);
    Node* in = effect->sourceNode();
    Node* out = effect->destinationNode();
    Node* blurNode = addNode(effect, "operator.blur");
    Node* sharpen = addNode(effect, "operator.sharpen");
    Node* hsy = addNode(effect, "operator.hsy");
    Node* gradient = addNode(effect, "operator.gradient3color");
    Node* blend = addNode(effect, "operator.blend");
    Node* grey = addNode(effect, "operator.grayscale");
    Node* levels = addNode(effect, "operator.levels");
    Node* mix = addNode(effect, "operator.weightmix");
    if (!in || !out || !blurNode || !sharpen || !hsy || !gradient || !blend || !grey || !levels || !mix)
        return false;
    blurNode->paramContainer()->setIntParam(QStringLiteral("radius"), 3);
    sharpen->paramContainer()->setFloatParam(QStringLiteral("base"), 0.5f);
    hsy->paramContainer()->setIntParam(QStringLiteral("Hue"), 25);
    hsy->paramContainer()->setFloatParam(QStringLiteral("Saturation"), 0.2f);
    blend->paramContainer()->setListParam(QStringLiteral("mode"), 9); // Overlay
    blend->paramContainer()->setIntParam(QStringLiteral("Opacity"), 60);
    levels->paramContainer()->setIntParam(QStringLiteral("White point"), 230);
    levels->paramContainer()->setIntParam(QStringLiteral("Gamma"), -20);
    mix->paramContainer()->setFloatParam(QStringLiteral("weight"), 0.35f);
    return linkNodes(in, "rgb", blurNode, "in") && linkNodes(blurNode, "out", sharpen, "in")
           && linkNodes(sharpen, "out", hsy, "rgb") && linkNodes(hsy, "out rgb", blend, "foreground")
           && linkNodes(gradient, "out", blend, "background") && linkNodes(blend, "rgb", levels, "source")
           && linkNodes(in, "rgb", grey, "rgb") && linkNodes(levels, "out", mix, "in1")
           && linkNodes(grey, "out3d", mix, "in2") && linkNodes(mix, "out", out, "rgb");
}

bool photoObjects(VyxNodeGraph* g)
{
    struct Object
    {
        char const* type;
        char const* in;
        char const* out;
    };
    const Object objects[] = {{"operator.blur", "in", "out"},
                              {"operator.inversion", "inRgb", "outRgb"},
                              {"operator.brightness/contrast", "in", "rgb"}};
    Node* previous = g->sourceNode();
    QString colourOut = QStringLiteral("rgb");
    QString alphaOut = QStringLiteral("alpha");
    QList<Node*> effects;
    QList<VyxNodeGraph*> graphs;
    for (Object const& o : objects) {
        // Linked into the chain first: the effect's source node takes its input from there.
        VyxNodeGraph* effect = g->addSubGraph(-1);
        if (!effect || previous->connect(colourOut, effect, QStringLiteral("rgbIn")) != 0
            || previous->connect(alphaOut, effect, QStringLiteral("alphaIn")) != 0)
            return false;
        Node* node = addNode(effect, o.type);
        if (!node || !linkNodes(effect->sourceNode(), "rgb", node, o.in)
            || !linkNodes(node, o.out, effect->destinationNode(), "rgb"))
            return false;
        effects.append(node);
        graphs.append(effect);
        previous = effect;
        colourOut = QStringLiteral("rgbOut");
        alphaOut = QStringLiteral("alphaOut");
    }
    effects[0]->paramContainer()->setIntParam(QStringLiteral("radius"), 3);
    graphs[1]->paramContainer()->setIntParam(QStringLiteral("opacity"), 50);
    graphs[1]->paramContainer()->setListParam(QStringLiteral("blendMode"), 14); // Difference
    effects[2]->paramContainer()->setIntParam(QStringLiteral("Brightness Factor"), 20);
    effects[2]->paramContainer()->setIntParam(QStringLiteral("Contrast Factor"), 10);
    return previous->connect(colourOut, g->destinationNode(), QStringLiteral("rgb")) == 0
           && previous->connect(alphaOut, g->destinationNode(), QStringLiteral("alpha")) == 0;
}

Builder nodeAlone(QString const& typeId)
{
    return [typeId](VyxNodeGraph* g) {
        Node* node = g->addNode(typeId, -1);
        if (!node)
            return false;
        Node* source = g->sourceNode();
        Node* destination = g->destinationNode();
        for (Terminal* input : terminalsOf(node, false)) {
            Terminal* from = source->getTerminal((input->inputMask() & 4u) ? QStringLiteral("rgb")
                                                                          : QStringLiteral("alpha"));
            if (!from || from->connect(input) != 0)
                return false;
        }
        Terminal* colour = nullptr;
        Terminal* alpha = nullptr;
        for (Terminal* output : terminalsOf(node, true)) {
            if (!colour && (output->outputMask() & 4u))
                colour = output;
            else if (!alpha && (output->outputMask() & 2u))
                alpha = output;
        }
        // A new graph links the source's colour to the destination already.
        if (colour)
            return colour->connect(destination->getTerminal(QStringLiteral("rgb"))) == 0;
        return alpha && alpha->connect(destination->getTerminal(QStringLiteral("alpha"))) == 0;
    };
}

bool everyNode(VyxNodeGraph* g)
{
    struct Output
    {
        Terminal* terminal;
        bool read;
    };
    QList<Output> outputs;
    for (Terminal* t : terminalsOf(g->sourceNode(), true))
        outputs.append({t, false});

    auto feed = [&](Terminal* input) {
        for (Output& o : outputs) {
            if (!o.read && o.terminal->connect(input) == 0) {
                o.read = true;
                return;
            }
        }
        for (Output& o : outputs) {
            if (o.terminal->connect(input) == 0)
                return;
        }
    };

    QString const source = KelVyxNodes::NodeOriginalImage::m_descriptor.typeId;
    QString const destination = KelVyxNodes::NodeFilteredImage::m_descriptor.typeId;
    for (KelNodes::NodeDescriptor const* type : KelVyxNodes::NodeTypeRegistry::builtIns()) {
        if (type->typeId == source || type->typeId == destination)
            continue;
        Node* node = g->addNode(type->typeId, -1);
        if (!node)
            return false;
        for (Terminal* input : terminalsOf(node, false))
            feed(input);
        for (Terminal* output : terminalsOf(node, true))
            outputs.append({output, false});
    }
    // The newest colour and one-channel outputs leave the graph.
    Terminal* rgb = g->destinationNode()->getTerminal(QStringLiteral("rgb"));
    Terminal* alpha = g->destinationNode()->getTerminal(QStringLiteral("alpha"));
    bool colourLinked = false;
    bool alphaLinked = false;
    for (qsizetype i = outputs.size() - 1; i >= 0 && !(colourLinked && alphaLinked); --i) {
        Terminal* t = outputs[i].terminal;
        if (!colourLinked && (t->outputMask() & 4u) && t->connect(rgb) == 0)
            colourLinked = true;
        else if (!alphaLinked && (t->outputMask() & 2u) && t->connect(alpha) == 0)
            alphaLinked = true;
    }
    return colourLinked && alphaLinked;
}

std::vector<BenchGraph> const& benchGraphs()
{
    static const std::vector<BenchGraph> graphs = {
        {"1_identity", identity},
        {"2_noise_perlin_fractal6", noise},
        {"3a_blur_r5", blur(5)},
        {"3b_blur_r50", blur(50)},
        {"4_colour_chain", colourChain},
        {"5_effect_object", effectObject},
        {"7_every_node", everyNode},
    };
    return graphs;
}

} // namespace VyxBench
