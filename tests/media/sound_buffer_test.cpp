// The DirectSound static and stream buffers on the capture sink: ring and chunk sizes, creation
// flags, loops compared frame by frame with the ramp, the silence after the data, the volume
// cache, the stored 3D block, the failure lines and a teardown while the notification thread
// is held inside a refill.
#include "sound_fixture.h"

#include "media/sound_buffer_static.h"
#include "media/sound_buffer_stream.h"
#include "media/sound_loader_wav.h"

#include <atomic>
#include <memory>
#include <thread>

namespace {

class SoundBufferTest : public SoundTest {
protected:
    std::unique_ptr<GxSoundLoaderWav> Open(const std::string& name)
    {
        auto loader = std::make_unique<GxSoundLoaderWav>();
        EXPECT_TRUE(loader->Open(W(name)));
        return loader;
    }
    std::unique_ptr<GxSoundLoaderWav> OpenRamp(std::uint32_t frames, std::uint16_t channels = 2)
    {
        WriteRamp("ramp.wav", frames, channels);
        return Open("ramp.wav");
    }
    static std::vector<BYTE> ReadRing(IDirectSoundBuffer* buffer, DWORD offset, DWORD bytes)
    {
        void* first = nullptr;
        DWORD firstBytes = 0;
        void* second = nullptr;
        DWORD secondBytes = 0;
        EXPECT_EQ(buffer->Lock(offset, bytes, &first, &firstBytes, &second, &secondBytes, 0), DS_OK);
        std::vector<BYTE> out(static_cast<BYTE*>(first), static_cast<BYTE*>(first) + firstBytes);
        buffer->Unlock(first, firstBytes, second, secondBytes);
        return out;
    }
};

TEST_F(SoundBufferTest, StreamChunksAreAQuarterSecondInWholeFramesWithANotificationInEachMiddle)
{
    struct Case {
        std::uint16_t channels;
        std::uint32_t rate;
        std::uint16_t bits;
        std::uint32_t chunk;
    };
    for (const Case& c : {Case{2, 44100, 16, 44100}, Case{1, 22050, 8, 5512}, Case{2, 11025, 16, 11024}}) {
        SCOPED_TRACE(c.rate);
        if (c.bits == 8) WriteRamp8("ramp.wav", 30000, c.channels, c.rate);
        else WriteRamp("ramp.wav", 30000, c.channels, c.rate);
        std::unique_ptr<GxSoundLoaderWav> loader = Open("ramp.wav");
        GxSoundBufferStream buffer;
        ASSERT_TRUE(buffer.Create(loader.get(), false));
        EXPECT_EQ(buffer.GetChunkBytes(), c.chunk);
        EXPECT_EQ(buffer.GetBufferBytes(), c.chunk * 16);
        EXPECT_TRUE(buffer.HasThread());
        const platform::DirectSoundCensus census = platform::DirectSoundObjects();
        ASSERT_EQ(census.secondaryBuffers, 1);
        for (const platform::DirectSoundBufferInfo& info : census.buffers)
            if (!info.primary) {
                EXPECT_EQ(info.bytes, c.chunk * 16);
            }
        buffer.Teardown();
        EXPECT_FALSE(buffer.HasThread());
        EXPECT_EQ(buffer.GetChunkBytes(), 0u);
        EXPECT_EQ(platform::DirectSoundObjects().secondaryBuffers, 0);
    }
}

TEST_F(SoundBufferTest, CreationFlagsGive3DOnlyToMonoSounds)
{
    struct Case {
        bool stream;
        std::uint16_t channels;
        bool use3D;
        DWORD flags;
    };
    const Case cases[] = {
        {false, 2, false, 0x581E0}, {true, 2, false, 0x581C0}, {false, 1, true, 0x381B8},
        {true, 1, true, 0x381B8},   {false, 2, true, 0x581E0}, {true, 2, true, 0x581C0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stream << " " << c.channels << " " << c.use3D);
        std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(20000, c.channels);
        GxSoundBufferStatic staticBuffer;
        GxSoundBufferStream streamBuffer;
        GxSoundBufferBase* buffer = &staticBuffer;
        if (c.stream) {
            ASSERT_TRUE(streamBuffer.Create(loader.get(), c.use3D));
            buffer = &streamBuffer;
        } else {
            ASSERT_TRUE(staticBuffer.Create(loader.get(), c.use3D));
        }
        EXPECT_EQ(buffer->Has3D(), c.flags == 0x381B8);
        for (const platform::DirectSoundBufferInfo& info : platform::DirectSoundObjects().buffers)
            if (!info.primary) {
                EXPECT_EQ(info.flags, c.flags);
            }
    }
}

TEST_F(SoundBufferTest, StreamsPlayThroughTheirLoopsFrameByFrameAndStopAfterTheData)
{
    constexpr std::uint32_t kFrames = 100000;   // longer than half the ring: refills carry the loops
    constexpr std::uint32_t kLoopStart = 30000;
    struct Case {
        std::int32_t loopCount;
        int passes;   // stretches from the loop start after the first play
        bool playingAfter;
    };
    for (const Case& c : {Case{0, 0, false}, Case{2, 2, false}, Case{-1, 5, true}}) {
        SCOPED_TRACE(c.loopCount);
        std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(kFrames);
        GxSoundBufferStream buffer;
        ASSERT_TRUE(buffer.Create(loader.get(), false));
        ASSERT_TRUE(buffer.Play(c.loopCount, 0, 0, kLoopStart));
        EXPECT_TRUE(buffer.IsPlaying());
        std::vector<std::int32_t> want;
        AppendRamp(want, 0, kFrames);
        for (int pass = 0; pass < c.passes; ++pass) AppendRamp(want, kLoopStart, kFrames);
        // A chunk past the end: the thread sees the played count pass the written one.
        Pump(static_cast<std::uint32_t>(want.size()) + 44100);
        std::vector<std::int32_t> got = TakeLeft();
        if (c.playingAfter) got.resize(want.size());   // the endless loop goes on: compare what is known
        EXPECT_EQ(FirstDifference(got, want), -1);
        EXPECT_EQ(buffer.IsPlaying(), c.playingAfter);
        buffer.Teardown();
    }
}

TEST_F(SoundBufferTest, AfterTheDataTheRingHoldsTheSilenceOfTheSampleSize)
{
    struct Case {
        std::uint16_t bits;
        std::uint16_t channels;
        std::uint32_t rate;
        BYTE silence;
    };
    for (const Case& c : {Case{8, 1, 22050, 128}, Case{16, 2, 44100, 0}}) {
        SCOPED_TRACE(c.bits);
        // Longer than the ring: the end falls inside chunk 2 on its second pass, over older data.
        const std::uint32_t ringFrames = c.rate / 4 * 16;
        const std::uint32_t frames = ringFrames + c.rate / 4 * 2 + 1000;
        if (c.bits == 8) WriteRamp8("ramp.wav", frames, c.channels, c.rate);
        else WriteRamp("ramp.wav", frames, c.channels, c.rate);
        std::unique_ptr<GxSoundLoaderWav> loader = Open("ramp.wav");
        GxSoundBufferStream buffer;
        ASSERT_TRUE(buffer.Create(loader.get(), false));
        ASSERT_TRUE(buffer.Play(0, 0, 0, 0));
        const std::uint32_t outputFrames = static_cast<std::uint32_t>(std::uint64_t{frames} * kRate / c.rate);
        Pump(outputFrames + kRate / 2);
        EXPECT_FALSE(buffer.IsPlaying());
        const DWORD block = c.channels * c.bits / 8;
        const DWORD end = (frames - ringFrames) * block;
        const std::vector<BYTE> tail = ReadRing(buffer.GetSoundBuffer(), end, buffer.GetChunkBytes() * 3 - end);
        EXPECT_EQ(std::count(tail.begin(), tail.end(), c.silence), static_cast<long>(tail.size()));
        buffer.Teardown();
    }
}

TEST_F(SoundBufferTest, StaticBuffersLoopOnlyForMinusOne)
{
    constexpr std::uint32_t kFrames = 10000;
    for (std::int32_t loopCount : {-1, 3, 0}) {
        SCOPED_TRACE(loopCount);
        std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(kFrames);
        GxSoundBufferStatic buffer;
        ASSERT_TRUE(buffer.Create(loader.get(), false));
        loader.reset();   // the buffer holds the whole sound
        ASSERT_TRUE(buffer.Play(loopCount, 0, 2000));
        EXPECT_EQ(buffer.GetLoopCount(), loopCount);
        Pump(30000);
        std::vector<std::int32_t> want;
        AppendRamp(want, 2000, kFrames);
        if (loopCount == -1) {
            while (want.size() < 30000) AppendRamp(want, 0, kFrames);
            want.resize(30000);
        }
        EXPECT_EQ(FirstDifference(TakeLeft(), want), -1);
        EXPECT_EQ(buffer.IsPlaying(), loopCount == -1);
    }
}

TEST_F(SoundBufferTest, TheStreamVolumeReachesDirectSoundOnlyWhenItChanges)
{
    std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(20000);
    GxSoundBufferStream buffer;
    EXPECT_FALSE(buffer.SetVolume(-100));   // no buffer yet
    ASSERT_TRUE(buffer.Create(loader.get(), false));
    const int before = SetVolumeCalls();
    EXPECT_TRUE(buffer.SetVolume(-100));
    EXPECT_TRUE(buffer.SetVolume(-100));
    EXPECT_EQ(SetVolumeCalls(), before + 1);
    ASSERT_TRUE(buffer.PlayAt(0, 0, 0, 0, -100, 0));   // forgets the last value
    EXPECT_EQ(SetVolumeCalls(), before + 2);
    LONG volume = 0;
    EXPECT_TRUE(buffer.GetVolume(&volume));
    EXPECT_EQ(volume, -100);
    ASSERT_TRUE(buffer.Create(loader.get(), false));   // a teardown first
    EXPECT_TRUE(buffer.SetVolume(-100));
    EXPECT_EQ(SetVolumeCalls(), before + 3);
    // A static buffer passes every value on.
    GxSoundBufferStatic single;
    ASSERT_TRUE(single.Create(loader.get(), false));
    EXPECT_TRUE(single.SetVolume(-100));
    EXPECT_TRUE(single.SetVolume(-100));
    EXPECT_EQ(SetVolumeCalls(), before + 5);
}

TEST_F(SoundBufferTest, TheStored3DBlockKeepsItsDistancesAndRefusesNarrowerOutsideCones)
{
    std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(20000, 1);
    GxSoundBufferStatic single;
    GxSoundBufferStream stream;
    ASSERT_TRUE(single.Create(loader.get(), true));
    ASSERT_TRUE(stream.Create(loader.get(), true));
    const std::pair<GxSoundBufferBase*, std::u16string> cases[] = {
        {&single, u"Error/GxSoundBufferStatic::::SetConeAngle OutAngleはInAngle以上である必要があります\n"},
        {&stream, u"Error/GxSoundBufferStream::SetConeAngle OutAngleはInAngle以上である必要があります\n"},
    };
    for (const auto& [buffer, line] : cases) {
        float distance = 0.0f;
        EXPECT_TRUE(buffer->GetMinDistance(&distance));
        EXPECT_EQ(distance, 100.0f);
        EXPECT_TRUE(buffer->GetMaxDistance(&distance));
        EXPECT_EQ(distance, 500.0f);
        DWORD inside = 0;
        DWORD outside = 0;
        ASSERT_TRUE(buffer->GetConeAngles(&inside, &outside));
        EXPECT_FALSE(buffer->SetConeAngle(90, 45));
        EXPECT_EQ(TakeLog(), std::vector<std::u16string>{line});
        DWORD keptInside = 0;
        DWORD keptOutside = 0;
        buffer->GetConeAngles(&keptInside, &keptOutside);
        EXPECT_EQ(keptInside, inside);
        EXPECT_EQ(keptOutside, outside);
        EXPECT_TRUE(buffer->SetConeAngle(45, 90));
        buffer->GetConeAngles(&keptInside, &keptOutside);
        EXPECT_EQ(keptInside, 45u);
        EXPECT_EQ(keptOutside, 90u);
        // The block reaches DirectSound only through Apply3D.
        EXPECT_TRUE(buffer->SetPosition({1.0f, 2.0f, 3.0f}));
        IDirectSound3DBuffer* direct = nullptr;
        ASSERT_EQ(buffer->GetSoundBuffer()->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&direct)),
                  S_OK);
        DS3DBUFFER applied{};
        applied.dwSize = sizeof applied;
        direct->GetAllParameters(&applied);
        EXPECT_EQ(applied.vPosition.x, 0.0f);
        EXPECT_TRUE(buffer->Apply3D(true));
        direct->GetAllParameters(&applied);
        EXPECT_EQ(applied.vPosition.z, 3.0f);
        EXPECT_EQ(applied.dwOutsideConeAngle, 90u);
        EXPECT_EQ(applied.flMaxDistance, 500.0f);
        direct->Release();
    }
    // Without a 3D interface every 3D call is a silent false.
    GxSoundBufferStatic flat;
    ASSERT_TRUE(flat.Create(OpenRamp(20000).get(), false));
    float distance = 0.0f;
    EXPECT_FALSE(flat.SetConeAngle(90, 45));
    EXPECT_FALSE(flat.SetMinDistance(5.0f));
    EXPECT_FALSE(flat.GetMinDistance(&distance));
    EXPECT_FALSE(flat.Apply3D(true));
    EXPECT_TRUE(TakeLog().empty());
}

TEST_F(SoundBufferTest, RefusedFormatsAndAMissingDeviceFail)
{
    Write("deep.wav", BuildTestPcmWav(2, 44100, 24, SoundBytes(6000, 1)));
    std::unique_ptr<GxSoundLoaderWav> deep = Open("deep.wav");
    GxSoundBufferStatic single;
    GxSoundBufferStream stream;
    EXPECT_FALSE(single.Create(deep.get(), false));
    EXPECT_FALSE(stream.Create(deep.get(), false));
    const std::vector<std::u16string> lines = TakeLog();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], u"Error/GxSoundBufferStatic::Create セカンダリバッファ作成に失敗しました\n");
    EXPECT_EQ(lines[1].rfind(u"Error/GxSoundBufferStream::Create セカンダリバッファ作成に失敗しました ", 0), 0u);
    EXPECT_FALSE(stream.HasThread());
    EXPECT_FALSE(stream.Play(0, 0, 0, 0));

    // A failed notification set-up leaves no thread and no buffer.
    platform::DirectSoundFaults faults;
    faults.setNotificationPositions = E_FAIL;
    platform::SetDirectSoundFaults(faults);
    std::unique_ptr<GxSoundLoaderWav> ramp = OpenRamp(20000);
    EXPECT_FALSE(stream.Create(ramp.get(), false));
    EXPECT_EQ(TakeLog(), std::vector<std::u16string>{
                             u"Error/GxSoundBufferStream::Create IDirectSoundNotify通知位置の設定に失敗しました\n"});
    EXPECT_FALSE(stream.HasThread());
    EXPECT_EQ(platform::DirectSoundObjects().secondaryBuffers, 0);
    platform::SetDirectSoundFaults({});

    SoundShutdownDevice();
    EXPECT_FALSE(single.Create(ramp.get(), false));
    EXPECT_FALSE(stream.Create(ramp.get(), false));
    EXPECT_TRUE(TakeLog().empty());
}

// A teardown while the notification thread is held inside a refill's read: the teardown waits
// for the thread without holding the buffer lock, and nothing the thread uses goes before it
// has ended.
TEST_F(SoundBufferTest, TeardownWaitsForAThreadHeldInsideARefill)
{
    auto loader = std::make_unique<ShortLoader>(kRate * 10, kRate * 10);
    GxSoundBufferStream buffer;
    ASSERT_TRUE(buffer.Create(loader.get(), false));
    ASSERT_TRUE(buffer.Play(0, 0, 0, 0));
    const int readsOfPlay = loader->ReadsStarted();
    loader->Hold();
    // Past the middle of chunk 1: its notification refills chunk 0, whose read holds the thread.
    platform::Mixer::Instance().Advance(kRate / 4 + kRate / 8 + 441);
    loader->WaitForReads(readsOfPlay + 1);
    std::atomic<bool> released{false};
    std::thread helper([&] {
        while (!buffer.IsStopping()) std::this_thread::yield();
        released = true;
        loader->Release();
    });
    buffer.Teardown();
    helper.join();
    EXPECT_TRUE(released);
    EXPECT_EQ(loader->ReadsFinished(), loader->ReadsStarted());
    EXPECT_FALSE(buffer.HasThread());
    loader.reset();
}

}  // namespace
