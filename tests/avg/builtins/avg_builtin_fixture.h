// The adventure builtins as the engine binds them: the script instance, its main worker and the
// default builtins, then the module's set, over a core of the test's own with game data,
// persistent data, the real configuration and a task manager whose system sequence is the
// stand-in "SeqSystem".
#pragma once

#include "avg/avg_builtin.h"
#include "avg/standins/screens_standin.h"
#include "core/core.h"
#include "core/seq_base.h"
#include "core/task_manage.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "tests/script/builtin_fixture.h"
#include "tests/support/core_config_fixture.h"

#include <memory>
#include <string>

namespace avg_builtin_test {

using script_test::Arr;
using script_test::Flt;
using script_test::Int;
using script_test::Null;
using script_test::Str;

class AvgBuiltinTest : public moa_test::MoaBuiltinTest {
protected:
    void SetUp() override
    {
        MoaBuiltinTest::SetUp();
        m_Core.m_UserData = &m_UserData;
        m_Core.m_UserDataPerman = &m_Perman;
        m_Manage = std::make_unique<GxTaskManage>(&m_Core);
        m_Core.m_TaskManage = m_Manage.get();
        m_Root = new GxTaskBase(m_Manage.get());
        m_System = new SeqSystem(m_Root);
        m_Manage->SetSystemSequence(m_System);
        m_Avg.RegisterBuiltins(&m_Binder);
    }
    void TearDown() override
    {
        m_Manage.reset();
        m_Core.m_TaskManage = nullptr;
        MoaBuiltinTest::TearDown();
    }

    void SetDebugMode(bool on)
    {
        m_Config.m_System.m_DebugModeFlag = on;
        m_Config.Refresh();
    }

    // A sequence under the root, switched into slot `worker` with the two request words.
    GxSeqBase* EnterSequence(const char16_t* name, std::int32_t worker, std::int32_t word0, std::int32_t word1)
    {
        GxSeqBase* sequence = dynamic_cast<GxSeqBase*>(m_Manage->FindTask(name));
        if (sequence == nullptr)
            sequence = new GxSeqBase(m_Root, name);
        EXPECT_TRUE(m_Manage->ChangeSequence(sequence, worker, word0, word1));
        m_Manage->ApplySequenceChanges();
        return sequence;
    }

    // The error lines of the run, as UTF-8.
    std::vector<std::string> Errors() const { return Lines(GxDebugListenerBase::kLevelError); }

    GxCore m_Core;
    TestCoreConfig m_Config{m_Core};
    GxUserData m_UserData;
    GxUserDataPerman m_Perman;
    std::unique_ptr<GxTaskManage> m_Manage;
    GxTaskBase* m_Root = nullptr;
    SeqSystem* m_System = nullptr;
    AvgBuiltin m_Avg{&m_Core};
};

}  // namespace avg_builtin_test
