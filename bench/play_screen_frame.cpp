// Cost of one play-screen frame: a 1024 x 768 background, three 256 x 512 standing characters and
// the message window with 100 revealed characters, through the screen's update, render walk and
// render lists (PlayScreenFrame), beside drawing the same pictures directly with the 2D routines
// and the window's own draw, after the same clear (DirectDraw), the reference measured in the
// same run. Goal: the frame at most 1.2 x the direct drawing.
#include "avg/global_render_target.h"
#include "avg/seq_avg_main.h"
#include "core/core.h"
#include "core/layer_content.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/data_tables.h"
#include "data/db_avgchar.h"
#include "graphics/draw2d.h"
#include "graphics/gdi_font_map.h"
#include "graphics/graphics.h"
#include "graphics/system_fonts.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/ui/harness/ui_harness.h"
#include "tests/support/ui/message_window_rows.h"
#include "tests/support/ui/ui_layout_builder.h"
#include "ui/message_window.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char16_t* kStands[] = {u"A", u"B", u"C"};

// The harness with the play screen entered and showing its page.
class PlayStage {
public:
    PlayStage()
    {
        if (!m_Harness.Ok())
            return;
        static const std::int32_t kSizes[kSystemFontMapCount] = {11, 15, 23, 24, 22, 38};
        for (std::int32_t index = 0; index < kSystemFontMapCount; ++index)
            GetSystemFontMap(index)->SetFont(kSizes[index], nullptr);
        const std::filesystem::path folder = m_Harness.Folder();
        if (!WriteMessageWindowFrame(folder / "cg" / "ui") ||
            !WriteUITables(folder, {MessageWindowModuleRow((folder / "cg" / "ui").u16string() + u"/")},
                           {MessageWindowLayoutRow(u"SeqAvgMain")}) ||
            !m_Harness.LoadUITables(folder))
            return;
        for (std::int32_t i = 0; i < 3; ++i)
            GetDBAvgChar().GetRow(i + 1)->m_CharName = kStands[i];
        CreateGlobalRenderTarget();
        m_Screen = new SeqAvgMain(m_Harness.Root());
        m_Harness.Manage().ChangeSequence(m_Screen, 0, 0, 0);
        m_Harness.Manage().ApplySequenceChanges();
        m_Harness.Step(0);

        const std::u16string background = Picture("bg.png", 1024, 768, 0xFF305070u);
        m_Background = Layer(u"$BGLAYER:SeqAvgMain");
        m_Background->LoadFlexImage(background, 0);
        auto* stand = dynamic_cast<GxTaskFolder*>(m_Harness.Manage().FindTask(u"$STAND:SeqAvgMain"));
        for (std::int32_t i = 0; i < 3; ++i) {
            auto* layer = dynamic_cast<GxTaskLayer*>(stand->FindTaskLocal(kStands[i], 0));
            layer->LoadFlexImage(Picture("stand" + std::to_string(i) + ".png", 256, 512, 0xFFC08040u + i), 0);
            layer->SetPos(GxVector3(64.0f + 320.0f * static_cast<float>(i), 200.0f, 0.0f));
            m_StandLayers.push_back(layer);
        }
        std::u16string text;
        for (int i = 0; i < 100; ++i)
            text.push_back(static_cast<char16_t>(u'あ' + i % 80));
        m_Window = m_Screen->GetMessageWindow();
        if (m_Window == nullptr)
            return;
        m_Screen->SetMessageText(text, false, false, 0);
        m_Window->ShowAll(false, true);
        m_Harness.Step(0);   // warm the glyph caches
        m_Ready = m_Background->GetCurrentContent().GetImageTexture() != nullptr;
    }
    ~PlayStage()
    {
        ReleaseGlobalRenderTarget();
        ClearSystemFonts();
        ResetDataTables();
    }

    bool Ready() const { return m_Ready; }
    void Frame() { m_Harness.Step(0); }
    void DirectFrame()
    {
        ClearTarget(7, 0xFF000000u, 1.0f, 0, nullptr);
        BeginSceneNested();
        const GxVector2 one(1.0f, 1.0f);
        const GxVector2 origin(0.0f, 0.0f);
        const GxVector3 none(0.0f, 0.0f, 0.0f);
        DrawTexture2D(m_Background->GetCurrentContent().GetImageTexture(), 0.0f, 0.0f, one, none, origin, 0xFFFFFFFFu,
                      0, 2);
        for (GxTaskLayer* layer : m_StandLayers) {
            const GxVector3 at = layer->GetPos();
            DrawTexture2D(layer->GetCurrentContent().GetImageTexture(), at.x, at.y, one, none, origin, 0xFFFFFFFFu, 0,
                          2);
        }
        m_Window->Draw(0, 0);
        EndSceneNested();
    }

private:
    std::u16string Picture(const std::string& name, std::uint32_t width, std::uint32_t height, std::uint32_t argb)
    {
        const std::filesystem::path path = m_Harness.Folder() / name;
        WriteImageFile(path.string(), BuildPng(PngSpecRgba8(TestImage::Solid(width, height, argb))));
        return path.u16string();
    }
    GxTaskLayer* Layer(const char16_t* name)
    {
        return dynamic_cast<GxTaskLayer*>(m_Harness.Manage().FindTask(name));
    }

    UIHarness m_Harness;
    SeqAvgMain* m_Screen = nullptr;
    GxTaskLayer* m_Background = nullptr;
    std::vector<GxTaskLayer*> m_StandLayers;
    GxTaskUIMessageWindowFx* m_Window = nullptr;
    bool m_Ready = false;
};

void PlayScreenFrame(benchmark::State& state)
{
    PlayStage stage;
    if (!stage.Ready()) {
        state.SkipWithError("no device or play screen");
        return;
    }
    for (auto _ : state)
        stage.Frame();
}
BENCHMARK(PlayScreenFrame)->Unit(benchmark::kMicrosecond);

void DirectDraw(benchmark::State& state)
{
    PlayStage stage;
    if (!stage.Ready()) {
        state.SkipWithError("no device or play screen");
        return;
    }
    for (auto _ : state)
        stage.DirectFrame();
}
BENCHMARK(DirectDraw)->Unit(benchmark::kMicrosecond);

}  // namespace
