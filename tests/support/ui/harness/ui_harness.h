// The headless UI harness: a software device on the virtual adapter (1024 x 768), a core of its
// own with a task manager, the real UI state and widget services (the saved game's play-screen
// widget calls included) and the configuration, a main
// window whose cursor the test sets, and a test screen in worker slot 0, switched in and ready,
// that records every UI event per hook. Input goes through the task manager's entries that the
// window procedure uses; a step runs logic passes, the update and render walks, and draws the
// render lists into the back buffer, which the test reads back. Widget drawing is recorded (and
// drawn) by a WidgetDrawRecorder. Layout rows come from the data tables loaded with the real
// reader. No GoogleTest.
#pragma once

#include "core/core.h"
#include "core/seq_base.h"
#include "core/ui_listener.h"
#include "data/user_data.h"
#include "platform/win32/win_types.h"
#include "tests/support/core_config_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_device.h"
#include "tests/support/ui/harness/widget_draw_recorder.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

class GxPlayScreenWidgetsBase;
class GxTaskManage;
class GxUIManage;

// One UI event as a hook received it.
struct UITestEvent {
    std::int32_t hook = 0;   // 1 to 26
    GxTaskUIBase* sender = nullptr;
    GxUIEventParam event;
};

class UITestScreen : public GxSeqBase {
public:
    UITestScreen(GxTaskBase* owner, const char16_t* name);

    int OnUIEvent(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(1, sender, event); }
    int OnUIEventCode2(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(2, sender, event); }
    int OnUIEventCode3(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(3, sender, event); }
    int OnUIEventCode4(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(4, sender, event); }
    int OnUIEventCode5(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(5, sender, event); }
    int OnUIEventCode6(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(6, sender, event); }
    int OnUIEventCode7(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(7, sender, event); }
    int OnUIEventCode8(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(8, sender, event); }
    int OnUIEventCode9(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(9, sender, event); }
    int OnUIEventCode10(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(10, sender, event); }
    int OnUIEventCode11(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(11, sender, event); }
    int OnUIEventCode12(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(12, sender, event); }
    int OnUIEventCode13(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(13, sender, event); }
    int OnUIEventCode14(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(14, sender, event); }
    int OnUIEventCode15(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(15, sender, event); }
    int OnUIEventCode16(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(16, sender, event); }
    int OnUIEventCode17(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(17, sender, event); }
    int OnUIEventCode18(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(18, sender, event); }
    int OnUIEventCode19(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(19, sender, event); }
    int OnUIEventCode20(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(20, sender, event); }
    int OnUIEventCode21(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(21, sender, event); }
    int OnUIEventCode22(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(22, sender, event); }
    int OnUIEventCode23(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(23, sender, event); }
    int OnUIEventCode24(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(24, sender, event); }
    int OnUIEventCode25(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(25, sender, event); }
    int OnUIEventCode26(GxTaskUIBase* sender, const GxUIEventParam* event) override { return Record(26, sender, event); }

    // Events of one hook, oldest first.
    std::vector<UITestEvent> EventsOf(std::int32_t hook) const;

    std::vector<UITestEvent> m_Events;

private:
    int Record(std::int32_t hook, GxTaskUIBase* sender, const GxUIEventParam* event);
};

class UIHarness {
public:
    UIHarness();
    ~UIHarness();
    UIHarness(const UIHarness&) = delete;
    UIHarness& operator=(const UIHarness&) = delete;

    // The device and the window were made.
    bool Ok() const { return m_Device.Created() && m_Window != nullptr; }

    GxCore& Core() { return m_Core; }
    GxTaskManage& Manage() { return *m_Manage; }
    GxTaskBase* Root() { return m_Root; }
    UITestScreen* Screen() { return m_Screen; }
    GxUIManage& UI() { return *m_UI; }
    WidgetDrawRecorder& Recorder() { return m_Recorder; }
    // The game configuration and player options the widgets read (Refresh after a change).
    TestCoreConfig& Config() { return m_Config; }
    // A folder of the harness's own, e.g. the game folder of the layout tables.
    const std::filesystem::path& Folder() const { return m_Temp.Path(); }

    // "data/db_uimodule.txt" and "data/db_uilayout.txt" under the folder into the global tables
    // with the real reader (the tables are blanked first, and again when the harness goes).
    bool LoadUITables(const std::filesystem::path& gameFolder);
    // The layout walk for the parent name under owner (the test screen when null).
    void CreateWidgets(const char16_t* parentName, GxTaskBase* owner = nullptr);

    // The cursor GxCore::GetCursorClientPos answers.
    void SetCursor(int x, int y);
    // Input through the task manager; each moves the cursor to the point first.
    int MouseMove(int x, int y, std::uint32_t keys = 0);
    int LeftDown(int x, int y, bool doubleClick = false, std::uint32_t keys = 0);
    int LeftUp(int x, int y, std::uint32_t keys = 0);
    int RightDown(int x, int y, std::uint32_t keys = 0);
    int Wheel(int x, int y, std::int32_t delta, std::uint32_t keys = 0);
    int KeyDown(WPARAM key, LPARAM flags = 0);

    // One frame: `passes` logic passes (the first with `elapsedMicroseconds`, the others 0), each
    // the update and render walks, then the render lists drawn into the back buffer.
    void Step(std::uint64_t elapsedMicroseconds, std::int32_t passes = 1);
    std::vector<std::uint32_t> ReadFrame(UINT* width = nullptr, UINT* height = nullptr) const
    {
        return m_Device.ReadFrame(width, height);
    }
    std::uint32_t Pixel(int x, int y) const { return m_Device.Pixel(x, y); }

private:
    TestTempDir m_Temp{"tw_ui"};
    TestDevice m_Device;
    WidgetDrawRecorder m_Recorder;
    GxUserData m_UserData;
    GxCore m_Core;
    TestCoreConfig m_Config{m_Core};   // after the core: taken out before it
    std::unique_ptr<GxTaskManage> m_Manage;
    GxUIManage* m_UI = nullptr;
    GxTaskBase* m_Root = nullptr;
    UITestScreen* m_Screen = nullptr;
    HWND m_Window = nullptr;
    GxPlayScreenWidgetsBase* m_PreviousScreenWidgets = nullptr;
};
