// The screens' in-process checks: the UI harness with the system layer's module rows and images
// loaded, a resident SeqSystem under the harness root (made the system sequence), and the sound
// calls recorded.
#pragma once

#include "core/task_manage.h"
#include "screens/screen_sound.h"
#include "screens/seq_system.h"
#include "tests/support/ui/harness/ui_harness.h"
#include "tests/support/ui/system_layer_rows.h"
#include "ui/task_ui_base.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace screens_test {

// "sound s v", "voice v" and "volumes" in call order.
class RecordingScreenSound : public GxScreenSoundBase {
public:
    bool PlaySystemSound(std::int32_t soundID, std::int32_t voiceID) override
    {
        m_Calls.push_back("sound " + std::to_string(soundID) + " " + std::to_string(voiceID));
        return true;
    }
    bool PlaySystemVoice(std::int32_t voiceID) override
    {
        m_Calls.push_back("voice " + std::to_string(voiceID));
        return true;
    }
    bool IsVoicePlaying() override { return m_VoicePlaying; }
    void ApplyMusicVolumes() override { m_Calls.push_back("volumes"); }

    std::vector<std::string> m_Calls;
    bool m_VoicePlaying = false;
};

// A module row of `type` named `name`, 100 by 40.
inline ModuleRow ScreenModule(const char16_t* name, std::int32_t type)
{
    ModuleRow row;
    row.type = type;
    row.name = name;
    row.w = 100;
    row.h = 40;
    return row;
}

// A sequence that remembers the request words it was entered with and how often it was entered.
class RecordingSeq : public GxSeqBase {
public:
    RecordingSeq(GxTaskBase* owner, const char16_t* name) : GxSeqBase(owner, name) {}
    void OnSequenceEnter(std::int32_t worker) override
    {
        GxSeqBase::OnSequenceEnter(worker);
        const GxSeqWorker* slot = m_Manage->GetWorker(worker);
        m_Words[0] = slot->m_CurrentParam[0];
        m_Words[1] = slot->m_CurrentParam[1];
        ++m_Entered;
    }
    std::int32_t m_Words[2] = {-1, -1};
    std::int32_t m_Entered = 0;
};

class ScreenHarness {
public:
    // Layout rows go to the layout table beside the system layer's module rows (minus `omit`,
    // numbered from `firstID`).
    explicit ScreenHarness(const std::vector<std::u16string>& omit = {},
                           const std::vector<ModuleRow>& extraModules = {},
                           const std::vector<LayoutRow>& layouts = {}, std::int32_t firstID = 1)
    {
        m_Previous = SetScreenSound(&m_Sound);
        const std::filesystem::path images = m_UI.Folder() / "sysui";
        WriteSystemLayerImages(images);
        std::vector<ModuleRow> modules = SystemLayerModuleRows(images.u16string() + u"/", firstID, omit);
        for (ModuleRow row : extraModules) {
            row.id = static_cast<std::int32_t>(modules.size()) + firstID;
            modules.push_back(row);
        }
        WriteUITables(m_UI.Folder(), modules, layouts);
        m_UI.LoadUITables(m_UI.Folder());
    }
    ~ScreenHarness() { SetScreenSound(m_Previous); }

    // The resident layer under the harness root, made the system sequence.
    SeqSystem* MakeSystem()
    {
        m_System = new SeqSystem(m_UI.Root());
        m_UI.Manage().SetSystemSequence(m_System);
        return m_System;
    }

    // `screen` switched in on slot 0 (entered with `word0`), ready for input.
    void EnterOnSlot0(GxSeqBase* screen, std::int32_t word0 = 0)
    {
        GxTaskManage& manage = m_UI.Manage();
        ASSERT_TRUE(manage.ChangeSequence(screen, 0, word0, 0));
        manage.ApplySequenceChanges();
        manage.SetWorkerReady(0);
        ASSERT_EQ(manage.GetWorker(0)->m_Current, screen);
    }
    // The next main-loop pass's change: what slot 0 runs after it.
    GxSeqBase* ApplyChanges()
    {
        GxTaskManage& manage = m_UI.Manage();
        manage.ApplySequenceChanges();
        return manage.GetWorker(0)->m_Current;
    }

    GxTaskUIBase* Widget(const char16_t* name)
    {
        GxTaskBase* task = m_UI.Manage().FindTask(name);
        return task != nullptr && (task->m_KindFlags & kKindWidget) ? static_cast<GxTaskUIBase*>(task) : nullptr;
    }
    GxTaskUIBase* Child(const char16_t* parent, const char16_t* name, std::int32_t index = 0)
    {
        GxTaskUIBase* folder = Widget(parent);
        GxTaskBase* task = folder != nullptr ? folder->FindTaskLocal(name, index) : nullptr;
        return task != nullptr && (task->m_KindFlags & kKindWidget) ? static_cast<GxTaskUIBase*>(task) : nullptr;
    }

    UIHarness m_UI;
    RecordingScreenSound m_Sound;
    SeqSystem* m_System = nullptr;

private:
    GxScreenSoundBase* m_Previous = nullptr;
};

}  // namespace screens_test
