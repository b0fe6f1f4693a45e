// A small game folder for engine runs: "system/sysconf.ini" and "setting.ini" from key lists, the
// nine data tables, "bincode/moacode.mwb" from a readable script, PNG images, ".gis" image sets,
// ".gnc" motion projects, packs and any other file. Every call writes at once; Ok() tells whether
// every write so far succeeded and Errors() says which did not. No GoogleTest: the demo
// generator uses it.
#pragma once

#include "tests/support/content_bytes.h"
#include "tests/support/table_builder.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TestPackBuilder;
struct TestImage;
struct TestMovieSpec;
struct TestImageSetSpec;
struct TestNcProjectSpec;

// The file names of the nine tables under "data/", in start-up order.
extern const char16_t* const kTestTableFiles[9];

using TestIniKeys = std::vector<std::pair<std::string, std::string>>;

// One cell of a solid-colour image set: its origin image's name, size and ARGB colour.
struct TestSolidCell {
    std::u16string name;
    std::int32_t width;
    std::int32_t height;
    std::uint32_t color;
};

class TestGameFolder {
public:
    explicit TestGameFolder(std::filesystem::path folder);

    const std::filesystem::path& Path() const { return m_Folder; }

    // "KEY=VALUE" lines in the given order.
    TestGameFolder& SysConf(const TestIniKeys& keys);
    TestGameFolder& Setting(const TestIniKeys& keys);
    // "data/<fileName>", e.g. "db_uimodule.txt".
    TestGameFolder& Table(const std::u16string& fileName, const TestTableBuilder& table,
                          TestTableEncoding encoding = TestTableEncoding::kUtf16LE);
    // Each of the nine tables not written yet, as a file of one comment line.
    TestGameFolder& EmptyTables();
    // "bincode/moacode.mwb" from one script in the assembler's syntax.
    TestGameFolder& Script(std::string_view source, std::u16string_view name = u"main");
    TestGameFolder& Png(const std::string& path, const TestImage& image);
    TestGameFolder& ImageSet(const std::string& path, const TestImageSetSpec& spec,
                             TestContentForm form = TestContentForm::kBinary);
    // "<folder><stem>.gis" with one solid atlas "<folder><stem>_<i>.png" per cell, each cell one
    // pattern over its whole atlas.
    TestGameFolder& SolidCellImageSet(const std::string& folder, const std::string& stem,
                                      const std::vector<TestSolidCell>& cells);
    TestGameFolder& MotionProject(const std::string& path, const TestNcProjectSpec& spec,
                                  TestContentForm form = TestContentForm::kBinary);
    TestGameFolder& Pack(const std::string& path, const TestPackBuilder& pack);
    // What the game start-up reads besides the tables and the program: the three grid-font
    // images in "fonts/" (white cells, each image exactly its grid) and the three UI image sets
    // "uigis/ui_common.gis", "uigis/ui_avgmain.gis" and "uigis/ui_iconpool.gis", each over the
    // atlas "uigis/ui.png" with one origin image; the icon set's is "icons/<iconTitle>.png".
    TestGameFolder& StartupFiles(const std::u16string& iconTitle = u"icon_save");
    TestGameFolder& File(const std::string& path, std::string_view bytes);
    // A 16-bit mono PCM WAV of a quiet tone lasting `milliseconds`, at 22050 Hz.
    TestGameFolder& Wav(const std::string& path, std::uint32_t milliseconds);
    // A movie from the movie builder; an empty build counts as a failed write.
    TestGameFolder& Movie(const std::string& path, const TestMovieSpec& spec);

    bool Ok() const { return m_Errors.empty(); }
    const std::vector<std::string>& Errors() const { return m_Errors; }

private:
    void Check(bool written, const std::string& what);

    std::filesystem::path m_Folder;
    std::vector<std::u16string> m_TablesWritten;
    std::vector<std::string> m_Errors;
};
