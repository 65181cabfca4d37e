// The frame the timeline shows is the frame the picture and the Important Parameters show and
// edit: after a project is opened and after every change of the selected effect, also when a
// node inside the effect was moved to a frame of its own in the node-graph view.

#include "MainWindowFixture.h"
#include "ParameterObject.h"

#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"

#include "app/KelNGObject.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/KelTimeline.h"
#include "params/NumGroupParameter.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QGraphicsPixmapItem>
#include <QImage>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace MainWindowTest {
namespace {

using Ints = KelUtils::NumGroupParameter<int>;

class FrameShown : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(showWindow());
        timeline = window->timeline();
        field = timeline->findChild<QSpinBox*>(QStringLiteral("currentFrameSB"));
        ASSERT_NE(field, nullptr);
    }

    // An effect "Bright" whose picture goes through a brightness node.
    void addBrightEffect()
    {
        core()->cancelRender();
        KelVyxNodes::VyxNodeGraph* graph = core()->rootGraph()->addSubGraph(-1);
        graph->setName(QStringLiteral("Bright"));
        graph->setUp(core()->sourceImage(), nullptr, nullptr, false);
        KelNodes::Node* node = graph->addNode(QStringLiteral("operator.brightness/contrast"), -1);
        ASSERT_NE(node, nullptr);
        ASSERT_EQ(graph->sourceNode()->connect(QStringLiteral("rgb"), node, QStringLiteral("in")), 0);
        ASSERT_EQ(node->connect(QStringLiteral("rgb"), graph->destinationNode(), QStringLiteral("rgb")), 0);
        core()->addObjectFromNodeGraph(graph);
        settle();
    }

    KelNGObject* objectNamed(QString const& name) const
    {
        for (KelNGObject* object : core()->objectList()) {
            if (object->graph()->displayName() == name)
                return object;
        }
        return nullptr;
    }

    KelNodes::Node* brightnessNode() const
    {
        KelNGObject* object = objectNamed(QStringLiteral("Bright"));
        for (KelNodes::Node* node : object ? object->graph()->nodes() : QList<KelNodes::Node*>()) {
            if (node->paramContainer()->getParamByName(QStringLiteral("Brightness Factor")))
                return node;
        }
        return nullptr;
    }

    Ints* brightness() const
    {
        KelNodes::Node* node = brightnessNode();
        return node ? dynamic_cast<Ints*>(node->paramContainer()->getParamByName(QStringLiteral("Brightness Factor")))
                    : nullptr;
    }

    // A click on the effect's row: in the project browser in the image view, in the list of
    // effects in the node-graph view.
    void clickRow(QString const& name)
    {
        KelNGObject* object = objectNamed(name);
        ASSERT_NE(object, nullptr);
        const bool imageView = window->form()->actionImageView->isChecked();
        QTreeWidget* rows = imageView ? static_cast<QTreeWidget*>(window->projectBrowser()->form()->treeWidget)
                                      : static_cast<QTreeWidget*>(window->objectEditor()->form()->treeWidget);
        QTreeWidgetItem* item = imageView ? object->projectBrowserItem : object->objectEditorItem;
        ASSERT_NE(item, nullptr);
        const QRect row = rows->visualItemRect(item);
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(rows->columnViewportPosition(1) + 10, row.center().y()));
        settle();
    }

    void clickNodeInGraphView(KelNodes::Node* node)
    {
        KelNGNodeGraphView* view = window->objectEditorGraphView();
        KelNGNode* item = KelNGNode::itemOf(node);
        ASSERT_TRUE(item && item->pixmapItem());
        const QPoint at = view->mapFromScene(item->pixmapItem()->sceneBoundingRect().center());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        settle();
    }

    // Typed and confirmed as a user does.
    void type(QWidget* widget, int value)
    {
        typeValue(qobject_cast<QAbstractSpinBox*>(widget), QString::number(value));
        settle();
    }

    void goTo(int frame)
    {
        ASSERT_NO_FATAL_FAILURE(goToFrame(frame));
    }

    void addKeyframe()
    {
        auto* button = timeline->findChild<QToolButton*>(QStringLiteral("addKeyframeTB"));
        ASSERT_TRUE(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        settle();
    }

    QImage renderedPicture()
    {
        core()->start();
        EXPECT_TRUE(waitForRender());
        EXPECT_TRUE(core()->renderer()->completedSucceeded());
        return core()->resultImage()->copy();
    }

    // The timeline, the node and the Important Parameters stand at `frame` and show `value`.
    void expectAgreement(int frame, int value)
    {
        KelNodes::Node* node = brightnessNode();
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(field->value(), frame);
        EXPECT_EQ(node->paramContainer()->currentFrame(), frame);
        EXPECT_EQ(brightness()->value(0), value);
        if (window->form()->actionImageView->isChecked()) {
            auto* editor = qobject_cast<QAbstractSpinBox*>(importantEditor(window.get(), brightness()));
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(editor->text(), QString::number(value));
        }
    }

    KelTimeline* timeline = nullptr;
    QSpinBox* field = nullptr;
};

// Keys at 0 (Brightness 0) and 20 (53) set on the node in the node-graph view, saved at frame 20
// and opened again: the effect's row shows frame 20, as the picture and the Important Parameters
// do, a value typed there rewrites the key at 20, and another row and back changes nothing.
TEST_F(FrameShown, AnOpenedProjectShowsTheFrameItWasSavedAtOnTheEffectsRow)
{
    addInversion(QStringLiteral("Other"));
    addBrightEffect();
    window->form()->actionNodeGraphView->trigger();
    settle();
    clickRow(QStringLiteral("Bright"));
    clickNodeInGraphView(brightnessNode());
    ASSERT_EQ(timeline->selectedContainer(), brightnessNode()->paramContainer());
    addKeyframe();
    goTo(20);
    addKeyframe();
    type(nodePanelEditor(brightnessNode(), brightness()), 53);
    ASSERT_EQ(brightnessNode()->paramContainer()->keyframes(), (QList<int>{0, 20}));
    ASSERT_EQ(brightness()->value(0), 53);
    const QImage atTwenty = renderedPicture();
    QString path = dir.filePath(QStringLiteral("bright.vyxsg"));
    ASSERT_TRUE(window->saveNodeGraph(core()->rootGraph(), path));

    window->form()->actionImageView->trigger();
    settle();
    window->openNodeGraph(core()->rootGraph(), path);
    settle();
    ASSERT_NE(brightnessNode(), nullptr);
    ASSERT_EQ(brightnessNode()->paramContainer()->keyframes(), (QList<int>{0, 20}));
    clickRow(QStringLiteral("Bright"));
    ASSERT_EQ(timeline->selectedContainer(), objectNamed(QStringLiteral("Bright"))->graph()->paramContainer());
    expectAgreement(20, 53);
    EXPECT_TRUE(renderedPicture() == atTwenty) << "the picture of frame 20";

    type(importantEditor(window.get(), brightness()), 40);
    EXPECT_EQ(brightnessNode()->paramContainer()->keyframes(), (QList<int>{0, 20}));
    expectAgreement(20, 40);
    timeline->setCurrentFrame(0);
    EXPECT_EQ(brightness()->value(0), 0) << "the key at 0 is left as it was";
    timeline->setCurrentFrame(20);
    settle();

    clickRow(QStringLiteral("Other"));
    clickRow(QStringLiteral("Bright"));
    expectAgreement(20, 40);
}

// With no effect to show (after start-up, after the last one is deleted, after New, Open, an
// export and an undo), the timeline's frame field reads the frame the project renders, the root
// graph's.
TEST_F(FrameShown, WithoutAnEffectTheFieldReadsTheRenderedFrame)
{
    auto rendered = [this] { return core()->rootGraph()->paramContainer()->currentFrame(); };
    settle();
    EXPECT_EQ(field->value(), rendered()) << "after start-up";

    addBrightEffect();
    clickRow(QStringLiteral("Bright"));
    goTo(12);
    ASSERT_EQ(field->value(), 12);
    ASSERT_NE(rendered(), 12) << "the effect keeps a frame of its own";
    auto deleteTheEffect = [this] {
        window->on_menuEdit_aboutToShow();
        ASSERT_TRUE(window->form()->actionDelete->isEnabled());
        window->form()->actionDelete->trigger();
        settle();
        ASSERT_TRUE(core()->objectList().isEmpty());
    };
    deleteTheEffect();
    EXPECT_EQ(field->value(), rendered()) << "after the last effect is deleted";

    window->undoAction()->trigger();
    settle();
    ASSERT_EQ(core()->objectList().size(), 1);
    window->redoAction()->trigger();
    settle();
    ASSERT_TRUE(core()->objectList().isEmpty());
    EXPECT_EQ(field->value(), rendered()) << "after the delete is redone";

    const bool exported = exportThroughTheDialog([this] { window->saveSequence(); }, dir.path(), 1, 3);
    settle();
    ASSERT_TRUE(exported);
    EXPECT_EQ(field->value(), rendered()) << "after Save Sequence";

    ASSERT_EQ(core()->rootGraph()->paramContainer()->setCurrentFrame(9), 0);
    QString path = dir.filePath(QStringLiteral("empty.vyxsg"));
    ASSERT_TRUE(window->saveNodeGraph(core()->rootGraph(), path));
    ASSERT_TRUE(window->on_actionNew_triggered());
    settle();
    EXPECT_EQ(field->value(), rendered()) << "after New";
    window->openNodeGraph(core()->rootGraph(), path);
    settle();
    EXPECT_EQ(field->value(), rendered()) << "after Open";
}

// A node moved alone to a frame in the node-graph view: its effect's row, picked in either
// view, shows the frame the node shows, and keys set there land at that frame.
TEST_F(FrameShown, AnEffectsRowShowsTheFrameOfANodeMovedAlone)
{
    addInversion(QStringLiteral("Other"));
    addBrightEffect();
    window->form()->actionNodeGraphView->trigger();
    settle();
    clickRow(QStringLiteral("Bright"));
    clickNodeInGraphView(brightnessNode());
    addKeyframe();
    goTo(30);
    type(nodePanelEditor(brightnessNode(), brightness()), 60);
    addKeyframe();
    goTo(15);
    ASSERT_EQ(brightness()->value(0), 30);

    for (const char* view : {"node-graph view", "image view"}) {
        SCOPED_TRACE(view);
        if (QLatin1String(view) == QLatin1String("image view")) {
            window->form()->actionImageView->trigger();
            settle();
        }
        clickRow(QStringLiteral("Other"));
        clickRow(QStringLiteral("Bright"));
        ASSERT_EQ(timeline->selectedContainer(), objectNamed(QStringLiteral("Bright"))->graph()->paramContainer());
        expectAgreement(15, 30);
    }
    // A key set on the effect's row lands at the frame the node shows.
    addKeyframe();
    EXPECT_EQ(brightnessNode()->paramContainer()->keyframes(), (QList<int>{0, 15, 30}));
    expectAgreement(15, 30);
}

} // namespace
} // namespace MainWindowTest
