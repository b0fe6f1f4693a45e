#include "tests/support/engine_runner.h"

#include "foundation/wide_string.h"
#include "graphics/png_image.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr const char* kLogNames[] = {"error.log", "debug.log", "device.log"};

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The newest write time of the folder's logs, or nothing when it holds none.
std::optional<fs::file_time_type> NewestLog(const fs::path& folder)
{
    std::optional<fs::file_time_type> newest;
    for (const char* name : kLogNames) {
        std::error_code error;
        const fs::file_time_type time = fs::last_write_time(folder / name, error);
        if (!error && (!newest || time > *newest)) newest = time;
    }
    return newest;
}

// The pictures "pass%06u.png" of the folder for the passes asked for.
std::map<std::uint32_t, TestCapturedFrame> ReadCapturedFrames(const fs::path& folder,
                                                              const std::vector<std::uint32_t>& passes)
{
    std::map<std::uint32_t, TestCapturedFrame> frames;
    for (const std::uint32_t pass : passes) {
        char name[32];
        std::snprintf(name, sizeof name, "pass%06u.png", static_cast<unsigned>(pass));
        TestCapturedFrame frame = ReadTestPicture(folder / name);
        if (frame.pixels.empty())
            continue;
        frames[pass] = std::move(frame);
    }
    return frames;
}

}  // namespace

TestCapturedFrame ReadTestPicture(const fs::path& path)
{
    const std::string bytes = ReadBytes(path);
    TestCapturedFrame picture;
    std::uint8_t* pixels = DecodePngMemory(bytes.data(), bytes.size(), &picture.width, &picture.height);
    if (pixels == nullptr)
        return TestCapturedFrame{};
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    std::memcpy(picture.pixels.data(), pixels, picture.pixels.size() * sizeof(std::uint32_t));
    FreePngPixels(pixels);
    return picture;
}

std::string TestGameSaveFolderName(const fs::path& game)
{
    std::ifstream in(game / "system" / "sysconf.ini");
    const std::string key = "APP_SAVEDIR=";
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(key, 0) == 0) {
            std::string name = line.substr(key.size());
            while (!name.empty() && (name.back() == '\r' || name.back() == ' '))
                name.pop_back();
            return name;
        }
    }
    return {};
}

std::u16string DecodeTestLog(const std::string& bytes)
{
    std::u16string raw;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        raw.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                            (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    if (!raw.empty() && raw.front() == 0xFEFF) raw.erase(0, 1);
    std::u16string text;
    for (std::size_t i = 0; i < raw.size(); ++i)
        if (!(raw[i] == u'\r' && i + 1 < raw.size() && raw[i + 1] == u'\n')) text.push_back(raw[i]);
    return text;
}

std::string TestEngineResult::ErrorLogUtf8() const { return WideToUtf8(errorLog); }
std::string TestEngineResult::DebugLogUtf8() const { return WideToUtf8(debugLog); }
std::string TestEngineResult::DeviceLogUtf8() const { return WideToUtf8(deviceLog); }

std::string TestEngineResult::LastStderrLine() const
{
    std::string text = stderrText;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    const std::size_t feed = text.rfind('\n');
    return feed == std::string::npos ? text : text.substr(feed + 1);
}

TestEngineRunner::TestEngineRunner(std::string program) : m_Program(std::move(program))
{
    if (!m_Temp.Valid()) return;
    m_Home = m_Temp.Join("home");
    m_Runtime = m_Temp.Join("runtime");
    std::error_code ignored;
    fs::create_directories(m_Home, ignored);
    fs::create_directories(m_Runtime, ignored);
    ::chmod(m_Runtime.c_str(), 0700);
}

void TestEngineRunner::AddInput(std::uint32_t pass, const std::string& event)
{
    m_Input.emplace_back(pass, event);
}

void TestEngineRunner::SetEnvironment(const std::string& name, std::optional<std::string> value)
{
    m_Environment[name] = std::move(value);
}

std::vector<std::string> TestEngineRunner::BuildEnvironment(const fs::path& inputFile, const fs::path& captureFolder) const
{
    std::string passes;
    for (const std::uint32_t pass : m_CapturePasses)
        passes += (passes.empty() ? "" : ",") + std::to_string(pass);
    // Everything that points the child at the developer's own folders or display settings is
    // replaced by the runner's.
    std::map<std::string, std::optional<std::string>> all = {
        {"HOME", m_Home.string()},
        {"XDG_RUNTIME_DIR", m_Runtime.string()},
        {"XDG_CONFIG_HOME", (m_Home / ".config").string()},
        {"XDG_DATA_HOME", (m_Home / ".local" / "share").string()},
        {"XDG_DOCUMENTS_DIR", std::nullopt},
        {"SDL_VIDEODRIVER", "dummy"},
        {"SDL_AUDIODRIVER", "dummy"},
        {"TARNWICK_MAX_FRAMES", m_MaxFrames > 0 ? std::optional<std::string>(std::to_string(m_MaxFrames)) : std::nullopt},
        {"TARNWICK_INPUT_SCRIPT", m_Input.empty() ? std::nullopt : std::optional<std::string>(inputFile.string())},
        {"TARNWICK_CAPTURE_PASSES", passes.empty() ? std::nullopt : std::optional<std::string>(passes)},
        {"TARNWICK_CAPTURE_DIR", passes.empty() ? std::nullopt : std::optional<std::string>(captureFolder.string())},
    };
    for (const auto& [name, value] : m_Environment) all[name] = value;
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (all.count(text.substr(0, text.find('='))) == 0) environment.push_back(text);
    }
    for (const auto& [name, value] : all)
        if (value) environment.push_back(name + "=" + *value);
    return environment;
}

fs::path TestEngineRunner::FindSaveFolder(const std::vector<std::string>& arguments) const
{
    std::vector<fs::path> candidates;
    std::error_code error;
    for (fs::recursive_directory_iterator it(m_Home, error), end; !error && it != end; it.increment(error))
        if (it->is_directory(error)) candidates.push_back(it->path());
    if (!arguments.empty() && fs::is_directory(arguments.front(), error)) {
        const fs::path game = arguments.front();
        candidates.push_back(game);
        for (fs::directory_iterator it(game, error), end; !error && it != end; it.increment(error))
            if (it->is_directory(error)) candidates.push_back(it->path());
    }
    fs::path best;
    std::optional<fs::file_time_type> bestTime;
    for (const fs::path& folder : candidates) {
        const auto time = NewestLog(folder);
        if (time && (!bestTime || *time > *bestTime)) {
            best = folder;
            bestTime = time;
        }
    }
    return best;
}

TestEngineResult TestEngineRunner::Run(const std::vector<std::string>& arguments)
{
    TestEngineResult result;
    if (!m_Temp.Valid()) return result;
    const std::string tag = std::to_string(m_Runs++);
    const fs::path inputFile = m_Temp.Join("input-" + tag + ".txt");
    const fs::path stdoutFile = m_Temp.Join("stdout-" + tag + ".txt");
    const fs::path stderrFile = m_Temp.Join("stderr-" + tag + ".txt");
    const fs::path captureFolder = m_Temp.Join("capture-" + tag);
    if (!m_CapturePasses.empty()) {
        std::error_code ignored;
        fs::create_directories(captureFolder, ignored);
    }
    if (!m_Input.empty()) {
        std::ofstream input(inputFile);
        for (const auto& [pass, event] : m_Input) input << pass << ' ' << event << '\n';
    }

    std::vector<std::string> environment = BuildEnvironment(inputFile, captureFolder);
    std::vector<char*> envp;
    for (std::string& text : environment) envp.push_back(text.data());
    envp.push_back(nullptr);
    std::vector<std::string> words;
    words.push_back(m_Program);
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    // Its own process group, so that a time-out ends whatever the engine started as well.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    pid_t child = 0;
    const int spawnError = posix_spawn(&child, m_Program.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);

    if (spawnError == 0) {
        result.started = true;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(m_TimeoutSeconds);
        int status = 0;
        bool reaped = false;
        while (true) {
            const pid_t done = waitpid(child, &status, WNOHANG);
            if (done == child) {
                reaped = true;
                break;
            }
            if (done < 0 && errno != EINTR) break;
            if (std::chrono::steady_clock::now() > deadline) {
                result.timedOut = true;
                ::kill(-child, SIGKILL);
                reaped = waitpid(child, &status, 0) == child;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (reaped && WIFEXITED(status)) {
            result.exitCode = WEXITSTATUS(status);
        } else if (reaped && WIFSIGNALED(status)) {
            result.signal = WTERMSIG(status);
        }
    }
    result.stdoutText = ReadBytes(stdoutFile);
    result.stderrText = ReadBytes(stderrFile);
    result.saveFolder = FindSaveFolder(arguments);
    if (!result.saveFolder.empty()) {
        result.errorLog = DecodeTestLog(ReadBytes(result.saveFolder / "error.log"));
        result.debugLog = DecodeTestLog(ReadBytes(result.saveFolder / "debug.log"));
        result.deviceLog = DecodeTestLog(ReadBytes(result.saveFolder / "device.log"));
    }
    if (!m_CapturePasses.empty())
        result.frames = ReadCapturedFrames(captureFolder, m_CapturePasses);
    return result;
}
