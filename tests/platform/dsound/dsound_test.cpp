#include "platform/audio/mixer.h"
#include "platform/dsound/dsound.h"
#include "platform/win32/com.h"
#include "platform/win32/file.h"
#include "platform/win32/sync.h"
#include "platform/win32/window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using platform::Mixer;

constexpr DWORD kStaticFlags = 0x581E0;
constexpr DWORD kStreamFlags = 0x581C0;
constexpr DWORD k3DFlags = 0x381B8;

LRESULT PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

WAVEFORMATEX Pcm(WORD channels, DWORD rate, WORD bits)
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = bits;
    format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    return format;
}

// 16-bit stereo: left rises, right falls, every frame different from its neighbours.
std::vector<std::int16_t> StereoRamp(std::size_t frames)
{
    std::vector<std::int16_t> samples(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        samples[i * 2] = static_cast<std::int16_t>(static_cast<int>(i * 7 % 30000) - 15000);
        samples[i * 2 + 1] = static_cast<std::int16_t>(15000 - static_cast<int>(i * 11 % 30000));
    }
    return samples;
}

std::vector<std::int16_t> Slice(const std::vector<std::int16_t>& samples, std::size_t fromFrame, std::size_t toFrame)
{
    return {samples.begin() + static_cast<std::ptrdiff_t>(fromFrame * 2),
            samples.begin() + static_cast<std::ptrdiff_t>(toFrame * 2)};
}

class DirectSoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        platform::ResetUserStateForTesting();
        platform::SetDirectSoundFaults({});
        platform::ResetDirectSoundCallCounts();
        Mixer::Instance().SetSink(platform::AudioSink::Capture);
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = PlainProc;
        windowClass.lpszClassName = u"SoundTest";
        ASSERT_NE(RegisterClassExW(&windowClass), 0);
        m_Window = CreateWindowExW(0, u"SoundTest", u"SoundTest", WS_POPUP, 0, 0, 320, 240, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_Window, nullptr);
        platform::RegisterDirectSoundClasses();
        ASSERT_EQ(CoCreateInstance(CLSID_DirectSound8, nullptr, CLSCTX_ALL, IID_IDirectSound8,
                                   reinterpret_cast<void**>(&m_Device)),
                  S_OK);
        ASSERT_EQ(m_Device->Initialize(nullptr), DS_OK);
        ASSERT_EQ(m_Device->SetCooperativeLevel(m_Window, DSSCL_PRIORITY), DS_OK);
    }

    void TearDown() override
    {
        if (m_Device) {
            EXPECT_EQ(m_Device->Release(), 0u);
        }
        platform::SetDirectSoundFaults({});
        const platform::DirectSoundCensus census = platform::DirectSoundObjects();
        EXPECT_EQ(census.devices, 0);
        EXPECT_EQ(census.buffers.size(), 0u);
        EXPECT_EQ(Mixer::Instance().SourceCount(), 0u);
        EXPECT_FALSE(Mixer::Instance().IsOpen());
        platform::ResetUserStateForTesting();
    }

    IDirectSoundBuffer* Buffer(DWORD flags, const WAVEFORMATEX& format, DWORD bytes)
    {
        WAVEFORMATEX copy = format;
        DSBUFFERDESC description{};
        description.dwSize = sizeof description;
        description.dwFlags = flags;
        description.dwBufferBytes = bytes;
        description.lpwfxFormat = &copy;
        IDirectSoundBuffer* buffer = nullptr;
        EXPECT_EQ(m_Device->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
        return buffer;
    }

    // A buffer holding the given samples (its size is theirs).
    template <typename Sample>
    IDirectSoundBuffer* Filled(DWORD flags, const WAVEFORMATEX& format, const std::vector<Sample>& samples)
    {
        const DWORD bytes = static_cast<DWORD>(samples.size() * sizeof(Sample));
        IDirectSoundBuffer* buffer = Buffer(flags, format, bytes);
        if (!buffer) return nullptr;
        void* p1 = nullptr;
        void* p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        EXPECT_EQ(buffer->Lock(0, bytes, &p1, &n1, &p2, &n2, 0), DS_OK);
        EXPECT_EQ(n1, bytes);
        std::memcpy(p1, samples.data(), bytes);
        EXPECT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);
        return buffer;
    }

    std::vector<std::int16_t> Play(std::uint32_t frames)
    {
        Mixer::Instance().Advance(frames);
        return Mixer::Instance().TakeCaptured();
    }

    static DWORD Status(IDirectSoundBuffer* buffer)
    {
        DWORD status = 0xFFFF;
        EXPECT_EQ(buffer->GetStatus(&status), DS_OK);
        return status;
    }

    HWND m_Window = nullptr;
    IDirectSound8* m_Device = nullptr;
};

TEST_F(DirectSoundTest, DeviceReportsASoftwareMixerAndKeepsTheLevelRules)
{
    IDirectSound* older = nullptr;
    ASSERT_EQ(m_Device->QueryInterface(IID_IDirectSound, reinterpret_cast<void**>(&older)), S_OK);
    older->Release();
    void* none = nullptr;
    EXPECT_EQ(m_Device->QueryInterface(IID_IDirectSoundBuffer, &none), E_NOINTERFACE);

    DSCAPS caps{};
    caps.dwSize = 95;
    EXPECT_EQ(m_Device->GetCaps(&caps), DSERR_INVALIDPARAM);
    caps.dwSize = sizeof caps;
    ASSERT_EQ(m_Device->GetCaps(&caps), DS_OK);
    EXPECT_EQ(caps.dwFlags & (DSCAPS_SECONDARY8BIT | DSCAPS_SECONDARY16BIT | DSCAPS_SECONDARYMONO | DSCAPS_SECONDARYSTEREO),
              0xF00u);
    EXPECT_EQ(caps.dwFlags & (DSCAPS_EMULDRIVER | DSCAPS_CERTIFIED), 0u);
    EXPECT_LE(caps.dwMinSecondarySampleRate, 8000u);
    EXPECT_GE(caps.dwMaxSecondarySampleRate, 96000u);
    EXPECT_EQ(caps.dwPrimaryBuffers, 1u);
    EXPECT_EQ(caps.dwMaxHwMixingAllBuffers + caps.dwTotalHwMemBytes + caps.dwMaxHw3DAllBuffers, 0u);

    EXPECT_EQ(m_Device->Initialize(nullptr), DSERR_ALREADYINITIALIZED);
    EXPECT_EQ(m_Device->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DSERR_INVALIDPARAM);   // a window is needed
    EXPECT_EQ(m_Device->Compact(), DS_OK);
    ASSERT_EQ(m_Device->SetCooperativeLevel(m_Window, DSSCL_NORMAL), DS_OK);
    EXPECT_EQ(m_Device->Compact(), DSERR_PRIOLEVELNEEDED);
    EXPECT_TRUE(Mixer::Instance().IsOpen());

    // Before Initialize nothing works, and the mixer stays closed for that device.
    IDirectSound8* fresh = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_DirectSound8, nullptr, CLSCTX_ALL, IID_IDirectSound8, reinterpret_cast<void**>(&fresh)),
              S_OK);
    EXPECT_EQ(fresh->GetCaps(&caps), DSERR_UNINITIALIZED);
    EXPECT_EQ(fresh->SetCooperativeLevel(m_Window, DSSCL_PRIORITY), DSERR_UNINITIALIZED);
    EXPECT_EQ(fresh->Release(), 0u);
}

TEST_F(DirectSoundTest, EachInjectedFaultFailsItsOwnCall)
{
    struct Case {
        const char* name;
        HRESULT platform::DirectSoundFaults::*field;
    };
    const Case cases[] = {
        {"create", &platform::DirectSoundFaults::create},
        {"query IDirectSound", &platform::DirectSoundFaults::queryDirectSound},
        {"initialize", &platform::DirectSoundFaults::initialize},
        {"caps", &platform::DirectSoundFaults::getCaps},
        {"priority", &platform::DirectSoundFaults::cooperativePriority},
        {"normal", &platform::DirectSoundFaults::cooperativeNormal},
        {"compact", &platform::DirectSoundFaults::compact},
        {"primary", &platform::DirectSoundFaults::createPrimary},
        {"secondary", &platform::DirectSoundFaults::createSecondary},
        {"format", &platform::DirectSoundFaults::setFormat},
        {"listener", &platform::DirectSoundFaults::queryListener},
        {"notify", &platform::DirectSoundFaults::setNotificationPositions},
    };
    WAVEFORMATEX mono = Pcm(1, 44100, 16);
    DSBUFFERDESC primaryDescription{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D, 0, 0, nullptr, GUID_NULL};
    DSBUFFERDESC secondaryDescription{sizeof(DSBUFFERDESC), k3DFlags, 4000, 0, &mono, GUID_NULL};
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(m_Device->CreateSoundBuffer(&primaryDescription, &primary, nullptr), DS_OK);
    IDirectSoundBuffer* secondary = nullptr;
    ASSERT_EQ(m_Device->CreateSoundBuffer(&secondaryDescription, &secondary, nullptr), DS_OK);
    IDirectSoundNotify* notify = nullptr;
    ASSERT_EQ(secondary->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), S_OK);
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const DSBPOSITIONNOTIFY position{100, event};

    // Every call the engine makes, with its result under the given faults.
    auto calls = [&]() {
        std::vector<HRESULT> results;
        IDirectSound8* device = nullptr;
        results.push_back(CoCreateInstance(CLSID_DirectSound8, nullptr, CLSCTX_ALL, IID_IDirectSound8,
                                           reinterpret_cast<void**>(&device)));
        if (device) device->Release();
        IDirectSound* older = nullptr;
        results.push_back(m_Device->QueryInterface(IID_IDirectSound, reinterpret_cast<void**>(&older)));
        if (older) older->Release();
        IDirectSound8* other = nullptr;
        CoCreateInstance(CLSID_DirectSound8, nullptr, CLSCTX_ALL, IID_IDirectSound8, reinterpret_cast<void**>(&other));
        results.push_back(other ? other->Initialize(nullptr) : E_UNEXPECTED);
        if (other) other->Release();
        DSCAPS caps{};
        caps.dwSize = sizeof caps;
        results.push_back(m_Device->GetCaps(&caps));
        results.push_back(m_Device->SetCooperativeLevel(m_Window, DSSCL_PRIORITY));
        results.push_back(m_Device->SetCooperativeLevel(m_Window, DSSCL_NORMAL));
        m_Device->SetCooperativeLevel(m_Window, DSSCL_PRIORITY);
        results.push_back(m_Device->Compact());
        IDirectSoundBuffer* buffer = nullptr;
        results.push_back(m_Device->CreateSoundBuffer(&primaryDescription, &buffer, nullptr));
        if (buffer) buffer->Release();
        buffer = nullptr;
        results.push_back(m_Device->CreateSoundBuffer(&secondaryDescription, &buffer, nullptr));
        if (buffer) buffer->Release();
        const WAVEFORMATEX stereo = Pcm(2, 44100, 16);
        results.push_back(primary->SetFormat(&stereo));
        IDirectSound3DListener* listener = nullptr;
        results.push_back(primary->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener)));
        if (listener) listener->Release();
        results.push_back(notify->SetNotificationPositions(1, &position));
        return results;
    };
    ASSERT_EQ(calls(), std::vector<HRESULT>(std::size(cases), S_OK));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        platform::DirectSoundFaults faults;
        faults.*cases[i].field = DSERR_GENERIC;
        platform::SetDirectSoundFaults(faults);
        std::vector<HRESULT> expected(std::size(cases), S_OK);
        expected[i] = DSERR_GENERIC;
        if (cases[i].field == &platform::DirectSoundFaults::cooperativePriority)
            expected[6] = DSERR_PRIOLEVELNEEDED;   // Compact at the normal level
        if (cases[i].field == &platform::DirectSoundFaults::create)
            expected[2] = E_UNEXPECTED;            // no second device to initialise
        EXPECT_EQ(calls(), expected) << cases[i].name;
    }
    platform::SetDirectSoundFaults({});
    notify->Release();
    secondary->Release();
    primary->Release();
    CloseHandle(event);
}

TEST_F(DirectSoundTest, TheEnginesFlagWordsAreAcceptedAndReported)
{
    const WAVEFORMATEX stereo = Pcm(2, 44100, 16);
    const WAVEFORMATEX mono = Pcm(1, 22050, 8);
    struct Case {
        DWORD flags;
        WAVEFORMATEX format;
        HRESULT result;
    };
    const Case cases[] = {
        {kStaticFlags, stereo, DS_OK},
        {kStreamFlags, stereo, DS_OK},
        {k3DFlags, mono, DS_OK},
        {k3DFlags, stereo, DSERR_INVALIDPARAM},                      // 3D takes one channel only
        {DSBCAPS_CTRL3D | DSBCAPS_CTRLPAN, mono, DSERR_INVALIDPARAM},  // and no pan
        {DSBCAPS_LOCHARDWARE | DSBCAPS_LOCSOFTWARE, mono, DSERR_INVALIDPARAM},
    };
    std::vector<IDirectSoundBuffer*> made;
    for (const Case& c : cases) {
        WAVEFORMATEX format = c.format;
        DSBUFFERDESC description{sizeof(DSBUFFERDESC), c.flags, 4000, 0, &format, GUID_NULL};
        IDirectSoundBuffer* buffer = nullptr;
        EXPECT_EQ(m_Device->CreateSoundBuffer(&description, &buffer, nullptr), c.result) << std::hex << c.flags;
        if (c.result != DS_OK) {
            EXPECT_EQ(buffer, nullptr);
            continue;
        }
        ASSERT_NE(buffer, nullptr);
        DSBCAPS caps{};
        caps.dwSize = sizeof caps;
        ASSERT_EQ(buffer->GetCaps(&caps), DS_OK);
        EXPECT_EQ(caps.dwFlags, c.flags);
        EXPECT_EQ(caps.dwBufferBytes, 4000u);
        made.push_back(buffer);
    }
    platform::DirectSoundCensus census = platform::DirectSoundObjects();
    ASSERT_EQ(census.secondaryBuffers, 3);
    EXPECT_EQ(census.buffers[0].flags, kStaticFlags);
    EXPECT_EQ(census.buffers[1].flags, kStreamFlags);
    EXPECT_EQ(census.buffers[2].flags, k3DFlags);

    // Records: the description's size is this build's; a buffer needs a whole number of frames.
    WAVEFORMATEX format = stereo;
    DSBUFFERDESC description{sizeof(DSBUFFERDESC) - 4, kStaticFlags, 4000, 0, &format, GUID_NULL};
    IDirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(m_Device->CreateSoundBuffer(&description, &buffer, nullptr), DSERR_INVALIDPARAM);
    description.dwSize = sizeof description;
    description.dwBufferBytes = 4002;
    EXPECT_EQ(m_Device->CreateSoundBuffer(&description, &buffer, nullptr), DSERR_INVALIDPARAM);
    format.nChannels = 9;
    format.nBlockAlign = 18;
    description.dwBufferBytes = 1800;
    EXPECT_EQ(m_Device->CreateSoundBuffer(&description, &buffer, nullptr), DSERR_BADFORMAT);

    // Only the 3D buffer serves the 3D interface; its record is 64 bytes.
    void* object = nullptr;
    EXPECT_EQ(made[0]->QueryInterface(IID_IDirectSound3DBuffer, &object), E_NOINTERFACE);
    IDirectSound3DBuffer* buffer3D = nullptr;
    ASSERT_EQ(made[2]->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&buffer3D)), S_OK);
    DS3DBUFFER parameters{};
    parameters.dwSize = 60;
    EXPECT_EQ(buffer3D->GetAllParameters(&parameters), DSERR_INVALIDPARAM);
    parameters.dwSize = sizeof parameters;
    ASSERT_EQ(buffer3D->GetAllParameters(&parameters), DS_OK);
    EXPECT_EQ(parameters.flMinDistance, 1.0f);
    EXPECT_EQ(parameters.dwOutsideConeAngle, 360u);
    buffer3D->Release();
    for (IDirectSoundBuffer* made1 : made) made1->Release();
}

TEST_F(DirectSoundTest, ALoopingBufferCyclesAndAOneShotStopsAtItsEnd)
{
    const auto ramp = StereoRamp(1000);
    const WAVEFORMATEX format = Pcm(2, 44100, 16);
    IDirectSoundBuffer* looping = Filled(kStaticFlags, format, ramp);
    ASSERT_NE(looping, nullptr);
    ASSERT_EQ(looping->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Status(looping), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    const auto twice = Play(2300);
    EXPECT_EQ(Slice(twice, 0, 1000), ramp);
    EXPECT_EQ(Slice(twice, 1000, 2000), ramp);
    EXPECT_EQ(Slice(twice, 2000, 2300), Slice(ramp, 0, 300));
    EXPECT_EQ(Status(looping), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    ASSERT_EQ(looping->Stop(), DS_OK);
    EXPECT_EQ(Status(looping), 0u);
    DWORD play = 0;
    ASSERT_EQ(looping->GetCurrentPosition(&play, nullptr), DS_OK);
    EXPECT_EQ(play, 300u * 4);   // Stop keeps the position
    looping->Release();

    IDirectSoundBuffer* once = Filled(kStaticFlags, format, ramp);
    IDirectSoundNotify* notify = nullptr;
    ASSERT_EQ(once->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), S_OK);
    HANDLE stopped = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const DSBPOSITIONNOTIFY atStop{DSBPN_OFFSETSTOP, stopped};
    ASSERT_EQ(notify->SetNotificationPositions(1, &atStop), DS_OK);
    ASSERT_EQ(once->SetCurrentPosition(400 * 4), DS_OK);
    ASSERT_EQ(once->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Status(once), DSBSTATUS_PLAYING);
    const auto rest = Play(900);
    EXPECT_EQ(Slice(rest, 0, 600), Slice(ramp, 400, 1000));
    EXPECT_EQ(Slice(rest, 600, 900), std::vector<std::int16_t>(600, 0));
    EXPECT_EQ(Status(once), 0u);
    EXPECT_EQ(WaitForSingleObject(stopped, 0), WAIT_OBJECT_0);
    notify->Release();
    once->Release();
    CloseHandle(stopped);
}

TEST_F(DirectSoundTest, ThePlayCursorMovesAsTheMixerTakesBytesAndPassesSetTheirEvents)
{
    // The stream layout: 16 chunks, notifications in the middle of each.
    constexpr DWORD kChunk = 400;   // bytes: 100 frames
    const auto ramp = StereoRamp(1600);
    IDirectSoundBuffer* buffer = Filled(kStreamFlags, Pcm(2, 44100, 16), ramp);
    IDirectSoundNotify* notify = nullptr;
    ASSERT_EQ(buffer->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), S_OK);
    std::vector<HANDLE> events;
    std::vector<DSBPOSITIONNOTIFY> positions;
    for (DWORD i = 0; i < 16; ++i) {
        events.push_back(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        positions.push_back({kChunk / 2 + i * kChunk, events.back()});
    }
    ASSERT_EQ(notify->SetNotificationPositions(16, positions.data()), DS_OK);
    const DSBPOSITIONNOTIFY outside{16 * kChunk, events[0]};
    EXPECT_EQ(notify->SetNotificationPositions(1, &outside), DSERR_INVALIDPARAM);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(notify->SetNotificationPositions(16, positions.data()), DSERR_INVALIDCALL);   // not while playing

    auto signalled = [&] {
        std::string set;
        for (HANDLE event : events) set += WaitForSingleObject(event, 0) == WAIT_OBJECT_0 ? '1' : '0';
        return set;
    };
    struct Step {
        std::uint32_t frames;
        DWORD cursor;
        const char* set;
    };
    const Step steps[] = {
        {49, 196, "0000000000000000"},
        {1, 200, "0000000000000000"},     // the offset's byte is next, not yet taken
        {1, 204, "1000000000000000"},
        {300, 1404, "0111000000000000"},
        {1250, 4, "0000111111111111"},      // past the end of the ring and round again
        {50, 204, "1000000000000000"},
    };
    for (const Step& step : steps) {
        Play(step.frames);
        DWORD play = 0, write = 0;
        ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), DS_OK);
        EXPECT_EQ(play, step.cursor) << step.frames;
        EXPECT_EQ(write, (step.cursor + 441 * 4) % (16 * kChunk));   // one mix block ahead
        EXPECT_EQ(signalled(), step.set) << step.frames;
    }
    notify->Release();
    buffer->Release();
    for (HANDLE event : events) CloseHandle(event);
}

// The engine's streaming pattern: a thread woken by the notifications refills every chunk the
// play cursor has left behind while the mixer goes on; the output is the source unbroken over
// several passes of the ring.
TEST_F(DirectSoundTest, AThreadRefillingTheChunksBehindTheCursorKeepsTheSoundUnbroken)
{
    constexpr DWORD kChunkFrames = 1000;
    constexpr DWORD kChunk = kChunkFrames * 4;
    constexpr DWORD kChunks = 16;
    constexpr std::uint32_t kTotalFrames = 50000;   // three passes and more
    auto source = [](std::uint32_t frame, int side) {
        const int value = static_cast<int>(frame % 30000) - 15000;
        return static_cast<std::int16_t>(side == 0 ? value : -value);
    };
    struct Stream {
        IDirectSoundBuffer* buffer = nullptr;
        HANDLE notification = nullptr;
        HANDLE stop = nullptr;
        std::uint32_t written = 0;   // frames of the source in the ring so far
        DWORD nextChunk = 0;         // the oldest chunk not yet refilled
        std::function<std::int16_t(std::uint32_t, int)> source;
        void Fill(DWORD chunk)
        {
            void* p1 = nullptr;
            void* p2 = nullptr;
            DWORD n1 = 0, n2 = 0;
            if (buffer->Lock(chunk * kChunk, kChunk, &p1, &n1, &p2, &n2, 0) != DS_OK) return;
            auto* samples = static_cast<std::int16_t*>(p1);
            for (DWORD f = 0; f < kChunkFrames; ++f, ++written) {
                samples[f * 2] = source(written, 0);
                samples[f * 2 + 1] = source(written, 1);
            }
            buffer->Unlock(p1, n1, p2, n2);
        }
        static DWORD Run(LPVOID parameter)
        {
            auto* stream = static_cast<Stream*>(parameter);
            const HANDLE events[2] = {stream->notification, stream->stop};
            while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0) {
                DWORD play = 0;
                stream->buffer->GetCurrentPosition(&play, nullptr);
                const DWORD playing = play / kChunk;
                while (stream->nextChunk != playing) {
                    stream->Fill(stream->nextChunk);
                    stream->nextChunk = (stream->nextChunk + 1) % kChunks;
                }
            }
            return 0;
        }
    };
    Stream stream;
    stream.source = source;
    stream.buffer = Buffer(kStreamFlags, Pcm(2, 44100, 16), kChunk * kChunks);
    stream.notification = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    stream.stop = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    for (DWORD chunk = 0; chunk < kChunks; ++chunk) stream.Fill(chunk);
    IDirectSoundNotify* notify = nullptr;
    ASSERT_EQ(stream.buffer->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), S_OK);
    std::vector<DSBPOSITIONNOTIFY> positions;
    for (DWORD i = 0; i < kChunks; ++i) positions.push_back({kChunk / 2 + i * kChunk, stream.notification});
    ASSERT_EQ(notify->SetNotificationPositions(kChunks, positions.data()), DS_OK);
    HANDLE thread = CreateThread(nullptr, 0, &Stream::Run, &stream, 0, nullptr);
    ASSERT_NE(thread, nullptr);

    platform::MarkEventSettle();
    ASSERT_EQ(stream.buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::vector<std::int16_t> out;
    for (std::uint32_t done = 0; done < kTotalFrames; done += 441) {
        const auto block = Play(441);
        out.insert(out.end(), block.begin(), block.end());
        ASSERT_TRUE(platform::SettleEvents(60000));   // the thread has done its refill
    }
    std::size_t wrong = 0;
    for (std::uint32_t f = 0; f < kTotalFrames; ++f) {
        if (out[f * 2] != source(f, 0) || out[f * 2 + 1] != source(f, 1)) ++wrong;
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(stream.written, kTotalFrames - kChunk);

    SetEvent(stream.stop);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    CloseHandle(thread);
    notify->Release();
    stream.buffer->Release();
    CloseHandle(stream.notification);
    CloseHandle(stream.stop);
}

TEST_F(DirectSoundTest, AnyLoaderFormatPlaysAtItsOwnRate)
{
    struct Case {
        WORD channels;
        DWORD rate;
        WORD bits;
    };
    const Case cases[] = {{1, 11025, 8}, {2, 22050, 16}, {1, 32000, 16}, {6, 48000, 16}, {8, 44100, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.channels) + " x " + std::to_string(c.bits) + " at " + std::to_string(c.rate));
        // 100 ms of a constant level on every channel, played once.
        const DWORD frames = c.rate / 10;
        const WAVEFORMATEX format = Pcm(c.channels, c.rate, c.bits);
        IDirectSoundBuffer* buffer = Buffer(kStaticFlags, format, frames * format.nBlockAlign);
        ASSERT_NE(buffer, nullptr);
        void* p1 = nullptr;
        DWORD n1 = 0;
        ASSERT_EQ(buffer->Lock(0, frames * format.nBlockAlign, &p1, &n1, nullptr, nullptr, 0), DS_OK);
        if (c.bits == 8) {
            std::memset(p1, 128 + 32, n1);
        } else {
            auto* samples = static_cast<std::int16_t*>(p1);
            std::fill(samples, samples + n1 / 2, std::int16_t{8192});
        }
        ASSERT_EQ(buffer->Unlock(p1, n1, nullptr, 0), DS_OK);
        ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
        const auto out = Play(4410 + 441);
        EXPECT_EQ(Status(buffer), 0u);
        const int level = out[2205 * 2];
        EXPECT_GT(level, 4000);
        std::size_t sounding = 0;
        for (std::size_t f = 0; f < out.size() / 2; ++f) {
            if (std::abs(out[f * 2]) > level / 2) ++sounding;
        }
        EXPECT_NEAR(static_cast<double>(sounding), 4410.0, 4.0);   // 100 ms at the mix rate
        buffer->Release();
    }
}

TEST_F(DirectSoundTest, VolumeAndPanAttenuateInHundredthsOfADecibel)
{
    std::vector<std::int16_t> loud(2000, 20000);
    IDirectSoundBuffer* buffer = Filled(kStaticFlags, Pcm(2, 44100, 16), loud);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    struct Case {
        LONG volume;
        LONG pan;
        double left;
        double right;
    };
    const Case cases[] = {
        {0, 0, 20000, 20000},
        {-600, 0, 20000 * 0.50119, 20000 * 0.50119},
        {-6400, 0, 20000 * 0.000631, 20000 * 0.000631},   // the engine's fade floor still sounds
        {-10000, 0, 0, 0},
        {0, -10000, 20000, 0},
        {0, 10000, 0, 20000},
        {0, -600, 20000, 20000 * 0.50119},
    };
    platform::ResetDirectSoundCallCounts();
    for (const Case& c : cases) {
        ASSERT_EQ(buffer->SetVolume(c.volume), DS_OK);
        ASSERT_EQ(buffer->SetPan(c.pan), DS_OK);
        LONG volume = 1, pan = 1;
        ASSERT_EQ(buffer->GetVolume(&volume), DS_OK);
        ASSERT_EQ(buffer->GetPan(&pan), DS_OK);
        EXPECT_EQ(volume, c.volume);
        EXPECT_EQ(pan, c.pan);
        const auto out = Play(100);
        EXPECT_NEAR(out[100], c.left, 1.0) << c.volume << " " << c.pan;
        EXPECT_NEAR(out[101], c.right, 1.0) << c.volume << " " << c.pan;
    }
    EXPECT_EQ(platform::DirectSoundCallCounts().setVolume, static_cast<int>(std::size(cases)));
    EXPECT_EQ(buffer->SetVolume(-10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetPan(10001), DSERR_INVALIDPARAM);
    buffer->Release();

    // Without the controls there is nothing to set.
    IDirectSoundBuffer* plain = Buffer(DSBCAPS_GLOBALFOCUS, Pcm(1, 44100, 16), 400);
    EXPECT_EQ(plain->SetVolume(0), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetPan(0), DSERR_CONTROLUNAVAIL);
    plain->Release();
}

TEST_F(DirectSoundTest, LockCoversTheRangeInUpToTwoPieces)
{
    IDirectSoundBuffer* buffer = Buffer(kStreamFlags, Pcm(2, 44100, 16), 1600);
    struct Case {
        DWORD offset;
        DWORD bytes;
        HRESULT result;
        DWORD first;
        DWORD second;
    };
    const Case cases[] = {
        {0, 1600, DS_OK, 1600, 0},
        {400, 400, DS_OK, 400, 0},
        {1200, 800, DS_OK, 400, 400},   // across the end
        {1596, 1600, DS_OK, 4, 1596},
        {0, 1604, DSERR_INVALIDPARAM, 0, 0},
        {1600, 4, DSERR_INVALIDPARAM, 0, 0},
        {0, 0, DSERR_INVALIDPARAM, 0, 0},
    };
    for (const Case& c : cases) {
        void* p1 = nullptr;
        void* p2 = nullptr;
        DWORD n1 = 99, n2 = 99;
        ASSERT_EQ(buffer->Lock(c.offset, c.bytes, &p1, &n1, &p2, &n2, 0), c.result) << c.offset << "+" << c.bytes;
        EXPECT_EQ(n1, c.first);
        EXPECT_EQ(n2, c.second);
        if (c.result != DS_OK) continue;
        EXPECT_EQ(p2 != nullptr, c.second > 0);
        if (c.second > 0) {
            EXPECT_EQ(static_cast<BYTE*>(p1) + n1 - 1600, static_cast<BYTE*>(p2));
        }
        EXPECT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);
    }
    // What is written through both pieces plays in order.
    const auto ramp = StereoRamp(400);
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(buffer->Lock(800, 1600, &p1, &n1, &p2, &n2, 0), DS_OK);
    std::memcpy(p1, ramp.data(), n1);
    std::memcpy(p2, reinterpret_cast<const BYTE*>(ramp.data()) + n1, n2);
    ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);
    ASSERT_EQ(buffer->SetCurrentPosition(800), DS_OK);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Play(400), ramp);
    buffer->Release();
}

TEST_F(DirectSoundTest, EightBitSilenceIs128AndComesOutAsZero)
{
    IDirectSoundBuffer* buffer = Buffer(kStaticFlags, Pcm(1, 44100, 8), 500);
    void* p1 = nullptr;
    DWORD n1 = 0;
    ASSERT_EQ(buffer->Lock(0, 500, &p1, &n1, nullptr, nullptr, 0), DS_OK);
    EXPECT_EQ(std::vector<BYTE>(static_cast<BYTE*>(p1), static_cast<BYTE*>(p1) + n1), std::vector<BYTE>(500, 128));
    static_cast<BYTE*>(p1)[100] = 192;
    static_cast<BYTE*>(p1)[101] = 64;
    ASSERT_EQ(buffer->Unlock(p1, n1, nullptr, 0), DS_OK);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    const auto out = Play(500);
    std::vector<std::int16_t> expected(1000, 0);
    expected[200] = expected[201] = 64 * 256;
    expected[202] = expected[203] = -64 * 256;
    EXPECT_EQ(out, expected);
    buffer->Release();
}

TEST_F(DirectSoundTest, ListenerAndBufferParametersWaitForTheCommitWhenDeferred)
{
    WAVEFORMATEX primaryFormat{};
    DSBUFFERDESC description{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr, GUID_NULL};
    IDirectSoundBuffer* plain = nullptr;
    ASSERT_EQ(m_Device->CreateSoundBuffer(&description, &plain, nullptr), DS_OK);
    void* object = nullptr;
    EXPECT_EQ(plain->QueryInterface(IID_IDirectSound3DListener, &object), E_NOINTERFACE);
    const WAVEFORMATEX wanted = Pcm(2, 44100, 16);
    ASSERT_EQ(plain->SetFormat(&wanted), DS_OK);
    ASSERT_EQ(plain->GetFormat(&primaryFormat, sizeof primaryFormat, nullptr), DS_OK);
    EXPECT_EQ(std::memcmp(&primaryFormat, &wanted, sizeof wanted), 0);
    EXPECT_EQ(plain->Release(), 0u);

    description.dwFlags |= DSBCAPS_CTRL3D;
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(m_Device->CreateSoundBuffer(&description, &primary, nullptr), DS_OK);
    IDirectSound3DListener* listener = nullptr;
    ASSERT_EQ(primary->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener)), S_OK);
    IDirectSoundBuffer* mono = Buffer(k3DFlags, Pcm(1, 44100, 16), 400);
    IDirectSound3DBuffer* buffer3D = nullptr;
    ASSERT_EQ(mono->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&buffer3D)), S_OK);

    DS3DBUFFER parameters{};
    parameters.dwSize = sizeof parameters;
    ASSERT_EQ(buffer3D->GetAllParameters(&parameters), DS_OK);
    parameters.flMinDistance = 100.0f;
    parameters.flMaxDistance = 500.0f;
    ASSERT_EQ(buffer3D->SetAllParameters(&parameters, DS3D_DEFERRED), DS_OK);
    ASSERT_EQ(listener->SetPosition(1.0f, 2.0f, 3.0f, DS3D_DEFERRED), DS_OK);
    ASSERT_EQ(listener->SetOrientation(1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, DS3D_DEFERRED), DS_OK);

    D3DVECTOR position{}, front{}, top{};
    DS3DBUFFER now{};
    now.dwSize = sizeof now;
    auto read = [&] {
        ASSERT_EQ(listener->GetPosition(&position), DS_OK);
        ASSERT_EQ(listener->GetOrientation(&front, &top), DS_OK);
        ASSERT_EQ(buffer3D->GetAllParameters(&now), DS_OK);
    };
    read();
    EXPECT_EQ(position.z, 0.0f);
    EXPECT_EQ(front.z, 1.0f);
    EXPECT_EQ(now.flMinDistance, 1.0f);
    ASSERT_EQ(listener->CommitDeferredSettings(), DS_OK);
    read();
    EXPECT_EQ(position.z, 3.0f);
    EXPECT_EQ(front.x, 1.0f);
    EXPECT_EQ(top.z, 1.0f);
    EXPECT_EQ(now.flMinDistance, 100.0f);
    EXPECT_EQ(now.flMaxDistance, 500.0f);
    const platform::DirectSoundCounters counts = platform::DirectSoundCallCounts();
    EXPECT_EQ(counts.listenerSetPosition, 1);
    EXPECT_EQ(counts.listenerSetOrientation, 1);
    EXPECT_EQ(counts.commitDeferredSettings, 1);

    buffer3D->Release();
    mono->Release();
    listener->Release();
    primary->Release();
}

TEST_F(DirectSoundTest, TheLastDeviceReferenceCutsItsBuffersOffTheMix)
{
    IDirectSoundBuffer* buffer = Filled(kStaticFlags, Pcm(2, 44100, 16), StereoRamp(100));
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(Mixer::Instance().SourceCount(), 1u);
    EXPECT_EQ(m_Device->Release(), 0u);
    m_Device = nullptr;
    EXPECT_FALSE(Mixer::Instance().IsOpen());
    EXPECT_EQ(Mixer::Instance().SourceCount(), 0u);
    EXPECT_EQ(Status(buffer), 0u);
    EXPECT_EQ(buffer->Play(0, 0, 0), DSERR_UNINITIALIZED);
    EXPECT_EQ(buffer->Release(), 0u);
}

}  // namespace
