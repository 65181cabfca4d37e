// A node output read by several inputs (both inputs of one node, or two nodes joined again)
// gives every reader the picture that copies of the node, each read once, give. An output
// that keeps one link (no several-links bit) holds only the link made last: the graph renders
// as one copy read by that input alone.

#include "EffectTestSupport.h"
#include "NodeSweep.h"

#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/NodeTypeRegistry.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/Terminal.h"

#include <QImage>
#include <QList>
#include <QString>

#include <gtest/gtest.h>

#include <string>

using namespace KelVyxNodes;
using KelNodes::Node;
using KelNodes::Terminal;

namespace EffectTest {
namespace {

constexpr unsigned int kColour = 4u;
constexpr unsigned int kChannel = 2u;

struct NodeReaderPort
{
    Node* node;
    QString name;
};

bool nodeReaderLink(NodeReaderPort from, NodeReaderPort to)
{
    return from.node && to.node && from.node->connect(from.name, to.node, to.name) == 0;
}

// What reads the output: two inputs of one node, or a mixer and an inversion it mixes in.
enum class Readers { BothInputsOfMax, BothInputsOfWeightedMix, MixAndInversion };

char const* describe(Readers readers)
{
    switch (readers) {
    case Readers::BothInputsOfMax: return "both inputs of a Max";
    case Readers::BothInputsOfWeightedMix: return "both inputs of a Weighted Mix";
    case Readers::MixAndInversion: return "a Weighted Mix and an inversion it mixes in";
    }
    return "";
}

// The node of `typeId` in `graph`, its colour inputs reading the picture's colour and its
// one-channel inputs the channels of `split` in turn; an input taking both reads the output's
// kind (a node that takes either gives what it is fed).
Node* addFed(VyxNodeGraph* graph, Node* split, QString const& typeId, unsigned int kind,
             KelVyxTest::NodeSweep::Settings settings)
{
    Node* node = graph->addNode(typeId, -1);
    if (node)
        KelVyxTest::NodeSweep::applySettings(node, settings);
    if (!node || !split)
        return node;
    static char const* const channels[] = {"r", "g", "b"};
    int channel = 0;
    for (Terminal const* terminal : node->terminalList()) {
        unsigned int in = terminal->inputMask();
        if ((in & kColour) && (in & kChannel))
            in = kind;
        if (in & kColour)
            nodeReaderLink(NodeReaderPort{graph->sourceNode(), QStringLiteral("rgb")},
                           NodeReaderPort{node, terminal->name()});
        else if (in & kChannel)
            nodeReaderLink(NodeReaderPort{split, QLatin1String(channels[channel++ % 3])},
                           NodeReaderPort{node, terminal->name()});
    }
    return node;
}

// The readers in `graph`: the inputs that read the node's output, in the order linked, and the
// output the destination reads.
bool addReaders(VyxNodeGraph* graph, Readers readers, unsigned int kind, QList<NodeReaderPort>* inputs,
                NodeReaderPort* result)
{
    const bool colour = kind == kColour;
    if (readers == Readers::BothInputsOfMax) {
        if (!colour)
            return false;
        Node* max = graph->addNode(QStringLiteral("operator.Maths.max"), -1);
        *inputs = {NodeReaderPort{max, QStringLiteral("rgbIn1")}, NodeReaderPort{max, QStringLiteral("rgbIn2")}};
        *result = NodeReaderPort{max, QStringLiteral("rgbOut")};
        return max != nullptr;
    }
    Node* mix = graph->addNode(QStringLiteral("operator.weightmix"), -1);
    if (!mix)
        return false;
    const QString in1 = colour ? QStringLiteral("in1") : QStringLiteral("in1 1d");
    const QString in2 = colour ? QStringLiteral("in2") : QStringLiteral("in2 1d");
    *result = NodeReaderPort{mix, colour ? QStringLiteral("out") : QStringLiteral("out 1d")};
    if (readers == Readers::BothInputsOfWeightedMix) {
        *inputs = {NodeReaderPort{mix, in1}, NodeReaderPort{mix, in2}};
        return true;
    }
    Node* inversion = graph->addNode(QStringLiteral("operator.inversion"), -1);
    if (!inversion
        || !nodeReaderLink(NodeReaderPort{inversion, colour ? QStringLiteral("outRgb") : QStringLiteral("out")},
                           NodeReaderPort{mix, in2}))
        return false;
    *inputs = {NodeReaderPort{mix, in1},
               NodeReaderPort{inversion, colour ? QStringLiteral("inRgb") : QStringLiteral("in")}};
    return true;
}

// The render of the node's output `output` of `kind` read by `readers`: one node read by every
// input (`shared`), or a copy of it for each input, or for the last input alone (`lastOnly`).
QImage renderReaders(QImage const& picture, QString const& typeId, QString const& output, unsigned int kind,
                     Readers readers, bool fed, KelVyxTest::NodeSweep::Settings settings, bool shared, bool lastOnly,
                     int* outputLinks)
{
    VyxNodeGraph root;
    if (root.setUp(&picture) != 0)
        return QImage();
    root.setRenderThreadCount(2);
    QList<NodeReaderPort> inputs;
    NodeReaderPort result{nullptr, QString()};
    if (!addReaders(&root, readers, kind, &inputs, &result))
        return QImage();
    Node* split = fed ? root.addNode(QStringLiteral("operator.split"), -1) : nullptr;
    if (fed
        && !nodeReaderLink(NodeReaderPort{root.sourceNode(), QStringLiteral("rgb")},
                           NodeReaderPort{split, QStringLiteral("rgb")}))
        return QImage();
    Node* one = shared ? addFed(&root, split, typeId, kind, settings) : nullptr;
    for (int i = 0; i < inputs.size(); ++i) {
        if (lastOnly && i + 1 < inputs.size())
            continue;
        Node* node = shared ? one : addFed(&root, split, typeId, kind, settings);
        if (!nodeReaderLink(NodeReaderPort{node, output}, inputs.at(i))) {
            ADD_FAILURE() << "\"" << output.toStdString() << "\" does not link to \"" << inputs.at(i).name.toStdString() << "\"";
            return QImage();
        }
    }
    if (shared && outputLinks)
        *outputLinks = one->getTerminal(output)->numConnections();
    Node* destination = root.destinationNode();
    destination->getTerminal(QStringLiteral("rgb"))->disconnectAll();
    destination->getTerminal(QStringLiteral("alpha"))->disconnectAll();
    const bool linked = kind == kColour
                            ? nodeReaderLink(result, NodeReaderPort{destination, QStringLiteral("rgb")})
                                  && nodeReaderLink(NodeReaderPort{root.sourceNode(), QStringLiteral("alpha")},
                                                    NodeReaderPort{destination, QStringLiteral("alpha")})
                            : nodeReaderLink(NodeReaderPort{root.sourceNode(), QStringLiteral("rgb")},
                                             NodeReaderPort{destination, QStringLiteral("rgb")})
                                  && nodeReaderLink(result, NodeReaderPort{destination, QStringLiteral("alpha")});
    if (!linked || root.setUp(&picture) != 0) {
        ADD_FAILURE() << "the graph could not be made";
        return QImage();
    }
    // A node that refuses to render without an input (Equalize) leaves a null picture.
    if (root.filter(nullptr) != 0)
        return QImage();
    return root.resultImage().copy();
}

// Every output of colour or one channel of every built-in type (bar the graph's own source and
// destination), fed or not, at its defaults and its settings' maxima, read by two inputs of
// one node and by two nodes mixed again: the bytes of copies of the node read once each.
TEST(NodeOutputReaders, AnOutputReadTwiceGivesTheBytesOfTwoCopiesReadOnce)
{
    using Settings = KelVyxTest::NodeSweep::Settings;
    const QImage picture = KelVyxTest::NodeSweep::largeTestImage(37, 29);
    int outputs = 0;
    int singleLink = 0;
    for (KelNodes::NodeDescriptor const* type : NodeTypeRegistry::builtIns()) {
        if (type->typeUuid == NodeOriginalImage::m_descriptor.typeUuid
            || type->typeUuid == NodeFilteredImage::m_descriptor.typeUuid)
            continue;
        VyxNodeGraph scratch;
        Node* probe = scratch.addNode(type->typeId, -1);
        if (!probe || probe->toNodeGraph())
            continue;
        for (Terminal const* terminal : probe->terminalList()) {
            for (unsigned int kind : {kColour, kChannel}) {
                if (!(terminal->outputMask() & kind))
                    continue;
                ++outputs;
                const bool many = terminal->allowsManyLinks();
                singleLink += many ? 0 : 1;
                for (Readers readers : {Readers::BothInputsOfMax, Readers::BothInputsOfWeightedMix, Readers::MixAndInversion}) {
                    if (readers == Readers::BothInputsOfMax && kind != kColour)
                        continue;
                    for (bool fed : {true, false}) {
                        for (Settings settings : {Settings::Defaults, Settings::Maximum}) {
                            SCOPED_TRACE(type->typeId.toStdString() + " \"" + terminal->name().toStdString() + "\" ("
                                         + (kind == kColour ? "colour" : "one channel") + ") read by "
                                         + describe(readers) + (fed ? ", its inputs fed" : ", its inputs unlinked")
                                         + (settings == Settings::Defaults ? ", defaults" : ", maxima"));
                            int links = -1;
                            const QImage together = renderReaders(picture, type->typeId, terminal->name(), kind,
                                                                  readers, fed, settings, true, false, &links);
                            const QImage apart = renderReaders(picture, type->typeId, terminal->name(), kind,
                                                               readers, fed, settings, false, !many, nullptr);
                            if (fed) {
                                ASSERT_FALSE(together.isNull());
                            }
                            EXPECT_EQ(together.isNull(), apart.isNull());
                            EXPECT_EQ(links, many ? 2 : 1);
                            EXPECT_TRUE(together == apart) << "read twice, other bytes than its copies read once";
                        }
                    }
                }
            }
        }
    }
    EXPECT_GE(outputs, 80) << outputs;
    // The gradients, the RGBA and HSY outputs, the joins into colour, noise reduction.
    EXPECT_GE(singleLink, 10) << singleLink;
}

} // namespace
} // namespace EffectTest
