#pragma once

#include "effects/Base3DGenerator.h"

#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

// Reads a colour input at points a node derives one by one (a mirror, a rotation, a
// displacement): a run of points along a row, rising or falling by one, is asked in one span,
// a run of one point repeated is asked once, and the rest point by point. The values are the
// points' own, since every span gives exactly what its points give.
//
//   SpanGather gather(*input, out);
//   for (int i = 0; i < count; ++i)
//       gather.add(i, sourcePoint(i));
//   gather.finish();
class SpanGather
{
public:
    SpanGather(Base3DGenerator const& input, unsigned int* out)
        : m_input(input)
        , m_out(out)
    {
    }

    // out[index] is the input at p; indices come in order, each once.
    void add(int index, QPoint const& p)
    {
        if (m_length > 0 && p.y() == m_y) {
            const long long step = static_cast<long long>(p.x()) - m_lastX;
            if ((m_length == 1 && step >= -1 && step <= 1) || (m_length > 1 && step == m_step)) {
                m_step = static_cast<int>(step);
                m_lastX = p.x();
                ++m_length;
                return;
            }
        }
        finish();
        m_start = index;
        m_length = 1;
        m_y = p.y();
        m_firstX = m_lastX = p.x();
        m_step = 0;
    }

    // Asks the input for the run still open.
    void finish()
    {
        if (m_length == 0)
            return;
        unsigned int* out = m_out + m_start;
        if (m_length == 1) {
            out[0] = m_input.getSample3(QPoint(m_firstX, m_y));
        } else if (m_step == 0) {
            std::fill(out, out + m_length, m_input.getSample3(QPoint(m_firstX, m_y)));
        } else if (m_step > 0) {
            m_input.getSpan3(m_y, m_firstX, m_length, out);
        } else {
            m_input.getSpan3(m_y, m_lastX, m_length, out);
            std::reverse(out, out + m_length);
        }
        m_length = 0;
    }

private:
    Base3DGenerator const& m_input;
    unsigned int* m_out;
    int m_start = 0;
    int m_length = 0;
    int m_y = 0;
    int m_firstX = 0;
    int m_lastX = 0;
    int m_step = 0;
};

} // namespace KelVyxNodes
