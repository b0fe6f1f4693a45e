// GxTaskUITextLogFx (UI type 51): an image panel keeping a first-in, first-out log of one-line
// elements (an optional icon string in a bitmap font, then a text drawn glyph by glyph with an
// optional edge) and showing a window of them from the element its value names. It keeps at
// most m_MaxLine elements, can scroll itself to the newest, can drop the oldest element at a
// fixed interval (crossout), and keeps an attached scroll widget in step. Lines never wrap.
#pragma once

#include "ui/list_widget_support.h"
#include "ui/ui_panel.h"

#include <cstdint>
#include <deque>
#include <string>

constexpr std::int32_t kUITypeTextLog = 51;

struct GxTextLogElement {
    std::u16string m_Icon;
    std::u16string m_Text;
    std::u16string m_Link;   // kept and saved; nothing reads it
    std::uint32_t m_TextColor = 0xFFFFFFFFu;   // kept and saved; lines use the widget's colour
};

class GxTaskUITextLogFx : public GxTaskUIPanelFx, public GxWidgetTextLook {
public:
    GxTaskUITextLogFx(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex);
    ~GxTaskUITextLogFx() override;

    // Images, event state, the scroll widget; the crossout time starts from 0.
    void OnSequenceEnter(std::int32_t worker) override;
    // The crossout step, then the panel update.
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    int Draw(std::int32_t value, std::int32_t listIndex) override;
    bool WriteState(GxContentWriterBase& writer) override;
    // A damaged element list ends at its first element that does not read.
    bool ReadState(GxContentReaderBase& reader) override;
    void ApplyModuleRecord(const DBUIModuleRow* row) override;
    // Appends a line; it never replaces the log.
    void SetText(const char16_t* text) override;

    // Refused, with a log line, outside the six system glyph caches.
    virtual void SetFontIndex(std::int32_t index);
    // Refused, with a log line, outside the system bitmap fonts.
    virtual void SetIconFontIndex(std::int32_t index);
    virtual void SetTextColor(std::uint32_t argb) { m_TextColor = argb; }
    virtual void SetEdgeColor(std::uint32_t argb) { m_EdgeColor = argb; }
    virtual void AddElement(const char16_t* text, const char16_t* icon, std::uint32_t color);
    // The value, the scroll widget and the crossout time stay.
    virtual void Clear();
    virtual std::int32_t GetElementCount() const { return static_cast<std::int32_t>(m_Elements.size()); }
    // Not trimmed at once.
    virtual void SetMaxLine(std::int32_t lines) { m_MaxLine = lines; }
    virtual std::int32_t GetMaxLine() const { return m_MaxLine; }
    virtual void SetMaxView(std::int32_t lines) { m_MaxView = lines; }
    virtual std::int32_t GetMaxView() const { return m_MaxView; }
    // Drops the oldest elements until n remain; 0 keeps all.
    virtual void TrimElements(std::int32_t n);
    virtual void SetAutoScroll(bool on) { m_AutoScroll = on; }
    virtual bool GetAutoScroll() const { return m_AutoScroll; }
    virtual void SetAutoCrossout(bool on) { m_AutoCrossout = on; }
    virtual bool GetAutoCrossout() const { return m_AutoCrossout; }
    virtual void SetCrossoutWaitTime(std::int32_t ms) { m_CrossoutWaitTime = ms; }
    virtual std::int32_t GetCrossoutWaitTime() const { return m_CrossoutWaitTime; }
    // Not owned; nothing is synchronised at once.
    virtual void SetScrollBar(GxTaskUIBase* widget) { m_ScrollBar = widget; }
    virtual void SyncScrollBar();

    const std::deque<GxTextLogElement>& GetElements() const { return m_Elements; }
    std::int32_t GetCrossoutCount() const { return m_CrossoutCount; }

    std::int32_t m_IconFontIndex = 0;   // not saved
    std::int32_t m_MaxLine = 100;
    std::int32_t m_MaxView = 16;
    bool m_AutoScroll = true;
    bool m_AutoCrossout = false;
    std::int32_t m_CrossoutWaitTime = 3000;
    std::int32_t m_CrossoutCount = 0;

private:
    // The scroll widget's maximum: the last element's index, at least 0.
    double ScrollMax() const;

    std::deque<GxTextLogElement> m_Elements;
    GxTaskUIBase* m_ScrollBar = nullptr;
};
