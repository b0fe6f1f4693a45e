// [Game sound] the movie volume applied again reaches the movie slots that play, as an
// attenuation on either back end; a slot that holds a stopped movie keeps its volume.
#include "tests/media/media_fixture.h"

#include "avg/game_sound_services.h"
#include "core/core.h"
#include "graphics/texture_movie.h"
#include "media/movie_player.h"
#include "media/movie_slots.h"
#include "platform/audio/mixer.h"
#include "platform/dshow/dshow_layer.h"
#include "platform/dshow/reference_clock.h"
#include "tests/support/core_config_fixture.h"
#include "tests/support/movie_fixtures.h"
#include "tests/support/test_device.h"
#include "tests/support/test_stream_thread.h"

#include <memory>
#include <utility>

namespace {

class GameMovieVolumeTest : public MediaTest {
protected:
    GameMovieVolumeTest() : m_Config(*GxCore::GetInstance()) {}

    void SetUp() override
    {
        MediaTest::SetUp();
        platform::Mixer::Instance().SetSink(platform::AudioSink::Capture);
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
        platform::SetDshowGraphClock(nullptr);
        m_Clock->Release();
        m_Textures.clear();
        m_Device.reset();
        platform::Mixer::Instance().TakeCaptured();
        MediaTest::TearDown();
    }

    // A short clip with a tone, opened in the slot.
    void Open(int slot)
    {
        TestMovieSpec spec;
        spec.frames = 4;
        spec.audioStreams = 1;
        const MovieBytes bytes = BuildTestMovie(spec);
        ASSERT_FALSE(bytes.empty());
        Write("clip.avi", SoundBytes(bytes.begin(), bytes.end()));
        m_Textures.push_back(std::make_unique<GxTextureMovie>());
        ASSERT_TRUE(m_Textures.back()->Create(u"movie", 64, 48, D3DFMT_A8R8G8B8, 0xFF000000u, false));
        ASSERT_TRUE(MovieSlotOpen(slot, u"clip.avi", m_Textures.back().get(), 1, 0));
    }
    static LONG Volume(int slot)
    {
        auto* player = static_cast<GxMoviePlayerFile*>(MovieSlotGetPlayer(slot));
        IBasicAudio* audio = nullptr;
        LONG volume = 12345;
        if (player != nullptr && player->Graph() != nullptr &&
            SUCCEEDED(player->Graph()->QueryInterface(IID_IBasicAudio, reinterpret_cast<void**>(&audio)))) {
            audio->get_Volume(&volume);
            audio->Release();
        }
        return volume;
    }

    TestCoreConfig m_Config;
    std::unique_ptr<TestDevice> m_Device;
    std::vector<std::unique_ptr<GxTextureMovie>> m_Textures;
    platform::ManualReferenceClock* m_Clock = nullptr;
};

TEST_F(GameMovieVolumeTest, PlayingSlotsTakeTheMovieAttenuationOnBothBackEnds)
{
    Open(1);
    Open(3);
    platform::MarkEventSettle();
    ASSERT_TRUE(MovieSlotPlay(1, 0, 0));
    ASSERT_TRUE(platform::SettleEvents(kSettleMs));
    ASSERT_EQ(Volume(1), 0);
    ASSERT_EQ(Volume(3), 0);

    // Movie 50 % of a master of 80 %, then of 100 %: 40 % and 50 %.
    m_Config.m_User.m_Volume_Movie = 50;
    for (const bool xaudio2 : {true, false}) {
        m_Config.m_System.m_SoundEngineXAudio2 = xaudio2;
        for (const auto& [master, expected] : {std::pair{80, -1536}, std::pair{100, VolumeToAttenuation(50)}}) {
            m_Config.m_User.m_Volume_Master = master;
            ApplyMovieVolume();
            EXPECT_EQ(Volume(1), expected) << xaudio2 << " " << master;
            EXPECT_EQ(Volume(3), 0) << "a stopped movie is left alone";
        }
    }
}

}  // namespace
