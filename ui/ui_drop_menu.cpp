#include "ui/ui_drop_menu.h"

#include "core/core.h"
#include "core/scene_generation.h"
#include "core/task_manage.h"
#include "ui/image_widget_support.h"
#include "ui/list_widget_support.h"
#include "ui/ui_manage.h"

GxTaskUIDropMenuIs::GxTaskUIDropMenuIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                       std::int32_t localIndex)
    : GxTaskUIBase(parent, name, localName, localIndex)
{
    m_TaskType = kUITypeDropMenu;
    m_ModalFlag = true;
    // A drop menu starts closed.
    if (GetState() == kTaskActive)
        SetState(kTaskSuspended);
}

GxTaskUIDropMenuIs::~GxTaskUIDropMenuIs() = default;

int GxTaskUIDropMenuIs::Update(std::int32_t step, std::uint64_t elapsed)
{
    return GxTaskUIBase::Update(step, elapsed);
}

void GxTaskUIDropMenuIs::ResetEventState()
{
    if (m_EventState != 0)
        GxSceneGeneration::Touch();
    m_EventState = 0;
}

int GxTaskUIDropMenuIs::OnMouseMove(const GxVector2*, std::uint32_t)
{
    IsUIInputOpen(this);
    return 0;
}

int GxTaskUIDropMenuIs::OnMouseLeftDown(const GxVector2*, std::uint32_t, std::int32_t)
{
    return OnPress();
}

int GxTaskUIDropMenuIs::OnMouseRightDown(const GxVector2*, std::uint32_t, std::int32_t)
{
    return OnPress();
}

int GxTaskUIDropMenuIs::OnPress()
{
    if (IsUIInputOpen(this))
        Close();
    return 0;
}

void GxTaskUIDropMenuIs::Close()
{
    ClearActions();
    static const float kOrigin[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (GxTaskUIBase* item : m_Items) {
        if (!item)
            continue;
        item->ClearActions();
        item->AddAction(kOrigin, kDropMenuCloseTime, kInterLinear);
    }
    AddActionType17();
    AddActionType16();
    GxTaskManage* manage = GetManage();
    GxCore* core = manage ? manage->GetCore() : nullptr;
    GxUIManage* ui = core ? core->m_UIManage : nullptr;
    if (ui && ui->m_DialogCount > 0)
        --ui->m_DialogCount;
    SetModalPriority(0);
    m_OpenFlag = false;
    GxSceneGeneration::Touch();
}
