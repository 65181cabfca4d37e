// A graph saved and loaded again has every link and every terminal kind it had, and renders the
// picture of before, whatever order the file lists its links in: a file lists them member by
// member, so a node moved into an effect listed after its readers writes its links after theirs.

#include "EffectTestSupport.h"

#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/NodeTypeRegistry.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"

#include <QDomDocument>
#include <QImage>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace KelVyxNodes;
using KelNodes::Node;
using KelNodes::Terminal;

namespace EffectTest {
namespace {

// The node types that narrow an unlinked input to what their output was linked to.
QStringList const narrowingReaders{
    QStringLiteral("operator.edgedetection"), QStringLiteral("operator.blur"),
    QStringLiteral("operator.sharpen"), QStringLiteral("operator.emboss"),
    QStringLiteral("operator.Maths.trigonometric"), QStringLiteral("operator.frame"),
};

bool savedLink(Terminal* output, Terminal* input)
{
    return output && input && output->connect(input) == 0;
}

Terminal* terminal(Node* node, QString const& name)
{
    return node ? node->getTerminal(name) : nullptr;
}

QList<Terminal*> ownTerminals(Node const* node, bool outputs)
{
    QList<Terminal*> found;
    for (Terminal* t : node->terminalList()) {
        if (t->hostNode() == node && (outputs ? t->isOutput() : t->isInput()))
            found.append(t);
    }
    return found;
}

VyxNodeGraph* addSavedEffect(VyxNodeGraph* graph, QImage const* picture, Terminal* colour, QString const& name)
{
    VyxNodeGraph* effect = graph->addSubGraph(-1);
    if (!effect || effect->setUp(picture) != 0 || !savedLink(colour, terminal(effect, QStringLiteral("rgbIn")))
        || !savedLink(terminal(graph->sourceNode(), QStringLiteral("alpha")),
                      terminal(effect, QStringLiteral("alphaIn"))))
        return nullptr;
    effect->setName(name);
    return effect;
}

// Every link of the tree, each once from its input's side, and every terminal's kinds, by the
// nodes' uids (a load keeps them).
QStringList wiring(KelNodes::NodeGraph const* graph)
{
    QStringList lines;
    for (Node const* node : graph->nodes()) {
        for (Terminal const* t : node->terminalList()) {
            if (t->hostNode() != node)
                continue;
            lines << QStringLiteral("%1 %2 kinds %3/%4").arg(node->uid()).arg(t->name()).arg(t->inputMask()).arg(t->outputMask());
            if (!t->isInput())
                continue;
            for (Terminal const* peer : t->connections())
                lines << QStringLiteral("%1 %2 -> %3 %4")
                             .arg(peer->hostNode()->uid())
                             .arg(peer->name(), QString::number(node->uid()), t->name());
        }
        if (KelNodes::NodeGraph const* sub = node->toNodeGraph())
            lines << wiring(sub);
    }
    lines.sort();
    return lines;
}

QImage renderSaved(VyxNodeGraph& root, QImage const* picture)
{
    if (root.setUp(picture) != 0)
        return QImage();
    CountingObserver observer;
    return root.filter(&observer) == 0 ? root.resultImage().copy() : QImage();
}

QImage savedPicture()
{
    QImage image(11, 7, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, (unsigned(70 + 13 * x + 9 * y) << 24) | (gradientPixel(x, y) & 0xFFFFFFu));
    }
    return image;
}

struct SavedLinkCase
{
    KelNodes::NodeDescriptor const* type = nullptr;
    // Inputs that take either kind are fed colour, or one channel.
    bool colourFirst = true;
    // The node of the type is carried, or the first reader of it.
    bool carryReader = false;
    // Into an effect listed before the readers, or after them.
    bool intoLater = true;
    int readerOffset = 0;

    std::string name() const
    {
        return type->typeId.toStdString() + (colourFirst ? ", colour inputs" : ", channel inputs")
               + (carryReader ? ", its reader" : ", the node") + (intoLater ? " into a later effect" : " into an earlier effect");
    }
};

// In the effect "Nest": the node of the type fed the picture's colour or channels of it; each
// of its outputs read by a node that narrows its input on connect; the readers mixed into
// Nest's picture. "Early" is an empty effect fed the picture directly, listed before the
// readers; "Late" one fed through two Inversions, listed after them.
struct SmallGraph
{
    VyxNodeGraph root;
    Node* node = nullptr;
    Node* firstReader = nullptr;
    VyxNodeGraph* early = nullptr;
    VyxNodeGraph* late = nullptr;
    int links = 0;

    bool make(QImage const* picture, SavedLinkCase const& c)
    {
        if (root.setUp(picture) != 0)
            return false;
        VyxNodeGraph* nest =
            addSavedEffect(&root, picture, terminal(root.sourceNode(), QStringLiteral("rgb")), QStringLiteral("Nest"));
        if (!nest
            || !savedLink(terminal(nest, QStringLiteral("rgbOut")),
                          terminal(root.destinationNode(), QStringLiteral("rgb"))))
            return false;
        Terminal* colour = terminal(nest->sourceNode(), QStringLiteral("rgb"));
        early = addSavedEffect(nest, picture, colour, QStringLiteral("Early"));
        Node* first = nest->addNode(QStringLiteral("operator.inversion"), -1);
        Node* second = nest->addNode(QStringLiteral("operator.inversion"), -1);
        if (!early || !savedLink(colour, terminal(first, QStringLiteral("inRgb")))
            || !savedLink(terminal(first, QStringLiteral("outRgb")), terminal(second, QStringLiteral("inRgb"))))
            return false;
        late = addSavedEffect(nest, picture, terminal(second, QStringLiteral("outRgb")), QStringLiteral("Late"));
        Node* split = nest->addNode(QStringLiteral("operator.split"), -1);
        if (!late || !savedLink(colour, terminal(split, QStringLiteral("rgb"))))
            return false;

        Node* created = c.type->create ? c.type->create(-1) : nullptr;
        node = created ? nest->addNode(created, -1) : nullptr;
        if (!node) {
            delete created;
            return false;
        }
        node->setName(QStringLiteral("Carried"));
        int channel = 0;
        static char const* const channels[] = {"r", "g", "b"};
        for (Terminal* input : ownTerminals(node, false)) {
            const bool takesColour = input->inputMask() & 4u;
            const bool takesChannel = input->inputMask() & 2u;
            if (takesColour && (c.colourFirst || !takesChannel))
                links += savedLink(colour, input);
            else if (takesChannel)
                links += savedLink(terminal(split, QLatin1String(channels[channel++ % 3])), input);
        }

        Terminal* mixed = nullptr;
        int index = c.readerOffset;
        for (Terminal* output : ownTerminals(node, true)) {
            Node* reader = nest->addNode(narrowingReaders.at(index++ % narrowingReaders.size()), -1);
            if (!reader || !savedLink(output, terminal(reader, QStringLiteral("in"))))
                continue;
            ++links;
            if (!firstReader)
                firstReader = reader;
            Terminal* read = terminal(reader, QStringLiteral("out"));
            if (!mixed && (read->outputMask() & 4u)) {
                mixed = read;
                continue;
            }
            Node* mix = nest->addNode(QStringLiteral("operator.arithmix"), -1);
            const bool readColour = read->outputMask() & 4u;
            if (mixed)
                links += savedLink(mixed, terminal(mix, QStringLiteral("in1")));
            links += savedLink(read, terminal(mix, readColour ? QStringLiteral("in2") : QStringLiteral("in2 1d")));
            mixed = terminal(mix, QStringLiteral("out"));
        }
        if (mixed) {
            Terminal* picture = terminal(nest->destinationNode(), QStringLiteral("rgb"));
            picture->disconnectAll();
            if (!savedLink(mixed, picture))
                return false;
        }
        return root.setUp(picture) == 0;
    }
};

QList<SavedLinkCase> cases()
{
    QList<SavedLinkCase> all;
    int offset = 0;
    for (KelNodes::NodeDescriptor const* type : NodeTypeRegistry::builtIns()) {
        if (type->typeUuid == NodeOriginalImage::m_descriptor.typeUuid
            || type->typeUuid == NodeFilteredImage::m_descriptor.typeUuid)
            continue;
        for (bool colourFirst : {true, false}) {
            for (bool carryReader : {false, true}) {
                for (bool intoLater : {true, false})
                    all.append(SavedLinkCase{type, colourFirst, carryReader, intoLater, offset++});
            }
        }
    }
    return all;
}

// The document's text, its links in the reverse order when asked.
QString documentText(QDomDocument const& stored, bool reversed)
{
    QDomDocument copy;
    EXPECT_TRUE(copy.setContent(stored.toString()));
    if (reversed) {
        QDomElement links = copy.documentElement().firstChildElement(QStringLiteral("connections"));
        QList<QDomNode> written;
        while (!links.firstChild().isNull())
            written.prepend(links.removeChild(links.firstChild()));
        for (QDomNode const& link : std::as_const(written))
            links.appendChild(link);
    }
    return copy.toString();
}

// `root` stored and loaded again, with its links as written and in the other order, has every
// link and kind it had, names none as not made, and renders `before`.
void expectLoadsWhole(VyxNodeGraph& root, QImage const* image, QStringList const& wired, QImage const& before)
{
    std::unique_ptr<QDomDocument> stored(root.store(root.nodes(), false, true, true));
    ASSERT_TRUE(stored);
    for (bool reversed : {false, true}) {
        SCOPED_TRACE(reversed ? "links reversed" : "links as written");
        QDomDocument reread;
        ASSERT_TRUE(reread.setContent(documentText(*stored, reversed)));
        VyxNodeGraph loaded;
        EXPECT_EQ(loaded.load(reread.documentElement(), true, KelNodes::LoadAllConnections), 0);
        EXPECT_TRUE(loaded.unrestoredLinks().isEmpty());
        EXPECT_EQ(wiring(&loaded).join(QLatin1Char('\n')).toStdString(), wired.join(QLatin1Char('\n')).toStdString());
        EXPECT_EQ(renderSaved(loaded, image), before);
    }
}

TEST(SavedLinks, EveryNodeTypeCarriedIntoAnEffectBeforeOrAfterItsReadersSavesAndLoadsWhole)
{
    const QImage image = savedPicture();
    int carried = 0;
    for (SavedLinkCase const& c : cases()) {
        SCOPED_TRACE(c.name());
        SmallGraph graph;
        ASSERT_TRUE(graph.make(&image, c));
        Node* moved = c.carryReader ? graph.firstReader : graph.node;
        if (!moved)
            continue;
        VyxNodeGraph* into = c.intoLater ? graph.late : graph.early;
        // As the drag moves a node: with its links.
        ASSERT_EQ(moved->parentGraph()->attach(moved, into), 0);
        ++carried;
        const QImage before = renderSaved(graph.root, &image);
        ASSERT_FALSE(before.isNull());
        const QStringList wired = wiring(&graph.root);

        expectLoadsWhole(graph.root, &image, wired, before);
    }
    EXPECT_GT(carried, 200);
}

// A document that stores no terminal kinds (an outside writer's) lists the link from a blur to a
// one-channel-only input before the link that feeds the blur a channel: every link is made,
// whatever the order, and the kinds settle from them.
TEST(SavedLinks, ALinkThatFitsOnlyOnceALaterOneStandsIsMadeToo)
{
    const QImage image = savedPicture();
    VyxNodeGraph root;
    ASSERT_EQ(root.setUp(&image), 0);
    Node* split = root.addNode(QStringLiteral("operator.split"), -1);
    Node* blur = root.addNode(QStringLiteral("operator.blur"), -1);
    Node* second = root.addNode(QStringLiteral("operator.edgedetection"), -1);
    ASSERT_TRUE(split && blur && second);
    Terminal* alpha = terminal(root.destinationNode(), QStringLiteral("alpha"));
    alpha->disconnectAll();
    ASSERT_TRUE(savedLink(terminal(root.sourceNode(), QStringLiteral("rgb")), terminal(split, QStringLiteral("rgb"))));
    ASSERT_TRUE(savedLink(terminal(split, QStringLiteral("g")), terminal(blur, QStringLiteral("in"))));
    ASSERT_TRUE(savedLink(terminal(blur, QStringLiteral("out")), terminal(second, QStringLiteral("in"))));
    ASSERT_TRUE(savedLink(terminal(blur, QStringLiteral("out")), alpha));
    const QImage before = renderSaved(root, &image);
    ASSERT_FALSE(before.isNull());
    QStringList links = wiring(&root);

    std::unique_ptr<QDomDocument> stored(root.store(root.nodes(), false, true, true));
    ASSERT_TRUE(stored);
    QDomDocument document;
    ASSERT_TRUE(document.setContent(stored->toString()));
    QDomNodeList kinds = document.elementsByTagName(QStringLiteral("termflags"));
    while (!kinds.isEmpty())
        kinds.at(0).parentNode().removeChild(kinds.at(0));
    // The link to the picture's alpha first, the rest as written.
    QDomElement connections = document.documentElement().firstChildElement(QStringLiteral("connections"));
    QDomElement toAlpha;
    for (QDomElement c = connections.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        if (c.attribute(QStringLiteral("terminal2")) == QLatin1String("alpha")
            || c.attribute(QStringLiteral("terminal1")) == QLatin1String("alpha"))
            toAlpha = c;
    }
    ASSERT_FALSE(toAlpha.isNull());
    connections.insertBefore(connections.removeChild(toAlpha), connections.firstChild());

    VyxNodeGraph loaded;
    EXPECT_EQ(loaded.load(document.documentElement(), true, KelNodes::LoadAllConnections), 0);
    EXPECT_EQ(wiring(&loaded), links);
    EXPECT_EQ(renderSaved(loaded, &image), before);
}

// A link drawn onto a narrowing node's input in place of another, the node's output feeding a
// second one: the drop takes the old link away before the new one stands, and the kinds written
// are those the links give. A load makes every link again, and the picture is the one from before.
TEST(SavedLinks, AnInputWhoseLinkReplacedAnotherKeepsItThroughASaveAndALoad)
{
    const QImage image = savedPicture();
    for (QString const& type : narrowingReaders) {
        for (QString const& readerType : narrowingReaders) {
            for (bool shown : {true, false}) {
                SCOPED_TRACE((type + QStringLiteral(" -> ") + readerType).toStdString()
                             + (shown ? ", shown as the picture's alpha" : ", read by nothing else"));
                VyxNodeGraph root;
                ASSERT_EQ(root.setUp(&image), 0);
                Node* split = root.addNode(QStringLiteral("operator.split"), -1);
                Node* node = root.addNode(type, -1);
                Node* reader = root.addNode(readerType, -1);
                ASSERT_TRUE(split && node && reader);
                ASSERT_TRUE(savedLink(terminal(root.sourceNode(), QStringLiteral("rgb")), terminal(split, QStringLiteral("rgb"))));
                Terminal* input = terminal(node, QStringLiteral("in"));
                ASSERT_TRUE(savedLink(terminal(split, QStringLiteral("g")), input));
                ASSERT_TRUE(savedLink(terminal(node, QStringLiteral("out")), terminal(reader, QStringLiteral("in"))));
                if (shown) {
                    Terminal* alpha = terminal(root.destinationNode(), QStringLiteral("alpha"));
                    alpha->disconnectAll();
                    ASSERT_TRUE(savedLink(terminal(reader, QStringLiteral("out")), alpha));
                }
                // Nothing but the two nodes reads the channel: a colour may take its place.
                Terminal* replacing = shown ? terminal(split, QStringLiteral("r"))
                                            : terminal(root.sourceNode(), QStringLiteral("rgb"));
                ASSERT_TRUE(savedLink(replacing, input));
                ASSERT_EQ(input->connections(), QList<Terminal*>{replacing});
                ASSERT_EQ(terminal(node, QStringLiteral("out"))->connections().size(), 1);
                const QImage before = renderSaved(root, &image);
                ASSERT_FALSE(before.isNull());
                const QStringList wired = wiring(&root);

                expectLoadsWhole(root, &image, wired, before);
            }
        }
    }
}

} // namespace
} // namespace EffectTest
