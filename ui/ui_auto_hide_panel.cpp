#include "ui/ui_auto_hide_panel.h"

#include "foundation/content.h"
#include "ui/image_widget_support.h"

#include <algorithm>

namespace {

constexpr std::int32_t kAutoHideStep = 32;

}  // namespace

GxTaskUIAutoHidePanelFx::GxTaskUIAutoHidePanelFx(GxTaskBase* parent, const char16_t* name,
                                                 const char16_t* localName, std::int32_t localIndex)
    : GxTaskUIPanelFx(parent, name, localName, localIndex)
{
    m_TaskType = kUITypeAutoHidePanelFx;
    m_EventBlockFlag = false;
}

GxTaskUIAutoHidePanelFx::~GxTaskUIAutoHidePanelFx() = default;

int GxTaskUIAutoHidePanelFx::Update(std::int32_t step, std::uint64_t elapsed)
{
    GxTaskUIBase::Update(step, elapsed);
    const GxVector3 origin = GetAbsolutePosition();
    const float at[2] = {origin.x, origin.y};
    const GxVector2 pointer = GetUICursor(this);
    const bool inside = HitTestClient(at, pointer.x, pointer.y);
    std::int32_t direction = 0;
    if (m_AutoHideMode == 1)
        direction = inside ? -1 : 1;
    else if (m_AutoHideMode == 2)
        direction = inside ? 1 : -1;
    if (direction != 0) {
        // 64-bit: a saved alpha can be any 32-bit number.
        const std::int64_t alpha = static_cast<std::int64_t>(m_VisualParam.m_Alpha) + direction * kAutoHideStep;
        m_VisualParam.m_Alpha = static_cast<std::int32_t>(direction < 0 ? std::max<std::int64_t>(alpha, 0)
                                                                        : std::min<std::int64_t>(alpha, 255));
        NoteVisualChange();
    }
    return 0;
}

bool GxTaskUIAutoHidePanelFx::WriteState(GxContentWriterBase& writer)
{
    bool ok = GxTaskUIBase::WriteState(writer);
    ok = writer.WriteS32("m_AutoHideMode", m_AutoHideMode) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxTaskUIAutoHidePanelFx::ReadState(GxContentReaderBase& reader)
{
    GxTaskUIBase::ReadState(reader);
    ReadUIField(reader, "m_AutoHideMode", m_AutoHideMode);
    return reader.GetErrorCount() == 0;
}
