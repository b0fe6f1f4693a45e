#include "media/sound_loader_open.h"

#include "foundation/file.h"
#include "foundation/wide_string.h"
#include "media/sound_loader_ogg.h"
#include "media/sound_loader_wav.h"

std::unique_ptr<GxSoundLoaderBase> OpenSoundFileLoader(const std::u16string& fileName)
{
    const std::u16string extension = WideToLowerAscii(GetFileExtension(fileName));
    if (extension == u".wav") {
        auto wav = std::make_unique<GxSoundLoaderWav>();
        if (wav->Open(fileName)) return wav;
    } else if (extension == u".ogg") {
        auto ogg = std::make_unique<GxSoundLoaderOgg>();
        if (ogg->Open(fileName)) return ogg;
    }
    return nullptr;
}
