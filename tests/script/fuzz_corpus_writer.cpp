// Writes the seed corpus of fuzz_mwb (tests/fuzz/corpus/mwb/). Run once when the program file
// changes; the files are committed:
//   test_script --gtest_also_run_disabled_tests --gtest_filter=MoaFuzzCorpus.*
#include "script/moa.h"

#include "tests/support/compressed_content.h"
#include "tests/support/moa_assembler.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(MoaFuzzCorpus, DISABLED_WriteSeeds)
{
    MoaAssembler assembler;
    assembler.AddBuiltin(u"sp.show");
    assembler.AddScript(u"main", "*MAIN\n*@loop\nGLOBAL INGAME $n[2] = 1.5\nSTATIC PERMAN $s = \"x\"\n"
                                 "IF ($n == 1) {\n  花子「はい」\n} ELSE IF ($s) {\n  GO(\"*@loop\")\n} ELSE {\n"
                                 "  $n := -2 << 3\n}\nbg.show(\"a\", 0x10)\n$x++\n");
    assembler.AddScript(u"sub", "EXTERN NOSAVE $e = NULL\n*sub\nRETURN()\n");
    GxMoa moa;
    ASSERT_TRUE(assembler.Build(moa));

    const std::filesystem::path folder = std::filesystem::path(TW_SOURCE_DIR) / "tests" / "fuzz" / "corpus" / "mwb";
    const std::string text = WriteMoaProgram(moa, MoaProgramForm::Text);
    const std::string binary = WriteMoaProgram(moa, MoaProgramForm::Binary);
    const std::string compressed = WriteMoaProgram(moa, MoaProgramForm::Compressed);
    ASSERT_TRUE(WriteFileBytes(folder / "program.tmoa", text));
    ASSERT_TRUE(WriteFileBytes(folder / "program.bmoa", binary));
    ASSERT_TRUE(WriteFileBytes(folder / "program.zmoa", compressed));
    ASSERT_TRUE(WriteFileBytes(folder / "empty.bmoa", WriteMoaProgram(GxMoa(), MoaProgramForm::Binary)));

    auto damaged = [&](const char* name, std::string bytes, const std::string& from, const std::string& to) {
        const std::size_t at = bytes.find(from);
        ASSERT_NE(at, std::string::npos) << name;
        bytes.replace(at, from.size(), to);
        ASSERT_TRUE(WriteFileBytes(folder / name, bytes));
    };
    damaged("huge_count.tmoa", text, "m_Lines\t\t13\t{", "m_Lines\t\t4000000000\t{");
    damaged("negative_array.tmoa", text, "m_ArraySize\t2", "m_ArraySize\t-2");
    damaged("unknown_value_type.tmoa", text, "m_ValueType\t10", "m_ValueType\t77");
    damaged("end_mark.tmoa", text, "10\t\"END_MARKER\"", "8\t\"END_MARK\"");
    damaged("wrong_header.bmoa", binary, "BMOA", "BMOB");
    ASSERT_TRUE(WriteFileBytes(folder / "cut.bmoa", binary.substr(0, binary.size() / 2)));
    ASSERT_TRUE(WriteFileBytes(folder / "cut.zmoa", compressed.substr(0, compressed.size() - 5)));
    ASSERT_TRUE(WriteFileBytes(folder / "oversized_body.zmoa",
                               CompressBinaryContent(binary, "ZMOA", static_cast<std::uint32_t>(binary.size() * 4))));

    // A program that never ends by itself: an endless loop and a call that recurses.
    MoaAssembler loops;
    loops.AddScript(u"main", "*MAIN\n$i++\nIF ($i < 5) {\nGO('MAIN')\n} ELSE {\nGOSUB('deep', $i)\n}\n*deep\n"
                             "GOSUB('deep')\nRETURN(RETVAL())\nEXIT()\n");
    GxMoa loopProgram;
    ASSERT_TRUE(loops.Build(loopProgram));
    ASSERT_TRUE(WriteFileBytes(folder / "loops.bmoa", WriteMoaProgram(loopProgram, MoaProgramForm::Binary)));
}
