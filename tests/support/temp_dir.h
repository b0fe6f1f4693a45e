// A unique temporary folder for one test (mkdtemp under $TMPDIR or /tmp), removed with
// everything in it when the object goes. Tests run as parallel processes, and two test runs
// can share a machine, so no test may pick a folder name of its own.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

class TestTempDir {
public:
    explicit TestTempDir(std::string_view tag = "tw")
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = (base != nullptr && *base != '\0') ? base : "/tmp";
        pattern += "/";
        pattern += tag;
        pattern += "_XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)
            m_Path = pattern;
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
    std::filesystem::path m_Path;
};
