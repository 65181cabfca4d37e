#include "NodeSweep.h"

#include "effects/NodeFilteredImage.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/GraphHooks.h"
#include "effects/NodeTypeRegistry.h"
#include "nodes/NodeDescriptor.h"

#include <gtest/gtest.h>

#include <QDomDocument>
#include <QRect>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

using KelNodes::NodeDescriptor;
using KelVyxTest::NodeSweep;

namespace {

class EveryNodeType : public ::testing::TestWithParam<NodeDescriptor const*>
{
};

std::vector<NodeDescriptor const*> registeredTypes()
{
    QList<NodeDescriptor const*> const* list = KelVyxNodes::NodeTypeRegistry::list();
    return std::vector<NodeDescriptor const*>(list->begin(), list->end());
}

std::string testName(::testing::TestParamInfo<NodeDescriptor const*> const& info)
{
    std::string name = info.param->typeId.toStdString();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
}

// Whether any terminal of the node offers pixels (one channel or colour) downstream; a
// curve-only node has nothing the destination can read.
bool offersPixels(KelNodes::Node const* node)
{
    for (int i = 0; i < node->numTerminals(); ++i) {
        if (node->terminal(i)->outputMask() & 6u)
            return true;
    }
    return false;
}

// Types whose preparation refuses an unlinked input by design.
bool needsLinkedInput(NodeDescriptor const* type)
{
    return type->typeId == QLatin1String("operator.equalize");
}

} // namespace

// Defaults and both extremes, with every way of feeding the node: the render succeeds, repeats
// to the byte, a freshly built graph gives the same bytes (no state left from an earlier render,
// nothing uninitialised), and what the node yields stays in range.
TEST_P(EveryNodeType, RendersRepeatablyWithAnySettings)
{
    QImage const input = NodeSweep::testImage();
    for (auto wiring : {NodeSweep::Wiring::Colour, NodeSweep::Wiring::Channel, NodeSweep::Wiring::Unlinked}) {
        for (auto settings : {NodeSweep::Settings::Defaults, NodeSweep::Settings::Minimum,
                              NodeSweep::Settings::Maximum}) {
            SCOPED_TRACE(NodeSweep::describe(wiring, settings).toStdString());
            NodeSweep sweep(GetParam(), wiring, settings);
            ASSERT_NE(sweep.node(), nullptr);
            if (offersPixels(sweep.node())) {
                EXPECT_TRUE(sweep.outputLinked());
            }

            if (wiring == NodeSweep::Wiring::Unlinked && needsLinkedInput(GetParam())) {
                EXPECT_EQ(sweep.render(), -1);
                continue;
            }
            ASSERT_EQ(sweep.render(), 0);
            QImage const first = sweep.result().copy();
            EXPECT_EQ(first.size(), input.size());
            EXPECT_EQ(first.format(), QImage::Format_ARGB32);

            ASSERT_EQ(sweep.render(), 0);
            EXPECT_TRUE(sweep.result() == first) << "a second render differs";

            NodeSweep again(GetParam(), wiring, settings);
            ASSERT_EQ(again.render(), 0);
            EXPECT_TRUE(again.result() == first) << "an identical graph renders differently";

            QStringList const problems = sweep.checkOutputs();
            EXPECT_TRUE(problems.isEmpty()) << problems.join(QStringLiteral("; ")).toStdString();
        }
    }
}

// A selection and a render rectangle away from the image's corner: unselected pixels are grey,
// and nothing is read outside the image or the mask (the sanitizer build checks).
TEST_P(EveryNodeType, RendersASelectionInsideARectangle)
{
    QImage const input = NodeSweep::testImage();
    std::vector<unsigned char> mask(size_t(input.width() * input.height()));
    for (int y = 0; y < input.height(); ++y) {
        for (int x = 0; x < input.width(); ++x)
            mask[size_t(y * input.width() + x)] = (x + y) % 3 == 0 ? 0 : (unsigned char)(40 * x + y);
    }
    QRect const rect(QPoint(1, 1), QPoint(6, 3));

    NodeSweep sweep(GetParam(), NodeSweep::Wiring::Colour, NodeSweep::Settings::Defaults);
    ASSERT_NE(sweep.node(), nullptr);
    ASSERT_EQ(sweep.render(mask.data(), &rect), 0);
    QImage const first = sweep.result().copy();
    ASSERT_EQ(first.size(), rect.size());
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (mask[size_t(y * input.width() + x)] == 0) {
                EXPECT_EQ(first.pixel(x - rect.left(), y - rect.top()), 0x00808080u) << x << "," << y;
            }
        }
    }
    ASSERT_EQ(sweep.render(mask.data(), &rect), 0);
    EXPECT_TRUE(sweep.result() == first);

    // Back to the whole image without a mask: the same as a graph that never had one.
    ASSERT_EQ(sweep.render(), 0);
    NodeSweep plain(GetParam(), NodeSweep::Wiring::Colour, NodeSweep::Settings::Defaults);
    ASSERT_EQ(plain.render(), 0);
    EXPECT_TRUE(sweep.result() == plain.result());
}

// A stored graph holding the node, read back into a fresh graph, renders the same bytes: every
// setting the node's pixels depend on is written, and its element name is valid XML.
TEST_P(EveryNodeType, RendersTheSameAfterStoreAndReload)
{
    for (auto settings : {NodeSweep::Settings::Defaults, NodeSweep::Settings::Maximum}) {
        SCOPED_TRACE(NodeSweep::describe(NodeSweep::Wiring::Colour, settings).toStdString());
        NodeSweep sweep(GetParam(), NodeSweep::Wiring::Colour, settings);
        ASSERT_NE(sweep.node(), nullptr);
        ASSERT_EQ(sweep.render(), 0);
        QImage const expected = sweep.result().copy();

        std::unique_ptr<QDomDocument> stored(sweep.graph().store(sweep.graph().nodes(), false, true, true));
        ASSERT_TRUE(stored);
        QDomDocument reread;
        ASSERT_TRUE(bool(reread.setContent(stored->toString()))) << "stored document is not well-formed";

        KelVyxNodes::VyxNodeGraph loaded;
        ASSERT_EQ(loaded.load(reread.documentElement(), true, KelNodes::LoadAllConnections), 0);
        QImage image = NodeSweep::testImage();
        ASSERT_EQ(loaded.setUp(&image), 0);
        ASSERT_EQ(loaded.filter(nullptr), 0);
        EXPECT_TRUE(loaded.resultImage() == expected) << "the reloaded graph renders differently";
    }
}

// One thread and four give the same bytes: every way of feeding the node, its defaults and both
// extremes, the whole picture and a selection inside a rectangle, a first render and a second
// one on the same graph (pooled threads that sampled the node before).
TEST_P(EveryNodeType, RendersTheSameBytesOnOneAndFourThreads)
{
    QImage const input = NodeSweep::largeTestImage(37, 26);
    std::vector<unsigned char> mask(size_t(input.width() * input.height()));
    for (size_t i = 0; i < mask.size(); ++i)
        mask[i] = i % 7 == 3 ? 0 : 1;
    QRect const rect(QPoint(2, 3), QPoint(33, 24));
    for (auto wiring : {NodeSweep::Wiring::Colour, NodeSweep::Wiring::Channel}) {
        for (auto settings : {NodeSweep::Settings::Defaults, NodeSweep::Settings::Minimum,
                              NodeSweep::Settings::Maximum}) {
            SCOPED_TRACE(NodeSweep::describe(wiring, settings).toStdString());
            NodeSweep one(GetParam(), wiring, settings, input);
            NodeSweep four(GetParam(), wiring, settings, input);
            ASSERT_NE(one.node(), nullptr);
            one.graph().setRenderThreadCount(1);
            four.graph().setRenderThreadCount(4);
            ASSERT_EQ(one.render(), 0);
            ASSERT_EQ(four.render(), 0);
            EXPECT_TRUE(four.result() == one.result()) << "four threads differ from one";
            ASSERT_EQ(four.render(), 0);
            EXPECT_TRUE(four.result() == one.result()) << "a second render on four threads differs";

            ASSERT_EQ(one.render(mask.data(), &rect), 0);
            ASSERT_EQ(four.render(mask.data(), &rect), 0);
            EXPECT_TRUE(four.result() == one.result()) << "a selection on four threads differs";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Registered, EveryNodeType, ::testing::ValuesIn(registeredTypes()), testName);

// The source and destination alone hand the picture through unchanged.
TEST(NodeSweep, PlainGraphCopiesThePicture)
{
    QImage const input = NodeSweep::testImage();
    NodeSweep sweep(&KelVyxNodes::NodeFilteredImage::m_descriptor, NodeSweep::Wiring::Colour,
                    NodeSweep::Settings::Defaults);
    ASSERT_EQ(sweep.render(), 0);
    EXPECT_TRUE(sweep.result() == input);
}
