// One input of the mixer: an XAudio2 source voice, a DirectSound buffer or a movie's sound.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

// What tests see of a source.
struct MixSourceInfo {
    std::string kind;
    bool started = false;
    float gain = 1.0f;
    std::uint64_t framesPlayed = 0;   // source frames handed to the converter
    std::uint32_t buffersQueued = 0;
    std::uint32_t playCursor = 0;     // DirectSound cursors, in bytes
    std::uint32_t writeCursor = 0;
};

// Work a mix step leaves for after the step: callbacks and notifications run unlocked.
using MixEvents = std::vector<std::function<void()>>;

class MixSource {
public:
    virtual ~MixSource() = default;
    // On the mixer's thread, with the mixer's step lock held: adds `frames` stereo frames at the
    // mix rate to `mix`, and appends the callbacks those frames cause to `events`.
    virtual void MixInto(float* mix, std::uint32_t frames, MixEvents& events) = 0;
    virtual MixSourceInfo Info() const = 0;
};

}  // namespace platform
