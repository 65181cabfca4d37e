#include "ParameterObject.h"

#include "CoreSteps.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelParamAtom.h"
#include "nodeui/KelParamCrucial.h"
#include "params/ColorParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"
#include "params/StringParameter.h"

#include <gtest/gtest.h>

namespace MainWindowTest {

namespace {

// Shown enabled, and among the important parameters.
constexpr int kImportant = 5;

} // namespace

KelUtils::Parameter* ParameterObject::parameter(QString const& name) const
{
    for (KelUtils::Parameter* p : parameters) {
        if (p->name() == name)
            return p;
    }
    return nullptr;
}

ParameterObject addParameterObject(TwCore* core, QString const& name)
{
    using Ints = KelUtils::NumGroupParameter<int>;
    using Floats = KelUtils::NumGroupParameter<float>;
    ParameterObject made;
    core->cancelRender();
    KelVyxNodes::VyxNodeGraph* graph = core->rootGraph()->addSubGraph(-1);
    graph->setName(name);
    graph->setUp(core->sourceImage(), nullptr, nullptr, false);
    made.node = graph->addNode(QStringLiteral("operator.inversion"), -1);
    EXPECT_NE(made.node, nullptr);
    if (!made.node)
        return made;
    graph->sourceNode()->connect(QStringLiteral("rgb"), made.node, QStringLiteral("inRgb"));
    made.node->connect(QStringLiteral("outRgb"), graph->destinationNode(), QStringLiteral("rgb"));

    // The panels are built when the object is added: the parameters come first.
    KelUtils::IParameterContainer* container = made.node->paramContainer();
    KelUtils::ParameterList list;
    list.name = QStringLiteral("test");
    container->paramLists().append(list);
    static const KelUtils::ListItem modes[] = {{1, QStringLiteral("Soft")}, {2, QStringLiteral("Hard")}};
    auto* colour = new KelUtils::ColorParameter(QStringLiteral("tint"), QStringLiteral("Tint"), container, nullptr,
                                                kImportant);
    colour->setValue(KelUtils::Color{0.2f, 0.4f, 0.6f, 1.0f});
    auto* text = new KelUtils::StringParameter(QStringLiteral("label"), QStringLiteral("Label"), container, nullptr,
                                               false, kImportant);
    text->setValue(QStringLiteral("plain"));
    made.parameters = {
        new Ints(QStringLiteral("count"), QStringLiteral("Count"), container, nullptr, 1, 0, 100, 3, false, kImportant),
        new Ints(QStringLiteral("level"), QStringLiteral("Level"), container, nullptr, 1, 0, 100, 4, true, kImportant),
        new Floats(QStringLiteral("amount"), QStringLiteral("Amount"), container, nullptr, 1, 0.0f, 10.0f, 1.5f, false,
                   kImportant),
        new Floats(QStringLiteral("mix"), QStringLiteral("Mix"), container, nullptr, 1, 0.0f, 10.0f, 2.5f, true,
                   kImportant),
        new Ints(QStringLiteral("flag"), QStringLiteral("Flag"), container, nullptr, 1, 0, 1, 0, false, kImportant),
        colour,
        new KelUtils::ListParameter(QStringLiteral("mode"), QStringLiteral("Mode"), container, nullptr, modes, 2, 1,
                                    kImportant),
        text,
    };
    container->paramLists().last().parameters = made.parameters;
    made.object = core->addObjectFromNodeGraph(graph);
    CoreSteps::settle(core);
    return made;
}

QWidget* nodePanelEditor(KelNodes::Node* node, KelUtils::Parameter* parameter)
{
    KelNGNode* item = KelNGNode::itemOf(node);
    return item ? item->editorFor(parameter) : nullptr;
}

QWidget* importantEditor(TwMainWindow* window, KelUtils::Parameter* parameter)
{
    KelParamCrucial* crucial = window->projectBrowser()->crucialPanel();
    if (!crucial)
        return nullptr;
    for (KelParamAtom* atom : crucial->atoms()) {
        if (atom->parameter() == parameter)
            return atom->editorFor(0);
    }
    return nullptr;
}

} // namespace MainWindowTest
