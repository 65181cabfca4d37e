#pragma once

// The test photo of tests/data/pictures/orientation-*, as every viewer shows it: 300 x 200, red at
// the top left, green at the top right, blue at the bottom left, grey at the bottom right. The
// files are lossy, hence the margin.

#include <QImage>
#include <QSize>

#include <gtest/gtest.h>

#include <cstdlib>

namespace UprightPhoto {

inline bool near(QRgb got, QRgb expected)
{
    return std::abs(qRed(got) - qRed(expected)) <= 40 && std::abs(qGreen(got) - qGreen(expected)) <= 40
           && std::abs(qBlue(got) - qBlue(expected)) <= 40 && qAlpha(got) == qAlpha(expected);
}

inline void expectUpright(QImage const& image)
{
    ASSERT_EQ(image.size(), QSize(300, 200));
    EXPECT_TRUE(near(image.pixel(30, 20), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(image.pixel(270, 20), qRgb(0, 255, 0)));
    EXPECT_TRUE(near(image.pixel(30, 180), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(image.pixel(270, 180), qRgb(128, 128, 128)));
}

} // namespace UprightPhoto
