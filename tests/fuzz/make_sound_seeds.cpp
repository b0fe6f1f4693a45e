// Writes the seed corpora of the sound fuzz targets with the test builders:
//   make_sound_seeds <corpus folder>   (writes sound_wav/ and sound_ogg/ inside it)
#include "tests/support/pack_builder.h"
#include "tests/support/sound_fixtures.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

bool Put(const std::filesystem::path& path, const SoundBytes& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    return WriteBytesToFile(path.string(), std::vector<BYTE>(bytes.begin(), bytes.end()));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sound_seeds <corpus folder>\n");
        return 2;
    }
    const std::filesystem::path wav = std::filesystem::path(argv[1]) / "sound_wav";
    const std::filesystem::path ogg = std::filesystem::path(argv[1]) / "sound_ogg";
    const SoundBytes stereo = TestPcm16Bytes(TestRamp(300, 2, true));
    SoundBytes eight(200);
    for (std::size_t i = 0; i < eight.size(); ++i)
        eight[i] = static_cast<std::uint8_t>(i);
    bool ok = Put(wav / "stereo16.wav", BuildTestPcmWav(2, 44100, 16, stereo)) &&
              Put(wav / "mono8.wav", BuildTestPcmWav(1, 8000, 8, eight)) &&
              Put(wav / "fmt18_list_after.wav",
                  BuildTestWav({TestFmtChunk(1, 1, 22050, 16, 2), {"data", TestPcm16Bytes(TestRamp(100, 1)), {}},
                                {"LIST", SoundBytes(12, 'a'), {}}})) &&
              Put(wav / "odd_chunk.wav",
                  BuildTestWav({TestFmtChunk(1, 2, 44100, 16), {"junk", SoundBytes(3, 1), {}}, {"data", stereo, {}}})) &&
              Put(wav / "data_claims_more.wav",
                  BuildTestWav({TestFmtChunk(1, 2, 44100, 16), {"data", SoundBytes(16, 3), 0xFFFFFFF0u}}, 0xFFFFFFFFu));
    ok = ok && Put(ogg / "mono22050.ogg", EncodeTestOggVorbis(TestTone(2000, 1, 22050, 440.0), 1, 22050, 0.0f)) &&
         Put(ogg / "stereo44100.ogg", EncodeTestOggVorbis(TestRamp(1500, 2, true), 2, 44100, 0.0f));
    return ok ? 0 : 1;
}
