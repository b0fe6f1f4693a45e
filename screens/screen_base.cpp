#include "screens/screen_base.h"

#include "core/core.h"
#include "core/scene_generation.h"
#include "core/system_dialog_host.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "core/task_render_manage.h"
#include "data/data_tables.h"
#include "data/system_config.h"
#include "graphics/draw2d.h"
#include "graphics/graphics.h"
#include "screens/screen_sound.h"
#include "screens/seq_system.h"
#include "ui/task_ui_base.h"
#include "ui/ui_manage.h"

namespace {

GxSystemDialogHost* FindDialogHost(GxTaskManage* manage)
{
    return manage != nullptr ? dynamic_cast<GxSystemDialogHost*>(manage->GetSystemSequence()) : nullptr;
}

}  // namespace

void ShowWidget(GxTaskUIBase* widget, bool show)
{
    if (widget == nullptr)
        return;
    if (show)
        widget->Show();
    else
        widget->Hide();
}

const std::u16string& WidgetEventName(const GxTaskUIBase& widget)
{
    const std::u16string& local = widget.GetTaskLocalName();
    return local.empty() ? widget.GetTaskName() : local;
}

GxScreenBase::GxScreenBase(GxTaskBase* owner, const char16_t* name, RenderStyle style)
    : GxSeqTransitBase(owner, name), m_RenderStyle(style)
{
    const std::u16string screen(name != nullptr ? name : u"");
    m_RootFolder = new GxTaskFolder(this, (u"$ROOT:" + screen).c_str(), nullptr, 0);
    m_UIFolder = new GxTaskFolder(m_RootFolder, (u"$UI:" + screen).c_str(), nullptr, 0);
    m_Background = new GxTaskLayer(m_RootFolder, (u"$BGLAYER:" + screen).c_str());
    m_Background->SetOrderZ(kScreenBackgroundOrderZ);
    m_AcceptUIEventFlag = true;
    CreateLayoutWidgets(m_UIFolder);
}

GxScreenBase::~GxScreenBase() = default;

void GxScreenBase::CreateLayoutWidgets(GxTaskFolder* folder)
{
    if (folder != nullptr)
        DBUILayout::CreateWidgets(&GetDBUILayout(), folder->GetTaskName().c_str(), folder, this);
}

int GxScreenBase::Update(std::int32_t, std::uint64_t)
{
    ProcessUIEvents(nullptr);
    ++m_UpdateCount;
    return 0;
}

void GxScreenBase::NoteDrawnState()
{
    GxDrawnStateKey key;
    AddDrawnState(key);
    if (key.Get() != m_DrawnState) {
        m_DrawnState = key.Get();
        GxSceneGeneration::Touch();
    }
}

int GxScreenBase::Render(std::int32_t step, std::uint64_t elapsed)
{
    GxSeqTransitBase::Render(step, elapsed);
    NoteDrawnState();
    if (m_RenderStyle != RenderStyle::kOverlay)
        return 0;
    GxCore* core = GetCore();
    if (GxTaskRenderManage* list = core != nullptr ? core->GetRenderList(kScreenOverlayRenderList) : nullptr)
        list->Add(kScreenOverlayDrawMode, this, kScreenOverlayDepth, kScreenOverlayDrawTag);
    return 0;
}

int GxScreenBase::Draw(std::int32_t value, std::int32_t listIndex)
{
    if (value != kScreenOverlayDrawTag)
        return GxSeqTransitBase::Draw(value, listIndex);
    if (m_RenderStyle == RenderStyle::kOverlay) {
        BeginSceneNested();
        GxGraphics::ResetRenderStates();
        EndSceneNested();
    }
    return 0;
}

int GxScreenBase::OnUIEvent(GxTaskUIBase* widget, const GxUIEventParam* event)
{
    if (GxSeqBase::OnUIEvent(widget, event) != 0)
        return 0;
    if (widget == nullptr)
        return 0;
    if (widget->m_KindFlags & kKindPushButton)
        GetScreenSound().PlaySystemSound(0, widget->GetSystemSoundID());
    const std::u16string& name = WidgetEventName(*widget);
    return OnWidgetEvent(widget, name, event) ? 1 : 0;
}

bool GxScreenBase::OnWidgetEvent(GxTaskUIBase*, const std::u16string&, const GxUIEventParam*)
{
    return false;
}

GxCore* GxScreenBase::GetCore() const
{
    return m_Manage != nullptr ? m_Manage->GetCore() : nullptr;
}

std::u16string GxScreenBase::GetConfigFolder(std::int32_t folder) const
{
    const GxCore* core = GetCore();
    return core != nullptr && core->m_SystemConfig != nullptr ? core->m_SystemConfig->m_Folders[folder]
                                                             : GxSystemConfig().m_Folders[folder];
}

std::u16string GxScreenBase::GetImageSetFolder() const
{
    const GxCore* core = GetCore();
    return core != nullptr ? core->GetConfig().m_UIImageSetFolder : GxCoreConfig().m_UIImageSetFolder;
}

SeqSystem* GxScreenBase::SystemLayer() const
{
    return m_Manage != nullptr ? dynamic_cast<SeqSystem*>(m_Manage->GetSystemSequence()) : nullptr;
}

GxTaskUIBase* GxScreenBase::FindWidget(const char16_t* name, std::int32_t index) const
{
    GxTaskBase* task = m_UIFolder != nullptr ? m_UIFolder->FindTaskLocal(name, index) : nullptr;
    if (task == nullptr && m_Manage != nullptr && name != nullptr)
        task = m_Manage->FindTask(name);
    return task != nullptr && (task->m_KindFlags & kKindWidget) ? static_cast<GxTaskUIBase*>(task) : nullptr;
}

bool GxScreenBase::ChangeScreen(const char16_t* name, std::int32_t word0, std::int32_t word1)
{
    return m_Manage != nullptr && m_Manage->ChangeSequenceByCName(name, GetWorkerIndex(), word0, word1);
}

int GxScreenBase::ReportRawClick(GxTaskUIBase* widget, std::int32_t code)
{
    GxCore* core = GetCore();
    if (core == nullptr || (core->m_UIManage != nullptr && core->m_UIManage->m_DialogCount != 0))
        return 0;
    if (widget == nullptr || !IsWidgetInputAllowed(widget, 0))
        return 0;
    widget->ReportEvent(code);
    return 1;
}

bool GxScreenBase::AskUser(const std::u16string& tag, const std::u16string& text, std::int32_t buttonSet)
{
    GxSystemDialogHost* host = FindDialogHost(m_Manage);
    if (host == nullptr)
        return false;
    host->ShowUserDialog(tag, this, text, buttonSet);
    return true;
}

std::u16string GxScreenBase::GetUserDialogTag() const
{
    GxSystemDialogHost* host = FindDialogHost(m_Manage);
    return host != nullptr ? host->GetUserDialogTag() : std::u16string();
}
