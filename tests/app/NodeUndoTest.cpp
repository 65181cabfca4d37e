#include "UndoTestSupport.h"

#include "GraphLinks.h"

#include "app/KelCmdAddNode.h"
#include "app/KelCmdDeleteNode.h"
#include "app/TwCmdNodeDragAndDrop.h"
#include "effects/NodeTypeRegistry.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"
#include "nodes/NodeGraphParameterContainer.h"
#include "params/ParameterList.h"
#include "params/StringParameter.h"

#include <QTemporaryDir>
#include <QFile>

using namespace UndoTest;

namespace {

// A node type with a file-name parameter, whose named file travels as embedded data.
class TextureNode : public KelVyxNodes::VyxNode
{
public:
    explicit TextureNode(int id)
        : KelVyxNodes::VyxNode(id), m_container(m_descriptor.typeId, QString(), this)
    {
        m_container.paramLists().append(KelUtils::ParameterList{
            QStringLiteral("basic"), true,
            {new KelUtils::StringParameter(QStringLiteral("texture"), QStringLiteral("Texture"),
                                           &m_container, &m_path, true, 1)}});
    }

    static KelNodes::NodeDescriptor m_descriptor;
    static KelNodes::Node* create(int uid) { return new TextureNode(uid); }

    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }
    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

private:
    KelNodes::NodeParameterContainer m_container;
    QString m_path;
};

KelNodes::NodeDescriptor TextureNode::m_descriptor{
    QStringLiteral("test.texture"), QUuid(QStringLiteral("6f3c1b52-8a57-4d43-9b1e-0c2d9e1f7a01")),
    QStringLiteral("Texture"), QString(), &TextureNode::create};

QList<KelNodes::NodeDescriptor const*>* typesWithTexture()
{
    static QList<KelNodes::NodeDescriptor const*> types = [] {
        QList<KelNodes::NodeDescriptor const*> list = *KelVyxNodes::NodeTypeRegistry::list();
        list.append(&TextureNode::m_descriptor);
        return list;
    }();
    return &types;
}

class NodeUndoTest : public UndoFixture
{
};

} // namespace

TEST_F(NodeUndoTest, DeleteAndUndoKeepUidWiresAttributesAndRender)
{
    KelNGObject* object = addObject(QStringLiteral("Soft"));
    auto* graph = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(object->graph());
    KelNodes::Node* blur = blurOf(object);
    const int uid = blur->uid();
    blur->paramContainer()->setIntParam(QStringLiteral("radius"), 9);
    auto& settings = blur->paramContainer()->auxData();
    settings.insert(QStringLiteral("posX"), 12.5);
    settings.insert(QStringLiteral("customNodeColor"), QStringLiteral("#ff8000"));
    settings.insert(QStringLiteral("terminalsAreExpanded"), false);

    const int before = rendersStarted();
    const int finished = window.renderingFinishedCount;
    auto* command = new KelCmdDeleteNode(core.get(), root(), blur);
    EXPECT_EQ(command->text(), QStringLiteral("Delete Blur"));
    core->undoStack()->push(command);
    EXPECT_EQ(countUid(uid), 0);
    EXPECT_GT(rendersStarted(), before);
    settle();
    // The object's chain is broken now, so the render fails, but it ran.
    EXPECT_GT(window.renderingFinishedCount, finished);

    const int beforeUndo = rendersStarted();
    core->undoStack()->undo();
    EXPECT_GT(rendersStarted(), beforeUndo);
    ASSERT_EQ(countUid(uid), 1);
    KelNodes::Node* restored = root()->findNode(uid, true);
    EXPECT_EQ(restored->parentGraph(), graph);
    EXPECT_EQ(restored->paramContainer()->getIntParam(QStringLiteral("radius")), 9);
    EXPECT_TRUE(restored->isConnectedTo(graph->sourceNode()));
    EXPECT_TRUE(restored->isConnectedTo(graph->destinationNode()));
    auto const& back = restored->paramContainer()->auxData();
    EXPECT_DOUBLE_EQ(back.value(QStringLiteral("posX")).toDouble(), 12.5);
    EXPECT_EQ(back.value(QStringLiteral("customNodeColor")).toString(), QStringLiteral("#ff8000"));
    EXPECT_FALSE(back.value(QStringLiteral("terminalsAreExpanded")).toBool());
    EXPECT_FALSE(back.contains(QStringLiteral("previewIsExpanded")));
    settle();
    EXPECT_TRUE(core->renderer()->completedSucceeded());

    core->undoStack()->redo();
    EXPECT_EQ(countUid(uid), 0);
    core->undoStack()->undo();
    EXPECT_EQ(countUid(uid), 1);
}

TEST_F(NodeUndoTest, NodeUndoLeavesTheOwnerGraphAsItIs)
{
    KelNGObject* object = addObject(QStringLiteral("Soft"));
    KelNodes::NodeGraph* graph = object->graph();
    auto* container = static_cast<KelNodes::NodeGraphParameterContainer*>(graph->paramContainer());
    container->auxData().insert(QStringLiteral("posX"), 100.0);
    container->addGraphKeyframe(7);
    container->addGraphKeyframe(20);

    core->undoStack()->push(new KelCmdDeleteNode(core.get(), root(), blurOf(object)));
    // The owner moves in the view after the deletion; undo must not move it back.
    container->auxData().insert(QStringLiteral("posX"), 200.0);
    core->undoStack()->undo();

    EXPECT_DOUBLE_EQ(container->auxData().value(QStringLiteral("posX")).toDouble(), 200.0);
    EXPECT_EQ(container->keyframes(), (QList<int>{7, 20}));
    EXPECT_EQ(graph->name(), QStringLiteral("Soft"));
}

TEST_F(NodeUndoTest, EmbeddedDataSurvivesDeletion)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("texture.bin"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("texture bytes");
    }
    KelNGObject* object = addObject(QStringLiteral("Soft"));
    object->graph()->setNodeTypes(typesWithTexture());
    KelNodes::Node* node = object->graph()->addNode(QStringLiteral("test.texture"), -1);
    ASSERT_NE(node, nullptr);
    node->paramContainer()->setStringParam(QStringLiteral("texture"), path);
    const int uid = node->uid();

    core->undoStack()->push(new KelCmdDeleteNode(core.get(), root(), node));
    core->undoStack()->undo();

    KelNodes::Node* restored = root()->findNode(uid, true);
    ASSERT_NE(restored, nullptr);
    KelUtils::Parameter* parameter =
        restored->paramContainer()->getParamByName(QStringLiteral("texture"));
    EXPECT_EQ(restored->paramContainer()->getStringParam(QStringLiteral("texture")), path);
    ASSERT_NE(parameter->embeddedData(), nullptr);
    EXPECT_EQ(*parameter->embeddedData(), QByteArray("texture bytes"));
}

TEST_F(NodeUndoTest, NodesWithoutObjectAreRemovedAndNeverDuplicated)
{
    addObject(QStringLiteral("Soft"));
    // A plain node of the root graph belongs to no project object.
    KelNodes::Node* loose = root()->addNode(QStringLiteral("operator.blur"), -1);
    const int looseUid = loose->uid();
    core->undoStack()->push(new KelCmdDeleteNode(core.get(), root(), loose));
    EXPECT_EQ(countUid(looseUid), 0);
    core->undoStack()->undo();
    EXPECT_EQ(countUid(looseUid), 1);

    KelNodes::Node* inserted = root()->addNode(QStringLiteral("operator.sharpen"), -1);
    const int insertedUid = inserted->uid();
    core->undoStack()->push(new KelCmdAddNode(core.get(), root(), inserted));
    core->undoStack()->undo();
    EXPECT_EQ(countUid(insertedUid), 0);
    core->undoStack()->redo();
    EXPECT_EQ(countUid(insertedUid), 1);
    EXPECT_EQ(countUid(looseUid), 1);
}

TEST_F(NodeUndoTest, InsertedNodeReturnsWithoutConnections)
{
    KelNGObject* object = addObject(QStringLiteral("Soft"));
    auto* graph = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(object->graph());
    KelNodes::Node* node = graph->addNode(QStringLiteral("operator.sharpen"), -1);
    node->paramContainer()->auxData().insert(QStringLiteral("posX"), 40.0);
    const int uid = node->uid();

    const int before = rendersStarted();
    auto* command = new KelCmdAddNode(core.get(), root(), node);
    EXPECT_EQ(command->text(), QStringLiteral("Insert Sharpen"));
    core->undoStack()->push(command);
    EXPECT_EQ(countUid(uid), 1);
    EXPECT_EQ(rendersStarted(), before + 1);

    // Wired after the insertion; undo and redo give the bare node back.
    graph->sourceNode()->connect(QStringLiteral("rgb"), node, QStringLiteral("in"));
    core->undoStack()->undo();
    EXPECT_EQ(countUid(uid), 0);
    EXPECT_EQ(rendersStarted(), before + 2);
    core->undoStack()->redo();
    EXPECT_EQ(rendersStarted(), before + 3);
    KelNodes::Node* restored = root()->findNode(uid, true);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->parentGraph(), graph);
    EXPECT_TRUE(restored->connectedNodes(~0u, ~0u).isEmpty());
    EXPECT_DOUBLE_EQ(restored->paramContainer()->auxData().value(QStringLiteral("posX")).toDouble(),
                     40.0);
    EXPECT_TRUE(object->graphChanged() || core->isModified());
}

TEST_F(NodeUndoTest, InnerGraphNodeGetsItsObjectBack)
{
    KelNGObject* object = addObject(QStringLiteral("Outer"));
    KelNGObject* inner = addInnerObject(object, QStringLiteral("Inner"));
    const int uid = inner->graph()->uid();
    const int innerNodes = inner->graph()->numNodes();
    // A link of the graph's own terminal to a node with a higher uid.
    KelNodes::Node* sharpen = object->graph()->addNode(QStringLiteral("operator.sharpen"), -1);
    ASSERT_EQ(inner->graph()->connect(QStringLiteral("rgbOut"), sharpen, QStringLiteral("in")), 0);
    ASSERT_LT(uid, sharpen->uid());

    core->undoStack()->push(new KelCmdDeleteNode(core.get(), root(), inner->graph()));
    EXPECT_EQ(countUid(uid), 0);
    EXPECT_TRUE(object->getChildObjectList(true).isEmpty());

    core->undoStack()->undo();
    KelNodes::Node* restored = root()->findNode(uid, true);
    ASSERT_NE(restored, nullptr);
    KelNGObject* back = KelNGObject::objectOf(restored->toNodeGraph());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(object->getChildObjectList(true), QList<KelNGObject*>{back});
    EXPECT_EQ(back->getRootObject(), object);
    EXPECT_EQ(restored->toNodeGraph()->numNodes(), innerNodes);
    EXPECT_TRUE(restored->isConnectedTo(sharpen));
}

TEST_F(NodeUndoTest, DragObjectIntoAnotherAndBack)
{
    KelNGObject* first = addObject(QStringLiteral("First"));
    KelNGObject* second = addObject(QStringLiteral("Second"));
    KelNGObject* third = addObject(QStringLiteral("Third"));
    const QList<int> order = objectUids();
    const int firstUid = first->graph()->uid();

    // The first object feeds the second: only unlinked from the chain can it go inside.
    const int before = rendersStarted();
    auto* command = new TwCmdNodeDragAndDrop(core.get(), root(), first->graph(), blurOf(second));
    EXPECT_EQ(command->text(), QStringLiteral("Drag and Drop First"));
    core->undoStack()->push(command);
    EXPECT_GT(rendersStarted(), before);
    EXPECT_EQ(first->graph()->parentGraph(), second->graph());
    EXPECT_EQ(objectUids(), (QList<int>{second->graph()->uid(), third->graph()->uid()}));
    EXPECT_TRUE(root()->sourceNode()->isConnectedTo(second->graph()));
    settle();
    EXPECT_TRUE(core->renderer()->completedSucceeded());

    core->undoStack()->undo();
    KelNodes::Node* moved = root()->findNode(firstUid, true);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->parentGraph(), root());
    EXPECT_EQ(objectUids(), order);
    EXPECT_TRUE(root()->sourceNode()->isConnectedTo(moved));
    settle();
    EXPECT_TRUE(core->renderer()->completedSucceeded());

    core->undoStack()->redo();
    EXPECT_EQ(root()->findNode(firstUid, true)->parentGraph(), second->graph());
}

TEST_F(NodeUndoTest, AMoveTheGraphRefusesChangesNothingAndLeavesNoStep)
{
    KelNGObject* outer = addObject(QStringLiteral("Outer"));
    KelNGObject* inner = addInnerObject(outer, QStringLiteral("Inner"));
    auto* graph = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(outer->graph());
    auto* innerGraph = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(inner->graph());
    KelNodes::Node* sharpen = innerGraph->nodes().last();
    core->cancelRender();
    ASSERT_EQ(graph->sourceNode()->connect(QStringLiteral("rgb"), innerGraph, QStringLiteral("rgbIn")), 0);
    ASSERT_EQ(innerGraph->sourceNode()->connect(QStringLiteral("rgb"), sharpen, QStringLiteral("in")), 0);
    ASSERT_EQ(sharpen->connect(QStringLiteral("out"), innerGraph->destinationNode(), QStringLiteral("rgb")), 0);
    // The Blur reads Inner's picture: inside Inner it would read itself.
    KelNodes::Node* reader = blurOf(outer);
    ASSERT_EQ(innerGraph->connect(QStringLiteral("rgbOut"), reader, QStringLiteral("in")), 0);
    // The last node of Outer, which a move of one object into another links to that one's.
    KelNodes::Node* last = graph->addNode(QStringLiteral("operator.sharpen"), -1);
    ASSERT_EQ(graph->nodes().last(), last);
    core->start();
    settle();
    ASSERT_TRUE(core->renderer()->completedSucceeded()) << core->renderer()->failureReason().toStdString();
    const std::string links = GraphLinks::text(root());
    const int steps = core->undoStack()->count();

    core->undoStack()->push(new TwCmdNodeDragAndDrop(core.get(), root(), reader, innerGraph));
    EXPECT_EQ(core->undoStack()->count(), steps) << "a step that moves nothing";
    EXPECT_EQ(reader->parentGraph(), graph);
    EXPECT_EQ(GraphLinks::text(root()), links);
    settle();
    EXPECT_TRUE(core->renderer()->completedSucceeded()) << core->renderer()->failureReason().toStdString();

    // Where a node can go, it goes, and that is a step.
    core->undoStack()->push(new TwCmdNodeDragAndDrop(core.get(), root(), last, innerGraph));
    EXPECT_EQ(core->undoStack()->count(), steps + 1);
    EXPECT_EQ(last->parentGraph(), static_cast<KelNodes::NodeGraph*>(innerGraph));
}
