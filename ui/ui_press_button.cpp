#include "ui/ui_press_button.h"

#include "core/scene_generation.h"
#include "foundation/content.h"
#include "ui/image_widget_support.h"
#include "ui/ui_slider.h"

GxTaskUIPressButtonIs::GxTaskUIPressButtonIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                             std::int32_t localIndex)
    : GxTaskUIButtonIs(parent, name, localName, localIndex)
{
    m_TaskType = kUITypePressButton;
}

GxTaskUIPressButtonIs::~GxTaskUIPressButtonIs() = default;

int GxTaskUIPressButtonIs::Update(std::int32_t step, std::uint64_t elapsed)
{
    const bool clicked = m_EventState == kUIEventClick;   // the image button's update clears it
    GxTaskUIButtonIs::Update(step, elapsed);
    // The gate decides first: a closed gate shows the normal cell even while held. (This button
    // never starts the press counter, so a press shows through the repeat flag.)
    const bool open = IsUIInputOpen(this);
    std::int32_t index = kButtonImageNormal;
    if (open && (clicked || m_Repeating || m_PressFrames > 0))
        index = kButtonImagePressed;
    else if (open && m_HoverCount != 0)
        index = kButtonImageHover;
    if (index != m_ImageIndex) {
        m_ImageIndex = index;
        GxSceneGeneration::Touch();
    }

    if (m_Repeating && m_EventIntervalFrame > 0 &&
        (static_cast<std::int64_t>(m_UpdateCount) - m_PressFrame) % m_EventIntervalFrame == 0) {
        m_EventState = kUIEventValueChanged;
        SetValueDirect(m_Value + 1.0);
        // Behind a closed gate the repeat counts on; only its report is skipped.
        if (open && TestEventReportBit(kUIEventValueChanged))
            DispatchEvent(MakeUIMouseEvent(this, kUIEventValueChanged, GetUICursor(this)));
    }
    m_UpdateCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_UpdateCount) + 1u);
    return 0;
}

int GxTaskUIPressButtonIs::OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick)
{
    if (!point || !IsUIInputOpen(this))
        return 0;
    const GxVector3 position = GetAbsolutePosition();
    if (!HitTestClient(&position.x, point->x, point->y))
        return 0;
    m_PressFrame = m_UpdateCount;
    m_EventState = kUIEventClick;
    m_Repeating = true;
    GxSceneGeneration::Touch();
    return ReportPress(*point, keys, doubleClick, false);
}

void GxTaskUIPressButtonIs::EndRepeat()
{
    m_PressFrame = -1;
    SetValueDirect(0.0);
    m_Repeating = false;
}

int GxTaskUIPressButtonIs::OnMouseLeftUp(const GxVector2*, std::uint32_t)
{
    if (m_Repeating)
        GxSceneGeneration::Touch();
    EndRepeat();
    return 0;
}

bool GxTaskUIPressButtonIs::WriteState(GxContentWriterBase& writer)
{
    GxTaskUIButtonIs::WriteState(writer);
    writer.WriteS32("m_EventIntervalFrame", m_EventIntervalFrame);
    return writer.GetErrorCount() == 0;
}

bool GxTaskUIPressButtonIs::ReadState(GxContentReaderBase& reader)
{
    GxTaskUIButtonIs::ReadState(reader);
    ReadUIField(reader, "m_EventIntervalFrame", m_EventIntervalFrame);
    EndRepeat();
    return reader.GetErrorCount() == 0;
}
