#include "UndoTestSupport.h"

#include "app/KelCmdDeleteNode.h"
#include "app/TwCmdAddObject.h"
#include "app/TwCmdDeleteObject.h"
#include "app/KelTemplate.h"

#include <QUuid>

using namespace UndoTest;

namespace {

class ObjectUndoTest : public UndoFixture
{
};

} // namespace

TEST_F(ObjectUndoTest, InsertionUndoRedoKeepsUidPlaceAndContent)
{
    KelNGObject* first = addObject(QStringLiteral("First"));
    KelNGObject* middle = addObject(QStringLiteral("Middle"), 7);
    addObject(QStringLiteral("Last"));
    const QList<int> order = objectUids();
    const int uid = middle->graph()->uid();
    KelNodes::Node* blur = blurOf(middle);
    const int blurUid = blur->uid();
    blur->paramContainer()->auxData().insert(QStringLiteral("posX"), 55.0);

    auto* command = new TwCmdAddObject(core.get(), middle);
    EXPECT_EQ(command->text(), QStringLiteral("Insert Middle"));
    const int before = rendersStarted();
    core->undoStack()->push(command);
    EXPECT_EQ(rendersStarted(), before + 1);
    EXPECT_EQ(objectUids(), order);

    core->undoStack()->undo();
    EXPECT_EQ(countUid(uid), 0);
    EXPECT_EQ(countUid(blurUid), 0);
    EXPECT_EQ(objectUids(), (QList<int>{order[0], order[2]}));
    EXPECT_TRUE(first->graph()->isConnectedTo(root()->findNode(order[2], true)));
    settle();
    EXPECT_TRUE(core->renderer()->completedSucceeded());

    const int beforeRedo = rendersStarted();
    core->undoStack()->redo();
    EXPECT_GT(rendersStarted(), beforeRedo);
    EXPECT_EQ(objectUids(), order);
    ASSERT_EQ(countUid(blurUid), 1);
    KelNGObject* back = core->objectList().at(1);
    EXPECT_EQ(core->selectedObject(), back);
    KelNodes::Node* restored = blurOf(back);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->uid(), blurUid);
    EXPECT_EQ(restored->paramContainer()->getIntParam(QStringLiteral("radius")), 7);
    EXPECT_DOUBLE_EQ(
        restored->paramContainer()->auxData().value(QStringLiteral("posX")).toDouble(), 55.0);
    auto* graph = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(back->graph());
    EXPECT_TRUE(restored->isConnectedTo(graph->sourceNode()));
    EXPECT_TRUE(restored->isConnectedTo(graph->destinationNode()));
    EXPECT_TRUE(first->graph()->isConnectedTo(back->graph()));
    settle();
    EXPECT_TRUE(core->renderer()->completedSucceeded());

    // A second round replaces the snapshot completely.
    core->undoStack()->undo();
    core->undoStack()->redo();
    EXPECT_EQ(objectUids(), order);
    EXPECT_EQ(countUid(blurUid), 1);
}

TEST_F(ObjectUndoTest, DeletionRestoresEveryObjectAtItsIndex)
{
    QList<KelNGObject*> objects;
    for (QString name : {"A", "B", "C", "D", "E"})
        objects << addObject(name);
    const QList<int> order = objectUids();

    // Listed out of order, with neighbours, so each snapshot names an object not back yet.
    auto* command = new TwCmdDeleteObject(core.get(), root(), {objects[3], objects[1], objects[2]});
    EXPECT_EQ(command->text(), QStringLiteral("Delete Objects"));
    const int before = rendersStarted();
    core->undoStack()->push(command);
    EXPECT_GT(rendersStarted(), before);
    EXPECT_EQ(objectUids(), (QList<int>{order[0], order[4]}));
    settle();
    EXPECT_TRUE(core->renderer()->completedSucceeded());

    const int beforeUndo = rendersStarted();
    core->undoStack()->undo();
    EXPECT_GT(rendersStarted(), beforeUndo);
    EXPECT_EQ(objectUids(), order);
    // The last one listed is selected.
    ASSERT_NE(core->selectedObject(), nullptr);
    EXPECT_EQ(core->selectedObject()->graph()->uid(), order[2]);
    const QList<KelNGObject*> list = core->objectList();
    EXPECT_TRUE(root()->sourceNode()->isConnectedTo(list.first()->graph()));
    for (int i = 1; i < list.size(); ++i)
        EXPECT_TRUE(list[i - 1]->graph()->isConnectedTo(list[i]->graph())) << i;
    settle();
    EXPECT_TRUE(core->renderer()->completedSucceeded());

    core->undoStack()->redo();
    EXPECT_EQ(objectUids(), (QList<int>{order[0], order[4]}));
    core->undoStack()->undo();
    EXPECT_EQ(objectUids(), order);
}

TEST_F(ObjectUndoTest, OneObjectTextAndVanishedObjects)
{
    KelNGObject* object = addObject(QStringLiteral("Blur"));
    const int uid = object->graph()->uid();
    auto* command = new TwCmdDeleteObject(core.get(), root(), {object});
    EXPECT_EQ(command->text(), QStringLiteral("Delete Blur"));
    core->undoStack()->push(command);
    EXPECT_TRUE(core->objectList().isEmpty());

    // Once the uid names nothing, redo only refreshes and renders.
    core->undoStack()->undo();
    KelNGObject* back = core->objectList().value(0);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->graph()->uid(), uid);
    core->undoStack()->push(new TwCmdDeleteObject(core.get(), root(), {back}));
    core->undoStack()->undo();
    core->removeAndDeleteObject(core->objectList().value(0));
    const int before = rendersStarted();
    core->undoStack()->redo();
    EXPECT_GT(rendersStarted(), before);
    EXPECT_TRUE(core->objectList().isEmpty());
    EXPECT_EQ(countUid(uid), 0);
}

TEST_F(ObjectUndoTest, InnerListedWithOuterIsDropped)
{
    KelNGObject* outer = addObject(QStringLiteral("Outer"));
    KelNGObject* inner = addInnerObject(outer, QStringLiteral("Inner"));
    const int outerUid = outer->graph()->uid();
    const int innerUid = inner->graph()->uid();

    auto* command = new TwCmdDeleteObject(core.get(), root(), {inner, outer});
    EXPECT_EQ(command->objectUids(), QList<int>{outerUid});
    core->undoStack()->push(command);
    EXPECT_EQ(countUid(outerUid), 0);
    EXPECT_EQ(countUid(innerUid), 0);

    core->undoStack()->undo();
    EXPECT_EQ(countUid(outerUid), 1);
    EXPECT_EQ(countUid(innerUid), 1);
    EXPECT_EQ(objectUids(), QList<int>{outerUid});
    KelNGObject* back = core->objectList().first();
    const QList<KelNGObject*> children = back->getChildObjectList(true);
    ASSERT_EQ(children.size(), 1);
    EXPECT_EQ(children.first()->graph()->uid(), innerUid);
}

TEST_F(ObjectUndoTest, InnerObjectComesBackWithItsObject)
{
    KelNGObject* outer = addObject(QStringLiteral("Outer"));
    KelNGObject* inner = addInnerObject(outer, QStringLiteral("Inner"));
    const int innerUid = inner->graph()->uid();
    const QList<int> order = objectUids();

    auto* command = new TwCmdDeleteObject(core.get(), root(), {inner});
    EXPECT_EQ(command->text(), QStringLiteral("Delete Inner"));
    core->undoStack()->push(command);
    EXPECT_EQ(countUid(innerUid), 0);
    EXPECT_TRUE(outer->getChildObjectList(true).isEmpty());

    core->undoStack()->undo();
    KelNodes::Node* restored = root()->findNode(innerUid, true);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->parentGraph(), outer->graph());
    KelNGObject* back = KelNGObject::objectOf(restored->toNodeGraph());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->getRootObject(), outer);
    EXPECT_EQ(outer->getChildObjectList(true), QList<KelNGObject*>{back});
    // An inner object is no entry of the object list.
    EXPECT_EQ(objectUids(), order);
}

namespace {

// An effect's own template with every field a user types, edited and not saved.
KelTemplate* giveOwnTemplate(KelNGObject* object, QString const& name)
{
    auto* own = new KelTemplate(QString());
    own->setName(name);
    own->setUuid(QUuid::createUuid().toString());
    own->setAlternativeNames(name + QStringLiteral(" Alt"));
    own->setTags(name + QStringLiteral(" Tags"));
    own->setDescription(name + QStringLiteral(": a note not saved yet."));
    own->setModified(true);
    own->setObjectInstance(object);
    object->setObjectTemplate(own);
    return own;
}

void expectSameTemplate(KelNGObject* object, KelTemplate const& kept)
{
    ASSERT_NE(object, nullptr);
    KelTemplate* own = object->objectTemplate();
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, &kept);
    EXPECT_EQ(own->name(), kept.name());
    EXPECT_EQ(own->uuid(), kept.uuid());
    EXPECT_EQ(own->alternativeNames(), kept.alternativeNames());
    EXPECT_EQ(own->tags(), kept.tags());
    EXPECT_EQ(own->description(), kept.description());
    EXPECT_EQ(own->modified(), kept.modified());
    EXPECT_EQ(own->objectInstance(), object);
}

} // namespace

// Every command that removes an effect and makes it again gives it back with its own template as
// it was, the edits not yet saved included, and with the templates of the effects inside it.
TEST_F(ObjectUndoTest, RemovedEffectsComeBackWithTheirTemplates)
{
    KelNGObject* inserted = addObject(QStringLiteral("Inserted"));
    KelNGObject* deleted = addObject(QStringLiteral("Deleted"));
    KelNGObject* inner = addInnerObject(deleted, QStringLiteral("Inner"));
    const KelTemplate insertedKept(*giveOwnTemplate(inserted, QStringLiteral("Glow")));
    const KelTemplate deletedKept(*giveOwnTemplate(deleted, QStringLiteral("Frost")));
    const KelTemplate innerKept(*giveOwnTemplate(inner, QStringLiteral("Haze")));
    const int insertedUid = inserted->graph()->uid();
    const int deletedUid = deleted->graph()->uid();
    const int innerUid = inner->graph()->uid();
    auto objectOfUid = [this](int uid) {
        KelNodes::Node* node = root()->findNode(uid, true);
        return node ? KelNGObject::objectOf(node->toNodeGraph()) : nullptr;
    };

    core->undoStack()->push(new TwCmdAddObject(core.get(), inserted));
    core->undoStack()->push(new TwCmdDeleteObject(core.get(), root(), {deleted}));
    ASSERT_EQ(objectOfUid(deletedUid), nullptr);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        core->undoStack()->undo();
        expectSameTemplate(objectOfUid(deletedUid), deletedKept);
        expectSameTemplate(objectOfUid(innerUid), innerKept);
        core->undoStack()->undo();
        ASSERT_EQ(objectOfUid(insertedUid), nullptr);
        core->undoStack()->redo();
        expectSameTemplate(objectOfUid(insertedUid), insertedKept);
        core->undoStack()->redo();
        ASSERT_EQ(objectOfUid(deletedUid), nullptr);
    }
}

// The node commands take an effect's graph out as a node and bring its object back: with its
// template too.
TEST_F(ObjectUndoTest, AnEffectTakenOutAsANodeComesBackWithItsTemplate)
{
    KelNGObject* outer = addObject(QStringLiteral("Outer"));
    KelNGObject* inner = addInnerObject(outer, QStringLiteral("Inner"));
    const KelTemplate kept(*giveOwnTemplate(inner, QStringLiteral("Haze")));
    const int uid = inner->graph()->uid();
    core->undoStack()->push(new KelCmdDeleteNode(core.get(), root(), inner->graph()));
    ASSERT_EQ(countUid(uid), 0);
    for (int round = 0; round < 2; ++round) {
        core->undoStack()->undo();
        KelNodes::Node* node = root()->findNode(uid, true);
        ASSERT_NE(node, nullptr);
        expectSameTemplate(KelNGObject::objectOf(node->toNodeGraph()), kept);
        core->undoStack()->redo();
    }
}
