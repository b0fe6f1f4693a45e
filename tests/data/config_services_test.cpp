// [Data] the configuration side of the data services, which the core reaches the game
// configuration and the player's options through: the values copied out for the core, and the
// sound-engine choice of the game start-up.
#include "core/core_config.h"
#include "data/data_services.h"
#include "data/system_config.h"
#include "data/user_config.h"

#include <gtest/gtest.h>

namespace {

// The core starts on its own copy of the built-in values when no services are installed; the
// two must not drift apart.
TEST(ConfigServices, TheCoresBuiltInValuesAreTheConfigurationsDefaults)
{
    GxDataServices services;
    GxSystemConfigHolder config = services.CreateSystemConfig();
    ASSERT_NE(config, nullptr);
    GxCoreConfig values;
    values.m_AppTitle = u"stale";
    values.m_FontSize[5] = 1;
    services.ReadCoreConfig(*config, values);
    EXPECT_TRUE(values == GxCoreConfig{});
}

TEST(ConfigServices, EveryValueTheCoreReadsIsCopiedFromTheConfiguration)
{
    GxSystemConfig config;
    config.m_AppTitle = u"Title";
    config.m_SaveDirName = u"SAVE";
    config.m_SaveToMyDocuments = false;
    config.m_DebugModeFlag = true;
    config.m_DebugConsoleFlag = true;
    config.m_AutoCompile = true;
    config.m_TextEditorCommand = u"edit %file:%line";
    config.m_SkipSlightError = false;
    config.m_CleanErrorLog = true;
    config.m_ClearColor = 0xFF102030;
    config.m_TransitTime = 250;
    config.m_Folders[GxSystemConfig::kFolderUIGis] = u"ui2/";
    for (int n = 0; n < GxSystemConfig::kFontSizeCount; ++n)
        config.m_FontSize[n] = 40 + n;
    config.m_ErrorImageFile = u"cg/oops.png";

    GxCoreConfig values;
    GxDataServices().ReadCoreConfig(config, values);
    EXPECT_EQ(values.m_AppTitle, u"Title");
    EXPECT_EQ(values.m_SaveDirName, u"SAVE");
    EXPECT_FALSE(values.m_SaveToMyDocuments);
    EXPECT_TRUE(values.m_DebugModeFlag);
    EXPECT_TRUE(values.m_DebugConsoleFlag);
    EXPECT_TRUE(values.m_AutoCompile);
    EXPECT_EQ(values.m_TextEditorCommand, u"edit %file:%line");
    EXPECT_FALSE(values.m_SkipSlightError);
    EXPECT_TRUE(values.m_CleanErrorLog);
    EXPECT_EQ(values.m_ClearColor, 0xFF102030u);
    EXPECT_EQ(values.m_TransitTime, 250);
    EXPECT_EQ(values.m_UIImageSetFolder, u"ui2/");
    for (int n = 0; n < kCoreConfigFontSizeCount; ++n)
        EXPECT_EQ(values.m_FontSize[n], 40 + n) << n;
    EXPECT_EQ(values.m_ErrorImageFile, u"cg/oops.png");
}

TEST(ConfigServices, TheSoundEngineFollowsThePlayersChoiceAndTheSystemVersion)
{
    struct Case {
        std::int32_t mode;
        DWORD windowsMajor;
        bool before;
        bool xaudio2;
    };
    const Case cases[] = {
        {0, 6, false, true},    // automatic: XAudio2 from Windows 6 on
        {0, 10, false, true},
        {0, 5, true, false},    // automatic before Windows 6: DirectSound
        {1, 6, true, false},    // DirectSound
        {2, 5, false, true},    // XAudio2
        {3, 6, false, false},   // unknown choices leave the flag as it was
        {-1, 6, true, true},
    };
    for (const Case& c : cases) {
        GxSystemConfig config;
        GxUserConfig options;
        config.m_SoundEngineXAudio2 = c.before;
        options.m_SoundEngineMode = c.mode;
        EXPECT_EQ(SelectSoundEngine(config, options, c.windowsMajor), c.xaudio2) << c.mode;
        EXPECT_EQ(config.m_SoundEngineXAudio2, c.xaudio2) << c.mode;
    }
}

// The core deletes its objects at process exit, when the services object may already be gone.
TEST(ConfigServices, ObjectsOutliveTheServicesThatMadeThem)
{
    GxSystemConfigHolder config;
    GxUserConfigHolder options;
    {
        GxDataServices services;
        config = services.CreateSystemConfig();
        options = services.CreateUserConfig();
    }
    ASSERT_NE(config, nullptr);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->m_Volume_BGM, 80);
    config.reset();   // deleted without the services, no leak
    options.reset();
}

}  // namespace
