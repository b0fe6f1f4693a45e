// The game configuration: its built-in values, "system/sysconf.ini" over them (packs included),
// and the development switches of "setting.ini", read from real files in a temporary game folder.
#include "data_fixture.h"

#include "data/system_config.h"
#include "foundation/file.h"
#include "tests/support/game_folder.h"
#include "tests/support/pack_builder.h"

#include <functional>

namespace data_test {
namespace {

class InGameFolder {
public:
    explicit InGameFolder(const std::filesystem::path& folder) : m_Previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~InGameFolder()
    {
        std::filesystem::current_path(m_Previous);
        GxFile::ReleasePacks();
    }

private:
    std::filesystem::path m_Previous;
};

class SystemConfigTest : public DataTest {
protected:
    std::filesystem::path GameFolder() { return m_Temp.Path() / "game"; }
};

TEST_F(SystemConfigTest, FreshConfigurationHoldsEveryBuiltInValue)
{
    const GxSystemConfig c;
    using Check = std::pair<const char*, std::function<bool(const GxSystemConfig&)>>;
    const std::vector<Check> checks = {
        {"switches", [](auto& c) {
             return !c.m_DebugModeFlag && !c.m_DebugConsoleFlag && !c.m_AutoCompile && c.m_SaveToMyDocuments &&
                    c.m_TextEditorCommand.empty() && c.m_SkipSlightError && !c.m_CleanErrorLog && !c.m_DisableMovie &&
                    !c.m_ErrorStopNotFound_BGM && !c.m_ErrorStopNotFound_BGV && !c.m_ErrorStopNotFound_SE &&
                    !c.m_ErrorStopNotFound_VO && !c.m_ErrorStopNotFound_BG && !c.m_ErrorStopNotFound_EV;
         }},
        {"system colours", [](auto& c) {
             return c.m_SystemTextColor0 == 0xFFFFFFFF && c.m_SystemTextColor1 == 0xFFAAEEFF &&
                    c.m_SystemShadowColor == 0x80000000 && c.m_SystemEdgeColor == 0x80000000;
         }},
        {"message window", [](auto& c) {
             return c.m_MesWinTextColor0 == 0xFFFFFFFF && c.m_MesWinTextColor1 == 0xFFAAEEFF &&
                    c.m_MesWinShadowColor == 0x80000000 && c.m_MesWinEdgeColor == 0x80000000 &&
                    c.m_MesWinLetterMarginWidth == 4 && c.m_MesWinTextBuiltinFontName.empty();
         }},
        {"log and choice colours", [](auto& c) {
             return c.m_AvgLogTextColor0 == 0xFFFFFFFF && c.m_AvgLogTextColor1 == 0x80000000 &&
                    c.m_AvgLogEdgeColor == 0x80000000 && c.m_SelectTextColor0 == 0xFFFFFFFF &&
                    c.m_SelectTextColor1 == 0xFFAAEEFF && c.m_SelectEdgeColor == 0xFF808080;
         }},
        {"fill colour and times", [](auto& c) {
             return c.m_ClearColor == 0xFF000000 && c.m_StandTime == 800 && c.m_BgEvTime == 1000 &&
                    c.m_TransitTime == 400;
         }},
        {"ruby and line break", [](auto& c) {
             return c.m_RubyOpenChar == u'\u226A' && c.m_RubyCloseChar == u'\u226B' &&
                    c.m_RubySeparatorChar == u'\uFF0F' && c.m_LineBreakChar == u'|';
         }},
        {"speaker delimiters", [](auto& c) { return c.m_SpeakerDelimiters == u"\u300C\uFF08"; }},
        {"line-start forbidden set", [](auto& c) {
             return c.m_LineStartForbidden.size() == 47 &&
                    c.m_LineStartForbidden ==
                        u"!),.:;?]}\u00B0\u2019\u201D\u2030\u2032\u2033\u2103\u3001\u3002\u3005\u3009\u300B"
                        u"\u300D\u300F\u3011\u3015\u309B\u309C\u309D\u309E\u30FB\u30FD\u30FE\uFF01\uFF09"
                        u"\uFF0C\uFF0E\uFF1A\uFF1B\uFF1F\uFF3D\uFF5D\uFF61\uFF63\uFF64\uFF65\uFF9E\uFF9F";
         }},
        {"line-end forbidden set", [](auto& c) {
             return c.m_LineEndForbidden.size() == 12 &&
                    c.m_LineEndForbidden ==
                        u"\u2018\u201C\u3008\u300A\u300C\u300E\u3010\u3014\uFF08\uFF3B\uFF5B\uFF62";
         }},
        {"font sizes", [](auto& c) {
             const std::vector<std::int32_t> sizes(c.m_FontSize, c.m_FontSize + GxSystemConfig::kFontSizeCount);
             return sizes == std::vector<std::int32_t>{11, 15, 23, 24, 22, 38};
         }},
        {"counts", [](auto& c) { return c.m_SelectCount == 10 && c.m_MessageLogMax == 100 && c.m_BackLogPageSize == 5; }},
        {"folders", [](auto& c) {
             const std::vector<std::u16string> folders(c.m_Folders, c.m_Folders + GxSystemConfig::kFolderCount);
             return folders == std::vector<std::u16string>{
                                   u"scripts/", u"cg/", u"cg/bg/", u"cg/ev/", u"cg/name/", u"cg/stand/", u"cg/ui/",
                                   u"cg/tr/", u"cg/extras/", u"data/", u"gnc/", u"gnc/gis/", u"uigis/", u"fonts/",
                                   u"models/", u"models/textures/", u"models/extras/", u"models/shaders/", u"bgms/",
                                   u"sounds/", u"sounds/sys/", u"sounds/se/", u"sounds/bgvs/", u"sounds/test/",
                                   u"voices/", u"voices/battle/", u"voices/sys/", u"movies/"} &&
                    c.m_Folders[GxSystemConfig::kFolderUIGis] == u"uigis/" &&
                    c.m_Folders[GxSystemConfig::kFolderCGName] == u"cg/name/";
         }},
        {"system sounds", [](auto& c) {
             const std::vector<std::u16string> sounds(c.m_SystemSoundFiles,
                                                      c.m_SystemSoundFiles + GxSystemConfig::kSystemSoundCount);
             return sounds == std::vector<std::u16string>{
                                  u"sounds/sys/push.wav", u"sounds/sys/cancel.wav", u"sounds/sys/open.wav",
                                  u"sounds/sys/close.wav", u"sounds/sys/drag.wav", u"sounds/sys/drop.wav",
                                  u"sounds/sys/decide.wav", u"sounds/sys/notice0.wav", u"sounds/sys/notice1.wav",
                                  u"sounds/sys/direct.wav", u"", u"", u"", u"", u"", u""};
         }},
        {"names", [](auto& c) {
             return c.m_AppTitle == u"Tarnwick" && c.m_SaveDirName == u"Tarnwick_SAVE" &&
                    c.m_QuickSaveFileName == u"gamedata_quick.gd" && c.m_ErrorImageFile == u"cg/error.png" &&
                    c.m_DefaultBgImageFile == u"cg/bg/\u9ED2.png";
         }},
        {"music, movie and label", [](auto& c) {
             return c.m_BgmNameTitle.empty() && c.m_BgmLoopTitle == 0 && c.m_BgmNameCGMode.empty() &&
                    c.m_BgmLoopCGMode == 0 && c.m_BgmNameRPMode.empty() && c.m_BgmLoopRPMode == 0 &&
                    c.m_BgmNameExtra.empty() && c.m_BgmLoopExtra == 0 && c.m_MovNameOpening.empty() &&
                    c.m_LabelNameExtra.empty();
         }},
        {"sound engine", [](auto& c) { return c.m_SoundEngineXAudio2; }},
    };
    for (const Check& check : checks)
        EXPECT_TRUE(check.second(c)) << check.first;

    // SetSystemConfigDefaults puts changed values back.
    GxSystemConfig changed;
    changed.m_AppTitle = u"X";
    changed.m_Folders[3] = u"y/";
    changed.m_SoundEngineXAudio2 = false;
    changed.SetSystemConfigDefaults();
    for (const Check& check : checks)
        EXPECT_TRUE(check.second(changed)) << check.first;
}

TEST_F(SystemConfigTest, TitleAloneKeepsEveryOtherDefault)
{
    TestGameFolder game(GameFolder());
    game.SysConf({{"APP_TITLE", "My Game"}});
    ASSERT_TRUE(game.Ok());
    InGameFolder in(game.Path());

    GxSystemConfig config;
    ASSERT_TRUE(config.LoadSysConf());
    EXPECT_EQ(Utf8(config.m_AppTitle), "My Game");
    EXPECT_EQ(Utf8(config.m_SaveDirName), "Tarnwick_SAVE");
    EXPECT_EQ(config.m_FontSize[2], 23);
    EXPECT_EQ(config.m_SelectEdgeColor, 0xFF808080u);
    EXPECT_EQ(Utf8(config.m_ErrorImageFile), "cg/error.png");
    EXPECT_TRUE(config.m_SaveToMyDocuments);
}

TEST_F(SystemConfigTest, ValuesReadInTheirForms)
{
    TestGameFolder game(GameFolder());
    game.SysConf({{"APP_SAVEDIR", "Saves"},
                  {"FONTSIZE_0", "012"},
                  {"FONTSIZE_5", "0x20"},
                  {"SYSTEM_TEXT_COLOR0", "4278190335"},
                  {"SYSTEM_TEXT_COLOR1", "0xFF0000FF"},
                  {"MESWIN_EDGE_COLOR", "0x1FF00FF00"},   // the low 32 bits count
                  {"SELECT_EDGE_COLORNA", "0x11223344"},
                  {"SELECT_EDGE_COLOR", "0x55667788"},   // not a key of the configuration
                  {"MESWIN_LETTER_MARGINWIDTH", "7"},
                  {"MESWIN_TEXT_BUILTINFONTNAME", "Sans"},
                  {"BGM_NAME_TITLE", "title"},
                  {"BGM_LOOP_TITLE", "1"},
                  {"LABEL_NAME_EXTRA", "*extra"},
                  {"FILE_CG_ERROR", "cg/missing.png"},
                  {"FILE_CG_BG_DEFAULT", "cg/bg/white.png"},
                  {"SAVE_TO_MYDOCUMENTS", "2"}});
    ASSERT_TRUE(game.Ok());
    InGameFolder in(game.Path());

    GxSystemConfig config;
    config.m_SaveToMyDocuments = false;
    ASSERT_TRUE(config.LoadSysConf());
    EXPECT_EQ(Utf8(config.m_SaveDirName), "Saves");
    EXPECT_EQ(config.m_FontSize[0], 10);   // a leading 0 is octal
    EXPECT_EQ(config.m_FontSize[5], 32);
    EXPECT_EQ(config.m_SystemTextColor0, 0xFF0000FFu);
    EXPECT_EQ(config.m_SystemTextColor1, 0xFF0000FFu);
    EXPECT_EQ(config.m_MesWinEdgeColor, 0xFF00FF00u);
    EXPECT_EQ(config.m_SelectEdgeColor, 0x11223344u);
    EXPECT_EQ(config.m_MesWinLetterMarginWidth, 7);
    EXPECT_EQ(Utf8(config.m_MesWinTextBuiltinFontName), "Sans");
    EXPECT_EQ(Utf8(config.m_BgmNameTitle), "title");
    EXPECT_EQ(config.m_BgmLoopTitle, 1);
    EXPECT_EQ(Utf8(config.m_LabelNameExtra), "*extra");
    EXPECT_EQ(Utf8(config.m_ErrorImageFile), "cg/missing.png");
    EXPECT_EQ(Utf8(config.m_DefaultBgImageFile), "cg/bg/white.png");
    EXPECT_TRUE(config.m_SaveToMyDocuments);   // "2" is above 0
}

TEST_F(SystemConfigTest, MusicKeysFallBackToEmptyNotToTheEarlierValue)
{
    TestGameFolder game(GameFolder());
    game.SysConf({{"APP_TITLE", "T"}, {"SAVE_TO_MYDOCUMENTS", "-1"}});
    ASSERT_TRUE(game.Ok());
    InGameFolder in(game.Path());

    GxSystemConfig config;
    config.m_BgmNameExtra = u"old";
    config.m_BgmLoopExtra = 3;
    config.m_MovNameOpening = u"op";
    config.m_ErrorImageFile = u"kept.png";
    ASSERT_TRUE(config.LoadSysConf());
    EXPECT_TRUE(config.m_BgmNameExtra.empty());
    EXPECT_EQ(config.m_BgmLoopExtra, 0);
    EXPECT_TRUE(config.m_MovNameOpening.empty());
    EXPECT_EQ(Utf8(config.m_ErrorImageFile), "kept.png");
    EXPECT_FALSE(config.m_SaveToMyDocuments);   // "-1" is not above 0
}

TEST_F(SystemConfigTest, PackNamedAloneIsRegistered)
{
    TestGameFolder game(GameFolder());
    game.Pack("extra.gxp", TestPackBuilder().Add(u"data/only_in_pack.txt", std::string_view("inside")))
        .SysConf({{"PACK_FILE_03", "extra.gxp"}});
    ASSERT_TRUE(game.Ok());
    InGameFolder in(game.Path());

    EXPECT_EQ(FileExists(u"data/only_in_pack.txt"), kFileNotFound);
    GxSystemConfig config;
    ASSERT_TRUE(config.LoadSysConf());
    GxBinBuffer bytes;
    ASSERT_TRUE(GxFile::ReadWholeFile(bytes, u"data/only_in_pack.txt"));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetSize()), "inside");
}

TEST_F(SystemConfigTest, MissingFileFailsWithEveryDefault)
{
    std::filesystem::create_directories(GameFolder());
    InGameFolder in(GameFolder());
    GxSystemConfig config;
    EXPECT_FALSE(config.LoadSysConf());
    EXPECT_EQ(Utf8(config.m_AppTitle), "Tarnwick");
    EXPECT_EQ(config.m_FontSize[0], 11);
}

TEST_F(SystemConfigTest, SettingIniAbsentKeepsEverySwitch)
{
    TestGameFolder game(GameFolder());
    game.Pack("p.gxp", TestPackBuilder().Add(u"setting.ini", std::string_view("DebugModeFlag=1\r\n")))
        .SysConf({{"SAVE_TO_MYDOCUMENTS", "0"}, {"PACK_FILE_00", "p.gxp"}});
    ASSERT_TRUE(game.Ok());
    InGameFolder in(game.Path());

    GxSystemConfig config;
    ASSERT_TRUE(config.LoadSysConf());
    EXPECT_FALSE(config.LoadSettingIni());   // a "setting.ini" inside a pack does not count
    EXPECT_TRUE(config.m_SkipSlightError);
    EXPECT_FALSE(config.m_DebugModeFlag);
    EXPECT_FALSE(config.m_SaveToMyDocuments);
}

TEST_F(SystemConfigTest, SettingIniSwitches)
{
    struct Case {
        const char* name;
        TestIniKeys sysconf;
        TestIniKeys setting;
        bool saveToMyDocuments;
    };
    const std::vector<Case> cases = {
        {"setting overrides the documents switch", {{"SAVE_TO_MYDOCUMENTS", "1"}}, {{"SaveToMyDocuments", "0"}}, false},
        {"no key keeps the configuration's", {{"SAVE_TO_MYDOCUMENTS", "0"}}, {{"DebugModeFlag", "1"}}, false},
        {"no key and no configuration key", {{"APP_TITLE", "T"}}, {{"AutoCompile", "1"}}, true},
    };
    for (const Case& c : cases) {
        TestTempDir temp;
        TestGameFolder game(temp.Path() / "game");
        game.SysConf(c.sysconf).Setting(c.setting);
        ASSERT_TRUE(game.Ok());
        InGameFolder in(game.Path());
        GxSystemConfig config;
        ASSERT_TRUE(config.LoadSysConf()) << c.name;
        EXPECT_TRUE(config.LoadSettingIni()) << c.name;
        EXPECT_EQ(config.m_SaveToMyDocuments, c.saveToMyDocuments) << c.name;
    }
}

TEST_F(SystemConfigTest, SettingIniReadsEverySwitchAndFallsBackToConstants)
{
    TestGameFolder game(GameFolder());
    game.SysConf({{"APP_TITLE", "T"}})
        .Setting({{"DebugModeFlag", "1"},
                  {"DebugConsoleFlag", "1"},
                  {"AutoCompile", "2"},
                  {"TextEditorCommand", "ed %file +%line"},
                  {"SkipSlightError", "0"},
                  {"CleanErrorLog", "1"},
                  {"DisableMovie", "1"},
                  {"ErrorStopNotFound_SE", "1"},
                  {"ErrorStopNotFound_EV", "1"},
                  {"ErrorStopNotFound_BGM", "yes"}});
    ASSERT_TRUE(game.Ok());
    InGameFolder in(game.Path());

    GxSystemConfig config;
    config.m_ErrorStopNotFound_BG = true;   // earlier values do not survive a missing key
    config.m_ErrorStopNotFound_VO = true;
    ASSERT_TRUE(config.LoadSettingIni());
    EXPECT_TRUE(config.m_DebugModeFlag);
    EXPECT_TRUE(config.m_DebugConsoleFlag);
    EXPECT_TRUE(config.m_AutoCompile);
    EXPECT_EQ(Utf8(config.m_TextEditorCommand), "ed %file +%line");
    EXPECT_FALSE(config.m_SkipSlightError);
    EXPECT_TRUE(config.m_CleanErrorLog);
    EXPECT_TRUE(config.m_DisableMovie);
    EXPECT_TRUE(config.m_ErrorStopNotFound_SE);
    EXPECT_TRUE(config.m_ErrorStopNotFound_EV);
    EXPECT_FALSE(config.m_ErrorStopNotFound_BGM);
    EXPECT_FALSE(config.m_ErrorStopNotFound_BG);
    EXPECT_FALSE(config.m_ErrorStopNotFound_VO);
    EXPECT_FALSE(config.m_ErrorStopNotFound_BGV);

    // A second file without the keys puts every switch back to its constant.
    TestGameFolder(game.Path()).Setting({{"Other", "1"}});
    config.m_TextEditorCommand = u"kept?";
    ASSERT_TRUE(config.LoadSettingIni());
    EXPECT_FALSE(config.m_DebugModeFlag);
    EXPECT_TRUE(config.m_SkipSlightError);
    EXPECT_TRUE(config.m_TextEditorCommand.empty());
    EXPECT_FALSE(config.m_ErrorStopNotFound_SE);
}

}  // namespace
}  // namespace data_test
