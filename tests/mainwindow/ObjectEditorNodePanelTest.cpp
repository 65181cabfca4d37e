#include "ObjectEditorTestSupport.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "mainwindow/TwObjectEditor.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/VyxNodeGraphView.h"
#include "style/KelColorField.h"
#include "style/KelStyleConfig.h"
#include "ui_KelNodePanel.h"
#include "ui_ObjectEditor.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>

using PanelTest::PanelsFixture;

namespace {

QColor styleColor()
{
    return KelStyleConfig::instance()->value<QColor>(QStringLiteral("KelNode.backgroundColor"));
}

class ObjectEditorNodePanelTest : public PanelsFixture
{
protected:
    void SetUp() override
    {
        PanelsFixture::SetUp();
        object = addObject("A");
        form()->treeWidget->setCurrentItem(object->objectEditorItem);
        settle();
        for (KelNodes::Node* node : object->graph()->nodes())
            items << KelNGNode::itemOf(node);
        stack()->clear();
        core->setModified(false);
    }

    void TearDown() override
    {
        editor()->selectedNodeChanged(nullptr);
        editor()->adjustUI(nullptr);
        core->templateStore()->clear();
        PanelsFixture::TearDown();
    }

    TwObjectEditor* editor() const { return window.editor; }
    Ui::ObjectEditor* form() const { return window.editor->form(); }
    Ui::KelNodePanel* panel() const { return window.editor->nodePanelForm(); }

    void typeName(QString const& text)
    {
        panel()->nodeNameEdit->setText(text);
        QTest::keyClick(panel()->nodeNameEdit, Qt::Key_Return);
    }

    KelNGObject* object = nullptr;
    QList<KelNGNode*> items;
};

} // namespace


TEST_F(ObjectEditorNodePanelTest, BindingShowsNameAndColourWithoutChangingTheNode)
{
    KelNGNode* coloured = items.at(0);
    KelNGNode* plain = items.at(1);
    coloured->setHasCustomNodeColor(true);
    coloured->setCustomNodeColor(QColor(1, 2, 3));

    emit editor()->graphView()->selectedNodeChanged(coloured);
    EXPECT_TRUE(editor()->nodePanelWidget()->isEnabled());
    EXPECT_EQ(panel()->nodeNameEdit->text(), coloured->node()->displayName());
    EXPECT_EQ(panel()->nodeColorField->color(), QColor(1, 2, 3));

    editor()->selectedNodeChanged(plain);
    EXPECT_EQ(panel()->nodeColorField->color(), styleColor());
    EXPECT_FALSE(plain->hasCustomNodeColor()) << "showing a colour is no pick";
    EXPECT_FALSE(core->isModified());

    editor()->selectedNodeChanged(nullptr);
    EXPECT_EQ(panel()->nodeNameEdit->text(), "");
    EXPECT_FALSE(editor()->nodePanelWidget()->isEnabled());
    EXPECT_EQ(panel()->nodeColorField->color(), styleColor());
}

TEST_F(ObjectEditorNodePanelTest, ColoursAreStoredInTheNodeAndMarkTheProject)
{
    KelNGNode* item = items.at(1);
    auto settings = [item] { return item->node()->paramContainer()->auxData(); };
    editor()->selectedNodeChanged(item);

    struct Case { QToolButton* button; QColor color; };
    const Case cases[] = {{panel()->nodeColor1Button, QColor(164, 4, 13)},
                          {panel()->nodeColor2Button, QColor(0, 87, 168)},
                          {panel()->nodeColor3Button, QColor(171, 155, 0)},
                          {panel()->nodeColor4Button, QColor(84, 41, 133)},
                          {panel()->nodeColor5Button, QColor(34, 144, 25)}};
    for (Case const& c : cases) {
        core->setModified(false);
        c.button->click();
        EXPECT_TRUE(item->hasCustomNodeColor());
        EXPECT_EQ(item->customNodeColor(), c.color);
        EXPECT_EQ(panel()->nodeColorField->color(), c.color);
        EXPECT_EQ(settings().value("customNodeColor").toString(), c.color.name());
        EXPECT_TRUE(core->isModified());
    }

    core->setModified(false);
    panel()->nodeColorCloseButton->click();
    EXPECT_FALSE(item->hasCustomNodeColor());
    EXPECT_FALSE(settings().value("hasCustomNodeColor").toBool());
    EXPECT_EQ(panel()->nodeColorField->color(), styleColor());
    EXPECT_TRUE(core->isModified());

    core->setModified(false);
    panel()->nodeColorField->setColor(QColor(9, 9, 9)); // as a pick in the colour dialog does
    EXPECT_TRUE(item->hasCustomNodeColor());
    EXPECT_EQ(item->customNodeColor(), QColor(9, 9, 9));
    EXPECT_TRUE(settings().value("hasCustomNodeColor").toBool());
    EXPECT_TRUE(core->isModified());
    EXPECT_EQ(stack()->count(), 0) << "a colour takes effect at once, without an undo step";
}

TEST_F(ObjectEditorNodePanelTest, RenamingPushesOnlyRealNamesAndUndoFollowsThePanelNode)
{
    KelNGNode* item = items.at(1);
    KelNGNode* other = items.at(0);
    QString const before = item->node()->displayName();
    editor()->selectedNodeChanged(item);

    typeName(before);
    typeName("   ");
    EXPECT_EQ(stack()->count(), 0);
    EXPECT_EQ(panel()->nodeNameEdit->text(), "   ") << "left as typed";

    typeName(" Renamed ");
    ASSERT_EQ(stack()->count(), 1);
    EXPECT_EQ(stack()->text(0), "Rename Node");
    EXPECT_EQ(item->node()->name(), " Renamed ");
    EXPECT_TRUE(core->isModified());

    core->setModified(false);
    stack()->undo();
    EXPECT_EQ(item->node()->displayName(), before);
    EXPECT_EQ(panel()->nodeNameEdit->text(), before);
    EXPECT_TRUE(core->isModified());

    stack()->redo();
    editor()->selectedNodeChanged(other);
    stack()->undo();
    EXPECT_EQ(item->node()->displayName(), before);
    EXPECT_EQ(panel()->nodeNameEdit->text(), other->node()->displayName());

    core->setBlockFocusOutEvents(true);
    typeName("Blocked");
    core->setBlockFocusOutEvents(false);
    EXPECT_EQ(stack()->count(), 1);
}

TEST_F(ObjectEditorNodePanelTest, TemplateNodeEditsMarkTheTemplateNotTheProject)
{
    KelTemplate* objectTemplate = core->templateStore()->createObjectTemplate();
    KelNGObject* instance = objectTemplate->objectInstance();
    editor()->adjustUI(instance);
    KelNGNode* item = KelNGNode::itemOf(instance->graph()->nodes().last());
    ASSERT_NE(item, nullptr);
    editor()->selectedNodeChanged(item);
    objectTemplate->setModified(false);
    core->setModified(false);

    panel()->nodeColor2Button->click();
    EXPECT_TRUE(objectTemplate->modified());
    objectTemplate->setModified(false);
    typeName("Inner");
    EXPECT_TRUE(objectTemplate->modified());
    ASSERT_EQ(stack()->count(), 1) << "the name, a step of the project's history; the colour is no step";
    EXPECT_EQ(stack()->text(0), "Rename Node");
    auto* own = qobject_cast<QUndoStack*>(instance->graph()->topLevelGraph()->undoStack());
    EXPECT_EQ(own->count(), 0);
    EXPECT_FALSE(core->isModified());
    editor()->selectedNodeChanged(nullptr);
}

TEST_F(ObjectEditorNodePanelTest, ZoomStaysBetweenATenthAndOne)
{
    VyxNodeGraphView* view = editor()->graphView();
    auto zoomTo = [view](qreal zoom) { view->setTransform(QTransform::fromScale(zoom, zoom)); };
    struct Case { qreal start; bool bySlider; qreal argument; qreal expected; };
    const Case cases[] = {
        {0.15, false, 0.5, 0.1}, {1.0, false, 2.0, 1.0}, {0.1, false, 0.5, 0.1},
        {0.5, false, 0.5, 0.25}, {1.0, true, 50, 0.5},   {0.5, true, 0, 1.0},
    };
    for (Case const& c : cases) {
        zoomTo(c.start);
        if (c.bySlider)
            editor()->scaleChanged(int(c.argument));
        else
            editor()->scaleBy(c.argument);
        EXPECT_NEAR(view->transform().m11(), c.expected, 1e-9) << c.start << " " << c.argument;
        EXPECT_NEAR(view->transform().m22(), c.expected, 1e-9);
    }
}

