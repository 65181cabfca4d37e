#include "WindowUser.h"

#include "app/TemplateStoreTestSupport.h"

#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"

#include "app/KelNGObject.h"
#include "app/Renderer.h"
#include "app/StoragePaths.h"
#include "app/TwCore.h"
#include "app/TwNodeGraphIOCallbacks.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/KelParamAtom.h"
#include "nodeui/KelParamCrucial.h"
#include "nodeui/KelTimeline.h"
#include "nodeui/KelTimelineWidget.h"
#include "nodeui/NodeDockTabWidget.h"
#include "params/NumGroupParameter.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QUuid>
#include <QDomDocument>
#include <QGraphicsPixmapItem>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QLineF>

#include <algorithm>
#include <cmath>
#include <memory>

namespace MainWindowTest {

using Ints = KelUtils::NumGroupParameter<int>;

void WindowUser::SetUp()
{
    MainWindowFixture::SetUp();
    ASSERT_NO_FATAL_FAILURE(prepareWindow());
}

void WindowUser::TearDown()
{
    MainWindowFixture::TearDown();
    // The store outlives the test: the next one starts with the templates there were before
    // (none of this test's files, nor of the templates it made).
    for (auto it = m_storeBefore.cbegin(); it != m_storeBefore.cend(); ++it) {
        QDir const folder(it.key());
        for (QString const& name : folder.entryList(QDir::Files)) {
            if (!it.value().contains(name))
                QFile::remove(folder.filePath(name));
        }
    }
}

void WindowUser::prepareWindow()
{
    ASSERT_NO_FATAL_FAILURE(showWindow());
    // The ruler in the place the image browser shares with it.
    window->form()->actionToggleBrowser->setChecked(false);
    settle();
    timeline = window->timeline();
    frameField = timeline->findChild<QSpinBox*>(QStringLiteral("currentFrameSB"));
    ASSERT_NE(frameField, nullptr);
}

KelNGObject* WindowUser::addKeyedHsvEffect(QString const& name)
{
    core()->cancelRender();
    KelVyxNodes::VyxNodeGraph* graph = core()->rootGraph()->addSubGraph(-1);
    graph->setName(name);
    graph->setUp(core()->sourceImage(), nullptr, nullptr, false);
    KelNodes::Node* node = graph->addNode(QStringLiteral("operator.hsv"), -1);
    EXPECT_NE(node, nullptr);
    if (!node)
        return nullptr;
    graph->sourceNode()->connect(QStringLiteral("rgb"), node, QStringLiteral("rgb"));
    node->connect(QStringLiteral("out rgb"), graph->destinationNode(), QStringLiteral("rgb"));
    KelUtils::IParameterContainer* container = node->paramContainer();
    auto* hue = dynamic_cast<Ints*>(container->getParamByName(QStringLiteral("Hue")));
    EXPECT_NE(hue, nullptr);
    for (auto [frame, value] : {std::pair{0, 250}, std::pair{30, 120}}) {
        container->setCurrentFrame(frame);
        hue->setValue(value);
        container->setKeyframeAt(frame);
    }
    graph->paramContainer()->setCurrentFrame(0);
    KelNGObject* object = core()->addObjectFromNodeGraph(graph);
    settle();
    return object;
}

KelNGObject* WindowUser::addConstEffect(QString const& name)
{
    core()->cancelRender();
    KelVyxNodes::VyxNodeGraph* graph = core()->rootGraph()->addSubGraph(-1);
    graph->setName(name);
    graph->setUp(core()->sourceImage(), nullptr, nullptr, false);
    KelNodes::Node* node = graph->addNode(QStringLiteral("generator.const"), -1);
    EXPECT_NE(node, nullptr);
    // Unconnected: its panel edits the single value.
    KelNGObject* object = core()->addObjectFromNodeGraph(graph);
    settle();
    return object;
}

KelNGObject* WindowUser::addNestEffect(QString const& name)
{
    core()->cancelRender();
    KelVyxNodes::VyxNodeGraph* nest = core()->rootGraph()->addSubGraph(-1);
    nest->setName(name);
    nest->setUp(core()->sourceImage(), nullptr, nullptr, false);
    auto link = [](KelNodes::Node* from, char const* out, KelNodes::Node* to, char const* in) {
        to->getTerminal(QLatin1String(in))->disconnectAll();
        EXPECT_EQ(from->connect(QLatin1String(out), to, QLatin1String(in)), 0) << out << " -> " << in;
    };
    auto inversion = [&](KelNodes::NodeGraph* graph) {
        KelNodes::Node* node = graph->addNode(QStringLiteral("operator.inversion"), -1);
        EXPECT_NE(node, nullptr);
        return node;
    };
    auto effect = [&](QString const& effectName) {
        KelVyxNodes::VyxNodeGraph* inner = nest->addSubGraph(-1);
        inner->setName(effectName);
        inner->setUp(core()->sourceImage(), nullptr, nullptr, false);
        KelNodes::Node* node = inversion(inner);
        link(inner->sourceNode(), "rgb", node, "inRgb");
        link(node, "outRgb", inner->destinationNode(), "rgb");
        return inner;
    };
    KelVyxNodes::VyxNodeGraph* inner = effect(QStringLiteral("Inner"));
    KelNodes::Node* reader = inversion(nest);
    KelNodes::Node* first = inversion(nest);
    KelNodes::Node* second = inversion(nest);
    KelVyxNodes::VyxNodeGraph* later = effect(QStringLiteral("Later"));
    KelNodes::Node* max = nest->addNode(QStringLiteral("operator.Maths.max"), -1);
    if (!reader || !first || !second || !max)
        return nullptr;
    reader->setName(QStringLiteral("Reader"));
    link(nest->sourceNode(), "rgb", inner, "rgbIn");
    link(inner, "rgbOut", reader, "inRgb");
    link(nest->sourceNode(), "rgb", first, "inRgb");
    link(first, "outRgb", second, "inRgb");
    link(second, "outRgb", later, "rgbIn");
    link(reader, "outRgb", max, "rgbIn1");
    link(later, "rgbOut", max, "rgbIn2");
    link(max, "rgbOut", nest->destinationNode(), "rgb");
    KelNGObject* object = core()->addObjectFromNodeGraph(nest);
    settle();
    return object;
}

KelNGObject* WindowUser::addNarrowingEffect(QString const& name)
{
    core()->cancelRender();
    KelVyxNodes::VyxNodeGraph* effect = core()->rootGraph()->addSubGraph(-1);
    effect->setName(name);
    effect->setUp(core()->sourceImage(), nullptr, nullptr, false);
    KelNodes::Node* grey = effect->addNode(QStringLiteral("operator.grayscale"), -1);
    KelNodes::Node* curve = effect->addNode(QStringLiteral("operator.Maths.trigonometric"), -1);
    KelNodes::Node* max = effect->addNode(QStringLiteral("operator.Maths.max"), -1);
    KelNodes::Node* first = effect->addNode(QStringLiteral("operator.inversion"), -1);
    KelNodes::Node* second = effect->addNode(QStringLiteral("operator.inversion"), -1);
    KelVyxNodes::VyxNodeGraph* box = effect->addSubGraph(-1);
    if (!grey || !curve || !max || !first || !second || !box)
        return nullptr;
    box->setName(QStringLiteral("Box"));
    box->setUp(core()->sourceImage(), nullptr, nullptr, false);
    KelNodes::Node* source = effect->sourceNode();
    auto link = [](KelNodes::Node* from, char const* out, KelNodes::Node* to, char const* in) {
        to->getTerminal(QLatin1String(in))->disconnectAll();
        EXPECT_EQ(from->connect(QLatin1String(out), to, QLatin1String(in)), 0) << out << " -> " << in;
    };
    link(source, "rgb", grey, "rgb");
    link(grey, "out", curve, "in");
    link(curve, "out", max, "rgbIn1");
    link(source, "rgb", max, "rgbIn2");
    link(max, "rgbOut", effect->destinationNode(), "rgb");
    link(source, "rgb", first, "inRgb");
    link(first, "outRgb", second, "inRgb");
    link(second, "outRgb", box, "rgbIn");
    // Its eye closed: a render skips it until the user opens it.
    effect->paramContainer()->setIntParam(QStringLiteral("disable"), 1, 0);
    KelNGObject* object = core()->addObjectFromNodeGraph(effect);
    settle();
    return object;
}

KelNGObject* WindowUser::objectNamed(QString const& name) const
{
    for (KelNGObject* object : core()->objectList()) {
        if (object->graph() && object->graph()->displayName() == name)
            return object;
    }
    return nullptr;
}

KelNodes::Node* WindowUser::nodeOfType(KelNGObject* object, QString const& typeId)
{
    if (!object || !object->graph())
        return nullptr;
    for (KelNodes::Node* node : object->graph()->nodes()) {
        if (node->descriptor() && node->descriptor()->typeId == typeId)
            return node;
    }
    return nullptr;
}

KelUtils::Parameter* WindowUser::parameterOf(KelNodes::Node* node, QString const& name)
{
    return node ? node->paramContainer()->getParamByName(name) : nullptr;
}

bool WindowUser::inGraphView() const
{
    return window->isNodeGraphViewMode();
}

void WindowUser::pressImageView()
{
    window->form()->actionImageView->trigger();
    settle();
}

void WindowUser::pressGraphView()
{
    window->form()->actionNodeGraphView->trigger();
    settle();
}

namespace {

void clickItem(QTreeWidget* rows, QTreeWidgetItem* row, int column)
{
    ASSERT_NE(row, nullptr);
    ASSERT_TRUE(rows->isVisible());
    rows->scrollToItem(row);
    const QRect cell = rows->visualItemRect(row);
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(rows->columnViewportPosition(column) + 10, cell.center().y()));
}

} // namespace

void WindowUser::clickRow(KelNGObject* object)
{
    ASSERT_NE(object, nullptr);
    if (inGraphView())
        clickItem(window->objectEditor()->form()->treeWidget, object->objectEditorItem, 1);
    else
        clickItem(window->projectBrowser()->form()->treeWidget, object->projectBrowserItem, 1);
    settle();
}

void WindowUser::clickTemplateRow(KelNGObject* templateObject)
{
    ASSERT_NE(templateObject, nullptr);
    clickItem(window->objectEditor()->form()->templatesTreeWidget, templateObject->templateTreeItem, 0);
    settle();
}

void WindowUser::clickNode(KelNodes::Node* node)
{
    KelNGNodeGraphView* view = window->objectEditorGraphView();
    KelNGNode* item = KelNGNode::itemOf(node);
    ASSERT_TRUE(item && item->pixmapItem());
    ASSERT_EQ(item->pixmapItem()->scene(), view->scene());
    view->ensureVisible(item->pixmapItem());
    const QPoint at = view->mapFromScene(item->pixmapItem()->sceneBoundingRect().center());
    hoverOver(at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    settle();
}

void WindowUser::hoverOver(QPoint at)
{
    // The view follows the pointer: what it last passed over is what a press takes.
    QWidget* viewport = window->objectEditorGraphView()->viewport();
    QMouseEvent hover(QEvent::MouseMove, QPointF(at), viewport->mapToGlobal(QPointF(at)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &hover);
}

bool WindowUser::dragNodeOnto(KelNodes::Node* node, KelNodes::Node* effect, Carry carry)
{
    KelNGNodeGraphView* view = window->objectEditorGraphView();
    KelNGNode* item = KelNGNode::itemOf(node);
    KelNGNode* onto = KelNGNode::itemOf(effect);
    if (!item || !onto || !item->pixmapItem() || !onto->pixmapItem() || item->pixmapItem()->scene() != view->scene() ||
        onto->pixmapItem()->scene() != view->scene())
        return false;
    view->ensureVisible(onto->pixmapItem());
    view->ensureVisible(item->pixmapItem());
    auto title = [view](KelNGNode* each) { return view->mapFromScene(each->pixmapItem()->mapToScene(QPointF(60, 10))); };
    auto topAt = [view](QPoint at) -> KelNGNode* {
        for (QGraphicsItem* under : view->items(at)) {
            if (KelNGNode* each = KelNGNode::fromSceneItem(under))
                return each;
        }
        return nullptr;
    };
    const QPoint from = title(item);
    const QPoint to = title(onto);
    QWidget* viewport = view->viewport();
    if (from == to || !viewport->rect().contains(from) || !viewport->rect().contains(to) || topAt(from) != item ||
        topAt(to) != onto)
        return false;
    hoverOver(from);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, from);
    // The press selects the carried node, and the node drawn selected before sinks to the others'
    // level: only now is it known what lies on top at the drop point, under the carried node.
    auto topBelowCarried = [view, item](QPoint at) -> KelNGNode* {
        for (QGraphicsItem* under : view->items(at)) {
            KelNGNode* each = KelNGNode::fromSceneItem(under);
            if (each && each != item)
                return each;
        }
        return nullptr;
    };
    if (topBelowCarried(to) != onto) {
        QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, from);
        settle();
        return false;
    }
    if (carry == Carry::InSmallMoves) {
        // The node follows the pointer and lies under it after every move.
        constexpr double kStep = 8.0;
        const int moves = std::max(1, int(std::ceil(QLineF(from, to).length() / kStep)));
        for (int move = 1; move <= moves; ++move)
            QTest::mouseMove(viewport, from + (to - from) * move / moves);
    } else {
        // At this move the node still lies where it was taken: under the pointer is the effect.
        QTest::mouseMove(viewport, to);
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, to);
    settle();
    return true;
}

QPoint WindowUser::atTerminal(KelNodes::Node* node, KelNodes::Terminal* terminal) const
{
    KelNGNode* item = KelNGNode::itemOf(node);
    EXPECT_TRUE(item && terminal) << "the view shows no such terminal";
    if (!item || !terminal || !item->pixmapItem())
        return QPoint(-1, -1);
    // Not scrolled into sight: a point outside the viewport still reaches the scene, and a
    // scroll would move the other end of a wire already worked out.
    return window->objectEditorGraphView()->mapFromScene(item->rectForTerminal(terminal).center());
}

QPoint WindowUser::atTerminal(KelNodes::Node* node, QString const& name) const
{
    return atTerminal(node, node ? node->getTerminal(name) : nullptr);
}

void WindowUser::viewMouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) const
{
    QWidget* viewport = window->objectEditorGraphView()->viewport();
    QMouseEvent event(type, QPointF(at), viewport->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &event);
}

void WindowUser::dragWire(QPoint from, QPoint to) const
{
    viewMouse(QEvent::MouseMove, from, Qt::NoButton, Qt::NoButton);
    viewMouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    viewMouse(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
    viewMouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    viewMouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

void WindowUser::clickShowProject()
{
    QTest::mouseClick(window->objectEditor()->form()->projectRadioButton, Qt::LeftButton);
    settle();
}

void WindowUser::clickShowTemplates()
{
    QTest::mouseClick(window->objectEditor()->form()->templatesRadioButton, Qt::LeftButton);
    settle();
}

void WindowUser::type(QAbstractSpinBox* editor, int value)
{
    typeValue(editor, QString::number(value));
    settle();
}

QAbstractSpinBox* WindowUser::currentNodeEditor(KelNodes::Node* node, KelUtils::Parameter* parameter)
{
    KelNGNode* item = KelNGNode::itemOf(node);
    return item ? qobject_cast<QAbstractSpinBox*>(item->editorFor(parameter)) : nullptr;
}

QAbstractSpinBox* WindowUser::shownImportantEditor(KelUtils::Parameter* parameter) const
{
    KelParamCrucial* panel = inGraphView() ? window->nodeDock()->objectCrucialWidget()
                                           : window->projectBrowser()->crucialPanel();
    if (!panel)
        return nullptr;
    for (KelParamAtom* atom : panel->atoms()) {
        if (atom->parameter() == parameter)
            return qobject_cast<QAbstractSpinBox*>(atom->editorFor(0));
    }
    return nullptr;
}

void WindowUser::goTo(int frame)
{
    ASSERT_NO_FATAL_FAILURE(goToFrame(frame));
}

int WindowUser::shownFrame() const
{
    return frameField->value();
}

bool WindowUser::clickTimelineButton(const char* name)
{
    auto* button = timeline->findChild<QToolButton*>(QLatin1String(name));
    if (!button || !button->isEnabled())
        return false;
    QTest::mouseClick(button, Qt::LeftButton);
    settle();
    return true;
}

int WindowUser::rulerX(int frame) const
{
    KelTimelineWidget* ruler = timeline->ruler();
    return int((frame - ruler->firstVisibleFrame()) * ruler->pixelsPerFrame() + 7) + 3;
}

void WindowUser::moveOnRuler(int frame, Qt::MouseButtons buttons)
{
    KelTimelineWidget* ruler = timeline->ruler();
    const QPointF at(rulerX(frame), 5);
    QMouseEvent event(QEvent::MouseMove, at, ruler->mapToGlobal(at), Qt::NoButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(ruler, &event);
}

bool WindowUser::dragKey(int from, int to)
{
    KelTimelineWidget* ruler = timeline->ruler();
    if (!ruler->isVisible() || from < ruler->firstVisibleFrame() || to > ruler->lastVisibleFrame())
        return false;
    moveOnRuler(from, Qt::NoButton);
    if (ruler->hoveredKey() != from)
        return false;
    QTest::mousePress(ruler, Qt::LeftButton, Qt::NoModifier, QPoint(rulerX(from), 5));
    const int step = to > from ? 1 : -1;
    for (int frame = from + step; frame != to + step; frame += step)
        moveOnRuler(frame, Qt::LeftButton);
    QTest::mouseRelease(ruler, Qt::LeftButton, Qt::NoModifier, QPoint(rulerX(to), 5));
    moveOnRuler(to, Qt::NoButton);
    settle();
    return true;
}

namespace {

// Delivers every event posted before the call (and what the event loop has due).
void deliverPostedEvents()
{
    bool reached = false;
    QMetaObject::invokeMethod(qApp, [&reached] { reached = true; }, Qt::QueuedConnection);
    for (int round = 0; round < 100 && !reached; ++round)
        QCoreApplication::processEvents();
    EXPECT_TRUE(reached) << "an event posted to the window was never delivered";
}

} // namespace

void WindowUser::finishRenders()
{
    // A render's end is posted from its thread and announced (previews drawn, the picture
    // shown) only when the event loop delivers it; that may start the next render or post more.
    // At rest: rounds in a row that began with no render pending and started none.
    constexpr int kRoundsAtRest = 3;
    constexpr int kMaxRounds = 2000;
    Renderer* renderer = core()->renderer();
    int atRest = 0;
    for (int round = 0; round < kMaxRounds && atRest < kRoundsAtRest; ++round) {
        // A row setting's render starts on the window's timer: its timeout is the event waited
        // for, which comes.
        while (window->isSettingRenderDue())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const quint64 generation = renderer->generation();
        const bool pending = core()->isRenderPending() || window->isSettingRenderDue();
        // Once its thread has ended, a run's end is in the event queue.
        renderer->wait();
        deliverPostedEvents();
        const bool still = !pending && !core()->isRenderPending() && renderer->generation() == generation;
        atRest = still ? atRest + 1 : 0;
    }
    EXPECT_EQ(atRest, kRoundsAtRest) << "the window keeps rendering: it never came to rest";
}

QByteArray WindowUser::projectBytes() const
{
    // Read while no render reads the graph, without asking for one: a render the window missed
    // stays missed.
    core()->renderer()->wait();
    KelNodes::NodeGraph* graph = core()->rootGraph();
    TwNodeGraphIOCallbacks callbacks(core(), false);
    TwNodeGraphIOCallbacks::Scope hooks(graph, &callbacks, true, false);
    std::unique_ptr<QDomDocument> document(graph->store(graph->nodes(), true, true, false));
    return document ? document->toByteArray(4) : QByteArray();
}

bool WindowUser::readApart(QByteArray const& project, KelVyxNodes::VyxNodeGraph& root) const
{
    QDomDocument document;
    if (!document.setContent(project))
        return false;
    TwNodeGraphIOCallbacks callbacks(core(), false);
    TwNodeGraphIOCallbacks::Scope hooks(&root, &callbacks, false, true);
    root.load(document.documentElement(), true, KelNodes::LoadAllConnections, nullptr, nullptr);
    return true;
}

QImage WindowUser::renderedApart(QByteArray const& project) const
{
    // A graph of its own, read from the saved project as Open reads it, rendered on this thread.
    KelVyxNodes::VyxNodeGraph root(nullptr);
    if (!readApart(project, root))
        return {};
    QImage const source = *core()->sourceImage();
    if (root.setUp(&source, nullptr, nullptr, false) != 0)
        return {};
    root.sortForRender();
    if (root.filter(nullptr) < 0)
        return {};
    return root.resultImage();
}

ProjectReadBack WindowUser::readBack(QByteArray const& project) const
{
    KelVyxNodes::VyxNodeGraph root(nullptr);
    if (!readApart(project, root))
        return {"the project is no document", false};
    TwNodeGraphIOCallbacks callbacks(core(), false);
    TwNodeGraphIOCallbacks::Scope hooks(&root, &callbacks, true, false);
    std::unique_ptr<QDomDocument> again(root.store(root.nodes(), true, true, false));
    return ProjectReadBack::of(project, again ? again->toByteArray(4) : QByteArray());
}

void WindowUser::saveProjectAs(QString path)
{
    ASSERT_TRUE(window->saveNodeGraph(core()->rootGraph(), path));
    settle();
}

void WindowUser::startWithStoreTemplates(QStringList const& names)
{
    // What the store held when the test first touched it comes back at its end.
    for (QString const& folder : {StoragePaths::objectTemplatesFolder(), StoragePaths::objectIconsFolder()}) {
        if (!m_storeBefore.contains(folder))
            m_storeBefore.insert(folder, QDir(folder).entryList(QDir::Files));
    }
    for (QString const& name : names) {
        const QString uuid = QUuid::createUuid().toString();
        ASSERT_TRUE(StoreTest::writeFile(StoragePaths::objectTemplatePath(uuid),
                                         StoreTest::templateDocument({uuid, name})));
    }
    // The store reads its files when the window is made.
    discardProject();
    window.reset();
    window = std::make_unique<TwMainWindow>(nullptr);
    settle();
    ASSERT_NO_FATAL_FAILURE(prepareWindow());
}

void WindowUser::restart()
{
    ASSERT_TRUE(closeWindow());
    window.reset();
    window = std::make_unique<TwMainWindow>(nullptr);
    settle();
    ASSERT_NO_FATAL_FAILURE(prepareWindow());
}

void WindowUser::undoInWindow()
{
    ASSERT_TRUE(window->undoAction()->isEnabled());
    window->undoAction()->trigger();
    settle();
}

void WindowUser::redoInWindow()
{
    ASSERT_TRUE(window->redoAction()->isEnabled());
    window->redoAction()->trigger();
    settle();
}

void WindowUser::discardingEveryEdit(std::function<void()> const& step)
{
    // The project's question and the templates' question: each answered Discard.
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        QAbstractButton* discard = box->button(QMessageBox::Discard);
        if (!discard)
            discard = box->button(QMessageBox::No);
        if (discard)
            discard->click();
        else
            box->done(QMessageBox::Discard);
    });
    answer.start();
    step();
    answer.stop();
    settle();
}

bool WindowUser::closeWindow()
{
    bool closed = false;
    discardingEveryEdit([&] { closed = window->close(); });
    return closed;
}

} // namespace MainWindowTest
