// [Moa program] the demo game's program, as the build's demo generator wrote it, against the
// labels its tables and configuration name.
#include "script/moa.h"

#include "script_test_support.h"
#include "tests/support/moa_assembler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The text of the cells of one column of a tab-separated demo table source (header skipped).
std::vector<std::string> Column(const fs::path& table, std::size_t column)
{
    std::vector<std::string> cells;
    std::ifstream in(table);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> fields(1);
        for (const char c : line) {
            if (c == '\t')
                fields.emplace_back();
            else
                fields.back().push_back(c);
        }
        if (column < fields.size())
            cells.push_back(fields[column]);
    }
    return cells;
}

TEST(MoaDemoProgram, TheBuiltProgramHasEveryLabelTheGameStartsAt)
{
    // This program lives in <build>/tests; the build writes the demo game to <build>/demo/game.
    const fs::path build = fs::read_symlink("/proc/self/exe").parent_path().parent_path();
    const fs::path path = build / "demo" / "game" / "bincode" / "moacode.mwb";
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "the build writes " << path << " (target demo_content)";
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    GxMoa moa;
    ASSERT_TRUE(ReadMoaProgram(bytes, moa));
    const GxMoaLabelDefinition* start = moa.FindLabel(u"MAIN");
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->m_Position.m_ScriptName, u"main");
    EXPECT_NE(moa.FindBuiltinDefinition(u"jumptotitle"), nullptr);

    // The replay gallery's rows and the title's extra button start at labels of the program.
    const fs::path sources = fs::path(TW_SOURCE_DIR) / "demo";
    std::vector<std::string> labels = Column(sources / "tables" / "db_rpmode.txt", 3);
    EXPECT_EQ(labels.size(), 3u);
    std::ifstream config(sources / "game" / "system" / "sysconf.ini");
    for (std::string line; std::getline(config, line);) {
        if (line.rfind("LABEL_NAME_EXTRA=", 0) == 0) {
            std::string label = line.substr(line.find('=') + 1);
            while (!label.empty() && label.back() == '\r')
                label.pop_back();
            labels.push_back(label);
        }
    }
    EXPECT_EQ(labels.size(), 4u);
    for (const std::string& label : labels)
        EXPECT_NE(moa.FindLabel(Utf8ToWide(label)), nullptr) << label;
}

}  // namespace
