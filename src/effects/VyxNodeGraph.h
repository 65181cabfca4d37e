#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/RenderStages.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeGraph.h"

#include <QImage>
#include <QRect>

#include <atomic>

namespace KelVyxNodes {

class NodeFilteredImage;
class NodeOriginalImage;
class RenderPlan;

// The effect graph: a node graph of effect nodes that renders its original image pixel by pixel
// from its source node (NodeOriginalImage) to its destination node (NodeFilteredImage), and at
// the same time an effect node, so that an effect sits inside the root graph as a compound node
// with the terminals "rgbIn", "alphaIn", "rgbOut" and "alphaOut". The effect's own settings
// "opacity" and "blendMode" blend its result over its input when it is read as a compound node;
// while "disable" is set its input passes through unchanged.
//
// A render: setUp(image) binds the tree to the picture, filter(observer) prepares every node
// (level order), runs the destination node's row loop and keeps the result image.
class VyxNodeGraph : public VyxNode, public KelNodes::NodeGraph
{
public:
    explicit VyxNodeGraph(VyxNodeGraph* parent = nullptr);
    ~VyxNodeGraph() override;

    static KelNodes::NodeDescriptor m_descriptor;
    static KelNodes::Node* create(int id);

    KelNodes::NodeDescriptor const* descriptor() const override;
    void* objectPtr() override;
    VyxNodeGraph* topLevelGraph() const override;
    // The parent graph as an effect graph, or null.
    VyxNodeGraph* parentEffectGraph() const;
    // Node plug-ins come from the process-wide registry; -1 on a graph that has a parent.
    int enumerateNodes(QString const& path) override;
    VyxNodeGraph* addSubGraph(int id) override;
    void fillTerminals() const override;
    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void setParentGraph(KelNodes::NodeGraph* graph) override;

    // The node-graph overloads stay reachable beside the one below.
    using KelNodes::NodeGraph::addNode;
    // Makes one node (or sub-graph) from a section as NodeGraph's section loader does and
    // appends to `loaded` the effect nodes that loader lists (the members made inside a new
    // sub-graph, at any depth). Null when nothing was made or the new node is no effect node.
    VyxNode* addNode(QDomElement const& section, bool keepUid, QMap<int, int>* uidMap,
                     QList<VyxNode*>* loaded);

    // The compound node's outputs: the inner destination node's blended colour and alpha. Never
    // null, so links made before the graph is set up stay good (0x808080 / 255 until then; a
    // render whose reader would get those fails instead, see resultResolvedIn).
    Base1DGenerator const* toBase1DGenerator() const override;
    Base3DGenerator const* toBase3DGenerator() const override;
    // Prepares every member in list order (recursing into sub-graphs), polling cancellation.
    // A render prepares in the order of its RenderPlan instead, which is this one wherever no
    // node reads into a sibling effect.
    int onFilterStart(KelUtils::StatusObserver* observer) override;
    void onFilterStop(KelUtils::StatusObserver* observer) override;
    void resolveInputs() override;

    // Binds image (RGB32 or ARGB32, else -1 and nothing changes), selection mask and render
    // rectangle to this graph and every sub-graph; creates and links missing source and
    // destination nodes. The mask, when given, has one byte per image pixel (y * image width +
    // x, 0 = not selected); the rectangle (default: the whole image) is clipped to the image.
    // Image and mask must stay alive until the next setUp.
    int setUp(QImage const* image, unsigned char const* mask = nullptr, QRect const* rect = nullptr,
              bool notify = false);
    // 0 on success (resultImage() holds the picture), -1 on failure or cancellation (then
    // resultImage() is null). The observer may be null.
    int filter(KelUtils::StatusObserver* observer);

    // Sorts the node list of this graph and of every sub-graph by evaluation level where it is
    // not sorted yet. filter() does this first; the application may call it before it hands the
    // graph to the render thread.
    void sortForRender() const;

    // Render context.
    QImage const* originalImage() const { return m_originalImage; }
    unsigned char const* selectionMask() const { return m_mask; }
    QRect const& renderRect() const { return m_rect; }
    QImage const& resultImage() const { return m_resultImage; }
    // Advanced by every filter() on the top-level graph.
    unsigned long long renderSerial() const;

    // Threads a render of this tree uses: 0 (the default) for every core the process may run
    // on, 1 to render on the calling thread alone. The top-level graph's setting counts. The
    // bytes of the result do not depend on it.
    void setRenderThreadCount(int count);
    int renderThreadCount() const { return m_renderThreads.load(std::memory_order_relaxed); }
    // The number of threads a render of this tree will use (the top-level setting resolved).
    int renderThreads() const;
    // Whether renders of this tree make the previews views want (VyxNode::makeRenderPreview):
    // the application's render does, icon and description renders do not. Top-level setting.
    void setMakesPreviews(bool makes);
    bool makesPreviews() const;

    // First source / destination node of this graph (not in sub-graphs), or null.
    NodeOriginalImage* sourceNode() const;
    NodeFilteredImage* destinationNode() const;

    // Whether, as a compound node, the effect gives back its input unchanged, colour and alpha,
    // at every point: "disable" set, or its destination fed straight from its source (no node
    // between) and blended by Normal or at opacity 0, which give the input back to the byte.
    bool passesInputUnchanged() const;
    // Whether the effect's alpha output is its input's alpha at every point: its destination's
    // alpha unlinked or fed straight from its source (mixing a value with itself by any opacity
    // gives it back).
    bool passesAlphaUnchanged() const;

    // The stages of this graph's last render, while it runs (tests read the figures).
    RenderStages const& renderStages() const { return m_stages; }
    // Once the members of this effect are resolved: what reading its outputs costs.
    void finishPullRecord() const;
    // Whether the render of `stages` has resolved this effect whole by now, so that it is
    // prepared before whatever reads it from here on: false for an effect of another tree, one
    // without a destination node, or one caught in a loop of reads (RenderPlan puts every
    // other effect before its readers).
    bool resultResolvedIn(RenderStages const* stages) const;

    // Settings, as bound to the parameters "disable", "opacity" and "blendMode".
    int disableSetting() const { return m_disable; }
    int opacitySetting() const { return m_opacity; }
    int blendModeSetting() const { return m_blendMode; }

private:
    class ResultColour : public Base3DGenerator
    {
    public:
        explicit ResultColour(VyxNodeGraph const* graph) : m_graph(graph) {}
        unsigned int getSample3(QPoint const& point) const override;
        void getSpan3(int y, int x, int count, unsigned int* out) const override;
        VyxNodeGraph const* graph() const { return m_graph; }
    private:
        VyxNodeGraph const* m_graph;
    };
    class ResultAlpha : public Base1DGenerator
    {
    public:
        explicit ResultAlpha(VyxNodeGraph const* graph) : m_graph(graph) {}
        unsigned int getSample(QPoint const& point) const override;
        void getSpan(int y, int x, int count, unsigned int* out) const override;
        VyxNodeGraph const* graph() const { return m_graph; }
    private:
        VyxNodeGraph const* m_graph;
    };

    void buildSettings();
    void takeResultGenerators();
    // onFilterStart over the whole tree in the order of `plan`.
    int prepareInPlan(RenderPlan const& plan, KelUtils::StatusObserver* observer);
    // What a render reads for `input` (a generator linked into this graph's inputs): the input
    // of an effect that passes it unchanged, when that effect was resolved earlier in the same
    // render, else `input` itself.
    Base3DGenerator const* lookThrough(Base3DGenerator const* input) const;
    Base1DGenerator const* lookThrough(Base1DGenerator const* input) const;
    // The effect `input` reads through when lookThrough replaces it, else null.
    VyxNodeGraph const* passingUpstream(void const* input, bool colour) const;
    PullRecord const& passRecord(bool colour) const;
    void setSourceUpstream(KelNodes::Terminal const* own, KelNodes::Terminal const* peer);
    // Whether a render reads the source node's colour / channel more than once per point: by
    // several readers, by a reader that samples around the point, or by the destination
    // blending the result over it besides.
    // A reader that keeps its input rows counts twice when a window lies below the input.
    bool readsSourceColourRepeatedly(bool windowsBelow) const;
    bool readsSourceChannelRepeatedly(bool windowsBelow) const;
    // Whether the source's colour is read exactly twice per point, each time at that point
    // alone (one colour node and the blend, or two such nodes), over an input whose second read
    // at a row costs only copies:
    // then the input needs no stage of its own.
    bool rereadsSourceColourCheaply(PullRecord const& input) const;
    // Whether the destination mixes the result with the source's colour (enabled, and a mode
    // other than Normal or an opacity below 100).
    bool blendsOverSource() const;

    QImage const* m_originalImage = nullptr;
    unsigned char const* m_mask = nullptr;
    QRect m_rect;
    QImage m_resultImage;
    Base3DGenerator const* m_result3D = nullptr;
    Base1DGenerator const* m_result1D = nullptr;
    ResultColour m_resultColour{this};
    ResultAlpha m_resultAlpha{this};
    // While this effect passes its input unchanged: that input, looked through (set when inputs
    // are resolved, for the render of m_passedSerial); the outputs read it instead of the
    // destination, so a run of such effects costs one call, not one per effect.
    Base3DGenerator const* m_passed3D = nullptr;
    Base1DGenerator const* m_passed1D = nullptr;
    unsigned long long m_passedSerial = 0;
    // The render (its stages and serial) that last resolved this effect whole.
    mutable RenderStages const* m_resolvedBy = nullptr;
    mutable unsigned long long m_resolvedSerial = 0;
    // What reading the input costs (and, while passing it, the outputs) in this render.
    PullRecord m_inputRecord;
    PullRecord m_passRecord;
    // What reading the passed alpha costs (also when only the alpha passes).
    PullRecord m_passRecord1D;
    RenderStages m_stages;
    int m_disable = 0;
    int m_opacity = 100;
    int m_blendMode = 0;
    std::atomic<unsigned long long> m_renderSerial{0};
    std::atomic<int> m_renderThreads{0};
    std::atomic<bool> m_makesPreviews{false};
};

} // namespace KelVyxNodes
