#include "effects/math/NodeCeil.h"
#include "effects/math/NodeChecker.h"
#include "effects/math/NodeChromaticAberration.h"
#include "effects/math/NodeFlip.h"
#include "effects/math/NodeFloor.h"
#include "effects/math/NodeFrame.h"
#include "effects/math/NodeGradient3Color.h"
#include "effects/math/NodeGradient5Color.h"
#include "effects/math/NodeIf.h"
#include "effects/math/NodeLogarithm.h"
#include "effects/math/NodeLookup.h"
#include "effects/math/NodeMax.h"
#include "effects/math/NodeMin.h"
#include "effects/math/NodeNoiseReduction.h"
#include "effects/math/NodePower.h"
#include "effects/math/NodeRoot.h"
#include "effects/math/NodeRotate.h"
#include "effects/math/NodeRound.h"
#include "effects/math/NodeTrigonometric.h"

#include "MathTestRig.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;

// Terminal and parameter names are what documents store: pinned for every type of this library.
// Ids, uuids and display names are pinned by the registry table test.
TEST(MathNodeShapes, TerminalsAndParameterKeys)
{
    const struct { KelNodes::NodeDescriptor const* type; char const* terminals; char const* keys; } table[] = {
        {&NodeMax::m_descriptor, "rgbIn1:4/0|rgbIn2:4/0|rgbOut:0/5", "color1|color2"},
        {&NodeMin::m_descriptor, "rgbIn1:4/0|rgbIn2:4/0|rgbOut:0/5", "color1|color2"},
        {&NodeCeil::m_descriptor, "source:4/0|granularity:4/0|rgb:0/5", "Source|Granularity"},
        {&NodeFloor::m_descriptor, "source:4/0|granularity:4/0|rgb:0/5", "Source|Granularity"},
        {&NodeRound::m_descriptor, "source:4/0|granularity:4/0|rgb:0/5", "Source|Granularity"},
        {&NodeIf::m_descriptor, "rgbIn1:4/0|rgbIn2:4/0|rgbInThen:4/0|rgbInElse:4/0|rgbOut:0/5",
         "operation|color1|color2|then|else"},
        {&NodePower::m_descriptor, "rgbInBase:4/0|rgbInExponent:4/0|rgbOut:0/5", "base|exponent"},
        {&NodeRoot::m_descriptor, "source:4/0|degree:4/0|error:4/0|rgb:0/5", "Source|Degree|Error"},
        {&NodeLogarithm::m_descriptor, "source:4/0|base:4/0|error:4/0|rgb:0/5", "Source|Base|Error"},
        {&NodeTrigonometric::m_descriptor, "in:6/0|out:0/7", "function|frequency|applyRed|applyGreen|applyBlue"},
        {&NodeGradient3Color::m_descriptor,
         "Color 1:4/0|Color 2:4/0|Color 3:4/0|Position 1:2/0|Position 2:2/0|Position 3:2/0|out:0/4",
         "Color 1|Position 1|Color 2|Position 2|Color 3|Position 3|Repeat|Proportional|Rotate"},
        {&NodeGradient5Color::m_descriptor,
         "Color 1:4/0|Color 2:4/0|Color 3:4/0|Color 4:4/0|Color 5:4/0|Position 1:2/0|Position 2:2/0|"
         "Position 3:2/0|Position 4:2/0|Position 5:2/0|out:0/4",
         "Color 1|Position 1|Color 2|Position 2|Color 3|Position 3|Color 4|Position 4|Color 5|Position 5|"
         "Repeat|Proportional|Rotate"},
        {&NodeFrame::m_descriptor, "in:6/0|out:0/7|frame:4/0|rim:4/0|distort:4/0|inner:0/3|outer:0/3",
         "hmargin|vmargin|hroundness|vroundness|frame_color|frame_width|margin_color|transparent"},
        {&NodeChecker::m_descriptor, "color1:4/0|color2:4/0|rgb:0/5",
         "Color1|Color2|Repeat H|Repeat V|Solid fill|Proportional"},
        {&NodeFlip::m_descriptor, "rgbIn:4/0|rgbOut:0/5", "flipHor|flipVert|shiftHor|shiftVer"},
        {&NodeLookup::m_descriptor, "in:4/0|x:4/0|y:4/0|out:0/5", "deformStrength"},
        {&NodeChromaticAberration::m_descriptor, "in:4/0|aber:4/0|out:0/5", "strength"},
        {&NodeRotate::m_descriptor, "rgbIn:4/0|rgbOut:0/5", "x|y|rotateAngle"},
        {&NodeNoiseReduction::m_descriptor, "in:4/0|out:0/4", "mode|strength"},
    };
    for (auto const& row : table) {
        std::unique_ptr<KelNodes::Node> node(row.type->create(3));
        ASSERT_TRUE(node) << qPrintable(row.type->typeId);
        EXPECT_EQ(node->descriptor(), row.type);
        EXPECT_EQ(MathTest::terminalShapes(node.get()).join(QLatin1Char('|')), QLatin1String(row.terminals))
            << qPrintable(row.type->typeId);
        EXPECT_EQ(MathTest::parameterKeys(node->paramContainer()).join(QLatin1Char('|')),
                  QLatin1String("basicsBox|") + QLatin1String(row.keys))
            << qPrintable(row.type->typeId);
    }
}
