#pragma once

// A recording application core and a container with one keyframable parameter for the
// timeline tests, and a counter of the editors' pre-write hook.

#include "app/KelCore.h"
#include "nodeui/NodeEditHooks.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"

#include <functional>

namespace TimelineTest {

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

    bool blockFocusOut = false;
    int frameChanges = 0;
    int edits = 0;
    std::function<void()> onFrameChanged;
};

// One float parameter that takes keys; `frames` frames.
struct KeyedContainer
{
    explicit KeyedContainer(int frames = 100)
    {
        amount = new KelUtils::NumGroupParameter<float>(QStringLiteral("amount"), QString(),
                                                        &container, values, 1, 0.0f, 100.0f,
                                                        0.0f, true, 1);
        container.paramLists().append(
            KelUtils::ParameterList{QStringLiteral("basic"), true, {amount}});
        container.setNumFrames(frames);
    }
    void keys(std::initializer_list<int> frames)
    {
        for (int frame : frames)
            container.setKeyframeAt(frame);
    }

    KelUtils::ParameterContainer container{QStringLiteral("test.keyed"), QStringLiteral("Keyed")};
    float values[1] = {};
    KelUtils::NumGroupParameter<float>* amount = nullptr;
};

// Counts the pre-write hook for its lifetime.
struct HookCounter
{
    HookCounter()
    {
        NodeEditHooks::setPreWriteHook([this] { ++calls; });
    }
    ~HookCounter() { NodeEditHooks::setPreWriteHook({}); }
    int calls = 0;
};

} // namespace TimelineTest
