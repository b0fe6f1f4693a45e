#include "tests/support/game_folder.h"

#include "foundation/wide_string.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"
#include "tests/support/moa_assembler.h"
#include "tests/support/motion_project_builder.h"
#include "tests/support/movie_fixtures.h"
#include "tests/support/pack_builder.h"
#include "tests/support/sound_fixtures.h"

#include <algorithm>
#include <fstream>

const char16_t* const kTestTableFiles[9] = {
    u"db_keymap.txt",  u"db_avgchar.txt",  u"db_bgmmode.txt",     u"db_cgmode.txt",      u"db_rpmode.txt",
    u"db_uimodule.txt", u"db_uilayout.txt", u"db_voicevolume.txt", u"db_systemvoice.txt",
};

namespace {

std::string IniText(const TestIniKeys& keys)
{
    std::string text;
    for (const auto& [key, value] : keys)
        text += key + "=" + value + "\r\n";
    return text;
}

bool WriteText(const std::filesystem::path& path, std::string_view bytes)
{
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

TestGameFolder::TestGameFolder(std::filesystem::path folder) : m_Folder(std::move(folder))
{
    std::error_code error;
    std::filesystem::create_directories(m_Folder, error);
    Check(!error, "folder " + m_Folder.string());
}

void TestGameFolder::Check(bool written, const std::string& what)
{
    if (!written)
        m_Errors.push_back("cannot write " + what);
}

TestGameFolder& TestGameFolder::SysConf(const TestIniKeys& keys)
{
    Check(WriteText(m_Folder / "system" / "sysconf.ini", IniText(keys)), "system/sysconf.ini");
    return *this;
}

TestGameFolder& TestGameFolder::Setting(const TestIniKeys& keys)
{
    Check(WriteText(m_Folder / "setting.ini", IniText(keys)), "setting.ini");
    return *this;
}

TestGameFolder& TestGameFolder::Table(const std::u16string& fileName, const TestTableBuilder& table,
                                      TestTableEncoding encoding)
{
    Check(table.Write(m_Folder / "data" / WideToUtf8(fileName), encoding), "data/" + WideToUtf8(fileName));
    m_TablesWritten.push_back(fileName);
    return *this;
}

TestGameFolder& TestGameFolder::EmptyTables()
{
    for (const char16_t* file : kTestTableFiles)
        if (std::find(m_TablesWritten.begin(), m_TablesWritten.end(), file) == m_TablesWritten.end())
            Table(file, TestTableBuilder().Comment(u"no rows"));
    return *this;
}

TestGameFolder& TestGameFolder::Script(std::string_view source, std::u16string_view name)
{
    MoaAssembler assembler;
    assembler.AddScript(name, source);
    const bool written = assembler.WriteFile(m_Folder / "bincode" / "moacode.mwb", MoaProgramForm::Binary);
    Check(written, "bincode/moacode.mwb");
    for (const std::string& error : assembler.Errors())
        m_Errors.push_back(error);
    return *this;
}

TestGameFolder& TestGameFolder::Png(const std::string& path, const TestImage& image)
{
    std::error_code error;
    std::filesystem::create_directories((m_Folder / path).parent_path(), error);
    Check(WriteImageFile((m_Folder / path).string(), BuildPng(PngSpecRgba8(image))), path);
    return *this;
}

TestGameFolder& TestGameFolder::ImageSet(const std::string& path, const TestImageSetSpec& spec, TestContentForm form)
{
    Check(WriteImageSetFile((m_Folder / path).string(), spec, form), path);
    return *this;
}

TestGameFolder& TestGameFolder::SolidCellImageSet(const std::string& folder, const std::string& stem,
                                                  const std::vector<TestSolidCell>& cells)
{
    TestImageSetSpec spec;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const TestSolidCell& cell = cells[i];
        const std::string atlas = stem + "_" + std::to_string(i) + ".png";
        Png(folder + atlas, TestImage::Solid(static_cast<std::uint32_t>(cell.width),
                                             static_cast<std::uint32_t>(cell.height), cell.color));
        spec.atlases.push_back(TestGisAtlas{Utf8ToWide(atlas), cell.width, cell.height, 1, 0});
        TestGisOrigin origin;
        origin.fileName = cell.name;
        origin.width = cell.width;
        origin.height = cell.height;
        TestGisPattern pattern;
        pattern.width = cell.width;
        pattern.height = cell.height;
        pattern.crammedImageIndex = static_cast<std::int32_t>(i);
        pattern.crammedWidth = cell.width;
        pattern.crammedHeight = cell.height;
        pattern.crammedRawUV = GxFRect{0.0f, 0.0f, 1.0f, 1.0f};
        origin.patterns.push_back(pattern);
        spec.origins.push_back(origin);
    }
    return ImageSet(folder + stem + ".gis", spec);
}

TestGameFolder& TestGameFolder::StartupFiles(const std::u16string& iconTitle)
{
    struct GridImage {
        const char* file;
        std::uint32_t width, height;
    };
    // Cells by columns and rows: 95 codes 16 to a row, 26 codes 7 to a row, 10 codes 5 to a row.
    const GridImage grids[] = {
        {"fonts/FONT16SYS.png", 8 * 16, 16 * 6},
        {"fonts/FONT8NUM.png", 8 * 7, 16 * 4},
        {"fonts/FONT22NUM.png", 22 * 5, 32 * 2},
    };
    for (const GridImage& grid : grids)
        Png(grid.file, TestImage::Solid(grid.width, grid.height, 0xFFFFFFFF));
    Png("uigis/ui.png", TestImage::Solid(8, 8, 0xFF00FF00));
    ImageSet("uigis/ui_common.gis", OnePatternImageSet(u"ui.png", u"common/frame.png", 8, 8));
    ImageSet("uigis/ui_avgmain.gis", OnePatternImageSet(u"ui.png", u"avgmain/button.png", 8, 8));
    ImageSet("uigis/ui_iconpool.gis", OnePatternImageSet(u"ui.png", u"icons/" + iconTitle + u".png", 8, 8));
    return *this;
}

TestGameFolder& TestGameFolder::MotionProject(const std::string& path, const TestNcProjectSpec& spec,
                                              TestContentForm form)
{
    Check(WriteMotionProjectFile((m_Folder / path).string(), spec, form), path);
    return *this;
}

TestGameFolder& TestGameFolder::Pack(const std::string& path, const TestPackBuilder& pack)
{
    std::error_code error;
    std::filesystem::create_directories((m_Folder / path).parent_path(), error);
    Check(pack.Write((m_Folder / path).string()), path);
    return *this;
}

TestGameFolder& TestGameFolder::File(const std::string& path, std::string_view bytes)
{
    Check(WriteText(m_Folder / path, bytes), path);
    return *this;
}

TestGameFolder& TestGameFolder::Wav(const std::string& path, std::uint32_t milliseconds)
{
    constexpr std::uint32_t kRate = 22050;
    const SoundBytes bytes = BuildTestPcmWav(
        1, kRate, 16, TestPcm16Bytes(TestTone(kRate / 1000 * milliseconds, 1, kRate, 440.0, 2000.0)));
    return File(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

TestGameFolder& TestGameFolder::Movie(const std::string& path, const TestMovieSpec& spec)
{
    const MovieBytes bytes = BuildTestMovie(spec);
    if (bytes.empty()) {
        Check(false, path);
        return *this;
    }
    return File(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}
