// The nodes that re-kind their terminals on a link take the kinds their links give them as they
// stand, whatever order the links came and went in: every short sequence of a user's steps on
// two or three such nodes (and an Inversion) leaves every link served, the same links always with
// the same kinds, and the graph saved and loaded again (its links written, reversed, shuffled)
// has every link and kind and renders the same picture.

#include "EffectTestSupport.h"
#include "RekindingTypes.h"

#include "effects/BaseGeneratorNode.h"
#include "effects/GeneratorLookup.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"

#include <QDomDocument>
#include <QHash>
#include <QImage>
#include <QRandomGenerator>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

using namespace KelVyxNodes;
using KelNodes::Node;
using KelNodes::Terminal;

namespace KindSweep {

QStringList const& kTypes = RekindingTypes::withInversion();

enum class Step { Channel, Colour, FirstToSecond, SecondToThird, ToPicture, PickUp, Delete };
char const* const kStepNames[] = {"channel to the first", "colour to the first", "first to second",
                                  "second to third", "last to the picture", "pick up the newest wire",
                                  "delete the first"};

QImage sweepPicture()
{
    QImage image(9, 6, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, (unsigned(90 + 17 * x + 11 * y) << 24) | (EffectTest::gradientPixel(x, y) & 0xFFFFFFu));
    }
    return image;
}

QImage sweepRender(VyxNodeGraph& root, QImage const* picture)
{
    if (root.setUp(picture) != 0)
        return QImage();
    EffectTest::CountingObserver observer;
    return root.filter(&observer) == 0 ? root.resultImage().copy() : QImage();
}

// Every terminal (with `kinds`, its masks) and every link once, from its input's side, by uid:
// written out for a message, and as numbers to compare many states quickly.
QString sweepWiring(KelNodes::NodeGraph const* graph, bool kinds)
{
    QStringList lines;
    for (Node const* node : graph->nodes()) {
        for (Terminal const* t : node->terminalList()) {
            if (t->hostNode() != node)
                continue;
            lines << (kinds ? QStringLiteral("%1 %2 kinds %3/%4").arg(node->uid()).arg(t->name()).arg(t->inputMask()).arg(t->outputMask())
                            : QStringLiteral("%1 %2").arg(node->uid()).arg(t->name()));
            if (!t->isInput())
                continue;
            for (Terminal const* peer : t->connections())
                lines << QStringLiteral("%1 %2 -> %3 %4").arg(peer->hostNode()->uid()).arg(peer->name()).arg(node->uid()).arg(t->name());
        }
    }
    lines.sort();
    return lines.join(QLatin1Char('\n'));
}

QByteArray sweepState(KelNodes::NodeGraph const* graph, bool kinds)
{
    // By uid: a graph lists its members by level, which the links change.
    QList<Node*> nodes = graph->nodes();
    std::sort(nodes.begin(), nodes.end(), [](Node const* a, Node const* b) { return a->uid() < b->uid(); });
    QByteArray bytes;
    bytes.reserve(1024);
    auto put = [&bytes](int number) { bytes.append(reinterpret_cast<char const*>(&number), sizeof number); };
    for (Node const* node : std::as_const(nodes)) {
        put(-node->uid());
        QList<Terminal*> const& terminals = node->terminalList();
        for (Terminal const* t : terminals) {
            if (t->hostNode() != node)
                continue;
            put(-1);
            if (kinds) {
                put(int(t->inputMask()));
                put(int(t->outputMask()));
            }
            if (!t->isInput())
                continue;
            for (Terminal const* peer : t->connections()) {
                put(peer->hostNode()->uid());
                put(int(peer->name().size()));
                bytes.append(reinterpret_cast<char const*>(peer->name().constData()), peer->name().size() * 2);
            }
        }
    }
    return bytes;
}

Terminal* named(Node* node, char const* name)
{
    return node ? node->getTerminal(QString::fromLatin1(name)) : nullptr;
}

unsigned int offered(BaseGeneratorNode const* node)
{
    return (node->toBase3DGenerator() ? 4u : 0u) | (node->toBase1DGenerator() ? 2u : 0u);
}

// Whether the link from `output` to `input` gives the reader something of a kind it takes: a
// node that re-kinds offers a kind its reader takes, and reads a kind its input takes and its
// source gives, which is the kind it offers.
bool served(Terminal const* output, Terminal const* input)
{
    auto const* writer = dynamic_cast<BaseGeneratorNode const*>(output->hostNode());
    auto const* reader = dynamic_cast<BaseGeneratorNode const*>(input->hostNode());
    if (writer && output == writer->outputTerminal() && (offered(writer) & input->inputMask()) == 0)
        return false;
    if (reader && input == reader->inputTerminal()) {
        const unsigned int kinds = offered(reader) & input->inputMask();
        return ((kinds & 4u) && findGenerator3D(output)) || ((kinds & 2u) && findGenerator1D(output));
    }
    return (output->outputMask() & input->inputMask() & 6u) != 0;
}

class Scene
{
public:
    Scene(QImage const* picture, QStringList const& types) : m_picture(picture)
    {
        EXPECT_EQ(m_root.setUp(picture), 0);
        m_firstUid = m_root.uidCounter();
        start(types);
    }

    // The scene as new, with the same uids: the members added go and come again.
    void restart(QStringList const& types)
    {
        for (Node* node : m_nodes) {
            if (node)
                m_root.removeNode(node);
        }
        m_root.removeNode(m_split);
        m_nodes.clear();
        m_wires.clear();
        m_root.setUid(m_firstUid);
        start(types);
    }

    void start(QStringList const& types)
    {
        m_split = m_root.addNode(QStringLiteral("operator.split"), -1);
        EXPECT_EQ(named(m_root.sourceNode(), "rgb")->connect(named(m_split, "rgb")), 0);
        // The picture starts with the source's colour and its own alpha.
        Terminal* colour = named(m_root.sourceNode(), "rgb");
        if (!colour->isConnectedTo(named(m_root.destinationNode(), "rgb")))
            EXPECT_EQ(colour->connect(named(m_root.destinationNode(), "rgb")), 0);
        named(m_root.destinationNode(), "alpha")->disconnectAll();
        for (QString const& type : types)
            m_nodes.append(m_root.addNode(type, -1));
    }

    VyxNodeGraph& root() { return m_root; }

    // Applies `step` as the user would; false when the program refused it.
    bool apply(Step step)
    {
        switch (step) {
        case Step::Channel:
            return link(named(m_split, "g"), input(first(), false));
        case Step::Colour:
            return link(named(m_root.sourceNode(), "rgb"), input(first(), true));
        case Step::FirstToSecond:
            return between(first(), at(1));
        case Step::SecondToThird:
            return between(at(1), at(2));
        case Step::ToPicture:
            return between(m_nodes.isEmpty() ? nullptr : m_nodes.constLast(), m_root.destinationNode());
        case Step::PickUp:
            for (qsizetype i = m_wires.size() - 1; i >= 0; --i) {
                auto [output, input] = m_wires.takeAt(i);
                if (output->isConnectedTo(input)) {
                    output->disconnect(input);
                    return true;
                }
            }
            return false;
        case Step::Delete:
            if (!first())
                return false;
            forget(first());
            m_root.removeNode(first());
            m_nodes[0] = nullptr;
            return true;
        }
        return false;
    }

    // Every standing link of the scene's nodes is served; a node without links offers both kinds.
    void expectSettled() const
    {
        for (Node* node : m_nodes) {
            auto* generator = dynamic_cast<BaseGeneratorNode*>(node);
            if (!generator)
                continue;
            Terminal* in = generator->inputTerminal();
            Terminal* out = generator->outputTerminal();
            const bool linked = (in && in->numConnections() > 0) || (out && out->numConnections() > 0);
            if (!linked) {
                EXPECT_EQ(in ? in->inputMask() : 6u, 6u) << node->displayName().toStdString();
                EXPECT_EQ(out ? out->outputMask() : 7u, 7u) << node->displayName().toStdString();
            }
            for (Terminal* t : {in, out}) {
                if (!t)
                    continue;
                for (Terminal* peer : t->connections()) {
                    Terminal* output = t == out ? t : peer;
                    Terminal* input = t == out ? peer : t;
                    EXPECT_TRUE(served(output, input))
                        << output->hostNode()->displayName().toStdString() << " " << output->name().toStdString() << " -> "
                        << input->hostNode()->displayName().toStdString() << " " << input->name().toStdString();
                }
            }
        }
    }

private:
    Node* at(int index) const { return index < m_nodes.size() ? m_nodes.at(index) : nullptr; }
    Node* first() const { return at(0); }

    // A node's input for a kind: the Inversion has one of each.
    static Terminal* input(Node* node, bool colour)
    {
        if (auto* generator = dynamic_cast<BaseGeneratorNode*>(node))
            return generator->inputTerminal();
        return named(node, colour ? "inRgb" : "in");
    }

    bool link(Terminal* output, Terminal* input)
    {
        if (!output || !input)
            return false;
        if (output->connect(input) != 0)
            return false;
        m_wires.append(qMakePair(output, input));
        return true;
    }

    // As a wire dragged from one node onto the other: its first output to the first input that
    // takes it.
    bool between(Node* from, Node* to)
    {
        if (!from || !to)
            return false;
        for (Terminal* output : from->terminalList()) {
            if (output->hostNode() != from || !output->isOutput())
                continue;
            for (Terminal* input : to->terminalList()) {
                if (input->hostNode() == to && input->isInput() && link(output, input))
                    return true;
            }
            return false;
        }
        return false;
    }

    void forget(Node* node)
    {
        m_wires.removeIf([node](auto const& wire) {
            return wire.first->hostNode() == node || wire.second->hostNode() == node;
        });
    }

    QImage const* m_picture;
    VyxNodeGraph m_root;
    int m_firstUid = 1;
    Node* m_split = nullptr;
    QList<Node*> m_nodes;
    QList<QPair<Terminal*, Terminal*>> m_wires;
};

// The document's text with its links as written, reversed, or shuffled by `seed`.
QString reordered(QDomDocument const& stored, int order, quint32 seed)
{
    QDomDocument copy;
    EXPECT_TRUE(copy.setContent(stored.toString()));
    QDomElement links = copy.documentElement().firstChildElement(QStringLiteral("connections"));
    QList<QDomNode> written;
    while (!links.firstChild().isNull())
        written.append(links.removeChild(links.firstChild()));
    if (order == 1)
        std::reverse(written.begin(), written.end());
    if (order == 2) {
        QRandomGenerator random(seed);
        for (qsizetype i = written.size() - 1; i > 0; --i)
            written.swapItemsAt(i, random.bounded(int(i + 1)));
    }
    for (QDomNode const& link : std::as_const(written))
        links.appendChild(link);
    return copy.toString();
}

struct Sweep
{
    QImage picture = sweepPicture();
    int sequences = 0;
    int refused = 0;
    int roads = 0;
    int unrendered = 0;
    // Per type list: the kinds first seen with each set of links, and the sets already saved.
    QHash<QByteArray, QByteArray> kindsOfLinks;
    QSet<QByteArray> savedStates;
    std::unique_ptr<Scene> scene;
    QStringList sceneTypes;

    void run(QStringList const& types, QList<Step> const& steps, int length)
    {
        QList<Step> sequence;
        walk(types, steps, sequence, length);
    }

    // A refused step changes nothing (checked), so what follows it is what follows the sequence
    // without it, which is walked too: such a sequence goes no further.
    void walk(QStringList const& types, QList<Step> const& steps, QList<Step>& sequence, int length)
    {
        const bool lastRefused = check(types, sequence);
        if (lastRefused || sequence.size() == length || ::testing::Test::HasFailure())
            return;
        for (Step step : steps) {
            sequence.append(step);
            walk(types, steps, sequence, length);
            sequence.removeLast();
        }
    }

    // Whether the sequence's last step was refused.
    bool check(QStringList const& types, QList<Step> const& sequence)
    {
        bool lastRefused = false;
        ++sequences;
        QStringList said = types;
        for (Step step : sequence)
            said << QString::fromLatin1(kStepNames[int(step)]);
        SCOPED_TRACE(said.join(QStringLiteral(", ")).toStdString());
        if (!scene || sceneTypes != types) {
            scene = std::make_unique<Scene>(&picture, types);
            sceneTypes = types;
        } else {
            scene->restart(types);
        }
        for (Step step : sequence) {
            const QByteArray before = sweepState(&scene->root(), true);
            lastRefused = !scene->apply(step);
            if (lastRefused) {
                ++refused;
                // A refused step changes nothing.
                EXPECT_TRUE(sweepState(&scene->root(), true) == before) << sweepWiring(&scene->root(), true).toStdString();
            }
            scene->expectSettled();
        }
        const QByteArray links = types.join(QLatin1Char(',')).toLatin1() + sweepState(&scene->root(), false);
        const QByteArray kinds = sweepState(&scene->root(), true);
        auto seen = kindsOfLinks.constFind(links);
        if (seen != kindsOfLinks.cend()) {
            EXPECT_TRUE(kinds == seen.value()) << "the same links with other kinds:\n"
                                               << sweepWiring(&scene->root(), true).toStdString();
        } else {
            kindsOfLinks.insert(links, kinds);
        }
        if (!savedStates.contains(links)) {
            savedStates.insert(links);
            expectRoads(*scene, sweepWiring(&scene->root(), true));
        }
        return lastRefused;
    }

    void expectRoads(Scene& scene, QString const& wired)
    {
        // A picture that cannot be rendered (a node that reads nothing) cannot be after a load.
        const QImage before = sweepRender(scene.root(), &picture);
        unrendered += before.isNull();
        std::unique_ptr<QDomDocument> stored(scene.root().store(scene.root().nodes(), false, true, true));
        ASSERT_TRUE(stored);
        for (int order : {0, 1, 2}) {
            SCOPED_TRACE(order == 0 ? "links as written" : order == 1 ? "links reversed" : "links shuffled");
            ++roads;
            QDomDocument reread;
            ASSERT_TRUE(reread.setContent(reordered(*stored, order, quint32(roads))));
            VyxNodeGraph loaded;
            EXPECT_EQ(loaded.load(reread.documentElement(), true, KelNodes::LoadAllConnections), 0);
            EXPECT_TRUE(loaded.unrestoredLinks().isEmpty());
            EXPECT_EQ(sweepWiring(&loaded, true).toStdString(), wired.toStdString());
            // The same links and kinds read the same: one picture a state is enough.
            if (order == 2)
                EXPECT_EQ(sweepRender(loaded, &picture), before);
        }
    }
};

// The whole sweep when asked (VYX_FULL_KIND_SWEEP=1): every ordered chain of three types too.
bool fullSweep()
{
    return qEnvironmentVariableIntValue("VYX_FULL_KIND_SWEEP") == 1;
}

TEST(SettledKinds, EveryOrderedPairThroughEverySequenceOfUpToFourSteps)
{
    Sweep sweep;
    const QList<Step> steps{Step::Channel, Step::Colour, Step::FirstToSecond, Step::ToPicture, Step::PickUp,
                            Step::Delete};
    for (QString const& first : kTypes) {
        for (QString const& second : kTypes) {
            sweep.run({first, second}, steps, 4);
            if (::testing::Test::HasFailure())
                return;
        }
    }
    std::printf("pairs: %d sequences walked (%d ending in a refused step, not walked on), %d loads\n",
                sweep.sequences, sweep.refused, sweep.roads);
}

// Every chain of three kinds of node (one that reads an input, one that only gives one, the
// Inversion), the places taking the types of their kind in turn; with the full sweep, every
// ordered chain of three types.
TEST(SettledKinds, ChainsOfThreeThroughEverySequenceOfUpToFourSteps)
{
    Sweep sweep;
    const QList<Step> steps{Step::Channel,   Step::Colour, Step::FirstToSecond, Step::SecondToThird,
                            Step::ToPicture, Step::PickUp, Step::Delete};
    const QList<QStringList> kinds{kTypes.mid(0, 6), kTypes.mid(6, 5), kTypes.mid(11, 1)};
    int chains = 0;
    if (fullSweep()) {
        for (QString const& a : kTypes) {
            for (QString const& b : kTypes) {
                for (QString const& c : kTypes) {
                    sweep.run({a, b, c}, steps, 4);
                    ++chains;
                }
            }
        }
    } else {
        // Each chain takes the next type of each kind in each place.
        int turn = 0;
        for (QStringList const& a : kinds) {
            for (QStringList const& b : kinds) {
                for (QStringList const& c : kinds) {
                    sweep.run({a.at(turn % a.size()), b.at((turn + 1) % b.size()), c.at((turn + 2) % c.size())}, steps, 4);
                    ++turn;
                    ++chains;
                    if (::testing::Test::HasFailure())
                        return;
                }
            }
        }
    }
    std::printf("chains of three: %d chains, %d sequences walked (%d ending in a refused step, not walked on), %d loads\n",
                chains, sweep.sequences, sweep.refused, sweep.roads);
}

} // namespace KindSweep
