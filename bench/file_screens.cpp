// Cost of the load screen's page refresh over eight full slots (each a binary game-data file and
// a 128 x 96 thumbnail), beside the reference measured in the same run: reading the same eight
// headers with ReadGameDataHeader and decoding the same eight PNG files with DecodePngMemory.
// The refresh adds the existence tests and the texture uploads; the goal is at most 1.3 times the
// reference.
#include "core/core.h"
#include "data/user_data.h"
#include "foundation/file.h"
#include "graphics/png_image.h"
#include "screens/seq_load.h"
#include "tests/support/ui/harness/ui_harness.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

class FileStage {
public:
    FileStage()
    {
        if (!m_UI.Ok())
            return;
        const std::filesystem::path saves = m_UI.Folder() / "save";
        std::filesystem::create_directories(saves);
        m_Folder = saves.u16string() + u"/";
        m_UI.Core().m_SaveFolder = m_Folder;
        std::vector<std::uint32_t> pixels(128 * 96);
        for (std::int32_t slot = 1; slot <= 8; ++slot) {
            GxUserData data(&m_UI.Core());
            data.SetGameDataTitle(u"第" + std::u16string(1, static_cast<char16_t>(u'0' + slot)) + u"章");
            if (!SaveGameData(&data, m_Folder + GameDataFileName(slot), true))
                return;
            for (std::size_t i = 0; i < pixels.size(); ++i)
                pixels[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 2654435761u * slot) >> 8;
            if (WritePngFile((m_Folder + ThumbnailFileName(slot)).c_str(), 128, 96, pixels.data()) != 1)
                return;
        }
        m_Screen = new SeqLoad(m_UI.Root());
        m_Ready = true;
    }

    bool Ready() const { return m_Ready; }
    SeqLoad* Screen() const { return m_Screen; }
    const std::u16string& Folder() const { return m_Folder; }

private:
    UIHarness m_UI;
    std::u16string m_Folder;
    SeqLoad* m_Screen = nullptr;
    bool m_Ready = false;
};

void BM_RefreshPage(benchmark::State& state)
{
    FileStage stage;
    if (!stage.Ready()) {
        state.SkipWithError("no stage");
        return;
    }
    for (auto _ : state) {
        stage.Screen()->RefreshPlates();
        benchmark::DoNotOptimize(stage.Screen()->GetPlateHeader(7).m_Valid);
    }
}
BENCHMARK(BM_RefreshPage)->Unit(benchmark::kMicrosecond);

void BM_ReadHeadersAndDecode(benchmark::State& state)
{
    FileStage stage;
    if (!stage.Ready()) {
        state.SkipWithError("no stage");
        return;
    }
    for (auto _ : state) {
        for (std::int32_t slot = 1; slot <= 8; ++slot) {
            GxGameDataHeader header;
            benchmark::DoNotOptimize(ReadGameDataHeader(stage.Folder() + GameDataFileName(slot), &header));
            std::ifstream file(std::filesystem::path(stage.Folder() + ThumbnailFileName(slot)), std::ios::binary);
            const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            std::uint32_t width = 0;
            std::uint32_t height = 0;
            std::uint8_t* pixels = DecodePngMemory(bytes.data(), bytes.size(), &width, &height);
            benchmark::DoNotOptimize(pixels);
            FreePngPixels(pixels);
        }
    }
}
BENCHMARK(BM_ReadHeadersAndDecode)->Unit(benchmark::kMicrosecond);

}  // namespace
