#include "io/picture/OpenCost.h"

#include <algorithm>
#include <utility>

namespace {

thread_local OpenCost::Listener t_listener;

} // namespace

OpenCost::Listening::Listening(Listener listener) : m_previous(std::exchange(t_listener, std::move(listener))) {}

OpenCost::Listening::~Listening()
{
    t_listener = std::move(m_previous);
}

void OpenCost::tell(qint64 bytes)
{
    if (t_listener)
        t_listener(std::max<qint64>(0, bytes));
}
