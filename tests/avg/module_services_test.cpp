// [Module services] The global fade, the default background and the script start on a small
// tree with the play screen's task names; the optional-argument test; the notification record.
#include "avg/module_services.h"

#include "avg_tree_fixture.h"
#include "core/seq_base.h"
#include "core/task_actor.h"
#include "core/task_layer.h"
#include "data/system_config.h"
#include "script/moa_ex.h"
#include "script/script_engine.h"
#include "script/variable.h"
#include "script/worker.h"
#include "tests/support/moa_assembler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

using namespace avg_test;

namespace {

class ModuleServicesTest : public AvgTreeTest {
protected:
    // The play screen's pieces the services look for, as the play screen names them.
    void BuildPlayScreen()
    {
        m_Screen = new GxSeqBase(m_Root, u"SeqAvgMain");
        m_Fade = new GxTaskActor(m_Screen, u"$GLOBALFADE:SeqAvgMain", nullptr, 0);
        m_Background = new GxTaskLayer(m_Screen, u"$BGLAYER:SeqAvgMain");
    }

    GxSeqBase* m_Screen = nullptr;
    GxTaskActor* m_Fade = nullptr;
    GxTaskLayer* m_Background = nullptr;
};

TEST_F(ModuleServicesTest, GlobalFadeEmptiesBothListsThenFadesOrSetsTheAlphaAtOnce)
{
    BuildPlayScreen();
    struct Case {
        bool out;
        std::int32_t ms;
        std::int32_t alpha;   // the alpha afterwards (unchanged from 128 when a fade is queued)
        float target;         // the queued fade's end, when one is queued
    };
    const Case cases[] = {
        {false, 0, 0, 0.0f},   {false, -5, 0, 0.0f},    {false, 500, 128, 0.0f},
        {true, 0, 255, 0.0f},  {true, -5, 255, 0.0f},   {true, 500, 128, 255.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.out ? "out " : "in ") << c.ms);
        m_Fade->SetAlpha(128);
        m_Fade->AddWaitAction(0, 100);
        m_Fade->AddWaitAction(1, 100);
        if (c.out)
            AvgGlobalFadeOut(c.ms);
        else
            AvgGlobalFadeIn(c.ms);
        EXPECT_EQ(m_Fade->GetAlpha(), c.alpha);
        EXPECT_TRUE(m_Fade->GetActionList(1).empty());
        if (c.ms <= 0) {
            EXPECT_TRUE(m_Fade->IsActionListEmpty());
            continue;
        }
        ASSERT_EQ(m_Fade->GetActionList(0).size(), 1u);
        const GxActionParam& fade = m_Fade->GetActionList(0).front();
        EXPECT_EQ(fade.m_ActionType, kActionAlpha);
        EXPECT_EQ(fade.m_TimeTotal, c.ms);
        EXPECT_EQ(fade.m_End.x, c.target);
        m_Fade->FinishActions();
        EXPECT_EQ(m_Fade->GetAlpha(), static_cast<std::int32_t>(c.target));
    }
}

TEST_F(ModuleServicesTest, DefaultBackgroundIsShownAtOnceOnTheBackgroundLayer)
{
    BuildPlayScreen();
    m_Config.m_System.m_DefaultBgImageFile = u"cg/bg/plain.png";
    m_Background->LoadFlexImage(u"cg/bg/before.png", 0);
    LoadDefaultBackground();
    EXPECT_EQ(m_Background->GetCurrentContent().m_ContentFileName, u"cg/bg/plain.png");
    EXPECT_FALSE(m_Background->IsInTransit());
    EXPECT_EQ(m_Background->GetOtherContent().m_ContentType, kLayerContentNone);
    // The configuration's built-in default.
    EXPECT_EQ(GxSystemConfig().m_DefaultBgImageFile, u"cg/bg/黒.png");
}

TEST_F(ModuleServicesTest, WithoutThePlayScreenNothingHappensAndTheStartLogsTheMissingScreen)
{
    new GxTaskActor(m_Root, u"$GLOBALFADE:Elsewhere", nullptr, 0);
    // A task of the right name but the wrong kind is left alone too.
    new GxTaskBase(m_Root, u"$BGLAYER:SeqAvgMain", nullptr, 0);
    AvgGlobalFadeIn(500);
    AvgGlobalFadeOut(0);
    LoadDefaultBackground();
    EXPECT_TRUE(m_Graphics.m_Loads.empty());
    AvgStartScriptAtLabel(0, u"MAIN");
    EXPECT_EQ(m_Log.Lines(), (std::vector<std::string>{"スクリプトにラベル MAIN が存在しないため実行できません\n",
                                                       "遷移先のシーケンスが見つかりません(SeqAvgMain)\n"}));
    EXPECT_FALSE(m_Manage->IsAnyChangePending());

    // No task manager at all.
    m_Log.Clear();
    m_Core.m_TaskManage = nullptr;
    AvgGlobalFadeOut(100);
    LoadDefaultBackground();
    AvgStartScriptAtLabel(1, u"MAIN");
    EXPECT_EQ(m_Log.Lines().back(), "遷移先のシーケンスが見つかりません(SeqAvgMain)\n");
    m_Core.m_TaskManage = m_Manage.get();
}

class ScriptStartTest : public ModuleServicesTest {
protected:
    ScriptStartTest()
    {
        CreateScriptEngine(nullptr);
        MoaAssembler assembler;
        assembler.AddScript(u"main", "*MAIN\n$a = 1\n*SECOND\n$b = 2\n");
        EXPECT_TRUE(assembler.Build(*GetScriptInstance()));
        GetScriptInstance()->BuildVariables();
        GetMainWorker()->RebuildScriptEntities();
    }
    ~ScriptStartTest() override { DestroyScriptEngine(); }
};

TEST_F(ScriptStartTest, AnExistingLabelRestartsTheMainWorkerAndRequestsThePlayScreen)
{
    BuildPlayScreen();
    GxMoaWorker* worker = GetMainWorker();
    ASSERT_TRUE(worker->ResetAndJump(u"SECOND", nullptr));
    const std::int32_t lineOfSecond = worker->GetLine(nullptr);
    ASSERT_TRUE(worker->ResetAndJump(u"MAIN", nullptr));
    ASSERT_NE(worker->GetLine(nullptr), lineOfSecond);
    worker->Step(GetFunctionBinder());

    AvgStartScriptAtLabel(1, u"SECOND");
    EXPECT_TRUE(m_Log.Lines().empty()) << m_Log.Lines().front();
    ASSERT_TRUE(worker->IsRunning());
    EXPECT_EQ(worker->GetExecStack().size(), 1u);
    EXPECT_EQ(worker->GetLine(nullptr), lineOfSecond);
    // Default background, then the 1000 ms fade-in.
    EXPECT_EQ(m_Background->GetCurrentContent().m_ContentFileName, m_Config.m_System.m_DefaultBgImageFile);
    ASSERT_EQ(m_Fade->GetActionList(0).size(), 1u);
    EXPECT_EQ(m_Fade->GetActionList(0).front().m_TimeTotal, 1000);
    EXPECT_EQ(m_Fade->GetActionList(0).front().m_End.x, 0.0f);
    EXPECT_TRUE(m_Manage->IsChangePending(1));
    EXPECT_FALSE(m_Manage->IsChangePending(0));
    const GxSeqWorker* slot = m_Manage->GetWorker(1);
    EXPECT_EQ(slot->m_Pending, m_Screen);
    EXPECT_EQ(slot->m_PendingParam[0], 0);
    EXPECT_EQ(slot->m_PendingParam[1], 0);
}

TEST_F(ScriptStartTest, AMissingLabelIsLoggedAndThePlayScreenIsStillRequested)
{
    BuildPlayScreen();
    AvgStartScriptAtLabel(0, u"NOWHERE");
    EXPECT_EQ(m_Log.Lines(), (std::vector<std::string>{"スクリプトにラベル NOWHERE が存在しないため実行できません\n"}));
    EXPECT_FALSE(GetMainWorker()->IsRunning());
    EXPECT_TRUE(m_Manage->IsChangePending(0));
    EXPECT_EQ(m_Manage->GetWorker(0)->m_Pending, m_Screen);
}

TEST(MoaArgIsNonEmptyTest, OnlyAGivenValueWithTextCounts)
{
    auto text = [](const char16_t* s) {
        GxMoaVariable value;
        value.SetString(s);
        return value;
    };
    auto integer = [](std::int64_t n) {
        GxMoaVariable value;
        value.SetInt64(n);
        return value;
    };
    GxMoaVariable null;
    null.Clear();
    struct Case {
        const char* what;
        std::optional<GxMoaVariable> value;
        bool expected;
    };
    const Case cases[] = {
        {"missing", std::nullopt, false}, {"null", null, false},        {"empty", text(u""), false},
        {"zero text", text(u"0"), true},  {"space", text(u" "), true},   {"int 0", integer(0), true},
        {"word", text(u"abc"), true},     {"int 7", integer(7), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(MoaArgIsNonEmpty(c.value ? &*c.value : nullptr), c.expected);
    }
}

TEST(UINotifyParamTest, InitFillsSenderCodeAndValueAndZeroesTheRest)
{
    GxUIEventParam param;
    std::memset(static_cast<void*>(&param), 0xA5, sizeof param);
    auto* sender = reinterpret_cast<GxTaskUIBase*>(&param);
    UINotifyParam::Init(&param, sender, 1, 42);
    EXPECT_EQ(param.m_Sender, sender);
    EXPECT_EQ(param.m_Code, 1);
    EXPECT_EQ(param.m_Value1, 42);
    EXPECT_EQ(param.m_Value2, 0);
    for (const GxVector3& vector : param.m_Vector) {
        EXPECT_EQ(vector.x, 0.0f);
        EXPECT_EQ(vector.y, 0.0f);
        EXPECT_EQ(vector.z, 0.0f);
        EXPECT_EQ(vector.w, 0.0f);
    }
    EXPECT_EQ(param.m_Value, 0);
    EXPECT_EQ(param.m_Flag, 0);
}

}  // namespace
