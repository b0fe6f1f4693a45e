#include "ui/ui_timer_button.h"

#include "core/scene_generation.h"
#include "foundation/content.h"
#include "foundation/log.h"
#include "motion/crammed_image_set.h"
#include "ui/image_widget_support.h"
#include "ui/widget_graphics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr const char16_t* kTimerSuffixes[7] = {u"_off.png",  u"_on.png",     u"_over.png", u"_na.png",
                                               u"_back.png", u"_backna.png", u"_mid.png"};

}  // namespace

GxVector3 FillOrigin(const GxVector3& position, std::int32_t clientLeft, std::int32_t clientTop,
                     const GxNcPattern& pattern)
{
    const auto offset = [](std::int32_t client, std::int32_t crammed) {
        return static_cast<float>(static_cast<std::int64_t>(client) - crammed);
    };
    return GxVector3(position.x + offset(clientLeft, pattern.m_CrammedOffsetLeft),
                     position.y + offset(clientTop, pattern.m_CrammedOffsetTop), position.z);
}

GxRect FillClip(std::int32_t clientLeft, std::int32_t clientTop, std::int32_t filledWidth, std::int32_t clientHeight)
{
    const auto held = [](std::int64_t v) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    return GxRect{clientLeft, clientTop, held(static_cast<std::int64_t>(clientLeft) + filledWidth),
                  held(static_cast<std::int64_t>(clientTop) + clientHeight)};
}

GxTaskUITimerButtonIs::GxTaskUITimerButtonIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                             std::int32_t localIndex)
    : GxTaskUIButtonIs(parent, name, localName, localIndex)
{
    m_TaskType = kUITypeTimerButton;
}

GxTaskUITimerButtonIs::~GxTaskUITimerButtonIs() = default;

// ---- value ---------------------------------------------------------------------------------

void GxTaskUITimerButtonIs::SetValue(double value)
{
    SetValueInRange(value);
}

void GxTaskUITimerButtonIs::SetMax(double max)
{
    m_Max = max;
    SetValue(m_Value);
}

void GxTaskUITimerButtonIs::SetMin(double min)
{
    m_Min = min;
    SetValue(m_Value);
}

bool GxTaskUITimerButtonIs::IsAutoEnabled() const
{
    switch (m_AutoEnableMode) {
    case 1: return m_Value >= m_Max;
    case 2: return m_Value <= m_Min;
    case 3: return m_Value < m_Max;
    case 4: return m_Value > m_Min;
    default: return true;
    }
}

double GxTaskUITimerButtonIs::GetProgress() const
{
    return m_Max == m_Min ? 0.0 : (m_Value - m_Min) / (m_Max - m_Min);
}

// ---- frame ---------------------------------------------------------------------------------

int GxTaskUITimerButtonIs::Update(std::int32_t step, std::uint64_t elapsed)
{
    GxTaskUIButtonIs::Update(step, elapsed);
    SetValue(m_AutoCountUpValue + m_Value);
    return 0;
}

int GxTaskUITimerButtonIs::Draw(std::int32_t, std::int32_t)
{
    if (!IsUIWidgetDrawn(this))
        return 0;
    OpenDraw();
    const bool enabled = IsEnabled() && IsAutoEnabled();
    const GxNcOriginImage* face = enabled ? GetIndexedImage() : m_StateImages[kButtonImageDisabled];
    const GxNcOriginImage* back = m_StateImages[enabled ? kTimerImageBack : kTimerImageBackNa];
    const float faceAlpha = static_cast<float>(m_ImageAlpha) * static_cast<float>(GetAlpha()) / 255.0f / 255.0f;
    DrawCell(back, faceAlpha);

    const double progress = GetProgress();
    const GxNcOriginImage* fill = m_StateImages[kTimerImageFill];
    // An index outside the fill cell's patterns draws no fill.
    if (fill && progress > 0.0 && progress < 1.0 && m_PatternIndex >= 0 &&
        static_cast<std::size_t>(m_PatternIndex) < fill->m_PatternArray.size()) {
        const GxNcPattern& pattern = fill->m_PatternArray[static_cast<std::size_t>(m_PatternIndex)];
        const GxVector3 position = GetAbsolutePosition();
        const GxVector3 at = FillOrigin(position, m_ClientLeft, m_ClientTop, pattern);
        const std::int32_t filled = static_cast<std::int32_t>(static_cast<double>(m_ClientWidth) * progress);
        const GxRect clip = FillClip(m_ClientLeft, m_ClientTop, filled, m_ClientHeight);
        const GxActorVisualParam& visual = m_VisualParam;
        GetWidgetGraphics()->DrawImagePatternClipped(
            fill, m_PatternIndex, clip, MakeUITransform(*this, at, visual.m_CenterPos),
            std::clamp(static_cast<float>(GetAlpha()) / 255.0f, 0.0f, 1.0f), visual.m_Color0, visual.m_Color1,
            visual.m_BlendMode);
    }

    DrawCell(face, faceAlpha);
    CloseDraw();
    return 0;
}

// ---- input ---------------------------------------------------------------------------------

int GxTaskUITimerButtonIs::OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick)
{
    if (!point || !IsUIInputOpen(this) || !IsAutoEnabled())
        return 0;
    return PressClient(*point, keys, doubleClick, false);
}

// ---- images --------------------------------------------------------------------------------

bool GxTaskUITimerButtonIs::LoadImages()
{
    if (!LoadButtonCells(kTimerSuffixes, 7, u"GxTaskUITimerButtonIs"))
        return false;
    if (!m_StateImages[kTimerImageBackNa])
        m_StateImages[kTimerImageBackNa] = m_StateImages[kTimerImageBack];
    return true;
}

// ---- saved state ---------------------------------------------------------------------------

bool GxTaskUITimerButtonIs::WriteState(GxContentWriterBase& writer)
{
    GxTaskUIButtonIs::WriteState(writer);
    writer.WriteS32("m_AutoEnableMode", m_AutoEnableMode);
    writer.WriteF64("m_AutoCountUpValue", m_AutoCountUpValue);
    return writer.GetErrorCount() == 0;
}

bool GxTaskUITimerButtonIs::ReadState(GxContentReaderBase& reader)
{
    GxTaskUIButtonIs::ReadState(reader);
    ReadUIField(reader, "m_AutoEnableMode", m_AutoEnableMode);
    double countUp = m_AutoCountUpValue;
    if (reader.ReadF64("m_AutoCountUpValue", &countUp))
        m_AutoCountUpValue = countUp;
    return reader.GetErrorCount() == 0;
}
