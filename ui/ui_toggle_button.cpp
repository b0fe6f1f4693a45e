#include "ui/ui_toggle_button.h"

#include "core/scene_generation.h"
#include "foundation/content.h"
#include "motion/crammed_image_set.h"
#include "ui/image_widget_support.h"

namespace {

constexpr const char16_t* kToggleSuffixes[6] = {u"_off.png", u"_on.png",     u"_over.png",
                                                u"_na.png",  u"_onover.png", u"_onna.png"};

}  // namespace

GxTaskUIToggleButtonIs::GxTaskUIToggleButtonIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                               std::int32_t localIndex)
    : GxTaskUIButtonIs(parent, name, localName, localIndex)
{
    m_TaskType = kUITypeToggleButton;
}

GxTaskUIToggleButtonIs::~GxTaskUIToggleButtonIs() = default;

int GxTaskUIToggleButtonIs::Draw(std::int32_t, std::int32_t)
{
    if (!IsUIWidgetDrawn(this))
        return 0;
    const bool open = IsUIInputOpen(this);
    const bool on = GetValueBool();
    const bool hovered = open && m_HoverCount != 0;
    if (on)
        m_ImageIndex = hovered ? kButtonImageOnHover : kButtonImagePressed;
    else
        m_ImageIndex = hovered ? kButtonImageHover : kButtonImageNormal;
    DrawStateCell(IsEnabled() ? GetIndexedImage() : m_StateImages[on ? kButtonImageOnDisabled : kButtonImageDisabled]);
    return 0;
}

std::int32_t GxTaskUIToggleButtonIs::DrawnLookOf(std::int32_t, bool open) const
{
    const bool hovered = open && m_HoverCount != 0;
    if (GetValueBool())
        return hovered ? kButtonImageOnHover : kButtonImagePressed;
    return hovered ? kButtonImageHover : kButtonImageNormal;
}

void GxTaskUIToggleButtonIs::ApplyClick()
{
    SetValueBool(!GetValueBool());
}

int GxTaskUIToggleButtonIs::OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick)
{
    if (!IsPressInside(*point))
        return 0;
    m_EventState = kUIEventClick;
    // The value changes first, so the event's receiver reads the new one.
    if (m_AutoToggleFlag)
        ApplyClick();
    GxSceneGeneration::Touch();
    return ReportPress(*point, keys, doubleClick, false);
}

bool GxTaskUIToggleButtonIs::LoadImages()
{
    if (!FindStateCells(kToggleSuffixes, 6, u"GxTaskUI::LoadImage()"))
        return false;
    GxNcOriginImage** slots = m_StateImages;
    // In this order: a set without "_on" shows its hover cell as the on state and has no off hover
    // look; the on-hover and on-disabled cells then follow the slots already filled.
    if (!slots[kButtonImagePressed]) {
        slots[kButtonImagePressed] = slots[kButtonImageHover];
        slots[kButtonImageHover] = slots[kButtonImageNormal];
    }
    if (!slots[kButtonImageDisabled])
        slots[kButtonImageDisabled] = slots[kButtonImageNormal];
    if (!slots[kButtonImageOnHover])
        slots[kButtonImageOnHover] = slots[kButtonImagePressed];
    if (!slots[kButtonImageOnDisabled])
        slots[kButtonImageOnDisabled] = slots[kButtonImageDisabled];
    TakeSizesFromNormalImage();
    return true;
}

bool GxTaskUIToggleButtonIs::WriteState(GxContentWriterBase& writer)
{
    bool ok = GxTaskUIButtonIs::WriteState(writer);
    ok = writer.WriteBool("m_AutoToggleFlag", m_AutoToggleFlag) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxTaskUIToggleButtonIs::ReadState(GxContentReaderBase& reader)
{
    GxTaskUIButtonIs::ReadState(reader);
    ReadUIField(reader, "m_AutoToggleFlag", m_AutoToggleFlag);
    return reader.GetErrorCount() == 0;
}

// ---- radio ---------------------------------------------------------------------------------

GxTaskUIRadioButtonIs::GxTaskUIRadioButtonIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                             std::int32_t localIndex)
    : GxTaskUIToggleButtonIs(parent, name, localName, localIndex)
{
    m_TaskType = kUITypeRadioButton;
}

GxTaskUIRadioButtonIs::~GxTaskUIRadioButtonIs() = default;

bool GxTaskUIRadioButtonIs::Select()
{
    GxTaskBase* parent = GetParent();
    for (GxTaskBase* child = parent ? parent->m_FirstChild : nullptr; child; child = child->m_NextSibling) {
        // Type 20 is only ever a radio button (each constructor stores its own code).
        if (child->GetTaskType() != kUITypeRadioButton || !(child->m_KindFlags & kKindWidget))
            continue;
        auto* radio = static_cast<GxTaskUIBase*>(child);
        if (radio->GetGroupID() == GetGroupID())
            radio->SetValueBool(false);
    }
    SetValueBool(true);
    return true;
}
