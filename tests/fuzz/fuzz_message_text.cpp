// Fuzz target: any UTF-16 text through the message window: SetText, a few paced updates, clicks,
// show-all, and a draw into a seam that only counts. Byte 0 holds the flags (bit 0 line-breaking
// rules off, bit 1 no automatic line break, bit 2 read before, bit 3 automatic click wait, bits 4
// to 7 the text font); the rest is the text in UTF-16LE (an odd last byte is dropped).
#include "core/core.h"
#include "core/seq_base.h"
#include "core/task_manage.h"
#include "graphics/gdi_font_map.h"
#include "graphics/graphics.h"
#include "graphics/system_fonts.h"
#include "ui/message_window.h"
#include "ui/ui_services.h"
#include "ui/widget_graphics.h"

#include "platform/d3d9/virtual_adapter.h"
#include "platform/win32/message_box.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// Counts the draws; the glyphs themselves are still looked up (and cached) by the window.
class CountingGraphics : public GxWidgetGraphicsBase {
public:
    void ResetRenderStates() override {}
    bool BeginSceneNested() override { return true; }
    bool EndSceneNested() override { return true; }
    void SetTextureFilter(std::int32_t) override {}
    void DrawFlexTexture(GxTextureFlex*, float, float, const GxVector2&, const GxVector3&, const GxVector2&,
                         std::uint32_t, std::uint32_t, std::int32_t) override
    {
        ++m_Calls;
    }
    void DrawGlyphRecord(const GxGlyphRecord&, float, float, const GxVector2&, std::uint32_t, std::uint32_t,
                         std::int32_t) override
    {
        ++m_Calls;
    }
    void DrawGlyphRing(const GxGlyphRecord&, float, float, float, const GxVector2&, std::uint32_t, std::uint32_t,
                       std::int32_t) override
    {
        ++m_Calls;
    }
    std::size_t m_Calls = 0;
};

struct Stage {
    Stage()
    {
        platform::SetMessageBoxHeadless(true);
        platform::d3d9::SetVirtualAdapter(platform::d3d9::DefaultVirtualAdapter());
        m_Started =
            GxGraphics::CreateDevice(reinterpret_cast<HWND>(std::uintptr_t(0x2345)), nullptr, nullptr, nullptr);
        static const std::int32_t kSizes[kSystemFontMapCount] = {11, 15, 23, 24, 22, 38};
        for (std::int32_t index = 0; index < kSystemFontMapCount; ++index)
            GetSystemFontMap(index)->SetFont(kSizes[index], nullptr);
        m_Core.m_WidgetServices = &GetUIServices();
        m_Manage = new GxTaskManage(&m_Core);
        m_Core.m_TaskManage = m_Manage;
        m_Root = new GxTaskBase(m_Manage);
        m_Screen = new GxSeqBase(m_Root, u"SeqFuzz");
        m_Window = new GxTaskUIMessageWindowFx(m_Screen, u"$MESWIN:SeqFuzz", nullptr, 0);
        m_Window->SetTextRegion(40, 24, 800, 150);
        SetWidgetGraphics(&m_Graphics);
    }

    bool m_Started = false;
    GxCore m_Core;
    GxTaskManage* m_Manage = nullptr;   // lives for the process, with its tree
    GxTaskBase* m_Root = nullptr;
    GxSeqBase* m_Screen = nullptr;
    GxTaskUIMessageWindowFx* m_Window = nullptr;
    CountingGraphics m_Graphics;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Stage* stage = new Stage();
    if (!stage->m_Started || size < 1 || size > (1u << 16))
        return 0;
    const std::uint8_t flags = data[0];
    std::u16string text;
    for (std::size_t i = 1; i + 1 < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));

    GxTaskUIMessageWindowFx* window = stage->m_Window;
    window->SetTextFont(flags >> 4);   // 6 to 15 are refused and logged
    window->SetText(text.c_str(), (flags & 8) != 0, (flags & 4) != 0, (flags & 1) != 0, (flags & 2) != 0);
    for (int frame = 0; frame < 4; ++frame) {
        window->Update(0, 100000);
        if (window->IsClickWaiting())
            window->Advance();
    }
    window->Advance();
    window->ShowAll(false, false);
    window->ShowAll(false, true);
    window->Draw(0, 0);
    window->ClearText();
    return 0;
}
