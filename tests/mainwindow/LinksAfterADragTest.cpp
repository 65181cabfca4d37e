// An effect made with "Add New, Empty Filter": HSV reads the effect's picture on both inputs,
// its "out alpha" feeds a node that narrows its input to what its output feeds, that node feeds
// Max, Max is the effect's picture; an empty inner effect fed through two Inversions is listed
// after the reader. HSV dragged by its title into the inner effect, or into effects dragged in
// turn into it (1-3 effects deep), keeps the picture, and the effect comes back with every link
// and the same picture from Save, New and Open, from a restart and Open, as a template dropped in
// after a restart, and from the reader's deletion undone. A link a project names that truly
// cannot be made is named when the project opens.

#include "MessageBoxes.h"
#include "WindowUser.h"

#include "ui_MainWindow.h"
#include "ui_TemplateEditor.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/Renderer.h"
#include "app/TemplateEditor.h"
#include "app/TwCore.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/Terminal.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/TreeWidgetByMimeType.h"
#include "ui_ProjectBrowser.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QGraphicsPixmapItem>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>
#include <string>

namespace MainWindowTest {
namespace {

using KelNodes::Node;
using KelNodes::Terminal;
using KelVyxNodes::VyxNodeGraph;

struct Shape
{
    int depth = 1;
    // The type id of the node HSV's "out alpha" feeds.
    QString reader;
};

std::ostream& operator<<(std::ostream& out, Shape const& shape)
{
    return out << shape.depth << " deep, " << shape.reader.toStdString();
}

// A node's place in the effect: the names of the effects it lies in below it, then its own.
QString placeOf(Node const* node, KelNodes::NodeGraph const* effect)
{
    QString place = node->displayName();
    for (KelNodes::NodeGraph const* graph = node->parentGraph(); graph && graph != effect; graph = graph->parentGraph())
        place = graph->displayName() + QLatin1Char('/') + place;
    return place;
}

// Every link inside the effect, from the input's side, and every terminal's kinds.
void collectWiring(KelNodes::NodeGraph const* graph, KelNodes::NodeGraph const* effect, QStringList& lines)
{
    for (Node const* node : graph->nodes()) {
        for (Terminal const* terminal : node->terminalList()) {
            if (terminal->hostNode() != node)
                continue;
            lines << QStringLiteral("%1 %2 kinds %3/%4")
                         .arg(placeOf(node, effect), terminal->name())
                         .arg(terminal->inputMask())
                         .arg(terminal->outputMask());
            if (!terminal->isInput())
                continue;
            for (Terminal const* peer : terminal->connections()) {
                const bool inside = peer->hostNode() == effect || peer->hostNode()->isInsideOf(effect);
                lines << QStringLiteral("%1 %2 -> %3 %4")
                             .arg(inside ? placeOf(peer->hostNode(), effect) : QStringLiteral("(outside)"), peer->name(),
                                  placeOf(node, effect), terminal->name());
            }
        }
        if (KelNodes::NodeGraph const* sub = node->toNodeGraph())
            collectWiring(sub, effect, lines);
    }
}

// One line each, for messages that can be read.
std::string wiringOf(KelNodes::NodeGraph const* effect)
{
    QStringList lines;
    if (effect)
        collectWiring(effect, effect, lines);
    lines.sort();
    return lines.join(QLatin1Char('\n')).toStdString();
}

class LinksAfterADrag : public WindowUser, public ::testing::WithParamInterface<Shape>
{
protected:
    void showPicture()
    {
        QDir(dir.path()).mkpath(QStringLiteral("pictures"));
        const QString path = dir.filePath(QStringLiteral("pictures/gradient.png"));
        if (!QFile::exists(path)) {
            QImage picture(40, 30, QImage::Format_ARGB32);
            for (int y = 0; y < picture.height(); ++y) {
                for (int x = 0; x < picture.width(); ++x)
                    picture.setPixel(x, y, qRgba(6 * x, 8 * y, (x * y) % 256, 90 + 5 * x));
            }
            ASSERT_TRUE(picture.save(path));
        }
        window->imageChangedInBrowser(path);
        settle();
        ASSERT_EQ(core()->resultImage()->size(), QSize(40, 30));
    }

    KelNGNodeGraphView* view() const { return window->objectEditorGraphView(); }

    // A point of the view's viewport where a node dropped lies clear of every node shown.
    QPoint clearSpot() const
    {
        const QSize node(150, 130);
        QWidget* viewport = view()->viewport();
        for (int y = 10; y + node.height() < viewport->height(); y += 40) {
            for (int x = 10; x + node.width() < viewport->width(); x += 40) {
                const QRectF area = view()->mapToScene(QRect(QPoint(x, y), node)).boundingRect();
                bool clear = true;
                for (QGraphicsItem* item : view()->scene()->items(area)) {
                    if (KelNGNode::fromSceneItem(item))
                        clear = false;
                }
                if (clear)
                    return QPoint(x, y);
            }
        }
        return QPoint(-1, -1);
    }

    // Drags the type from the Nodes panel's list onto a clear place of the view.
    Node* dropNode(QString const& typeId)
    {
        TreeWidgetByMimeType* types = window->nodeDock()->availableNodesTree();
        std::unique_ptr<QMimeData> data;
        for (QTreeWidgetItem* item : types->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive)) {
            if (item->data(0, Qt::UserRole + 1).toString() == typeId)
                data.reset(types->model()->mimeData({types->indexFromItem(item)}));
        }
        EXPECT_TRUE(data) << typeId.toStdString() << " is not in the list";
        const QPoint at = clearSpot();
        EXPECT_NE(at, QPoint(-1, -1)) << "no room left in the view";
        if (!data || at == QPoint(-1, -1))
            return nullptr;
        KelNodes::NodeGraph* graph = view()->graph();
        const QList<Node*> before = graph->nodes();
        QWidget* viewport = view()->viewport();
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &drop);
        settle();
        for (Node* node : graph->nodes()) {
            if (!before.contains(node))
                return node;
        }
        ADD_FAILURE() << typeId.toStdString() << " was not added";
        return nullptr;
    }

    // Draws a wire with the mouse from an output to an input; fails when no link came of it.
    void wire(Node* from, QString const& output, Node* to, QString const& input)
    {
        const QPoint start = atTerminal(from, output);
        dragWire(start, atTerminal(to, input));
        settle();
        EXPECT_TRUE(to->getTerminal(input)->isConnectedTo(from->getTerminal(output)))
            << "no wire from " << from->displayName().toStdString() << " " << output.toStdString() << " to "
            << to->displayName().toStdString() << " " << input.toStdString();
    }

    // An empty effect in `effect` as a project file brings one (the view makes none inside an
    // effect), at a clear place of the view, fed nothing yet.
    VyxNodeGraph* addEmptyEffect(VyxNodeGraph* effect, QString const& name)
    {
        core()->cancelRender();
        const QPointF place = view()->mapToScene(clearSpot());
        VyxNodeGraph* inner = effect->addSubGraph(-1);
        inner->setName(name);
        inner->setUp(core()->sourceImage(), nullptr, nullptr, false);
        inner->paramContainer()->auxData().insert(QStringLiteral("posX"), place.x());
        inner->paramContainer()->auxData().insert(QStringLiteral("posY"), place.y());
        new KelNGObject(inner);
        KelNGObject::objectOf(effect)->getRootObject()->setGraphChanged(true);
        core()->updateUIAfterGraphOfNodeChanged(effect);
        clickRow(KelNGObject::objectOf(effect));
        return inner;
    }

    // Drags by its title, and fails when nothing moved.
    void carry(Node* node, VyxNodeGraph* into)
    {
        EXPECT_TRUE(dragNodeOnto(node, into)) << "the view does not show both";
        EXPECT_EQ(node->parentGraph(), static_cast<KelNodes::NodeGraph*>(into)) << "the drag moved nothing";
    }

    // The shape of the issue, built in the node-graph view; the effect's object.
    KelNGObject* buildShape(Shape const& shape)
    {
        pressGraphView();
        clickShowProject();
        QTest::mouseClick(window->projectBrowser()->form()->addNewEmptyFilter, Qt::LeftButton);
        settle();
        KelNGObject* object = core()->selectedObject();
        EXPECT_NE(object, nullptr);
        if (!object)
            return nullptr;
        clickRow(object);
        auto* effect = dynamic_cast<VyxNodeGraph*>(object->graph());
        EXPECT_EQ(view()->graph(), static_cast<KelNodes::NodeGraph*>(effect));
        if (!effect || view()->graph() != effect)
            return nullptr;
        Node* source = effect->sourceNode();
        Node* destination = effect->destinationNode();
        hsv = dropNode(QStringLiteral("operator.hsv"));
        reader = dropNode(shape.reader);
        Node* max = dropNode(QStringLiteral("operator.Maths.max"));
        Node* first = dropNode(QStringLiteral("operator.inversion"));
        Node* second = dropNode(QStringLiteral("operator.inversion"));
        if (!hsv || !reader || !max || !first || !second)
            return nullptr;
        wire(source, QStringLiteral("rgb"), hsv, QStringLiteral("rgb"));
        wire(source, QStringLiteral("alpha"), hsv, QStringLiteral("alpha"));
        wire(hsv, QStringLiteral("out alpha"), reader, QStringLiteral("in"));
        wire(reader, QStringLiteral("out"), max, QStringLiteral("rgbIn1"));
        wire(max, QStringLiteral("rgbOut"), destination, QStringLiteral("rgb"));
        wire(source, QStringLiteral("rgb"), first, QStringLiteral("inRgb"));
        wire(first, QStringLiteral("outRgb"), second, QStringLiteral("inRgb"));
        VyxNodeGraph* inner = addEmptyEffect(effect, QStringLiteral("Inner"));
        // Effects that carry HSV deeper: HSV goes into the first, each into the next, the last
        // into Inner.
        QList<VyxNodeGraph*> wraps;
        for (int level = 1; level < shape.depth; ++level) {
            VyxNodeGraph* wrap = addEmptyEffect(effect, QStringLiteral("Wrap %1").arg(level));
            wire(source, QStringLiteral("rgb"), wrap, QStringLiteral("rgbIn"));
            wire(source, QStringLiteral("alpha"), wrap, QStringLiteral("alphaIn"));
            wraps.append(wrap);
        }
        wire(second, QStringLiteral("outRgb"), inner, QStringLiteral("rgbIn"));
        wire(source, QStringLiteral("alpha"), inner, QStringLiteral("alphaIn"));
        // Listed after the reader: its links come after the reader's in a file.
        const QList<Node*> members = effect->nodes();
        EXPECT_GT(members.indexOf(inner), members.indexOf(reader));

        Node* carried = hsv;
        for (VyxNodeGraph* wrap : std::as_const(wraps)) {
            carry(carried, wrap);
            carried = wrap;
        }
        carry(carried, inner);
        EXPECT_EQ(hsv->howDeepIn(effect), shape.depth + 1);
        if (HasFailure())
            return nullptr;
        clickRow(object);
        return object;
    }

    // The effect's picture and wiring as the window shows them now.
    void expectAsBefore(KelNGObject* object, char const* road)
    {
        SCOPED_TRACE(road);
        ASSERT_NE(object, nullptr) << "the effect is not there";
        finishRenders();
        EXPECT_TRUE(core()->renderer()->completedSucceeded()) << core()->renderer()->failureReason().toStdString();
        EXPECT_EQ(wiringOf(object->graph()), wired);
        EXPECT_EQ(core()->resultImage()->convertToFormat(QImage::Format_ARGB32), before);
    }

    KelNGObject* onlyEffect() const
    {
        const QList<KelNGObject*> objects = core()->objectList();
        return objects.size() == 1 ? objects.first() : nullptr;
    }

    // Runs `step`, answering any warning it brings; none is expected.
    void withoutWarnings(std::function<void()> const& step)
    {
        MessageBoxes boxes({}, QMessageBox::Ok, true);
        step();
        settle();
        EXPECT_EQ(boxes.texts.join(QLatin1Char('\n')).toStdString(), "");
    }

    void open(QString const& path)
    {
        answerFileDialog(path);
        window->form()->actionOpen->trigger();
        settle();
    }

    Node* hsv = nullptr;
    Node* reader = nullptr;
    std::string wired;
    QImage before;
};

TEST_P(LinksAfterADrag, TheEffectComesBackWithEveryLinkAndItsPictureByEveryRoad)
{
    const Shape shape = GetParam();
    // The store as it is now comes back at the end.
    ASSERT_NO_FATAL_FAILURE(startWithStoreTemplates({}));
    ASSERT_NO_FATAL_FAILURE(showPicture());
    KelNGObject* object = buildShape(shape);
    ASSERT_NE(object, nullptr);
    finishRenders();
    ASSERT_TRUE(core()->renderer()->completedSucceeded()) << core()->renderer()->failureReason().toStdString();
    before = core()->resultImage()->convertToFormat(QImage::Format_ARGB32);
    ASSERT_NE(before, core()->sourceImage()->convertToFormat(QImage::Format_ARGB32));
    wired = wiringOf(object->graph());
    ASSERT_TRUE(reader->getTerminal(QStringLiteral("in"))->isConnectedTo(hsv->getTerminal(QStringLiteral("out alpha"))));
    // The reader deleted with the Delete key and the deletion undone.
    clickNode(reader);
    QTest::keyClick(view(), Qt::Key_Delete);
    settle();
    ASSERT_NE(wiringOf(object->graph()), wired) << "nothing was deleted";
    ASSERT_TRUE(window->undoAction()->isEnabled());
    window->undoAction()->trigger();
    settle();
    expectAsBefore(object, "the reader deleted and the deletion undone");

    // Save, New, Open.
    const QString path = dir.filePath(QStringLiteral("links.vyxsg"));
    ASSERT_NO_FATAL_FAILURE(saveProjectAs(path));
    discardingEveryEdit([this] { EXPECT_TRUE(window->on_actionNew_triggered()); });
    ASSERT_TRUE(core()->objectList().isEmpty());
    withoutWarnings([&] { open(path); });
    expectAsBefore(onlyEffect(), "saved, New, opened");

    // A restart, then Open.
    ASSERT_NO_FATAL_FAILURE(restart());
    ASSERT_NO_FATAL_FAILURE(showPicture());
    withoutWarnings([&] { open(path); });
    expectAsBefore(onlyEffect(), "a restart, opened");

    // Saved as a template from the Template tab, then a restart and the template dropped on the
    // picture.
    object = onlyEffect();
    ASSERT_NE(object, nullptr);
    pressGraphView();
    clickShowProject();
    clickRow(object);
    TemplateEditor* editor = window->objectEditor()->templateEditor();
    ASSERT_EQ(editor->object(), object);
    const QString name = QStringLiteral("Links Kept %1").arg(shape.depth);
    editor->form()->descriptionUUIDButton->click();
    editor->form()->descriptionNameEdit->setText(name);
    QTest::keyClick(editor->form()->descriptionNameEdit, Qt::Key_Return);
    settle();
    ASSERT_TRUE(editor->saveButton()->isEnabled());
    editor->saveButton()->click();
    settle();
    ASSERT_NO_FATAL_FAILURE(restart());
    ASSERT_NO_FATAL_FAILURE(showPicture());
    QTreeWidgetItem* row = nullptr;
    QTreeWidget* list = nullptr;
    for (QTreeWidget* tree : {window->filtersTree(), window->effectsTree()}) {
        const QList<QTreeWidgetItem*> found = tree->findItems(name, Qt::MatchExactly);
        if (!found.isEmpty()) {
            row = found.first();
            list = tree;
        }
    }
    ASSERT_NE(row, nullptr) << "the template is not listed";
    std::unique_ptr<QMimeData> data(list->model()->mimeData({list->indexFromItem(row)}));
    ASSERT_TRUE(data);
    QWidget* picture = window->imageView();
    const QPoint at(picture->width() / 2, picture->height() / 2);
    withoutWarnings([&] {
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(picture, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(picture, &move);
        QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(picture, &drop);
        settle();
    });
    expectAsBefore(onlyEffect(), "saved as a template, a restart, dropped in");
}

using LinksNamed = WindowUser;

TEST_F(LinksNamed, ALinkAProjectNamesThatCannotBeMadeIsNamedWhenItOpens)
{
    KelNGObject* tone = addKeyedHsvEffect(QStringLiteral("Tone FX"));
    ASSERT_NE(tone, nullptr);
    Node* hsv = nodeOfType(tone, QStringLiteral("operator.hsv"));
    auto* effect = dynamic_cast<VyxNodeGraph*>(tone->graph());
    ASSERT_TRUE(hsv && effect);
    QDomDocument document;
    ASSERT_TRUE(document.setContent(projectBytes()));
    // HSV's one channel into the colour input of the effect's picture, as no window writes it.
    QDomElement link = document.createElement(QStringLiteral("connection"));
    link.setAttribute(QStringLiteral("node_uid1"), hsv->uid());
    link.setAttribute(QStringLiteral("node_uid2"), effect->destinationNode()->uid());
    link.setAttribute(QStringLiteral("terminal1"), QStringLiteral("out alpha"));
    link.setAttribute(QStringLiteral("terminal2"), QStringLiteral("rgb"));
    document.documentElement().firstChildElement(QStringLiteral("connections")).appendChild(link);
    const QString path = dir.filePath(QStringLiteral("hand-made.vyxsg"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(document.toByteArray(4));
    file.close();
    discardProject();

    MessageBoxes boxes({}, QMessageBox::Ok, true);
    answerFileDialog(path);
    window->form()->actionOpen->trigger();
    settle();
    ASSERT_EQ(boxes.texts.size(), 1) << "the open said nothing";
    EXPECT_TRUE(boxes.texts.first().contains(QStringLiteral("could not be read and were left out")));
    EXPECT_TRUE(boxes.texts.first().contains(QStringLiteral("The link from \"HSV\" (out alpha) to")))
        << boxes.texts.first().toStdString();
    // The rest of the project is there.
    KelNGObject* opened = objectNamed(QStringLiteral("Tone FX"));
    ASSERT_NE(opened, nullptr);
    EXPECT_NE(nodeOfType(opened, QStringLiteral("operator.hsv")), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, LinksAfterADrag,
    ::testing::Values(Shape{1, QStringLiteral("operator.edgedetection")}, Shape{2, QStringLiteral("operator.edgedetection")},
                      Shape{3, QStringLiteral("operator.edgedetection")}, Shape{1, QStringLiteral("operator.blur")},
                      Shape{2, QStringLiteral("operator.blur")}, Shape{3, QStringLiteral("operator.blur")},
                      Shape{1, QStringLiteral("operator.sharpen")}, Shape{3, QStringLiteral("operator.sharpen")},
                      Shape{2, QStringLiteral("operator.emboss")}, Shape{3, QStringLiteral("operator.Maths.trigonometric")}),
    [](::testing::TestParamInfo<Shape> const& info) {
        return QStringLiteral("%1Deep_%2").arg(info.param.depth).arg(info.param.reader.section(QLatin1Char('.'), -1)).toStdString();
    });

} // namespace
} // namespace MainWindowTest
