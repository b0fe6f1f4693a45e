#include "screens/seq_cg_mode_view.h"

#include "avg/resource_lookup.h"
#include "core/core.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/data_tables.h"
#include "data/system_config.h"
#include "data/user_data_perman.h"
#include "foundation/log.h"
#include "ui/task_ui_null.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr char16_t kName[] = u"SeqCGModeView";
constexpr char16_t kEventCaller[] = u"null_eventcaller";
constexpr char16_t kGallery[] = u"SeqCGMode";
constexpr float kScreenWidth = 1024.0f;
constexpr float kScreenHeight = 768.0f;
constexpr std::int32_t kFileNameCount = 32;
constexpr std::int32_t kNextFadeMs = 500;
constexpr std::int32_t kPanWaitMs = 500;
constexpr std::int32_t kPanCurve = 1;
constexpr std::int32_t kEventLeftUp = 4;
constexpr std::int32_t kEventRightDown = 2;
constexpr std::int32_t kEventKey = 13;
constexpr std::int32_t kCursorArrow = 1;
constexpr std::int32_t kCursorAllWays = 3;
constexpr std::int32_t kCursorUpDown = 4;
constexpr std::int32_t kCursorLeftRight = 5;
constexpr std::int32_t kCursorNoEntry = 6;

// The integer part of (screen - size), halved toward zero.
float Centre(float screen, float size)
{
    return static_cast<float>(static_cast<std::int32_t>(screen - size) / 2);
}

bool IsForwardKey(WPARAM key)
{
    switch (key) {
    case 13: case 32: case 37: case 38: case 39: case 40:
        return true;
    default:
        return false;
    }
}

}  // namespace

SeqCGModeView::SeqCGModeView(GxTaskBase* owner) : GxScreenBase(owner, kName, RenderStyle::kOverlay)
{
    m_EventCaller = new GxTaskUINull(GetUIFolder(), nullptr, kEventCaller, 0);   // by its local name: the opening has one too
}

SeqCGModeView::~SeqCGModeView() = default;

GxVector3 SeqCGModeView::PlacementPos(const std::u16string& code, float width, float height)
{
    GxVector3 pos(0.0f, 0.0f, 0.0f);
    if (!code.empty()) {
        if (code[0] == u'R')
            pos.x = kScreenWidth - width;
        else if (code[0] == u'M')
            pos.x = Centre(kScreenWidth, width);
    }
    if (code.size() >= 2) {
        if (code[1] == u'B')
            pos.y = kScreenHeight - height;
        else if (code[1] == u'M')
            pos.y = Centre(kScreenHeight, height);
    }
    return pos;
}

void SeqCGModeView::OnSequenceEnter(std::int32_t worker)
{
    GxScreenBase::OnSequenceEnter(worker);
    const GxSeqWorker* slot = m_Manage != nullptr ? m_Manage->GetWorker(worker) : nullptr;
    m_Row = slot != nullptr ? slot->m_CurrentParam[0] : 0;
    m_Entry = NextSeenEntry(-1);
    m_PictureSize = GxVector2(0.0f, 0.0f);
    m_StartPos = GxVector3(0.0f, 0.0f, 0.0f);
    m_EndPos = GxVector3(0.0f, 0.0f, 0.0f);
    if (m_Entry != -1)
        ShowEntry(m_Entry, 0);
    ResetDrag();
}

void SeqCGModeView::OnSequenceLeave(std::int32_t worker)
{
    GxScreenBase::OnSequenceLeave(worker);
    GxTaskLayer* layer = GetBackgroundLayer();
    layer->FinishActions();
    ResetDrag();
    SetCursor(kCursorArrow);
    layer->ResetLayer();
}

std::int32_t SeqCGModeView::NextSeenEntry(std::int32_t entry) const
{
    // A row outside the table (the request word is not checked by whoever sends it) has no
    // entries; GetRow says so in the log.
    const DBCGModeRow* row = GetDBCGMode().GetRow(m_Row);
    if (row == nullptr)
        return -1;
    const GxCore* core = GetCore();
    const GxUserDataPerman* perman = core != nullptr ? core->m_UserDataPerman : nullptr;
    for (std::int32_t j = std::max(entry + 1, 0); j < kFileNameCount; ++j) {
        const std::u16string& name = row->m_FileName[j];
        if (!name.empty() && perman != nullptr && perman->m_ShowedCGFlags.count(name) != 0)
            return j;
    }
    return -1;
}

void SeqCGModeView::ShowEntry(std::int32_t entry, std::int32_t fadeMs)
{
    GxTaskLayer* layer = GetBackgroundLayer();
    m_PictureSize = GxVector2(0.0f, 0.0f);
    m_StartPos = m_EndPos = m_DragOrigin = GxVector3(0.0f, 0.0f, 0.0f);
    layer->FinishActions();
    const DBCGModeRow* row = GetDBCGMode().GetRow(m_Row);
    if (row == nullptr || entry < 0 || entry >= kFileNameCount)
        return;
    const std::u16string& name = row->m_FileName[entry];
    std::u16string path = GetConfigFolder(GxSystemConfig::kFolderCGEv) + name;
    if (!ResolveImageFile(path)) {
        LogPrint(u"画像がありません %s\n", name.c_str());
        return;
    }
    layer->LoadFlexImage(path, fadeMs);
    m_PictureSize = GxVector2(static_cast<float>(layer->GetWidth()), static_cast<float>(layer->GetHeight()));

    const DBCGModeRow* placementRow = GetDBCGModePlacement().GetRow(m_Row);
    const std::u16string placement = placementRow != nullptr ? placementRow->m_FileName[entry] : std::u16string();
    const std::size_t bar = placement.find(u'|');
    const std::u16string startCode = placement.substr(0, bar);
    std::u16string endCode;
    if (bar != std::u16string::npos)
        endCode = placement.substr(bar + 1, placement.find(u'|', bar + 1) - bar - 1);
    m_StartPos = PlacementPos(startCode, m_PictureSize.x, m_PictureSize.y);
    m_EndPos = PlacementPos(endCode, m_PictureSize.x, m_PictureSize.y);
    layer->SetPos(m_StartPos);
    m_DragOrigin = m_StartPos;
    if (!endCode.empty() && (m_EndPos.x != m_StartPos.x || m_EndPos.y != m_StartPos.y)) {
        const float dx = m_EndPos.x - m_StartPos.x;
        const float dy = m_EndPos.y - m_StartPos.y;
        const auto duration = 30 + static_cast<std::int32_t>(8.0f * std::sqrt(dx * dx + dy * dy));
        const float target[4] = {m_EndPos.x, m_EndPos.y, 0.0f, 0.0f};
        layer->AddWaitAction(0, kPanWaitMs);
        layer->AddAction(target, duration, kPanCurve);
    }
}

void SeqCGModeView::ResetDrag()
{
    m_Dragging = false;
    m_Pointer = GxVector2(-1.0f, -1.0f);
    m_DragStart = GxVector2(-1.0f, -1.0f);
}

void SeqCGModeView::SetCursor(std::int32_t kind)
{
    if (GxCore* core = GetCore())
        core->SetCursorShape(kind);
}

bool SeqCGModeView::CallerTakesInput()
{
    return m_EventCaller != nullptr && IsWidgetInputAllowed(m_EventCaller, 0);
}

int SeqCGModeView::OnMouseMove(const GxVector2* point, std::uint32_t)
{
    if (!m_Dragging || point == nullptr || !CallerTakesInput())
        return 0;
    m_Pointer = *point;
    if (m_Pointer.x == m_DragStart.x && m_Pointer.y == m_DragStart.y)
        return 0;
    GxTaskLayer* layer = GetBackgroundLayer();
    if (!layer->IsActionListEmpty()) {
        // A drag takes the picture over from its pan where the pan has got to.
        layer->ClearActions();
        m_DragOrigin = layer->GetWorldPos();
    }
    float x = m_DragOrigin.x + m_Pointer.x - m_DragStart.x;
    float y = m_DragOrigin.y + m_Pointer.y - m_DragStart.y;
    const bool wider = m_PictureSize.x > kScreenWidth;
    const bool taller = m_PictureSize.y > kScreenHeight;
    SetCursor(wider && taller ? kCursorAllWays : wider ? kCursorLeftRight : taller ? kCursorUpDown : kCursorNoEntry);
    x = wider ? std::clamp(x, kScreenWidth - m_PictureSize.x, 0.0f) : 0.0f;
    y = taller ? std::clamp(y, kScreenHeight - m_PictureSize.y, 0.0f) : 0.0f;
    layer->SetPos(GxVector3(x, y, 0.0f));
    return 0;
}

int SeqCGModeView::OnMouseLeftDown(const GxVector2* point, std::uint32_t, std::int32_t)
{
    if (point == nullptr || !CallerTakesInput())
        return 0;
    m_Dragging = true;
    m_Pointer = m_DragStart = *point;
    m_DragOrigin = GetBackgroundLayer()->GetWorldPos();
    return 0;
}

int SeqCGModeView::OnMouseLeftUp(const GxVector2*, std::uint32_t)
{
    if (CallerTakesInput())
        m_EventCaller->ReportEvent(kEventLeftUp);
    return 0;
}

int SeqCGModeView::OnMouseRightDown(const GxVector2*, std::uint32_t, std::int32_t)
{
    if (CallerTakesInput())
        m_EventCaller->ReportEvent(kEventRightDown);
    return 0;
}

int SeqCGModeView::OnKeyDown(WPARAM key, LPARAM)
{
    if (!IsForwardKey(key))
        return 0;
    if (CallerTakesInput()) {
        GxUIEventParam event;
        event.m_Sender = m_EventCaller;
        event.m_Code = kEventKey;
        event.m_Value1 = static_cast<std::int32_t>(key);
        m_EventCaller->DispatchEvent(event);
    }
    return 1;
}

void SeqCGModeView::GoForward()
{
    m_Entry = NextSeenEntry(m_Entry);
    if (m_Entry != -1)
        ShowEntry(m_Entry, kNextFadeMs);
    else
        ChangeScreen(kGallery);
}

int SeqCGModeView::OnUIEventCode4(GxTaskUIBase* widget, const GxUIEventParam*)
{
    const bool moved = m_Pointer.x != m_DragStart.x || m_Pointer.y != m_DragStart.y;
    if (m_Dragging && moved) {
        ResetDrag();
        SetCursor(kCursorArrow);
        return 1;
    }
    ResetDrag();
    SetCursor(kCursorArrow);
    if (widget != m_EventCaller)
        return 0;
    GxTaskLayer* layer = GetBackgroundLayer();
    if (!layer->IsActionListEmpty()) {
        layer->FinishActions();
        return 1;
    }
    GoForward();
    return 1;
}

int SeqCGModeView::OnUIEventCode13(GxTaskUIBase* widget, const GxUIEventParam*)
{
    if (widget != m_EventCaller)
        return 0;
    ResetDrag();
    SetCursor(kCursorArrow);
    m_PictureSize = GxVector2(0.0f, 0.0f);
    m_StartPos = m_EndPos = GxVector3(0.0f, 0.0f, 0.0f);
    GoForward();
    return 1;
}

int SeqCGModeView::OnUIEventCode2(GxTaskUIBase* widget, const GxUIEventParam*)
{
    if (widget == m_EventCaller)
        ChangeScreen(kGallery);
    return 1;
}
