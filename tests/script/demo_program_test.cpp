// [Moa program] the demo game's program, as the build's demo generator wrote it.
#include "script/moa.h"

#include "script_test_support.h"
#include "tests/support/moa_assembler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

TEST(MoaDemoProgram, TheBuiltDemoProgramReadsBack)
{
    // This program lives in <build>/tests; the build writes the demo game to <build>/demo/game.
    const std::filesystem::path build = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path();
    const std::filesystem::path path = build / "demo" / "game" / "bincode" / "moacode.mwb";
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "the build writes " << path << " (target demo_content)";
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    GxMoa moa;
    ASSERT_TRUE(ReadMoaProgram(bytes, moa));
    const GxMoaLabelDefinition* start = moa.FindLabel(u"MAIN");
    ASSERT_NE(start, nullptr);
    const GxMoaScript* main = moa.FindScript(start->m_Position.m_ScriptName);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->m_ScriptName, u"main");
    EXPECT_TRUE(moa.HasLabel(u"@end", u"main"));
    EXPECT_NE(moa.FindBuiltinDefinition(u"exit"), nullptr);
}
