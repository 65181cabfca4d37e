#include "effects/VyxNodeGraph.h"

#include "effects/GeneratorLookup.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/NodeTypeRegistry.h"
#include "effects/RenderPlan.h"
#include "effects/RenderStack.h"
#include "effects/RenderThreadPool.h"
#include "effects/RenderThreadStates.h"
#include "effects/SharedOutputMemo.h"
#include "effects/VyxTerminal.h"
#include "nodes/GraphUtils.h"
#include "nodes/Terminal.h"
#include "params/GroupBoxParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterList.h"
#include "params/StatusObserver.h"

#include <QDebug>
#include <QObject>
#include <QPoint>

#include <algorithm>
#include <climits>
#include <exception>
#include <new>

namespace KelVyxNodes {

KelNodes::NodeDescriptor VyxNodeGraph::m_descriptor{
    QStringLiteral("vyxgraph"), QUuid(QStringLiteral("01b64c9b-6640-4fce-a581-2fb008bb9e6c")),
    QString(), QString(), &VyxNodeGraph::create};

namespace {

const QString kRgbIn = QStringLiteral("rgbIn");
const QString kAlphaIn = QStringLiteral("alphaIn");
const QString kRgbOut = QStringLiteral("rgbOut");
const QString kAlphaOut = QStringLiteral("alphaOut");

QString nodeName(KelNodes::Node const* node)
{
    return node ? node->displayName() : QString();
}

} // namespace

unsigned int VyxNodeGraph::ResultColour::getSample3(QPoint const& point) const
{
    RenderStack::check();
    Base3DGenerator const* result = m_graph->m_passed3D ? m_graph->m_passed3D : m_graph->m_result3D;
    return result ? result->getSample3(point) : 0x808080u;
}

unsigned int VyxNodeGraph::ResultAlpha::getSample(QPoint const& point) const
{
    RenderStack::check();
    Base1DGenerator const* result = m_graph->m_passed1D ? m_graph->m_passed1D : m_graph->m_result1D;
    return result ? result->getSample(point) : 255u;
}

void VyxNodeGraph::ResultColour::getSpan3(int y, int x, int count, unsigned int* out) const
{
    RenderStack::check();
    if (Base3DGenerator const* result = m_graph->m_passed3D ? m_graph->m_passed3D : m_graph->m_result3D)
        result->getSpan3(y, x, count, out);
    else
        std::fill(out, out + count, 0x808080u);
}

void VyxNodeGraph::ResultAlpha::getSpan(int y, int x, int count, unsigned int* out) const
{
    RenderStack::check();
    if (Base1DGenerator const* result = m_graph->m_passed1D ? m_graph->m_passed1D : m_graph->m_result1D)
        result->getSpan(y, x, count, out);
    else
        std::fill(out, out + count, 255u);
}

VyxNodeGraph::VyxNodeGraph(VyxNodeGraph* parent)
    : VyxNode(0, QStringLiteral("Graph"), parent)
    , KelNodes::NodeGraph(parent)
{
    m_graph = parent;
    buildSettings();
    // One registry per process, shared by every graph of every tree.
    setNodeTypes(NodeTypeRegistry::list());
}

VyxNodeGraph::~VyxNodeGraph()
{
    // Unlink the compound terminals while the whole object is alive, so that every hook (ours
    // and the peers') sees a complete graph and peers drop their pointers to our outputs.
    removeAllTerminals();
}

void VyxNodeGraph::buildSettings()
{
    using namespace KelUtils;
    auto* box = new GroupBoxParameter(QStringLiteral("graphBox"), QObject::tr("Node Graph Settings"),
                                      &m_container, 1);
    auto* disable = new NumGroupParameter<int>(QStringLiteral("disable"), QObject::tr("Disable Effect"),
                                               &m_container, &m_disable, 1, 0, 1, 0, false, 5);
    auto* opacity = new NumGroupParameter<int>(QStringLiteral("opacity"), QObject::tr("Opacity"),
                                               &m_container, &m_opacity, 1, 0, 100, 100, true, 5);
    const ListItem modes[] = {{0, QStringLiteral("Normal")},       {2, QStringLiteral("Multiply")},
                              {3, QStringLiteral("Color Burn")},   {4, QStringLiteral("Linear Burn")},
                              {6, QStringLiteral("Screen")},       {7, QStringLiteral("Color Dodge")},
                              {8, QStringLiteral("Linear Dodge")}, {14, QStringLiteral("Difference")}};
    auto* blend = new ListParameter(QStringLiteral("blendMode"), QObject::tr("Blend Mode:"),
                                    &m_container, &m_blendMode, modes, 8, 0, 5);
    m_container.paramLists().append(
        ParameterList{QStringLiteral("NodeGraph"), true, {box, disable, opacity, blend}});
}

KelNodes::Node* VyxNodeGraph::create(int /*id*/)
{
    return new VyxNodeGraph(nullptr);
}

KelNodes::NodeDescriptor const* VyxNodeGraph::descriptor() const
{
    return &m_descriptor;
}

void* VyxNodeGraph::objectPtr()
{
    return this;
}

VyxNodeGraph* VyxNodeGraph::topLevelGraph() const
{
    return dynamic_cast<VyxNodeGraph*>(KelNodes::NodeGraph::topLevelGraph());
}

VyxNodeGraph* VyxNodeGraph::parentEffectGraph() const
{
    return dynamic_cast<VyxNodeGraph*>(m_parentGraph);
}

int VyxNodeGraph::enumerateNodes(QString const& path)
{
    if (m_parentGraph) {
        qDebug() << "Node enumeration can be called from root graph only.";
        return -1;
    }
    return NodeTypeRegistry::enumerateNodes(path);
}

VyxNodeGraph* VyxNodeGraph::addSubGraph(int id)
{
    auto* graph = new VyxNodeGraph(nullptr);
    if (!addNode(graph, id)) {
        delete graph;
        return nullptr;
    }
    return graph;
}

void VyxNodeGraph::setParentGraph(KelNodes::NodeGraph* graph)
{
    VyxNode::setParentGraph(graph);
    // The compound terminals exist only under a parent: list them at the next renewal.
    setDirty();
}

void VyxNodeGraph::fillTerminals() const
{
    if (m_parentGraph) {
        bool hasOwn = false;
        for (KelNodes::Terminal const* t : std::as_const(m_terminals))
            hasOwn = hasOwn || (t && t->hostNode() == this);
        if (!hasOwn) {
            auto* self = const_cast<VyxNodeGraph*>(this);
            // Own terminals go first, in table order, ahead of any boundary terminal.
            const QList<KelNodes::Terminal*> boundary = m_terminals;
            m_terminals.clear();
            self->addTerminal(kRgbIn, 4, 0);
            self->addTerminal(kAlphaIn, 2, 0);
            self->addTerminal(kRgbOut, 0, 4);
            self->addTerminal(kAlphaOut, 0, 2);
            m_terminals.append(boundary);
        }
    }
    KelNodes::NodeGraph::fillTerminals();
}

NodeOriginalImage* VyxNodeGraph::sourceNode() const
{
    return dynamic_cast<NodeOriginalImage*>(findFirstNode(NodeOriginalImage::m_descriptor.typeUuid, false));
}

NodeFilteredImage* VyxNodeGraph::destinationNode() const
{
    return dynamic_cast<NodeFilteredImage*>(findFirstNode(NodeFilteredImage::m_descriptor.typeUuid, false));
}

unsigned long long VyxNodeGraph::renderSerial() const
{
    VyxNodeGraph const* top = topLevelGraph();
    return (top ? top : this)->m_renderSerial.load();
}

void VyxNodeGraph::setMakesPreviews(bool makes)
{
    m_makesPreviews.store(makes);
}

bool VyxNodeGraph::makesPreviews() const
{
    VyxNodeGraph const* top = topLevelGraph();
    return (top ? top : this)->m_makesPreviews.load();
}

void VyxNodeGraph::setRenderThreadCount(int count)
{
    m_renderThreads.store(std::clamp(count, 0, RenderThreadPool::maxThreads()),
                          std::memory_order_relaxed);
}

int VyxNodeGraph::renderThreads() const
{
    VyxNodeGraph const* top = topLevelGraph();
    const int count = (top ? top : this)->renderThreadCount();
    return count > 0 ? count : RenderThreadPool::coreCount();
}

Base1DGenerator const* VyxNodeGraph::toBase1DGenerator() const
{
    return &m_resultAlpha;
}

Base3DGenerator const* VyxNodeGraph::toBase3DGenerator() const
{
    return &m_resultColour;
}

void VyxNodeGraph::takeResultGenerators()
{
    NodeFilteredImage* destination = destinationNode();
    m_result3D = destination ? destination->toBase3DGenerator() : nullptr;
    m_result1D = destination ? destination->toBase1DGenerator() : nullptr;
}

// --- compound node links ---------------------------------------------------------------------

void VyxNodeGraph::setSourceUpstream(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    NodeOriginalImage* source = sourceNode();
    if (!source || !own)
        return;
    if (own->name() == kRgbIn) {
        Base3DGenerator const* g3 = nullptr;
        getGeneratorInterface(&g3, peer);
        source->setUpstream3D(g3);
        if (!g3)
            qDebug() << "VyxNodeGraph::onConnect() error: failed to get 3D interface from"
                     << (peer ? peer->name() : QString()) << "of"
                     << nodeName(peer ? peer->hostNode() : nullptr);
    } else if (own->name() == kAlphaIn) {
        Base1DGenerator const* g1 = nullptr;
        getGeneratorInterface(&g1, peer);
        source->setUpstream1D(g1);
        if (!g1)
            qDebug() << "VyxNodeGraph::onConnect() error: failed to get 1D interface from"
                     << (peer ? peer->name() : QString()) << "of"
                     << nodeName(peer ? peer->hostNode() : nullptr);
    }
}

int VyxNodeGraph::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (KelNodes::Node::onConnect(own, peer) < 0)
        return -1;
    if (!own || (own->name() != kRgbIn && own->name() != kAlphaIn) || own->hostNode() != this)
        return 0;
    if (!sourceNode())
        setUp(nullptr, nullptr, nullptr, false);
    setSourceUpstream(own, peer);
    return 0;
}

void VyxNodeGraph::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    KelNodes::Node::onDisconnect(own, peer);
    if (!own || own->hostNode() != this)
        return;
    NodeOriginalImage* source = sourceNode();
    if (!source)
        return;
    if (own->name() == kRgbIn)
        source->setUpstream3D(nullptr);
    else if (own->name() == kAlphaIn)
        source->setUpstream1D(nullptr);
}

bool VyxNodeGraph::passesInputUnchanged() const
{
    NodeOriginalImage const* source = sourceNode();
    NodeFilteredImage const* destination = destinationNode();
    if (!m_parentGraph || !source || !destination)
        return false;
    KelNodes::Terminal const* rgb = destination->terminal(0);
    KelNodes::Terminal const* alpha = destination->terminal(1);
    // Without a colour link the render fails; that stays so.
    if (!rgb || rgb->numConnections() == 0)
        return false;
    if (m_disable != 0)
        return true;
    auto fromSource = [source](KelNodes::Terminal const* own, int sourceTerminal) {
        return own->numConnections() == 1 && own->connections().first() == source->terminal(sourceTerminal);
    };
    if (!fromSource(rgb, 0) || (alpha && alpha->numConnections() != 0 && !fromSource(alpha, 1)))
        return false;
    // Normal mixes a colour with itself into itself; opacity 0 keeps the input.
    return m_blendMode == 0 || std::clamp(m_opacity, 0, 100) == 0;
}

bool VyxNodeGraph::passesAlphaUnchanged() const
{
    NodeOriginalImage const* source = sourceNode();
    NodeFilteredImage const* destination = destinationNode();
    if (!m_parentGraph || !source || !destination)
        return false;
    KelNodes::Terminal const* alpha = destination->terminal(1);
    return !alpha || alpha->numConnections() == 0
           || (alpha->numConnections() == 1 && alpha->connections().first() == source->terminal(1));
}

Base3DGenerator const* VyxNodeGraph::lookThrough(Base3DGenerator const* input) const
{
    auto const* output = dynamic_cast<ResultColour const*>(input);
    VyxNodeGraph const* upstream = output ? output->graph() : nullptr;
    if (upstream && upstream->m_passed3D && upstream->m_passedSerial == renderSerial())
        return upstream->m_passed3D;
    return input;
}

Base1DGenerator const* VyxNodeGraph::lookThrough(Base1DGenerator const* input) const
{
    auto const* output = dynamic_cast<ResultAlpha const*>(input);
    VyxNodeGraph const* upstream = output ? output->graph() : nullptr;
    if (upstream && upstream->m_passed1D && upstream->m_passedSerial == renderSerial())
        return upstream->m_passed1D;
    return input;
}

bool VyxNodeGraph::resultResolvedIn(RenderStages const* stages) const
{
    // The render may be of a graph inside a tree (a template's icon): its own stages count.
    return stages && m_resolvedBy == stages && m_resolvedSerial == stages->serial() && destinationNode();
}

VyxNodeGraph const* VyxNodeGraph::passingUpstream(void const* input, bool colour) const
{
    VyxNodeGraph const* upstream = nullptr;
    if (colour) {
        if (auto const* output = dynamic_cast<ResultColour const*>(static_cast<Base3DGenerator const*>(input)))
            upstream = output->graph();
    } else if (auto const* output = dynamic_cast<ResultAlpha const*>(static_cast<Base1DGenerator const*>(input))) {
        upstream = output->graph();
    }
    if (!upstream || upstream->m_passedSerial != renderSerial())
        return nullptr;
    if (colour ? upstream->m_passed3D == nullptr : upstream->m_passed1D == nullptr)
        return nullptr;
    return upstream;
}

PullRecord const& VyxNodeGraph::passRecord(bool colour) const
{
    return colour ? m_passRecord : m_passRecord1D;
}

void VyxNodeGraph::finishPullRecord() const
{
    RenderStages* stages = RenderStages::resolving();
    if (!stages)
        return;
    PullRecord& record = pullRecord();
    const unsigned long long serial = record.serial;
    m_resolvedBy = stages;
    m_resolvedSerial = stages->serial();
    if (m_passed3D && m_passedSerial == renderSerial()) {
        // The outputs read the input: one call more.
        record = m_passRecord;
        record.depth = m_passRecord.depth + 1;
        record.serial = serial;
        return;
    }
    PullRecord result;
    result.serial = serial;
    // The outputs call the destination, which reads the result and the source as the original.
    if (PullRecord const* destination = stages->recordOf(destinationNode()))
        result.merge(*destination, 1);
    if (PullRecord const* source = stages->recordOf(sourceNode()))
        result.merge(*source, 2);
    // Unblended, the colour outputs hand on what the destination reads.
    NodeFilteredImage const* destination = destinationNode();
    result.keepsRows = !blendsOverSource() && m_disable == 0 && destination && destination->colourReadKeepsRows();
    record = result;
}

namespace {

// Calls `visit` with every node linked to the source node's outputs that reads its colour
// (kind 4) or channel (kind 2); an input that takes either kind counts for both.
template <class Visit>
void forEachReaderOf(NodeOriginalImage const* source, unsigned int kind, Visit&& visit)
{
    for (int t = 0; t < source->numTerminals(); ++t) {
        KelNodes::Terminal const* output = source->terminal(t);
        if (!output)
            continue;
        for (KelNodes::Terminal const* reader : output->connections()) {
            if (reader && (reader->inputMask() & kind) != 0)
                visit(dynamic_cast<VyxNode const*>(reader->hostNode()));
        }
    }
}

// Reads per point of the source node's colour or channel by the nodes linked to its outputs.
int linkedReadsOf(NodeOriginalImage const* source, unsigned int kind, bool windowsBelow)
{
    int reads = 0;
    forEachReaderOf(source, kind, [&](VyxNode const* node) {
        const bool repeated = node && (node->readsInputsRepeatedly() || (windowsBelow && node->keepsInputRows()));
        reads += repeated ? 2 : 1;
    });
    return reads;
}

// A generator worth no memo of its own: a memo already, or the source node of the top graph
// reading its own picture.
bool worthNoMemo(Base3DGenerator const* input)
{
    auto const* source = dynamic_cast<NodeOriginalImage const*>(input);
    return dynamic_cast<SharedOutputMemo const*>(input) || (source && !source->upstream3D());
}

bool worthNoMemo(Base1DGenerator const* input)
{
    auto const* source = dynamic_cast<NodeOriginalImage const*>(input);
    return dynamic_cast<SharedOutputMemo const*>(input) || (source && !source->upstream1D());
}

} // namespace

bool VyxNodeGraph::readsSourceColourRepeatedly(bool windowsBelow) const
{
    NodeOriginalImage const* source = sourceNode();
    if (!source)
        return false;
    // Blending, the destination reads the source's colour as the original besides the result.
    return linkedReadsOf(source, 4u, windowsBelow) + (blendsOverSource() ? 1 : 0) > 1;
}

bool VyxNodeGraph::rereadsSourceColourCheaply(PullRecord const& input) const
{
    NodeOriginalImage const* source = sourceNode();
    if (!source || !input.keepsRows || input.rereads)
        return false;
    int reads = 0;
    bool plain = true;
    forEachReaderOf(source, 4u, [&](VyxNode const* node) {
        plain = plain && node && node->readsInputAtItsPointOnly();
        ++reads;
    });
    return plain && reads + (blendsOverSource() ? 1 : 0) == 2;
}

bool VyxNodeGraph::blendsOverSource() const
{
    return m_disable == 0 && (m_blendMode != 0 || std::clamp(m_opacity, 0, 100) < 100);
}

bool VyxNodeGraph::readsSourceChannelRepeatedly(bool windowsBelow) const
{
    NodeOriginalImage const* source = sourceNode();
    NodeFilteredImage const* destination = destinationNode();
    if (!source)
        return false;
    // Without an alpha link the destination reads the source's alpha, and below full opacity
    // it reads it (again) to mix the result with.
    KelNodes::Terminal const* alpha = destination ? destination->terminal(1) : nullptr;
    int ownReads = alpha && alpha->numConnections() != 0 ? 0 : 1;
    if (m_disable == 0 && std::clamp(m_opacity, 0, 100) < 100)
        ++ownReads;
    return linkedReadsOf(source, 2u, windowsBelow) + ownReads > 1;
}

void VyxNodeGraph::resolveInputs()
{
    m_passed3D = nullptr;
    m_passed1D = nullptr;
    NodeOriginalImage* source = sourceNode();
    if (!source)
        return;
    // Each kind's reads are noted on their own: a look-through or a stage replaces them.
    RenderStages* stages = RenderStages::resolving();
    PullRecord colourRecord;
    PullRecord channelRecord;
    PullRecord* outer = stages ? stages->swapTarget(&colourRecord) : nullptr;
    Base3DGenerator const* linkedColour = linkedGenerator3D(getTerminal(kRgbIn));
    if (stages)
        stages->swapTarget(&channelRecord);
    Base1DGenerator const* linkedChannel = linkedGenerator1D(getTerminal(kAlphaIn));
    if (stages)
        stages->swapTarget(outer);
    // Effects are resolved upstream first (level order): an effect that passes its input takes
    // what its own upstream resolved to, so no read walks a run of such effects one by one.
    Base3DGenerator const* colour = lookThrough(linkedColour);
    Base1DGenerator const* channel = lookThrough(linkedChannel);
    if (colour != linkedColour) {
        if (VyxNodeGraph const* upstream = passingUpstream(linkedColour, true))
            colourRecord = upstream->passRecord(true);
    }
    if (channel != linkedChannel) {
        if (VyxNodeGraph const* upstream = passingUpstream(linkedChannel, false))
            channelRecord = upstream->passRecord(false);
    }
    if (passesInputUnchanged()) {
        source->setUpstream3D(colour);
        source->setUpstream1D(channel);
        m_passed3D = colour ? colour : source->toBase3DGenerator();
        m_passed1D = channel ? channel : source->toBase1DGenerator();
        m_passedSerial = renderSerial();
        m_passRecord = PullRecord();
        m_passRecord.merge(colourRecord, 0);
        m_passRecord.merge(channelRecord, 0);
        m_passRecord1D = channelRecord;
        m_inputRecord = m_passRecord;
        if (stages)
            pullRecord().merge(m_passRecord, 0);
        return;
    }
    // An alpha that is the picture's own bytes passes by the effect: read directly, the picture
    // costs less than a stage of it, and a run of effects reads it in one call. (Only bytes:
    // the effect's output keeps the low byte of what it reads.)
    auto const* pictureAlpha = dynamic_cast<NodeOriginalImage const*>(channel);
    if (passesAlphaUnchanged() && (!channel || (pictureAlpha && !pictureAlpha->upstream1D()))) {
        m_passed1D = channel ? channel : source->toBase1DGenerator();
        m_passedSerial = renderSerial();
        m_passRecord1D = channelRecord;
    }
    // The input is evaluated once per point however often the effect reads it (a blend reads
    // it through the nodes and again as the original): else a stack of k such effects would
    // cost 2^k reads of the picture. An input lying deep below is staged as well, so that no
    // read inside the image goes down the whole stack.
    auto stage = [&](PullRecord& record, auto const* memo) {
        if (!stages)
            return;
        const PullRecord upstream = record;
        record = PullRecord();
        PullRecord* previous = stages->swapTarget(&record);
        stages->readStage(memo, &upstream);
        stages->swapTarget(previous);
    };
    // An input whose second read costs copies is read twice instead: a stage would cost a pass
    // over the picture and its memory for nothing. Once per stretch, so work stays within twice.
    const bool rereadCheaply = colour && stages && rereadsSourceColourCheaply(colourRecord);
    if (colour && !worthNoMemo(colour)
        && ((readsSourceColourRepeatedly(colourRecord.windows) && !rereadCheaply)
            || (stages && RenderStages::needsCut(&colourRecord)))) {
        SharedOutputMemo const* memo = sharedOutput(getTerminal(kRgbIn), nullptr, colour);
        stage(colourRecord, memo);
        colour = memo;
    } else if (rereadCheaply) {
        colourRecord.rereads = true;
    }
    if (channel && !worthNoMemo(channel)
        && (readsSourceChannelRepeatedly(channelRecord.windows) || (stages && RenderStages::needsCut(&channelRecord)))) {
        SharedOutputMemo const* memo = sharedOutput(getTerminal(kAlphaIn), channel, nullptr);
        stage(channelRecord, memo);
        channel = memo;
    }
    source->setUpstream3D(colour);
    source->setUpstream1D(channel);
    m_inputRecord = PullRecord();
    m_inputRecord.merge(colourRecord, 0);
    m_inputRecord.merge(channelRecord, 0);
    if (stages) {
        PullRecord& own = pullRecord();
        own.merge(m_inputRecord, 0);
    }
}

// --- set-up and render -----------------------------------------------------------------------

int VyxNodeGraph::setUp(QImage const* image, unsigned char const* mask, QRect const* rect,
                        bool notify)
{
    if (image && image->format() != QImage::Format_RGB32
        && image->format() != QImage::Format_ARGB32) {
        qDebug() << "VyxNodeGraph error: original picture has illegal format (has to be RGB32 or "
                    "ARGB32)";
        return -1;
    }
    m_originalImage = image;
    m_mask = mask;
    if (rect)
        m_rect = image ? rect->intersected(image->rect()) : *rect; // never read outside the image
    else if (image)
        m_rect = image->rect();
    else
        m_rect = QRect();
    if (m_rect.isEmpty())
        m_rect = QRect();

    NodeOriginalImage* source = sourceNode();
    NodeFilteredImage* destination = destinationNode();
    if (!source || !destination) {
        if (!source) {
            source = new NodeOriginalImage(-1);
            addNode(source, -1);
        }
        if (!destination) {
            destination = new NodeFilteredImage(-1);
            addNode(destination, -1);
            m_result3D = destination->toBase3DGenerator();
            m_result1D = destination->toBase1DGenerator();
        }
        KelNodes::GraphUtils::connectNodes(source, destination, false);
        KelNodes::GraphUtils::connectNodes(source, destination, false);
    }
    source->setImage(image);
    if (!m_result3D || !m_result1D)
        takeResultGenerators();

    const QList<KelNodes::Node*> members = m_nodes;
    for (KelNodes::Node* member : members) {
        if (auto* sub = dynamic_cast<VyxNodeGraph*>(member))
            sub->setUp(image, mask, rect, false);
    }
    if (notify)
        sendNotification(KelNodes::NodeSubscriber::SetUp);
    return 0;
}

void VyxNodeGraph::sortForRender() const
{
    renew();
    bool sorted = true;
    int previous = 0;
    for (KelNodes::Node const* member : std::as_const(m_nodes)) {
        const int level = member->getLevel(true);
        sorted = sorted && level >= previous;
        previous = level;
    }
    // Only a list out of order is rewritten, so a graph sorted beforehand is merely read here.
    if (!sorted)
        sortNodes();
    for (KelNodes::Node const* member : std::as_const(m_nodes)) {
        if (auto const* sub = dynamic_cast<VyxNodeGraph const*>(member))
            sub->sortForRender();
    }
}

namespace {

// A preview sampled right after `node` is prepared (place `ordinal`; an effect's is after its
// last member) reads the node's outputs and its graph source's alpha: their stages stay till then.
void keepPreviewReads(RenderStages* stages, VyxNode const* node, int ordinal)
{
    PullRecord reads;
    if (PullRecord const* own = stages->recordOf(node))
        reads.merge(*own, 0);
    KelNodes::NodeGraph const* parent = node->parentGraph();
    KelNodes::Node* source = parent ? parent->findFirstNode(NodeOriginalImage::m_descriptor.typeUuid, true) : nullptr;
    if (PullRecord const* alpha = stages->recordOf(dynamic_cast<VyxNode const*>(source)))
        reads.merge(*alpha, 0);
    stages->keepUntil(reads, ordinal);
    node->pullRecord().previewKept = true;
}

// Steps in plan order (RenderPlan: upstream first, also across sibling effects); every node's
// reads are noted (RenderStages) while it resolves.
void resolveInPlan(RenderPlan const& plan, RenderStages* stages, bool previews)
{
    for (RenderPlan::Step const& step : plan.steps()) {
        auto* node = dynamic_cast<VyxNode*>(step.node);
        if (step.kind == RenderPlan::Kind::CloseEffect) {
            if (auto const* subEffect = dynamic_cast<VyxNodeGraph const*>(step.node))
                subEffect->finishPullRecord();
            if (previews && node && stages && node->previewWanted())
                keepPreviewReads(stages, node, stages->lastOrdinal());
            continue;
        }
        auto const* effect = dynamic_cast<VyxNodeGraph const*>(step.graph);
        if (node && stages)
            stages->beginNode(node);
        if (node)
            node->resolveInputs();
        // The source of an effect reads the effect's input.
        if (stages && effect && effect->parentEffectGraph() && dynamic_cast<NodeOriginalImage*>(step.node))
            stages->readPlain(stages->recordOf(effect));
        if (node && stages)
            stages->endNode(node);
        // An effect's preview waits for its closing step.
        if (previews && node && stages && node->previewWanted() && !step.node->toNodeGraph())
            keepPreviewReads(stages, node, node->renderOrdinal());
    }
}

// Right after the node is prepared, while what it reads is filled: each preview point then
// costs what a point of the render costs, whatever lies upstream.
void makePreviewOf(VyxNode const* node, RenderStages const* stages, KelUtils::StatusObserver* observer)
{
    PullRecord const* record = stages->recordOf(node);
    if (node->previewWanted() && record && record->previewKept)
        node->makeRenderPreview(observer);
}

// The stages this node reads are filled first (everything upstream is prepared).
bool fillReadsOf(VyxNode const* node, RenderStages* stages, KelUtils::StatusObserver* observer)
{
    return !(node && stages && node->pullRecord().serial == stages->serial()
             && stages->advanceTo(node->renderOrdinal(), observer) < 0);
}

// A node that gives up is named (`named` false for a sub-graph, which named its own member).
bool prepareNamed(VyxNode* node, KelNodes::Node const* member, bool named, KelUtils::StatusObserver* observer)
{
    if (!node || node->onFilterStart(observer) >= 0)
        return true;
    if (observer && named && !observer->cancelationRequested())
        observer->failed(QStringLiteral("the node \"%1\" could not be prepared for rendering").arg(nodeName(member)));
    return false;
}

// After a step: its preview, then every pass its preparation ran (fills, its scan, its preview)
// is over; false on a cancel.
bool finishStep(VyxNode const* node, RenderStages const* stages, bool previews, KelUtils::StatusObserver* observer)
{
    if (node && previews)
        makePreviewOf(node, stages, observer);
    if (RenderThreadStates* states = RenderThreadStates::current())
        states->releaseAll();
    return !(observer && observer->cancelationRequested());
}

} // namespace

int VyxNodeGraph::onFilterStart(KelUtils::StatusObserver* observer)
{
    takeResultGenerators();
    const QList<KelNodes::Node*> members = m_nodes;
    RenderStages* stages = RenderStages::preparing();
    const bool previews = stages && makesPreviews();
    for (KelNodes::Node* member : members) {
        auto* node = dynamic_cast<VyxNode*>(member);
        if (!fillReadsOf(node, stages, observer) || !prepareNamed(node, member, !member->toNodeGraph(), observer)
            || !finishStep(node, stages, previews, observer))
            return -1;
    }
    return 0;
}

int VyxNodeGraph::prepareInPlan(RenderPlan const& plan, KelUtils::StatusObserver* observer)
{
    takeResultGenerators();
    RenderStages* stages = RenderStages::preparing();
    const bool previews = stages && makesPreviews();
    for (RenderPlan::Step const& step : plan.steps()) {
        KelNodes::Node* member = step.node;
        auto* node = dynamic_cast<VyxNode*>(member);
        if (step.kind == RenderPlan::Kind::Member) {
            if (!fillReadsOf(node, stages, observer))
                return -1;
            // A graph's members are steps of their own; it is done at its closing step.
            if (auto* effect = dynamic_cast<VyxNodeGraph*>(member)) {
                effect->takeResultGenerators();
                continue;
            }
            if (member->toNodeGraph())
                continue;
            if (!prepareNamed(node, member, true, observer))
                return -1;
        }
        if (!finishStep(node, stages, previews, observer))
            return -1;
    }
    return 0;
}

void VyxNodeGraph::onFilterStop(KelUtils::StatusObserver* observer)
{
    const QList<KelNodes::Node*> members = m_nodes;
    for (KelNodes::Node* member : members) {
        if (auto* node = dynamic_cast<VyxNode*>(member))
            node->onFilterStop(observer);
    }
}

namespace {

// "6.2 GB": decimal units, one decimal, as a file manager shows sizes.
QString memoryFigure(std::size_t bytes)
{
    static const char* const units[] = {"kB", "MB", "GB", "TB"};
    if (bytes < 1000)
        return QStringLiteral("%1 bytes").arg(qulonglong(bytes));
    double value = double(bytes) / 1000.0;
    int unit = 0;
    while (value >= 999.95 && unit < 3) {
        value /= 1000.0;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

// A render refused for its stages' memory, in figures: what it needs, on what, and what may be
// used (RenderStages, RenderMemory).
QString memoryRefusal(std::size_t needed, std::size_t allowed, QImage const* picture)
{
    const QSize size = picture ? picture->size() : QSize();
    return QStringLiteral("this effect graph needs %1 of picture memory on a %2 \u00d7 %3 picture; %4 may be used")
        .arg(memoryFigure(needed))
        .arg(size.width())
        .arg(size.height())
        .arg(memoryFigure(allowed));
}

} // namespace

int VyxNodeGraph::filter(KelUtils::StatusObserver* observer)
{
    // A failed render leaves no result behind, rather than one that may no longer exist.
    m_resultImage = QImage();
    if (VyxNodeGraph* top = topLevelGraph())
        top->m_renderSerial.fetch_add(1);
    else
        m_renderSerial.fetch_add(1);

    NodeOriginalImage* source = sourceNode();
    if (!source) {
        qDebug() << "VyxNodeGraph error: cannot find the original image node (NodeOriginalImage) "
                    "in the node graph, filtering aborted";
        if (observer)
            observer->failed(QStringLiteral("the effect graph has no Original Image node"));
        return -1;
    }
    Base3DGenerator const* saved3D = source->upstream3D();
    Base1DGenerator const* saved1D = source->upstream1D();
    source->setUpstream3D(nullptr);
    source->setUpstream1D(nullptr);
    auto restore = [&]() {
        source->setUpstream3D(saved3D);
        source->setUpstream1D(saved1D);
    };

    NodeFilteredImage* destination = destinationNode();
    if (!destination) {
        qDebug() << "VyxNodeGraph error: cannot find the destination node (NodeFilteredImage) in "
                    "the node graph, filtering aborted";
        if (observer)
            observer->failed(QStringLiteral("the effect graph has no Filtered Image node"));
        restore();
        return -1;
    }

    // Upstream first in every graph, then every cached upstream pointer read afresh, so that
    // links made before their upstream was ready work and statistics see prepared inputs.
    sortForRender();
    const RenderPlan plan(this);
    // Declared before the stages, so given back last: after the stages' row memos, whatever way
    // the render ends.
    RenderThreadStates threadStates;
    RenderThreadStates::Scope threadStatesScope(&threadStates);
    m_stages.begin(renderSerial(), renderThreads());
    struct EndStages
    {
        RenderStages& stages;
        ~EndStages() { stages.end(); }
    } endStages{m_stages};
    {
        RenderStages::Resolving resolving(&m_stages);
        resolveInPlan(plan, &m_stages, makesPreviews());
        if (PullRecord const* rows = m_stages.recordOf(destination))
            m_stages.rowLoopReads(*rows);
    }

    if (observer)
        observer->started();
    // A reader of an effect that has no result when it is read would read grey in silence.
    if (!m_stages.refusal().isEmpty()) {
        qDebug() << "VyxNodeGraph error:" << m_stages.refusal();
        if (observer)
            observer->failed(m_stages.refusal());
        restore();
        return -1;
    }
    // Past the hard cap a fill would read down a chain of unfilled stages, its work growing as
    // a power of the depth: such a graph is refused before any work.
    if (!m_stages.holdsWithinCap()) {
        const QString reason = memoryRefusal(m_stages.neededBytes(), m_stages.capBytes(), m_originalImage);
        qDebug() << "VyxNodeGraph error:" << reason;
        if (observer)
            observer->failed(reason);
        restore();
        return -1;
    }
    try {
        RenderStack::Guard guard;
        int prepared = 0;
        {
            RenderStages::Preparing preparing(&m_stages);
            prepared = prepareInPlan(plan, observer);
        }
        // The stages nothing but the row loop reads are given back before it starts.
        if (prepared < 0 || (observer && observer->cancelationRequested())
            || m_stages.advanceTo(INT_MAX - 1, observer) < 0) {
            qDebug() << "VyxNodeGraph error: one of the nodes onFilterStart() failed, filtering aborted";
            restore();
            return -1;
        }
        threadStates.releaseAll();
        if (destination->filter(observer) < 0) {
            qDebug() << "VyxNodeGraph error: filtering failed";
            restore();
            return -1;
        }
    } catch (RenderStack::TooDeep const& tooDeep) {
        qDebug() << "VyxNodeGraph error:" << tooDeep.what();
        if (observer)
            observer->failed(QString::fromUtf8(tooDeep.what()));
        restore();
        return -1;
    } catch (std::bad_alloc const&) {
        // From any render thread (ParallelRows carries it here): a failed render, not a crash.
        qDebug() << "VyxNodeGraph error: out of memory while rendering";
        if (observer)
            observer->failed(QStringLiteral("there is not enough memory to render the effect graph"));
        restore();
        return -1;
    } catch (std::exception const& error) {
        qDebug() << "VyxNodeGraph error:" << error.what();
        if (observer)
            observer->failed(QStringLiteral("the effect graph failed to render: %1").arg(QString::fromLocal8Bit(error.what())));
        restore();
        return -1;
    }
    m_resultImage = destination->destinationImage();
    onFilterStop(observer);
    restore();
    if (observer)
        observer->completed();
    return 0;
}

VyxNode* VyxNodeGraph::addNode(QDomElement const& section, bool keepUid, QMap<int, int>* uidMap,
                              QList<VyxNode*>* loaded)
{
    QList<KelNodes::Node*> made;
    KelNodes::Node* node = KelNodes::NodeGraph::addNode(section, keepUid, uidMap, &made);
    if (loaded) {
        for (KelNodes::Node* each : std::as_const(made)) {
            if (auto* effect = dynamic_cast<VyxNode*>(each))
                loaded->append(effect);
        }
    }
    return dynamic_cast<VyxNode*>(node);
}

} // namespace KelVyxNodes
