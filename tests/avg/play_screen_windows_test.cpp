// [Play screen] The windows: the message, the speaker in each name mode, the choice column's
// geometry, delays and colours, taking a choice (the buttons' leave, the record, the jump or call,
// a missing label), and the reset to the layout state. The layers: the clearing steps, and the
// rendered frames of the software device: colours, the global fade, the rule transition at half
// way and the thumbnail with its thumbnail-only layer.
#include "play_screen_fixture.h"

#include "app/game_worker_host.h"
#include "avg/module_services.h"
#include "avg/task_proxy_main.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "data/user_data.h"
#include "script/moa_ex.h"
#include "script/script_engine.h"
#include "script/worker.h"
#include "graphics/texture_movie.h"
#include "media/movie_player.h"
#include "media/movie_slots.h"
#include "platform/dshow/dshow_layer.h"
#include "platform/dshow/reference_clock.h"
#include "tests/support/pack_builder.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/movie_fixtures.h"
#include "tests/support/test_stream_thread.h"
#include "tests/support/moa_assembler.h"
#include "core/task_render_manage.h"
#include "graphics/graphics.h"
#include "graphics/texture.h"
#include "ui/ui_text_button.h"

#include <algorithm>
#include <filesystem>
#include <functional>

using namespace play_screen_test;

namespace {

namespace fs = std::filesystem;

class PlayScreenWindowsTest : public PlayScreenTest {
protected:
    void SetUp() override
    {
        PlayScreenTest::SetUp();
        // Name images in a folder of the harness: "hero" has one.
        m_NameFolder = m_Harness.Folder() / "name";
        fs::create_directories(m_NameFolder);
        ASSERT_TRUE(WriteImageFile((m_NameFolder / "hero.png").string(),
                                   BuildPng(PngSpecRgba8(TestImage::Solid(40, 20, 0xFF00FF00u)))));
        m_Harness.Config().m_System.m_Folders[GxSystemConfig::kFolderCGName] =
            Utf8ToWide(m_NameFolder.string()) + u"/";
        m_Harness.Config().Refresh();
    }
    bool HasLine(const std::string& line) const
    {
        return std::find(m_Log.Lines().begin(), m_Log.Lines().end(), line) != m_Log.Lines().end();
    }
    void Choices(const std::vector<std::pair<std::int32_t, std::u16string>>& visible)
    {
        Data().ClearSelectMenu();
        Data().m_SelectHash = u"main:12";
        for (GxSelectMenuItem& item : Data().m_SelectMenuItemList)
            item.m_Visible = false;
        for (const auto& [index, label] : visible) {
            GxSelectMenuItem& item = Data().m_SelectMenuItemList[static_cast<std::size_t>(index)];
            item.m_Text = u"choice";
            item.m_Label = label;
            item.m_Visible = true;
            item.m_Enable = index != 5;
        }
    }

    fs::path m_NameFolder;
};

TEST_F(PlayScreenWindowsTest, AMessageEndsAHidingByCommandAndClearingTakesTheSpeakerToo)
{
    CountingPlayScreen* screen = Build();
    GxTaskUIMessageWindowFx* window = screen->GetMessageWindow();
    Data().m_HideWindowByCommandFlag = true;
    screen->SetMessageText(u"本文", true, false, 0);
    EXPECT_FALSE(Data().m_HideWindowByCommandFlag);
    EXPECT_EQ(window->GetText(), u"本文");
    EXPECT_TRUE(window->IsReadedText());
    screen->SetMessageText(u"次", false, true, 0);
    EXPECT_FALSE(window->IsReadedText());

    screen->SetSpeakerName(u"hero", 1);
    screen->ClearMessage();
    EXPECT_EQ(window->GetText(), u"");
    EXPECT_EQ(screen->GetNameWindow()->GetText(), u"");
    EXPECT_FALSE(screen->GetNameWindow()->IsVisible());
}

TEST_F(PlayScreenWindowsTest, TheSpeakerShowsAsTextOrNameImageByMode)
{
    CountingPlayScreen* screen = Build();
    GxTaskUIBase* window = screen->GetNameWindow();
    GxTaskLayer* image = screen->GetNameImage();
    struct Shown {
        std::u16string text;
        bool window;
        bool image;
    };
    const auto shown = [&] { return Shown{window->GetText(), window->IsVisible(), image->IsVisible()}; };
    const struct {
        const char* what;
        const char16_t* name;
        std::int32_t mode;
        Shown expected;
    } cases[] = {
        {"mode 1", u"hero", 1, {u"hero", true, false}},
        {"empty name", u"", 1, {u"", false, false}},
        {"mode 1 again", u"nobody", 1, {u"nobody", true, false}},
        {"mode 0", u"hero", 0, {u"", false, false}},
        {"mode 2 with an image", u"hero", 2, {u"", true, true}},
        {"mode 5 changes nothing", u"nobody", 5, {u"", true, true}},
        {"mode 2 without an image", u"nobody", 2, {u"", false, false}},
        {"mode 3 with an image", u"hero", 3, {u"", true, true}},
        {"mode 3 without an image", u"nobody", 3, {u"nobody", true, false}},
    };
    for (const auto& c : cases) {
        screen->SetSpeakerName(c.name, c.mode);
        const Shown now = shown();
        EXPECT_EQ(now.text, c.expected.text) << c.what;
        EXPECT_EQ(now.window, c.expected.window) << c.what;
        EXPECT_EQ(now.image, c.expected.image) << c.what;
    }
    // The image is the name image's picture.
    screen->SetSpeakerName(u"hero", 2);
    EXPECT_EQ(image->GetCurrentContent().m_Width, 40);
}

TEST_F(PlayScreenWindowsTest, TheChoiceColumnIsCentredAboveTheWindowAndSlidesInOneAfterAnother)
{
    CountingPlayScreen* screen = Build();
    Enter();
    screen->GetMessageWindow()->SetPos(GxVector3(72.0f, 561.0f, 0.0f));
    ASSERT_EQ(screen->GetChoiceButton(1)->GetWidth(), 601);
    ASSERT_EQ(screen->GetChoiceButton(1)->GetHeight(), 40);
    m_Harness.Config().m_User.m_ChangeColorSelectedMenu = true;
    m_Perman.SetMenuSelected(u"main:12", 3);
    Choices({{1, u""}, {3, u""}, {5, u""}});
    screen->ShowSelectMenu();
    EXPECT_TRUE(Data().m_IsSelecting);
    EXPECT_EQ(Data().m_LastSelectNum, 0);

    const struct {
        std::int32_t index;
        float top;
        std::int32_t delay;
        std::uint32_t color;
    } rows[] = {{1, 205.0f, 0, 0xFFFFFFFFu}, {3, 255.0f, 50, 0xFFAAEEFFu}, {5, 305.0f, 100, 0xFFFFFFFFu}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.index);
        auto* button = dynamic_cast<GxTaskUITextButtonIs*>(screen->GetChoiceButton(row.index));
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(button->IsVisible());
        EXPECT_EQ(button->GetPos().x, 179.0f);
        EXPECT_EQ(button->GetPos().y, row.top);
        EXPECT_EQ(button->GetAlpha(), 0);
        EXPECT_EQ(button->GetText(), u"choice");
        EXPECT_EQ(button->IsEnabled(), row.index != 5);
        EXPECT_EQ(button->m_TextColor, row.color);
        for (std::int32_t list = 0; list < 2; ++list) {
            ASSERT_EQ(button->GetActionList(list).size(), 2u);
            EXPECT_EQ(button->GetActionList(list).front().m_TimeTotal, row.delay);
        }
    }
    for (std::int32_t hidden : {2, 4, 6, 10})
        EXPECT_FALSE(screen->GetChoiceButton(hidden)->IsVisible()) << hidden;

    // 200 ms after its delay each button stands centred and opaque.
    for (int frame = 0; frame < 20; ++frame)
        m_Harness.Step(20000);
    for (const auto& row : rows) {
        GxTaskUIBase* button = screen->GetChoiceButton(row.index);
        EXPECT_EQ(button->GetPos().x, 211.0f) << row.index;
        EXPECT_EQ(button->GetAlpha(), 255) << row.index;
    }

    // The colour of a choice taken before needs the option.
    m_Harness.Config().m_User.m_ChangeColorSelectedMenu = false;
    Choices({{3, u""}});
    screen->ShowSelectMenu();
    EXPECT_EQ(dynamic_cast<GxTaskUITextButtonIs*>(screen->GetChoiceButton(3))->m_TextColor, 0xFFFFFFFFu);

    // Nothing visible: no choice starts.
    Data().m_IsSelecting = false;
    Data().m_LastSelectNum = 7;
    Choices({});
    screen->ShowSelectMenu();
    EXPECT_FALSE(Data().m_IsSelecting);
    EXPECT_EQ(Data().m_LastSelectNum, 0);
}

class PlayScreenChoiceTest : public PlayScreenWindowsTest {
protected:
    void SetUp() override
    {
        PlayScreenWindowsTest::SetUp();
        CreateScriptEngine(&m_Harness.Core());
        m_PreviousHost = SetGameWorkerHost(&m_Host);
        MoaAssembler assembler;
        assembler.AddScript(u"main", "*MAIN\n$a = 1\n*JUMPED\n$b = 2\n*CALLED\n$c = 3\nRETURN()\n");
        ASSERT_TRUE(assembler.Build(*GetScriptInstance()));
        GetScriptInstance()->BuildVariables();
        GetMainWorker()->RebuildScriptEntities();
        ASSERT_TRUE(GetMainWorker()->ResetAndJump(u"JUMPED", nullptr));
        m_JumpedLine = GetMainWorker()->GetLine(nullptr);
        ASSERT_TRUE(GetMainWorker()->ResetAndJump(u"CALLED", nullptr));
        m_CalledLine = GetMainWorker()->GetLine(nullptr);
        ASSERT_TRUE(GetMainWorker()->ResetAndJump(u"MAIN", nullptr));
        m_MainLine = GetMainWorker()->GetLine(nullptr);
    }
    void TearDown() override
    {
        SetGameWorkerHost(m_PreviousHost);
        DestroyScriptEngine();
        PlayScreenWindowsTest::TearDown();
    }

    GxGameWorkerHost m_Host{&m_Harness.Core()};
    GxGameWorkerHostBase* m_PreviousHost = nullptr;
    std::int32_t m_MainLine = 0, m_JumpedLine = 0, m_CalledLine = 0;
};

TEST_F(PlayScreenChoiceTest, TakingAChoiceRecordsItMovesTheScriptAndTheButtonsLeaveIn600Ms)
{
    CountingPlayScreen* screen = Build();
    Enter();
    Choices({{1, u"JUMPED"}, {2, u"CALLED"}, {4, u""}});
    Data().m_SelectMenuItemList[2].m_UseGosub = true;
    screen->ShowSelectMenu();
    for (int frame = 0; frame < 20; ++frame)
        m_Harness.Step(20000);
    UI().m_AutoMode = UI().m_SkipMode = true;
    m_Harness.Config().m_User.m_KeepSkipModeAfterSelect = true;

    screen->JumpToSelectedLabel(2);
    EXPECT_FALSE(UI().m_AutoMode);
    EXPECT_TRUE(UI().m_SkipMode);
    EXPECT_EQ(Data().m_LastSelectNum, 2);
    EXPECT_FALSE(Data().m_IsSelecting);
    EXPECT_TRUE(m_Perman.IsMenuSelected(u"main:12", 2));
    EXPECT_FALSE(m_Perman.IsMenuSelected(u"main:12", 1));
    EXPECT_EQ(GetMainWorker()->GetLine(nullptr), m_CalledLine);
    // The choice state is cleared.
    EXPECT_EQ(Data().m_SelectMenuItemList[2].m_Label, u"");
    EXPECT_EQ(Data().m_SelectMenuItemList[1].m_Text, u"");

    // The pressed button waits, then fades; the others fade while moving on. The gate stays shut
    // until the last action ends.
    GxTaskUIBase* pressed = screen->GetChoiceButton(2);
    GxTaskUIBase* other = screen->GetChoiceButton(1);
    const float otherX = other->GetPos().x;
    m_Harness.Step(300000);
    EXPECT_FALSE(other->IsVisible());
    EXPECT_EQ(other->GetPos().x, otherX + 32.0f);
    EXPECT_TRUE(pressed->IsVisible());
    EXPECT_EQ(pressed->GetAlpha(), 255);
    m_Harness.Step(299000);
    EXPECT_TRUE(pressed->IsVisible());
    EXPECT_FALSE(screen->IsScriptRunnable());
    m_Harness.Step(1000);
    m_Harness.Step(0);
    EXPECT_FALSE(pressed->IsVisible());
    EXPECT_TRUE(screen->IsScriptRunnable());

    // A jump, an empty label (the script stays), and a label that does not exist.
    const struct {
        std::u16string label;
        std::int32_t line;
        bool error;
    } labels[] = {{u"JUMPED", m_JumpedLine, false}, {u"", m_JumpedLine, false}, {u"NOWHERE", m_JumpedLine, true}};
    for (const auto& l : labels) {
        SCOPED_TRACE(WideToUtf8(l.label));
        Choices({{3, l.label}});
        screen->ShowSelectMenu();
        screen->JumpToSelectedLabel(3);
        EXPECT_EQ(GetMainWorker()->GetLine(nullptr), l.line);
        EXPECT_EQ(GetScriptInstance()->IsErrorStop(), l.error);
        EXPECT_EQ(HasLine("選択肢[3]番のラベル [NOWHERE] が見つかりません\n"), l.error);
        EXPECT_FALSE(Data().m_IsSelecting);
        EXPECT_EQ(Data().m_SelectMenuItemList[3].m_Label, u"");
    }
    // A number outside the list is refused.
    m_Log.Clear();
    screen->JumpToSelectedLabel(11);
    EXPECT_EQ(Data().m_LastSelectNum, 3);
    EXPECT_EQ(m_Log.Lines().size(), 1u);
}

TEST_F(PlayScreenWindowsTest, TheResetBringsTheWindowsAndButtonsBackToTheirLayout)
{
    std::vector<ModuleRow> modules = PlayScreenModules();
    modules[1].name = u"plain_name";   // no "tip_namewindow" row
    std::vector<LayoutRow> layouts = PlayScreenLayouts();
    layouts[1].moduleName = u"plain_name";
    m_Harness.Config().m_User.m_TextWindowOpacity = 150;
    CountingPlayScreen* screen = Build(modules, layouts);
    Enter();
    GxTaskUIMessageWindowFx* window = screen->GetMessageWindow();
    screen->SetMessageText(u"text", false, false, 0);
    window->AddWaitAction(0, 100);
    window->SetPos(GxVector3(0.0f, 0.0f, 0.0f));
    window->SetImageAlpha(10);
    screen->GetNameWindow()->SetOrderZ(300.0f);
    screen->SetSpeakerName(u"hero", 1);
    Choices({{1, u""}, {2, u""}});
    screen->ShowSelectMenu();
    screen->GetChoiceButton(1)->SetOrderZ(5.0f);
    screen->GetProxy()->SetTarget(u"SeqAvgMain", u"$UI:SeqAvgMain");
    ASSERT_NE(screen->GetProxy()->GetReceiveTask(), nullptr);
    UI().m_AutoMode = true;

    screen->ResetPlayScreen();
    EXPECT_EQ(window->GetText(), u"");
    EXPECT_TRUE(window->IsActionListEmpty());
    EXPECT_EQ(window->GetPos().y, 540.0f);   // the layout row again
    EXPECT_EQ(window->GetImageAlpha(), 150);
    EXPECT_EQ(screen->GetNameWindow()->GetOrderZ(), 15001.0f);
    EXPECT_TRUE(HasLine("UIモジュールデータ[tip_namewindow]が見つかりません:SeqAvgMain\n"));
    EXPECT_FALSE(HasLine("UIモジュールデータ[tip_msgwindow]が見つかりません:SeqAvgMain\n"));
    EXPECT_EQ(screen->GetNameImage()->GetOrderZ(), 15002.0f);
    EXPECT_FALSE(screen->GetNameWindow()->IsVisible());
    for (std::int32_t i = 1; i <= 10; ++i) {
        GxTaskUIBase* button = screen->GetChoiceButton(i);
        EXPECT_TRUE(button->IsActionListEmpty()) << i;
        EXPECT_EQ(button->GetOrderZ(), 16000.0f) << i;
        EXPECT_FALSE(button->IsVisible()) << i;
    }
    EXPECT_EQ(screen->GetProxy()->GetReceiveTask(), nullptr);
    EXPECT_EQ(screen->GetProxy()->GetReceiveTaskName(), u"");
    EXPECT_FALSE(UI().m_AutoMode);
}

TEST_F(PlayScreenWindowsTest, ASavedGameWritesAndRestoresTheRealScreensParts)
{
    CountingPlayScreen* screen = Build();
    Enter();
    Data().m_Core = &m_Harness.Core();
    Layer(u"$BGLAYER:SeqAvgMain")->LoadSolidColor(0xFF445566u, 0);
    screen->SetSpeakerName(u"hero", 1);
    Choices({{2, u"JUMPED"}});
    screen->ShowSelectMenu();
    const std::u16string path = Utf8ToWide((m_Harness.Folder() / "game.gd").string());
    ASSERT_TRUE(SaveGameData(&Data(), path, true)) << (m_Log.Lines().empty() ? "" : m_Log.Lines().back());

    screen->ResetPlayScreen();
    EXPECT_FALSE(screen->GetNameWindow()->IsVisible());
    ASSERT_TRUE(LoadGameData(&Data(), path, true)) << (m_Log.Lines().empty() ? "" : m_Log.Lines().back());
    EXPECT_EQ(screen->GetNameWindow()->GetText(), u"hero");
    EXPECT_TRUE(screen->GetNameWindow()->IsVisible());
    EXPECT_EQ(Layer(u"$BGLAYER:SeqAvgMain")->GetCurrentContent().m_ContentType, kLayerContentSolidColor);
    EXPECT_TRUE(screen->GetChoiceButton(2)->IsVisible());
    Data().m_Core = nullptr;
}

// ---- layers --------------------------------------------------------------------------------

TEST_F(PlayScreenWindowsTest, ClearingTheLayersResetsEveryFixedLayerAndTheModesOnlyWhenAsked)
{
    CountingPlayScreen* screen = Build();
    Enter();
    GxTaskLayer* visual = Layer(u"$VISUAL:SeqAvgMain");
    visual->StartShake(GxVector3(5.0f, 5.0f, 0.0f), -1);
    visual->SetAlpha(20);
    visual->AddWaitAction(0, 100);
    const struct {
        const char16_t* name;
        float orderZ;
        bool visible;
    } fixed[] = {{u"$BGLAYER:SeqAvgMain", -100.0f, true},
                 {u"$BGWLAYER:SeqAvgMain", -10.0f, false},
                 {u"$MOVIELAYER:SeqAvgMain", -20.0f, true}};
    for (const auto& f : fixed) {
        GxTaskLayer* layer = Layer(f.name);
        layer->LoadSolidColor(0xFF336699u, 0);
        layer->SetOrderZ(1.0f);
        f.visible ? layer->Hide() : layer->Show();
        layer->SetPos(GxVector3(9.0f, 9.0f, 0.0f));
        layer->AddWaitAction(1, 100);
    }
    for (const char16_t* name : {u"$GLOBALFLASH:SeqAvgMain", u"$GLOBALFADE:SeqAvgMain"}) {
        Layer(name)->SetAlpha(255);
        Layer(name)->Hide();
        Layer(name)->AddFadeOutAction(0, 100);
    }
    auto* hero = dynamic_cast<GxTaskLayer*>(dynamic_cast<GxTaskFolder*>(Find(u"$STAND:SeqAvgMain"))->FindTaskLocal(u"hero", 0));
    hero->LoadSolidColor(0xFF000000u, 0);
    hero->ShowSubLayer(0);
    hero->SetPos(GxVector3(300.0f, 0.0f, 0.0f));
    screen->StartBgTransition(u"", 1000, false, u"");
    screen->SetMessageText(u"text", false, false, 0);
    UI().m_AutoMode = UI().m_SkipMode = true;
    screen->GetWindowButton(u"btn_auto")->SetValueBool(true);
    screen->GetWindowButton(u"btn_skip")->SetValueBool(true);

    screen->ClearAllLayers(false, true);
    EXPECT_FALSE(visual->m_Shake);
    EXPECT_EQ(visual->GetAlpha(), 255);
    EXPECT_TRUE(visual->IsActionListEmpty());
    for (const auto& f : fixed) {
        SCOPED_TRACE(WideToUtf8(f.name));
        GxTaskLayer* layer = Layer(f.name);
        EXPECT_EQ(layer->GetCurrentContent().m_ContentType, kLayerContentNone);
        EXPECT_EQ(layer->GetOrderZ(), f.orderZ);
        EXPECT_EQ(layer->IsVisible(), f.visible);
        EXPECT_EQ(layer->GetPos().x, 0.0f);
        EXPECT_TRUE(layer->IsActionListEmpty());
    }
    for (const char16_t* name : {u"$GLOBALFLASH:SeqAvgMain", u"$GLOBALFADE:SeqAvgMain"}) {
        EXPECT_EQ(Layer(name)->GetAlpha(), 0);
        EXPECT_TRUE(Layer(name)->IsVisible());
        EXPECT_TRUE(Layer(name)->IsActionListEmpty());
    }
    EXPECT_EQ(Layer(u"$GLOBALFLASH:SeqAvgMain")->GetOrderZ(), 10000.0f);
    EXPECT_EQ(Layer(u"$GLOBALFADE:SeqAvgMain")->GetOrderZ(), 10001.0f);
    EXPECT_FALSE(screen->IsBgTransitActive());
    EXPECT_EQ(hero->GetCurrentContent().m_ContentType, kLayerContentNone);
    EXPECT_EQ(hero->GetPos().x, 0.0f);
    EXPECT_FALSE(hero->GetContent(0).GetSubLayer(0)->m_Visible);
    EXPECT_EQ(screen->GetMessageWindow()->GetText(), u"");
    // Only the skip flag was given.
    EXPECT_TRUE(UI().m_AutoMode);
    EXPECT_TRUE(screen->GetWindowButton(u"btn_auto")->GetValueBool());
    EXPECT_FALSE(UI().m_SkipMode);
    EXPECT_FALSE(screen->GetWindowButton(u"btn_skip")->GetValueBool());
    screen->ClearAllLayers(true, false);
    EXPECT_FALSE(UI().m_AutoMode);
    EXPECT_FALSE(screen->GetWindowButton(u"btn_auto")->GetValueBool());
}

TEST_F(PlayScreenWindowsTest, ClearingTheLayersStopsAMoviePlayingInASlot)
{
    CountingPlayScreen* screen = Build();
    platform::RegisterDshowClasses();
    auto* clock = new platform::ManualReferenceClock(0);
    clock->AddRef();
    platform::SetDshowGraphClock(clock);
    ASSERT_TRUE(MovieInitCom());
    TestMovieSpec spec;
    spec.container = TestMovieContainer::Avi;
    spec.picture = TestMoviePicture::Solid;
    spec.frames = 20;
    const MovieBytes bytes = BuildTestMovie(spec);
    const fs::path file = m_Harness.Folder() / "clip.avi";
    ASSERT_TRUE(WriteBytesToFile(file.string(), std::vector<BYTE>(bytes.begin(), bytes.end())));
    GxTextureMovie texture;
    ASSERT_TRUE(texture.Create(u"movie", 64, 48, D3DFMT_A8R8G8B8, 0xFF000000u, false));
    ASSERT_TRUE(MovieSlotOpen(3, Utf8ToWide(file.string()), &texture, 1, 0));
    platform::MarkEventSettle();
    ASSERT_TRUE(MovieSlotPlay(3, 0, 0));
    EXPECT_TRUE(platform::SettleEvents(kSettleMs));
    ASSERT_NE(MovieSlotGetPlayer(3), nullptr);
    EXPECT_TRUE(MovieSlotGetPlayer(3)->IsPlaying());

    platform::MarkEventSettle();
    screen->ClearAllLayers(false, false);
    EXPECT_TRUE(platform::SettleEvents(kSettleMs));
    EXPECT_FALSE(MovieSlotGetPlayer(3)->IsPlaying());
    MovieShutdown();
    platform::SetDshowGraphClock(nullptr);
    clock->Release();
}

class PlayScreenFrameTest : public PlayScreenWindowsTest {
protected:
    // A picture file of one colour in the harness folder.
    std::u16string Picture(const std::string& name, std::uint32_t width, std::uint32_t height, std::uint32_t argb)
    {
        const fs::path path = m_Harness.Folder() / name;
        EXPECT_TRUE(WriteImageFile(path.string(), BuildPng(PngSpecRgba8(TestImage::Solid(width, height, argb)))));
        return Utf8ToWide(path.string());
    }
    std::uint32_t Rgb(int x, int y) const { return m_Harness.Pixel(x, y) & 0xFFFFFFu; }
};

TEST_F(PlayScreenFrameTest, TheFrameShowsTheLayersTheFadeTheRuleTransitionAndTheThumbnail)
{
    CountingPlayScreen* screen = Build();
    Enter();
    Layer(u"$BGLAYER:SeqAvgMain")->LoadSolidColor(0xFF204060u, 0);
    auto* hero = dynamic_cast<GxTaskLayer*>(dynamic_cast<GxTaskFolder*>(Find(u"$STAND:SeqAvgMain"))->FindTaskLocal(u"hero", 0));
    hero->LoadFlexImage(Picture("hero.png", 64, 128, 0xFFC08040u), 0);
    hero->SetPos(GxVector3(480.0f, 640.0f, 0.0f));
    screen->GetMessageWindow()->Hide();
    m_Harness.Step(16667);
    EXPECT_EQ(Rgb(10, 10), 0x204060u);
    EXPECT_EQ(Rgb(500, 700), 0xC08040u);

    // The global fade, at once.
    AvgGlobalFadeOut(0);
    m_Harness.Step(16667);
    EXPECT_EQ(Rgb(10, 10), 0u);
    EXPECT_EQ(Rgb(500, 700), 0u);
    AvgGlobalFadeIn(0);
    m_Harness.Step(16667);

    // The old screen captured, then a new background dissolving by a left-to-right rule: at half
    // time the rule's black edge shows the new background, its white edge the old screen.
    ASSERT_TRUE(screen->CaptureSnapshot());
    const fs::path rulePath = m_Harness.Folder() / "rule.png";
    ASSERT_TRUE(WriteImageFile(rulePath.string(), BuildPng(PngSpecRgba8(TestImage::Make(1024, 768, [](std::uint32_t x,
                                                                                                        std::uint32_t) {
                                   const std::uint32_t red = x * 255 / 1023;
                                   return 0xFF000000u | red << 16 | red << 8 | red;
                               })))));
    hero->ResetLayer();
    screen->StartBgTransition(Utf8ToWide(rulePath.string()), 1000, true, Picture("new.png", 1024, 768, 0xFF600000u));
    m_Harness.Step(0);
    m_Harness.Step(500000);
    ASSERT_TRUE(screen->IsBgTransitActive());
    EXPECT_EQ(screen->GetBgTransit().GetRate(), 0.5f);
    m_Harness.Step(0);
    EXPECT_EQ(Rgb(0, 300), 0x600000u);
    EXPECT_EQ(Rgb(1023, 300), 0x204060u);
    m_Harness.Step(600000);
    EXPECT_FALSE(screen->IsBgTransitActive());
    EXPECT_EQ(Rgb(1023, 300), 0x600000u);

    // The thumbnail: the thumbnail-only layer shows for the capture, not in the next frame.
    GxTaskLayer* bgw = Layer(u"$BGWLAYER:SeqAvgMain");
    bgw->LoadSolidColor(0xFF0080FFu, 0);
    screen->CaptureThumbnail();
    EXPECT_FALSE(bgw->IsVisible());
    const std::vector<std::uint8_t>& thumbnail = GetThumbnailBuffer();
    ASSERT_EQ(thumbnail.size(), 128u * 96u * 4u);
    const std::uint32_t first = static_cast<std::uint32_t>(thumbnail[0]) | thumbnail[1] << 8 | thumbnail[2] << 16 |
                                static_cast<std::uint32_t>(thumbnail[3]) << 24;
    EXPECT_EQ(first, 0xFF0080FFu);
    m_Harness.Step(16667);
    EXPECT_EQ(Rgb(10, 10), 0x600000u);
}

// Queues itself into render list 5 and notes whether a capture was running when it drew.
class CaptureProbe : public GxTaskBase {
public:
    using GxTaskBase::GxTaskBase;
    int Render(std::int32_t, std::uint64_t) override
    {
        m_Manage->GetCore()->GetRenderList(5)->Add(kRenderModeDefault, this, 0.0f, 0);
        return 0;
    }
    int Draw(std::int32_t, std::int32_t) override
    {
        m_DrawnInCapture.push_back(IsGlobalCaptureActive());
        return 0;
    }
    std::vector<bool> m_DrawnInCapture;
};

TEST_F(PlayScreenFrameTest, ACaptureInTheMiddleOfAFrameLeavesItsListsAndTargetAlone)
{
    CountingPlayScreen* screen = Build();
    Enter();
    auto* probe = new CaptureProbe(screen, nullptr, nullptr, 0);
    Layer(u"$BGLAYER:SeqAvgMain")->LoadSolidColor(0xFF123456u, 0);
    // The frame's lists are filled, as they are when a widget handler runs.
    GxCore& core = m_Harness.Core();
    core.ClearRenderLists();
    m_Harness.Manage().RenderAll(0, 0);
    std::vector<std::size_t> before;
    for (std::int32_t list = 0; list < 10; ++list)
        before.push_back(core.GetRenderList(list)->GetEntries().size());
    const GxRect viewport = GxGraphics::GetViewport();
    const std::size_t stack = GxGraphics::GetRenderTargetStackSize(0);

    ASSERT_TRUE(SeqAvgMain::CaptureScreenToTexture(&core));
    EXPECT_EQ(probe->m_DrawnInCapture, std::vector<bool>{true});
    EXPECT_FALSE(IsGlobalCaptureActive());
    EXPECT_EQ(core.m_RenderSet, 0);
    for (std::int32_t list = 0; list < 10; ++list)
        EXPECT_EQ(core.GetRenderList(list)->GetEntries().size(), before[static_cast<std::size_t>(list)]) << list;
    EXPECT_EQ(GxGraphics::GetRenderTargetStackSize(0), stack);
    EXPECT_EQ(GxGraphics::GetViewport().right, viewport.right);
    EXPECT_EQ(GxGraphics::GetViewport().bottom, viewport.bottom);
    // The capture holds the screen's picture.
    GxTexture* captured = GetGlobalRenderTexture(0);
    ASSERT_TRUE(captured->TransferRenderTargetToMemory());
    void* bits = nullptr;
    std::int32_t pitch = 0;
    ASSERT_TRUE(captured->LockRect(nullptr, &bits, &pitch, nullptr, nullptr, nullptr, true));
    const std::uint32_t pixel = static_cast<const std::uint32_t*>(bits)[10];
    captured->UnlockRect();
    EXPECT_EQ(pixel & 0xFFFFFFu, 0x123456u);
}

TEST_F(PlayScreenFrameTest, WithoutTheRenderTargetTheTransitionAndThumbnailAreSkippedWithALine)
{
    CountingPlayScreen* screen = Build();
    Enter();
    ReleaseGlobalRenderTarget();
    std::vector<std::uint8_t>& thumbnail = GetThumbnailBuffer();
    thumbnail.assign(16, 0x5A);
    EXPECT_TRUE(screen->CaptureSnapshot());
    screen->CaptureThumbnail();
    EXPECT_EQ(thumbnail, std::vector<std::uint8_t>(16, 0x5A));
    EXPECT_TRUE(HasLine("SeqAvgMain::BuildThumbnail/no captured screen or thumbnail buffer\n"));
    // The transition still runs out by its timer; its failure is logged once.
    screen->StartBgTransition(u"", 100, false, u"");
    m_Harness.Step(40000);
    m_Harness.Step(40000);
    EXPECT_EQ(std::count(m_Log.Lines().begin(), m_Log.Lines().end(),
                         "SeqAvgMain::ApplyRuleTransition/no captured screen, rule or transition texture to use\n"),
              1);
    m_Harness.Step(40000);
    EXPECT_FALSE(screen->IsBgTransitActive());
}

}  // namespace
