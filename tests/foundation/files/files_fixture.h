// Shared fixture of the file tests: each test runs in a fresh temporary folder (the current
// folder, so relative names resolve there), captures the error log, and leaves the global
// pack list and file cache as it found them.
#pragma once

#include "foundation/file.h"
#include "foundation/file_cache.h"
#include "foundation/log.h"
#include "tests/support/pack_builder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

class CapturingLog : public GxDebugListenerBase {
public:
    int Output(const char16_t* text, std::int32_t level) override
    {
        lines.emplace_back(text);
        levels.push_back(level);
        return 0;
    }
    bool Contains(const std::u16string& text) const
    {
        for (const std::u16string& line : lines)
            if (line.find(text) != std::u16string::npos)
                return true;
        return false;
    }
    std::vector<std::u16string> lines;
    std::vector<std::int32_t> levels;
};

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_PreviousFolder = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "tw_files_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_Folder = pattern;
        std::filesystem::current_path(m_Folder);
        LogSetSink(&m_Log);
    }

    void TearDown() override
    {
        LogSetSink(nullptr);
        GxFile::ReleasePacks();
        GxFile::ClearCache();
        GxFile::SetCacheEnabled(false);
        GxFile::SetCacheCapacity(0);
        GxFile::SetCacheMaxFileSize(0);
        std::filesystem::current_path(m_PreviousFolder);
        std::error_code ignored;
        std::filesystem::remove_all(m_Folder, ignored);
    }

    void WriteFile(const std::string& name, std::string_view text)
    {
        std::filesystem::path path = m_Folder / name;
        std::filesystem::create_directories(path.parent_path());
        ASSERT_TRUE(WriteBytesToFile(path.string(), std::vector<BYTE>(text.begin(), text.end())));
    }

    static std::string ToString(const GxBinBuffer& buffer)
    {
        return std::string(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetSize());
    }

    std::filesystem::path m_Folder;
    std::filesystem::path m_PreviousFolder;
    CapturingLog m_Log;
};
