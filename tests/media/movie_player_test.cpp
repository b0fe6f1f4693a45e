// The movie slots and the movie player on movies the fixture builder makes, played through
// the real graph against a manual clock into a movie texture on the headless device.
#include "graphics/texture_movie.h"
#include "media/movie_player.h"
#include "media/movie_reader_wmv.h"
#include "media/movie_renderer.h"
#include "media/movie_slots.h"
#include "platform/dshow/dshow_layer.h"
#include "platform/dshow/reference_clock.h"
#include "platform/audio/mixer.h"
#include "platform/win32/com.h"
#include "tests/media/media_fixture.h"
#include "tests/support/movie_fixtures.h"
#include "tests/support/test_device.h"
#include "tests/support/test_stream_thread.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

namespace {

constexpr REFERENCE_TIME kStep = 500'000;   // 50 ms of the graph clock
constexpr std::uint32_t kColour = 0x563412;

std::u16string Line(const std::u16string& text) { return text + u"\n"; }

class MoviePlayerTest : public MediaTest {
protected:
    void SetUp() override
    {
        MediaTest::SetUp();
        m_Device = std::make_unique<TestDevice>();
        ASSERT_TRUE(m_Device->Created());
        platform::RegisterDshowClasses();
        m_Clock = new platform::ManualReferenceClock(0);
        m_Clock->AddRef();
        platform::SetDshowGraphClock(m_Clock);
        ASSERT_TRUE(MovieInitCom());
    }
    void TearDown() override
    {
        MovieShutdown();
        EXPECT_EQ(platform::ComInitializeCount(), 0);
        platform::SetDshowFaults({});
        platform::SetComFaults({});
        platform::SetDshowGraphClock(nullptr);
        m_Clock->Release();
        m_Texture.reset();
        m_Device.reset();
        MediaTest::TearDown();
    }

    static TestMovieSpec Solid(TestMovieContainer container, int frames = 4)
    {
        TestMovieSpec spec;
        spec.container = container;
        spec.picture = TestMoviePicture::Solid;
        spec.solidColour = kColour;
        spec.frames = frames;
        return spec;
    }
    std::u16string WriteMovie(const std::string& name, const TestMovieSpec& spec)
    {
        const MovieBytes bytes = BuildTestMovie(spec);
        EXPECT_FALSE(bytes.empty());
        Write(name, SoundBytes(bytes.begin(), bytes.end()));
        return W(name);
    }
    GxTextureMovie* Texture(std::uint32_t width = 64, std::uint32_t height = 48)
    {
        m_Texture = std::make_unique<GxTextureMovie>();
        EXPECT_TRUE(m_Texture->Create(u"movie", width, height, D3DFMT_A8R8G8B8, 0xFF000000u, false));
        return m_Texture.get();
    }
    GxMoviePlayerFile* Player(int slot) { return static_cast<GxMoviePlayerFile*>(MovieSlotGetPlayer(slot)); }

    // Every step settles the graph's threads, unless a test gives them real time to move instead
    // (m_Settle false); such checks wait for what they look for.
    void Settled(const std::function<void()>& step)
    {
        if (!m_Settle) {
            step();
            return;
        }
        platform::MarkEventSettle();
        step();
        EXPECT_TRUE(platform::SettleEvents(kSettleMs));
    }
    void Advance(REFERENCE_TIME delta)
    {
        Settled([&] { m_Clock->Advance(delta); });
    }
    // A graph started or restarted gets its streaming threads going before the clock moves.
    bool Play(int slot, std::int32_t loops, std::int32_t volume)
    {
        bool played = false;
        Settled([&] { played = MovieSlotPlay(slot, loops, volume); });
        return played;
    }
    void Tick()
    {
        Settled([] { MovieSlotTickAll(); });
    }
    // Moves the clock and polls the slots until `done`; false when it never comes within
    // `clockLimit` of graph time (the reader's own threads are waited for in real time).
    bool PlayUntil(const std::function<bool()>& done, REFERENCE_TIME clockLimit = 200'000'000)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (REFERENCE_TIME played = 0; played <= clockLimit;) {
            Tick();
            if (done()) return true;
            if (std::chrono::steady_clock::now() > deadline) return false;
            if (!m_Settle) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            Advance(kStep);
            played += kStep;
        }
        return false;
    }
    // The shown texture's pixel, A8R8G8B8.
    std::uint32_t Shown(std::uint32_t x, std::uint32_t y)
    {
        GxMutexScopedLock lock(m_Texture->GetFrameLock());
        IDirect3DTexture9* texture = m_Texture->GetCurrentTexture();
        D3DLOCKED_RECT locked{};
        if (!texture || FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return 0;
        std::uint32_t value = 0;
        std::memcpy(&value, static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
        texture->UnlockRect(0);
        return value;
    }
    static bool Near(std::uint32_t shown, std::uint32_t colour, int tolerance)
    {
        for (int shift = 0; shift < 24; shift += 8) {
            const int a = static_cast<int>((shown >> shift) & 0xFF);
            const int b = static_cast<int>((colour >> shift) & 0xFF);
            if (std::abs(a - b) > tolerance) return false;
        }
        return (shown >> 24) == 0xFF;
    }
    bool HasLine(const std::u16string& line)
    {
        for (const std::u16string& l : m_Log.lines)
            if (l == line) return true;
        return false;
    }

    std::unique_ptr<TestDevice> m_Device;
    std::unique_ptr<GxTextureMovie> m_Texture;
    platform::ManualReferenceClock* m_Clock = nullptr;
    bool m_Settle = true;
};

// --- playing ---------------------------------------------------------------------------------

struct PlayCase {
    const char* name;
    TestMovieContainer container;
    bool packed;
    int tolerance;   // the lossy codec's error per channel
};

class MoviePlaysTest : public MoviePlayerTest, public ::testing::WithParamInterface<PlayCase> {};

TEST_P(MoviePlaysTest, SolidFramesReachTheTextureAndTheMovieEnds)
{
    const PlayCase& c = GetParam();
    m_Settle = c.container != TestMovieContainer::Asf;
    const std::string name = std::string("movie/solid") + TestMovieExtension(c.container);
    const MovieBytes bytes = BuildTestMovie(Solid(c.container));
    ASSERT_FALSE(bytes.empty());
    if (c.packed) {
        TestPackBuilder pack;
        pack.SetScrambled(true).Add(W(name), std::vector<BYTE>(bytes.begin(), bytes.end()));
        ASSERT_TRUE(pack.Write(m_Folder.Join("movie.gxp").string()));
        ASSERT_TRUE(GxFile::AddPackFile(u"movie.gxp"));
    } else {
        Write(name, SoundBytes(bytes.begin(), bytes.end()));
    }
    GxTextureMovie* texture = Texture();
    ASSERT_TRUE(MovieSlotOpen(1, W(name), texture, 1, 0));
    GxMoviePlayerFile* player = Player(1);
    ASSERT_NE(player, nullptr);
    IBaseFilter* found = nullptr;
    ASSERT_EQ(player->Graph()->FindFilterByName(u"FileReader", &found), S_OK);
    EXPECT_EQ(found, static_cast<IBaseFilter*>(player->Reader()));
    found->Release();
    ASSERT_EQ(player->Graph()->FindFilterByName(u"TextureRenderer", &found), S_OK);
    found->Release();
    EXPECT_EQ(player->GetVideoWidth(), 64u);
    EXPECT_EQ(player->GetVideoHeight(), 48u);
    EXPECT_EQ(player->GetVideoPitch(), 192u);
    float u = 0.0f;
    float v = 0.0f;
    player->GetTextureExtent(&u, &v);
    EXPECT_EQ(u, 1.0f);
    EXPECT_EQ(v, 0.75f);

    ASSERT_TRUE(Play(1, 0, 0));
    EXPECT_TRUE(player->IsPlaying());
    ASSERT_TRUE(PlayUntil([&] { return Near(Shown(10, 10), 0xFF000000u | kColour, c.tolerance); }));
    EXPECT_TRUE(Near(Shown(63, 47), 0xFF000000u | kColour, c.tolerance));
    if (c.tolerance == 0) {
        EXPECT_EQ(Shown(30, 20), 0xFF000000u | kColour);
    }
    // The end of a movie played once stops it at position 0.
    ASSERT_TRUE(PlayUntil([&] { return !player->IsPlaying(); }));
    EXPECT_EQ(MovieSlotGetPosition(1), 0.0);
    EXPECT_EQ(MovieSlotGetLoopCount(1), 0);
    EXPECT_NE(player->GetD3DTexture(), nullptr);
    EXPECT_EQ(player->GetTexture(), texture);
}

INSTANTIATE_TEST_SUITE_P(Containers, MoviePlaysTest,
                         ::testing::Values(PlayCase{"Avi", TestMovieContainer::Avi, false, 0},
                                           PlayCase{"Wmv", TestMovieContainer::Asf, false, 6},
                                           PlayCase{"AviInAPack", TestMovieContainer::Avi, true, 0},
                                           PlayCase{"WmvInAPack", TestMovieContainer::Asf, true, 6}),
                         [](const ::testing::TestParamInfo<PlayCase>& info) { return info.param.name; });

TEST_F(MoviePlayerTest, LoopCountTwoPlaysThreeTimes)
{
    const std::u16string file = WriteMovie("loop.avi", Solid(TestMovieContainer::Avi, 3));
    ASSERT_TRUE(MovieSlotOpen(0, file, Texture(), 1, 0));
    ASSERT_TRUE(Play(0, 2, 0));
    std::vector<std::int32_t> counts{MovieSlotGetLoopCount(0)};
    ASSERT_TRUE(PlayUntil([&] {
        const std::int32_t count = MovieSlotGetLoopCount(0);
        if (count != counts.back()) counts.push_back(count);
        return !Player(0)->IsPlaying();
    }));
    EXPECT_EQ(counts, (std::vector<std::int32_t>{2, 1, 0}));
    EXPECT_EQ(MovieSlotGetPosition(0), 0.0);
    // Stop keeps the position.
    MovieSlotSetPosition(0, 0.1);
    EXPECT_TRUE(MovieSlotStop(0));
    EXPECT_NEAR(MovieSlotGetPosition(0), 0.1, 1e-6);
}

TEST_F(MoviePlayerTest, AWindowsMediaMovieLoopsThroughTheReadersRestart)
{
    m_Settle = false;
    const std::u16string file = WriteMovie("loop.wmv", Solid(TestMovieContainer::Asf, 3));
    GxTextureMovie* texture = Texture();
    ASSERT_TRUE(MovieSlotOpen(0, file, texture, 1, 0));
    ASSERT_TRUE(Play(0, 1, 0));
    std::vector<std::int32_t> counts{MovieSlotGetLoopCount(0)};
    ASSERT_TRUE(PlayUntil([&] {
        const std::int32_t count = MovieSlotGetLoopCount(0);
        if (count != counts.back()) counts.push_back(count);
        return !Player(0)->IsPlaying();
    }));
    EXPECT_EQ(counts, (std::vector<std::int32_t>{1, 0}));
    EXPECT_TRUE(Near(Shown(10, 10), 0xFF000000u | kColour, 6));
    EXPECT_EQ(MovieSlotGetPosition(0), 0.0);
}

TEST_F(MoviePlayerTest, ANegativeLoopCountLoopsForEverFromTheLoopStart)
{
    const std::u16string file = WriteMovie("loop.avi", Solid(TestMovieContainer::Avi, 3));
    ASSERT_TRUE(MovieSlotOpen(2, file, Texture(), 1, 0));
    MovieSlotSetLoopStart(2, 0.1);
    ASSERT_TRUE(Play(2, -1, 0));
    // Three passes of a 0.3 s movie and more: still playing, still -1.
    EXPECT_FALSE(PlayUntil([&] { return !Player(2)->IsPlaying() || MovieSlotGetLoopCount(2) != -1; }, 15'000'000));
    EXPECT_TRUE(Player(2)->IsPlaying());
    EXPECT_EQ(MovieSlotGetLoopCount(2), -1);
    EXPECT_EQ(Player(2)->GetLoopStart(), 0.1);
    EXPECT_TRUE(MovieSlotStopAll());
    EXPECT_FALSE(Player(2)->IsPlaying());
    EXPECT_EQ(MovieSlotGetLoopCount(2), 0);
}

TEST_F(MoviePlayerTest, UpdateTakesOneEventPerCall)
{
    const std::u16string file = WriteMovie("one.avi", Solid(TestMovieContainer::Avi));
    ASSERT_TRUE(MovieSlotOpen(3, file, Texture(), 1, 0));
    IMediaEventSink* sink = nullptr;
    ASSERT_EQ(Player(3)->Graph()->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink)), S_OK);
    sink->Notify(EC_USERABORT, 0, 0);
    sink->Notify(EC_USERABORT, 0, 0);
    sink->Release();
    EXPECT_TRUE(MovieSlotTickAll());
    LONG code = 0;
    LONG_PTR p1 = 0;
    LONG_PTR p2 = 0;
    ASSERT_EQ(Player(3)->GetEvent(&code, &p1, &p2, 0), S_OK);
    EXPECT_EQ(code, EC_USERABORT);
    Player(3)->GetEvent(&code, &p1, &p2, 0);
    EXPECT_NE(Player(3)->GetEvent(&code, &p1, &p2, 0), S_OK);
}

TEST_F(MoviePlayerTest, AReaderErrorReachesTheGraphsEventQueue)
{
    const std::u16string file = WriteMovie("err.wmv", Solid(TestMovieContainer::Asf));
    ASSERT_TRUE(MovieSlotOpen(0, file, Texture(), 1, 0));
    auto* reader = dynamic_cast<GxMovieReaderWMV*>(Player(0)->Reader());
    ASSERT_NE(reader, nullptr);
    reader->OnStatus(WMT_ERROR, static_cast<HRESULT>(0xC00D1B5Eu), WMT_TYPE_DWORD, nullptr, nullptr);
    LONG code = 0;
    LONG_PTR p1 = 0;
    LONG_PTR p2 = 0;
    ASSERT_EQ(Player(0)->GetEvent(&code, &p1, &p2, 0), S_OK);
    EXPECT_EQ(code, EC_ERRORABORT);
    EXPECT_EQ(static_cast<HRESULT>(p1), static_cast<HRESULT>(0xC00D1B5Eu));
}

// Frames numbered by their colour: the first pass starts where the position was set, every
// repetition at the loop start.
TEST_F(MoviePlayerTest, RepetitionsStartAtTheLoopStart)
{
    TestMovieSpec spec;
    spec.container = TestMovieContainer::Avi;
    spec.frames = 30;   // three seconds
    const std::u16string file = WriteMovie("numbered.avi", spec);
    ASSERT_TRUE(MovieSlotOpen(0, file, Texture(), 1, 0));
    MovieSlotSetLoopStart(0, 2.5);
    ASSERT_TRUE(MovieSlotSetPosition(0, 1.0));
    ASSERT_TRUE(Play(0, 2, 0));
    std::vector<int> starts;   // the first frame of each pass
    int last = -1;
    ASSERT_TRUE(PlayUntil([&] {
        // Asked first: once the last pass has ended the player rewinds, and the first frame may
        // reach the texture before this check sees the player stopped.
        if (!Player(0)->IsPlaying()) return true;
        const std::uint32_t pixel = Shown(10, 10);
        const int frame = TestMovieFrameNumber(pixel & 0xFF, (pixel >> 8) & 0xFF, (pixel >> 16) & 0xFF);
        if (frame >= 0 && frame != last) {
            if (last < 0 || frame < last) starts.push_back(frame);
            last = frame;
        }
        return false;
    }));
    EXPECT_EQ(starts, (std::vector<int>{10, 25, 25}));
}

// The sound of a movie reaches the capture at the attenuation given: -600 is about 0.501.
TEST_F(MoviePlayerTest, MovieSoundReachesTheCaptureAtTheAttenuationGiven)
{
    platform::SetDshowGraphClock(nullptr);   // the audio renderer's clock runs the graph
    platform::Mixer::Instance().SetSink(platform::AudioSink::Capture);
    TestMovieSpec spec = Solid(TestMovieContainer::Avi, 10);
    spec.audioStreams = 1;
    const std::u16string file = WriteMovie("tone.avi", spec);
    const auto loudest = [&](std::int32_t volume) {
        platform::Mixer::Instance().TakeCaptured();
        EXPECT_TRUE(MovieSlotOpen(0, file, Texture(), 1, 0));
        EXPECT_TRUE(Play(0, 0, volume));
        for (int step = 0; step < 60 && Player(0)->IsPlaying(); ++step) {
            Settled([] { platform::Mixer::Instance().Advance(2205); });
            Tick();
        }
        EXPECT_FALSE(Player(0)->IsPlaying());
        int peak = 0;
        for (std::int16_t value : platform::Mixer::Instance().TakeCaptured())
            peak = std::max(peak, std::abs(static_cast<int>(value)));
        MovieSlotClose(0);
        return peak;
    };
    const int full = loudest(0);
    const int quieter = loudest(-600);
    ASSERT_GT(full, 8000);
    EXPECT_NEAR(static_cast<double>(quieter) / full, 0.501, 0.01);
}

TEST_F(MoviePlayerTest, AMovieWithoutSoundPlaysAndTheVolumeDoesNothing)
{
    const std::u16string file = WriteMovie("quiet.avi", Solid(TestMovieContainer::Avi));
    ASSERT_TRUE(MovieSlotOpen(0, file, Texture(), 1, 0));
    Player(0)->SetVolume(-600);
    EXPECT_TRUE(MovieSlotPlay(0, 0, -600));
    EXPECT_TRUE(Player(0)->IsPlaying());
}

TEST_F(MoviePlayerTest, ExtentsOfAVgaMovieInItsTexture)
{
    TestMovieSpec spec = Solid(TestMovieContainer::Avi, 1);
    spec.width = 640;
    spec.height = 480;
    const std::u16string file = WriteMovie("vga.AVI", spec);
    GxTextureMovie* texture = Texture(640, 480);
    ASSERT_EQ(texture->GetWidth(), 1024u);
    ASSERT_EQ(texture->GetHeight(), 512u);
    ASSERT_TRUE(MovieSlotOpen(0, file, texture, 1, 0));
    float u = 0.0f;
    float v = 0.0f;
    Player(0)->GetTextureExtent(&u, &v);
    EXPECT_EQ(u, 0.625f);
    EXPECT_EQ(v, 0.9375f);
    EXPECT_EQ(Player(0)->GetVideoWidth(), 640u);
    EXPECT_EQ(Player(0)->GetVideoHeight(), 480u);
    EXPECT_EQ(Player(0)->GetVideoPitch(), 1920u);
}

// --- timing ------------------------------------------------------------------------------------

// Numbered frames for 2.4 s with a 1 kHz beep from 1.6 s to 1.8 s, played twice (loop count 1). The test moves the movie's clock 10 ms at a time (the manual clock, or the mixer's
// frames when the movie has sound and its renderer's clock runs the graph), lets every thread
// settle, and notes when each frame first shows and where the beep starts in the captured sound.
struct TimingCase {
    const char* name;
    TestMovieContainer container;
    bool sound;
    int framesPerSecond;
};

class MovieTimingTest : public MoviePlayerTest, public ::testing::WithParamInterface<TimingCase> {
protected:
    static constexpr double kStepSeconds = 0.01;
    static constexpr std::uint32_t kStepFrames = 441;   // 10 ms of the mixer

    struct Seen {
        int frame;
        double seconds;
    };

    // The Windows Media reader's own thread is not always followed by the settling when it
    // starts: the test waits until the picture's thread waits for the clock (or the movie has
    // ended) before it moves the clock.
    void WaitForTheNextFrame()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSettleMs);
        while (Player(0)->IsPlaying() && !Player(0)->Renderer()->IsWaitingForClock() &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    // Times (seconds of captured sound) where the sound turns loud after at least 0.3 s of quiet.
    static std::vector<double> Onsets(const std::vector<std::int16_t>& captured)
    {
        int peak = 0;
        for (std::int16_t value : captured) peak = std::max(peak, std::abs(static_cast<int>(value)));
        std::vector<double> onsets;
        if (peak < 4000) return onsets;
        const int loud = peak / 4;
        std::size_t quietSince = 0;
        for (std::size_t i = 0; i + 1 < captured.size(); i += 2) {
            const bool isLoud = std::abs(static_cast<int>(captured[i])) >= loud;
            if (!isLoud) continue;
            const std::size_t frame = i / 2;
            if (onsets.empty() ? true : frame - quietSince >= 44100 * 3 / 10) onsets.push_back(frame / 44100.0);
            quietSince = frame;
        }
        return onsets;
    }
};

TEST_P(MovieTimingTest, FramesAndSoundKeepTheMoviesTime)
{
    const TimingCase& c = GetParam();
    const int frames = c.framesPerSecond * 12 / 5;
    const int beepFrom = c.framesPerSecond * 8 / 5;
    const double frameSeconds = 1.0 / c.framesPerSecond;
    TestMovieSpec spec;
    spec.container = c.container;
    spec.frames = frames;
    spec.framesPerSecond = c.framesPerSecond;
    spec.audioStreams = c.sound ? 1 : 0;
    spec.sampleRate = 44100;
    spec.toneHertz = 1000.0;
    spec.beepFrom = beepFrom;
    spec.beepFrames = c.framesPerSecond / 5;
    const std::u16string file = WriteMovie(std::string("timed") + TestMovieExtension(c.container), spec);
    platform::Mixer& mixer = platform::Mixer::Instance();
    if (c.sound) {
        platform::SetDshowGraphClock(nullptr);   // the audio renderer's clock runs the graph
        mixer.SetSink(platform::AudioSink::Capture);
    }
    ASSERT_TRUE(MovieSlotOpen(0, file, Texture(), 1, 0));
    const double length = Player(0)->GetDuration();   // the longer stream's
    EXPECT_NEAR(length, frames * frameSeconds, frameSeconds + 0.001);
    mixer.TakeCaptured();
    ASSERT_TRUE(Play(0, 1, 0));
    if (c.container == TestMovieContainer::Asf) WaitForTheNextFrame();

    std::vector<Seen> shown;
    double now = 0.0;
    double end = -1.0;
    for (int step = 0; step < static_cast<int>(3 * length / kStepSeconds); ++step) {
        // Once the player has stopped, the texture may already show the rewind to the first frame,
        // which belongs to no pass: frames count only while it plays before and after the read.
        const bool playing = Player(0)->IsPlaying();
        const std::uint32_t pixel = Shown(10, 10);
        const int frame = TestMovieFrameNumber(pixel & 0xFF, (pixel >> 8) & 0xFF, (pixel >> 16) & 0xFF);
        if (frame >= 0 && playing && Player(0)->IsPlaying() && (shown.empty() || shown.back().frame != frame))
            shown.push_back({frame, now});
        if (!Player(0)->IsPlaying()) {
            end = now;
            break;
        }
        if (c.sound)
            Settled([&] { mixer.Advance(kStepFrames); });
        else
            Advance(kUnitsPerSecond / 100);
        now += kStepSeconds;
        Tick();
        if (c.container == TestMovieContainer::Asf) WaitForTheNextFrame();
    }
    const std::vector<double> onsets = Onsets(mixer.TakeCaptured());
    MovieSlotClose(0);
    if (c.sound) mixer.SetSink(platform::AudioSink::Sdl);

    std::string seen;
    for (const Seen& s : shown) seen += std::to_string(s.frame) + "@" + std::to_string(s.seconds).substr(0, 4) + " ";
    std::string heard;
    for (double onset : onsets) heard += std::to_string(onset).substr(0, 5) + " ";

    // Every frame of both passes, each at its time from its pass's start.
    ASSERT_EQ(shown.size(), 2u * static_cast<std::size_t>(frames)) << seen;
    for (int pass = 0; pass < 2; ++pass) {
        const double start = shown[static_cast<std::size_t>(pass * frames)].seconds;
        for (int k = 0; k < frames; ++k) {
            const Seen& s = shown[static_cast<std::size_t>(pass * frames + k)];
            EXPECT_EQ(s.frame, k) << seen;
            EXPECT_NEAR(s.seconds - start, k * frameSeconds, kStepSeconds + 0.001) << "frame " << k << ": " << seen;
        }
    }
    // The last frame stays for its duration; each pass ends within a frame of the length.
    const double restart = shown[static_cast<std::size_t>(frames)].seconds;
    EXPECT_GE(restart - shown[static_cast<std::size_t>(frames - 1)].seconds, frameSeconds - kStepSeconds - 0.001) << seen;
    EXPECT_NEAR(restart, length, frameSeconds + 0.001) << seen;
    EXPECT_NEAR(end - restart, length, frameSeconds + 0.001) << seen;
    if (c.sound) {
        ASSERT_EQ(onsets.size(), 2u) << heard;
        // Heard with the frame it belongs to.
        EXPECT_NEAR(onsets[0], shown[static_cast<std::size_t>(beepFrom)].seconds, 0.04) << heard;
        EXPECT_NEAR(onsets[1], shown[static_cast<std::size_t>(frames + beepFrom)].seconds, 0.04) << heard;
    }
}

INSTANTIATE_TEST_SUITE_P(Containers, MovieTimingTest,
                         ::testing::Values(TimingCase{"Avi", TestMovieContainer::Avi, false, 25},
                                           TimingCase{"AviWithSound", TestMovieContainer::Avi, true, 25},
                                           TimingCase{"Mpg", TestMovieContainer::Mpg, false, 25},
                                           TimingCase{"MpgWithSound", TestMovieContainer::Mpg, true, 25},
                                           TimingCase{"Wmv", TestMovieContainer::Asf, false, 10},
                                           TimingCase{"WmvWithSound", TestMovieContainer::Asf, true, 10}),
                         [](const ::testing::TestParamInfo<TimingCase>& info) { return info.param.name; });

// --- extensions, empty slots and failures ------------------------------------------------------

TEST(MovieSubtype, FromTheExtensionLowerCasedInAToZ)
{
    const struct {
        const char16_t* file;
        const GUID* subtype;
    } cases[] = {
        {u"a.avi", &MEDIASUBTYPE_Avi},         {u"a.MPG", &MEDIASUBTYPE_MPEG1System},
        {u"a.mpeg", &MEDIASUBTYPE_MPEG1System}, {u"a.mpv", &MEDIASUBTYPE_MPEG1Video},
        {u"a.dat", &MEDIASUBTYPE_MPEG1VideoCD}, {u"a.mov", &MEDIASUBTYPE_QTMovie},
        {u"a.mpa", &MEDIASUBTYPE_MPEG1Audio},   {u"a.wav", &MEDIASUBTYPE_WAVE},
        {u"d/a.ASF", &MEDIASUBTYPE_Asf},        {u"a.WMV", &MEDIASUBTYPE_Asf},
        {u"a.mpg2", &MEDIASUBTYPE_MPEG2_VIDEO}, {u"a.xyz", &GUID_NULL},
        {u"noext", &GUID_NULL},                 {u"a.wmv.txt", &GUID_NULL},
        {u"a.\u0130VI", &GUID_NULL},   // only A to Z are lower-cased
    };
    for (const auto& c : cases) EXPECT_EQ(MediaSubtypeFromExtension(c.file), *c.subtype) << WideToUtf8(c.file);
}

TEST_F(MoviePlayerTest, EmptyAndOutOfRangeSlotsChangeNothing)
{
    for (int slot : {0, 3, -1, 4, 1000}) {
        EXPECT_EQ(MovieSlotGetPosition(slot), 0.0) << slot;
        EXPECT_EQ(MovieSlotGetLoopCount(slot), 0);
        EXPECT_FALSE(MovieSlotStop(slot));
        EXPECT_FALSE(MovieSlotSetPosition(slot, 1.0));
        EXPECT_FALSE(MovieSlotPlay(slot, 0, 0));
        MovieSlotSetLoopStart(slot, 2.0);
        MovieSlotClose(slot);
        EXPECT_EQ(MovieSlotGetPlayer(slot), nullptr);
    }
    EXPECT_FALSE(MovieSlotOpen(4, u"x.avi", nullptr, 1, 0));
    EXPECT_FALSE(MovieSlotOpen(-1, u"x.avi", nullptr, 1, 0));
    EXPECT_TRUE(MovieSlotStopAll());
    EXPECT_TRUE(MovieSlotTickAll());
    EXPECT_TRUE(m_Log.lines.empty());
}

TEST_F(MoviePlayerTest, UnplayableAndMissingFilesFailWithTheirLines)
{
    for (const std::u16string file : {u"clip.xyz", u"clip"}) {
        EXPECT_FALSE(MovieSlotOpen(0, file, Texture(), 1, 0));
        EXPECT_TRUE(HasLine(Line(u"GxMoviePlayerFile::この形式は再生できません (File=" + file + u")")));
        EXPECT_FALSE(MovieSlotPlay(0, 0, 0));
        ASSERT_NE(MovieSlotGetPlayer(0), nullptr);   // a player without a graph stays
    }
    EXPECT_FALSE(MovieSlotOpen(0, u"missing.avi", Texture(), 1, 0));
    EXPECT_TRUE(HasLine(Line(u"GxMoviePlayerFile::動画ファイルオープンに失敗 (File=missing.avi)")));
    EXPECT_FALSE(MovieSlotStop(0));
    EXPECT_EQ(MovieSlotGetPosition(0), 0.0);
    EXPECT_EQ(Player(0)->GetDuration(), 0.0);
    EXPECT_EQ(Player(0)->GetVideoWidth(), 0u);
    EXPECT_EQ(Player(0)->GetTexture(), nullptr);
}

// Each failure path of the open, then a Close and a good open in the same slot.
struct OpenFailure {
    const char* name;
    TestMovieContainer container;
    int addFilterFault;     // 0: none
    bool cutFile;
    const char16_t* line;   // null: no line
};

class MovieOpenFailureTest : public MoviePlayerTest, public ::testing::WithParamInterface<OpenFailure> {};

TEST_P(MovieOpenFailureTest, FailsCleanlyAndTheSlotOpensAgain)
{
    const OpenFailure& c = GetParam();
    const std::string ext = TestMovieExtension(c.container);
    const MovieBytes good = BuildTestMovie(Solid(c.container));
    ASSERT_FALSE(good.empty());
    MovieBytes bad = good;
    if (c.cutFile) bad.resize(100);
    Write("bad" + ext, SoundBytes(bad.begin(), bad.end()));
    Write("good" + ext, SoundBytes(good.begin(), good.end()));

    if (c.addFilterFault) platform::SetDshowFaults({c.addFilterFault, E_FAIL});
    EXPECT_FALSE(MovieSlotOpen(1, W("bad" + ext), Texture(), 1, 0));
    platform::SetDshowFaults({});
    if (c.line) {
        EXPECT_TRUE(HasLine(Line(c.line))) << (m_Log.lines.empty() ? "" : WideToUtf8(m_Log.lines.back()));
    }
    MovieSlotClose(1);
    ASSERT_TRUE(MovieSlotOpen(1, W("good" + ext), Texture(), 1, 0));
    EXPECT_TRUE(MovieSlotOpen(1, W("good" + ext), m_Texture.get(), 1, 0));   // replaces the open one
    EXPECT_TRUE(MovieSlotPlay(1, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, MovieOpenFailureTest,
    ::testing::Values(
        OpenFailure{"CutWmv", TestMovieContainer::Asf, 0, true,
                    u"GxMoviePlayerFile::MovieReader作成失敗 (File=bad.wmv/HRESULT 0xC00D1B5E)"},
        OpenFailure{"FirstAddFilterAvi", TestMovieContainer::Avi, 1, false,
                    u"Could not Add filter FileReader object!  hr=0x80004005"},
        OpenFailure{"FirstAddFilterWmv", TestMovieContainer::Asf, 1, false,
                    u"Could not Add filter FileReader object!  hr=0x80004005"},
        OpenFailure{"SecondAddFilterAvi", TestMovieContainer::Avi, 2, false,
                    u"Could not add renderer filter to graph!  hr=0x80004005"},
        OpenFailure{"SecondAddFilterWmv", TestMovieContainer::Asf, 2, false,
                    u"Could not add renderer filter to graph!  hr=0x80004005"},
        OpenFailure{"CutAvi", TestMovieContainer::Avi, 0, true, nullptr}),
    [](const ::testing::TestParamInfo<OpenFailure>& info) { return info.param.name; });

TEST_F(MoviePlayerTest, AGraphThatCannotBeMadeFailsWithoutALine)
{
    const std::u16string file = WriteMovie("g.avi", Solid(TestMovieContainer::Avi));
    platform::ComFaults faults;
    faults.createFaults.push_back({CLSID_FilterGraph, E_OUTOFMEMORY});
    platform::SetComFaults(faults);
    EXPECT_FALSE(MovieSlotOpen(0, file, Texture(), 1, 0));
    platform::SetComFaults({});
    EXPECT_TRUE(m_Log.lines.empty());
    EXPECT_FALSE(MovieSlotPlay(0, 0, 0));
}

// Damaged movies either fail to open or play what they hold and finish; none plays for ever.
TEST_F(MoviePlayerTest, DamagedMoviesFailOrFinish)
{
    const MovieBytes avi = BuildTestMovie(Solid(TestMovieContainer::Avi, 10));
    const MovieBytes wmv = BuildTestMovie(Solid(TestMovieContainer::Asf, 10));
    ASSERT_FALSE(avi.empty());
    ASSERT_FALSE(wmv.empty());
    Write("cut.avi", SoundBytes(avi.begin(), avi.begin() + static_cast<std::ptrdiff_t>(avi.size() * 6 / 10)));
    Write("cut.wmv", SoundBytes(wmv.begin(), wmv.begin() + static_cast<std::ptrdiff_t>(wmv.size() * 6 / 10)));
    Write("junk.mpg", SoundBytes(4096, 0x47));
    for (const char16_t* file : {u"cut.avi", u"cut.wmv", u"junk.mpg"}) {
        SCOPED_TRACE(WideToUtf8(file));
        m_Settle = std::u16string(file) != u"cut.wmv";
        // A graph that cannot be rendered fails the open with the platform layer's line alone.
        if (MovieSlotOpen(0, file, Texture(), 1, 0)) {
            ASSERT_TRUE(Play(0, 0, 0));
            EXPECT_TRUE(PlayUntil([&] { return !Player(0)->IsPlaying(); }));
        }
        MovieSlotClose(0);
    }
}

// Files whose graph cannot be built: the open fails and leaves nothing that runs, so Play and
// Stop fail and the slot never counts as playing (a layer waiting for the end would wait for ever).
TEST_F(MoviePlayerTest, AGraphThatCannotBeBuiltLeavesNothingToPlay)
{
    const MovieBytes avi = BuildTestMovie(Solid(TestMovieContainer::Avi));
    ASSERT_FALSE(avi.empty());
    Write("header.avi", SoundBytes(avi.begin(), avi.begin() + 12));   // "RIFF", its size, "AVI "
    SoundBytes noise(8192);
    std::uint32_t seed = 12345;
    for (std::uint8_t& byte : noise) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(seed >> 24);
    }
    Write("noise.avi", noise);
    Write("empty.mpg", SoundBytes{});
    for (const char16_t* file : {u"noise.avi", u"header.avi", u"empty.mpg"}) {
        SCOPED_TRACE(WideToUtf8(file));
        EXPECT_FALSE(MovieSlotOpen(0, file, Texture(), 1, 0));
        ASSERT_NE(Player(0), nullptr);
        EXPECT_EQ(Player(0)->Graph(), nullptr);
        EXPECT_FALSE(MovieSlotPlay(0, 0, 0));
        EXPECT_FALSE(Player(0)->IsPlaying());
        EXPECT_FALSE(MovieSlotStop(0));
        EXPECT_TRUE(MovieSlotTickAll());
        EXPECT_EQ(MovieSlotGetPosition(0), 0.0);
    }
}

// --- movie COM ---------------------------------------------------------------------------------

TEST(MovieCom, CountsOnceAndShutDownBalances)
{
    ASSERT_EQ(platform::ComInitializeCount(), 0);
    EXPECT_TRUE(MovieInitCom());
    EXPECT_EQ(platform::ComInitializeCount(), 1);
    MovieShutdown();
    EXPECT_EQ(platform::ComInitializeCount(), 0);
}

TEST(MovieCom, AThreadInTheOtherModeIsAWarningAndStaysInitialised)
{
    MediaLog log;
    LogSetSink(&log);
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    EXPECT_TRUE(MovieInitCom());
    MovieShutdown();
    EXPECT_EQ(platform::ComInitializeCount(), 1);   // not undone by the movies
    CoUninitialize();
    LogSetSink(nullptr);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], u"Warning/GxMovie COMは別のスレッドモードで初期化済みです(hr=80010106)\n");
}

TEST(MovieCom, AnyOtherFailureIsAnError)
{
    MediaLog log;
    LogSetSink(&log);
    const std::int32_t errors = LogGetErrorCount();
    platform::SetComFaults({E_OUTOFMEMORY, {}});
    EXPECT_FALSE(MovieInitCom());
    platform::SetComFaults({});
    MovieShutdown();
    EXPECT_EQ(platform::ComInitializeCount(), 0);
    LogSetSink(nullptr);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], u"Error/GxMovie CoInitializeEx Failed(hr=8007000e)\n");
    EXPECT_EQ(LogGetErrorCount(), errors + 1);
}

}  // namespace
