#pragma once

#include "effects/InputRead.h"
#include "effects/PullRecord.h"
#include "effects/VyxTerminal.h"
#include "nodes/Node.h"
#include "params/HelpItem.h"

#include <QImage>
#include <QString>

#include <memory>
#include <mutex>
#include <vector>

namespace KelUtils {
class StatusObserver;
}

namespace KelVyxNodes {

class Base1DGenerator;
class Base3DGenerator;
class SharedOutputMemo;
class VyxNodeGraph;

// Base of every effect node. A render (see VyxNodeGraph::filter) runs, per node and in level
// order: resolveInputs() (re-read cached upstream pointers from the links), onFilterStart()
// (read parameters and image facts once, set up per-render state; -1 aborts), then samples
// pulled through the generator interfaces from any number of rows and threads, then
// onFilterStop().
//
// Node is a virtual base; this constructor sets the node's uid, name and parent itself, so
// node classes need not initialise KelNodes::Node.
class VyxNode : public virtual KelNodes::Node
{
public:
    explicit VyxNode(int id, QString const& name = QString(), VyxNodeGraph* graph = nullptr);
    ~VyxNode() override;

    // Node-level outputs; null here (the node offers none).
    virtual Base1DGenerator const* toBase1DGenerator() const;
    virtual Base3DGenerator const* toBase3DGenerator() const;

    // Called once per render before any sample; 0 to go on, negative to abort the render.
    virtual int onFilterStart(KelUtils::StatusObserver* observer);
    virtual void onFilterStop(KelUtils::StatusObserver* observer);
    // Called by the graph right before onFilterStart of every render: a node that caches
    // upstream interfaces in onConnect re-reads them here from its links (see linkedGenerator3D
    // and linkedGenerator1D), so links made before the upstream was ready still work. Only the
    // pointers: no display flag, mask or parameter may change here (render thread). Default:
    // nothing.
    virtual void resolveInputs();

    // The node thumbnail over the graph's render rectangle, sampled through the plain pull path
    // (its cost grows with the graph's depth); -1 when there is nothing to show.
    int getPreview(QImage* image) const override;
    // Previews a view wants are sampled by the application's render right after the node is
    // prepared, while the stages it reads are filled (makeRenderPreview); the view shows the
    // last one kept and never samples. Nodes that draw their preview (previewIsSampled false)
    // are asked directly.
    int shownPreview(QImage* image) const override;
    bool shownPreviewIsCurrent() const override;
    // A sampled preview is offered once the graph has a picture to sample and the node an
    // output; a render's own inputs (the destination's active alpha) are not asked.
    bool offersPreview() const override;
    void setPreviewWanted(int width, int height) override;
    bool previewWanted() const;
    virtual bool previewIsSampled() const { return true; }
    // Render thread, right after onFilterStart: samples the wanted preview (the bytes of
    // getPreview at the wanted size) and keeps it with the render serial. False when none was
    // wanted or made (cancelled: the last one stands).
    bool makeRenderPreview(KelUtils::StatusObserver* observer) const;
    // Publishes event 3 when the node had a parent, then stores the new parent and the
    // effect-graph back pointer.
    void setParentGraph(KelNodes::NodeGraph* graph) override;

    // Preview generators. rgb: toBase3DGenerator(); grayscale: toBase1DGenerator(); alpha: the
    // alpha of the source node of the parent graph (searched depth first), null without one.
    virtual Base3DGenerator const* rgbGenerator() const;
    virtual Base1DGenerator const* grayscaleGenerator() const;
    virtual Base1DGenerator const* alphaGenerator() const;

    // Creates a plain effect terminal hosted (and owned) by this node.
    VyxTerminal* addTerminal(QString const& name, unsigned int inputMask, unsigned int outputMask,
                             KelUtils::HelpItem const& help = KelUtils::HelpItem());
    using KelNodes::Node::addTerminal;

    // The owning effect graph (image, mask, rectangle, settings); null outside one.
    VyxNodeGraph* effectGraph() const { return m_graph; }

    // How the node reads its inputs for each point it is asked for (the farthest-reaching way
    // of any of its inputs); the render's stages follow it (RenderStages). At its point by
    // default: a node that reads elsewhere says so (tests/effects/InputReadTest.cpp holds every
    // built-in type to what it declares).
    virtual InputRead inputRead() const { return InputRead::AtItsPoint; }
    // Several times per point (taps around the point, or several outputs each reading the
    // same input): its inputs then read through a memo (SharedOutputMemo).
    bool readsInputsRepeatedly() const { return inputRead() == InputRead::Repeatedly; }
    // A square around each point through input rows it keeps (the kernels, the blur): its input
    // is read about once per point unless it is itself such a window, in which case the reads
    // multiply level by level; its input is then staged.
    bool keepsInputRows() const { return inputRead() == InputRead::InAWindow; }
    // Each output point reads its input at that point alone (a colour or tone operation):
    // reading an input twice at a row then reads the same row twice. Nodes that move points
    // (flip, rotate, deform) read other rows.
    bool readsInputAtItsPointOnly() const { return inputRead() == InputRead::AtItsPoint; }
    // The memo in front of `generator` (one kind, behind `output`, one of this node's
    // terminals), made on first use and kept while the node lives; started for the render.
    // Called while inputs are resolved, before any sampling.
    SharedOutputMemo const* sharedOutput(KelNodes::Terminal const* output, Base1DGenerator const* channel,
                                         Base3DGenerator const* colour) const;
    // How many memos the node holds: one per output and kind of value read.
    int sharedOutputCount() const;

    // What reading this node costs in the render being prepared, and its place in preparation
    // order (RenderStages).
    PullRecord& pullRecord() const { return m_pull; }
    int renderOrdinal() const { return m_renderOrdinal; }
    void setRenderOrdinal(int ordinal) const { m_renderOrdinal = ordinal; }

protected:
    VyxNodeGraph* m_graph = nullptr;

private:
    // getPreview's sampling; asks the observer (when given) to cancel after every row.
    int samplePreview(QImage* image, KelUtils::StatusObserver* observer) const;

    struct SharedOutput
    {
        KelNodes::Terminal const* output;
        std::unique_ptr<SharedOutputMemo> memo;
    };
    mutable std::vector<SharedOutput> m_sharedOutputs;
    mutable PullRecord m_pull;
    mutable int m_renderOrdinal = 0;
    // GUI thread writes the wish and reads the kept preview; the render thread the reverse.
    mutable std::mutex m_previewMutex;
    int m_previewWidth = 0;
    int m_previewHeight = 0;
    mutable QImage m_keptPreview;
    mutable unsigned long long m_keptPreviewSerial = 0;
};

} // namespace KelVyxNodes
