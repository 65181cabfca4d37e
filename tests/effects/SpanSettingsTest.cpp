// Spans against points where the sweep's settings do not reach: values a node keeps per render
// for its settings (Frame's column terms, a gradient's tile colours) stand for the settings of
// that render only, and Noise Reduction's means at every window radius.

#include "NodeSweep.h"

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/GeneratorLookup.h"
#include "effects/NodeTypeRegistry.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/Terminal.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"
#include "params/ParameterList.h"

#include <gtest/gtest.h>

#include <QPoint>

#include <string>
#include <vector>

using KelVyxTest::NodeSweep;

namespace {

KelNodes::NodeDescriptor const* builtIn(char const* typeId)
{
    for (KelNodes::NodeDescriptor const* type : KelVyxNodes::NodeTypeRegistry::builtIns()) {
        if (type->typeId == QLatin1String(typeId))
            return type;
    }
    return nullptr;
}

// Sets the node's number parameter `name` to `value`.
bool setParameter(KelNodes::Node* node, char const* name, float value)
{
    for (KelUtils::ParameterList const& list : node->paramContainer()->paramLists()) {
        for (KelUtils::Parameter* parameter : list.parameters) {
            if (parameter->name() != QLatin1String(name))
                continue;
            if (KelUtils::NumGroupParameter<int>* ints = *parameter) {
                ints->setValue(int(value), 0);
                return true;
            }
            if (KelUtils::NumGroupParameter<float>* floats = *parameter) {
                floats->setValue(value, 0);
                return true;
            }
        }
    }
    return false;
}

// How many points of the output's spans (runs along rows `rows`) differ from its points.
int spanPointDifferences(KelNodes::Terminal const* output, int width, std::vector<int> const& rows)
{
    KelVyxNodes::Base3DGenerator const* colour = KelVyxNodes::findGenerator3D(output);
    KelVyxNodes::Base1DGenerator const* channel = KelVyxNodes::findGenerator1D(output);
    struct Run
    {
        int x;
        int count;
    };
    const Run runs[] = {{0, width}, {-3, 9}, {5, 257}, {width - 6, 9}};
    int differing = 0;
    for (int y : rows) {
        for (Run const& run : runs) {
            std::vector<unsigned int> span(size_t(run.count));
            if (colour) {
                colour->getSpan3(y, run.x, run.count, span.data());
                for (int i = 0; i < run.count; ++i)
                    differing += span[size_t(i)] != colour->getSample3(QPoint(run.x + i, y));
            }
            if (channel) {
                channel->getSpan(y, run.x, run.count, span.data());
                for (int i = 0; i < run.count; ++i)
                    differing += span[size_t(i)] != channel->getSample(QPoint(run.x + i, y));
            }
        }
    }
    return differing;
}

} // namespace

TEST(SpanPath, SpansFollowSettingsChangedAfterTheRender)
{
    struct Change
    {
        char const* type;
        char const* parameter;
        float value;
    };
    const Change changes[] = {
        {"operator.frame", "hmargin", 1.5f},
        {"operator.frame", "hroundness", 4.0f},
        {"operator.gradient3color", "Position 2", 70.0f},
        {"operator.gradient3color", "Repeat", 3.0f},
        {"operator.gradient5color", "Proportional", 1.0f},
    };
    QImage const input = NodeSweep::largeTestImage(64, 6);
    for (Change const& change : changes) {
        SCOPED_TRACE(std::string(change.type) + ", " + change.parameter);
        KelNodes::NodeDescriptor const* type = builtIn(change.type);
        ASSERT_NE(type, nullptr);
        NodeSweep sweep(type, NodeSweep::Wiring::Unlinked, NodeSweep::Settings::Defaults, input);
        ASSERT_NE(sweep.node(), nullptr);
        ASSERT_EQ(sweep.render(), 0);
        ASSERT_TRUE(setParameter(sweep.node(), change.parameter, change.value));
        for (int t = 0; t < sweep.node()->numTerminals(); ++t) {
            KelNodes::Terminal const* output = sweep.node()->terminal(t);
            if (output->outputMask()) {
                EXPECT_EQ(spanPointDifferences(output, input.width(), {0, 3}), 0) << output->name().toStdString();
            }
        }
    }
}

// The mean of every window radius, with points near every edge and runs of four inside.
TEST(SpanPath, NoiseReductionMeansOfEveryRadius)
{
    QImage const input = NodeSweep::largeTestImage(300, 12);
    for (int strength : {1, 3, 4, 7, 10}) {
        SCOPED_TRACE(strength);
        NodeSweep sweep(builtIn("operator.noiseReduction"), NodeSweep::Wiring::Colour, NodeSweep::Settings::Defaults,
                        input);
        ASSERT_NE(sweep.node(), nullptr);
        ASSERT_TRUE(setParameter(sweep.node(), "strength", float(strength)));
        ASSERT_EQ(sweep.render(), 0);
        for (int t = 0; t < sweep.node()->numTerminals(); ++t) {
            KelNodes::Terminal const* output = sweep.node()->terminal(t);
            if (output->outputMask()) {
                EXPECT_EQ(spanPointDifferences(output, input.width(), {0, 2, 5, 9, 11}), 0);
            }
        }
    }
}
