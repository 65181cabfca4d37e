#pragma once

// Shared pieces of the parameter-panel tests: a container built parameter by parameter, a
// recording pre-write hook, and answers to modal file dialogs.

#include "nodeui/NodeEditHooks.h"
#include "params/Color.h"
#include "params/ColorParameter.h"
#include "params/GroupBoxParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"
#include "params/ImageParameter.h"
#include "params/StringParameter.h"

#include <QApplication>
#include <QBuffer>
#include <QDomDocument>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <functional>
#include <memory>

namespace PanelTest {

// A parameter of the kind code that names no kind (4), or of any other code.
class OddParameter : public KelUtils::Parameter
{
public:
    OddParameter(QString const& name, KelUtils::IParameterContainer* container, int code = 4)
        : Parameter(name, name, container, 1), m_code(code) {}
    KelUtils::ParamType type() const override { return KelUtils::ParamType(m_code); }

private:
    int m_code;
};

// A container whose lists are filled in order; parameters go into the last list.
class Container
{
public:
    Container() : container(QStringLiteral("testnode"), QStringLiteral("Test Node"))
    {
        addList(QStringLiteral("main"));
    }

    KelUtils::ParameterContainer container;

    void addList(QString const& name, bool active = true)
    {
        KelUtils::ParameterList list;
        list.name = name;
        list.active = active;
        container.paramLists().append(list);
    }

    template<class P>
    P* add(P* parameter)
    {
        container.paramLists().last().parameters.append(parameter);
        return parameter;
    }

    KelUtils::GroupBoxParameter* group(QString const& text)
    {
        return add(new KelUtils::GroupBoxParameter(QStringLiteral("g_") + text, text, &container, 1));
    }
    KelUtils::NumGroupParameter<float>* floats(QString const& name, int count = 1, float min = 0.0f,
                                               float max = 10.0f, float def = 0.0f,
                                               bool slider = false, int flags = 1)
    {
        return add(new KelUtils::NumGroupParameter<float>(name, name + QStringLiteral(" text"), &container,
                                                          nullptr, count, min, max, def, slider, flags));
    }
    KelUtils::NumGroupParameter<int>* ints(QString const& name, int count = 1, int min = 0,
                                           int max = 100, int def = 0, bool slider = false,
                                           int flags = 1)
    {
        return add(new KelUtils::NumGroupParameter<int>(name, name + QStringLiteral(" text"), &container,
                                                        nullptr, count, min, max, def, slider, flags));
    }
    KelUtils::NumGroupParameter<int>* boolean(QString const& name, bool on = false)
    {
        return add(new KelUtils::NumGroupParameter<int>(name, name + QStringLiteral(" text"), &container,
                                                        nullptr, 1, 0, 1, on ? 1 : 0, false, 1));
    }
    KelUtils::ColorParameter* colour(QString const& name, KelUtils::Color const& value)
    {
        auto* parameter = add(new KelUtils::ColorParameter(name, name + QStringLiteral(" text"), &container,
                                                           nullptr, 1));
        parameter->setValue(value);
        return parameter;
    }
    KelUtils::ListParameter* list(QString const& name, QList<KelUtils::ListItem> const& items, int defaultId)
    {
        return add(new KelUtils::ListParameter(name, name + QStringLiteral(" text"), &container, nullptr,
                                               items.constData(), int(items.size()), defaultId, 1));
    }
    KelUtils::StringParameter* string(QString const& name, QString const& value, bool isFile = false)
    {
        auto* parameter = add(new KelUtils::StringParameter(name, name + QStringLiteral(" text"), &container,
                                                            nullptr, isFile, 1));
        parameter->setValue(value);
        return parameter;
    }
    OddParameter* odd(QString const& name, int code = 4)
    {
        return add(new OddParameter(name, &container, code));
    }
};

// Counts pre-write calls and runs an optional probe at each (to see the state before the
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
    HookRecorder(HookRecorder const&) = delete;
    HookRecorder& operator=(HookRecorder const&) = delete;

    int calls = 0;

private:
    std::function<void()> m_probe;
};

// The text of a snapshot buffer.
inline QString snapshotText(QBuffer const* buffer)
{
    return buffer ? QString::fromUtf8(buffer->data()) : QString();
}

// Answers the next modal file dialog from a timer: selects `path`, or cancels when it is empty.
inline void answerFileDialog(QString const& path, QString* startFolder = nullptr)
{
    QTimer::singleShot(0, [path, startFolder] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            // The dialog may not be up yet: try again.
            answerFileDialog(path, startFolder);
            return;
        }
        if (startFolder)
            *startFolder = dialog->directory().absolutePath();
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    });
}

// Leaves a line edit as the user would: editing finished.
inline void finishEditing(QLineEdit* line)
{
    emit line->editingFinished();
}

} // namespace PanelTest

#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"

namespace PanelTest {

// A real node in a top-level effect graph, with a list of test parameters appended to its
// container (which owns them).
class NodeFixture
{
public:
    explicit NodeFixture(QString const& type = QStringLiteral("operator.blur"))
        : graph(nullptr)
    {
        node = graph.addNode(type, -1);
        container = node->paramContainer();
        listIndex = int(container->paramLists().size());
        KelUtils::ParameterList list;
        list.name = QStringLiteral("test");
        container->paramLists().append(list);
    }

    KelVyxNodes::VyxNodeGraph graph;
    KelNodes::Node* node = nullptr;
    KelUtils::ParameterContainer* container = nullptr;
    int listIndex = 0;

    template<class P>
    P* add(P* parameter)
    {
        container->paramLists()[listIndex].parameters.append(parameter);
        return parameter;
    }
    KelUtils::NumGroupParameter<float>* floats(QString const& name, int count = 1, float def = 0.0f,
                                               bool slider = false)
    {
        return add(new KelUtils::NumGroupParameter<float>(name, name, container, nullptr, count, 0.0f,
                                                          10.0f, def, slider, 1));
    }
};

// A string parameter that counts its deletions.
class CountedParameter : public KelUtils::StringParameter
{
public:
    explicit CountedParameter(int* deletions)
        : StringParameter(QStringLiteral("counted"), QStringLiteral("Counted"), nullptr, nullptr, false, 1)
        , m_deletions(deletions) {}
    ~CountedParameter() override { ++*m_deletions; }

private:
    int* m_deletions;
};

} // namespace PanelTest

#include "app/KelNGObject.h"

namespace PanelTest {

// Marks the first `count` number parameters of the node important; returns them.
inline QList<KelUtils::Parameter*> markImportant(KelNodes::Node* node, int count = 1)
{
    QList<KelUtils::Parameter*> marked;
    for (KelUtils::ParameterList const& list : node->paramContainer()->paramLists()) {
        for (KelUtils::Parameter* parameter : list.parameters) {
            const int type = parameter->type();
            if (marked.size() < count
                && (type == KelUtils::ParamFloatGroup || type == KelUtils::ParamIntGroup)) {
                parameter->setDisplayFlags(parameter->displayFlags() | KelUtils::Parameter::DisplayImportant);
                marked << parameter;
            }
        }
    }
    return marked;
}

// A project object's graph inside a top-level effect graph; the object is made on demand (after
// the nodes, so that it finds its sub-graphs) and deleted first.
class ObjectFixture
{
public:
    ObjectFixture() : root(nullptr) { graph = root.addSubGraph(-1); }
    ~ObjectFixture() { delete object; }
    ObjectFixture(ObjectFixture const&) = delete;
    ObjectFixture& operator=(ObjectFixture const&) = delete;

    KelVyxNodes::VyxNodeGraph root;
    KelVyxNodes::VyxNodeGraph* graph = nullptr;
    KelNGObject* object = nullptr;

    // Only what the tests mark is important: the built-in types mark parameters of their own.
    QList<KelUtils::Parameter*> marked;

    KelNodes::Node* node(QString const& type, KelVyxNodes::VyxNodeGraph* into = nullptr, int important = 1)
    {
        KelNodes::Node* made = (into ? into : graph)->addNode(type, -1);
        if (made && important > 0) {
            clearImportant(made);
            marked << markImportant(made, important);
        }
        return made;
    }
    void clearImportant(KelNodes::Node* node)
    {
        for (KelUtils::ParameterList const& list : node->paramContainer()->paramLists()) {
            for (KelUtils::Parameter* parameter : list.parameters) {
                if (!marked.contains(parameter))
                    parameter->setDisplayFlags(parameter->displayFlags() & ~KelUtils::Parameter::DisplayImportant);
            }
        }
        if (KelNodes::NodeGraph* sub = node->toNodeGraph()) {
            for (KelNodes::Node* member : sub->nodes())
                clearImportant(member);
        }
    }
    KelNGObject* makeObject()
    {
        if (!object) {
            clearImportant(graph);
            object = new KelNGObject(graph);
        }
        return object;
    }
};

} // namespace PanelTest
