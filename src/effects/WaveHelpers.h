#pragma once

#include "effects/ByteClamp.h"
#include "effects/VyxNode.h"
#include "effects/VyxNodeGraph.h"
#include "params/ListItem.h"
#include "params/NumGroupParameter.h"

#include <QImage>
#include <QPoint>

#include <algorithm>
#include <cmath>

// Small pieces the periodic wave generators share: which image side a period is measured
// against, the position along the wave, the fraction of a period and the ordering of the
// two levels.
namespace KelVyxNodes::WaveHelpers {

inline constexpr int AxisX = 0;
inline constexpr int AxisY = 1;

// Choices of the "dirAxis" lists.
inline KelUtils::ListItem const axisItems[] = {{AxisX, QStringLiteral("X")}, {AxisY, QStringLiteral("Y")}};

// Width (X) or height (Y) of the picture of the node's graph; 0 when there is none, so that
// callers can refuse to divide by it.
inline float imageSize(VyxNode const* node, int axis)
{
    VyxNodeGraph const* graph = node->effectGraph();
    QImage const* image = graph ? graph->originalImage() : nullptr;
    if (!image || image->isNull())
        return 0.0f;
    return static_cast<float>(axis == AxisY ? image->height() : image->width());
}

inline float coordinate(QPoint const& point, int axis)
{
    return static_cast<float>(axis == AxisY ? point.y() : point.x());
}

// t minus its integer part taken toward zero, one less for negative t: t - floor(t) for every
// t the waves meet.
inline float periodFraction(float t)
{
    float whole = std::trunc(t);
    if (t < 0.0f)
        whole -= 1.0f;
    return t - whole;
}

// Periods per pixel along axis for freq periods across the picture; false without a picture.
inline bool periodStep(VyxNode const* node, int axis, float freq, float& step)
{
    const float size = imageSize(node, axis);
    if (size <= 0.0f)
        return false;
    step = freq / size;
    return true;
}

// The fraction of its period that point is at.
inline float periodFractionAt(QPoint const& point, int axis, float step, float phasePeriods)
{
    return periodFraction(coordinate(point, axis) * step + phasePeriods);
}

// A span of a wave's bytes: across the wave (axis Y) one value holds for the whole run, along
// it each point has its own. sample(point) is the wave's per-point answer.
template <class Sample>
void waveSpan(int axis, int y, int x, int count, unsigned int* out, Sample sample)
{
    if (count <= 0)
        return;
    QPoint point(x, y);
    if (axis == AxisY) {
        std::fill(out, out + count, sample(point));
        return;
    }
    for (int i = 0; i < count; ++i) {
        point.setX(x + i);
        out[i] = sample(point);
    }
}

// The bytes of a span as grey colours, in place.
inline void greySpan(int count, unsigned int* out)
{
    for (int i = 0; i < count; ++i)
        out[i] = (out[i] & 0xFFu) * 0x010101u;
}

// A level in 0..1 as a channel byte, rounded half up in single precision.
inline unsigned int levelByte(float level)
{
    return static_cast<unsigned int>(byteClamp(level * 255.0f + 0.5f));
}

// Keeps zero level <= one level by moving the level the user did not touch. Setting it
// notifies again; by then the levels are ordered, so the nested change stops there.
inline void keepLevelsOrdered(KelUtils::Parameter const* changed,
                              KelUtils::NumGroupParameter<float>* zeroParam, float zeroLevel,
                              KelUtils::NumGroupParameter<float>* oneParam, float oneLevel)
{
    if (zeroLevel <= oneLevel)
        return;
    if (changed == zeroParam)
        oneParam->setValue(zeroLevel, 0);
    else if (changed == oneParam)
        zeroParam->setValue(oneLevel, 0);
}

} // namespace KelVyxNodes::WaveHelpers
