#pragma once

// A container with one keyframable parameter for the timeline tests.

#include "PanelTestSupport.h"

#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"


namespace TimelineTest {

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

using FakeCore = PanelTest::FakeCore;
using HookCounter = PanelTest::HookRecorder;

} // namespace TimelineTest
