#include "NodeSweep.h"

#include "effects/NodeTypeRegistry.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeDescriptor.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

using namespace KelVyxNodes;
using KelNodes::NodeDescriptor;

namespace {

// A plug-in folder with two plug-ins, a library that lacks one of the three functions, a symbolic
// link to a plug-in kept outside the folder, a non-library file, a file that is named like a
// library but is none, and a sub-folder named like one. The registry of this process is built
// from it before any test reads it, once a process as the program builds it: a second run of the
// suite in the process reads what the first built, and the folder stays until the process ends.
class PluginLoading : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (s_folder)
            return;
        unsetenv("VYX_TEST_PLUGIN_INITS");
        s_folder = std::make_unique<QTemporaryDir>();
        s_outside = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(s_folder->isValid() && s_outside->isValid());
        QDir const folder(s_folder->path());
        ASSERT_TRUE(QFile::copy(QStringLiteral(VYX_TEST_NODES_PLUGIN), folder.filePath("libnodes.so")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VYX_TEST_NODES_EMPTY_PLUGIN), folder.filePath("libempty.so")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VYX_TEST_NODES_PARTIAL_PLUGIN), folder.filePath("libpartial.so")));
        s_linkedTarget = QDir(s_outside->path()).filePath("liblinked.so");
        ASSERT_TRUE(QFile::copy(QStringLiteral(VYX_TEST_NODES_PLUGIN), s_linkedTarget));
        ASSERT_TRUE(QFile::link(s_linkedTarget, folder.filePath("liblinked.so")));
        writeFile(folder.filePath("readme.txt"), "not a library");
        writeFile(folder.filePath("libbroken.so"), "\x7f" "ELF but nothing else");
        ASSERT_TRUE(folder.mkdir("libfolder.so"));

        ASSERT_TRUE(NodeTypeRegistry::setPluginFolder(s_folder->path()));
        NodeTypeRegistry::list();
    }

    static void writeFile(QString const& path, QByteArray const& content)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    static QString initialised()
    {
        char const* inits = std::getenv("VYX_TEST_PLUGIN_INITS");
        return inits ? QString::fromLatin1(inits) : QString();
    }

    static inline std::unique_ptr<QTemporaryDir> s_folder;
    static inline std::unique_ptr<QTemporaryDir> s_outside;
    static inline QString s_linkedTarget;
};

} // namespace

TEST_F(PluginLoading, PlugInTypesFollowTheBuiltInsWithoutNullEntries)
{
    QList<NodeDescriptor const*> const& builtIns = NodeTypeRegistry::builtIns();
    QList<NodeDescriptor const*> const* list = NodeTypeRegistry::list();
    // Three entries offered, the null one skipped; the linked copy is not loaded, so each type
    // comes once.
    ASSERT_EQ(list->size(), builtIns.size() + 2);
    for (int i = 0; i < builtIns.size(); ++i)
        EXPECT_EQ(list->at(i), builtIns.at(i));
    NodeDescriptor const* invert = list->at(builtIns.size());
    NodeDescriptor const* solid = list->at(builtIns.size() + 1);
    ASSERT_NE(invert, nullptr);
    ASSERT_NE(solid, nullptr);
    EXPECT_EQ(invert->typeId, QLatin1String("plugin.invert"));
    EXPECT_EQ(solid->typeId, QLatin1String("plugin.solid"));
    EXPECT_EQ(invert->typeUuid, QUuid(QStringLiteral("6a0f3c2e-1b7d-4e55-9c41-8d2f70b1a001")));
}

TEST_F(PluginLoading, OnlyCompletePlugInsInTheFolderAreInitialisedOnce)
{
    // "1": the two-type plug-in, "2": the empty one (initialised, adds nothing). Not "3": the
    // library without "getNodeDescriptor"; not a second "1": the symbolic link.
    QString inits = initialised();
    std::sort(inits.begin(), inits.end());
    EXPECT_EQ(inits.toStdString(), "12");

    // The plug-in libraries stay loaded.
    QLibrary nodes(QDir(s_folder->path()).filePath("libnodes.so"));
    EXPECT_NE(nodes.resolve("getNodeDescriptor"), nullptr);
    EXPECT_TRUE(nodes.isLoaded());
}

TEST_F(PluginLoading, LaterEnumerationsAddNothing)
{
    qsizetype const size = NodeTypeRegistry::list()->size();
    EXPECT_EQ(NodeTypeRegistry::enumerateNodes(s_folder->path()), 0);
    EXPECT_EQ(NodeTypeRegistry::enumerateNodes(s_outside->path()), 0);
    VyxNodeGraph root;
    EXPECT_EQ(root.enumerateNodes(s_folder->path()), 0);
    EXPECT_FALSE(NodeTypeRegistry::setPluginFolder(s_outside->path()));
    EXPECT_EQ(NodeTypeRegistry::pluginFolder(), s_folder->path());
    EXPECT_EQ(NodeTypeRegistry::list()->size(), size);
    EXPECT_EQ(initialised().size(), 2);
}

TEST_F(PluginLoading, PlugInNodesRenderLikeBuiltIns)
{
    QList<NodeDescriptor const*> const* list = NodeTypeRegistry::list();
    ASSERT_EQ(list->size(), NodeTypeRegistry::builtIns().size() + 2);
    NodeDescriptor const* invert = list->at(list->size() - 2);
    NodeDescriptor const* solid = list->at(list->size() - 1);
    QImage const input = KelVyxTest::NodeSweep::testImage();

    KelVyxTest::NodeSweep inverted(invert, KelVyxTest::NodeSweep::Wiring::Colour,
                                   KelVyxTest::NodeSweep::Settings::Defaults);
    ASSERT_EQ(inverted.render(), 0);
    KelVyxTest::NodeSweep filled(solid, KelVyxTest::NodeSweep::Wiring::Colour,
                                 KelVyxTest::NodeSweep::Settings::Defaults);
    ASSERT_EQ(filled.render(), 0);
    for (int y = 0; y < input.height(); ++y) {
        for (int x = 0; x < input.width(); ++x) {
            unsigned int const pixel = input.pixel(x, y);
            EXPECT_EQ(inverted.result().pixel(x, y), (pixel & 0xFF000000u) | (~pixel & 0x00FFFFFFu));
            EXPECT_EQ(filled.result().pixel(x, y), (pixel & 0xFF000000u) | 0x123456u);
        }
    }

    // A plug-in type is created by type id or uuid like a built-in one.
    KelVyxNodes::VyxNodeGraph graph;
    KelNodes::Node* byUuid = graph.addNode(QStringLiteral("6A0F3C2E-1B7D-4E55-9C41-8D2F70B1A002"), -1);
    ASSERT_NE(byUuid, nullptr);
    EXPECT_EQ(byUuid->descriptor(), solid);
}
