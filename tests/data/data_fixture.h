// Shared pieces of the data-table tests: a log capture, a temporary folder and table files
// written there by the table builder.
#pragma once

#include "data/db_base.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "tests/support/table_builder.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace data_test {

using Fields = std::vector<std::u16string>;

class LogCapture : public GxDebugListenerBase {
public:
    int Output(const char16_t* text, std::int32_t level) override
    {
        if (level == kLevelError)
            errors.emplace_back(WideToUtf8(text));
        return 0;
    }
    int Count(std::string_view part) const
    {
        return static_cast<int>(std::count_if(errors.begin(), errors.end(), [part](const std::string& line) {
            return line.find(part) != std::string::npos;
        }));
    }

    std::vector<std::string> errors;
};

class DataTest : public ::testing::Test {
protected:
    void SetUp() override { LogSetSink(&m_Log); }
    void TearDown() override { LogSetSink(nullptr); }

    // Writes the file under the temporary folder; returns its path for LoadTable.
    std::u16string WriteTable(const std::string& name, const TestTableBuilder& table,
                              TestTableEncoding encoding = TestTableEncoding::kUtf16LE)
    {
        const std::filesystem::path path = m_Temp.Path() / name;
        EXPECT_TRUE(table.Write(path, encoding));
        return Utf8ToWide(path.string());
    }
    std::u16string WriteBytes(const std::string& name, const std::string& bytes)
    {
        const std::filesystem::path path = m_Temp.Path() / name;
        EXPECT_TRUE(WriteFileBytesTo(path, bytes));
        return Utf8ToWide(path.string());
    }
    static bool WriteFileBytesTo(const std::filesystem::path& path, const std::string& bytes);

    LogCapture m_Log;
    TestTempDir m_Temp;
};

inline bool DataTest::WriteFileBytesTo(const std::filesystem::path& path, const std::string& bytes)
{
    FILE* file = std::fopen(path.string().c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

inline std::string Utf8(const std::u16string& text)
{
    return WideToUtf8(text);
}

}  // namespace data_test
