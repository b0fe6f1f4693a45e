// Script diagnostics as they reach the real logs: error.log and debug.log in a temporary folder,
// and a listener that keeps every line with its level. Also a program assembled from our own
// script syntax and read back through GxMoa::ReadProgram.
#pragma once

#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "script/moa.h"
#include "tests/support/moa_assembler.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace moa_test {

class LogLines : public GxDebugListenerBase {
public:
    int Output(const char16_t* text, std::int32_t level) override
    {
        m_Lines.emplace_back(level, text);
        return 0;
    }
    std::vector<std::u16string> At(std::int32_t level) const
    {
        std::vector<std::u16string> lines;
        for (const auto& [l, text] : m_Lines) {
            if (l == level) {
                lines.push_back(text);
            }
        }
        return lines;
    }
    void Clear() { m_Lines.clear(); }

private:
    std::vector<std::pair<std::int32_t, std::u16string>> m_Lines;
};

// UTF-16LE bytes as text, a byte-order mark dropped.
inline std::u16string DecodeUtf16Le(const std::string& bytes)
{
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    if (!text.empty() && text[0] == 0xFEFF) {
        text.erase(0, 1);
    }
    return text;
}

// A log file (UTF-16LE text, lines ending in CR LF) as text with "\n" line ends.
inline std::u16string ReadLogFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::u16string raw =
        DecodeUtf16Le(std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()));
    std::u16string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (!(raw[i] == u'\r' && i + 1 < raw.size() && raw[i + 1] == u'\n')) {
            text.push_back(raw[i]);
        }
    }
    return text;
}

class MoaLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Dir.Valid());
        LogSetErrorFile(Utf8ToWide(m_Dir.Join("error.log").string()).c_str());
        LogSetDebugFile(Utf8ToWide(m_Dir.Join("debug.log").string()).c_str());
        LogSetWarningsMuted(false);
        LogSetSink(&m_Log);
    }
    void TearDown() override
    {
        LogSetSink(nullptr);
        LogSetErrorFile(u"");
        LogSetDebugFile(u"");
        LogSetWarningsMuted(false);
    }
    std::u16string ErrorLog() const { return ReadLogFile(m_Dir.Join("error.log")); }
    std::u16string DebugLog() const { return ReadLogFile(m_Dir.Join("debug.log")); }

    TestTempDir m_Dir{"moa_log"};
    LogLines m_Log;
};

// Assembles the scripts and reads the program file back into `program`.
inline ::testing::AssertionResult LoadProgram(MoaAssembler& assembler, GxMoa& program)
{
    const std::string bytes = assembler.Assemble(MoaProgramForm::Binary);
    if (bytes.empty()) {
        std::string errors;
        for (const std::string& e : assembler.Errors()) {
            errors += e + "\n";
        }
        return ::testing::AssertionFailure() << "assembly failed:\n" << errors;
    }
    if (!ReadMoaProgram(bytes, program)) {
        return ::testing::AssertionFailure() << "read-back failed";
    }
    return ::testing::AssertionSuccess();
}

}  // namespace moa_test
