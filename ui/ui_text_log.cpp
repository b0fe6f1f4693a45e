#include "ui/ui_text_log.h"

#include "core/scene_generation.h"
#include "data/db_uimodule.h"
#include "foundation/content.h"
#include "foundation/log.h"
#include "graphics/font_data.h"
#include "graphics/gdi_font_map.h"
#include "graphics/system_fonts.h"
#include "graphics/text_layout.h"
#include "ui/image_widget_support.h"
#include "ui/list_widget_support.h"
#include "ui/widget_graphics.h"

#include <algorithm>

namespace {

// The colour's alpha times the actor's alpha / 255.
std::uint32_t UnderAlpha(std::uint32_t argb, std::int32_t alpha)
{
    const double a = static_cast<double>(argb >> 24) * static_cast<double>(std::clamp(alpha, 0, 255)) / 255.0;
    return PackUIColor(a, argb);
}

}  // namespace

GxTaskUITextLogFx::GxTaskUITextLogFx(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                     std::int32_t localIndex)
    : GxTaskUIPanelFx(parent, name, localName, localIndex)
{
    m_TaskType = kUITypeTextLog;
    InitTextLook(this);
}

GxTaskUITextLogFx::~GxTaskUITextLogFx() = default;

void GxTaskUITextLogFx::OnSequenceEnter(std::int32_t)
{
    LoadImages();
    ResetEventState();
    SyncScrollBar();
    m_CrossoutCount = 0;
}

int GxTaskUITextLogFx::Update(std::int32_t step, std::uint64_t elapsed)
{
    if (m_AutoCrossout && !m_Elements.empty()) {
        const std::int64_t ms = static_cast<std::int64_t>(elapsed) / 1000;
        std::int64_t count = static_cast<std::int64_t>(m_CrossoutCount) + ms;
        // At most one element per update; the rest of the time carries over.
        if (count >= m_CrossoutWaitTime) {
            count -= m_CrossoutWaitTime;
            m_Elements.pop_front();
            SyncScrollBar();
            GxSceneGeneration::Touch();
        }
        m_CrossoutCount = static_cast<std::int32_t>(std::clamp<std::int64_t>(count, INT32_MIN, INT32_MAX));
    }
    return GxTaskUIPanelFx::Update(step, elapsed);
}

void GxTaskUITextLogFx::ApplyModuleRecord(const DBUIModuleRow* row)
{
    GxTaskUIPanelFx::ApplyModuleRecord(row);
    if (row)
        SetFontIndex(row->m_FontIndex);
}

void GxTaskUITextLogFx::SetText(const char16_t* text)
{
    AddElement(text, u"", m_TextColor);
}

void GxTaskUITextLogFx::SetFontIndex(std::int32_t index)
{
    SetTextLookFont(this, index, u"GxTaskUITextLogFx");
}

void GxTaskUITextLogFx::SetIconFontIndex(std::int32_t index)
{
    if (index < 0 || index >= kSystemBitmapFontCount) {
        LogPrint(u"GxTaskUITextLogFx/icon font index out of range:%d\n", index);
        return;
    }
    m_IconFontIndex = index;
    GxSceneGeneration::Touch();
}

double GxTaskUITextLogFx::ScrollMax() const
{
    return static_cast<double>(std::max(static_cast<std::int32_t>(m_Elements.size()) - 1, 0));
}

void GxTaskUITextLogFx::AddElement(const char16_t* text, const char16_t* icon, std::uint32_t color)
{
    if (m_Elements.empty())
        m_CrossoutCount = 0;
    GxTextLogElement element;
    element.m_Icon = icon ? icon : u"";
    element.m_Text = text ? text : u"";
    element.m_TextColor = color;
    m_Elements.push_back(std::move(element));
    TrimElements(m_MaxLine);
    if (m_ScrollBar)
        m_ScrollBar->SetMax(ScrollMax());
    if (m_AutoScroll) {
        const std::int32_t count = GetElementCount();
        SetValueInt(count > m_MaxView ? count - m_MaxView : 0);
        if (m_ScrollBar)
            m_ScrollBar->SetValueInt(GetValueInt());
    }
    GxSceneGeneration::Touch();
}

void GxTaskUITextLogFx::Clear()
{
    m_Elements.clear();
    GxSceneGeneration::Touch();
}

void GxTaskUITextLogFx::TrimElements(std::int32_t n)
{
    if (n == 0)
        return;
    // A negative limit holds nothing.
    const std::size_t keep = static_cast<std::size_t>(std::max(n, 0));
    while (m_Elements.size() > keep)
        m_Elements.pop_front();
}

void GxTaskUITextLogFx::SyncScrollBar()
{
    if (!m_ScrollBar)
        return;
    m_ScrollBar->SetMax(ScrollMax());
    m_ScrollBar->SetValue(GetValue());
}

int GxTaskUITextLogFx::Draw(std::int32_t value, std::int32_t listIndex)
{
    GxWidgetGraphicsBase* g = BeginListWidgetDraw(this);
    if (!g)
        return 0;
    GxTaskUIPanelFx::Draw(value, listIndex);

    const GxVector3 at = GetAbsolutePosition();
    const GxVector3 scale3 = GetScale();
    const GxVector2 scale(scale3.x, scale3.y);
    const std::int32_t preset = GetBlendMode();
    const std::uint32_t textColor = UnderAlpha(m_TextColor, GetAlpha());
    const std::uint32_t edgeColor = UnderAlpha(m_EdgeColor, GetAlpha());
    GxFontData* icons = WidgetBitmapFont(m_IconFontIndex);
    const std::int32_t h = icons ? static_cast<std::int32_t>(icons->GetCharHeight()) : 0;
    const std::int32_t w = icons ? static_cast<std::int32_t>(icons->GetCharWidth(u' ')) : 0;
    GxGDIFontMap* font = WidgetFontMap(m_TextFontIndex);
    const std::int64_t size = m_TextFontSize;
    const std::int32_t count = GetElementCount();

    std::int32_t i = GetValueInt();
    // A negative first line would index before the oldest element: nothing is drawn.
    for (std::int32_t k = 0; i >= 0 && i < count; ++k, ++i) {
        const GxTextLogElement& element = m_Elements[static_cast<std::size_t>(i)];
        const double lineY = static_cast<double>(k) * static_cast<double>(size);
        if (icons && !element.m_Icon.empty()) {
            const double iconY = static_cast<double>(m_ClientTop) + lineY + static_cast<double>((size - h) / 2);
            g->DrawBitmapFontText(icons, element.m_Icon, at.x + scale.x * static_cast<float>(m_ClientLeft),
                                  at.y + scale.y * static_cast<float>(iconY), scale, 0xFFFFFFFFu, 0, preset);
        }
        double textX = static_cast<double>(element.m_Icon.size()) * static_cast<double>(w);
        for (char16_t c : element.m_Text) {
            const GxGlyphRecord glyph = font ? font->GetGlyph(c) : GxGlyphRecord{};
            const float x = at.x + scale.x * static_cast<float>(static_cast<double>(m_ClientLeft) + textX);
            const float y = at.y + scale.y * static_cast<float>(static_cast<double>(m_ClientTop) + lineY);
            if (!glyph.IsEmpty()) {
                // Without the edge the body is still drawn.
                if (m_UseEdge)
                    g->DrawGlyphRing(glyph, x, y, 1.0f, scale, edgeColor, 0, preset);
                g->DrawGlyphRecord(glyph, x, y, scale, textColor, 0, preset);
            }
            textX += static_cast<double>((static_cast<std::int64_t>(CharWidthClass(c)) * size) / 2 + 1);
        }
        // At least one line, whatever m_MaxView.
        if (k + 1 >= m_MaxView)
            break;
    }
    g->EndSceneNested();
    return 0;
}

bool GxTaskUITextLogFx::WriteState(GxContentWriterBase& writer)
{
    bool ok = GxTaskUIPanelFx::WriteState(writer);
    ok = WriteTextLook(writer) && ok;
    ok = writer.WriteS32("m_MaxLine", m_MaxLine) && ok;
    ok = writer.WriteS32("m_MaxView", m_MaxView) && ok;
    ok = writer.WriteBool("m_AutoScroll", m_AutoScroll) && ok;
    ok = writer.WriteBool("m_AutoCrossout", m_AutoCrossout) && ok;
    ok = writer.WriteS32("m_CrossoutWaitTime", m_CrossoutWaitTime) && ok;
    ok = writer.WriteS32("m_CrossoutCount", m_CrossoutCount) && ok;
    ok = writer.WriteListBegin("GxTextLogElement", "", static_cast<std::uint32_t>(m_Elements.size())) && ok;
    for (const GxTextLogElement& element : m_Elements) {
        writer.WriteListElementBegin();
        ok = writer.WriteWString("m_Icon", element.m_Icon) && ok;
        ok = writer.WriteWString("m_Text", element.m_Text) && ok;
        ok = writer.WriteWString("m_Link", element.m_Link) && ok;
        ok = writer.WriteU32("m_TextColor", element.m_TextColor) && ok;
        writer.WriteListElementEnd();
    }
    ok = writer.WriteListEnd() && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxTaskUITextLogFx::ReadState(GxContentReaderBase& reader)
{
    GxTaskUIPanelFx::ReadState(reader);
    ReadTextLook(reader, u"GxTaskUITextLogFx");
    ReadUIField(reader, "m_MaxLine", m_MaxLine);
    ReadUIField(reader, "m_MaxView", m_MaxView);
    ReadUIField(reader, "m_AutoScroll", m_AutoScroll);
    ReadUIField(reader, "m_AutoCrossout", m_AutoCrossout);
    ReadUIField(reader, "m_CrossoutWaitTime", m_CrossoutWaitTime);
    ReadUIField(reader, "m_CrossoutCount", m_CrossoutCount);

    // The stored count is not trusted: elements are read one by one until the count is reached
    // or one fails to read, so a damaged count never sizes the log.
    m_Elements.clear();
    std::uint32_t count = 0;
    if (reader.ReadListBegin("GxTextLogElement", &count)) {
        for (std::uint32_t n = 0; n < count; ++n) {
            const std::int32_t errors = reader.GetErrorCount();
            GxTextLogElement element;
            reader.ReadListElementBegin();
            element.m_Icon = reader.ReadWString("m_Icon");
            element.m_Text = reader.ReadWString("m_Text");
            element.m_Link = reader.ReadWString("m_Link");
            reader.ReadU32("m_TextColor", &element.m_TextColor);
            reader.ReadListElementEnd();
            if (reader.GetErrorCount() != errors)
                break;
            m_Elements.push_back(std::move(element));
        }
        reader.ReadListEnd();
    }
    if (m_ScrollBar) {
        m_ScrollBar->SetMax(ScrollMax());
        m_ScrollBar->SetValueInt(GetValueInt());
    }
    GxSceneGeneration::Touch();
    return reader.GetErrorCount() == 0;
}
