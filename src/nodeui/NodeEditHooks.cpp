#include "nodeui/NodeEditHooks.h"

namespace {
NodeEditHooks::PreWriteHook& preWriteHook()
{
    static NodeEditHooks::PreWriteHook hook;
    return hook;
}

NodeEditHooks::IdleQuery& idleQuery()
{
    static NodeEditHooks::IdleQuery query;
    return query;
}
} // namespace

void NodeEditHooks::setPreWriteHook(PreWriteHook hook)
{
    preWriteHook() = std::move(hook);
}

void NodeEditHooks::setRenderIdleQuery(IdleQuery query)
{
    idleQuery() = std::move(query);
}

void NodeEditHooks::beforeWrite()
{
    if (preWriteHook())
        preWriteHook()();
}

bool NodeEditHooks::renderIsIdle()
{
    return !idleQuery() || idleQuery()();
}
