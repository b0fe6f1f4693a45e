// The layer's live-object counts and fault settings, shared by its classes.
#pragma once

#include "platform/xaudio2/xaudio2.h"

#include <atomic>

namespace platform::xaudio2_detail {

extern std::atomic<int> g_Engines;
extern std::atomic<int> g_MasteringVoices;
extern std::atomic<int> g_SourceVoices;

}  // namespace platform::xaudio2_detail
