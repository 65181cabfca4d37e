// Spans against the reference path: for every registered node type, wired and set as the
// sweep does, every output's spans give exactly the values its per-point calls give, for runs
// of any length and position (longer than the row loop's runs, and partly outside the image).

#include "NodeSweep.h"

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/GeneratorLookup.h"
#include "effects/NodeTypeRegistry.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/Terminal.h"

#include <gtest/gtest.h>

#include <QPoint>

#include <vector>

using KelVyxTest::NodeSweep;

namespace {

struct SpanRun
{
    int x;
    int count;
};

} // namespace

TEST(SpanPath, EverySpanEqualsItsPoints)
{
    QImage const input = NodeSweep::largeTestImage(300, 6);
    const SpanRun runs[] = {{0, 300}, {0, 1}, {17, 40}, {250, 50}, {-3, 9}, {295, 9}, {5, 257}};
    for (KelNodes::NodeDescriptor const* type : KelVyxNodes::NodeTypeRegistry::builtIns()) {
        for (auto wiring : {NodeSweep::Wiring::Colour, NodeSweep::Wiring::Channel, NodeSweep::Wiring::Unlinked}) {
            for (auto settings : {NodeSweep::Settings::Defaults, NodeSweep::Settings::Maximum}) {
                NodeSweep sweep(type, wiring, settings, input);
                ASSERT_NE(sweep.node(), nullptr);
                if (sweep.render() != 0)
                    continue; // a type refusing this wiring
                const std::string where = type->typeId.toStdString() + ", "
                                          + NodeSweep::describe(wiring, settings).toStdString();
                for (int t = 0; t < sweep.node()->numTerminals(); ++t) {
                    KelNodes::Terminal const* output = sweep.node()->terminal(t);
                    if (!output->outputMask())
                        continue;
                    KelVyxNodes::Base3DGenerator const* colour = KelVyxNodes::findGenerator3D(output);
                    KelVyxNodes::Base1DGenerator const* channel = KelVyxNodes::findGenerator1D(output);
                    for (int y : {0, 3, 5}) {
                        for (SpanRun const& run : runs) {
                            std::vector<unsigned int> span(size_t(run.count));
                            if (colour) {
                                colour->getSpan3(y, run.x, run.count, span.data());
                                for (int i = 0; i < run.count; ++i)
                                    ASSERT_EQ(span[size_t(i)], colour->getSample3(QPoint(run.x + i, y)))
                                        << where << ", colour of " << output->name().toStdString() << " at "
                                        << run.x + i << "," << y;
                            }
                            if (channel) {
                                channel->getSpan(y, run.x, run.count, span.data());
                                for (int i = 0; i < run.count; ++i)
                                    ASSERT_EQ(span[size_t(i)], channel->getSample(QPoint(run.x + i, y)))
                                        << where << ", channel of " << output->name().toStdString() << " at "
                                        << run.x + i << "," << y;
                            }
                        }
                    }
                }
            }
        }
    }
}
