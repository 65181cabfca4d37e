// Values a node keeps per render for its settings (Frame's column terms, a gradient's tile
// colours) stand for the settings of that render only: once a setting changes and a preview
// reads on before the next render, spans still give exactly what points give.

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
            if (!output->outputMask())
                continue;
            KelVyxNodes::Base3DGenerator const* colour = KelVyxNodes::findGenerator3D(output);
            KelVyxNodes::Base1DGenerator const* channel = KelVyxNodes::findGenerator1D(output);
            std::vector<unsigned int> span(size_t(input.width()));
            int differing = 0;
            for (int y : {0, 3}) {
                if (colour) {
                    colour->getSpan3(y, 0, input.width(), span.data());
                    for (int x = 0; x < input.width(); ++x)
                        differing += span[size_t(x)] != colour->getSample3(QPoint(x, y));
                }
                if (channel) {
                    channel->getSpan(y, 0, input.width(), span.data());
                    for (int x = 0; x < input.width(); ++x)
                        differing += span[size_t(x)] != channel->getSample(QPoint(x, y));
                }
            }
            EXPECT_EQ(differing, 0) << "points of " << output->name().toStdString() << " whose span differs";
        }
    }
}
