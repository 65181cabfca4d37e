// Every rendered byte of every registered node type and of the benchmark's graphs, pinned by a
// hash in tests/data/byte_pins.txt. Speed work must leave each byte as it is: any change to a
// node's result shows here as a changed hash. After a deliberate change of a result, run with
// VYX_WRITE_BYTE_PINS=1 to write the file anew, and say why in the commit.

#include "BenchGraphs.h"
#include "NodeSweep.h"

#include "effects/NodeTypeRegistry.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeDescriptor.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QMap>
#include <QTextStream>

#include <cstdint>
#include <vector>

using KelVyxTest::NodeSweep;

namespace {

QString pinFile()
{
    return QStringLiteral(VYX_TEST_DATA_DIR "/byte_pins.txt");
}

// FNV-1a over size, format and the pixel bytes of every row (no padding).
QString pinHashOf(QImage const& image)
{
    std::uint64_t h = 14695981039346656037ull;
    auto mix = [&h](unsigned char byte) {
        h ^= byte;
        h *= 1099511628211ull;
    };
    for (int value : {image.width(), image.height(), int(image.format())}) {
        for (int shift = 0; shift < 32; shift += 8)
            mix((unsigned(value) >> shift) & 0xFFu);
    }
    int const rowBytes = image.width() * image.depth() / 8;
    for (int y = 0; y < image.height(); ++y) {
        uchar const* row = image.constScanLine(y);
        for (int i = 0; i < rowBytes; ++i)
            mix(row[i]);
    }
    return QString::number(h, 16);
}

using Pins = QMap<QString, QString>;

Pins readPins()
{
    Pins pins;
    QFile file(pinFile());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return pins;
    QTextStream in(&file);
    while (!in.atEnd()) {
        QString const line = in.readLine();
        qsizetype const space = line.lastIndexOf(QLatin1Char(' '));
        if (space > 0)
            pins.insert(line.left(space), line.mid(space + 1));
    }
    return pins;
}

bool writing()
{
    return qEnvironmentVariableIntValue("VYX_WRITE_BYTE_PINS") != 0;
}

// The thread counts every result is rendered at: one, and more than one.
constexpr int kThreadCounts[] = {1, 4};

class BytePins : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_pins = new Pins(readPins());
        s_found = new Pins;
    }
    static void TearDownTestSuite()
    {
        if (writing()) {
            Pins all = *s_pins;
            for (auto it = s_found->cbegin(); it != s_found->cend(); ++it)
                all.insert(it.key(), it.value());
            QFile file(pinFile());
            if (file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate)) {
                QTextStream out(&file);
                for (auto it = all.cbegin(); it != all.cend(); ++it)
                    out << it.key() << ' ' << it.value() << '\n';
            }
        }
        delete s_pins;
        delete s_found;
        s_pins = s_found = nullptr;
    }

    // The same hash at every thread count, and the pinned one.
    static void check(QString const& key, std::vector<QString> const& hashes)
    {
        for (QString const& h : hashes)
            EXPECT_EQ(h, hashes.front()) << key.toStdString() << ": thread counts differ";
        s_found->insert(key, hashes.front());
        if (writing())
            return;
        ASSERT_TRUE(s_pins->contains(key)) << key.toStdString() << " has no pin";
        EXPECT_EQ(hashes.front(), s_pins->value(key)) << key.toStdString() << ": bytes changed";
    }

    static Pins* s_pins;
    static Pins* s_found;
};

Pins* BytePins::s_pins = nullptr;
Pins* BytePins::s_found = nullptr;

} // namespace

// Each type under every wiring and setting of the sweep, on the whole picture and on a
// selection inside a rectangle away from the corner.
TEST_F(BytePins, EveryNodeTypeUnderEveryWiringAndSetting)
{
    QImage const input = NodeSweep::largeTestImage(41, 29);
    std::vector<unsigned char> mask(size_t(input.width() * input.height()));
    for (size_t i = 0; i < mask.size(); ++i)
        mask[i] = i % 7 == 3 ? 0 : (unsigned char)(i * 29 % 255 + 1);
    QRect const rect(QPoint(3, 2), QPoint(37, 26));

    for (KelNodes::NodeDescriptor const* type : KelVyxNodes::NodeTypeRegistry::builtIns()) {
        for (auto wiring : {NodeSweep::Wiring::Colour, NodeSweep::Wiring::Channel, NodeSweep::Wiring::Unlinked}) {
            for (auto settings : {NodeSweep::Settings::Defaults, NodeSweep::Settings::Minimum,
                                  NodeSweep::Settings::Maximum}) {
                QString const base = type->typeId + QLatin1Char('|') + NodeSweep::describe(wiring, settings);
                std::vector<QString> whole;
                std::vector<QString> selection;
                for (int threads : kThreadCounts) {
                    NodeSweep sweep(type, wiring, settings, input);
                    ASSERT_NE(sweep.node(), nullptr) << base.toStdString();
                    sweep.graph().setRenderThreadCount(threads);
                    whole.push_back(sweep.render() == 0 ? pinHashOf(sweep.result()) : QStringLiteral("fails"));
                    selection.push_back(sweep.render(mask.data(), &rect) == 0 ? pinHashOf(sweep.result())
                                                                              : QStringLiteral("fails"));
                }
                check(base + QStringLiteral("|whole"), whole);
                check(base + QStringLiteral("|selection"), selection);
            }
        }
    }
}

// The benchmark's graphs on a smaller picture (the every-node graph on a tiny one), whole and
// through a selection in a rectangle.
TEST_F(BytePins, BenchmarkGraphs)
{
    for (VyxBench::BenchGraph const& g : VyxBench::benchGraphs()) {
        bool const tiny = QLatin1String(g.name) == QLatin1String("7_every_node");
        QImage const input = tiny ? VyxBench::makePicture(48, 32) : VyxBench::makePicture(120, 80);
        std::vector<unsigned char> mask(size_t(input.width() * input.height()));
        for (size_t i = 0; i < mask.size(); ++i)
            mask[i] = (i / 3) % 5 == 0 ? 0 : (unsigned char)(255 - i % 200);
        QRect const rect = tiny ? QRect(QPoint(2, 3), QPoint(44, 30)) : QRect(QPoint(5, 7), QPoint(110, 76));

        QString const name = QStringLiteral("bench|") + QLatin1String(g.name);
        std::vector<QString> whole;
        std::vector<QString> selection;
        for (int threads : kThreadCounts) {
            KelVyxNodes::VyxNodeGraph graph;
            graph.setRenderThreadCount(threads);
            ASSERT_EQ(graph.setUp(&input), 0);
            ASSERT_TRUE(g.build(&graph)) << name.toStdString();
            ASSERT_EQ(graph.setUp(&input), 0);
            ASSERT_EQ(graph.filter(nullptr), 0) << name.toStdString();
            whole.push_back(pinHashOf(graph.resultImage()));
            ASSERT_EQ(graph.setUp(&input, mask.data(), &rect), 0);
            ASSERT_EQ(graph.filter(nullptr), 0) << name.toStdString();
            selection.push_back(pinHashOf(graph.resultImage()));
        }
        check(name + QStringLiteral("|whole"), whole);
        check(name + QStringLiteral("|selection"), selection);
    }
}
