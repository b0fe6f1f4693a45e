// [Actor] visual parameters, the two action lists with their timing, curves and end effects,
// the random shake, and the saved state with actions in flight.
#include "layer_fixture.h"

#include "core/task_actor.h"

#include <cmath>

using namespace layer_test;

namespace {

// The runtime library's generator, written out independently of the engine's.
class ActorTest : public LayerFixture {
protected:
    GxTaskActor* MakeActor(GxTaskBase* parent = nullptr)
    {
        return new GxTaskActor(parent ? parent : m_Root, nullptr, nullptr, 0);
    }
};

}  // namespace

TEST_F(ActorTest, DefaultsAndBuildersQueueTheDocumentedActions)
{
    GxTaskActor* actor = MakeActor();
    EXPECT_TRUE(actor->m_KindFlags & kKindActor);
    EXPECT_TRUE(actor->m_KindFlags & kKindFolder);
    const GxActorVisualParam& v = actor->m_VisualParam;
    EXPECT_TRUE(v.m_Visible);
    EXPECT_EQ(v.m_OrderZ, 1000.0f);
    EXPECT_EQ(v.m_Alpha, 255);
    EXPECT_EQ(v.m_BlendMode, 2);
    EXPECT_EQ(ColorToArgb(v.m_Color0), 0xFFFFFFFFu);
    EXPECT_EQ(ColorToArgb(v.m_Color1), 0u);
    EXPECT_EQ(v.m_Scale, GxVector3(1, 1, 1));

    const float xyz[4] = {1, 2, 3, 4};
    actor->AddWaitAction(1, 40);
    actor->AddFadeInAction(0, 500);
    actor->AddFadeOutAction(1, 300);
    actor->AddAction(xyz, 250, kInterEaseIn);
    actor->AddRelativeMoveAction(xyz);
    actor->AddHideAction();
    actor->AddActionType12(xyz, 60);
    actor->AddActionType16();
    actor->AddActionType17();
    actor->AddWaitAction(2, 10);   // no such list: nothing queued

    struct Expected {
        std::int32_t type, time, curve;
        GxVector3 end;
    };
    const Expected list0[] = {{1, 500, 1, {255, 0, 0}},
                              {2, 250, kInterEaseIn, {1, 2, 3}},
                              {9, 0, 1, {0, 0, 0}},
                              {12, 60, 1, {1, 2, 3}}};
    const Expected list1[] = {{0, 40, 1, {0, 0, 0}},
                              {1, 300, 1, {0, 0, 0}},
                              {5, 200, 1, {1, 2, 3}},
                              {16, 150, 1, {0, 0, 0}},
                              {17, 150, 1, {0, 0, 0}}};
    auto check = [&](std::int32_t list, const auto& expected) {
        const auto& actions = actor->GetActionList(list);
        ASSERT_EQ(actions.size(), std::size(expected)) << "list " << list;
        for (std::size_t i = 0; i < actions.size(); ++i) {
            SCOPED_TRACE("list " + std::to_string(list) + " action " + std::to_string(i));
            EXPECT_EQ(actions[i].m_ActionType, expected[i].type);
            EXPECT_EQ(actions[i].m_TimeLeft, expected[i].time);
            EXPECT_EQ(actions[i].m_TimeTotal, expected[i].time);
            EXPECT_EQ(actions[i].m_InterMode, expected[i].curve);
            EXPECT_EQ(actions[i].m_InterParam, 0);
            EXPECT_EQ(actions[i].m_End, expected[i].end);
            EXPECT_FALSE(actions[i].m_InitCompleted);
        }
    };
    check(0, list0);
    check(1, list1);

    actor->ClearActions();   // no end effect runs
    EXPECT_TRUE(actor->IsActionListEmpty());
    EXPECT_TRUE(actor->IsVisible());
}

TEST_F(ActorTest, LinearFadeTruncatesAndReportsWhileActionsRemain)
{
    GxTaskActor* actor = MakeActor();
    actor->SetAlpha(0);
    actor->AddFadeInAction(0, 500);
    std::vector<std::int32_t> alphas;
    std::vector<bool> running;
    for (int i = 0; i < 5; ++i) {
        running.push_back(actor->UpdateActions(100));
        alphas.push_back(actor->GetAlpha());
    }
    EXPECT_EQ(alphas, (std::vector<std::int32_t>{51, 102, 153, 204, 255}));
    EXPECT_EQ(running, (std::vector<bool>{true, true, true, true, false}));
    EXPECT_TRUE(actor->IsActionListEmpty());

    // The task update counts elapsed microseconds as milliseconds.
    actor->AddFadeOutAction(1, 200);
    actor->Update(0, 100000);
    EXPECT_EQ(actor->GetAlpha(), 127);
}

TEST_F(ActorTest, LeftoverTimeFlowsIntoTheNextActionOfTheSameListOnly)
{
    // Same list: the wait ends after 100 ms and the other 50 ms run the hide to its end.
    GxTaskActor* same = MakeActor();
    same->AddWaitAction(0, 100);
    same->AddHideAction();
    EXPECT_FALSE(same->UpdateActions(150));
    EXPECT_FALSE(same->IsVisible());

    // Lists side by side: the hide ends in the first step, the wait goes on.
    GxTaskActor* apart = MakeActor();
    apart->AddHideAction();
    apart->AddWaitAction(1, 100);
    EXPECT_TRUE(apart->UpdateActions(50));
    EXPECT_FALSE(apart->IsVisible());
    EXPECT_EQ(apart->GetActionList(1).front().m_TimeLeft, 50);

    // A 0 ms step still runs the front action and completes at most one finished action per list.
    GxTaskActor* zero = MakeActor();
    const float rgb[3] = {0.5f, 0.25f, 0.0f};
    zero->AddActionType12(rgb, 0);
    zero->AddHideAction();
    EXPECT_TRUE(zero->UpdateActions(0));
    EXPECT_FLOAT_EQ(zero->GetColor0().g, 0.25f);
    EXPECT_TRUE(zero->IsVisible());
    EXPECT_FALSE(zero->UpdateActions(0));
    EXPECT_FALSE(zero->IsVisible());

    // A negative time left (a damaged save) counts as none: it lends no time to the next action.
    GxTaskActor* negative = MakeActor();
    negative->AddWaitAction(0, 0);
    negative->m_ActionList[0].front().m_TimeLeft = -0x7FFFFFFF;
    negative->AddWaitAction(0, 100);
    EXPECT_TRUE(negative->UpdateActions(30));
    EXPECT_EQ(negative->GetActionList(0).front().m_TimeLeft, 70);
}

TEST_F(ActorTest, RelativeMovesTakeTheirStartWhenTheyFirstRun)
{
    GxTaskActor* actor = MakeActor();
    const float offset[4] = {5, 5, 0, 0};
    actor->AddWaitAction(1, 100);
    actor->AddRelativeMoveAction(offset);   // queued while at the origin
    actor->SetPos(GxVector3(10, 0, 0));
    actor->UpdateActions(100);               // the wait ends exactly; the move has not run yet
    actor->UpdateActions(100);
    EXPECT_EQ(actor->GetPos(), GxVector3(12.5f, 2.5f, 0));
    actor->UpdateActions(100);
    EXPECT_EQ(actor->GetPos(), GxVector3(15, 5, 0));

    // Absolute moves, scales and rotations interpolate from where they first ran.
    const float target[4] = {100, 0, 0, 0};
    actor->AddAction(target, 100, kInterLinear);
    actor->UpdateActions(50);
    EXPECT_EQ(actor->GetPos(), GxVector3(57.5f, 2.5f, 0));
}

TEST_F(ActorTest, CurvesFollowTheirFormulas)
{
    struct Case {
        std::int32_t mode;
        float t;
        float expected;
    };
    const double pi2 = 2.0 * 3.14159265358979323846;
    const Case cases[] = {
        {kInterLinear, 0.25f, 0.25f},
        {7, 0.25f, 0.25f},   // unknown modes are linear
        {kInterEaseOut, 0.25f, static_cast<float>(1.0 - std::pow(0.75, 2.6))},
        {kInterEaseIn, 0.25f, static_cast<float>(std::pow(0.25, 2.6))},
        {kInterSine, 0.25f, static_cast<float>(0.25 - std::sin(pi2 * 0.25) / pi2)},
        {kInterSine, 1.0f, 1.0f},
    };
    for (const Case& c : cases) {
        GxTaskActor* actor = MakeActor();
        const float target[4] = {1000, 0, 0, 0};
        actor->AddAction(target, 1000, c.mode);
        actor->UpdateActions(static_cast<std::int32_t>(c.t * 1000));
        EXPECT_NEAR(actor->GetPos().x, 1000.0f * c.expected, 0.01f) << "mode " << c.mode << " t " << c.t;
    }
    EXPECT_FLOAT_EQ(GxEasePower(10, 20, 0.5f, 0.4f), 20 - 10 * std::pow(0.5f, 2.6f));
    EXPECT_FLOAT_EQ(GxEaseSineWave(0, 1, 0.5f, -1.0f), 0.5f);
}

TEST_F(ActorTest, FinishActionsReachesEveryEndEffect)
{
    GxTaskActor* parent = MakeActor();
    GxTaskActor* child = MakeActor(parent);
    parent->SetAlpha(0);
    parent->AddFadeInAction(0, 30000);   // needs three 10 s passes
    const float rgb[3] = {0.1f, 0.2f, 0.3f};
    parent->AddActionType12(rgb, 5);
    GxActionParam blend;
    blend.m_ActionType = kActionSetBlendMode;
    blend.m_End.x = 3.9f;
    parent->m_ActionList[1].push_back(blend);
    GxActionParam sound;
    sound.m_ActionType = kActionSystemSound;
    sound.m_End.x = 7;
    parent->m_ActionList[1].push_back(sound);
    parent->AddActionType17();

    parent->FinishActions();
    EXPECT_TRUE(parent->IsActionListEmpty());
    EXPECT_EQ(parent->GetAlpha(), 255);
    EXPECT_FLOAT_EQ(parent->GetColor0().b, 0.3f);
    EXPECT_FLOAT_EQ(parent->GetColor0().a, 1.0f);   // colour actions keep the alpha
    EXPECT_EQ(parent->GetBlendMode(), 3);
    EXPECT_EQ(GxStandinTrace::GetEvents(), (std::vector<std::u16string>{u"PlaySystemSound(7,0)"}));
    EXPECT_TRUE(child->IsSuspended());
    EXPECT_TRUE(parent->IsActive());

    // Remove ends the actor itself, children first.
    GxActionParam remove;
    remove.m_ActionType = kActionRemove;
    parent->m_ActionList[0].push_back(remove);
    parent->UpdateActions(0);
    EXPECT_TRUE(parent->IsRemoved());
    EXPECT_TRUE(child->IsRemoved());
}

// An actor whose suspend hook wakes it and queues the suspend again: an end effect that never
// lets the lists run dry.
class RequeueingActor : public GxTaskActor {
public:
    RequeueingActor(GxTaskBase* parent, std::int32_t duration)
        : GxTaskActor(parent, nullptr, nullptr, 0), m_Duration(duration)
    {
        Requeue();
    }
    void OnSuspend() override
    {
        ++m_Suspends;
        Resume();
        Requeue();
    }
    void Requeue()
    {
        GxActionParam suspend;
        suspend.m_ActionType = kActionSuspend;
        suspend.m_TimeLeft = m_Duration;
        suspend.m_TimeTotal = m_Duration;
        m_ActionList[1].push_back(suspend);
    }

    std::int32_t m_Duration;
    int m_Suspends = 0;
};

class WarningCapture : public GxDebugListenerBase {
public:
    WarningCapture() { LogSetSink(this); }
    ~WarningCapture() override { LogSetSink(nullptr); }
    int Output(const char16_t* text, std::int32_t level) override
    {
        if (level == kLevelWarning)
            m_Lines.push_back(WideToUtf8(text));
        return 0;
    }
    std::vector<std::string> m_Lines;
};

TEST_F(ActorTest, EndEffectsThatKeepQueueingAreCappedWithAWarning)
{
    // FinishActions: 1024 steps of 10 s, each ending 10000 / 150 rounded up actions of 150 ms.
    auto* actor = new RequeueingActor(m_Root, 150);
    {
        WarningCapture warnings;
        actor->FinishActions();   // returns instead of spinning forever
        ASSERT_EQ(warnings.m_Lines.size(), 1u);
        EXPECT_EQ(warnings.m_Lines[0], "GxTaskActor::FinishActions/actions keep arriving; 1 left for the next update ()\n");
        EXPECT_GE(actor->m_Suspends, 1024 * 66);
        EXPECT_FALSE(actor->IsActionListEmpty()) << "the rest waits for the next update";
        EXPECT_TRUE(actor->IsActive());
    }

    // One step: zero-length actions never use up the time.
    auto* instant = new RequeueingActor(m_Root, 0);
    WarningCapture warnings;
    EXPECT_TRUE(instant->UpdateActions(16));
    EXPECT_EQ(instant->m_Suspends, 1024);
    ASSERT_EQ(warnings.m_Lines.size(), 1u);
    EXPECT_EQ(warnings.m_Lines[0], "GxTaskActor::StepActionList/actions keep arriving; 1 left for the next update ()\n");
}

TEST_F(ActorTest, ShakeDrawsFourNumbersOnEvenUpdatesAndResetsWhenDone)
{
    GxTaskActor* parent = MakeActor();
    parent->SetPos(GxVector3(100, 50, 0));
    GxTaskActor* actor = MakeActor(parent);
    actor->SetPos(GxVector3(1, 2, 3));
    GxActionParam shake;
    shake.m_ActionType = kActionShake;
    shake.m_TimeLeft = shake.m_TimeTotal = 100;
    shake.m_End = GxVector3(20, 10, 0);
    actor->m_ActionList[0].push_back(shake);

    msvc::srand(1234);
    ReferenceRand reference(1234);
    actor->m_UpdateCount = 0;
    actor->UpdateActions(32);   // e = 32 ms: a drift of 40 degrees
    const double toRad = 0.01745329238474369;
    const int a1 = reference.Next() % 360 + 40;
    const int r1 = reference.Next() % 10000;
    const int a2 = reference.Next() % 360 + 40;
    const int r2 = reference.Next() % 10000;
    // Each angle is rounded to single precision before its sine or cosine is taken.
    const double angle1 = static_cast<float>(a1 * toRad);
    const double angle2 = static_cast<float>(a2 * toRad);
    const float expectedX = static_cast<float>(static_cast<int>(r1 * std::sin(angle1) / 10000.0 * 20));
    const float expectedY = static_cast<float>(static_cast<int>(r2 * std::cos(angle2) / 10000.0 * 10));
    EXPECT_EQ(actor->m_VisualParam.m_ShakeOffsetPos.x, expectedX);
    EXPECT_EQ(actor->m_VisualParam.m_ShakeOffsetPos.y, expectedY);
    EXPECT_EQ(actor->m_VisualParam.m_ShakeOffsetPos.z, 0.0f);
    EXPECT_EQ(actor->GetWorldPos(), GxVector3(101 + expectedX, 52 + expectedY, 3));

    // Odd update counts draw nothing.
    actor->m_UpdateCount = 1;
    actor->UpdateActions(16);
    EXPECT_EQ(msvc::rand(), reference.Next());

    actor->m_UpdateCount = 2;
    actor->UpdateActions(100);
    EXPECT_TRUE(actor->IsActionListEmpty());
    EXPECT_EQ(actor->m_VisualParam.m_ShakeOffsetPos, GxVector3(0, 0, 0));
    EXPECT_EQ(actor->GetWorldPos(), GxVector3(101, 52, 3));
}

TEST_F(ActorTest, StateRoundTripResumesActionsInFlight)
{
    GxTaskActor* written = MakeActor();
    written->SetAlpha(0);
    written->SetPos(GxVector3(4, 5, 6));
    written->SetColor0Argb(0x80FF4000);
    written->m_ActionPause = true;
    written->AddFadeInAction(0, 500);
    const float offset[4] = {10, 0, 0, 0};
    written->AddRelativeMoveAction(offset);
    written->AddWaitAction(1, 70);
    written->m_ActionList[1].back().m_InterMode = -2;   // stored unsigned, read back as it was
    written->UpdateActions(100);                         // both first actions are started

    TextRecord record([&](GxContentWriterBase& w) { EXPECT_TRUE(written->WriteState(w)); });
    EXPECT_NE(record.m_Text.find("06\tm_InterMode\t"), std::string::npos);

    GxTaskActor* read = MakeActor();
    read->AddHideAction();   // replaced by the saved lists
    read->SetPos(GxVector3(-100, 0, 0));
    auto reader = record.Reader();
    EXPECT_TRUE(read->ReadState(*reader));
    EXPECT_TRUE(read->m_ActionPause);
    EXPECT_EQ(read->GetAlpha(), 51);
    EXPECT_NEAR(read->GetColor0().a, 128 / 255.0f, 1e-5f);
    ASSERT_EQ(read->GetActionList(0).size(), 1u);
    ASSERT_EQ(read->GetActionList(1).size(), 2u);
    EXPECT_EQ(read->GetActionList(1).back().m_InterMode, -2);

    // Both resume where they stood: the move does not take a new start.
    EXPECT_EQ(read->GetPos(), GxVector3(9, 5, 6));
    for (GxTaskActor* actor : {written, read}) {
        actor->UpdateActions(100);
        EXPECT_EQ(actor->GetAlpha(), 102);
        EXPECT_EQ(actor->GetPos(), GxVector3(14, 5, 6));
    }
}

TEST_F(ActorTest, DamagedActionListFailsWithoutTrustingItsCount)
{
    GxTaskActor* source = MakeActor();
    source->AddWaitAction(0, 10);
    TextRecord good([&](GxContentWriterBase& w) { source->WriteState(w); });
    // The first list claims four billion actions but holds one.
    std::string text = good.m_Text;
    const std::string from = "m_ActionList\t\t1\t";
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, from.size(), "m_ActionList\t\t4000000000\t");
    TextRecord damaged(text);

    GxTaskActor* read = MakeActor();
    auto reader = damaged.Reader();
    EXPECT_FALSE(read->ReadState(*reader));
    EXPECT_EQ(read->GetActionList(0).size(), 1u);
}
