// [Play screen] the movie and sound-wait builtins against the real screen: they find its movie
// layer by name, and the waits they register at once, with nothing playing, are released by the
// screen's next wait test.
#include "play_screen_fixture.h"

#include "avg/avg_builtin.h"
#include "script/variable.h"

using namespace play_screen_test;

namespace {

using MediaBuiltinsOnPlayScreen = PlayScreenTest;

TEST_F(MediaBuiltinsOnPlayScreen, MovieLayerAndWaitsOfTheRealScreen)
{
    CountingPlayScreen* screen = Build();
    Enter();
    AvgBuiltin builtins(&m_Core);
    const auto call = [&](AvgBuiltin::Handler handler, const char16_t* name, std::initializer_list<std::int64_t> values) {
        GxMoaVariable args;
        args.MakeArray(static_cast<std::int32_t>(values.size()));
        std::int32_t i = 0;
        for (const std::int64_t value : values) {
            GxMoaVariable element;
            element.SetInt64(value);
            args.SetElement(i++, element);
        }
        GxMoaVariable result;
        return (builtins.*handler)(name, 0, args, nullptr, nullptr, nullptr, result);
    };

    GxTaskLayer* movie = Layer(u"$MOVIELAYER:SeqAvgMain");
    ASSERT_NE(movie, nullptr);
    ASSERT_TRUE(call(&AvgBuiltin::MvAutoStop, u"MV.AUTOSTOP", {120}));
    EXPECT_EQ(movie->GetMovieAutoDisappearTime(), 120);
    movie->LoadSolidColor(0xFF102030u, 0);
    ASSERT_TRUE(call(&AvgBuiltin::Mv, u"MV", {}));
    EXPECT_EQ(movie->GetCurrentContent().m_ContentType, kLayerContentNone);
    EXPECT_EQ(movie->GetTransitParam().m_TransitTimeTotal, 1000);

    GxUserData& data = Data();
    using Hold = std::int32_t GxUserData::*;
    const struct {
        AvgBuiltin::Handler handler;
        const char16_t* name;
        Hold hold;
    } waits[] = {{&AvgBuiltin::MvWait, u"MV.WA", &GxUserData::m_Hold_EndOfMovie},
                 {&AvgBuiltin::BgmWait, u"BGM.WA", &GxUserData::m_Hold_EndOfBGM},
                 {&AvgBuiltin::BgvWait, u"BGV.WA", &GxUserData::m_Hold_EndOfBGV},
                 {&AvgBuiltin::SeWait, u"SE.WA", &GxUserData::m_Hold_EndOfSE},
                 {&AvgBuiltin::VoWait, u"VO.WA", &GxUserData::m_Hold_EndOfVoice}};
    for (const auto& wait : waits) {
        SCOPED_TRACE(WideToUtf8(wait.name));
        ASSERT_TRUE(call(wait.handler, wait.name, {0, 2}));
        EXPECT_EQ(data.*wait.hold, 3);
        screen->UpdateHolds(0);
        EXPECT_EQ(data.*wait.hold, 0);
    }
}

}  // namespace
