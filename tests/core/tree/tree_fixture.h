// Shared pieces of the task tree tests: a log listener, a journal of task calls, probe tasks that
// record what the walks call on them, a stand-in widget with the services the screens ask, a
// resident system sequence with its dialogs, and a fixture with a core, a manager and a root.
#pragma once

#include "core/core.h"
#include "core/seq_base.h"
#include "data/user_data.h"
#include "tests/support/core_config_fixture.h"
#include "core/system_dialog_host.h"
#include "core/task_base.h"
#include "core/task_folder.h"
#include "core/task_manage.h"
#include "core/widget_services.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/graphics.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

// The widget base is the widget subsystem's; these tests only need a folder with the states the
// screens query through the widget services.
class GxTaskUIBase : public GxTaskFolder {
public:
    GxTaskUIBase(GxTaskBase* parent, const char16_t* name, const char16_t* localName = nullptr, std::int32_t index = 0)
        : GxTaskFolder(parent, name, localName, index)
    {
        m_KindFlags |= kKindWidget;
    }

    bool m_Visible = true;
    bool m_Enabled = true;
    bool m_Locked = false;
    bool m_ActionsEmpty = true;
    std::int32_t m_ModalPriority = 0;
};

// The UI state is the widget subsystem's too; the gate reads these through the services.
class GxUIManage {
public:
    std::int32_t m_DialogCount = 0;
    std::int32_t m_UIHold[4] = {0, 0, 0, 0};
};

namespace tree_test {

// Keeps the error and warning lines logged while it is registered, as UTF-8.
class LogCapture : public GxDebugListenerBase {
public:
    LogCapture() { LogSetSink(this); }
    ~LogCapture() override { LogSetSink(nullptr); }
    int Output(const char16_t* text, std::int32_t level) override
    {
        if (level == kLevelError)
            m_Errors.push_back(WideToUtf8(text));
        else if (level == kLevelWarning)
            m_Warnings.push_back(WideToUtf8(text));
        return 0;
    }
    std::vector<std::string> m_Errors;
    std::vector<std::string> m_Warnings;
    void Clear()
    {
        m_Errors.clear();
        m_Warnings.clear();
    }
};

using Journal = std::vector<std::string>;

// Records every walk call as "label.Operation" and consumes the listener events named in
// m_Consume. Works on top of GxTaskBase, GxTaskFolder and GxSeqBase.
template <typename Base>
class Probe : public Base {
public:
    template <typename... Args>
    Probe(Journal* journal, std::string label, Args&&... args)
        : Base(std::forward<Args>(args)...), m_Journal(journal), m_Label(std::move(label))
    {
    }
    ~Probe() override
    {
        if (m_Deleted)
            *m_Deleted = true;
    }

    void Note(const std::string& what)
    {
        if (m_Journal)
            m_Journal->push_back(m_Label + "." + what);
    }
    int Consumes(const std::string& what) const
    {
        for (const std::string& c : m_Consume) {
            if (c == what)
                return 1;
        }
        return 0;
    }

    void OnResume() override { Note("OnResume"); }
    void OnSuspend() override { Note("OnSuspend"); }
    void OnRemove() override { Note("OnRemove"); }
    void OnSequenceEnter(std::int32_t worker) override
    {
        Note("Enter" + std::to_string(worker));
        Base::OnSequenceEnter(worker);
    }
    void OnSequenceLeave(std::int32_t worker) override
    {
        Note("Leave" + std::to_string(worker));
        Base::OnSequenceLeave(worker);
    }
    int Update(std::int32_t step, std::uint64_t elapsed) override
    {
        if (!m_InStartMain)
            Note("Update");
        if (m_OnUpdate)
            m_OnUpdate(this);
        return Base::Update(step, elapsed);
    }
    int StartMain(std::int32_t step, std::uint64_t elapsed) override
    {
        Note("StartMain");
        m_InStartMain = true;
        const int result = Base::StartMain(step, elapsed);
        m_InStartMain = false;
        return result;
    }
    int Render(std::int32_t step, std::uint64_t elapsed) override
    {
        Note("Render");
        return Base::Render(step, elapsed);
    }
    int Draw(std::int32_t value, std::int32_t listIndex) override
    {
        Note("Draw" + std::to_string(value) + "@" + std::to_string(listIndex));
        return 0;
    }
    int DrawNotReady(std::int32_t value, std::int32_t listIndex) override
    {
        Note("DrawNotReady" + std::to_string(value) + "@" + std::to_string(listIndex));
        return 0;
    }
    int OnWindowActivate() override { Note("Activate"); return Consumes("Activate"); }
    int OnMouseLeftDown(const GxVector2*, std::uint32_t, std::int32_t doubleClick) override
    {
        Note("LeftDown" + std::to_string(doubleClick));
        return Consumes("LeftDown");
    }
    int OnMouseMove(const GxVector2*, std::uint32_t) override { Note("Move"); return Consumes("Move"); }
    int OnKeyDown(WPARAM, LPARAM) override { Note("KeyDown"); return Consumes("KeyDown"); }
    int OnKeyAction(const GxInputDeviceState*, std::int32_t, std::uint64_t) override
    {
        Note("KeyAction");
        return Consumes("KeyAction");
    }
    int OnNetEvent1(std::int32_t) override { Note("Net"); return Consumes("Net"); }

    Journal* m_Journal;
    std::string m_Label;
    std::vector<std::string> m_Consume;
    bool* m_Deleted = nullptr;
    void (*m_OnUpdate)(Probe*) = nullptr;
    bool m_InStartMain = false;
};

using ProbeTask = Probe<GxTaskBase>;
using ProbeFolder = Probe<GxTaskFolder>;
using ProbeSeq = Probe<GxSeqBase>;

// The resident system sequence with its dialog state.
class SystemSeq : public Probe<GxSeqBase>, public GxSystemDialogHost {
public:
    SystemSeq(Journal* journal, GxTaskBase* owner) : Probe<GxSeqBase>(journal, "sys", owner, u"SeqSystem") {}

    const std::u16string& GetUserDialogTag() const override { return m_Tag; }
    GxSeqBase* GetUserDialogOpener() const override { return m_Opener; }
    void CloseShutdownDialog(bool playSound) override { Note(playSound ? "CloseShutdown+sound" : "CloseShutdown"); }
    void CloseUserDialog(bool playSound) override { Note(playSound ? "CloseUser+sound" : "CloseUser"); }
    void ShowUserDialog(const std::u16string&, GxSeqBase*, const std::u16string&, std::int32_t) override
    {
        Note("ShowUser");
    }
    bool IsShutdownDialogActive() const override { return false; }
    void PostSystemNotice(const std::u16string&, const std::u16string&, std::int32_t, std::uint32_t) override {}
    void PostUserNotice(const std::u16string&, const std::u16string&, std::int32_t, std::uint32_t) override {}

    std::u16string m_Tag;
    GxSeqBase* m_Opener = nullptr;
};

class FakeWidgetServices : public GxWidgetServicesBase {
public:
    GxTaskBase* GetWidgetTask(GxTaskUIBase* widget) override { return widget; }
    bool IsVisibleInTree(GxTaskUIBase* widget) override { return widget->m_Visible; }
    bool IsEnabledInTree(GxTaskUIBase* widget) override { return widget->m_Enabled; }
    bool IsLockedInTree(GxTaskUIBase* widget) override { return widget->m_Locked; }
    std::int32_t GetModalPriorityInTree(GxTaskUIBase* widget) override { return widget->m_ModalPriority; }
    bool IsActionListEmpty(GxTaskUIBase* widget) override { return widget->m_ActionsEmpty; }
    GxTaskUIBase* CreateWidget(GxSeqBase*, GxTaskBase* owner, const DBUILayoutRow*, const char16_t* name,
                               std::int32_t index) override
    {
        return new GxTaskUIBase(owner, name, nullptr, index);
    }
    GxTaskUIBase* CreateWidgetFromModule(GxSeqBase*, GxTaskBase* owner, const DBUIModuleRow*, const char16_t* name,
                                         std::int32_t index) override
    {
        return new GxTaskUIBase(owner, name, nullptr, index);
    }
    GxUIManage* CreateUIManage() override { return new GxUIManage(); }
    void DeleteUIManage(GxUIManage* ui) override { delete ui; }
    std::int32_t GetModalLevel(const GxUIManage* ui) override { return ui->m_DialogCount; }
    std::int32_t GetUIHold(const GxUIManage* ui, std::int32_t index) override { return ui->m_UIHold[index]; }
};

// A core with its UI state, configuration and game data, a manager and a tree root. Tasks are
// built on the heap under the root; the manager deletes them.
class TreeFixture : public ::testing::Test {
protected:
    TreeFixture()
    {
        m_Core.m_UIManage = &m_UI;
        m_Core.m_UserData = &m_UserData;
        m_Core.m_WidgetServices = &m_Widgets;
        m_Manage = std::make_unique<GxTaskManage>(&m_Core);
        m_Core.m_TaskManage = m_Manage.get();
        m_Root = new GxTaskBase(m_Manage.get());
    }
    ~TreeFixture() override { m_Manage.reset(); }

    // A sequence under the root, switched into slot `worker` by a request and one apply.
    ProbeSeq* StartSequence(const char16_t* name, std::int32_t worker, const std::string& label)
    {
        auto* seq = new ProbeSeq(&m_Journal, label, m_Root, name);
        EXPECT_TRUE(m_Manage->ChangeSequence(seq, worker, 0, 0));
        m_Manage->ApplySequenceChanges();
        return seq;
    }
    SystemSeq* MakeSystem()
    {
        auto* sys = new SystemSeq(&m_Journal, m_Root);
        m_Manage->SetSystemSequence(sys);
        return sys;
    }

    LogCapture m_Log;
    Journal m_Journal;
    GxUIManage m_UI;
    GxUserData m_UserData;
    FakeWidgetServices m_Widgets;
    GxCore m_Core;
    TestCoreConfig m_Config{m_Core};
    std::unique_ptr<GxTaskManage> m_Manage;
    GxTaskBase* m_Root = nullptr;
};

}  // namespace tree_test
