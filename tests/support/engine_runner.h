// Runs the built `tarnwick` as a child process, headless, the way every test of the binary does:
// its own HOME and XDG_RUNTIME_DIR (temporary folders of this runner; the window-class lock lives
// in the runtime folder, so parallel runs of one game title never refuse each other), SDL's dummy
// video and audio drivers, scripted input (TARNWICK_INPUT_SCRIPT, written from the events given)
// and a frame bound (TARNWICK_MAX_FRAMES). The run is waited for with a time-out; the result holds
// the exit status, stdout, stderr, the save folder and the three logs decoded from UTF-16LE.
// Sanitizer options of the test process pass on to the child, so a sanitizer report fails it.
#pragma once

#include "tests/support/temp_dir.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A frame the run captured: 0xAARRGGBB, row by row.
struct TestCapturedFrame {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> pixels;

    // The pixel at (x, y), or 0 outside the picture.
    std::uint32_t At(std::uint32_t x, std::uint32_t y) const
    {
        return x < width && y < height ? pixels[static_cast<std::size_t>(y) * width + x] : 0u;
    }
};

// A PNG file as 0xAARRGGBB pixels, like a captured frame; empty when it does not decode.
TestCapturedFrame ReadTestPicture(const std::filesystem::path& path);

// The save folder's name a game's "system/sysconf.ini" gives ("APP_SAVEDIR"); empty without one.
std::string TestGameSaveFolderName(const std::filesystem::path& game);

struct TestEngineResult {
    bool started = false;    // false when the program could not be started
    bool timedOut = false;   // killed at the time-out
    int exitCode = -1;       // -1 when a signal ended it
    int signal = 0;          // the signal that ended it, else 0
    std::string stdoutText;
    std::string stderrText;
    // The folder that holds the run's logs (under the runner's home or in the game folder);
    // empty when the run wrote none.
    std::filesystem::path saveFolder;
    // "error.log", "debug.log" and "device.log" of the save folder, with "\n" line ends and
    // no byte-order mark; empty when a file is missing.
    std::u16string errorLog;
    std::u16string debugLog;
    std::u16string deviceLog;
    // The frames captured at the passes asked for (SetCapturePasses), by pass; a pass whose
    // picture was not written or cannot be read is missing.
    std::map<std::uint32_t, TestCapturedFrame> frames;

    std::string ErrorLogUtf8() const;
    std::string DebugLogUtf8() const;
    std::string DeviceLogUtf8() const;
    // The last line written to stderr, without its line feed.
    std::string LastStderrLine() const;
};

class TestEngineRunner {
public:
    // `program`: the engine binary (test programs get its path from CMake as TW_TARNWICK).
    explicit TestEngineRunner(std::string program);
    TestEngineRunner(const TestEngineRunner&) = delete;
    TestEngineRunner& operator=(const TestEngineRunner&) = delete;

    bool Valid() const { return m_Temp.Valid(); }
    // The child's home and runtime folders; they stay for every run of this runner, so saved
    // data written to the home carries over from one run to the next.
    const std::filesystem::path& Home() const { return m_Home; }
    const std::filesystem::path& Runtime() const { return m_Runtime; }

    void SetProgram(std::string program) { m_Program = std::move(program); }
    // 0: no bound (the engine then runs until it quits by itself).
    void SetMaxFrames(std::uint32_t frames) { m_MaxFrames = frames; }
    // One event of the input script: the main-loop pass it arrives in and the event as the
    // script writes it ("ldown 100 200", "keydown Return", "close").
    void AddInput(std::uint32_t pass, const std::string& event);
    void ClearInput() { m_Input.clear(); }
    // A further variable for the child (a value), or one taken away from it (nullopt). These
    // override the runner's own settings, TARNWICK_MAX_FRAMES included.
    void SetEnvironment(const std::string& name, std::optional<std::string> value);
    void ClearEnvironment() { m_Environment.clear(); }
    void SetTimeoutSeconds(int seconds) { m_TimeoutSeconds = seconds; }
    // Main-loop passes (numbered as the input script numbers them) whose frame the child writes
    // into a folder of this runner (TARNWICK_CAPTURE_PASSES, TARNWICK_CAPTURE_DIR); the result
    // brings them back as pictures. Empty: no capture.
    void SetCapturePasses(std::vector<std::uint32_t> passes) { m_CapturePasses = std::move(passes); }

    // Starts the program with `arguments` (the game folder, usually) and waits for it.
    TestEngineResult Run(const std::vector<std::string>& arguments);
    TestEngineResult Run(const std::filesystem::path& gameFolder)
    {
        return Run(std::vector<std::string>{gameFolder.string()});
    }

private:
    std::vector<std::string> BuildEnvironment(const std::filesystem::path& inputFile,
                                              const std::filesystem::path& captureFolder) const;
    std::filesystem::path FindSaveFolder(const std::vector<std::string>& arguments) const;

    TestTempDir m_Temp{"tw_engine_run"};
    std::filesystem::path m_Home;
    std::filesystem::path m_Runtime;
    std::string m_Program;
    std::uint32_t m_MaxFrames = 0;
    std::vector<std::pair<std::uint32_t, std::string>> m_Input;
    std::map<std::string, std::optional<std::string>> m_Environment;
    std::vector<std::uint32_t> m_CapturePasses;
    int m_TimeoutSeconds = 240;   // below CTest's time-out, so the runner reports first
    int m_Runs = 0;
};

// UTF-16LE log bytes as text: the byte-order mark dropped, CR LF turned into "\n".
std::u16string DecodeTestLog(const std::string& bytes);
