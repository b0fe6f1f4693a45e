// Unattended runs of the engine: told by the environment to end after a number of main-loop
// passes ("TARNWICK_MAX_FRAMES") and to replay scripted input ("TARNWICK_INPUT_SCRIPT"), both
// through the engine's normal paths: the input goes through the window system's event queue, the
// end through GxCore::RequestQuit. The interrupt signals end a run the same way.
// Frame capture: "TARNWICK_CAPTURE_PASSES" lists passes ("3,40,41", numbered as the input script
// numbers them) after whose frame the picture last presented is written to
// "<TARNWICK_CAPTURE_DIR>/pass%06d.png" at the virtual screen size.
//
// Input script: one event per line, "<pass> <event> [arguments]", where <pass> is the 0-based
// main-loop pass whose message pump receives the event; "#" starts a comment. Events:
//   move X Y | ldown X Y | lup X Y | rdown X Y | rup X Y | mdown X Y | mup X Y   (client pixels)
//   wheel N            notches, positive away from the user
//   keydown NAME | keyup NAME   SDL key names ("Return", "Escape", "Left", "A" ...)
//   close              the window's close button
#pragma once

#include "platform/win32/win_types.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class GxScriptedInputKind {
    Move,
    LeftDown,
    LeftUp,
    RightDown,
    RightUp,
    MiddleDown,
    MiddleUp,
    Wheel,
    KeyDown,
    KeyUp,
    Close,
};

struct GxScriptedInput {
    std::uint32_t m_Pass = 0;
    GxScriptedInputKind m_Kind = GxScriptedInputKind::Move;
    std::int32_t m_X = 0;          // client pixels; notches for the wheel
    std::int32_t m_Y = 0;
    std::int32_t m_Scancode = 0;   // keys: the SDL scancode
};

class GxUnattendedRun {
public:
    // Longest input script read from a file.
    static constexpr std::size_t kMaxScriptBytes = 4u << 20;
    static constexpr std::uint32_t kMaxPasses = 1000000000u;

    // Reads the four variables; an unset or empty variable changes nothing. False with `error` set
    // when a value cannot be used.
    bool ConfigureFromEnvironment(std::string* error);
    // 0: no limit.
    void SetMaxPasses(std::uint32_t passes) { m_MaxPasses = passes; }
    std::uint32_t GetMaxPasses() const { return m_MaxPasses; }
    // Replaces the script. False with `error` naming the first bad line; the script is then empty.
    bool ParseInputScript(std::string_view text, std::string* error);
    bool LoadInputScript(const std::string& path, std::string* error);
    const std::vector<GxScriptedInput>& GetInputScript() const { return m_Script; }

    // Called at the top of every main-loop pass: queues the events of this pass (counted from 0
    // at the first call) for `window`. True when this is the last pass the run allows, so the
    // caller asks the engine to quit and the pass still runs its frame.
    bool BeforePass(HWND window);
    // Passes seen so far.
    std::uint32_t GetPassCount() const { return m_Pass; }

    // Replaces the capture list from "N,N,..."; false with `error` set (the list is then empty).
    bool ParseCapturePasses(std::string_view text, std::string* error);
    const std::vector<std::uint32_t>& GetCapturePasses() const { return m_CapturePasses; }
    void SetCaptureFolder(std::string folder) { m_CaptureFolder = std::move(folder); }
    const std::string& GetCaptureFolder() const { return m_CaptureFolder; }
    // The file that the capture of `pass` goes to.
    std::string CapturePath(std::uint32_t pass) const;
    // Called after the frame of every pass: captures it when it is listed. False when a listed
    // capture failed (logged); true otherwise.
    bool AfterPass();

private:
    bool CaptureFrame(std::uint32_t pass) const;

    std::uint32_t m_MaxPasses = 0;
    std::vector<GxScriptedInput> m_Script;   // ordered by pass, stable
    std::size_t m_Next = 0;
    std::uint32_t m_Pass = 0;
    std::vector<std::uint32_t> m_CapturePasses;   // ascending, no repeats
    std::string m_CaptureFolder;
};

// SIGINT and SIGTERM set a flag that the main loop turns into a quit request; a second signal
// ends the process at once.
void InstallQuitSignalHandlers();
// True once per received signal.
bool TakeQuitSignal();
