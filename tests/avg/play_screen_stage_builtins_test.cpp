// [Play screen] the background, event-picture and whole-screen effect builtins against the real
// screen, in a game folder with pictures, a rule image and a gallery row: the picture switch at
// once and by transition, its argument defaults and failures, the event picture's gallery flag
// and companion, colour, movement and the layer waits, the global fade, the flash and the shake.
#include "play_screen_fixture.h"

#include "avg/avg_builtin.h"
#include "core/task_actor.h"
#include "data/db_cgmode.h"
#include "data/system_config.h"
#include "script/moa_ex.h"
#include "script/variable.h"
#include "script/worker.h"
#include "tests/script/script_test_support.h"
#include "tests/support/core_config_fixture.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <functional>

using namespace play_screen_test;
using script_test::Arr;
using script_test::Int;
using script_test::Null;
using script_test::Str;

namespace {

namespace fs = std::filesystem;

class StageBuiltinsTest : public PlayScreenTest {
protected:
    void SetUp() override
    {
        PlayScreenTest::SetUp();
        m_PreviousPerman = m_Core.m_UserDataPerman;
        m_Core.m_UserDataPerman = &m_Perman;
        m_Previous = fs::current_path();
        fs::current_path(m_Game.Path());
        for (const char* name : {"cg/bg/a.png", "cg/bg/b.png", "cg/ev/e1.png", "cg/ev/e1_w.png", "cg/ev/e2.png",
                                 "cg/ev/side.png", "cg/tr/rule.png"})
            WritePicture(name);
        ResetDataTables();
    }
    void TearDown() override
    {
        fs::current_path(m_Previous);
        m_Core.m_UserDataPerman = m_PreviousPerman;
        PlayScreenTest::TearDown();
    }

    static void WritePicture(const std::string& path, const TestImage& image = TestImage::Solid(4, 4, 0xFF808080u))
    {
        fs::create_directories(fs::path(path).parent_path());
        const ImageBytes bytes = BuildPng(PngSpecRgba8(image));
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
    }

    // The builtin by its table row, as the binder would call it.
    bool Call(const char16_t* name, GxMoaVariable args)
    {
        for (const AvgBuiltin::Entry& entry : AvgBuiltin::kBuiltins) {
            if (std::u16string_view(entry.name) != name)
                continue;
            EXPECT_NE(entry.handler, nullptr) << WideToUtf8(name);
            if (entry.handler == nullptr)
                return false;
            GxMoaVariable result;
            return (m_Avg.*entry.handler)(name, 0, args, &m_Worker, nullptr, &m_Worker.GetExecStack(), result);
        }
        ADD_FAILURE() << "no row " << WideToUtf8(name);
        return false;
    }
    bool Call(const char16_t* name, std::initializer_list<GxMoaVariable> args) { return Call(name, Arr(args)); }

    GxTaskLayer* Hero()
    {
        return dynamic_cast<GxTaskLayer*>(dynamic_cast<GxTaskFolder*>(Find(u"$STAND:SeqAvgMain"))->FindTaskLocal(u"hero", 0));
    }
    GxTaskLayer* Background() { return Layer(u"$BGLAYER:SeqAvgMain"); }
    GxTaskLayer* Companion() { return Layer(u"$BGWLAYER:SeqAvgMain"); }

    TestTempDir m_Game{"tw_stage"};
    fs::path m_Previous;
    GxUserDataPerman* m_PreviousPerman = nullptr;
    TestCoreConfig m_Config{m_Core};
    GxMoaEx m_Moa;
    GxMoaWorker m_Worker{&m_Moa};
    AvgBuiltin m_Avg{&m_Core};
};

TEST_F(StageBuiltinsTest, ASwitchWithoutTimeShowsThePictureAtOnceWhereAndHowItIsAsked)
{
    CountingPlayScreen* screen = Build();
    Enter();
    GxTaskLayer* background = Background();
    background->SetPos(GxVector3(1.0f, 2.0f, 7.0f));
    background->AddWaitAction(0, 5000);
    Companion()->LoadSolidColor(0xFF000000u, 0);
    Hero()->LoadSolidColor(0xFF102030u, 0);

    ASSERT_TRUE(Call(u"BG", {Str(u"a"), Int(0), Null(), Int(10), Int(20), Int(0x00102030)}));
    EXPECT_TRUE(Data().m_HideWindowByCommandFlag);
    EXPECT_FALSE(screen->IsBgTransitActive());
    EXPECT_TRUE(background->IsActionListEmpty());   // finished first
    EXPECT_EQ(background->GetCurrentContent().m_ContentFileName, u"cg/bg/a.png");
    EXPECT_FALSE(background->IsInTransit());
    EXPECT_FALSE(background->IsErrorImageShown());
    EXPECT_EQ(background->GetPos().x, 10.0f);
    EXPECT_EQ(background->GetPos().y, 20.0f);
    EXPECT_EQ(background->GetPos().z, 7.0f);
    const GxFColor color = background->GetColor0();
    EXPECT_FLOAT_EQ(color.r, 0x10 / 255.0f);
    EXPECT_FLOAT_EQ(color.g, 0x20 / 255.0f);
    EXPECT_FLOAT_EQ(color.b, 0x30 / 255.0f);
    EXPECT_FLOAT_EQ(color.a, 1.0f);
    EXPECT_EQ(Companion()->GetCurrentContent().m_ContentType, kLayerContentNone);
    EXPECT_EQ(Hero()->GetCurrentContent().m_ContentType, kLayerContentNone);

    // Argument 6 keeps the standing characters; without a colour the layer is white.
    Hero()->LoadSolidColor(0xFF102030u, 0);
    Data().m_HideWindowByCommandFlag = false;
    ASSERT_TRUE(Call(u"BG.SW", {Str(u"b"), Str(u""), Null(), Null(), Null(), Null(), Int(1)}));
    EXPECT_FALSE(Data().m_HideWindowByCommandFlag);
    EXPECT_FALSE(screen->IsBgTransitActive());   // "" is time 0, not the default
    EXPECT_EQ(background->GetCurrentContent().m_ContentFileName, u"cg/bg/b.png");
    EXPECT_EQ(background->GetPos().x, 0.0f);
    EXPECT_FLOAT_EQ(background->GetColor0().g, 1.0f);
    EXPECT_EQ(Hero()->GetCurrentContent().m_ContentType, kLayerContentSolidColor);
}

TEST_F(StageBuiltinsTest, ATimedSwitchStartsTheRuleTransitionOnlyANullTimeTakesTheDefault)
{
    CountingPlayScreen* screen = Build();
    Enter();
    const struct {
        GxMoaVariable time;
        GxMoaVariable rule;
        std::int32_t total;   // 0: no transition
    } cases[] = {
        {Null(), Null(), 1000},
        {Int(300), Str(u"rule"), 300},
        {Str(u""), Str(u"rule"), 0},
        {Int(-5), Null(), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.total);
        screen->EndBgTransition();
        Hero()->LoadSolidColor(0xFF102030u, 0);
        ASSERT_TRUE(Call(u"BG.SW", {Str(u"a"), c.time, c.rule}));
        EXPECT_EQ(screen->IsBgTransitActive(), c.total > 0);
        if (c.total > 0) {
            EXPECT_EQ(screen->GetBgTransit().m_TransitTimeTotal, c.total);
        }
        EXPECT_EQ(Background()->GetCurrentContent().m_ContentFileName, u"cg/bg/a.png");
        EXPECT_EQ(Hero()->GetCurrentContent().m_ContentType, kLayerContentNone);
    }
}

TEST_F(StageBuiltinsTest, MissingArgumentsAndFilesFailOnlyWhereTheyMust)
{
    Build();
    Enter();
    const struct {
        const char16_t* builtin;
        GxMoaVariable args;
        bool stopBg;
        bool stopEv;
        bool ok;
        const char* message;   // the end of the error line; "" for none
        const char16_t* shown; // the background's file afterwards
    } cases[] = {
        {u"BG.SW", Arr({}), false, false, false, " BG.SW:画像ファイルを指定してください", u"cg/bg/a.png"},
        {u"EV.SW", Arr({Str(u"")}), false, false, false, " EV.SW:画像ファイルを指定してください", u"cg/bg/a.png"},
        {u"BG.SW", Arr({Str(u"zz"), Int(0)}), false, true, true, "", u"cg/bg/zz"},
        {u"BG.SW", Arr({Str(u"zz"), Int(0)}), true, false, false, " BG.SW:画像ファイルが見つかりません", u"cg/bg/a.png"},
        {u"EV.SW", Arr({Str(u"zz"), Int(0)}), true, false, true, "", u"cg/ev/zz"},
        {u"EV.SW", Arr({Str(u"zz"), Int(0)}), false, true, false, " EV.SW:画像ファイルが見つかりません[cg/ev/zz]",
         u"cg/bg/a.png"},
        {u"BG.SW", Arr({Str(u"b"), Int(0), Str(u"none")}), false, false, false,
         " BG.SW:トランジション画像ファイルが見つかりません", u"cg/bg/a.png"},
        {u"EV", Arr({Str(u"e2"), Int(0), Str(u"none")}), false, false, false,
         " EV:トランジション画像ファイルが見つかりません[cg/tr/none]", u"cg/bg/a.png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.builtin) + " " + std::to_string(&c - cases));
        ASSERT_TRUE(Call(u"BG.SW", {Str(u"a"), Int(0)}));
        m_Config.m_System.m_ErrorStopNotFound_BG = c.stopBg;
        m_Config.m_System.m_ErrorStopNotFound_EV = c.stopEv;
        m_Log.Clear();
        EXPECT_EQ(Call(c.builtin, c.args), c.ok);
        // The script's error lines; the layer's loader may log a missing picture of its own.
        std::vector<std::string> errors;
        for (std::string line : m_Log.Lines()) {
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
                line.pop_back();
            if (line.starts_with("err:"))
                errors.push_back(line);
        }
        if (*c.message == '\0') {
            EXPECT_TRUE(errors.empty());
        } else {
            ASSERT_EQ(errors.size(), 1u);
            EXPECT_TRUE(errors[0].ends_with(c.message)) << errors[0];
        }
        EXPECT_EQ(Background()->GetCurrentContent().m_ContentFileName, c.shown);
        m_Config.m_System.m_ErrorStopNotFound_BG = m_Config.m_System.m_ErrorStopNotFound_EV = false;
    }
}

TEST_F(StageBuiltinsTest, AnEventPictureUnlocksItsGalleryEntryAndBringsItsCompanion)
{
    CountingPlayScreen* screen = Build();
    Enter();
    GetDBCGMode().GetRow(3)->m_FileName[1] = u"E1";
    GetDBCGMode().GetRow(4)->m_FileName[0] = u"zz";

    // Unlocked by the entry's own name while the transition still runs.
    ASSERT_TRUE(Call(u"EV", {Str(u"e1"), Int(500)}));
    EXPECT_TRUE(screen->IsBgTransitActive());
    EXPECT_EQ(m_Perman.m_ShowedCGFlags.count(u"E1"), 1u);
    EXPECT_EQ(Background()->GetCurrentContent().m_ContentFileName, u"cg/ev/e1.png");
    EXPECT_EQ(Companion()->GetCurrentContent().m_ContentFileName, u"cg/ev/e1_w.png");
    EXPECT_FALSE(Companion()->IsVisible());
    // A picture that cannot be found is unlocked all the same.
    ASSERT_TRUE(Call(u"EV.SW", {Str(u"zz"), Int(0)}));
    EXPECT_EQ(m_Perman.m_ShowedCGFlags.count(u"zz"), 1u);

    // No companion: the layer is emptied; an event switch does not empty it first.
    ASSERT_TRUE(Call(u"EV.SW", {Str(u"e2"), Int(0)}));
    EXPECT_EQ(Companion()->GetCurrentContent().m_ContentType, kLayerContentNone);
    // A named companion by its file title, in the event folder.
    ASSERT_TRUE(Call(u"EV.SW",
                     {Str(u"e2"), Int(0), Null(), Null(), Null(), Null(), Null(), Str(u"elsewhere/side.jpg")}));
    EXPECT_EQ(Companion()->GetCurrentContent().m_ContentFileName, u"cg/ev/side.png");
    // A background empties it.
    ASSERT_TRUE(Call(u"BG.SW", {Str(u"a"), Int(0)}));
    EXPECT_EQ(Companion()->GetCurrentContent().m_ContentType, kLayerContentNone);
    EXPECT_EQ(m_Perman.m_ShowedCGFlags.size(), 2u);
}

TEST_F(StageBuiltinsTest, ColourMoveAndTheLayerWaitsWithTheirAliases)
{
    CountingPlayScreen* screen = Build();
    Enter();
    GxTaskLayer* background = Background();
    for (const char16_t* name : {u"BG.COLOR", u"EV.COLOR"}) {
        background->SetColor0Argb(0u);
        ASSERT_TRUE(Call(name, {Int(0x00FF8000)}));
        EXPECT_FLOAT_EQ(background->GetColor0().r, 1.0f);
        EXPECT_FLOAT_EQ(background->GetColor0().g, 128 / 255.0f);
        EXPECT_FLOAT_EQ(background->GetColor0().a, 1.0f);
        ASSERT_TRUE(Call(name, {}));
        EXPECT_FLOAT_EQ(background->GetColor0().b, 1.0f);
    }

    background->SetPos(GxVector3(0.0f, 0.0f, 3.0f));
    ASSERT_TRUE(Call(u"BG.ACT_MOVE", {Int(100), Int(-40), Int(200)}));
    ASSERT_TRUE(Call(u"EV.ACT_MOVE", {}));
    const auto& actions = background->GetActionList(0);
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_EQ(actions[0].m_ActionType, kActionMoveTo);
    EXPECT_EQ(actions[0].m_InterMode, kInterLinear);
    EXPECT_EQ(actions[0].m_TimeTotal, 200);
    EXPECT_EQ(actions[0].m_End.x, 100.0f);
    EXPECT_EQ(actions[0].m_End.y, -40.0f);
    EXPECT_EQ(actions[0].m_End.z, 3.0f);
    EXPECT_EQ(actions[1].m_TimeTotal, 0);
    EXPECT_EQ(actions[1].m_End.x, 0.0f);

    const struct {
        const char16_t* builtin;
        GxMoaVariable args;
        std::int32_t bits;
        bool hide;
        const char16_t* layer;
    } waits[] = {
        {u"BG.WA", Arr({}), 15, false, u"$BGLAYER:SeqAvgMain"},
        {u"EV.WA", Arr({Int(1), Int(2)}), 3, true, u"$BGLAYER:SeqAvgMain"},
        {u"BG.WA", Arr({Int(0), Int(0x10)}), 0x11, false, u"$BGLAYER:SeqAvgMain"},
        {u"FLASH.WA", Arr({Str(u""), Int(0x100000008)}), 9, false, u"$GLOBALFLASH:SeqAvgMain"},
    };
    GxUserData& data = Data();
    for (const auto& wait : waits) {
        SCOPED_TRACE(std::to_string(&wait - waits));
        data.m_HideWindowByCommandFlag = false;
        ASSERT_TRUE(Call(wait.builtin, wait.args));
        EXPECT_EQ(data.m_Hold_EndOfLayerActionSeparate, wait.bits);
        EXPECT_EQ(data.m_Hold_EndOfLayerActionSeparate_LayerName, wait.layer);
        EXPECT_EQ(data.m_HideWindowByCommandFlag, wait.hide);
    }
    // The background still moves: its wait holds until the moves are done.
    ASSERT_TRUE(Call(u"BG.WA", {}));
    screen->UpdateHolds(0);
    EXPECT_EQ(data.m_Hold_EndOfLayerActionSeparate, 15);
    background->FinishActions();
    screen->UpdateHolds(0);
    EXPECT_EQ(data.m_Hold_EndOfLayerActionSeparate, 0);
}

TEST_F(StageBuiltinsTest, FadesFlashAndShake)
{
    CountingPlayScreen* screen = Build();
    Enter();
    GxTaskLayer* fade = Layer(u"$GLOBALFADE:SeqAvgMain");
    ASSERT_TRUE(Call(u"FOUT", {}));
    ASSERT_EQ(fade->GetActionList(0).size(), 1u);
    EXPECT_EQ(fade->GetActionList(0)[0].m_TimeTotal, 1000);
    EXPECT_EQ(fade->GetActionList(0)[0].m_End.x, 255.0f);
    ASSERT_TRUE(Call(u"FIN", {Int(0)}));
    EXPECT_TRUE(fade->IsActionListEmpty());
    EXPECT_EQ(fade->GetAlpha(), 0);
    ASSERT_TRUE(Call(u"FOUT", {Int(0)}));
    EXPECT_EQ(fade->GetAlpha(), 255);
    ASSERT_TRUE(Call(u"FIN", {Int(250)}));
    EXPECT_EQ(fade->GetActionList(0)[0].m_TimeTotal, 250);
    EXPECT_EQ(fade->GetActionList(0)[0].m_End.x, 0.0f);

    // Rise 0, fall 500: full strength at once, then the fall; the wait lasts until it ends.
    GxTaskLayer* flash = Layer(u"$GLOBALFLASH:SeqAvgMain");
    ASSERT_TRUE(Call(u"FLASH", {Int(0), Int(500), Int(0x00FF0000)}));
    const auto& actions = flash->GetActionList(0);
    ASSERT_EQ(actions.size(), 3u);
    EXPECT_EQ(actions[0].m_ActionType, kActionSetColor0);
    EXPECT_EQ(actions[1].m_ActionType, kActionAlpha);
    EXPECT_EQ(actions[1].m_End.x, 255.0f);
    EXPECT_EQ(actions[2].m_ActionType, kActionAlpha);
    EXPECT_EQ(actions[2].m_TimeTotal, 500);
    ASSERT_TRUE(Call(u"FLASH.WA", {}));
    // A step with no time ends one zero-length action: the colour, then the rise.
    flash->UpdateActions(0);
    flash->UpdateActions(0);
    EXPECT_EQ(flash->GetAlpha(), 255);
    EXPECT_FLOAT_EQ(flash->GetColor0().r, 1.0f);
    EXPECT_FLOAT_EQ(flash->GetColor0().g, 0.0f);
    flash->UpdateActions(250);
    EXPECT_NEAR(flash->GetAlpha(), 127, 1);
    screen->UpdateHolds(0);
    EXPECT_EQ(Data().m_Hold_EndOfLayerActionSeparate, 15);
    flash->UpdateActions(250);
    EXPECT_EQ(flash->GetAlpha(), 0);
    screen->UpdateHolds(0);
    EXPECT_EQ(Data().m_Hold_EndOfLayerActionSeparate, 0);
    // Without arguments: 1000 ms each way, white.
    ASSERT_TRUE(Call(u"FLASH", {}));
    EXPECT_EQ(actions[1].m_TimeTotal, 1000);
    EXPECT_EQ(actions[2].m_TimeTotal, 1000);
    EXPECT_EQ(actions[0].m_End.z, 1.0f);

    GxTaskLayer* visual = Layer(u"$VISUAL:SeqAvgMain");
    ASSERT_TRUE(Call(u"SHAKE", {Int(300)}));
    EXPECT_TRUE(visual->m_Shake);
    EXPECT_EQ(visual->m_ShakeTimeTotal, 300);
    EXPECT_EQ(visual->m_ShakeAmplitude.x, 0.0f);
    EXPECT_EQ(visual->m_ShakeAmplitude.y, 0.0f);
    ASSERT_TRUE(Call(u"SHAKE", {Null(), Int(6), Int(-4)}));
    EXPECT_EQ(visual->m_ShakeTimeTotal, 800);
    EXPECT_EQ(visual->m_ShakeAmplitude.x, 6.0f);
    EXPECT_EQ(visual->m_ShakeAmplitude.y, -4.0f);
    visual->m_VisualParam.m_ShakeOffsetPos = GxVector3(3.0f, 2.0f, 0.0f);
    ASSERT_TRUE(Call(u"SHAKE.END", {}));
    EXPECT_FALSE(visual->m_Shake);
    EXPECT_EQ(visual->m_ShakeAmplitude.x, 0.0f);
    EXPECT_EQ(visual->m_VisualParam.m_ShakeOffsetPos.x, 0.0f);
    EXPECT_EQ(visual->m_VisualParam.m_ShakeOffsetPos.y, 0.0f);
}

// The rule transition as drawn: at half of its time the rule's black band shows the new picture,
// its white band the old screen and its middle grey an even mix of both.
TEST_F(StageBuiltinsTest, ABackgroundByRuleIsDrawnBandByBandAtHalfTime)
{
    CountingPlayScreen* screen = Build();
    Enter();
    WritePicture("cg/bg/old.png", TestImage::Solid(1024, 768, 0xFF204060u));
    WritePicture("cg/bg/new.png", TestImage::Solid(1024, 768, 0xFF600000u));
    WritePicture("cg/tr/bands.png", TestImage::Make(1024, 768, [](std::uint32_t x, std::uint32_t) {
                     const std::uint32_t red = x < 341 ? 0u : x < 682 ? 128u : 255u;
                     return 0xFF000000u | red << 16;
                 }));
    screen->GetMessageWindow()->Hide();
    const auto rgb = [&](int x, int y) { return m_Harness.Pixel(x, y) & 0xFFFFFFu; };

    ASSERT_TRUE(Call(u"BG.SW", {Str(u"old"), Int(0)}));
    m_Harness.Step(16667);
    EXPECT_EQ(rgb(512, 300), 0x204060u);

    ASSERT_TRUE(Call(u"BG", {Str(u"new"), Int(600), Str(u"bands")}));
    m_Harness.Step(0);
    m_Harness.Step(300000);
    ASSERT_TRUE(screen->IsBgTransitActive());
    ASSERT_EQ(screen->GetBgTransit().GetRate(), 0.5f);
    m_Harness.Step(0);
    EXPECT_EQ(rgb(100, 300), 0x600000u);
    EXPECT_EQ(rgb(900, 300), 0x204060u);
    // Alpha 128 of the old screen over the new picture.
    const std::uint32_t mixed = rgb(512, 300);
    const auto channel = [&](int shift) { return static_cast<int>((mixed >> shift) & 0xFFu); };
    EXPECT_NEAR(channel(16), (0x20 * 128 + 0x60 * 127) / 255, 2);
    EXPECT_NEAR(channel(8), 0x40 * 128 / 255, 2);
    EXPECT_NEAR(channel(0), 0x60 * 128 / 255, 2);
    m_Harness.Step(300000);
    EXPECT_FALSE(screen->IsBgTransitActive());
    EXPECT_EQ(rgb(900, 300), 0x600000u);
}

}  // namespace
