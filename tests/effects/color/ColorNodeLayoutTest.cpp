#include "effects/color/NodeAutocontrast.h"
#include "effects/color/NodeAutolevels.h"
#include "effects/color/NodeBlend.h"
#include "effects/color/NodeBrightnessContrast.h"
#include "effects/color/NodeConvert1Dto3D.h"
#include "effects/color/NodeConvert3Dto1D.h"
#include "effects/color/NodeEqualize.h"
#include "effects/color/NodeGammaCurve.h"
#include "effects/color/NodeHSV.h"
#include "effects/color/NodeHSY.h"
#include "effects/color/NodeInversion.h"
#include "effects/color/NodeJoinCMYKtoRGB.h"
#include "effects/color/NodeJoinHSVtoRGB.h"
#include "effects/color/NodeJoinHSY.h"
#include "effects/color/NodeLevels.h"
#include "effects/color/NodeLogarithmicCorrection.h"
#include "effects/color/NodeNormalize.h"
#include "effects/color/NodeRGBA.h"
#include "effects/color/NodeSplitHSY.h"
#include "effects/color/NodeSplitRGBtoCMYK.h"
#include "effects/color/NodeSplitRGBtoHSV.h"
#include "effects/color/NodeThreshold.h"

#include "nodes/Terminal.h"
#include "params/ListParameter.h"
#include "params/Parameter.h"
#include "params/ParameterContainer.h"
#include "params/ParameterList.h"

#include <gtest/gtest.h>

#include <memory>

using namespace KelVyxNodes;

// Stored graphs address terminals and parameters by these names, and links depend on the masks.
TEST(ColorNodeLayout, TerminalsMasksAndParameterKeysOfEveryType)
{
    const struct {
        KelNodes::NodeDescriptor const* type;
        char const* terminals; // name:input/output, '|' between terminals
        char const* keys;
    } types[] = {
        {&NodeInversion::m_descriptor, "inRgb:4/0|in:2/0|outRgb:0/5|out:0/3", ""},
        {&NodeLogarithmicCorrection::m_descriptor, "rgbIn:4/0|rgbOut:0/5", "Filter Value"},
        {&NodeAutocontrast::m_descriptor, "in:4/0|rgb:0/5", ""},
        {&NodeNormalize::m_descriptor, "rgbIn:4/0|rgbOut:0/5", ""},
        {&NodeAutolevels::m_descriptor, "in:4/0|rgb:0/5", "mode,Threshold Factor"},
        {&NodeEqualize::m_descriptor, "in:4/0|rgb:0/5", ""},
        {&NodeBrightnessContrast::m_descriptor, "in:4/0|contrast:4/0|brightness:4/0|rgb:0/5",
         "Contrast Factor,Brightness Factor"},
        {&NodeBlend::m_descriptor, "foreground:4/0|background:4/0|opacity:2/0|rgb:0/5",
         "Foreground,Background,Opacity,mode"},
        {&NodeConvert1Dto3D::m_descriptor, "in:2/0|rgb:0/5", "input"},
        {&NodeConvert3Dto1D::m_descriptor, "rgb:4/0|out:0/3", "output"},
        {&NodeSplitRGBtoCMYK::m_descriptor, "rgb:4/0|c:0/3|m:0/3|y:0/3|k:0/3", ""},
        {&NodeJoinCMYKtoRGB::m_descriptor, "c:2/0|m:2/0|y:2/0|k:2/0|rgb:0/4", ""},
        {&NodeSplitRGBtoHSV::m_descriptor, "rgb:4/0|h:0/3|s:0/3|v:0/3", ""},
        {&NodeJoinHSVtoRGB::m_descriptor, "h:2/0|s:2/0|v:2/0|rgb:0/4", ""},
        {&NodeSplitHSY::m_descriptor, "rgb:4/0|h:0/3|s:0/3|y:0/3", ""},
        {&NodeJoinHSY::m_descriptor, "h:2/0|s:2/0|y:2/0|rgb:0/4", ""},
        {&NodeHSY::m_descriptor, "rgb:4/0|alpha:2/0|out rgb:0/4|out alpha:0/2", "Hue,Saturation,Brightness,Alpha"},
        {&NodeRGBA::m_descriptor, "rgb:4/0|alpha:2/0|out rgb:0/4|out alpha:0/2", "Red,Green,Blue,Alpha"},
        {&NodeHSV::m_descriptor, "rgb:4/0|alpha:2/0|out rgb:0/5|out alpha:0/3", "Hue,Saturation,Value,Alpha"},
        {&NodeGammaCurve::m_descriptor,
         "Gamma:2/0|Start:2/0|End:2/0|Minimum:2/0|Maximum:2/0|rgb:0/9", "Gamma,Start,End,Minimum,Maximum"},
        {&NodeLevels::m_descriptor, "source:6/0|black point:2/0|white point:2/0|gamma:2/0|out:0/7",
         "Black point,White point,Gamma"},
        {&NodeThreshold::m_descriptor, "source:4/0|threshold:2/0|smooth:2/0|low:4/0|high:4/0|out:0/7",
         "Threshold,Smooth,Low,High"},
    };
    for (auto const& t : types) {
        SCOPED_TRACE(t.type->typeId.toStdString());
        std::unique_ptr<KelNodes::Node> node(t.type->create(3));
        ASSERT_TRUE(node);
        EXPECT_EQ(node->descriptor(), t.type);
        EXPECT_EQ(node->paramContainer()->name(), t.type->typeId);
        QStringList terminals;
        for (int i = 0; i < node->numTerminals(); ++i) {
            KelNodes::Terminal const* term = node->terminal(i);
            terminals << QStringLiteral("%1:%2/%3").arg(term->name()).arg(term->inputMask()).arg(term->outputMask());
        }
        EXPECT_EQ(terminals.join(QLatin1Char('|')), QLatin1String(t.terminals));
        QStringList keys;
        for (auto const& list : node->paramContainer()->paramLists()) {
            for (KelUtils::Parameter const* p : list.parameters) {
                if (p->name() != QLatin1String("basicsBox"))
                    keys << p->name();
            }
        }
        EXPECT_EQ(keys.join(QLatin1Char(',')), QLatin1String(t.keys));
    }
    // The split HSY node keeps the HSV split's old type id: stored graphs name it so.
    EXPECT_EQ(NodeSplitHSY::m_descriptor.typeId, QLatin1String("operator.splitHSV"));
    EXPECT_EQ(NodeBrightnessContrast::m_descriptor.typeId, QLatin1String("operator.brightness/contrast"));
}

// The blend modes' item names are what stored graphs hold.
TEST(ColorNodeLayout, BlendModeAndChannelLists)
{
    NodeBlend blend(1);
    auto* modes = dynamic_cast<KelUtils::ListParameter*>(blend.paramContainer()->paramLists()[0].parameters[4]);
    ASSERT_TRUE(modes);
    const QStringList expected{"Normal", "Darken", "Multiply", "Color_Burn", "Linear_Burn", "Lighten",
                               "Screen", "Color Dodge", "Linear Dodge", "Overlay", "Soft Light",
                               "Hard Light", "Vivid Light", "Linear Light", "Difference", "Hue",
                               "Saturation", "Color", "Luminosity"};
    QStringList names;
    for (int i = 0; i < modes->itemCount(); ++i) {
        EXPECT_EQ(modes->itemAt(i)->id, i);
        names << modes->itemAt(i)->name;
    }
    EXPECT_EQ(names, expected);

    NodeConvert3Dto1D convert(2);
    auto* channel = dynamic_cast<KelUtils::ListParameter*>(convert.paramContainer()->paramLists()[0].parameters[1]);
    ASSERT_TRUE(channel);
    names.clear();
    for (int i = 0; i < channel->itemCount(); ++i)
        names << channel->itemAt(i)->name;
    EXPECT_EQ(names.join(QLatin1Char(',')),
              QLatin1String("Red,Green,Blue,Hue,Saturation,Value,Cyan,Magenta,Yellow,Black"));
}
