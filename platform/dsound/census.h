// The layer's live objects and fault settings, shared by its classes.
#pragma once

#include "platform/dsound/dsound.h"

namespace platform::dsound_detail {

// Live buffers are listed with their creation flags for DirectSoundObjects.
void AddBuffer(const void* buffer, const DirectSoundBufferInfo& info);
void RemoveBuffer(const void* buffer);
void CountDevice(int delta);

enum class Counter { SetVolume, Compact, ListenerSetPosition, ListenerSetOrientation, Commit };
void Count(Counter counter);

}  // namespace platform::dsound_detail
