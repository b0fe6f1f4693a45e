// The process's one software mixer: its sources' frames at 44,100 Hz stereo, summed in float
// and clipped once at the output, go to one sink.
#pragma once

#include "platform/audio/mix_source.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

enum class AudioSink {
    Sdl,       // the default: an SDL audio device pulls blocks; the null sink when none opens
    Null,      // a thread consumes blocks in real time
    Capture,   // no thread: Advance mixes on the caller's thread into a capture buffer
};

class Mixer {
public:
    static Mixer& Instance();

    // Taken when the mixer is closed (tests choose before the first user opens it).
    void SetSink(AudioSink sink);
    // The first Open starts the sink, the last Close stops it; Open never fails.
    void Open();
    void Close();
    bool IsOpen() const;
    AudioSink ActiveSink() const;

    void AddSource(MixSource* source);
    // Synchronous: on return no mix step uses the source and no callback of it runs or will
    // come. From inside one of the source's own callbacks it refuses (false) rather than wait
    // for itself.
    bool RemoveSource(MixSource* source);

    // Capture sink: mixes `frames` frames on the calling thread in blocks of at most 10 ms,
    // running each block's callbacks after it, and appends the 16-bit stereo output.
    void Advance(std::uint32_t frames);
    std::vector<std::int16_t> TakeCaptured();

    std::vector<MixSourceInfo> Sources() const;
    std::size_t SourceCount() const;

    // Mixes one block into `out` (16-bit stereo) and runs its callbacks; the sinks' pull.
    void Render(std::int16_t* out, std::uint32_t frames);

private:
    Mixer() = default;
    void RenderBlock(std::int16_t* out, std::uint32_t frames);
    struct Entry {
        MixSource* source;
        std::uint64_t id;   // tells a source from a later one at the same address
    };
    struct Raised {
        Entry entry;
        MixEvents events;
    };
    void RunEvents(std::vector<Raised>& raised);
    bool IsLive(const Entry& entry) const;   // m_StateMutex held
    void StartSink();
    void StopSink();
    void NullSinkLoop();

    mutable std::mutex m_StateMutex;   // open count, sink, source list, callback state
    std::condition_variable m_StateChanged;
    int m_OpenCount = 0;
    AudioSink m_ChosenSink = AudioSink::Sdl;
    AudioSink m_ActiveSink = AudioSink::Sdl;
    std::vector<Entry> m_Sources;
    std::uint64_t m_NextId = 1;
    MixSource* m_RunningCallbackOf = nullptr;
    std::thread::id m_CallbackThread;

    std::mutex m_StepMutex;   // one mix step at a time; taken before m_StateMutex
    std::vector<Entry> m_StepSources;   // the step's copy of the list, kept for its capacity
    std::vector<float> m_Mix;
    std::vector<std::int16_t> m_Captured;

    std::mutex m_OpenMutex;   // Open and Close; taken before the others
    std::mutex m_SinkMutex;
    std::condition_variable m_SinkWake;
    std::thread m_NullThread;
    bool m_StopNull = false;
    std::uint32_t m_SdlDevice = 0;
};

}  // namespace platform
