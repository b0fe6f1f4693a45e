// [Adventure builtins] movies on a small tree with the play screen's movie layer: the layer's
// load with the script's arguments and their defaults, the loop count and loop start the slot is
// given, the clearing for no name and for an empty file, the missing file that is always an
// error, the automatic clear time, the movie wait, and a tree without the layer.
#include "avg_builtin_fixture.h"

#include "core/movie_services.h"
#include "core/task_layer.h"
#include "foundation/file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_device.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace avg_builtin_test;

namespace {

// What the layer was asked to do, in order.
class MvRecordingLayer : public GxTaskLayer {
public:
    explicit MvRecordingLayer(GxTaskBase* owner) : GxTaskLayer(owner, u"$MOVIELAYER:SeqAvgMain") {}

    bool LoadMovie(const std::u16string& file, std::int32_t width, std::int32_t height, std::int32_t playCount,
                   double loopStart, std::int32_t volume, bool playNow, std::int32_t fadeMs) override
    {
        char buffer[256];
        std::snprintf(buffer, sizeof buffer, "LoadMovie(%s,%d,%d,%d,%g,%d,%d,%d)", WideToUtf8(file).c_str(), width,
                      height, playCount, loopStart, volume, playNow ? 1 : 0, fadeMs);
        m_Calls.push_back(buffer);
        return GxTaskLayer::LoadMovie(file, width, height, playCount, loopStart, volume, playNow, fadeMs);
    }
    bool ClearContent(std::int32_t fadeMs) override
    {
        m_Calls.push_back("ClearContent(" + std::to_string(fadeMs) + ")");
        return GxTaskLayer::ClearContent(fadeMs);
    }

    std::vector<std::string> m_Calls;
};

// The slot calls the layer makes, as text; nothing plays.
class MvRecordingSlots : public GxMovieServicesBase {
public:
    bool MovieSlotOpen(std::uint32_t slot, const std::u16string& file, GxTextureMovie*, std::int32_t,
                       std::int32_t) override
    {
        m_Calls.push_back("Open(" + std::to_string(slot) + "," + WideToUtf8(file) + ")");
        return true;
    }
    void MovieSlotSetLoopStart(std::uint32_t slot, double seconds) override
    {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "SetLoopStart(%u,%g)", slot, seconds);
        m_Calls.push_back(buffer);
    }
    void MovieSlotSetPosition(std::uint32_t, double) override {}
    void MovieSlotPlay(std::uint32_t slot, std::int32_t loops, std::int32_t attenuation) override
    {
        m_Calls.push_back("Play(" + std::to_string(slot) + "," + std::to_string(loops) + "," +
                          std::to_string(attenuation) + ")");
    }
    void MovieSlotStop(std::uint32_t) override {}
    void MovieSlotClose(std::uint32_t) override {}
    double MovieSlotGetPosition(std::uint32_t) override { return 0.0; }
    std::int32_t MovieSlotGetLoopCount(std::uint32_t) override { return 0; }
    GxMoviePlayerFile* MovieSlotGetPlayer(std::uint32_t) override { return nullptr; }
    bool IsPlayerPlaying(GxMoviePlayerFile*) override { return false; }
    double GetPlayerPosition(GxMoviePlayerFile*) override { return 0.0; }

    std::vector<std::string> m_Calls;
};

class AvgMovieBuiltins : public AvgBuiltinTest {
protected:
    void SetUp() override
    {
        AvgBuiltinTest::SetUp();
        ASSERT_TRUE(m_Folder.Valid());
        m_PreviousFolder = std::filesystem::current_path();
        std::filesystem::current_path(m_Folder.Path());
        std::filesystem::create_directories("movies");
        std::ofstream("movies/op.avi", std::ios::binary) << "not really a movie";
        std::ofstream("movies/blank.wmv", std::ios::binary).flush();
        m_PreviousSlots = SetMovieServices(&m_Slots);
        // Movie sound at 50 % of a master of 80 %.
        m_Config.m_User.m_Volume_Movie = 50;
        m_Config.m_User.m_Volume_Master = 80;
        m_Config.Refresh();
        if (m_WithLayer)
            m_Layer = new MvRecordingLayer(m_Root);
    }
    void TearDown() override
    {
        AvgBuiltinTest::TearDown();
        SetMovieServices(m_PreviousSlots);
        GxFile::ReleasePacks();
        std::filesystem::current_path(m_PreviousFolder);
    }

    TestTempDir m_Folder{"tw_avgmovie"};
    std::filesystem::path m_PreviousFolder;
    MvRecordingSlots m_Slots;
    GxMovieServicesBase* m_PreviousSlots = nullptr;
    MvRecordingLayer* m_Layer = nullptr;
    bool m_WithLayer = true;
};

class AvgMovieBuiltinsWithoutLayer : public AvgMovieBuiltins {
protected:
    void SetUp() override
    {
        m_WithLayer = false;
        AvgMovieBuiltins::SetUp();
    }
};

TEST_F(AvgMovieBuiltins, AMovieLoadsWithTheDefaultsAndLoopsForEver)
{
    const std::int32_t attenuation = m_Core.GetMovieAttenuation();
    ASSERT_NE(attenuation, 0);
    EXPECT_EQ(Call(u"MV", {Str(u"op")}), "Null");
    EXPECT_EQ(m_Layer->m_Calls, (std::vector<std::string>{"LoadMovie(movies/op.avi,1024,768,0,0," +
                                                          std::to_string(attenuation) + ",1,1000)"}));
    // Loop value 0 reaches the slot as -1: for ever.
    const std::string slot = std::to_string(m_Layer->GetCurrentContent().m_MyChannel);
    EXPECT_EQ(m_Slots.m_Calls, (std::vector<std::string>{"Open(" + slot + ",movies/op.avi)", "SetLoopStart(" + slot +
                                                         ",0)", "Play(" + slot + ",-1," + std::to_string(attenuation) +
                                                         ")"}));
    EXPECT_EQ(m_Layer->GetCurrentContent().m_ContentType, kLayerContentMovie);
}

TEST_F(AvgMovieBuiltins, GivenArgumentsReachTheLayerAndTheSlot)
{
    // Loop 2 plays twice (count 1); the loop start is given in ms and passed in seconds; sizes and
    // times keep their low 32 bits.
    EXPECT_EQ(Call(u"MV", {Str(u"op.avi"), Int(250), Int(0x100000000LL + 640), Int(480), Int(2), Int(2500)}), "Null");
    const std::int32_t attenuation = m_Core.GetMovieAttenuation();
    EXPECT_EQ(m_Layer->m_Calls, (std::vector<std::string>{"LoadMovie(movies/op.avi,640,480,2,2.5," +
                                                          std::to_string(attenuation) + ",1,250)"}));
    ASSERT_EQ(m_Slots.m_Calls.size(), 3u);
    EXPECT_EQ(m_Slots.m_Calls[1].substr(0, 13), "SetLoopStart(");
    EXPECT_NE(m_Slots.m_Calls[1].find(",2.5)"), std::string::npos);
    EXPECT_NE(m_Slots.m_Calls[2].find(",1," + std::to_string(attenuation) + ")"), std::string::npos);
    EXPECT_EQ(m_Layer->GetTransitParam().m_TransitTimeTotal, 250);

    // Empty texts and Nulls count as not given.
    m_Layer->m_Calls.clear();
    EXPECT_EQ(Call(u"MV", {Str(u"op"), Str(u""), Null(), Str(u""), Null(), Str(u"")}), "Null");
    EXPECT_EQ(m_Layer->m_Calls, (std::vector<std::string>{"LoadMovie(movies/op.avi,1024,768,0,0," +
                                                          std::to_string(attenuation) + ",1,1000)"}));
}

TEST_F(AvgMovieBuiltins, NoNameOrAnEmptyFileClearsTheLayer)
{
    ASSERT_EQ(Call(u"MV", {Str(u"op")}), "Null");
    m_Layer->m_Calls.clear();
    m_Slots.m_Calls.clear();
    EXPECT_EQ(Call(u"MV", {}), "Null");
    EXPECT_EQ(Call(u"MV", {Str(u""), Int(300)}), "Null");
    // An empty file (found by its extension) clears instead of playing.
    EXPECT_EQ(Call(u"MV", {Str(u"blank"), Int(0)}), "Null");
    EXPECT_EQ(m_Layer->m_Calls,
              (std::vector<std::string>{"ClearContent(1000)", "ClearContent(300)", "ClearContent(0)"}));
    EXPECT_TRUE(m_Slots.m_Calls.empty());
    EXPECT_EQ(m_Layer->GetCurrentContent().m_ContentType, kLayerContentNone);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(AvgMovieBuiltins, AMissingMovieIsAlwaysAnError)
{
    for (const bool lenient : {false, true}) {
        m_Config.m_System.m_ErrorStopNotFound_BGM = lenient;
        m_Config.m_System.m_ErrorStopNotFound_SE = lenient;
        m_Config.m_System.m_ErrorStopNotFound_VO = lenient;
        EXPECT_EQ(Call(u"MV", {Str(u"none")}), "false");
    }
    EXPECT_EQ(Errors(), (std::vector<std::string>(2, "err:[Script=\"\"/line=0] mv:動画ファイルが見つかりません[movies/none]\n")));
    EXPECT_TRUE(m_Layer->m_Calls.empty());
}

TEST_F(AvgMovieBuiltins, AutoStopTimeAndTheMovieWait)
{
    EXPECT_EQ(Call(u"MV.AUTOSTOP", {Int(250)}), "Null");
    EXPECT_EQ(m_Layer->GetMovieAutoDisappearTime(), 250);
    EXPECT_EQ(Call(u"MV.AUTOSTOP", {}), "Null");
    EXPECT_EQ(m_Layer->GetMovieAutoDisappearTime(), 800);

    EXPECT_EQ(Call(u"MV.WA", {}), "Null");
    EXPECT_EQ(m_UserData.m_Hold_EndOfMovie, 15);
    EXPECT_FALSE(m_UserData.m_HideWindowByCommandFlag);
    EXPECT_EQ(Call(u"MV.WA", {Int(1), Int(8)}), "Null");
    EXPECT_EQ(m_UserData.m_Hold_EndOfMovie, 9);
    EXPECT_TRUE(m_UserData.m_HideWindowByCommandFlag);
}

TEST_F(AvgMovieBuiltinsWithoutLayer, NothingBreaks)
{
    ASSERT_EQ(m_Manage->FindTask(u"$MOVIELAYER:SeqAvgMain"), nullptr);
    EXPECT_EQ(Call(u"MV", {Str(u"op")}), "Null");
    EXPECT_EQ(Call(u"MV", {}), "Null");
    EXPECT_EQ(Call(u"MV.AUTOSTOP", {Int(5)}), "Null");
    EXPECT_TRUE(m_Slots.m_Calls.empty());
    // The file is still checked first.
    EXPECT_EQ(Call(u"MV", {Str(u"none")}), "false");
}

}  // namespace

namespace {

TEST_F(AvgMovieBuiltins, AnAbsurdSizeFailsInTheTextureNotTheProcess)
{
    // The size comes from the script: the movie texture refuses it with its own line.
    TestDevice device;
    ASSERT_TRUE(device.Created());
    for (const std::int64_t size : {std::int64_t{0x7FFFFFFF}, std::int64_t{0x100000}}) {
        SCOPED_TRACE(size);
        m_Log.Clear();
        EXPECT_EQ(Call(u"MV", {Str(u"op"), Int(0), Int(size), Int(size)}), "Null");
        const std::vector<std::string> errors = Errors();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_NE(errors[0].find("GxTextureMovie::Create Failed"), std::string::npos) << errors[0];
    }
    EXPECT_EQ(Call(u"MV", {Str(u"op"), Int(0), Int(-1), Int(-1)}), "Null");
}

}  // namespace
