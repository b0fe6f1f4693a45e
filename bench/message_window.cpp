// Cost of the message window: laying out a full page (4 lines of 29 full-width characters with
// 4 rubies) by SetText and ShowAll, and drawing that whole window once per frame from warm caches
// (frame texture, 116 characters each with shadow, eight edge copies and body, 4 readings), beside
// a memcpy of the window's pixels (880 x 200 x 4 bytes), the reference measured in the same run.
// The draw is also split into its passes (body only; shadow and body; all three) so that the
// cost per sprite shows.
#include "core/core.h"
#include "core/seq_base.h"
#include "core/task_manage.h"
#include "graphics/draw2d.h"
#include "graphics/gdi_font_map.h"
#include "graphics/system_fonts.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_device.h"
#include "ui/message_window.h"
#include "ui/ui_services.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kWindowWidth = 880;
constexpr std::uint32_t kWindowHeight = 200;

// Four lines of 29 full-width characters, each line opening with a two-character ruby base.
std::u16string FullPage()
{
    const std::u16string rest = u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひ";   // 27
    std::u16string page;
    for (int line = 0; line < 4; ++line)
        page += u"≪漢字／かんじ≫" + rest;
    return page;
}

// A device, the six glyph caches, and a message window in a sequence of a core with the widget
// services, its frame loaded: what the engine has while a message shows.
class MessageStage {
public:
    MessageStage()
    {
        if (!m_Device.Created())
            return;
        static const std::int32_t kSizes[kSystemFontMapCount] = {11, 15, 23, 24, 22, 38};
        for (std::int32_t index = 0; index < kSystemFontMapCount; ++index)
            GetSystemFontMap(index)->SetFont(kSizes[index], nullptr);
        TestImage frame;
        frame.width = kWindowWidth;
        frame.height = kWindowHeight;
        frame.argb.assign(std::size_t(kWindowWidth) * kWindowHeight, 0xFF102030);
        const std::string path = (m_Temp.Path() / "meswin.png").string();
        if (!WriteImageFile(path, BuildPng(PngSpecRgba8(frame))))
            return;
        m_Core.m_WidgetServices = &GetUIServices();
        m_Manage = std::make_unique<GxTaskManage>(&m_Core);
        m_Core.m_TaskManage = m_Manage.get();
        m_Root = new GxTaskBase(m_Manage.get());
        auto* screen = new GxSeqBase(m_Root, u"SeqBench");
        m_Window = new GxTaskUIMessageWindowFx(screen, u"$MESWIN:SeqBench", nullptr, 0);
        m_Window->SetTextRegion(40, 24, 800, 150);
        m_Window->SetPos(GxVector3(72, 540, 0));
        m_Window->SetImageName(std::u16string(path.begin(), path.end()).c_str());
        m_Ready = m_Window->LoadImages();
    }
    ~MessageStage()
    {
        if (m_Window)
            m_Window->ReleaseImages();
        ClearSystemFonts();
        if (m_Manage)
            m_Manage->ReleaseSequences();   // the manager deletes the tree with itself
    }

    bool Ready() const { return m_Ready; }
    GxTaskUIMessageWindowFx* Window() { return m_Window; }

private:
    TestDevice m_Device;
    TestTempDir m_Temp{"tw_bench_message"};
    GxCore m_Core;
    std::unique_ptr<GxTaskManage> m_Manage;
    GxTaskBase* m_Root = nullptr;
    GxTaskUIMessageWindowFx* m_Window = nullptr;
    bool m_Ready = false;
};

void MessagePageLayout(benchmark::State& state)
{
    MessageStage stage;
    if (!stage.Ready()) {
        state.SkipWithError("no device or frame");
        return;
    }
    const std::u16string page = FullPage();
    GxTaskUIMessageWindowFx* window = stage.Window();
    for (auto _ : state) {
        window->SetText(page.c_str(), true, false, false, false);
        window->ShowAll(false, true);
        benchmark::DoNotOptimize(window->GetShowCharCount());
    }
    state.SetItemsProcessed(state.iterations() * 116);
}
BENCHMARK(MessagePageLayout)->Unit(benchmark::kMicrosecond);

// The whole window per frame. Argument: 0 body only, 1 shadow and body, 2 shadow, edge and body.
void MessageWindowDraw(benchmark::State& state)
{
    MessageStage stage;
    if (!stage.Ready()) {
        state.SkipWithError("no device or frame");
        return;
    }
    GxTaskUIMessageWindowFx* window = stage.Window();
    window->SetText(FullPage().c_str(), true, false, false, false);
    window->ShowAll(false, true);
    window->m_UseShadow = state.range(0) >= 1;
    window->m_EdgeColor = state.range(0) >= 2 ? 0x80000000u : 0u;
    window->Draw(0, 0);   // warm the glyph caches
    for (auto _ : state)
        window->Draw(0, 0);
    const std::int64_t spritesPerCharacter = 1 + (state.range(0) >= 1 ? 1 : 0) + (state.range(0) >= 2 ? 8 : 0);
    state.SetItemsProcessed(state.iterations() * (116 * spritesPerCharacter + 4 * 3 * 2));
}
BENCHMARK(MessageWindowDraw)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// The reference: one copy of the window's pixels.
void MemcpyMessageWindowPixels(benchmark::State& state)
{
    std::vector<std::uint32_t> source(std::size_t(kWindowWidth) * kWindowHeight, 0x80FFFFFF);
    std::vector<std::uint32_t> destination(source.size());
    for (auto _ : state) {
        std::memcpy(destination.data(), source.data(), source.size() * 4);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(source.size() * 4));
}
BENCHMARK(MemcpyMessageWindowPixels)->Unit(benchmark::kMicrosecond);

}  // namespace
