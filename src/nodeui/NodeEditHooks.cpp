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
NodeEditHooks::PreviewRequest& previewRequest()
{
    static NodeEditHooks::PreviewRequest request;
    return request;
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

void NodeEditHooks::setPreviewRequest(PreviewRequest request)
{
    previewRequest() = std::move(request);
}

void NodeEditHooks::requestPreviews()
{
    if (previewRequest())
        previewRequest()();
}
