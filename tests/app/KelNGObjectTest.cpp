#include "AppTestSupport.h"
#include "CoreTestGraphs.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "effects/VyxNodeGraph.h"

#include <QListWidget>
#include <QPointer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace CoreTest;
using KelVyxNodes::VyxNodeGraph;

namespace {

KelNodes::Node* addConst(KelNodes::NodeGraph* graph)
{
    KelNodes::Node* node = graph->addNode(QStringLiteral("generator.const"), -1);
    EXPECT_NE(node, nullptr);
    return node;
}

class KelNGObjectTest : public ::testing::Test
{
protected:
    VyxNodeGraph root;
};

TEST_F(KelNGObjectTest, ChildObjectsMirrorTheSubGraphsInPreOrder)
{
    // top: const, child1 (grandchild), child2
    VyxNodeGraph* top = root.addSubGraph(-1);
    addConst(top);
    VyxNodeGraph* child1 = top->addSubGraph(-1);
    VyxNodeGraph* grandchild = child1->addSubGraph(-1);
    VyxNodeGraph* child2 = top->addSubGraph(-1);

    KelNGObject object(top);
    EXPECT_EQ(KelNGObject::objectOf(top), &object);
    KelNGObject* c1 = KelNGObject::objectOf(child1);
    KelNGObject* g = KelNGObject::objectOf(grandchild);
    KelNGObject* c2 = KelNGObject::objectOf(child2);
    ASSERT_TRUE(c1 && g && c2);
    EXPECT_EQ(object.getChildObjectList(false), (QList<KelNGObject*>{c1, c2}));
    EXPECT_EQ(object.getChildObjectList(true), (QList<KelNGObject*>{c1, g, c2}));
    EXPECT_TRUE(g->getChildObjectList(true).isEmpty());
    EXPECT_EQ(g->getRootObject(), &object);
    EXPECT_EQ(object.lastNode(), static_cast<KelNodes::Node*>(child2));

    EXPECT_TRUE(object.containsNode(top));
    EXPECT_TRUE(object.containsNode(grandchild));
    EXPECT_TRUE(c1->containsNode(grandchild));
    EXPECT_FALSE(c2->containsNode(grandchild));
    EXPECT_FALSE(object.containsNode(&root));
}

TEST_F(KelNGObjectTest, DeleteNodeTakesNodesAndSubGraphObjectsOut)
{
    VyxNodeGraph* top = root.addSubGraph(-1);
    KelNodes::Node* plain = addConst(top);
    VyxNodeGraph* withObject = top->addSubGraph(-1);
    addConst(withObject);
    KelNGObject object(top);
    VyxNodeGraph* withoutObject = top->addSubGraph(-1);
    QPointer<KelNGObject> child = KelNGObject::objectOf(withObject);

    EXPECT_EQ(object.deleteNode(withoutObject), -1);
    EXPECT_EQ(top->numNodes(), 3);
    EXPECT_EQ(object.deleteNode(withObject), 0);
    EXPECT_TRUE(child.isNull());
    EXPECT_EQ(top->numNodes(), 2);
    EXPECT_EQ(object.deleteNode(plain), 0);
    EXPECT_EQ(top->numNodes(), 1);
    EXPECT_EQ(object.deleteNode(addConst(&root)), -1);
    EXPECT_EQ(object.deleteNode(nullptr), -1);
}

TEST_F(KelNGObjectTest, DestructionRemovesTheGraphAndWhatTheObjectOwns)
{
    VyxNodeGraph* top = root.addSubGraph(-1);
    addConst(top);
    VyxNodeGraph* sub = top->addSubGraph(-1);
    addConst(sub);
    const int before = root.numNodes();

    QTreeWidget tree;
    QListWidget list;
    auto* object = new KelNGObject(top);
    object->projectBrowserItem = new QTreeWidgetItem(&tree);
    object->templateTreeItem = new QTreeWidgetItem(&tree);
    object->templateListItem = new QListWidgetItem(&list);
    QPointer<KelTemplate> owned = new KelTemplate;
    object->setObjectTemplate(owned);
    owned->setObjectInstance(object);
    delete object;
    EXPECT_EQ(root.numNodes(), before - 1);
    EXPECT_EQ(tree.topLevelItemCount(), 0);
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(owned.isNull());

    // A template's own instance keeps its template, which forgets the instance.
    VyxNodeGraph* shown = root.addSubGraph(-1);
    KelTemplate record;
    auto* instance = new KelNGObject(shown);
    instance->setObjectTemplate(&record);
    instance->setTemplateInstance(true);
    record.setObjectInstance(instance);
    delete instance;
    EXPECT_EQ(record.objectInstance(), nullptr);

    // A graph without parent is emptied, not deleted, and no longer names the object.
    VyxNodeGraph standalone;
    addConst(&standalone);
    standalone.addSubGraph(-1);
    delete new KelNGObject(&standalone);
    EXPECT_EQ(standalone.numNodes(), 0);
    EXPECT_EQ(KelNGObject::objectOf(&standalone), nullptr);
}

} // namespace
