// Shared fixture of the sound tests: each test runs in its own temporary folder (the current
// folder, so relative names resolve there), captures the log, runs on the fake clock and
// leaves the pack list as it found it.
#pragma once

#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "platform/win32/timer.h"
#include "tests/support/pack_builder.h"
#include "tests/support/sound_fixtures.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

class MediaLog : public GxDebugListenerBase {
public:
    int Output(const char16_t* text, std::int32_t) override
    {
        lines.emplace_back(text);
        return 0;
    }
    std::vector<std::u16string> lines;
};

class MediaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Folder.Valid());
        m_PreviousFolder = std::filesystem::current_path();
        std::filesystem::current_path(m_Folder.Path());
        platform::SetFakeClock(true, 5000);
        LogSetSink(&m_Log);
    }
    void TearDown() override
    {
        LogSetSink(nullptr);
        platform::SetFakeClock(false);
        GxFile::ReleasePacks();
        std::filesystem::current_path(m_PreviousFolder);
    }

    void Write(const std::string& name, const SoundBytes& bytes)
    {
        const std::filesystem::path path = m_Folder.Join(name);
        std::filesystem::create_directories(path.parent_path());
        ASSERT_TRUE(WriteBytesToFile(path.string(), std::vector<BYTE>(bytes.begin(), bytes.end())));
    }
    std::vector<std::u16string> TakeLog()
    {
        std::vector<std::u16string> lines;
        lines.swap(m_Log.lines);
        return lines;
    }

    TestTempDir m_Folder{"tw_media"};
    std::filesystem::path m_PreviousFolder;
    MediaLog m_Log;
};

inline std::u16string W(const std::string& text) { return Utf8ToWide(text); }
