#pragma once

// A node-like parameter container holding one parameter of every kind a section can carry,
// named as the seed sections name them. Shared by the section target and the seed writer.

#include "params/ButtonGroupParameter.h"
#include "params/ColorParameter.h"
#include "params/GroupBoxParameter.h"
#include "params/ImageParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"
#include "params/StringParameter.h"

#include <QImage>

namespace FuzzSupport {

struct SampleContainer
{
    SampleContainer() : container(QStringLiteral("fuzz.node"), QString())
    {
        using namespace KelUtils;
        static const ListItem items[] = {{3, QStringLiteral("Three")}, {7, QStringLiteral("Seven")}};
        buttons = {{QStringLiteral("A"), QString(), QIcon(), 1, true},
                   {QStringLiteral("B"), QString(), QIcon(), 2, true}};
        image = QImage(3, 2, QImage::Format_ARGB32);
        image.fill(0xff336699u);
        auto* speed = new NumGroupParameter<float>(QStringLiteral("speed"), QString(), &container,
                                                   nullptr, 1, 0.0f, 10.0f, 1.0f, true, 1);
        auto* size = new NumGroupParameter<int>(QStringLiteral("size"), QString(), &container,
                                                nullptr, 2, 0, 100, 5, true, 1);
        auto* tint = new ColorParameter(QStringLiteral("tint"), QString(), &container, nullptr, 1);
        tint->setValue(Color(0.5f, 0.25f, 0.75f, 1.0f));
        auto* mode = new ListParameter(QStringLiteral("mode"), QString(), &container, nullptr,
                                       items, 2, 7, 1);
        auto* label = new StringParameter(QStringLiteral("label"), QString(), &container, nullptr,
                                          false, 1);
        auto* path = new StringParameter(QStringLiteral("path"), QString(), &container, nullptr,
                                         true, 1);
        auto* texture = new ImageParameter(QStringLiteral("texture"), QString(), &container, &image);
        auto* group = new GroupBoxParameter(QStringLiteral("group"), QString(), &container, 1);
        auto* choice = new ButtonGroupParameter(QStringLiteral("choice"), QString(), &container,
                                                buttons, false, 2,
                                                ButtonGroupParameter::Exclusive, 1);
        auto* gain = new NumGroupParameter<float>(QStringLiteral("gain"), QString(), &container,
                                                  nullptr, 1, -1.0f, 1.0f, 0.0f, true, 1);
        container.paramLists().append(ParameterList{
            QStringLiteral("basic"), true, {speed, size, tint, mode, label, path, texture, group, choice}});
        container.paramLists().append(ParameterList{QStringLiteral("extra"), false, {gain}});
    }

    QImage image;
    QList<KelUtils::ButtonGroupParameter::Item> buttons;
    KelUtils::ParameterContainer container;
};

} // namespace FuzzSupport
