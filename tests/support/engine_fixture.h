// Shared pieces of the engine-core tests: temporary folders and game folders, a frame clock that
// steps by a fixed amount per read, probe tasks that record what reaches them, a core with its
// own task manager and test window for the window procedure and the frame, and helpers that
// read the logs and the stand-ins' trace. Header-only, for test programs (GoogleTest).
#pragma once

#include "core/core.h"
#include "core/input.h"
#include "core/media_services.h"
#include "core/seq_base.h"
#include "tests/support/standin_trace.h"
#include "core/task_base.h"
#include "core/task_manage.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "platform/win32/message.h"
#include "platform/win32/message_box.h"
#include "platform/win32/window.h"
#include "tests/support/pack_builder.h"
#include "tests/support/temp_dir.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace engine_test {

namespace fs = std::filesystem;

inline std::string Utf8(std::u16string_view text)
{
    return WideToUtf8(text);
}

// A fresh folder of the test's own, removed with everything in it.
using TempFolder = TestTempDir;

// Enters a folder for the scope (the engine takes the game folder as its working folder).
class ScopedWorkingFolder {
public:
    explicit ScopedWorkingFolder(const fs::path& folder) : m_Previous(fs::current_path()) { fs::current_path(folder); }
    ~ScopedWorkingFolder() { fs::current_path(m_Previous); }
    ScopedWorkingFolder(const ScopedWorkingFolder&) = delete;
    ScopedWorkingFolder& operator=(const ScopedWorkingFolder&) = delete;

private:
    fs::path m_Previous;
};

// Sets (or, with nullopt, clears) an environment variable for the scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : m_Name(name)
    {
        if (const char* old = std::getenv(name))
            m_Previous = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_Previous)
            setenv(m_Name.c_str(), m_Previous->c_str(), 1);
        else
            unsetenv(m_Name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_Name;
    std::optional<std::string> m_Previous;
};

inline void WriteFile(const fs::path& path, std::string_view bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A log file (UTF-16LE with its signature) as UTF-8; empty when missing.
// A window's title.
inline std::string WindowText(HWND window)
{
    char16_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return Utf8(text);
}

inline std::string ReadLog(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    if (!text.empty() && text[0] == u'\xFEFF')
        text.erase(0, 1);
    return Utf8(text);
}

// The game's files: a loose "system/sysconf.ini", a "system.gxp" with one file, and, when given,
// a "setting.ini".
struct GameFolder {
    std::string sysconf = "APP_TITLE=Engine Test\nAPP_SAVEDIR=ENGINE_SAVE\nSAVE_TO_MYDOCUMENTS=0\n";
    std::optional<std::string> setting;
};
constexpr char16_t kPackedFileName[] = u"data/hello.txt";
constexpr char kPackedFileText[] = "hello from the pack";

inline void MakeGameFolder(const fs::path& folder, const GameFolder& game)
{
    WriteFile(folder / "system" / "sysconf.ini", game.sysconf);
    if (game.setting)
        WriteFile(folder / "setting.ini", *game.setting);
    TestPackBuilder().Add(kPackedFileName, std::string_view(kPackedFileText)).Write((folder / "system.gxp").string());
}

// The frame timer's clock for tests: every read moves it on by a fixed step, so every frame is
// exactly one step long and never waits.
struct SteppingClock {
    static inline DWORD now = 1000;
    static inline DWORD step = 17;
    static DWORD Read()
    {
        now += step;
        return now;
    }
};

// Media services that only record each call in the stand-ins' trace, under the call's name.
class RecordingMediaServices : public GxMediaServicesBase {
public:
    bool InitAudioDevice(std::uint8_t) override { return Record(u"InitAudioDevice"); }
    bool SoundInitDevice(HWND, std::uint8_t) override { return Record(u"SoundInitDevice"); }
    bool MovieInitCom() override { return Record(u"MovieInitCom"); }
    void AudioUpdatePlayers() override { Record(u"AudioUpdatePlayers"); }
    void SoundUpdatePlayers() override { Record(u"SoundUpdatePlayers"); }
    void AudioUpdate3D() override { Record(u"AudioUpdate3D"); }
    void SoundUpdate3D() override { Record(u"SoundUpdate3D"); }
    void MovieSlotTickAll() override { Record(u"MovieSlotTickAll"); }
    void SoundShutdownDevice() override { Record(u"SoundShutdownDevice"); }
    void AudioShutdownDevice() override { Record(u"AudioShutdownDevice"); }
    void MovieShutdown() override { Record(u"MovieShutdown"); }

private:
    static bool Record(const char16_t* call)
    {
        GxStandinTrace::Record(call);
        return true;
    }
};

// Message boxes shown since the last clear, as "caption|text".
inline std::vector<std::string> ShownBoxes()
{
    std::vector<std::string> boxes;
    for (const platform::MessageBoxRecord& box : platform::ShownMessageBoxes())
        boxes.push_back(Utf8(box.caption) + "|" + Utf8(box.text));
    return boxes;
}

// The stand-ins' trace as UTF-8.
inline std::vector<std::string> Trace()
{
    std::vector<std::string> events;
    for (const std::u16string& event : GxStandinTrace::GetEvents())
        events.push_back(Utf8(event));
    return events;
}

// Whether `wanted` occurs in `events` in this order (other events may lie between).
inline ::testing::AssertionResult InOrder(const std::vector<std::string>& events,
                                          const std::vector<std::string>& wanted)
{
    auto at = events.begin();
    for (const std::string& event : wanted) {
        at = std::find(at, events.end(), event);
        if (at == events.end())
            return ::testing::AssertionFailure() << "\"" << event << "\" missing or out of order";
        ++at;
    }
    return ::testing::AssertionSuccess();
}

// Main-loop pass (counted by the movie poll, which runs once per pass) at which an event occurs.
inline int PassOf(const std::vector<std::string>& events, const std::string& event)
{
    int pass = 0;
    for (const std::string& e : events) {
        if (e == event)
            return pass;
        if (e == "MovieSlotTickAll")
            ++pass;
    }
    return -1;
}

inline std::string PointText(const GxVector2* point)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g,%g", point->x, point->y);
    return text;
}

// A task that records what reaches it in a journal and answers listener calls as told.
class ProbeTask : public GxTaskBase {
public:
    ProbeTask(GxTaskBase* parent, const char16_t* name, std::string label, std::vector<std::string>* journal)
        : GxTaskBase(parent, name, nullptr, 0), m_Label(std::move(label)), m_Journal(journal)
    {
    }

    int OnMouseMove(const GxVector2* point, std::uint32_t) override { return Note("Move", point, m_ConsumeMouse); }
    int OnMouseWheel(const GxVector2* point, std::int32_t delta, std::uint32_t keys) override
    {
        Record("Wheel " + PointText(point) + " " + std::to_string(delta) + " " + std::to_string(keys));
        return m_ConsumeMouse;
    }
    int OnMouseLeftDown(const GxVector2* point, std::uint32_t, std::int32_t doubleClick) override
    {
        return Note(doubleClick ? "LeftDouble" : "LeftDown", point, m_ConsumeMouse);
    }
    int OnMouseLeftUp(const GxVector2* point, std::uint32_t) override
    {
        const int result = Note("LeftUp", point, m_ConsumeMouse);
        if (m_OnLeftUp)
            m_OnLeftUp();
        return result;
    }
    int OnMouseRightDown(const GxVector2* point, std::uint32_t, std::int32_t) override
    {
        return Note("RightDown", point, m_ConsumeMouse);
    }
    int OnMouseRightUp(const GxVector2* point, std::uint32_t) override { return Note("RightUp", point, m_ConsumeMouse); }
    int OnWindowActivate() override { return Record("Activate"), 0; }
    int OnWindowDeactivate() override { return Record("Deactivate"), 0; }
    int OnWindowClose() override
    {
        Record("Close");
        if (m_CloseAnswers.empty())
            return 0;
        const int answer = m_CloseAnswers.front();
        m_CloseAnswers.erase(m_CloseAnswers.begin());
        return answer;
    }
    int OnKeyDown(WPARAM key, LPARAM) override { return Record("KeyDown " + std::to_string(key)), 0; }
    int OnKeyAction(const GxInputDeviceState*, std::int32_t step, std::uint64_t elapsed) override
    {
        Record("KeyAction " + std::to_string(step) + " " + std::to_string(elapsed));
        return 0;
    }
    int OnKeyActionEx(const GxVector3*, std::int32_t device, std::int32_t axis, std::int32_t step,
                      std::uint64_t) override
    {
        Record("KeyActionEx " + std::to_string(device) + " " + std::to_string(axis) + " " + std::to_string(step));
        return 0;
    }
    int Update(std::int32_t step, std::uint64_t elapsed) override
    {
        if (m_RecordUpdates)
            Record("Update " + std::to_string(step) + " " + std::to_string(elapsed));
        if (m_OnUpdate)
            m_OnUpdate(step);
        return 0;
    }

    int m_ConsumeMouse = 1;
    bool m_RecordUpdates = false;
    std::vector<int> m_CloseAnswers;
    std::function<void(std::int32_t)> m_OnUpdate;
    std::function<void()> m_OnLeftUp;

private:
    int Record(const std::string& what)
    {
        if (m_Journal)
            m_Journal->push_back(m_Label + "." + what);
        return 0;
    }
    int Note(const char* what, const GxVector2* point, int result)
    {
        Record(std::string(what) + " " + PointText(point));
        return result;
    }

    std::string m_Label;
    std::vector<std::string>* m_Journal;
};

// A core of its own with a task manager, a tree root and a test window whose procedure is the
// core's, for the window procedure, the main-loop pass and the frame. The core's objects point
// at the fixture's.
class CoreFixture : public ::testing::Test {
protected:
    static inline GxCore* s_Core = nullptr;

    static LRESULT TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        return s_Core ? s_Core->WindowProc(window, message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
    }

    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        platform::SetWindowLockFolder(m_Temp.Path().string());
        platform::ResetUserStateForTesting();
        platform::ClearShownMessageBoxes();
        GxStandinTrace::Clear();
        GxStandinTrace::SetEnabled(true);
        SetMediaServices(&m_Media);
        m_Core = std::make_unique<GxCore>();
        m_Manage = std::make_unique<GxTaskManage>(m_Core.get());
        m_Core->m_TaskManage = m_Manage.get();
        m_Root = new GxTaskBase(m_Manage.get());
        s_Core = m_Core.get();
        SteppingClock::step = 17;
        m_Core->m_FrameTimer.SetClock(&SteppingClock::Read);
    }

    void TearDown() override
    {
        s_Core = nullptr;
        m_Core->m_TaskManage = nullptr;
        m_Manage.reset();
        SetMediaServices(nullptr);
        platform::ResetUserStateForTesting();
        GxStandinTrace::SetEnabled(false);
        GxStandinTrace::Clear();
    }

    // A visible top-level window with a client area of the given size, made the core's main window.
    HWND MakeMainWindow(int width, int height)
    {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = TestWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = u"EngineCoreTest";
        RegisterClassExW(&windowClass);
        HWND window = CreateWindowExW(0, u"EngineCoreTest", u"EngineCoreTest", WS_POPUP | WS_VISIBLE, 0, 0, width,
                                      height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        m_Core->m_MainWindow = window;
        m_Journal.clear();   // its activation
        return window;
    }

    // A sequence under the root, switched into worker slot 0 and made ready.
    GxSeqBase* StartSequence(const char16_t* name)
    {
        auto* sequence = new GxSeqBase(m_Root, name);
        EXPECT_TRUE(m_Manage->ChangeSequence(sequence, 0, 0, 0));
        m_Manage->ApplySequenceChanges();
        m_Manage->SetWorkerReady(0);
        return sequence;
    }

    // Sends a mouse message with a client point.
    LRESULT Mouse(UINT message, int x, int y, WPARAM keys = 0)
    {
        return m_Core->WindowProc(m_Core->m_MainWindow, message, keys, MAKELPARAM(x, y));
    }

    TempFolder m_Temp;
    RecordingMediaServices m_Media;
    std::unique_ptr<GxCore> m_Core;
    std::unique_ptr<GxTaskManage> m_Manage;
    GxTaskBase* m_Root = nullptr;
    std::vector<std::string> m_Journal;
};

}  // namespace engine_test
