// GxInput into the task tree: an SDL key press becomes, in the next logic step, a key action on
// the deepest consuming task of the active screen, and a moved axis an axis event.
#include "input_fixture.h"

#include "core/core.h"
#include "core/key_code.h"
#include "core/seq_base.h"
#include "core/task_manage.h"

#include <memory>

namespace {

using namespace inputtest;

class KeyActionTask : public GxTaskFolder {
public:
    KeyActionTask(GxTaskBase* parent, const char16_t* name, int consume)
        : GxTaskFolder(parent, name, nullptr, 0), m_Consume(consume)
    {
    }
    int OnKeyAction(const GxInputDeviceState* state, std::int32_t, std::uint64_t) override
    {
        m_Actions.push_back(state);
        return m_Consume;
    }
    int OnKeyActionEx(const GxVector3* axis, std::int32_t device, std::int32_t index, std::int32_t,
                      std::uint64_t) override
    {
        m_Axes.push_back({axis, device, index});
        return m_Consume;
    }

    struct AxisCall {
        const GxVector3* axis;
        std::int32_t device, index;
    };
    int m_Consume;
    std::vector<const GxInputDeviceState*> m_Actions;
    std::vector<AxisCall> m_Axes;
};

class InputDispatchTest : public InputTest {
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        m_Manage = std::make_unique<GxTaskManage>(&m_Core);
        m_Core.m_TaskManage = m_Manage.get();
        auto* root = new GxTaskBase(m_Manage.get());
        m_Seq = new GxSeqBase(root, u"SeqInputTest");
        ASSERT_TRUE(m_Manage->ChangeSequence(m_Seq, 0, 0, 0));
        m_Manage->ApplySequenceChanges();
        m_Outer = new KeyActionTask(m_Seq, u"outer", 1);
        m_Inner = new KeyActionTask(m_Outer, u"inner", 1);
    }
    void TearDown() override
    {
        m_Manage.reset();
        InputTest::TearDown();
    }

    // The input part of one logic step, in the frame's order.
    void InputStep(std::int32_t step)
    {
        GxInput::Update();
        if (GxInput::IsAnyActionActive()) m_Manage->DispatchKeyAction(GxInput::GetActionState(), step, 0);
        for (std::int32_t d = 0; d < kInputRecordCount; ++d) {
            GxInputDeviceState* state = GxInput::GetDeviceState(d);
            for (std::int32_t k = 0; k < kInputAxisCount; ++k)
                if (state->m_AxisActive[k]) m_Manage->DispatchKeyActionEx(&state->m_Axes[k], d, k, step, 0);
        }
    }

    GxCore m_Core;
    std::unique_ptr<GxTaskManage> m_Manage;
    GxSeqBase* m_Seq = nullptr;
    KeyActionTask* m_Outer = nullptr;
    KeyActionTask* m_Inner = nullptr;
};

TEST_F(InputDispatchTest, KeyPressReachesTheDeepestConsumingTaskOnTheNextStep)
{
    Start();
    GxInput::BindKey(KeyCodeFromName(u"KC_KEYB_RETURN"), 12, 1);
    InputStep(0);
    EXPECT_TRUE(m_Inner->m_Actions.empty());   // nothing down: no key-action walk

    PushKey(true, SDL_SCANCODE_RETURN);
    InputStep(0);
    ASSERT_EQ(m_Inner->m_Actions.size(), 1u);
    EXPECT_EQ(m_Inner->m_Actions[0], GxInput::GetActionState());
    EXPECT_TRUE(m_Inner->m_Actions[0]->m_Pressed.Test(12));
    EXPECT_TRUE(m_Outer->m_Actions.empty());   // the child consumed it

    m_Inner->m_Consume = 0;
    PushKey(false, SDL_SCANCODE_RETURN);
    InputStep(1);   // the release is still an action event
    EXPECT_EQ(m_Inner->m_Actions.size(), 2u);
    ASSERT_EQ(m_Outer->m_Actions.size(), 1u);
    EXPECT_TRUE(m_Outer->m_Actions[0]->m_ReleasedEdge.Test(12));
    InputStep(0);
    EXPECT_EQ(m_Outer->m_Actions.size(), 1u);
}

TEST_F(InputDispatchTest, ActiveAxesOfEveryRecordBecomeAxisEvents)
{
    Start();
    GxInput::BindAxis(3, kInputKeyboard, 2);
    InputStep(0);
    PushKey(true, SDL_SCANCODE_D);
    InputStep(0);
    ASSERT_EQ(m_Inner->m_Axes.size(), 2u);
    EXPECT_EQ(m_Inner->m_Axes[0].device, kInputKeyboard);
    EXPECT_EQ(m_Inner->m_Axes[0].index, 2);
    EXPECT_EQ(m_Inner->m_Axes[0].axis->x, 600.0f);
    EXPECT_EQ(m_Inner->m_Axes[1].device, kInputActions);
    EXPECT_EQ(m_Inner->m_Axes[1].index, 3);
    EXPECT_EQ(m_Inner->m_Axes[1].axis->x, 600.0f);
}

}  // namespace
