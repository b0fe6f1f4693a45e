// The adventure builtins as the engine binds them: the script instance, its main worker and the
// default builtins, then the module's set, over a core of the test's own with game data,
// persistent data, the real configuration and a task manager whose system sequence is a
// "SeqSystem" of the test's own that records the dialog requests.
#pragma once

#include "avg/avg_builtin.h"
#include "core/core.h"
#include "core/seq_base.h"
#include "core/system_dialog_host.h"
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

// One request for the user dialog.
struct GxUserDialogRequest {
    std::u16string m_Identifier;
    GxSeqBase* m_Requester = nullptr;
    std::u16string m_Text;
    std::int32_t m_ButtonSet = 0;
};

// One notice as the system layer received it.
struct GxNoticeRequest {
    std::u16string m_Text;
    std::u16string m_IconName;
    std::int32_t m_Alignment = 0;
    std::uint32_t m_Colour = 0;
};

// The system layer as the builtins see it: requests and notices are recorded; nothing opens.
class SeqSystem : public GxSeqBase, public GxSystemDialogHost {
public:
    explicit SeqSystem(GxTaskBase* owner) : GxSeqBase(owner, u"SeqSystem") {}

    const std::u16string& GetUserDialogTag() const override { return m_UserDialogTag; }
    GxSeqBase* GetUserDialogOpener() const override { return m_UserDialogOpener; }
    void CloseShutdownDialog(bool) override {}
    void CloseUserDialog(bool) override { m_UserDialogOpener = nullptr; }
    void ShowUserDialog(const std::u16string& identifier, GxSeqBase* requester, const std::u16string& text,
                        std::int32_t buttonSet) override
    {
        m_UserDialogTag = identifier;
        m_UserDialogOpener = requester;
        m_LastUserDialogRequest = {identifier, requester, text, buttonSet};
        ++m_UserDialogRequestCount;
    }
    bool IsShutdownDialogActive() const override { return m_ShutdownDialogActive; }
    void PostSystemNotice(const std::u16string& text, const std::u16string& iconName, std::int32_t iconAlign,
                          std::uint32_t textColor) override
    {
        m_LastSystemNotice = {text, iconName, iconAlign, textColor};
        ++m_SystemNoticeCount;
    }
    void PostUserNotice(const std::u16string& text, const std::u16string& iconName, std::int32_t iconAlign,
                        std::uint32_t textColor) override
    {
        m_LastUserNotice = {text, iconName, iconAlign, textColor};
        ++m_UserNoticeCount;
    }

    const GxUserDialogRequest& GetLastUserDialogRequest() const { return m_LastUserDialogRequest; }
    std::int32_t GetUserDialogRequestCount() const { return m_UserDialogRequestCount; }
    const GxNoticeRequest& GetLastSystemNotice() const { return m_LastSystemNotice; }
    const GxNoticeRequest& GetLastUserNotice() const { return m_LastUserNotice; }
    std::int32_t GetSystemNoticeCount() const { return m_SystemNoticeCount; }
    std::int32_t GetUserNoticeCount() const { return m_UserNoticeCount; }

private:
    std::u16string m_UserDialogTag;
    GxSeqBase* m_UserDialogOpener = nullptr;
    GxUserDialogRequest m_LastUserDialogRequest;
    std::int32_t m_UserDialogRequestCount = 0;
    GxNoticeRequest m_LastSystemNotice;
    GxNoticeRequest m_LastUserNotice;
    std::int32_t m_SystemNoticeCount = 0;
    std::int32_t m_UserNoticeCount = 0;
    bool m_ShutdownDialogActive = false;
};

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
