#include "data/system_config.h"

#include "foundation/file.h"
#include "foundation/ini_file.h"
#include "foundation/wide_string.h"

namespace {

const char16_t* const kDefaultFolders[GxSystemConfig::kFolderCount] = {
    u"scripts/", u"cg/", u"cg/bg/", u"cg/ev/", u"cg/name/", u"cg/stand/", u"cg/ui/", u"cg/tr/", u"cg/extras/",
    u"data/", u"gnc/", u"gnc/gis/", u"uigis/", u"fonts/", u"models/", u"models/textures/", u"models/extras/",
    u"models/shaders/", u"bgms/", u"sounds/", u"sounds/sys/", u"sounds/se/", u"sounds/bgvs/", u"sounds/test/",
    u"voices/", u"voices/battle/", u"voices/sys/", u"movies/",
};

const char16_t* const kDefaultSystemSounds[] = {
    u"push.wav", u"cancel.wav", u"open.wav", u"close.wav", u"drag.wav",
    u"drop.wav", u"decide.wav", u"notice0.wav", u"notice1.wav", u"direct.wav",
};

constexpr std::int32_t kDefaultFontSizes[GxSystemConfig::kFontSizeCount] = {11, 15, 23, 24, 22, 38};

// Numbers of this file choose their base by prefix, a leading 0 included (octal): game files
// written for that rule ("012" as a font size of 10) must keep reading the same.
std::int32_t GetInt(const GxINIFile& ini, const std::u16string& key, std::int32_t current)
{
    if (!ini.HasKey(key))
        return current;
    return ParseNumberWide(ini.GetString(key, u"").c_str(), nullptr, 0, false);
}

// A colour is a 64-bit number of which the low 32 bits count.
DWORD GetColor(const GxINIFile& ini, const char16_t* key, DWORD current)
{
    if (!ini.HasKey(key))
        return current;
    const std::int64_t value = ParseNumber64Wide(ini.GetString(key, u"").c_str(), nullptr, 0, false);
    return static_cast<DWORD>(static_cast<std::uint64_t>(value) & 0xFFFFFFFFu);
}

}  // namespace

GxSystemConfig::GxSystemConfig()
{
    SetSystemConfigDefaults();
}

GxSystemConfig::~GxSystemConfig() = default;

void GxSystemConfig::SetSystemConfigDefaults()
{
    m_DebugModeFlag = false;
    m_DebugConsoleFlag = false;
    m_AutoCompile = false;
    m_SaveToMyDocuments = true;
    m_TextEditorCommand.clear();
    m_SkipSlightError = true;
    m_CleanErrorLog = false;
    m_DisableMovie = false;
    m_ErrorStopNotFound_BGM = false;
    m_ErrorStopNotFound_BGV = false;
    m_ErrorStopNotFound_SE = false;
    m_ErrorStopNotFound_VO = false;
    m_ErrorStopNotFound_BG = false;
    m_ErrorStopNotFound_EV = false;

    m_SystemTextColor0 = 0xFFFFFFFF;
    m_SystemTextColor1 = 0xFFAAEEFF;
    m_SystemShadowColor = 0x80000000;
    m_SystemEdgeColor = 0x80000000;
    m_MesWinTextColor0 = 0xFFFFFFFF;
    m_MesWinTextColor1 = 0xFFAAEEFF;
    m_MesWinShadowColor = 0x80000000;
    m_MesWinEdgeColor = 0x80000000;
    m_MesWinLetterMarginWidth = 4;
    m_MesWinTextBuiltinFontName.clear();
    m_AvgLogTextColor0 = 0xFFFFFFFF;
    m_AvgLogTextColor1 = 0x80000000;
    m_AvgLogEdgeColor = 0x80000000;
    m_SelectTextColor0 = 0xFFFFFFFF;
    m_SelectTextColor1 = 0xFFAAEEFF;
    m_SelectEdgeColor = 0xFF808080;

    m_ClearColor = 0xFF000000;
    m_StandTime = 800;
    m_BgEvTime = 1000;
    m_TransitTime = 400;

    m_RubyOpenChar = u'\u226A';
    m_RubyCloseChar = u'\u226B';
    m_RubySeparatorChar = u'\uFF0F';
    m_LineBreakChar = u'|';
    m_SpeakerDelimiters = u"「（";
    m_LineStartForbidden = u"!),.:;?]}°’”‰′″℃、。々〉》」』】〕゛゜ゝゞ・ヽヾ！），．：；？］｝｡｣､･ﾞﾟ";
    m_LineEndForbidden = u"‘“〈《「『【〔（［｛｢";

    for (int n = 0; n < kFontSizeCount; ++n)
        m_FontSize[n] = kDefaultFontSizes[n];
    m_SelectCount = 10;
    m_MessageLogMax = 100;
    m_BackLogPageSize = 5;

    for (int n = 0; n < kFolderCount; ++n)
        m_Folders[n] = kDefaultFolders[n];
    for (int n = 0; n < kSystemSoundCount; ++n) {
        m_SystemSoundFiles[n].clear();
        if (n < static_cast<int>(std::size(kDefaultSystemSounds)))
            m_SystemSoundFiles[n] = m_Folders[kFolderSoundsSys] + kDefaultSystemSounds[n];
    }

    m_AppTitle = u"Tarnwick";
    m_SaveDirName = u"Tarnwick_SAVE";
    m_QuickSaveFileName = u"gamedata_quick.gd";
    m_BgmNameTitle.clear();
    m_BgmLoopTitle = 0;
    m_BgmNameCGMode.clear();
    m_BgmLoopCGMode = 0;
    m_BgmNameRPMode.clear();
    m_BgmLoopRPMode = 0;
    m_BgmNameExtra.clear();
    m_BgmLoopExtra = 0;
    m_MovNameOpening.clear();
    m_LabelNameExtra.clear();
    m_ErrorImageFile = u"cg/error.png";
    m_DefaultBgImageFile = u"cg/bg/黒.png";
    m_SoundEngineXAudio2 = true;
}

bool GxSystemConfig::LoadSysConf()
{
    GxINIFile ini;
    if (!ini.Parse(u"system/sysconf.ini"))
        return false;

    m_AppTitle = ini.GetString(u"APP_TITLE", m_AppTitle);
    m_SaveDirName = ini.GetString(u"APP_SAVEDIR", m_SaveDirName);
    for (int n = 0; n < kFontSizeCount; ++n)
        m_FontSize[n] = GetInt(ini, FormatWide(u"FONTSIZE_%d", n), m_FontSize[n]);

    m_SystemTextColor0 = GetColor(ini, u"SYSTEM_TEXT_COLOR0", m_SystemTextColor0);
    m_SystemTextColor1 = GetColor(ini, u"SYSTEM_TEXT_COLOR1", m_SystemTextColor1);
    m_SystemShadowColor = GetColor(ini, u"SYSTEM_SHADOW_COLOR", m_SystemShadowColor);
    m_SystemEdgeColor = GetColor(ini, u"SYSTEM_EDGE_COLOR", m_SystemEdgeColor);
    m_MesWinTextColor0 = GetColor(ini, u"MESWIN_TEXT_COLOR0", m_MesWinTextColor0);
    m_MesWinTextColor1 = GetColor(ini, u"MESWIN_TEXT_COLOR1", m_MesWinTextColor1);
    m_MesWinShadowColor = GetColor(ini, u"MESWIN_SHADOW_COLOR", m_MesWinShadowColor);
    m_MesWinEdgeColor = GetColor(ini, u"MESWIN_EDGE_COLOR", m_MesWinEdgeColor);
    m_MesWinLetterMarginWidth = GetInt(ini, u"MESWIN_LETTER_MARGINWIDTH", m_MesWinLetterMarginWidth);
    m_MesWinTextBuiltinFontName = ini.GetString(u"MESWIN_TEXT_BUILTINFONTNAME", m_MesWinTextBuiltinFontName);
    m_AvgLogTextColor0 = GetColor(ini, u"AVGLOG_TEXT_COLOR0", m_AvgLogTextColor0);
    m_AvgLogTextColor1 = GetColor(ini, u"AVGLOG_TEXT_COLOR1", m_AvgLogTextColor1);
    m_AvgLogEdgeColor = GetColor(ini, u"AVGLOG_EDGE_COLOR", m_AvgLogEdgeColor);
    m_SelectTextColor0 = GetColor(ini, u"SELECT_TEXT_COLOR0", m_SelectTextColor0);
    m_SelectTextColor1 = GetColor(ini, u"SELECT_TEXT_COLOR1", m_SelectTextColor1);
    // Spelled with "NA", unlike its neighbours: that is the key game files carry.
    m_SelectEdgeColor = GetColor(ini, u"SELECT_EDGE_COLORNA", m_SelectEdgeColor);

    m_BgmNameTitle = ini.GetString(u"BGM_NAME_TITLE", u"");
    m_BgmLoopTitle = GetInt(ini, u"BGM_LOOP_TITLE", 0);
    m_BgmNameCGMode = ini.GetString(u"BGM_NAME_CGMODE", u"");
    m_BgmLoopCGMode = GetInt(ini, u"BGM_LOOP_CGMODE", 0);
    m_BgmNameRPMode = ini.GetString(u"BGM_NAME_RPMODE", u"");
    m_BgmLoopRPMode = GetInt(ini, u"BGM_LOOP_RPMODE", 0);
    m_BgmNameExtra = ini.GetString(u"BGM_NAME_EXTRA", u"");
    m_BgmLoopExtra = GetInt(ini, u"BGM_LOOP_EXTRA", 0);
    m_MovNameOpening = ini.GetString(u"MOV_NAME_OPENING", u"");
    m_LabelNameExtra = ini.GetString(u"LABEL_NAME_EXTRA", u"");

    m_ErrorImageFile = ini.GetString(u"FILE_CG_ERROR", m_ErrorImageFile);
    m_DefaultBgImageFile = ini.GetString(u"FILE_CG_BG_DEFAULT", m_DefaultBgImageFile);
    m_SaveToMyDocuments = ini.GetBool(u"SAVE_TO_MYDOCUMENTS", m_SaveToMyDocuments);

    // Registered at once, in number order; gaps are allowed and the names are not kept.
    for (int n = 0; n < kPackFileCount; ++n) {
        const std::u16string pack = ini.GetString(FormatWide(u"PACK_FILE_%02d", n), u"");
        if (!pack.empty())
            GxFile::AddPackFile(pack);
    }
    return true;
}

bool GxSystemConfig::LoadSettingIni()
{
    // A loose file of the working folder only: never looked up in a pack.
    if (FileExists(u"setting.ini") != kFileOnDisk)
        return false;
    GxINIFile ini;
    if (!ini.Parse(u"setting.ini"))
        return false;
    m_DebugModeFlag = ini.GetBool(u"DebugModeFlag", false);
    m_DebugConsoleFlag = ini.GetBool(u"DebugConsoleFlag", false);
    m_AutoCompile = ini.GetBool(u"AutoCompile", false);
    // The documents switch of "system/sysconf.ini" survives when this file lacks the key.
    m_SaveToMyDocuments = ini.GetBool(u"SaveToMyDocuments", m_SaveToMyDocuments);
    m_TextEditorCommand = ini.GetString(u"TextEditorCommand", u"");
    m_SkipSlightError = ini.GetBool(u"SkipSlightError", true);
    m_CleanErrorLog = ini.GetBool(u"CleanErrorLog", false);
    m_DisableMovie = ini.GetBool(u"DisableMovie", false);
    m_ErrorStopNotFound_BGM = ini.GetBool(u"ErrorStopNotFound_BGM", false);
    m_ErrorStopNotFound_BGV = ini.GetBool(u"ErrorStopNotFound_BGV", false);
    m_ErrorStopNotFound_SE = ini.GetBool(u"ErrorStopNotFound_SE", false);
    m_ErrorStopNotFound_VO = ini.GetBool(u"ErrorStopNotFound_VO", false);
    m_ErrorStopNotFound_BG = ini.GetBool(u"ErrorStopNotFound_BG", false);
    m_ErrorStopNotFound_EV = ini.GetBool(u"ErrorStopNotFound_EV", false);
    return true;
}
