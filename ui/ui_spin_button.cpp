#include "ui/ui_spin_button.h"

#include "core/scene_generation.h"
#include "data/db_uimodule.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/font_data.h"
#include "graphics/system_fonts.h"
#include "motion/crammed_image_set.h"
#include "ui/image_widget_support.h"
#include "ui/ui_slider.h"
#include "ui/widget_graphics.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr const char16_t* kPartNames[3] = {u"_down", u"_up", u"_clear"};
constexpr const char16_t* kLookSuffixes[4] = {u"_off.png", u"_on.png", u"_over.png", u"_na.png"};
constexpr std::int32_t kValueFontIndex = 0;

}  // namespace

GxTaskUISpinButtonIs::GxTaskUISpinButtonIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                           std::int32_t localIndex)
    : GxTaskUIBase(parent, name, localName, localIndex)
{
    m_TaskType = kUITypeSpinButton;
    m_KindFlags |= kKindPushButton;
}

GxTaskUISpinButtonIs::~GxTaskUISpinButtonIs() = default;

const GxNcOriginImage* GxTaskUISpinButtonIs::GetCell(Part part, Look look) const
{
    if (part < 0 || part >= kPartCount || look < 0 || look >= kLookCount)
        return nullptr;
    return m_Cells[part][look];
}

// ---- value ---------------------------------------------------------------------------------

void GxTaskUISpinButtonIs::SetValue(double value)
{
    SetValueInRange(value);
}

void GxTaskUISpinButtonIs::SetMax(double max)
{
    m_Max = max;
    SetValue(m_Value);
}

void GxTaskUISpinButtonIs::SetMin(double min)
{
    m_Min = min;
    SetValue(m_Value);
}

// ---- geometry ------------------------------------------------------------------------------

float GxTaskUISpinButtonIs::GetPartLeft(Part part) const
{
    switch (part) {
    case kClear: return 0.0f;
    case kBack: return m_PartWidths[kClear];
    case kDown: return m_PartWidths[kClear] + m_PartWidths[kBack];
    case kUp: return m_PartWidths[kClear] + m_PartWidths[kBack] + m_PartWidths[kDown];
    default: return 0.0f;
    }
}

bool GxTaskUISpinButtonIs::IsOnPart(Part part, const GxVector3& origin, float x, float y) const
{
    const float left = origin.x + GetPartLeft(part);
    return left <= x && x < left + m_PartWidths[part] && origin.y <= y && y < origin.y + m_PartHeights[part];
}

// ---- frame ---------------------------------------------------------------------------------

void GxTaskUISpinButtonIs::ReportChangeFrom(double old)
{
    if (GetValue() == old)
        return;
    m_EventState = kUIEventValueChanged;
    if (TestEventReportBit(kUIEventValueChanged))
        ReportEvent(kUIEventValueChanged);
}

void GxTaskUISpinButtonIs::StepHeld(Part part, double sign)
{
    PartState& state = m_PartStates[part];
    if ((static_cast<std::int64_t>(m_UpdateCount) - state.m_PressFrame) % kRepeatInterval != 0)
        return;
    const double old = GetValue();
    const double step =
        kFastStepThreshold > 0 && state.m_RepeatCount >= kFastStepThreshold ? kFastStep : GetChange();
    SetValue(old + sign * step);
    if (state.m_RepeatCount < INT_MAX)
        ++state.m_RepeatCount;
    ReportChangeFrom(old);
}

int GxTaskUISpinButtonIs::Update(std::int32_t step, std::uint64_t elapsed)
{
    GxTaskUIBase::Update(step, elapsed);
    const bool open = IsUIInputOpen(this);
    if (m_PartStates[kDown].m_Pressed && open) {
        StepHeld(kDown, -1.0);
    } else if (m_PartStates[kUp].m_Pressed && open) {
        StepHeld(kUp, 1.0);
    } else if (m_PartStates[kClear].m_Pressed && open) {
        m_PartStates[kClear].m_Pressed = false;
        const double old = GetValue();
        SetValue(kClearValue);
        ReportChangeFrom(old);
    }
    PartState& clear = m_PartStates[kClear];
    if (clear.m_HoldCounter != 0) {
        --clear.m_HoldCounter;
        if (clear.m_HoldCounter == 0)
            GxSceneGeneration::Touch();
    }
    m_UpdateCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_UpdateCount) + 1u);
    return 0;
}

void GxTaskUISpinButtonIs::ResetEventState()
{
    GxTaskUIBase::ResetEventState();
    m_UpdateCount = 0;
    m_HoverCount = 0;
    m_EventState = 0;
    for (PartState& state : m_PartStates)
        state.Reset();
    GxSceneGeneration::Touch();
}

// ---- input ---------------------------------------------------------------------------------

int GxTaskUISpinButtonIs::OnMouseLeftDown(const GxVector2* point, std::uint32_t, std::int32_t)
{
    if (!point || !IsUIInputOpen(this))
        return 0;
    const GxVector3 origin = GetAbsolutePosition();
    Part hit = kPartCount;
    for (Part part : {kDown, kUp, kClear}) {
        if (IsOnPart(part, origin, point->x, point->y)) {
            hit = part;
            break;
        }
    }
    if (hit == kPartCount)
        return 0;
    PartState& state = m_PartStates[hit];
    state.m_Pressed = true;
    if (hit == kClear) {
        state.m_HoldCounter = kClearHoldFrames;
    } else {
        state.m_PressFrame = m_UpdateCount;
        state.m_RepeatCount = 0;
    }
    m_EventState = kUIEventClick;
    GxSceneGeneration::Touch();
    if (!TestEventReportBit(kUIEventClick))
        return 0;
    DispatchEvent(MakeUIMouseEvent(this, kUIEventClick, *point));
    return m_EventBlockFlag ? 1 : 0;
}

int GxTaskUISpinButtonIs::OnMouseLeftUp(const GxVector2*, std::uint32_t)
{
    if (m_PartStates[kDown].m_Pressed || m_PartStates[kUp].m_Pressed)
        GxSceneGeneration::Touch();
    m_PartStates[kDown].Reset();
    m_PartStates[kUp].Reset();
    return 0;
}

// ---- drawing -------------------------------------------------------------------------------

const GxNcOriginImage* GxTaskUISpinButtonIs::ShownCell(Part part, bool open, const GxVector2& cursor,
                                                       const GxVector3& origin) const
{
    if (!IsEnabled())
        return m_Cells[part][kDisabled];
    if (part == kBack)
        return m_Cells[kBack][kNormal];
    if (part == kDown && m_Value <= m_Min)
        return m_Cells[kDown][kDisabled];
    if (part == kUp && m_Value >= m_Max)
        return m_Cells[kUp][kDisabled];
    if (!open)
        return m_Cells[part][kNormal];
    const PartState& state = m_PartStates[part];
    if (part == kClear ? state.m_HoldCounter != 0 : state.m_Pressed)
        return m_Cells[part][kPressed];
    if (IsOnPart(part, origin, cursor.x, cursor.y))
        return m_Cells[part][kHover];
    return m_Cells[part][kNormal];
}

int GxTaskUISpinButtonIs::Draw(std::int32_t, std::int32_t)
{
    if (!IsUIWidgetDrawn(this))
        return 0;
    const GxVector2 cursor = GetUICursor(this);
    const GxVector3 origin = GetAbsolutePosition();
    const bool open = IsUIInputOpen(this);
    GxWidgetGraphicsBase* graphics = GetWidgetGraphics();
    graphics->BeginSceneNested();
    graphics->ResetRenderStates();
    graphics->SetTextureFilter(1);   // point sampling

    // Pure translations: the actor's rotation, scale and pivot play no part here.
    const float alpha =
        std::clamp(static_cast<float>(m_ImageAlpha) * static_cast<float>(GetAlpha()) / 255.0f / 255.0f, 0.0f, 1.0f);
    for (Part part : {kBack, kDown, kUp, kClear}) {
        GxMatrix transform;
        transform.SetTranslation(GxVector3(origin.x + GetPartLeft(part), origin.y, origin.z));
        DrawUICell(*this, ShownCell(part, open, cursor, origin), 0, transform, alpha);
    }

    // The text is laid out as if every character were as wide as "0".
    GxFontData* font = GetSystemBitmapFont(kValueFontIndex);
    if (font && font->IsLoaded()) {
        const std::u16string text = FormatWide(m_ValueFormat.c_str(), GetValue());
        const float width = static_cast<float>(font->GetCharWidth(u'0')) * static_cast<float>(text.size());
        const float height = static_cast<float>(font->GetCharHeight());
        const float x = (m_PartWidths[kBack] - width) * 0.5f + m_PartWidths[kClear];
        const float y = (m_PartHeights[kBack] - height) * 0.5f;
        graphics->DrawBitmapFontText(font, text, std::trunc(origin.x + x), std::trunc(origin.y + y),
                                     GxVector2(1.0f, 1.0f), ColorToArgb(m_VisualParam.m_Color0), 0,
                                     m_VisualParam.m_BlendMode);
    }
    graphics->EndSceneNested();
    return 0;
}

// ---- images --------------------------------------------------------------------------------

void GxTaskUISpinButtonIs::ApplyModuleRecord(const DBUIModuleRow* row)
{
    if (!row)
        return;
    GxTaskUIBase::ApplyModuleRecord(row);
    m_ImageSetName = UIImageSetFileOf(this, *row);
    m_ImageName = row->m_ImageName;
}

bool GxTaskUISpinButtonIs::SetImageName(const char16_t* path)
{
    SplitUIImagePath(path ? path : u"", &m_ImageSetName, &m_ImageName);
    return true;
}

bool GxTaskUISpinButtonIs::LoadImages()
{
    GxNcCrammedImageSet* imageSet = FindUIImageSet(m_ImageSetName);
    if (!imageSet) {
        LogPrint(u"GxTaskUISpinButtonIs/ImageSet wasn't Loaded:%s [%s]\n", m_ImageSetName.c_str(),
                 GetTaskPath().c_str());
        return false;
    }
    GxSceneGeneration::Touch();
    for (Part part : {kDown, kUp, kClear}) {
        for (std::int32_t look = 0; look < kLookCount; ++look)
            m_Cells[part][look] = FindUICell(imageSet, m_ImageName + kPartNames[part] + kLookSuffixes[look]);
    }
    m_Cells[kBack][kNormal] = FindUICell(imageSet, m_ImageName + u"_back.png");
    m_Cells[kBack][kDisabled] = FindUICell(imageSet, m_ImageName + u"_backna.png");
    for (Part part : {kDown, kUp}) {
        if (!m_Cells[part][kNormal]) {
            LogPrint(u"GxTaskUISpinButtonIs/Image not found:%s [%s]\n",
                     (m_ImageName + kPartNames[part] + kLookSuffixes[kNormal]).c_str(), GetTaskPath().c_str());
            return false;
        }
    }
    for (Part part : {kDown, kUp, kClear}) {
        if (!m_Cells[part][kPressed])
            m_Cells[part][kPressed] = m_Cells[part][kHover];
        if (!m_Cells[part][kDisabled])
            m_Cells[part][kDisabled] = m_Cells[part][kNormal];
    }
    if (!m_Cells[kBack][kDisabled])
        m_Cells[kBack][kDisabled] = m_Cells[kBack][kNormal];

    bool backHasPattern = false;
    for (Part part : {kDown, kUp, kClear, kBack}) {
        std::int32_t width = 0, height = 0;
        if (GetUICellSize(m_Cells[part][kNormal], &width, &height)) {
            m_PartWidths[part] = static_cast<float>(width);
            m_PartHeights[part] = static_cast<float>(height);
            if (part == kBack)
                backHasPattern = true;
        }
    }
    if (backHasPattern) {
        if (m_Width == 0)
            m_Width = static_cast<std::int32_t>(m_PartWidths[kDown] + m_PartWidths[kUp] + m_PartWidths[kClear] +
                                                m_PartWidths[kBack]);
        if (m_Height == 0)
            m_Height = static_cast<std::int32_t>(m_PartHeights[kBack]);
        if (m_ClientWidth == 0)
            m_ClientWidth = static_cast<std::int32_t>(m_PartWidths[kBack]) - 2 * m_ClientLeft;
        if (m_ClientHeight == 0)
            m_ClientHeight = m_Height - 2 * m_ClientTop;
    }
    return true;
}

void GxTaskUISpinButtonIs::ReleaseImages()
{
    for (auto& cells : m_Cells)
        std::fill(std::begin(cells), std::end(cells), nullptr);
    std::fill(std::begin(m_PartWidths), std::end(m_PartWidths), 0.0f);
    std::fill(std::begin(m_PartHeights), std::end(m_PartHeights), 0.0f);
    GxSceneGeneration::Touch();
}
