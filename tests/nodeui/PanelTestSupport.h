#pragma once

// Shared pieces of the panel and dock tests: containers and nodes with test parameters,
// project objects, a recording pre-write hook and answers to file dialogs.

#include "app/KelCore.h"
#include "app/KelNGObject.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"
#include "nodeui/NodeEditHooks.h"
#include "params/ColorParameter.h"
#include "params/GroupBoxParameter.h"
#include "params/ImageParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"
#include "params/StringParameter.h"

#include <QApplication>
#include <QBuffer>
#include <QDomDocument>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QTimer>

#include <functional>
#include <memory>

namespace PanelTest {

using Floats = KelUtils::NumGroupParameter<float>;
using Ints = KelUtils::NumGroupParameter<int>;

// A parameter of kind code 4, which names no kind.
class OddParameter : public KelUtils::Parameter
{
public:
    OddParameter(QString const& name, KelUtils::IParameterContainer* container) : Parameter(name, name, container, 1) {}
    KelUtils::ParamType type() const override { return KelUtils::ParamUnused; }
};

// A string parameter that counts its deletions.
class CountedParameter : public KelUtils::StringParameter
{
public:
    explicit CountedParameter(int* deletions)
        : StringParameter(QStringLiteral("counted"), QStringLiteral("Counted"), nullptr, nullptr, false, 5)
        , m_deletions(deletions) {}
    ~CountedParameter() override { ++*m_deletions; }

private:
    int* m_deletions;
};

// Parameters appended to the last list of a container, which owns them. Texts are the name
// followed by " text".
class Lists
{
public:
    explicit Lists(KelUtils::IParameterContainer* container) : c(container) {}

    KelUtils::IParameterContainer* c;

    void addList(QString const& name)
    {
        KelUtils::ParameterList list;
        list.name = name;
        c->paramLists().append(list);
    }
    int lastList() const { return int(c->paramLists().size()) - 1; }
    template<class P>
    P* add(P* parameter)
    {
        c->paramLists().last().parameters.append(parameter);
        return parameter;
    }
    static QString text(QString const& name) { return name + QStringLiteral(" text"); }

    KelUtils::GroupBoxParameter* group(QString const& text)
    {
        return add(new KelUtils::GroupBoxParameter(QStringLiteral("g_") + text, text, c, 1));
    }
    Floats* floats(QString const& name, float def = 0.0f, bool slider = false, int count = 1, float min = 0.0f,
                   float max = 10.0f, int flags = 1)
    {
        return add(new Floats(name, text(name), c, nullptr, count, min, max, def, slider, flags));
    }
    Ints* ints(QString const& name, int def = 0, bool slider = false, int min = 0, int max = 100)
    {
        return add(new Ints(name, text(name), c, nullptr, 1, min, max, def, slider, 1));
    }
    Ints* boolean(QString const& name) { return add(new Ints(name, text(name), c, nullptr, 1, 0, 1, 0, false, 1)); }
    KelUtils::ColorParameter* colour(QString const& name, KelUtils::Color const& value)
    {
        auto* p = add(new KelUtils::ColorParameter(name, text(name), c, nullptr, 1));
        p->setValue(value);
        return p;
    }
    KelUtils::ListParameter* list(QString const& name, QList<KelUtils::ListItem> const& items, int defaultId)
    {
        return add(new KelUtils::ListParameter(name, text(name), c, nullptr, items.constData(), int(items.size()),
                                               defaultId, 1));
    }
    KelUtils::StringParameter* string(QString const& name, QString const& value, bool isFile = false)
    {
        auto* p = add(new KelUtils::StringParameter(name, text(name), c, nullptr, isFile, 1));
        p->setValue(value);
        return p;
    }
};

// A stand-alone container named "Test Node" whose first list is "main".
class Container : public Lists
{
public:
    Container() : Lists(&container), container(QStringLiteral("testnode"), QStringLiteral("Test Node"))
    {
        addList(QStringLiteral("main"));
    }
    KelUtils::ParameterContainer container;
};

// A real node of a top-level effect graph with an extra list "test" for test parameters.
class NodeFixture : public Lists
{
public:
    NodeFixture() : Lists(nullptr), graph(nullptr)
    {
        node = graph.addNode(QStringLiteral("operator.blur"), -1);
        c = node->paramContainer();
        addList(QStringLiteral("test"));
    }
    KelVyxNodes::VyxNodeGraph graph;
    KelNodes::Node* node = nullptr;
};

// A project object's graph inside a top-level effect graph. Only parameters the tests mark are
// important (built-in types mark some of their own); the object is made after the nodes, so
// that it finds its sub-graphs, and is deleted first.
class ObjectFixture
{
public:
    ObjectFixture() : root(nullptr) { graph = root.addSubGraph(-1); }
    ~ObjectFixture() { delete object; }

    KelVyxNodes::VyxNodeGraph root;
    KelVyxNodes::VyxNodeGraph* graph = nullptr;
    KelNGObject* object = nullptr;
    QList<KelUtils::Parameter*> marked;

    // Marks the node's first number parameter important unless `important` is false.
    KelNodes::Node* node(QString const& type, KelVyxNodes::VyxNodeGraph* into = nullptr, bool important = true)
    {
        KelNodes::Node* made = (into ? into : graph)->addNode(type, -1);
        for (KelUtils::ParameterList const& list : made->paramContainer()->paramLists()) {
            for (KelUtils::Parameter* p : list.parameters) {
                const int type = p->type();
                if (important && (type == KelUtils::ParamFloatGroup || type == KelUtils::ParamIntGroup)) {
                    marked << p;
                    important = false;
                }
            }
        }
        return made;
    }
    KelNGObject* makeObject()
    {
        clearUnmarked(graph);
        object = new KelNGObject(graph);
        return object;
    }

private:
    void clearUnmarked(KelNodes::Node* node)
    {
        for (KelUtils::ParameterList const& list : node->paramContainer()->paramLists()) {
            for (KelUtils::Parameter* p : list.parameters)
                p->setDisplayFlags(marked.contains(p) ? 5 : (p->displayFlags() & ~KelUtils::Parameter::DisplayImportant));
        }
        if (KelNodes::NodeGraph* sub = node->toNodeGraph()) {
            for (KelNodes::Node* member : sub->nodes())
                clearUnmarked(member);
        }
    }
};

// An application core that records frame changes and graph edits; the object of a sub-graph
// node is the sub-graph's.
class FakeCore : public KelCore
{
public:
    KelNGObject* selectedObject() override { return nullptr; }
    QList<KelNGObject*> selectedObjects() override { return {}; }
    void setSelectedObject(KelNGObject*) override {}
    void addToSelectedObjects(KelNGObject*) override {}
    void unselectObject(KelNGObject*) override {}
    QList<KelNGObject*> objectList() override { return {}; }

    bool blockFocusOutEvents() override { return blockFocusOut; }
    void currentFrameChanged() override
    {
        ++frameChanges;
        if (onFrameChanged)
            onFrameChanged();
    }
    void graphEdited() override { ++edits; }
    KelNGObject* findObjectOfNode(KelNodes::Node* node) override
    {
        KelNodes::NodeGraph* graph = node ? node->toNodeGraph() : nullptr;
        return graph ? KelNGObject::objectOf(graph) : nullptr;
    }

    bool blockFocusOut = false;
    int frameChanges = 0;
    int edits = 0;
    std::function<void()> onFrameChanged;
};

// Counts pre-write calls, running an optional probe at each (to see the state before the
// write); restores the default hook when it goes.
class HookRecorder
{
public:
    explicit HookRecorder(std::function<void()> probe = {}) : m_probe(std::move(probe))
    {
        NodeEditHooks::setPreWriteHook([this] {
            ++calls;
            if (m_probe)
                m_probe();
        });
    }
    ~HookRecorder() { NodeEditHooks::setPreWriteHook({}); }

    int calls = 0;

private:
    std::function<void()> m_probe;
};

// Answers the next modal file dialog from a timer: selects `path`, or cancels when it is empty.
inline void answerFileDialog(QString const& path, QString* startFolder = nullptr)
{
    QTimer::singleShot(0, [path, startFolder] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return answerFileDialog(path, startFolder);
        if (startFolder)
            *startFolder = dialog->directory().absolutePath();
        if (path.isEmpty())
            return dialog->reject();
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    });
}

// Counts the undo steps a panel, atom or important-parameter panel emits, deleting the snapshots.
struct UndoCounter
{
    template<class Panel>
    explicit UndoCounter(Panel* panel)
    {
        QObject::connect(panel, &Panel::addParamUndo, [this](auto*, QBuffer* before) {
            ++steps;
            delete before;
        });
    }
    int steps = 0;
};

// What a user's typing into a float box ends in; returns the box.
inline QDoubleSpinBox* editBox(QWidget* editor, double value)
{
    auto* spin = qobject_cast<QDoubleSpinBox*>(editor);
    spin->setValue(value);
    emit spin->editingFinished();
    return spin;
}

// Loads a snapshot buffer into a container.
inline void loadSnapshot(KelUtils::IParameterContainer* container, QBuffer const* buffer)
{
    QDomDocument document;
    document.setContent(buffer->data());
    container->loadState(document.documentElement().firstChildElement());
}

} // namespace PanelTest
