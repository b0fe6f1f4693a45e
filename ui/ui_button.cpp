#include "ui/ui_button.h"

#include "core/scene_generation.h"
#include "data/db_uimodule.h"
#include "foundation/content.h"
#include "foundation/log.h"
#include "motion/crammed_image_set.h"
#include "ui/image_widget_support.h"
#include "ui/widget_graphics.h"

#include <algorithm>

namespace {

constexpr const char16_t* kButtonSuffixes[4] = {u"_off.png", u"_on.png", u"_over.png", u"_na.png"};

}  // namespace

GxTaskUIButtonIs::GxTaskUIButtonIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                   std::int32_t localIndex)
    : GxTaskUIBase(parent, name, localName, localIndex)
{
    m_TaskType = kUITypeButton;
    m_KindFlags |= kKindPushButton;
}

GxTaskUIButtonIs::~GxTaskUIButtonIs() = default;

const GxNcOriginImage* GxTaskUIButtonIs::GetStateImage(std::int32_t slot) const
{
    return slot >= 0 && slot < kButtonImageSlotCount ? m_StateImages[slot] : nullptr;
}

GxNcOriginImage* GxTaskUIButtonIs::GetIndexedImage() const
{
    GxNcOriginImage* image =
        m_ImageIndex >= 0 && m_ImageIndex < kButtonImageSlotCount ? m_StateImages[m_ImageIndex] : nullptr;
    return image ? image : m_StateImages[kButtonImageNormal];
}

// ---- frame ---------------------------------------------------------------------------------

int GxTaskUIButtonIs::Update(std::int32_t step, std::uint64_t elapsed)
{
    GxTaskUIBase::Update(step, elapsed);
    const GxVector2 cursor = GetUICursor(this);
    const GxVector3 position = GetAbsolutePosition();
    const bool open = IsUIInputOpen(this);
    if (m_HoverCount != 0 && !HitTestClient(&position.x, cursor.x, cursor.y)) {
        m_HoverCount = 0;
        m_EventState = kUIEventLeave;
        if (open && TestEventReportBit(kUIEventLeave))
            DispatchEvent(MakeUIMouseEvent(this, kUIEventLeave, cursor));
    }
    // The press wins over the gate: a click that closes the gate still shows its pressed look.
    std::int32_t index = kButtonImageNormal;
    if (m_EventState == kUIEventClick || m_PressFrames > 0)
        index = kButtonImagePressed;
    else if (open && m_HoverCount != 0)
        index = kButtonImageHover;
    m_ImageIndex = index;
    // A subclass whose Draw sets its own look each time would otherwise seem changed each frame.
    const std::int32_t drawn = DrawnLookOf(index, open);
    if (drawn != m_DrawnLook) {
        m_DrawnLook = drawn;
        GxSceneGeneration::Touch();
    }
    m_EventState = 0;
    UpdateAutoHelp(elapsed, &cursor.x);
    if (m_PressFrames > 0)
        --m_PressFrames;
    return 0;
}

void GxTaskUIButtonIs::OpenDraw()
{
    GxWidgetGraphicsBase* graphics = GetWidgetGraphics();
    graphics->BeginSceneNested();
    graphics->ResetRenderStates();
    graphics->SetTextureFilter(1);   // point sampling
}

void GxTaskUIButtonIs::CloseDraw()
{
    GetWidgetGraphics()->EndSceneNested();
}

void GxTaskUIButtonIs::DrawCell(const GxNcOriginImage* cell, float alpha)
{
    const GxMatrix transform = MakeUITransform(*this, GetAbsolutePosition(), m_VisualParam.m_CenterPos);
    DrawUICell(*this, cell, m_PatternIndex, transform, std::clamp(alpha, 0.0f, 1.0f));
}

void GxTaskUIButtonIs::DrawStateCell(const GxNcOriginImage* cell)
{
    OpenDraw();
    DrawCell(cell, static_cast<float>(m_ImageAlpha) * static_cast<float>(GetAlpha()) / 255.0f / 255.0f);
    CloseDraw();
}

int GxTaskUIButtonIs::Draw(std::int32_t, std::int32_t)
{
    if (!IsUIWidgetDrawn(this))
        return 0;
    DrawStateCell(IsEnabled() ? GetIndexedImage() : m_StateImages[kButtonImageDisabled]);
    return 0;
}

// ---- input ---------------------------------------------------------------------------------

int GxTaskUIButtonIs::OnMouseMove(const GxVector2* point, std::uint32_t)
{
    if (!IsUIInputOpen(this))
        return 0;
    const GxVector3 position = GetAbsolutePosition();
    const bool inside = HitTestClient(&position.x, point->x, point->y);
    if (m_HoverCount == 0 && inside) {
        m_HoverCount = 1;
        m_EventState = kUIEventEnter;
        GxSceneGeneration::Touch();
        if (TestEventReportBit(kUIEventEnter))
            DispatchEvent(MakeUIMouseEvent(this, kUIEventEnter, *point));
    }
    return m_MouseMoveBlockFlag && inside ? 1 : 0;
}

int GxTaskUIButtonIs::ReportPress(const GxVector2& point, std::uint32_t keys, std::int32_t doubleClick, bool withKeys)
{
    if (!TestEventReportBit(kUIEventClick))
        return 0;
    GxUIEventParam event = MakeUIMouseEvent(this, kUIEventClick, point);
    if (withKeys) {
        event.m_Value = static_cast<std::int32_t>(keys);
        event.m_Flag = static_cast<std::uint8_t>(doubleClick != 0);
    }
    DispatchEvent(event);
    return m_EventBlockFlag ? 1 : 0;
}

bool GxTaskUIButtonIs::IsPressInside(const GxVector2& point)
{
    if (!IsUIInputOpen(this))
        return false;
    const GxVector3 position = GetAbsolutePosition();
    return HitTestClient(&position.x, point.x, point.y);
}

int GxTaskUIButtonIs::PressClient(const GxVector2& point, std::uint32_t keys, std::int32_t doubleClick, bool withKeys)
{
    const GxVector3 position = GetAbsolutePosition();
    if (!HitTestClient(&position.x, point.x, point.y))
        return 0;
    m_EventState = kUIEventClick;
    m_PressFrames = kButtonPressFrames;
    GxSceneGeneration::Touch();
    return ReportPress(point, keys, doubleClick, withKeys);
}

int GxTaskUIButtonIs::OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick)
{
    if (!IsUIInputOpen(this))
        return 0;
    return PressClient(*point, keys, doubleClick, true);
}

// ---- images --------------------------------------------------------------------------------

void GxTaskUIButtonIs::ResetEventState()
{
    GxTaskUIBase::ResetEventState();
    if (m_ImageIndex != 0 || m_PressFrames != 0)
        GxSceneGeneration::Touch();
    m_ImageIndex = 0;
    m_PressFrames = 0;
}

void GxTaskUIButtonIs::ApplyModuleRecord(const DBUIModuleRow* row)
{
    if (!row)
        return;
    GxTaskUIBase::ApplyModuleRecord(row);
    m_ImageSetName = UIImageSetFileOf(this, *row);
    m_ImageName = row->m_ImageName;
}

bool GxTaskUIButtonIs::SetImageName(const char16_t* path)
{
    SplitUIImagePath(path ? path : u"", &m_ImageSetName, &m_ImageName);
    return true;
}

void GxTaskUIButtonIs::TakeSizesFromNormalImage()
{
    if (!TakeUICellSize(this, m_StateImages[kButtonImageNormal]))
        return;
    if (m_ClientWidth == 0)
        m_ClientWidth = m_Width - 2 * m_ClientLeft;
    if (m_ClientHeight == 0)
        m_ClientHeight = m_Height - 2 * m_ClientTop;
}

bool GxTaskUIButtonIs::FindStateCells(const char16_t* const* suffixes, std::int32_t count, const char16_t* who)
{
    GxNcCrammedImageSet* imageSet = FindUIImageSet(m_ImageSetName);
    if (!imageSet) {
        LogPrint(u"%s/ImageSet wasn't Loaded:%s [%s]\n", who, m_ImageSetName.c_str(), GetTaskPath().c_str());
        return false;
    }
    GxSceneGeneration::Touch();
    for (std::int32_t slot = 0; slot < count && slot < kButtonImageSlotCount; ++slot)
        m_StateImages[slot] = FindUICell(imageSet, m_ImageName + suffixes[slot]);
    if (!m_StateImages[kButtonImageNormal]) {
        LogPrint(u"%s/Image not found:%s [%s]\n", who, (m_ImageName + suffixes[0]).c_str(), GetTaskPath().c_str());
        return false;
    }
    return true;
}

bool GxTaskUIButtonIs::LoadButtonCells(const char16_t* const* suffixes, std::int32_t count, const char16_t* who)
{
    if (!FindStateCells(suffixes, count, who))
        return false;
    if (!m_StateImages[kButtonImagePressed])
        m_StateImages[kButtonImagePressed] = m_StateImages[kButtonImageHover];
    if (!m_StateImages[kButtonImageDisabled])
        m_StateImages[kButtonImageDisabled] = m_StateImages[kButtonImageNormal];
    TakeSizesFromNormalImage();
    return true;
}

bool GxTaskUIButtonIs::LoadImages()
{
    return LoadButtonCells(kButtonSuffixes, 4, u"GxTaskUIButtonIs");
}

void GxTaskUIButtonIs::ReleaseImages()
{
    std::fill(std::begin(m_StateImages), std::end(m_StateImages), nullptr);
    GxSceneGeneration::Touch();
}

// ---- saved state ---------------------------------------------------------------------------

bool GxTaskUIButtonIs::WriteState(GxContentWriterBase& writer)
{
    bool ok = GxTaskUIBase::WriteState(writer);
    ok = writer.WriteWString("m_ImageName", m_ImageName) && ok;
    ok = writer.WriteWString("m_ImageSetName", m_ImageSetName) && ok;
    ok = writer.WriteS32("m_ImageIndex", m_ImageIndex) && ok;
    ok = writer.WriteS32("m_PatternIndex", m_PatternIndex) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxTaskUIButtonIs::ReadState(GxContentReaderBase& reader)
{
    GxTaskUIBase::ReadState(reader);
    ReadUIField(reader, "m_ImageName", m_ImageName);
    ReadUIField(reader, "m_ImageSetName", m_ImageSetName);
    ReadUIField(reader, "m_ImageIndex", m_ImageIndex);
    ReadUIField(reader, "m_PatternIndex", m_PatternIndex);
    ReleaseImages();
    ResetEventState();
    return reader.GetErrorCount() == 0;
}
