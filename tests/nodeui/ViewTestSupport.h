#pragma once

// A node-graph view over an effect graph of probe nodes with chosen terminals, and mouse
// helpers that talk to the view's viewport in view coordinates.

#include "effects/VyxNode.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeConnection.h"
#include "nodeui/VyxNodeGraphView.h"
#include "style/ConnectingLineItem.h"

#include <QApplication>
#include <QTimer>
#include <QGraphicsPixmapItem>
#include <QMouseEvent>

#include <memory>

namespace ViewTest {

struct TerminalSpec
{
    const char* name;
    unsigned int input;
    unsigned int output;
};

// Colour in (4), colour out (4), a channel (2).
inline QList<TerminalSpec> const ColourInOut = {{"in", 4, 0}, {"out", 0, 4}};

class ProbeNode : public KelVyxNodes::VyxNode
{
public:
    explicit ProbeNode(QList<TerminalSpec> const& terminals, bool preview = false,
                       bool isStatic = false)
        : KelVyxNodes::VyxNode(0)
        , m_container(m_descriptor.typeId, QString(), this)
        , m_preview(preview)
        , m_static(isStatic)
    {
        for (TerminalSpec const& t : terminals)
            addTerminal(QLatin1String(t.name), t.input, t.output);
    }

    static inline KelNodes::NodeDescriptor m_descriptor{
        QStringLiteral("test.probe"), QUuid(QStringLiteral("5d0f8a21-3c1e-4b7e-9a0c-2e6b1f4d7c11")),
        QStringLiteral("Probe"), QString(), nullptr};

    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }
    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }
    bool isStatic() const override { return m_static; }
    // Drawn, as a curve node's: the view asks for it directly.
    bool previewIsSampled() const override { return false; }
    int getPreview(QImage* image) const override
    {
        if (!m_preview)
            return -1;
        if (image) {
            ++samples;
            image->fill(previewColour);
        }
        return 0;
    }

    mutable int samples = 0;
    QColor previewColour = Qt::red;

private:
    KelNodes::NodeParameterContainer m_container;
    bool m_preview;
    bool m_static;
};

// Mouse input to a view's viewport, in view coordinates; points over node pictures.
struct ViewInput
{
    KelNGNodeGraphView& view;

    // A view point over a pixmap-local point of a node's picture.
    QPoint at(KelNodes::Node* node, QPointF local) const
    {
        return view.mapFromScene(KelNGNode::itemOf(node)->pixmapItem()->mapToScene(local));
    }
    // The middle of a terminal's box in the expanded layout.
    QPoint atTerminal(KelNodes::Node* node, int index, bool output) const
    {
        return at(node, QPointF(output ? 143 : 11, 31 + 14 * index));
    }
    void send(QEvent::Type type, QPoint point, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QWidget* viewport = view.viewport();
        QMouseEvent event(type, QPointF(point), viewport->mapToGlobal(QPointF(point)), button,
                          buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &event);
    }
    void hover(QPoint point) { send(QEvent::MouseMove, point, Qt::NoButton, Qt::NoButton); }
    // A right press runs the context menu modally: it is closed from a timer.
    void press(QPoint point, Qt::MouseButton button = Qt::LeftButton)
    {
        if (button == Qt::RightButton)
            closeMenuWhenShown();
        hover(point);
        send(QEvent::MouseButtonPress, point, button, button);
    }
    void drag(QPoint point) { send(QEvent::MouseMove, point, Qt::NoButton, Qt::LeftButton); }
    void release(QPoint point, Qt::MouseButton button = Qt::LeftButton)
    {
        send(QEvent::MouseButtonRelease, point, button, Qt::NoButton);
    }
    static void closeMenuWhenShown(int tries = 200)
    {
        QTimer::singleShot(10, [tries] {
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            else if (tries > 0)
                closeMenuWhenShown(tries - 1);
        });
    }
};

inline void place(KelNodes::Node* node, QPointF at)
{
    node->paramContainer()->auxData().insert(QStringLiteral("posX"), at.x());
    node->paramContainer()->auxData().insert(QStringLiteral("posY"), at.y());
}

inline QPointF storedPlace(KelNodes::Node* node)
{
    auto const& settings = node->paramContainer()->auxData();
    return {settings.value(QStringLiteral("posX")).toDouble(), settings.value(QStringLiteral("posY")).toDouble()};
}

// Items belong to their nodes and go before them, as the core deletes them.
inline void deleteItems(KelNodes::NodeGraph* graph)
{
    for (KelNodes::Node* node : graph->nodes()) {
        if (KelNodes::NodeGraph* sub = node->toNodeGraph())
            deleteItems(sub);
        delete KelNGNode::itemOf(node);
    }
}

// A graph of probe nodes and its object view (kind 1), shown.
class ViewHarness : public ViewInput
{
public:
    ViewHarness()
        : ViewInput{view}
    {
        view.resize(800, 600);
        view.viewKind = 1;
        view.show();
    }
    ~ViewHarness()
    {
        view.setObject(nullptr);
        deleteItems(&graph);
    }

    // Placed at `at` unless it is negative (the layout places it then).
    ProbeNode* add(QList<TerminalSpec> const& terminals, QString const& name = QString(),
                   QPointF at = QPointF(-1, -1), bool preview = false, bool isStatic = false)
    {
        auto* node = new ProbeNode(terminals, preview, isStatic);
        node->setName(name);
        graph.addNode(node, -1);
        if (at.x() >= 0)
            place(node, at);
        return node;
    }
    static KelNGNode* item(KelNodes::Node* node) { return KelNGNode::itemOf(node); }

    KelVyxNodes::VyxNodeGraph graph;
    VyxNodeGraphView view;
};

} // namespace ViewTest
