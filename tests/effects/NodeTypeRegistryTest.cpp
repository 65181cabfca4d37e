#include "effects/NodeTypeRegistry.h"

#include "EffectTestSupport.h"

#include "effects/VyxNode.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeDescriptor.h"
#include "params/ParameterContainer.h"

#include <QDir>
#include <QFileInfo>
#include <QUuid>

#include <gtest/gtest.h>

#include <iterator>
#include <memory>

using namespace KelVyxNodes;
using KelNodes::NodeDescriptor;
using EffectTest::MessageCapture;

namespace {

struct TableRow
{
    char const* className;
    char const* typeId;
    char const* displayName;
    char const* uuid;
};

// The registry order of the built-in node types. Stored documents refer to these uuids.
TableRow const kTable[] = {
    {"NodeOriginalImage", "orgimage", "Original Image", "015c44e2-0c3a-46fa-9e92-c472d43bc65b"},
    {"NodeFilteredImage", "filtimage", "Filtered Image", "01be3c9a-497b-4146-9198-810f0e4e0d0e"},
    {"NodeNoise", "generator.noise", "Noise", "010616d2-04c6-17a6-1727-5732c20636f6"},
    {"NodeConst", "generator.const", "Const", "011dbb7e-5306-409f-931e-706c1ce64824"},
    {"NodeSine", "generator.sine", "Sine Wave", "015edfcd-90f5-4da2-8622-6be6071b41e0"},
    {"NodePulse", "generator.pulse", "Pulse Wave", "01e18908-537d-4f5f-95a2-d6ef649def8c"},
    {"NodeTriangle", "generator.triangle", "Triangle Wave", "01944473-ad13-4fbc-9ff0-26d539cdf93e"},
    {"NodeWeightedMix", "operator.weightmix", "Weighted Mix", "01657420-6661-6c6c-2075-706f6e206974"},
    {"NodeArithmeticMix", "operator.arithmix", "Arithmetic Mix", "01935383-fb71-48e3-94e5-33277f71d160"},
    {"NodeJoin", "operator.join", "Join", "01686572-6520-7769-6c6c-206265207469"},
    {"NodeSplit", "operator.split", "Split", "01b8e9be-d98c-4800-a85b-c263dc5d0914"},
    {"NodeGrayscale", "operator.grayscale", "Grayscale", "01c0434d-8c0d-427d-b561-d5fe5c2765d1"},
    {"NodeBlur", "operator.blur", "Blur", "0101b22f-5696-4cc7-83b8-7980aa6c078e"},
    {"NodeSharpen", "operator.sharpen", "Sharpen", "7c519af2-b693-467e-8c0d-81641a8c0fc5"},
    {"NodeEmboss", "operator.emboss", "Emboss", "de658df6-3845-454c-8f00-5dfa3cf0d264"},
    {"NodeEdgeDetection", "operator.edgedetection", "Edge Detection", "b4bc225d-5bfc-4283-a815-0bada95eff01"},
    {"NodeRGBA", "operator.rgba", "RGBA", "054b2fdc-02c0-42ed-abf7-9a782d18dfd7"},
    {"NodeHSV", "operator.hsv", "HSV", "0439d18f-779c-4657-9434-6fc51db08b8d"},
    {"NodeInversion", "operator.inversion", "Inversion", "21051af5-3c09-487b-ab7b-e4a35fdff084"},
    {"NodeLevels", "operator.levels", "Levels", "262aed10-f3a4-4e4a-b535-de2ed9d10c3d"},
    {"NodeSplitRGBtoHSV", "operator.splitRGBtoHSV", "Split RGB to HSV", "c72eab13-df9e-4ce2-b6ef-590db646136d"},
    {"NodeJoinHSVtoRGB", "operator.joinHSVtoRGB", "Join HSV to RGB", "283b1005-6df0-45eb-ba94-b31a525a3efc"},
    {"NodeSplitRGBtoCMYK", "operator.splitRGBtoCMYK", "Split RGB to CMYK", "1f13f82c-92c1-4ede-9082-1295b52a09f1"},
    {"NodeJoinCMYKtoRGB", "operator.joinCMYKtoRGB", "Join CMYK to RGB", "eb98f359-9b00-4f32-a3f1-bbbfd9bdd9db"},
    {"NodeConvert1Dto3D", "operator.convert1dto3d", "Convert 1D to 3D", "0ff6a076-ea8e-4c74-a51c-2e3a5ec43f8b"},
    {"NodeConvert3Dto1D", "operator.convert3dto1d", "Convert 3D to 1D", "8F73AD54-ADAD-4D8D-BD5C-50E381F05796"},
    {"NodeThreshold", "operator.threshold", "Threshold", "5b766fd3-d3e0-4fa2-87f9-5a07989c1756"},
    {"NodeGradient3Color", "operator.gradient3color", "Gradient3Color", "86c10fcd-620c-4b99-9f53-24176c915569"},
    {"NodeBlend", "operator.blend", "Blend", "2111d67d-216c-4efa-9c25-481184bec8cf"},
    {"NodeHSY", "operator.hsy", "HSY", "4fec0da3-06f4-428f-96ca-60c0dc9620eb"},
    {"NodeJoinHSY", "operator.joinHSYtoRGB", "Join HSY", "e642e7d2-0185-4c06-b29f-bac0d7e9852e"},
    {"NodeSplitHSY", "operator.splitHSV", "Split HSY", "47261635-6bb2-4cc1-a8d6-596826e73ff6"},
    {"NodeFlip", "operator.flip", "Flip", "9fdc9bc2-78b4-487a-8d1a-32d0b55c539f"},
    {"NodeGradient5Color", "operator.gradient5color", "Gradient5Color", "04dbb59f-2862-427c-b9de-4c76c298c84b"},
    {"NodeLookup", "operator.deform", "Deform", "aef97532-8980-41db-bc88-e5710b12768e"},
    {"NodeChromaticAberration", "operator.chromaaber", "Chromatic Aberration", "05f97532-8980-41db-bc88-e5710b12768e"},
    {"NodeGammaCurve", "operator.gammacurve", "GammaCurve", "e8cd6000-5ae1-4588-bef5-b5be009a6db8"},
    {"NodeTrigonometric", "operator.Maths.trigonometric", "Trigonometric Curve", "3ac3bfe4-4102-460e-842d-cd0de4ae1a66"},
    {"NodeMax", "operator.Maths.max", "Max", "0c2fd228-501e-4ac1-bf73-8c65efa7e3bc"},
    {"NodeMin", "operator.Maths.min", "Min", "ffee4e43-3908-4312-8820-bdec1513b14a"},
    {"NodeCeil", "operator.Maths.ceil", "Ceil", "938d038c-a0d1-45d4-8871-8cdb9380a530"},
    {"NodeFloor", "operator.Maths.floor", "Floor", "c335508b-6f5b-43dd-ae03-dd0e37017e0a"},
    {"NodeRound", "operator.Maths.round", "Round", "46ca812e-8fe7-422c-a6a0-81a00d24749c"},
    {"NodeLogarithm", "operator.Maths.logarithm", "Logarithm", "14903361-8a1a-4f73-9840-725916cc81ff"},
    {"NodeIf", "operator.Maths.if", "If", "8648fa19-68af-4fc3-a679-547907cfce52"},
    {"NodePower", "operator.Maths.power", "Power", "8916f89d-d81a-4091-9eaf-de13323e5e25"},
    {"NodeRoot", "operator.Maths.root", "Root", "55777c31-5595-4cc4-8dd9-eea5566293b5"},
    {"NodeNoiseReduction", "operator.noiseReduction", "Noise Reduction", "9fac9fc2-78b4-457a-8d1a-32d0b77c537f"},
    {"NodeLogarithmicCorrection", "operator.logarithmicCorrection", "Logarithmic Correction", "00ac9fc2-78dd-457a-8d1a-00d1b77c43fa"},
    {"NodeAutocontrast", "operator.autocontrast", "Autocontrast", "cb747dc6-1914-4b2e-8d12-55a28e2d7681"},
    {"NodeRotate", "operator.rotate", "Rotate", "df0ed41c-9890-4b95-a5e1-0f35e19999ec"},
    {"NodeAutolevels", "operator.autolevels", "Autolevels", "677625e0-5099-4905-9d22-ae4b48db9c4a"},
    {"NodeNormalize", "operator.normalize", "Normalize", "d806d9e3-e4f0-433e-a3a4-133351a103c4"},
    {"NodeEqualize", "operator.equalize", "Equalize", "b3f83011-fe9a-410f-835b-301928dd0b8f"},
    {"NodeBrightnessContrast", "operator.brightness/contrast", "Brightness/contrast", "5a4a7be6-7a00-4364-8786-26e2bb3b1102"},
    {"NodeFrame", "operator.frame", "Frame", "5fbdd53a-7cd5-46fb-9214-860eabbf5c77"},
    {"NodeChecker", "operator.checker", "Checker", "f5d8218a-2622-43da-b712-674d09401130"},
};

constexpr int kTableRows = int(std::size(kTable));

// Position of a type id in the table, or -1.
int tableRow(QString const& typeId)
{
    for (int i = 0; i < kTableRows; ++i) {
        if (typeId == QLatin1String(kTable[i].typeId))
            return i;
    }
    return -1;
}

} // namespace

TEST(NodeTypeRegistry, BuiltInsMatchTheTableInTableOrder)
{
    static_assert(kTableRows == 57);
    QList<NodeDescriptor const*> const& builtIns = NodeTypeRegistry::builtIns();
    ASSERT_EQ(builtIns.size(), kTableRows);

    int previous = -1;
    for (NodeDescriptor const* d : builtIns) {
        ASSERT_NE(d, nullptr);
        int const row = tableRow(d->typeId);
        ASSERT_GE(row, 0) << "type id not in the table: " << d->typeId.toStdString();
        EXPECT_GT(row, previous) << d->typeId.toStdString() << " is out of table order";
        previous = row;

        TableRow const& expected = kTable[row];
        SCOPED_TRACE(expected.className);
        EXPECT_EQ(d->displayName, QLatin1String(expected.displayName));
        EXPECT_EQ(d->typeUuid, QUuid(QLatin1String(expected.uuid)));
        EXPECT_TRUE(d->further.isEmpty());
        EXPECT_NE(d->create, nullptr);
    }

    for (int i = 0; i < kTableRows; ++i)
        EXPECT_EQ(builtIns.at(i)->typeId, QLatin1String(kTable[i].typeId)) << "row " << i + 1;
}

TEST(NodeTypeRegistry, EveryTypeCreatesAnEffectNodeOfItsOwnType)
{
    for (NodeDescriptor const* d : NodeTypeRegistry::builtIns()) {
        SCOPED_TRACE(d->typeId.toStdString());
        std::unique_ptr<KelNodes::Node> node(d->create(7));
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->descriptor(), d);
        EXPECT_NE(dynamic_cast<VyxNode*>(node.get()), nullptr);
        ASSERT_NE(node->paramContainer(), nullptr);
        EXPECT_EQ(node->paramContainer()->name(), d->typeId);
    }
}

TEST(NodeTypeRegistry, EveryGraphReadsTheOneProcessList)
{
    QList<NodeDescriptor const*>* list = NodeTypeRegistry::list();
    ASSERT_NE(list, nullptr);
    QList<NodeDescriptor const*> const& builtIns = NodeTypeRegistry::builtIns();
    EXPECT_EQ(list->mid(0, builtIns.size()), builtIns);
    EXPECT_FALSE(list->contains(nullptr));

    VyxNodeGraph root;
    VyxNodeGraph other;
    VyxNodeGraph* sub = root.addSubGraph(-1);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(root.nodeTypes(), list);
    EXPECT_EQ(other.nodeTypes(), list);
    EXPECT_EQ(sub->nodeTypes(), list);
    EXPECT_EQ(root.availableNode(int(list->size())), nullptr);

    // Types are found by type id and by uuid in any letter case.
    KelNodes::Node* byId = sub->addNode(QStringLiteral("generator.const"), -1);
    ASSERT_NE(byId, nullptr);
    EXPECT_EQ(byId->descriptor()->typeId, QLatin1String("generator.const"));
    KelNodes::Node* byUuid = sub->addNode(QStringLiteral("01BE3C9A-497B-4146-9198-810F0E4E0D0E"), -1);
    ASSERT_NE(byUuid, nullptr);
    EXPECT_EQ(byUuid->descriptor()->typeId, QLatin1String("filtimage"));
}

TEST(NodeTypeRegistry, PlugInsAreEnumeratedOncePerProcess)
{
    VyxNodeGraph root;
    qsizetype const size = NodeTypeRegistry::list()->size();
    // The list's first build has enumerated the plug-in folder: later calls add nothing,
    // whatever folder they name, and the folder can no longer be changed.
    EXPECT_EQ(NodeTypeRegistry::enumerateNodes(QDir::currentPath()), 0);
    EXPECT_EQ(root.enumerateNodes(QDir::currentPath()), 0);
    EXPECT_FALSE(NodeTypeRegistry::setPluginFolder(QDir::currentPath()));
    EXPECT_NE(NodeTypeRegistry::pluginFolder(), QDir::currentPath());
    EXPECT_EQ(NodeTypeRegistry::list()->size(), size);

    VyxNodeGraph* sub = root.addSubGraph(-1);
    ASSERT_NE(sub, nullptr);
    MessageCapture capture;
    EXPECT_EQ(sub->enumerateNodes(QDir::currentPath()), -1);
    EXPECT_EQ(capture.messages(),
              QStringList{QStringLiteral("Node enumeration can be called from root graph only.")});
    EXPECT_EQ(NodeTypeRegistry::list()->size(), size);
}

TEST(NodeTypeRegistry, DefaultPlugInFolderIsBesideTheExecutable)
{
    QString const executableDir = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath();
    QString const expected = QDir::cleanPath(executableDir + QStringLiteral("/../lib/vyx-solenne/nodes"));
    EXPECT_EQ(NodeTypeRegistry::defaultPluginFolder(), expected);
    EXPECT_TRUE(QDir::isAbsolutePath(NodeTypeRegistry::defaultPluginFolder()));
}
