// The loader for a sound file, chosen by its extension: shared by the players of both back ends.
#pragma once

#include "media/sound_loader_base.h"

#include <memory>
#include <string>

// ".wav" or ".ogg" (any case), opened; null for other names or a failed open.
std::unique_ptr<GxSoundLoaderBase> OpenSoundFileLoader(const std::u16string& fileName);
