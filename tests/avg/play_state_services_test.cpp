// [Adventure] the saved game's play-state services as the module installs them: the fade-out
// reaches the play screen's global fade by name.
#include "avg/avg_play_state_services.h"

#include "avg_tree_fixture.h"
#include "core/seq_base.h"
#include "core/task_actor.h"

#include <gtest/gtest.h>

namespace {

using namespace avg_test;

class PlayStateServicesTest : public AvgTreeTest {
protected:
    void SetUp() override
    {
        AvgTreeTest::SetUp();
        InstallAvgPlayStateServices();
    }
    void TearDown() override
    {
        SetPlayStateServices(nullptr);
        AvgTreeTest::TearDown();
    }
};

TEST_F(PlayStateServicesTest, TheSavedGamesFadeOutIsThePlayScreensGlobalFade)
{
    auto* screen = new GxSeqBase(m_Root, u"SeqAvgMain");
    auto* fade = new GxTaskActor(screen, u"$GLOBALFADE:SeqAvgMain", nullptr, 0);
    fade->SetAlpha(10);
    GetPlayStateServices().AvgGlobalFadeOut(0);
    EXPECT_EQ(fade->GetAlpha(), 255);
    GetPlayStateServices().MovieSlotStopAll();   // no movie playing: nothing to stop
}

}  // namespace
