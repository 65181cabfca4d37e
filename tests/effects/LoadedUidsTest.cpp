// After any load, every node of the tree has a uid of its own: the loader keeps a stored uid
// only when no node of the tree has it, counting the nodes the load itself makes (an effect's
// source and result when a link reaches its input).

#include "app/HostileFiles.h"

#include "effects/VyxNodeGraph.h"
#include "nodes/NodeGraph.h"
#include "io/XmlDocumentDepth.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QHash>

namespace {

struct Document
{
    QString name;
    QByteArray bytes;
};

// The hostile projects of the tests and every seed of the graph fuzz corpus.
QList<Document> documents()
{
    QList<Document> list{
        {QStringLiteral("uids taken during a load"), HostileFiles::uidsTakenDuringALoad()},
        {QStringLiteral("stacked objects"), HostileFiles::stackedProject(6, 4)},
        {QStringLiteral("stacked objects with a cycle"), HostileFiles::stackedProject(6, 4, true)},
        {QStringLiteral("deep nesting"), HostileFiles::deepGraphDocument(KelUtils::MaxXmlDepth + 1)},
        {QStringLiteral("prefixed deep nesting"), HostileFiles::prefixedDeepGraphDocument(KelUtils::MaxXmlDepth + 1)},
        {QStringLiteral("element flood"), HostileFiles::elementFlood(1000)},
    };
    QDir const corpus(QStringLiteral(VYX_TEST_DATA_DIR "/../../fuzz/corpus/graph"));
    for (QString const& name : corpus.entryList(QDir::Files, QDir::Name)) {
        QFile file(corpus.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            list.append({name, file.readAll()});
    }
    return list;
}

// Every uid that more than one node of the tree has.
QList<int> sharedUids(KelNodes::NodeGraph const* top)
{
    QHash<int, int> counts;
    QList<KelNodes::NodeGraph const*> graphs{top};
    while (!graphs.isEmpty()) {
        for (KelNodes::Node const* node : graphs.takeLast()->nodes()) {
            ++counts[node->uid()];
            if (KelNodes::NodeGraph const* sub = node->toNodeGraph())
                graphs.append(sub);
        }
    }
    QList<int> shared;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > 1)
            shared.append(it.key());
    }
    return shared;
}

} // namespace

TEST(LoadedUids, NoTwoNodesOfTheTreeShareAUidAfterLoadingAnyDocument)
{
    QList<Document> const list = documents();
    ASSERT_GT(list.size(), 40) << "the graph corpus was not found";
    for (Document const& document : list) {
        QDomDocument parsed;
        if (!KelUtils::setXmlContent(parsed, document.bytes))
            continue;
        for (bool keepUids : {true, false}) {
            SCOPED_TRACE(document.name.toStdString() + (keepUids ? ", uids kept" : ", new uids"));
            KelVyxNodes::VyxNodeGraph graph;
            graph.setRenderThreadCount(1);
            graph.load(parsed.documentElement(), keepUids, KelNodes::LoadAllConnections);
            EXPECT_EQ(sharedUids(&graph), QList<int>());
            // Once more into the same tree, as a paste adds to a project.
            graph.load(parsed.documentElement(), keepUids, KelNodes::LoadAllConnections);
            EXPECT_EQ(sharedUids(&graph), QList<int>());
        }
    }
}
