// [Play screen] the standing-character, text-block and wait builtins against the real screen:
// its character layers under "$STAND" found by name, stand pictures resolved from the character
// table's folders, the "STAND" and "TEXT" blocks read from assembled scripts, the holds released
// by the screen's own wait test, and the frames the moves leave.
#include "play_screen_fixture.h"

#include "avg/avg_builtin.h"
#include "core/layer_content.h"
#include "data/user_data.h"
#include "foundation/wide_string.h"
#include "script/builtin_default.h"
#include "script/function_binder.h"
#include "script/moa_ex.h"
#include "script/moa_names.h"
#include "script/script.h"
#include "script/variable.h"
#include "script/worker.h"
#include "tests/avg/builtin_call.h"
#include "tests/script/moa_log_fixture.h"
#include "tests/support/image_fixtures.h"

#include <cmath>
#include <filesystem>

using namespace play_screen_test;
namespace fs = std::filesystem;

namespace {

GxMoaVariable Str(const std::u16string& text)
{
    GxMoaVariable value;
    value.SetString(text);
    return value;
}

GxMoaVariable Flt(double number)
{
    GxMoaVariable value;
    value.SetFloat(number);
    return value;
}

std::vector<float> Rgba(const GxFColor& color)
{
    return {color.r, color.g, color.b, color.a};
}

GxMoaVariable Int(std::int64_t number)
{
    GxMoaVariable value;
    value.SetInt64(number);
    return value;
}

class StandBuiltins : public PlayScreenTest {
protected:
    void SetUp() override
    {
        PlayScreenTest::SetUp();
        Build();
        Enter();
        fs::create_directories(m_Harness.Folder() / "stand");
        m_StandPath = Utf8ToWide((m_Harness.Folder() / "stand").string()) + u"/hero_";
        GetDBAvgChar().GetRow(1)->m_StandPath = m_StandPath;
        // A layer without a character row.
        new GxTaskLayer(Find(u"$STAND:SeqAvgMain"), nullptr, u"extra", 0);
        m_Defaults.Register(&m_Binder);
        m_Avg.RegisterBuiltins(&m_Binder);
        m_Hero = StandLayer(u"hero");
        ASSERT_NE(m_Hero, nullptr);
        m_Log.Clear();   // the screen's widgets miss their pictures here
    }

    GxTaskLayer* StandLayer(const char16_t* name)
    {
        auto* stand = dynamic_cast<GxTaskFolder*>(Find(u"$STAND:SeqAvgMain"));
        return stand != nullptr ? dynamic_cast<GxTaskLayer*>(stand->FindTaskLocal(name, 0)) : nullptr;
    }

    // "stand/hero_<name>.png" of one colour.
    void Picture(const std::string& name, std::uint32_t width, std::uint32_t height, std::uint32_t argb = 0xFFC08040u)
    {
        const fs::path path = m_Harness.Folder() / "stand" / ("hero_" + name + ".png");
        ASSERT_TRUE(WriteImageFile(path.string(), BuildPng(PngSpecRgba8(TestImage::Solid(width, height, argb)))));
    }
    std::u16string PicturePath(const std::u16string& name) const { return m_StandPath + name + u".png"; }

    // The builtin called directly; false when it failed.
    bool Call(const std::u16string& name, std::initializer_list<GxMoaVariable> values)
    {
        return avg_test::CallBuiltin(m_Binder, m_Worker, name, values);
    }

    // Script "main" from `body` after "*MAIN" and the block builtins' declaration, run to its end.
    ::testing::AssertionResult Run(const std::string& body)
    {
        MoaAssembler assembler;
        assembler.AddScript(u"main", "*MAIN\nBUILTIN stand, endstand, text, endtext, sp.alpha\n" + body + "\n");
        ::testing::AssertionResult loaded = moa_test::LoadProgram(assembler, m_Moa);
        if (!loaded)
            return loaded;
        return RunLoaded();
    }
    ::testing::AssertionResult RunLoaded()
    {
        m_Moa.ResetRunState();
        m_Moa.BuildVariables();
        m_Worker.RebuildScriptEntities();
        m_Log.Clear();
        if (!m_Worker.ResetAndJump(u"MAIN", nullptr))
            return ::testing::AssertionFailure() << "no MAIN";
        for (int steps = 0; steps < 1000 && m_Worker.Step(&m_Binder); ++steps) {
        }
        return ::testing::AssertionSuccess();
    }

    // The message part of each error line ("builtin:message" after the position).
    std::vector<std::string> Errors() const
    {
        std::vector<std::string> messages;
        for (const std::string& line : m_Log.Lines()) {
            const std::size_t end = line.find("] ");
            std::string message = end == std::string::npos ? line : line.substr(end + 2);
            if (!message.empty() && message.back() == '\n')
                message.pop_back();
            messages.push_back(message);
        }
        return messages;
    }

    GxUserData& Game() { return *m_Harness.Core().m_UserData; }

    std::u16string m_StandPath;
    GxTaskLayer* m_Hero = nullptr;
    GxMoaEx m_Moa;
    GxMoaWorker m_Worker{&m_Moa};
    GxMoaBuiltinDefault m_Defaults;
    GxMoaFunctionBinder m_Binder;
    AvgBuiltin m_Avg{&m_Harness.Core()};
};


TEST_F(StandBuiltins, NamesThatFindNoLayerOrNoCharacterAreReported)
{
    const std::string shortMessage = "レイヤーが見つかりません。キャラ名[nobody]は未定義です";
    const std::string longMessage = "レイヤーが見つかりません。命令が間違っているかキャラ名[nobody]は未定義です";
    const std::string noRow = "キャラ名[extra]は未定義です";
    const struct {
        const char16_t* builtin;
        const char16_t* character;
        std::string message;   // empty: succeeds
    } cases[] = {
        {u"SP.COLOR", u"", "レイヤー名がありません"},
        {u"SP.ACT_MOVE", u"", "レイヤー名がありません"},
        {u"STAND", u"", "レイヤー名がありません"},
        {u"SP.COLOR", u"nobody", shortMessage},
        {u"SP.ALPHA", u"nobody", shortMessage},
        {u"SP.BLEND", u"nobody", shortMessage},
        {u"STAND", u"nobody", shortMessage},
        {u"SP.LCG", u"nobody", longMessage},
        {u"SP.LNC", u"nobody", longMessage},
        {u"SP.WA", u"nobody", longMessage},
        {u"SP.SHAKE", u"nobody", longMessage},
        {u"SP.SHAKE_END", u"nobody", longMessage},
        {u"SP.SUB", u"nobody", longMessage},
        {u"SP.ACT_MOVE", u"nobody", longMessage},
        {u"SP.ACT_FINISH", u"nobody", longMessage},
        // A layer without a character row: what needs no row works, the rest is refused.
        {u"SP.COLOR", u"extra", ""},
        {u"SP.ACT_MOVE", u"extra", ""},
        {u"SP.LCG", u"extra", noRow},
        {u"SP.LNC", u"extra", noRow},
        {u"SP.SUB", u"extra", noRow},
        {u"STAND", u"extra", noRow},
        // The name is exact.
        {u"SP.COLOR", u"Hero", "レイヤーが見つかりません。キャラ名[Hero]は未定義です"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.builtin) + " " + WideToUtf8(c.character));
        m_Log.Clear();
        EXPECT_EQ(Call(c.builtin, {Str(c.character)}), c.message.empty());
        if (c.message.empty())
            EXPECT_TRUE(Errors().empty());
        else
            EXPECT_EQ(Errors(), (std::vector<std::string>{WideToUtf8(WideToLowerAscii(c.builtin)) + ":" + c.message}));
    }
}

TEST_F(StandBuiltins, ColourAlphaAndBlend)
{
    ASSERT_TRUE(Call(u"SP.COLOR", {Str(u"hero"), Int(0x80FF0000)}));
    EXPECT_EQ(Rgba(m_Hero->GetColor0()), (std::vector<float>{1.0f, 0.0f, 0.0f, 1.0f}));
    ASSERT_TRUE(Call(u"SP.COLOR", {Str(u"hero"), Int(0x1234008000)}));   // only the low 24 bits count
    EXPECT_EQ(Rgba(m_Hero->GetColor0()), (std::vector<float>{0.0f, 128.0f / 255.0f, 0.0f, 1.0f}));
    ASSERT_TRUE(Call(u"SP.COLOR", {Str(u"hero"), Str(u"")}));
    EXPECT_EQ(Rgba(m_Hero->GetColor0()), (std::vector<float>{1.0f, 1.0f, 1.0f, 1.0f}));

    ASSERT_TRUE(Call(u"SP.ALPHA", {Str(u"hero"), Int(40)}));
    EXPECT_EQ(m_Hero->GetAlpha(), 40);
    ASSERT_TRUE(Call(u"SP.ALPHA", {Str(u"hero")}));
    EXPECT_EQ(m_Hero->GetAlpha(), 255);
    ASSERT_TRUE(Call(u"SP.BLEND", {Str(u"hero"), Int(5)}));
    EXPECT_EQ(m_Hero->GetBlendMode(), 5);
    ASSERT_TRUE(Call(u"SP.BLEND", {Str(u"hero"), Str(u"")}));
    EXPECT_EQ(m_Hero->GetBlendMode(), 2);
}

TEST_F(StandBuiltins, StillPictureWithItsCompanionAndPlace)
{
    Picture("a", 100, 200);
    Picture("a_w", 10, 10);
    Picture("b", 64, 128);

    // An earlier move is finished before the change, so "N" keeps where it ended.
    const float target[4] = {300.0f, 40.0f, 3.0f, 0.0f};
    m_Hero->SetPos(GxVector3(0.0f, 0.0f, 3.0f));
    m_Hero->AddAction(target, 1000, 1);
    ASSERT_TRUE(Call(u"SP.LCG", {Str(u"hero"), Str(u"a"), Str(u"N"), Str(u"B"), Flt(7.5), Int(0)}));
    EXPECT_TRUE(Errors().empty());
    EXPECT_TRUE(m_Hero->IsActionListEmpty());
    const GxLayerContent& content = m_Hero->GetCurrentContent();
    EXPECT_EQ(content.m_MultiContentFileName, (std::vector<std::u16string>{PicturePath(u"a")}));
    EXPECT_EQ(content.m_Width, 100);
    EXPECT_EQ(m_Hero->GetPos(), GxVector3(300.0f, 568.0f, 3.0f));
    EXPECT_EQ(m_Hero->GetOrderZ(), 7.5f);
    EXPECT_FALSE(m_Hero->IsInTransit());
    GxSubLayerContent* companion = content.GetSubLayer(0);
    ASSERT_NE(companion, nullptr);
    EXPECT_EQ(companion->m_ContentFileName, PicturePath(u"a_w"));
    EXPECT_FALSE(companion->m_Visible);

    // The default time fades; a picture without "_w" empties the sub-layer; "M" halves the
    // integer part of the room.
    ASSERT_TRUE(Call(u"SP.LCG", {Str(u"hero"), Str(u"b.png"), Str(u"M"), Str(u"T")}));
    EXPECT_TRUE(m_Hero->IsInTransit());
    EXPECT_EQ(m_Hero->GetTransitParam().m_TransitTimeTotal, 800);
    EXPECT_EQ(m_Hero->GetPos(), GxVector3(480.0f, 0.0f, 3.0f));
    ASSERT_NE(m_Hero->GetCurrentContent().GetSubLayer(0), nullptr);
    EXPECT_TRUE(m_Hero->GetCurrentContent().GetSubLayer(0)->m_ContentFileName.empty());

    // No picture: the character fades out and still moves.
    ASSERT_TRUE(Call(u"SP.LCG", {Str(u"hero"), Str(u""), Int(10), Flt(20.5), Str(u""), Int(300)}));
    EXPECT_EQ(m_Hero->GetCurrentContent().m_ContentType, kLayerContentNone);
    EXPECT_EQ(m_Hero->GetTransitParam().m_TransitTimeTotal, 300);
    EXPECT_EQ(m_Hero->GetPos(), GxVector3(10.0f, 20.5f, 3.0f));
    EXPECT_EQ(m_Hero->GetOrderZ(), 7.5f);

    // A missing picture names the path as written and changes nothing.
    EXPECT_FALSE(Call(u"SP.LCG", {Str(u"hero"), Str(u"none"), Int(0), Int(0)}));
    EXPECT_EQ(Errors(), (std::vector<std::string>{"sp.lcg:画像ファイルが見つかりません[" +
                                                   WideToUtf8(m_StandPath) + "none]"}));
    EXPECT_EQ(m_Hero->GetPos(), GxVector3(10.0f, 20.5f, 3.0f));
}

// Records what the character's layer is asked to load as a motion.
class MotionRecordingLayer : public GxTaskLayer {
public:
    using GxTaskLayer::GxTaskLayer;
    bool LoadMotionProject(const std::u16string& file, const std::u16string& imageSet, const std::u16string& group,
                           const std::u16string& motion, std::int32_t startFrame, std::int32_t fadeMs) override
    {
        m_Calls.push_back(WideToUtf8(file + u"|" + imageSet + u"|" + group + u"|" + motion) + "|" +
                          std::to_string(startFrame) + "|" + std::to_string(fadeMs));
        return m_Result;
    }
    std::vector<std::string> m_Calls;
    bool m_Result = true;
};

TEST_F(StandBuiltins, MotionProjectsFromTheCharactersProjectFile)
{
    const fs::path gnc = m_Harness.Folder() / "gnc";
    fs::create_directories(gnc);
    const std::u16string folder = Utf8ToWide(gnc.string()) + u"/";
    m_Harness.Config().m_System.m_Folders[GxSystemConfig::kFolderGnc] = folder;
    m_Harness.Config().m_System.m_Folders[GxSystemConfig::kFolderGncGis] = u"gis/";
    DBAvgCharRow* row = GetDBAvgChar().GetRow(3);
    row->m_CharName = u"mover";
    row->m_NCProjFileName = u"mover";
    auto* layer = new MotionRecordingLayer(Find(u"$STAND:SeqAvgMain"), nullptr, u"mover", 0);
    layer->SetPos(GxVector3(1.0f, 2.0f, 3.0f));

    // The project file is probed with its extension; x and y change only when given.
    EXPECT_FALSE(Call(u"SP.LNC", {Str(u"mover"), Str(u"g"), Str(u"walk")}));
    EXPECT_EQ(Errors(), (std::vector<std::string>{"sp.lnc:NCProjファイルが見つかりません[" + WideToUtf8(folder) + "mover]"}));
    ASSERT_TRUE(WriteImageFile((gnc / "mover.gnc").string(), ImageBytes{1, 2, 3}));
    ASSERT_TRUE(Call(u"SP.LNC", {Str(u"mover"), Str(u"g"), Str(u"walk"), Str(u""), Flt(9.5), Int(4)}));
    ASSERT_TRUE(Call(u"SP.LNC", {Str(u"mover"), Str(u""), Str(u"run"), Int(7), Str(u""), Str(u""), Int(0)}));
    EXPECT_EQ(layer->m_Calls, (std::vector<std::string>{WideToUtf8(folder) + "mover.gnc|gis/|g|walk|0|800",
                                                         WideToUtf8(folder) + "mover.gnc|gis/||run|0|0"}));
    EXPECT_EQ(layer->GetPos(), GxVector3(7.0f, 9.5f, 3.0f));
    EXPECT_EQ(layer->GetOrderZ(), 4.0f);

    m_Log.Clear();
    layer->m_Result = false;
    EXPECT_FALSE(Call(u"SP.LNC", {Str(u"mover"), Str(u"g"), Str(u"missing")}));
    EXPECT_EQ(Errors(), (std::vector<std::string>{"sp.lnc:モーショングループが存在しないか読み込みミスです"}));

    // Without a motion the character fades out.
    layer->LoadSolidColor(0xFF000000u, 0);
    ASSERT_TRUE(Call(u"SP.LNC", {Str(u"mover"), Str(u"g"), Str(u""), Int(-5)}));
    EXPECT_EQ(layer->GetCurrentContent().m_ContentType, kLayerContentNone);
    EXPECT_EQ(layer->GetTransitParam().m_TransitTimeTotal, 800);
    EXPECT_EQ(layer->GetPos(), GxVector3(-5.0f, 9.5f, 3.0f));
}

TEST_F(StandBuiltins, MovesAndTheWaitForThem)
{
    // At rest: nothing to wait for.
    ASSERT_TRUE(Call(u"SP.WA", {Str(u"hero"), Int(1)}));
    EXPECT_EQ(Game().m_Hold_EndOfLayerActionSeparate, 0);
    EXPECT_FALSE(Game().m_HideWindowByCommandFlag);

    m_Hero->SetPos(GxVector3(5.0f, 6.0f, 2.0f));
    m_Hero->m_ActionPause = true;
    ASSERT_TRUE(Call(u"SP.ACT_MOVE", {Str(u"hero"), Int(100), Flt(50.5)}));
    ASSERT_TRUE(Call(u"SP.ACT_MOVE", {Str(u"hero"), Str(u"R"), Str(u"X"), Int(500), Int(3)}));
    EXPECT_FALSE(m_Hero->m_ActionPause);
    const auto& actions = m_Hero->GetActionList(0);
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_EQ(actions[0].m_ActionType, kActionMoveTo);
    EXPECT_EQ(actions[0].m_TimeTotal, 0);
    EXPECT_EQ(actions[0].m_InterMode, 1);
    EXPECT_EQ(actions[0].m_End, GxVector3(100.0f, 50.5f, 2.0f));
    // Keywords work on the position at the call: no content, so "R" is the whole width; other
    // text is 0 vertically.
    EXPECT_EQ(actions[1].m_End, GxVector3(1024.0f, 0.0f, 2.0f));
    EXPECT_EQ(actions[1].m_TimeTotal, 500);
    EXPECT_EQ(actions[1].m_InterMode, 3);

    ASSERT_TRUE(Call(u"SP.WA", {Str(u"hero")}));
    EXPECT_EQ(Game().m_Hold_EndOfLayerActionSeparate, 15);
    EXPECT_EQ(Game().m_Hold_EndOfLayerActionSeparate_LayerName, u"hero");
    EXPECT_FALSE(Game().m_HideWindowByCommandFlag);
    ASSERT_TRUE(Call(u"SP.WA", {Str(u"hero"), Int(1), Int(0)}));
    EXPECT_EQ(Game().m_Hold_EndOfLayerActionSeparate, 1);
    EXPECT_TRUE(Game().m_HideWindowByCommandFlag);

    // The 0 ms move lands on the next step; the screen's wait test lets go once both have run.
    m_Harness.Step(0);
    EXPECT_EQ(m_Hero->GetPos(), GxVector3(100.0f, 50.5f, 2.0f));
    EXPECT_EQ(Game().m_Hold_EndOfLayerActionSeparate, 1);
    m_Harness.Step(600000);
    m_Harness.Step(0);
    EXPECT_EQ(m_Hero->GetPos(), GxVector3(1024.0f, 0.0f, 2.0f));
    EXPECT_EQ(Game().m_Hold_EndOfLayerActionSeparate, 0);

    // A finish runs whatever is queued to its end.
    ASSERT_TRUE(Call(u"SP.ACT_MOVE", {Str(u"hero"), Str(u"L"), Str(u"T"), Int(1000)}));
    ASSERT_TRUE(Call(u"SP.ACT_FINISH", {Str(u"hero")}));
    EXPECT_TRUE(m_Hero->IsActionListEmpty());
    EXPECT_EQ(m_Hero->GetPos(), GxVector3(0.0f, 0.0f, 2.0f));
}

TEST_F(StandBuiltins, ShakeSubLayersAndClearingEveryone)
{
    ASSERT_TRUE(Call(u"SP.SHAKE", {Str(u"hero"), Int(500), Int(4), Int(6)}));
    EXPECT_TRUE(m_Hero->m_Shake);
    EXPECT_EQ(m_Hero->m_ShakeAmplitude, GxVector3(4.0f, 6.0f, 0.0f));
    EXPECT_EQ(m_Hero->m_ShakeTimeTotal, 500);
    ASSERT_TRUE(Call(u"SP.SHAKE", {Str(u"hero")}));
    EXPECT_EQ(m_Hero->m_ShakeAmplitude, GxVector3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(m_Hero->m_ShakeTimeTotal, 800);
    ASSERT_TRUE(Call(u"SP.SHAKE_END", {Str(u"hero")}));
    EXPECT_FALSE(m_Hero->m_Shake);

    // A sub-layer picture loads hidden, without finishing the character's moves.
    Picture("face", 8, 8);
    const float target[4] = {10.0f, 0.0f, 0.0f, 0.0f};
    m_Hero->AddAction(target, 1000, 1);
    ASSERT_TRUE(Call(u"SP.SUB", {Str(u"hero"), Int(0), Str(u"face")}));
    GxSubLayerContent* sub = m_Hero->GetCurrentContent().GetSubLayer(0);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->m_ContentFileName, PicturePath(u"face"));
    EXPECT_EQ(sub->m_Width, 8);
    EXPECT_FALSE(sub->m_Visible);
    EXPECT_FALSE(m_Hero->IsActionListEmpty());
    EXPECT_FALSE(Call(u"SP.SUB", {Str(u"hero"), Int(0), Str(u"nose")}));
    EXPECT_EQ(sub->m_ContentFileName, PicturePath(u"face"));
    ASSERT_TRUE(Call(u"SP.SUB", {Str(u"hero"), Int(0)}));
    EXPECT_TRUE(sub->m_ContentFileName.empty());
    // An index the content does not have touches nothing and stops the script.
    for (const std::int64_t index : {1, -1}) {
        EXPECT_FALSE(Call(u"SP.SUB", {Str(u"hero"), Int(index), Str(u"face")}));
        EXPECT_FALSE(Call(u"SP.SUB", {Str(u"hero"), Int(index)}));
    }
    EXPECT_EQ(Errors(), (std::vector<std::string>{"sp.sub:画像ファイルが見つかりません[" + WideToUtf8(m_StandPath) + "nose]",
                                                   "sp.sub:サブレイヤー[1]はありません", "sp.sub:サブレイヤー[1]はありません",
                                                   "sp.sub:サブレイヤー[-1]はありません",
                                                   "sp.sub:サブレイヤー[-1]はありません"}));

    GxTaskLayer* layers[] = {m_Hero, StandLayer(u"heroine"), StandLayer(u"extra")};
    for (GxTaskLayer* layer : layers)
        layer->LoadSolidColor(0xFF102030u, 0);
    ASSERT_TRUE(Call(u"SP.CLEARALL", {Int(250)}));
    for (GxTaskLayer* layer : layers) {
        EXPECT_EQ(layer->GetCurrentContent().m_ContentType, kLayerContentNone);
        EXPECT_EQ(layer->GetTransitParam().m_TransitTimeTotal, 250);
    }
}

TEST_F(StandBuiltins, StandBlocksListThePictures)
{
    Picture("a", 100, 200);
    Picture("a_w", 4, 4);
    Picture("b", 100, 200);
    m_Hero->SetPos(GxVector3(1.0f, 2.0f, 3.0f));
    ASSERT_TRUE(Run("STAND(\"hero\", \"M\", \"B\", 7, 0)\n"
                    "a\n"
                    "\n"
                    "b.png\n"
                    "endstand()\n"
                    "SP.ALPHA(\"hero\", 40)"));
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(m_Hero->GetCurrentContent().m_MultiContentFileName,
              (std::vector<std::u16string>{PicturePath(u"a"), PicturePath(u"b")}));
    EXPECT_EQ(m_Hero->GetPos(), GxVector3(462.0f, 568.0f, 3.0f));
    EXPECT_EQ(m_Hero->GetOrderZ(), 7.0f);
    EXPECT_EQ(m_Hero->GetCurrentContent().GetSubLayer(0)->m_ContentFileName, PicturePath(u"a_w"));
    EXPECT_EQ(m_Hero->GetAlpha(), 40);   // the script went on after the block

    // An empty block fades the character out and leaves its place and depth.
    m_Hero->SetPos(GxVector3(5.0f, 6.0f, 3.0f));
    ASSERT_TRUE(Run("STAND(\"hero\", \"L\", \"T\", 2, 100)\nendstand()\nSP.ALPHA(\"hero\", 41)"));
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(m_Hero->GetCurrentContent().m_ContentType, kLayerContentNone);
    EXPECT_EQ(m_Hero->GetTransitParam().m_TransitTimeTotal, 100);
    EXPECT_EQ(m_Hero->GetPos(), GxVector3(5.0f, 6.0f, 3.0f));
    EXPECT_EQ(m_Hero->GetOrderZ(), 7.0f);
    EXPECT_EQ(m_Hero->GetAlpha(), 41);

    // Running off the script's end ends the block with what it collected.
    ASSERT_TRUE(Run("STAND(\"hero\", 0, 0, \"\", 0)\nb"));
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(m_Hero->GetCurrentContent().m_MultiContentFileName, (std::vector<std::u16string>{PicturePath(u"b")}));
}

TEST_F(StandBuiltins, BlockTokensOtherThanTextsAndTheEndStopTheScript)
{
    Picture("a", 10, 10);
    const struct {
        std::string body;
        std::string error;
    } cases[] = {
        {"STAND(\"hero\", 0, 0)\na\n$v = 1\nendstand()",
         "stand:ENDSTANDに到達する前に処理できないトークンがあります[変数名 String:v]"},
        {"STAND(\"hero\", 0, 0)\nSP.ALPHA(\"hero\", 1)\nendstand()",
         "stand:ENDSTANDに到達する前に処理できないトークンがあります[組み込み関数名 String:sp.alpha]"},
        {"STAND(\"hero\", 0, 0)\nendtext()", "stand:ENDSTANDに到達する前に処理できないトークンがあります[組み込み関数名 String:endtext]"},
        // The second of three pictures is missing: nothing loads.
        {"STAND(\"hero\", 0, 0)\na\nb2\nc\nendstand()", "stand:画像ファイルが見つかりません[" + WideToUtf8(m_StandPath) + "b2]"},
        {"TEXT(\"Mio\")\nfirst\n$v = 1\nendtext()",
         "text:ENDTEXTに到達する前に処理できないトークンがあります[変数名 String:v]"},
        {"TEXT(\"Mio\")\nendstand()", "text:ENDTEXTに到達する前に処理できないトークンがあります[組み込み関数名 String:endstand]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        ASSERT_TRUE(Run(c.body));
        ASSERT_FALSE(Errors().empty());
        EXPECT_EQ(Errors().front(), c.error);
        EXPECT_EQ(m_Hero->GetCurrentContent().m_ContentType, kLayerContentNone);
        EXPECT_EQ(m_Hero->GetAlpha(), 255);
        EXPECT_TRUE(Game().m_MessageLog.empty());
    }
}

TEST_F(StandBuiltins, BlocksTakeWordsAndStringsAndStepOverCommandStartsAndEnds)
{
    Picture("a", 10, 10);
    Picture("b", 10, 10);
    MoaAssembler assembler;
    assembler.AddScript(u"main", "*MAIN\nBUILTIN stand, endstand, sp.alpha\nSTAND(\"hero\", 0, 0, \"\", 0)\nplaceholder\n"
                                 "endstand()\nSP.ALPHA(\"hero\", 40)\n");
    ASSERT_TRUE(moa_test::LoadProgram(assembler, m_Moa));
    GxMoaScript* script = m_Moa.FindScript(u"main");
    ASSERT_NE(script, nullptr);
    ASSERT_GT(script->GetLineCount(), 3);
    std::vector<GxMoaToken>& tokens = script->m_Lines[3].m_Tokens;
    tokens.assign(4, GxMoaToken());
    tokens[0].m_Kind = 14;
    tokens[1].m_Kind = MOA_TOKEN_WORD;
    tokens[1].SetString(u"a");
    tokens[2].m_Kind = MOA_TOKEN_SCRIPT_END;
    tokens[3].m_Kind = MOA_TOKEN_STRING;
    tokens[3].SetString(u"b");
    ASSERT_TRUE(RunLoaded());
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(m_Hero->GetCurrentContent().m_MultiContentFileName,
              (std::vector<std::u16string>{PicturePath(u"a"), PicturePath(u"b")}));
    EXPECT_EQ(m_Hero->GetAlpha(), 40);
}

TEST_F(StandBuiltins, TextBlocksShowOneMessageAndRecordIt)
{
    Game().m_HideWindowByCommandFlag = true;
    ASSERT_TRUE(Run("TEXT(\"Mio\")\n"
                    "line one\n"
                    "line two\n"
                    "line three\n"
                    "endtext()\n"
                    "SP.ALPHA(\"hero\", 40)"));
    EXPECT_TRUE(Errors().empty());
    ASSERT_EQ(Game().m_MessageLog.size(), 1u);
    const GxMessageLogElement& entry = Game().m_MessageLog.back();
    EXPECT_EQ(entry.m_Name, u"Mio");
    EXPECT_EQ(entry.m_Message, u"line one%rline two%rline three");
    EXPECT_TRUE(entry.m_IgnoreKinsoku);
    EXPECT_TRUE(entry.m_DisenableAutoNewline);
    // The key is the statement's line, counted from 1.
    EXPECT_TRUE(m_Perman.IsMessageRead(u"main", 3));
    EXPECT_FALSE(m_Perman.IsMessageRead(u"main", 4));
    EXPECT_FALSE(Game().m_HideWindowByCommandFlag);
    EXPECT_EQ(m_Hero->GetAlpha(), 40);

    // An empty block gives an empty message.
    ASSERT_TRUE(Run("TEXT(\"\")\nendtext()"));
    ASSERT_EQ(Game().m_MessageLog.size(), 2u);
    EXPECT_EQ(Game().m_MessageLog.back().m_Message, u"");
}

TEST_F(StandBuiltins, AVoiceThatIsNotFoundStopsOnlyUnderItsSwitch)
{
    m_Harness.Config().m_System.m_ErrorStopNotFound_VO = true;
    ASSERT_TRUE(Run("TEXT(\"Mio\", \"v404\")\nhello\nendtext()"));
    EXPECT_EQ(Errors().front(), "text:ボイスファイルが見つかりません[v404]");
    EXPECT_TRUE(Game().m_MessageLog.empty());
    EXPECT_FALSE(m_Perman.IsMessageRead(u"main", 3));

    m_Harness.Config().m_System.m_ErrorStopNotFound_VO = false;
    ASSERT_TRUE(Run("TEXT(\"Mio\", \"v404\")\nhello\nendtext()"));
    EXPECT_TRUE(Errors().empty());
    ASSERT_EQ(Game().m_MessageLog.size(), 1u);
    EXPECT_EQ(Game().m_MessageLog.back().m_Message, u"hello");
    EXPECT_TRUE(Game().m_MessageLog.back().m_VoiceFileName[0].empty());
}

TEST_F(StandBuiltins, WaitsStoreTheirBitsAndTheScreenReleasesThem)
{
    GxUserData& data = Game();
    ASSERT_TRUE(Call(u"WA.CLICK", {Int(0), Int(0)}));
    EXPECT_EQ(data.m_Hold_WaitClick, 3);
    EXPECT_FALSE(data.m_HideWindowByCommandFlag);
    ASSERT_TRUE(Call(u"WA.CLICK", {Int(1)}));
    EXPECT_EQ(data.m_Hold_WaitClick, 15);
    EXPECT_TRUE(data.m_HideWindowByCommandFlag);
    ASSERT_TRUE(Call(u"WA.CLICK", {Str(u""), Int(0x100000040)}));   // stored in 32 bits
    EXPECT_EQ(data.m_Hold_WaitClick, 0x43);
    m_Screen->UpdateHolds(1000000);
    EXPECT_EQ(data.m_Hold_WaitClick, 0x43);   // only a click ends it
    data.m_Hold_WaitClick = 0;

    ASSERT_TRUE(Call(u"WA.TIME", {}));
    EXPECT_EQ(data.m_Hold_WaitTime, 15);
    EXPECT_EQ(data.m_Hold_WaitTime_TimeLeft, 0);
    m_Screen->UpdateHolds(0);
    EXPECT_EQ(data.m_Hold_WaitTime, 0);
    ASSERT_TRUE(Call(u"WA.TIME", {Int(0x100000064), Str(u""), Int(2)}));
    EXPECT_EQ(data.m_Hold_WaitTime, 3);
    EXPECT_EQ(data.m_Hold_WaitTime_TimeLeft, 100);
    m_Screen->UpdateHolds(60000);
    EXPECT_EQ(data.m_Hold_WaitTime_TimeLeft, 40);
    m_Screen->UpdateHolds(40000);
    EXPECT_EQ(data.m_Hold_WaitTime, 0);

    // Nothing moves: nothing to wait for, and the windows stay.
    data.m_HideWindowByCommandFlag = false;
    ASSERT_TRUE(Call(u"WA.LAYER", {Int(1)}));
    EXPECT_EQ(data.m_Hold_EndOfLayerActionAll, 0);
    EXPECT_FALSE(data.m_HideWindowByCommandFlag);
    const float target[4] = {10.0f, 0.0f, 0.0f, 0.0f};
    m_Hero->AddAction(target, 100, 1);
    ASSERT_TRUE(Call(u"WA.LAYER", {Int(1), Int(4)}));
    EXPECT_EQ(data.m_Hold_EndOfLayerActionAll, 5);
    EXPECT_TRUE(data.m_HideWindowByCommandFlag);
    m_Harness.Step(200000);
    m_Harness.Step(0);
    EXPECT_EQ(data.m_Hold_EndOfLayerActionAll, 0);
    // A content fade counts as acting too.
    m_Hero->LoadSolidColor(0xFF000000u, 100);
    ASSERT_TRUE(Call(u"WA.LAYER", {}));
    EXPECT_EQ(data.m_Hold_EndOfLayerActionAll, 15);
}

class StandFrames : public StandBuiltins {
protected:
    std::uint32_t Rgb(int x, int y) const { return m_Harness.Pixel(x, y) & 0xFFFFFFu; }
};

TEST_F(StandFrames, TheCharacterIsDrawnWhereTheKeywordsPutIt)
{
    Picture("a", 64, 128, 0xFFC08040u);
    m_Screen->GetMessageWindow()->Hide();
    Layer(u"$BGLAYER:SeqAvgMain")->LoadSolidColor(0xFF204060u, 0);
    ASSERT_TRUE(Run("STAND(\"hero\", \"M\", \"B\", \"\", 0)\na\nendstand()"));
    ASSERT_TRUE(Errors().empty());
    m_Harness.Step(16667);
    // x = trunc(1024 - 64) * 0.5 = 480, y = 768 - 128 = 640.
    EXPECT_EQ(Rgb(480, 640), 0xC08040u);
    EXPECT_EQ(Rgb(543, 767), 0xC08040u);
    EXPECT_EQ(Rgb(479, 700), 0x204060u);
    EXPECT_EQ(Rgb(544, 700), 0x204060u);
    EXPECT_EQ(Rgb(500, 639), 0x204060u);

    ASSERT_TRUE(Call(u"SP.ACT_MOVE", {Str(u"hero"), Str(u"L"), Str(u"N"), Int(300)}));
    for (int i = 0; i < 4; ++i)
        m_Harness.Step(100000);
    EXPECT_EQ(m_Hero->GetPos(), GxVector3(0.0f, 640.0f, 0.0f));
    EXPECT_EQ(Rgb(0, 700), 0xC08040u);
    EXPECT_EQ(Rgb(63, 700), 0xC08040u);
    EXPECT_EQ(Rgb(64, 700), 0x204060u);
    EXPECT_EQ(Rgb(480, 700), 0x204060u);
}

}  // namespace
