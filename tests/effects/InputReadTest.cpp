// Every built-in node type that says it reads its input at its own point (the default) reads it
// there alone: the render's chain rule lets reads of such nodes go down chains of unfilled
// stages, which a node reading elsewhere would make grow level by level.

#include "DeepGraphs.h"
#include "EffectTestSupport.h"
#include "NodeSweep.h"

#include "effects/GeneratorLookup.h"
#include "effects/NodeTypeRegistry.h"
#include "effects/VyxNode.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/LinkBatch.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"
#include "params/ParameterList.h"

#include <QPoint>

#include <gtest/gtest.h>

#include <string>

using namespace KelVyxNodes;

namespace EffectTest {
namespace {

// The span of the output the destination is asking for on this thread; none outside the row
// loop (a statistics scan reads its input as it likes before).
struct AskedSpan
{
    int y = 0;
    int x = 0;
    int count = 0;
};
thread_local AskedSpan t_asked;
thread_local bool t_asking = false;

// Passes a colour or channel on; as the marker, notes the span asked for; as the probe, checks
// every read against it.
class SpanPassNode : public VyxNode, public Base3DGenerator, public Base1DGenerator
{
public:
    SpanPassNode(bool channel, bool marker)
        : VyxNode(-1), m_container(QStringLiteral("test.spanPass"), QString(), this), m_channel(channel),
          m_marker(marker)
    {
        const unsigned int kind = channel ? 2 : 4;
        addTerminal(QStringLiteral("in"), kind, 0);
        addTerminal(QStringLiteral("out"), 0, kind);
    }
    static inline KelNodes::NodeDescriptor m_descriptor{
        QStringLiteral("test.spanPass"), QUuid(QStringLiteral("{6a1f3e52-2222-4b7c-9d10-000000000047}")),
        QStringLiteral("Span pass"), QString(), nullptr};

    KelNodes::NodeParameterContainer* paramContainer() override { return &m_container; }
    KelNodes::NodeParameterContainer const* paramContainer() const override { return &m_container; }
    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }
    Base3DGenerator const* toBase3DGenerator() const override { return m_channel ? nullptr : this; }
    Base1DGenerator const* toBase1DGenerator() const override { return m_channel ? this : nullptr; }
    void resolveInputs() override
    {
        if (m_channel)
            m_input1D = linkedGenerator1D(terminal(0));
        else
            m_input = linkedGenerator3D(terminal(0));
    }

    unsigned int getSample3(QPoint const& p) const override
    {
        unsigned int v = 0;
        getSpan3(p.y(), p.x(), 1, &v);
        return v;
    }
    void getSpan3(int y, int x, int count, unsigned int* out) const override
    {
        pass(y, x, count, [&] { m_input ? m_input->getSpan3(y, x, count, out) : std::fill(out, out + count, 0u); });
    }
    unsigned int getSample(QPoint const& p) const override
    {
        unsigned int v = 0;
        getSpan(p.y(), p.x(), 1, &v);
        return v;
    }
    void getSpan(int y, int x, int count, unsigned int* out) const override
    {
        pass(y, x, count, [&] { m_input1D ? m_input1D->getSpan(y, x, count, out) : std::fill(out, out + count, 0u); });
    }

    mutable int elsewhere = 0;
    mutable int reads = 0;

private:
    template <class Read>
    void pass(int y, int x, int count, Read&& read) const
    {
        if (m_marker) {
            const AskedSpan outer = t_asked;
            const bool wasAsking = t_asking;
            t_asked = AskedSpan{y, x, count};
            t_asking = true;
            read();
            t_asked = outer;
            t_asking = wasAsking;
            return;
        }
        if (t_asking) {
            ++reads;
            if (y != t_asked.y || x < t_asked.x || x + count > t_asked.x + t_asked.count)
                ++elsewhere;
        }
        read();
    }

    KelNodes::NodeParameterContainer m_container;
    bool m_channel;
    bool m_marker;
    Base3DGenerator const* m_input = nullptr;
    Base1DGenerator const* m_input1D = nullptr;
};

template <typename T>
void setAThird(KelUtils::NumGroupParameter<T>* group)
{
    const T value = T((2 * double(group->minimum()) + double(group->maximum())) / 3);
    for (int i = 0; i < group->numValues(); ++i)
        group->setValue(value, i);
}

// Every number a third of the way up its range: where the extremes may map points onto
// themselves (a half turn about a corner reflected at the edge), a third moves them.
void setNumbersAThird(KelNodes::Node* node)
{
    if (!node->paramContainer())
        return;
    for (KelUtils::ParameterList const& list : node->paramContainer()->paramLists()) {
        for (KelUtils::Parameter* parameter : list.parameters) {
            if (KelUtils::NumGroupParameter<int>* ints = *parameter)
                setAThird(ints);
            else if (KelUtils::NumGroupParameter<float>* floats = *parameter)
                setAThird(floats);
        }
    }
}

TEST(InputRead, NodesReadingAtTheirPointReadNowhereElse)
{
    const QImage picture = makeGradientImage(24, 16);
    using Settings = KelVyxTest::NodeSweep::Settings;
    int checked = 0;
    for (KelNodes::NodeDescriptor const* type : NodeTypeRegistry::builtIns()) {
      for (int setting = 0; setting < 4; ++setting) {
        const Settings settings = setting < 3 ? Settings(setting) : Settings::Defaults;
        const std::optional<Passage> passage = passageOf(type->typeId);
        if (!passage)
            continue;
        SCOPED_TRACE(type->typeId.toStdString() + " settings " + std::to_string(setting));
        VyxNodeGraph root;
        ASSERT_EQ(root.setUp(&picture), 0);
        auto* node = dynamic_cast<VyxNode*>(root.addNode(type->typeId, -1));
        ASSERT_NE(node, nullptr);
        KelVyxTest::NodeSweep::applySettings(node, settings);
        if (setting == 3)
            setNumbersAThird(node);
        const bool channel = passage->kind == 2u;
        const QString port = channel ? QStringLiteral("alpha") : QStringLiteral("rgb");
        auto* probe = new SpanPassNode(channel, false);
        auto* marker = new SpanPassNode(channel, true);
        root.addNode(probe, -1);
        root.addNode(marker, -1);
        KelNodes::Node* destination = root.destinationNode();
        destination->getTerminal(port)->disconnectAll();
        KelNodes::LinkBatch links;
        links.add(root.sourceNode(), port, probe, QStringLiteral("in"));
        links.add(probe, QStringLiteral("out"), node, passage->in);
        links.add(node, passage->out, marker, QStringLiteral("in"));
        links.add(marker, QStringLiteral("out"), destination, port);
        ASSERT_EQ(links.connectAll(), 4);
        root.setRenderThreadCount(1);
        ASSERT_EQ(root.setUp(&picture), 0);
        ASSERT_EQ(root.filter(nullptr), 0);
        if (node->inputRead() != InputRead::AtItsPoint)
            continue;
        ++checked;
        EXPECT_EQ(probe->elsewhere, 0) << "of " << probe->reads << " reads";
      }
    }
    EXPECT_GT(checked, 80);
}

} // namespace
} // namespace EffectTest
