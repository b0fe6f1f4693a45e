#include "ui/message_window.h"

#include "core/scene_generation.h"
#include "core/task_manage.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "foundation/content.h"
#include "graphics/font_data.h"
#include "graphics/gdi_font_map.h"
#include "graphics/system_fonts.h"
#include "graphics/text_layout.h"
#include "ui/image_widget_support.h"
#include "ui/widget_config.h"
#include "ui/widget_graphics.h"

#include <algorithm>
#include <cmath>

namespace {

// Shadows, edges and the built-in font's copies draw with this preset; the body with the actor's.
constexpr std::int32_t kShadowPreset = 2;
constexpr float kEdgeDistance = 1.0f;

}  // namespace

GxTaskUIMessageWindowFx::GxTaskUIMessageWindowFx(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                                 std::int32_t localIndex)
    : GxTaskUITextWindowBase(parent, name, localName, localIndex, GxTextStepStyle::kMessageWindow,
                             u"GxTaskUIMessageWindowFx")
{
    m_TaskType = kUITypeMessageWindow;
    const GxSystemConfig& config = GetWidgetSystemConfig(this);
    m_TextFontSize = config.m_FontSize[2];
    m_RubyFontSize = config.m_FontSize[0];
    m_LetterMarginWidth = 4;
    m_RubyMarginHeight = config.m_FontSize[0];
    m_TextTotalHeight = config.m_FontSize[2] + config.m_FontSize[0] + 1;
    m_TextColor = config.m_MesWinTextColor0;
    m_ShadowColor = config.m_MesWinShadowColor;
    m_EdgeColor = config.m_MesWinEdgeColor;
}

GxTaskUIMessageWindowFx::~GxTaskUIMessageWindowFx() = default;

std::int32_t GxTaskUIMessageWindowFx::GetTextWaitTime() const
{
    return GetWidgetUserConfig(this).m_TextWaitTime;
}

std::int32_t GxTaskUIMessageWindowFx::GetTextLongWaitTime() const
{
    return GetWidgetUserConfig(this).m_TextLongWaitTime;
}

std::uint32_t GxTaskUIMessageWindowFx::GetDefaultTextColor() const
{
    return GetWidgetSystemConfig(this).m_MesWinTextColor0;
}

void GxTaskUIMessageWindowFx::SetText(const char16_t* text)
{
    SetText(text, true, false, false, false);
}

void GxTaskUIMessageWindowFx::SetText(const char16_t* text, bool enableAutoClickWait, bool readed,
                                      bool ignoreKinsoku, bool disableAutoNewline)
{
    ClearText();
    m_Text = text ? text : u"";
    m_EnableAutoClickWait = enableAutoClickWait;
    m_ReadedFlag = readed;
    m_IgnoreKinsoku = ignoreKinsoku;
    m_DisenableAutoNewline = disableAutoNewline;
    m_TextColor = GetWidgetSystemConfig(this).m_MesWinTextColor0;
    if (m_ReadedFlag && GetWidgetUserConfig(this).m_FastShowReadedText)
        ShowAll(true, true);
}

void GxTaskUIMessageWindowFx::ClearText()
{
    m_Text.clear();
    NewPage();
    m_RubyMode = false;
    m_ProcessPos = 0;
    m_ChangeColor = false;
    m_EnableAutoClickWait = false;
    m_ClickWaiting = false;
    // The text is drawn inside the window.
    TouchDrawnArea();
}

void GxTaskUIMessageWindowFx::SetProcessPos(std::int32_t position)
{
    m_ProcessPos = std::clamp(position, 0, GetTextLength());
}

int GxTaskUIMessageWindowFx::Update(std::int32_t step, std::uint64_t elapsed)
{
    UIPanelUpdate(this, step, elapsed);
    m_WaitTimeLeft = AddWaitClamped(m_WaitTimeLeft, -static_cast<std::int64_t>(elapsed / 1000));
    if (m_WaitTimeLeft <= 0) {
        while (GetRemainingChars() != 0 && !m_ClickWaiting) {
            if (StepChar()) {
                if (GxTaskManage* manage = GetManage())
                    manage->SetStopRequest(true);
                break;
            }
            if (m_WaitTimeLeft > 0)
                break;
        }
    }
    if (m_WaitTimeLeft < 0)
        m_WaitTimeLeft = 0;
    return 0;
}

bool GxTaskUIMessageWindowFx::Advance()
{
    m_WaitTimeLeft = 0;
    if (m_ClickWaiting) {
        m_ClickWaiting = false;
        TouchDrawnArea();
        return GetRemainingChars() == 0;
    }
    if (GetRemainingChars() > 0)
        ShowAll(false, false);
    return false;
}

bool GxTaskUIMessageWindowFx::ShowAll(bool onlyIfRead, bool throughClickWaits)
{
    m_WaitTimeLeft = 0;
    if (onlyIfRead && !m_ReadedFlag)
        return false;
    if (!throughClickWaits && m_ClickWaiting)
        return true;
    if (GetRemainingChars() == 0)
        return false;
    do {
        StepChar();
        if (!throughClickWaits && m_ClickWaiting)
            return true;
    } while (GetRemainingChars() != 0);
    return false;
}

// ---- drawing -------------------------------------------------------------------------------

void GxTaskUIMessageWindowFx::DrawWindowText(float alpha, const GxVector3& origin, const GxVector2& scale)
{
    DrawRubies(alpha, origin, scale, m_TextTotalHeight);
    DrawCharacters(alpha, origin, scale);
}

void GxTaskUIMessageWindowFx::DrawCharacters(float alpha, const GxVector3& origin, const GxVector2& scale)
{
    GxWidgetGraphicsBase* graphics = GetWidgetGraphics();
    const GxSystemConfig& config = GetWidgetSystemConfig(this);
    const bool readColour = m_ReadedFlag && GetWidgetUserConfig(this).m_ChangeColorReadedText;
    const std::uint32_t plainColor = readColour ? config.m_MesWinTextColor1 : config.m_MesWinTextColor0;
    const std::uint32_t shadowColor = ScaleAlpha(m_ShadowColor, alpha);
    // The edge fades with the window, or a faded window would leave its text as outlines.
    const std::uint32_t edgeColor = ScaleAlpha(m_EdgeColor, alpha);
    const float shadowOffset = m_EdgeColor != 0 ? 3.0f : 2.0f;
    const std::int32_t preset = m_VisualParam.m_BlendMode;
    const auto colorOf = [&](const GxShowChar& shown) {
        return ScaleAlpha(shown.m_ChangeColorFlag ? shown.m_Color : plainColor, alpha);
    };
    const auto screenX = [&](float gx) { return origin.x + scale.x * gx; };
    const auto screenY = [&](float gy) { return origin.y + scale.y * gy; };

    if (config.m_MesWinTextBuiltinFontName.empty()) {
        GxGDIFontMap* fontMap = FontMapOf(m_TextFontIndex);
        if (!fontMap)
            return;
        for (const GxShowChar& shown : m_ShowChars) {
            const GxGlyphRecord glyph = fontMap->GetGlyph(static_cast<char16_t>(shown.m_Char));
            if (glyph.IsEmpty())
                continue;   // its advance was made when it was revealed
            const float gx = static_cast<float>(m_TextRegionLeft) + shown.m_OffsetPos.x;
            const float gy = static_cast<float>(m_TextRegionTop) + shown.m_OffsetPos.y +
                             static_cast<float>(m_RubyMarginHeight);
            if (m_UseShadow)
                graphics->DrawGlyphRecord(glyph, screenX(gx + shadowOffset), screenY(gy + shadowOffset), scale,
                                          shadowColor, 0, kShadowPreset);
            if (m_EdgeColor != 0)
                graphics->DrawGlyphRing(glyph, screenX(gx), screenY(gy), kEdgeDistance, scale, edgeColor, 0,
                                        kShadowPreset);
            graphics->DrawGlyphRecord(glyph, screenX(gx), screenY(gy), scale, colorOf(shown), 0, preset);
        }
        return;
    }

    GxFontData* font = GetSystemBitmapFont(kBuiltinMessageFontIndex);
    if (!font || !font->IsLoaded())
        return;
    for (const GxShowChar& shown : m_ShowChars) {
        const char16_t c = static_cast<char16_t>(shown.m_Char);
        if (!font->HasChar(c))
            continue;
        const std::u16string one(1, c);
        const double cell = CharWidthClass(c) * static_cast<double>(m_TextFontSize) * 0.5;
        const float gx = std::trunc(static_cast<float>(m_TextRegionLeft + shown.m_OffsetPos.x +
                                                       (cell - static_cast<double>(font->GetCharWidth(c))) * 0.5));
        const float gy = std::trunc(static_cast<float>(m_TextRegionTop) + shown.m_OffsetPos.y +
                                    static_cast<float>(m_RubyMarginHeight));
        if (m_UseShadow)
            graphics->DrawBitmapFontText(font, one, screenX(gx + shadowOffset), screenY(gy + shadowOffset), scale,
                                         shadowColor, 0, kShadowPreset);
        if (m_EdgeColor != 0) {
            static constexpr float kDiagonals[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
            for (const auto& d : kDiagonals)
                graphics->DrawBitmapFontText(font, one, screenX(gx + d[0]), screenY(gy + d[1]), scale, edgeColor, 0,
                                             kShadowPreset);
        }
        graphics->DrawBitmapFontText(font, one, screenX(gx), screenY(gy), scale, colorOf(shown), 0, preset);
    }
}

// ---- saved state ---------------------------------------------------------------------------

bool GxTaskUIMessageWindowFx::WriteState(GxContentWriterBase& writer)
{
    GxTaskUIPanelFx::WriteState(writer);   // its result is not the window's
    writer.WriteWString("m_Text", m_Text);
    writer.WriteListBegin("m_ShowChars", "", static_cast<std::uint32_t>(m_ShowChars.size()));
    for (const GxShowChar& shown : m_ShowChars) {
        writer.WriteListElementBegin();
        writer.WriteU16("m_Char", shown.m_Char);
        writer.WriteVector3("m_OffsetPos", &shown.m_OffsetPos);
        writer.WriteU32("m_Color", shown.m_Color);
        writer.WriteBool("m_ChangeColorFlag", shown.m_ChangeColorFlag);
        writer.WriteListElementEnd();
    }
    writer.WriteListEnd();
    writer.WriteListBegin("m_Rubies", "", static_cast<std::uint32_t>(m_Rubies.size()));
    for (const GxRubyInfo& ruby : m_Rubies) {
        writer.WriteListElementBegin();
        writer.WriteWString("m_Text", ruby.m_Text);
        writer.WriteS32("m_RubyCharWidth", ruby.m_RubyCharWidth);
        writer.WriteS32("m_RubyUnderCharWidth", ruby.m_RubyUnderCharWidth);
        writer.WriteVector3("m_OffsetPos", &ruby.m_OffsetPos);
        writer.WriteListElementEnd();
    }
    writer.WriteListEnd();
    writer.WriteS32("m_TextRegionLeft", m_TextRegionLeft);
    writer.WriteS32("m_TextRegionTop", m_TextRegionTop);
    writer.WriteS32("m_TextRegionWidth", m_TextRegionWidth);
    writer.WriteS32("m_TextRegionHeight", m_TextRegionHeight);
    writer.WriteS32("m_TextFontIndex", m_TextFontIndex);
    writer.WriteS32("m_RubyFontIndex", m_RubyFontIndex);
    writer.WriteS32("m_TextFontSize", m_TextFontSize);
    writer.WriteS32("m_RubyFontSize", m_RubyFontSize);
    writer.WriteS32("m_LetterMarginWidth", m_LetterMarginWidth);
    writer.WriteS32("m_RubyMarginHeight", m_RubyMarginHeight);
    writer.WriteS32("m_TextTotalHeight", m_TextTotalHeight);
    writer.WriteS32("m_ProcessPos", m_ProcessPos);
    writer.WriteBool("m_RubyMode", m_RubyMode);
    writer.WriteS32("m_CursorX", m_CursorX);
    writer.WriteS32("m_CursorY", m_CursorY);
    writer.WriteU32("m_TextColor", m_TextColor);
    writer.WriteU32("m_ShadowColor", m_ShadowColor);
    writer.WriteBool("m_ChangeColor", m_ChangeColor);
    writer.WriteBool("m_VisibleText", m_VisibleText);
    writer.WriteBool("m_UseShadow", m_UseShadow);
    writer.WriteBool("m_EnableAutoClickWait", m_EnableAutoClickWait);
    writer.WriteBool("m_ClickWaiting", m_ClickWaiting);
    writer.WriteBool("m_ReadedFlag", m_ReadedFlag);
    writer.WriteBool("m_IgnoreKinsoku", m_IgnoreKinsoku);
    writer.WriteBool("m_DisenableAutoNewline", m_DisenableAutoNewline);
    writer.WriteS32("m_WaitTimeLeft", m_WaitTimeLeft);
    return true;
}

bool GxTaskUIMessageWindowFx::ReadState(GxContentReaderBase& reader)
{
    ClearText();
    GxTaskUIPanelFx::ReadState(reader);
    ReadUIField(reader, "m_Text", m_Text);

    // The stored counts are not trusted: records are taken one by one until one fails to read.
    std::uint32_t count = 0;
    if (reader.ReadListBegin("m_ShowChars", &count)) {
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::int32_t errors = reader.GetErrorCount();
            GxShowChar shown;
            reader.ReadListElementBegin();
            reader.ReadU16("m_Char", &shown.m_Char);
            reader.ReadVector3("m_OffsetPos", &shown.m_OffsetPos);
            reader.ReadU32("m_Color", &shown.m_Color);
            reader.ReadBool("m_ChangeColorFlag", &shown.m_ChangeColorFlag);
            reader.ReadListElementEnd();
            if (reader.GetErrorCount() != errors)
                break;
            shown.m_OffsetPos = HoldUIExtent(shown.m_OffsetPos);
            m_ShowChars.push_back(shown);
        }
        reader.ReadListEnd();
    }
    count = 0;
    if (reader.ReadListBegin("m_Rubies", &count)) {
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::int32_t errors = reader.GetErrorCount();
            GxRubyInfo ruby;
            reader.ReadListElementBegin();
            ruby.m_Text = reader.ReadWString("m_Text");
            reader.ReadS32("m_RubyCharWidth", &ruby.m_RubyCharWidth);
            reader.ReadS32("m_RubyUnderCharWidth", &ruby.m_RubyUnderCharWidth);
            reader.ReadVector3("m_OffsetPos", &ruby.m_OffsetPos);
            reader.ReadListElementEnd();
            if (reader.GetErrorCount() != errors)
                break;
            ruby.m_RubyCharWidth = HoldUIExtent(ruby.m_RubyCharWidth);
            ruby.m_RubyUnderCharWidth = HoldUIExtent(ruby.m_RubyUnderCharWidth);
            ruby.m_OffsetPos = HoldUIExtent(ruby.m_OffsetPos);
            m_Rubies.push_back(std::move(ruby));
        }
        reader.ReadListEnd();
    }
    ReadUIExtent(reader, "m_TextRegionLeft", m_TextRegionLeft);
    ReadUIExtent(reader, "m_TextRegionTop", m_TextRegionTop);
    ReadUIExtent(reader, "m_TextRegionWidth", m_TextRegionWidth);
    ReadUIExtent(reader, "m_TextRegionHeight", m_TextRegionHeight);
    ReadUIField(reader, "m_TextFontIndex", m_TextFontIndex);
    ReadUIField(reader, "m_RubyFontIndex", m_RubyFontIndex);
    ReadUIExtent(reader, "m_TextFontSize", m_TextFontSize);
    ReadUIExtent(reader, "m_RubyFontSize", m_RubyFontSize);
    ReadUIExtent(reader, "m_LetterMarginWidth", m_LetterMarginWidth);
    ReadUIExtent(reader, "m_RubyMarginHeight", m_RubyMarginHeight);
    ReadUIExtent(reader, "m_TextTotalHeight", m_TextTotalHeight);
    ReadUIField(reader, "m_ProcessPos", m_ProcessPos);
    ReadUIField(reader, "m_RubyMode", m_RubyMode);
    ReadUIExtent(reader, "m_CursorX", m_CursorX);
    ReadUIExtent(reader, "m_CursorY", m_CursorY);
    ReadUIField(reader, "m_TextColor", m_TextColor);
    ReadUIField(reader, "m_ShadowColor", m_ShadowColor);
    ReadUIField(reader, "m_ChangeColor", m_ChangeColor);
    ReadUIField(reader, "m_VisibleText", m_VisibleText);
    ReadUIField(reader, "m_UseShadow", m_UseShadow);
    ReadUIField(reader, "m_EnableAutoClickWait", m_EnableAutoClickWait);
    ReadUIField(reader, "m_ClickWaiting", m_ClickWaiting);
    ReadUIField(reader, "m_ReadedFlag", m_ReadedFlag);
    ReadUIField(reader, "m_IgnoreKinsoku", m_IgnoreKinsoku);
    ReadUIField(reader, "m_DisenableAutoNewline", m_DisenableAutoNewline);
    ReadUIField(reader, "m_WaitTimeLeft", m_WaitTimeLeft);
    // A damaged save may bring a position outside the text.
    m_ProcessPos = std::clamp(m_ProcessPos, 0, GetTextLength());
    m_ReadedFlag = true;
    GxSceneGeneration::Touch();
    return true;
}
