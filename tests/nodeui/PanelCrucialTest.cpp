#include "PanelTestSupport.h"

#include "nodeui/KelNodeDescriptionTitle.h"
#include "nodeui/KelParamAtom.h"
#include "nodeui/KelParamCrucial.h"
#include "style/KDSynchronizedFormLayout.h"

#include <gtest/gtest.h>

#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>

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
    auto* form = qobject_cast<KDSynchronizedFormLayout*>(panel.content()->layout());
    for (int row = 0; row < form->rowCount(); ++row) {
        for (auto role : {KDSynchronizedFormLayout::SpanningRole, KDSynchronizedFormLayout::LabelRole}) {
            QLayoutItem* item = form->itemAt(row, role);
            if (auto* box = item ? qobject_cast<QGroupBox*>(item->widget()) : nullptr)
                titles << box->title();
        }
    }
    return titles;
}

} // namespace

TEST(PanelCrucialOrder, EachTypeOnceInWalkOrder)
{
    ObjectFixture f;
    KelNodes::Node* blurA = f.node(QStringLiteral("operator.blur"));
    KelNodes::Node* blurB = f.node(QStringLiteral("operator.blur"));
    KelNodes::Node* levels = f.node(QStringLiteral("operator.levels"));
    KelVyxNodes::VyxNodeGraph* child = f.graph->addSubGraph(-1);
    KelNodes::Node* childBlur = f.node(QStringLiteral("operator.blur"), child);
    KelNodes::Node* childHsv = f.node(QStringLiteral("operator.hsv"), child);
    KelVyxNodes::VyxNodeGraph* grandchild = child->addSubGraph(-1);
    KelNodes::Node* grandThreshold = f.node(QStringLiteral("operator.threshold"), grandchild);
    f.makeObject();

    KelParamCrucial panel(f.object, nullptr, true);
    // Own nodes last to first, then the child object, then the grandchild's.
    const QList<KelNodes::Node*> expected{levels, blurB, childHsv, grandThreshold};
    EXPECT_EQ(rowNodes(panel), expected);
    EXPECT_TRUE(panel.containsNodeParameter(blurB));
    EXPECT_FALSE(panel.containsNodeParameter(blurA));
    EXPECT_FALSE(panel.containsNodeParameter(childBlur));
    EXPECT_FALSE(panel.containsNodeParameter(nullptr));

    const QStringList titles = headings(panel);
    ASSERT_EQ(titles.size(), 4);
    EXPECT_EQ(titles.first(), QStringLiteral("Node %1").arg(levels->displayName()));
    auto* title = panel.findChild<KelNodeDescriptionTitle*>();
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->title, QStringLiteral("Important Parameters of %1").arg(f.graph->displayName()));
    EXPECT_EQ(title->maximumHeight(), 19);

    panel.setInDestruction();
}

TEST(PanelCrucialRows, EditsRefreshesAndDependencies)
{
    ObjectFixture f;
    KelNodes::Node* blur = f.node(QStringLiteral("operator.blur"));
    KelNodes::Node* levels = f.node(QStringLiteral("operator.levels"));
    // A second list of the blur node, with an important row and a list parameter that a change
    // of which re-evaluates the rows' visibility.
    KelUtils::ParameterContainer* container = blur->paramContainer();
    const int extra = int(container->paramLists().size());
    KelUtils::ParameterList list;
    list.name = QStringLiteral("extra");
    auto* extraValue = new KelUtils::NumGroupParameter<float>(QStringLiteral("extraValue"), QStringLiteral("Extra"),
                                                              container, nullptr, 1, 0.0f, 10.0f, 1.0f, false, 5);
    f.marked << extraValue;
    list.parameters << extraValue;
    container->paramLists().append(list);
    f.makeObject();

    KelParamCrucial panel(f.object, nullptr, true);
    panel.show();
    ASSERT_EQ(panel.atoms().size(), 3);
    EXPECT_EQ(panel.atoms().at(0)->node(), levels);
    EXPECT_EQ(panel.atoms().at(1)->node(), blur);
    EXPECT_EQ(panel.atoms().at(2)->parameter(), extraValue);
    EXPECT_EQ(panel.atoms().at(2)->paramListIndex(), extra);
    EXPECT_EQ(headings(panel).size(), 2);

    // Rows edit their node, undoably.
    int steps = 0;
    QObject::connect(&panel, &KelParamCrucial::addParamUndo, [&](KelParamAtom* atom, QBuffer* before) {
        EXPECT_EQ(atom, panel.atoms().at(2));
        ++steps;
        delete before;
    });
    auto* spin = qobject_cast<QDoubleSpinBox*>(panel.atoms().at(2)->editorFor(0));
    spin->setValue(4.0);
    emit spin->editingFinished();
    EXPECT_FLOAT_EQ(extraValue->value(), 4.0f);
    EXPECT_EQ(steps, 1);

    // A dependency change hides the rows of that node's switched-off list only.
    container->paramLists()[extra].active = false;
    panel.updateStatusForDependencies(blur, 0);
    EXPECT_TRUE(spin->isHidden());
    EXPECT_FALSE(panel.atoms().at(1)->editorFor(0)->isHidden());
    EXPECT_FALSE(panel.atoms().at(0)->editorFor(0)->isHidden());

    // checkUpdateNodeParameters refreshes rows from values set behind their back.
    extraValue->setValue(6.0f);
    EXPECT_DOUBLE_EQ(spin->value(), 6.0);

    // Torn down, rows ignore their nodes.
    panel.setInDestruction();
    extraValue->setValue(7.0f);
    panel.checkUpdateNodeParameters(blur);
    container->paramLists()[extra].active = true;
    panel.updateStatusForDependencies(blur, 0);
    EXPECT_DOUBLE_EQ(spin->value(), 6.0);
    EXPECT_TRUE(spin->isHidden());
    for (KelUtils::ParameterCallback const& callback : container->paramCallbacks())
        EXPECT_NE(callback.function, KelUtils::paramChangeCallback<KelParamAtom>);
}

TEST(PanelCrucialRows, RowsNeverDeleteTheNodesParameters)
{
    int deletions = 0;
    {
        ObjectFixture f;
        KelNodes::Node* blur = f.node(QStringLiteral("operator.blur"), nullptr, 0);
        auto* counted = new PanelTest::CountedParameter(&deletions);
        counted->setDisplayFlags(5);
        f.marked << counted;
        blur->paramContainer()->paramLists()[0].parameters << counted;
        f.makeObject();
        {
            KelParamCrucial panel(f.object, nullptr, false);
            ASSERT_EQ(panel.atoms().size(), 1);
            EXPECT_EQ(panel.findChild<KelNodeDescriptionTitle*>(), nullptr);
            panel.setInDestruction();
        }
        EXPECT_EQ(deletions, 0);
        // Deleting a panel without setInDestruction leaves no callback behind either.
        const auto callbacks = blur->paramContainer()->paramCallbacks().size();
        delete new KelParamCrucial(f.object, nullptr, true);
        EXPECT_EQ(blur->paramContainer()->paramCallbacks().size(), callbacks);
        blur->paramContainer()->setStringParam(QStringLiteral("counted"), QStringLiteral("still here"));
    }
    EXPECT_EQ(deletions, 1);
}

#include "nodeui/KelParam.h"
#include "nodeui/KelParamSnapshot.h"

TEST(PanelLocking, EditsWithEveryEditorOpenFinish)
{
    ObjectFixture f;
    KelNodes::Node* blur = f.node(QStringLiteral("operator.blur"), nullptr, 0);
    KelUtils::ParameterContainer* container = blur->paramContainer();
    KelUtils::ParameterList list;
    list.name = QStringLiteral("extra");
    auto* important = new KelUtils::NumGroupParameter<float>(QStringLiteral("amount"), QStringLiteral("Amount"),
                                                             container, nullptr, 1, 0.0f, 8.0f, 1.0f, true, 5);
    list.parameters << important;
    container->paramLists().append(list);
    f.marked << important;
    f.makeObject();

    KelParam panel(container);
    KelParamAtom atom(important);
    atom.setOwnsParameter(false);
    atom.setNode(blur);
    atom.createUI();
    KelParamCrucial crucial(f.object, nullptr, true);
    ASSERT_EQ(crucial.atoms().size(), 1);
    int steps = 0;
    auto count = [&](auto*, QBuffer* before) {
        ++steps;
        delete before;
    };
    QObject::connect(&panel, &KelParam::addParamUndo, count);
    QObject::connect(&atom, &KelParamAtom::addParamUndo, count);
    QObject::connect(&crucial, &KelParamCrucial::addParamUndo, count);

    float minimum = 0.0f, maximum = 0.0f;
    important->getRange(&minimum, &maximum, nullptr);
    const float a = minimum + (maximum - minimum) * 0.25f;
    const float b = minimum + (maximum - minimum) * 0.5f;
    auto editBox = [&](QWidget* editor, float value) {
        auto* spin = qobject_cast<QDoubleSpinBox*>(editor);
        ASSERT_NE(spin, nullptr);
        spin->setValue(value);
        emit spin->editingFinished();
    };
    // Through each editor.
    editBox(panel.editorFor(important), a);
    editBox(atom.editorFor(0), b);
    editBox(crucial.atoms().first()->editorFor(0), a);
    EXPECT_EQ(steps, 3);

    // Through the container, whose locked operations call the callbacks under its lock.
    std::unique_ptr<QBuffer> snapshot(KelParamSnapshot::store(container));
    container->setKeyframeAt(0);
    container->setCurrentFrame(10);
    important->setValue(b);
    container->setKeyframeAt(10);
    container->moveKeyframe(10, 20);
    container->setCurrentFrame(15);
    container->deleteKeyframe(20);
    container->setNumFrames(50);
    KelParamSnapshot::load(container, snapshot.get());
    container->undoBlockBegin(QString(), -1);
    important->setValue(a);
    container->undoBlockEnd(false);
    EXPECT_DOUBLE_EQ(qobject_cast<QDoubleSpinBox*>(panel.editorFor(important))->value(),
                     qobject_cast<QDoubleSpinBox*>(crucial.atoms().first()->editorFor(0))->value());
    crucial.setInDestruction();
    atom.setInDestruction(true);
}
