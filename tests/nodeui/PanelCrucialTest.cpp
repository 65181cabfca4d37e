#include "PanelTestSupport.h"

#include "nodeui/KelNodeDescriptionTitle.h"
#include "nodeui/KelParam.h"
#include "nodeui/KelParamAtom.h"
#include "nodeui/KelParamCrucial.h"
#include "nodeui/KelParamSnapshot.h"
#include "style/KDSynchronizedFormLayout.h"

#include <gtest/gtest.h>

#include <QDoubleSpinBox>
#include <QGroupBox>

using PanelTest::ObjectFixture;

namespace {

QList<KelNodes::Node*> rowNodes(KelParamCrucial const& panel)
{
    QList<KelNodes::Node*> nodes;
    for (KelParamAtom* atom : panel.atoms())
        nodes << atom->node();
    return nodes;
}

QStringList headings(KelParamCrucial const& panel)
{
    QStringList titles;
    for (QGroupBox* box : panel.content()->findChildren<QGroupBox*>())
        titles << box->title();
    return titles;
}

// A float parameter in a list of its own, important.
PanelTest::Floats* extraImportant(ObjectFixture& f, KelNodes::Node* node)
{
    PanelTest::Lists lists(node->paramContainer());
    lists.addList(QStringLiteral("extra"));
    auto* p = lists.floats(QStringLiteral("amount"), 1.0f, true, 1, 0.0f, 8.0f, 5);
    f.marked << p;
    return p;
}

} // namespace

TEST(PanelCrucial, EachTypeOnceInWalkOrder)
{
    ObjectFixture f;
    KelNodes::Node* blurA = f.node(QStringLiteral("operator.blur"));
    KelNodes::Node* blurB = f.node(QStringLiteral("operator.blur"));
    KelNodes::Node* levels = f.node(QStringLiteral("operator.levels"));
    KelVyxNodes::VyxNodeGraph* child = f.graph->addSubGraph(-1);
    KelNodes::Node* childBlur = f.node(QStringLiteral("operator.blur"), child);
    KelNodes::Node* childHsv = f.node(QStringLiteral("operator.hsv"), child);
    KelNodes::Node* grandThreshold = f.node(QStringLiteral("operator.threshold"), child->addSubGraph(-1));
    f.makeObject();

    KelParamCrucial panel(f.object, nullptr, true);
    // Own nodes last to first, then the child object, then the grandchild's.
    EXPECT_EQ(rowNodes(panel), (QList<KelNodes::Node*>{levels, blurB, childHsv, grandThreshold}));
    EXPECT_TRUE(panel.containsNodeParameter(blurB));
    EXPECT_FALSE(panel.containsNodeParameter(blurA));
    EXPECT_FALSE(panel.containsNodeParameter(childBlur));
    const QStringList titles = headings(panel);
    ASSERT_EQ(titles.size(), 4);
    EXPECT_EQ(titles.first(), QStringLiteral("Node %1").arg(levels->displayName()));
    auto* title = panel.findChild<KelNodeDescriptionTitle*>();
    EXPECT_EQ(title->title, QStringLiteral("Important Parameters of %1").arg(f.graph->displayName()));
    EXPECT_EQ(title->maximumHeight(), 19);
    panel.setInDestruction();
}

TEST(PanelCrucial, RowsEditRefreshAndFollowDependencies)
{
    ObjectFixture f;
    KelNodes::Node* blur = f.node(QStringLiteral("operator.blur"));
    KelNodes::Node* levels = f.node(QStringLiteral("operator.levels"));
    auto* extra = extraImportant(f, blur);
    const int extraList = int(blur->paramContainer()->paramLists().size()) - 1;
    f.makeObject();

    KelParamCrucial panel(f.object, nullptr, true);
    panel.show();
    EXPECT_EQ(rowNodes(panel), (QList<KelNodes::Node*>{levels, blur, blur}));
    EXPECT_EQ(headings(panel).size(), 2);
    KelParamAtom* row = panel.atoms().at(2);
    EXPECT_EQ(row->paramListIndex(), extraList);
    int steps = 0;
    QObject::connect(&panel, &KelParamCrucial::addParamUndo, [&](KelParamAtom* atom, QBuffer* before) {
        EXPECT_EQ(atom, row);
        ++steps;
        delete before;
    });
    QDoubleSpinBox* spin = PanelTest::editBox(row->editorFor(0), 4.0);
    EXPECT_FLOAT_EQ(extra->value(), 4.0f);
    EXPECT_EQ(steps, 1);

    // A dependency change hides the rows of the switched-off list of that node only.
    blur->paramContainer()->paramLists()[extraList].active = false;
    panel.updateStatusForDependencies(blur, 0);
    EXPECT_TRUE(spin->isHidden());
    EXPECT_FALSE(panel.atoms().at(1)->editorFor(0)->isHidden());
    EXPECT_FALSE(panel.atoms().at(0)->editorFor(0)->isHidden());
    extra->setValue(6.0f);
    EXPECT_DOUBLE_EQ(spin->value(), 6.0);

    // Torn down, rows ignore their nodes and leave no callbacks.
    panel.setInDestruction();
    extra->setValue(7.0f);
    panel.checkUpdateNodeParameters(blur);
    blur->paramContainer()->paramLists()[extraList].active = true;
    panel.updateStatusForDependencies(blur, 0);
    EXPECT_DOUBLE_EQ(spin->value(), 6.0);
    EXPECT_TRUE(spin->isHidden());
    EXPECT_TRUE(blur->paramContainer()->paramCallbacks().isEmpty());
}

TEST(PanelCrucial, RowsNeverDeleteTheNodesParameters)
{
    int deletions = 0;
    {
        ObjectFixture f;
        KelNodes::Node* blur = f.node(QStringLiteral("operator.blur"), nullptr, false);
        auto* counted = new PanelTest::CountedParameter(&deletions);
        f.marked << counted;
        blur->paramContainer()->paramLists()[0].parameters << counted;
        f.makeObject();
        {
            KelParamCrucial panel(f.object, nullptr, false);
            ASSERT_EQ(panel.atoms().size(), 1);
            EXPECT_EQ(panel.findChild<KelNodeDescriptionTitle*>(), nullptr);
            panel.setInDestruction();
        }
        // Deleted without setInDestruction, a panel leaves no callback behind either.
        delete new KelParamCrucial(f.object, nullptr, true);
        EXPECT_EQ(deletions, 0);
        EXPECT_TRUE(blur->paramContainer()->paramCallbacks().isEmpty());
    }
    EXPECT_EQ(deletions, 1);
}

TEST(PanelLocking, EditsWithEveryEditorOpenFinish)
{
    ObjectFixture f;
    KelNodes::Node* blur = f.node(QStringLiteral("operator.blur"), nullptr, false);
    auto* important = extraImportant(f, blur);
    f.makeObject();
    KelUtils::ParameterContainer* container = blur->paramContainer();

    KelParam panel(container);
    KelParamAtom atom(important);
    atom.setOwnsParameter(false);
    atom.setNode(blur);
    atom.createUI();
    KelParamCrucial crucial(f.object, nullptr, true);
    const PanelTest::UndoCounter counters[] = {PanelTest::UndoCounter(&panel), PanelTest::UndoCounter(&atom),
                                               PanelTest::UndoCounter(&crucial)};
    PanelTest::editBox(panel.editorFor(important), 2.0);
    PanelTest::editBox(atom.editorFor(0), 3.0);
    PanelTest::editBox(crucial.atoms().first()->editorFor(0), 4.0);
    for (PanelTest::UndoCounter const& counter : counters)
        EXPECT_EQ(counter.steps, 1);

    // The container's locked operations call the callbacks under its lock.
    std::unique_ptr<QBuffer> snapshot(KelParamSnapshot::store(container));
    container->setKeyframeAt(0);
    container->setCurrentFrame(10);
    important->setValue(5.0f);
    container->setKeyframeAt(10);
    container->moveKeyframe(10, 20);
    container->setCurrentFrame(15);
    container->deleteKeyframe(20);
    container->setNumFrames(50);
    KelParamSnapshot::load(container, snapshot.get());
    container->undoBlockBegin(QString(), -1);
    important->setValue(6.0f);
    container->undoBlockEnd(false);
    EXPECT_DOUBLE_EQ(qobject_cast<QDoubleSpinBox*>(panel.editorFor(important))->value(), 4.0);
    EXPECT_DOUBLE_EQ(qobject_cast<QDoubleSpinBox*>(crucial.atoms().first()->editorFor(0))->value(), 4.0);
    crucial.setInDestruction();
}
