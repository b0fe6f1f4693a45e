// A unique temporary folder for one test (mkdtemp under $TMPDIR or /tmp), removed with
// everything in it when the object goes. Tests run as parallel processes, and two test runs
// can share a machine, so no test may pick a folder name of its own.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

class TestTempDir {
public:
    // kLowerCase: no A-Z anywhere in the path, for code that stores file names lowered.
    enum Letters { kAnyCase, kLowerCase };

    explicit TestTempDir(std::string_view tag = "tw", Letters letters = kAnyCase)
    {
        const char* variable = std::getenv("TMPDIR");
        std::string base = (variable != nullptr && *variable != '\0') ? variable : "/tmp";
        if (letters == kLowerCase && Lowered(base) != base)
            base = "/tmp";
        std::string pattern = base + "/" + std::string(tag) + "_XXXXXX";
        if (letters == kAnyCase) {
            if (mkdtemp(pattern.data()) != nullptr)
                m_Path = pattern;
            return;
        }
        // mkdtemp picks from both cases; claim the lowered name with mkdir, which fails when
        // that name is taken, so the folder stays ours alone.
        pattern = Lowered(pattern.substr(0, pattern.size() - 6)) + "XXXXXX";
        for (int attempt = 0; attempt < 100 && m_Path.empty(); ++attempt) {
            std::string made = pattern;
            if (mkdtemp(made.data()) == nullptr)
                return;
            const std::string lowered = Lowered(made);
            if (lowered == made) {
                m_Path = made;
            } else {
                if (::mkdir(lowered.c_str(), 0700) == 0)
                    m_Path = lowered;
                ::rmdir(made.c_str());
            }
        }
    }
    ~TestTempDir()
    {
        if (!m_Path.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(m_Path, ignored);
        }
    }
    TestTempDir(const TestTempDir&) = delete;
    TestTempDir& operator=(const TestTempDir&) = delete;

    bool Valid() const { return !m_Path.empty(); }
    const std::filesystem::path& Path() const { return m_Path; }
    std::string String() const { return m_Path.string(); }
    // A path inside the folder (nothing is created).
    std::filesystem::path Join(std::string_view name) const { return m_Path / name; }

private:
    static std::string Lowered(std::string text)
    {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    }

    std::filesystem::path m_Path;
};
