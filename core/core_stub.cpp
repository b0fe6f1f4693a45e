#include "core/core_stub.h"

#include "core/task_manage.h"

namespace {

GxClearTargetHandler g_ClearTargetHandler = nullptr;

}  // namespace

GxCore* GxCore::GetInstance()
{
    static GxCore instance;
    return &instance;
}

GxTaskRenderManage* GxCore::GetRenderList(std::int32_t n)
{
    if (n < 0 || n >= kRenderListCount || m_RenderSet < 0 || m_RenderSet >= kRenderSetCount)
        return nullptr;
    return &m_RenderLists[m_RenderSet * kRenderListCount + n];
}

void GxCore::ClearRenderLists()
{
    for (std::int32_t n = 0; n < kRenderListCount; ++n) {
        if (GxTaskRenderManage* list = GetRenderList(n))
            list->Clear();
    }
}

void GxCore::DrawRenderLists()
{
    for (std::int32_t n = 0; n < kRenderListCount; ++n) {
        if (GxTaskRenderManage* list = GetRenderList(n))
            list->Draw(m_TaskManage, n);
    }
}

std::int32_t GxCore::ChangeSequenceByName()
{
    if (std::int32_t chosen = m_ModuleList.ModulesRestoreSequence())
        return chosen;
    if (!m_TaskManage)
        return 0;
    static const std::u16string kNone;
    const std::u16string& name = m_UserData ? m_UserData->GetRestoreSequence() : kNone;
    m_TaskManage->ChangeSequenceByName(name, 0, 2);
    return 0;
}

bool ClearTarget(DWORD flags, DWORD color, float z, DWORD stencil, const RECT* rect)
{
    return g_ClearTargetHandler ? g_ClearTargetHandler(flags, color, z, stencil, rect) : false;
}

GxClearTargetHandler SetClearTargetHandler(GxClearTargetHandler handler)
{
    GxClearTargetHandler previous = g_ClearTargetHandler;
    g_ClearTargetHandler = handler;
    return previous;
}
