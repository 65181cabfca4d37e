#include "effects/color/HueByte.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;

TEST(HueByte, DegreesToByteAtWorkedValues)
{
    const int degrees[] = {0, 1, 2, 60, 120, 180, 240, 300, 358, 359};
    const int bytes[] = {0, 1, 1, 43, 85, 128, 170, 213, 254, 255};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(hueToByte(degrees[i]), bytes[i]) << degrees[i];
    // A grey has no hue (-1): held at 0, never wrapped to 255.
    EXPECT_EQ(hueToByte(-1), 0);
    EXPECT_EQ(hueToByte(400), 255);
}

TEST(HueByte, ByteToDegreesAtWorkedValues)
{
    const int bytes[] = {0, 1, 2, 127, 128, 170, 254, 255};
    const int degrees[] = {0, 1, 3, 179, 180, 239, 358, 359};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(byteToHue(bytes[i]), degrees[i]) << bytes[i];
    // Out-of-range samples are held, so the hue stays a valid one.
    EXPECT_EQ(byteToHue(-5), 0);
    EXPECT_EQ(byteToHue(1000), 359);
}

TEST(HueByte, EveryByteSurvivesTheTripThroughDegrees)
{
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(hueToByte(byteToHue(b)), b) << b;
}
