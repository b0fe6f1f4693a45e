// The script assembler: turns scripts in our own readable syntax into the compiled program
// (GxMoa) and writes it with the engine's own GxMoa::WriteProgram, in the text ("TMOA"),
// binary ("BMOA") or compressed ("ZMOA") form. One source line gives one program line:
//
//   // comment             an empty line
//   *start  *@local        a label (kind 7) and its definition; "@" labels belong to the script
//   GO("*start")           a builtin call: kind 1, the lower-cased name, its index
//   $x = $y[2] + 1         variables (9, or 10 before "["), literals, operators of the token table
//   bg.show(1)             a word at statement start (kind 2), for the game worker's layer calls
//   IF ($x) {  } ELSE IF ($y) {  } ELSE {  }   linked: condition starts, "{" to its "}", "}" values
//   GLOBAL INGAME $g = 5   keyword tokens plus a definition (STATIC 2-4 in the script, GLOBAL
//   STATIC PERMAN $a[3]    5-7 and EXTERN 8-10 in the program; INGAME when no class is given)
//   BUILTIN sp.show        declares a builtin the program names (and its definition)
//   anything else          a text line (kind 8) holding the whole line: a line that begins with
//                          a word is a statement only when the word is an upper-case keyword or
//                          "(" follows it
//
// Script names are stored in lower case. It needs no GoogleTest: the demo generator uses it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class GxMoa;

enum class MoaProgramForm { Text, Binary, Compressed };

// The whole file of a program: its form's header (version 1), then GxMoa::WriteProgram.
std::string WriteMoaProgram(const GxMoa& program, MoaProgramForm form);
// Reads a program file as the engine's loader picks it: the first byte chooses the reader and
// the header ("TMOA", "BMOA", "ZMOA"), then GxMoa::ReadProgram; any other first byte fails.
bool ReadMoaProgram(const std::string& bytes, GxMoa& program, bool verbose = true);
bool WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

class MoaAssembler {
public:
    // Knows the engine's default builtins.
    MoaAssembler();

    // A further builtin name (kind 1 tokens and a definition in the program).
    MoaAssembler& AddBuiltin(std::u16string_view name);
    // `source` is UTF-8; lines end with "\n" (a "\r" before it is dropped).
    MoaAssembler& AddScript(std::u16string_view name, std::string_view source);

    // False with Errors() ("script:line: message") when a source cannot be assembled.
    bool Build(GxMoa& program);
    // The file bytes; empty when Build fails.
    std::string Assemble(MoaProgramForm form);
    bool WriteFile(const std::filesystem::path& path, MoaProgramForm form);

    const std::vector<std::string>& Errors() const { return m_Errors; }

private:
    struct Source {
        std::u16string name;
        std::string text;
    };

    std::vector<std::u16string> m_Builtins;
    std::vector<Source> m_Sources;
    std::vector<std::string> m_Errors;
};
