// The game's fixed settings: built-in defaults, then "system/sysconf.ini" over them (which also
// registers the game's packs), then the development switches of the loose "setting.ini". Made
// once by the core at start-up; afterwards only the sound-engine flag and the debug console
// switch change.
#pragma once

#include "platform/win32/win_types.h"

#include <cstdint>
#include <string>

class GxSystemConfig {
public:
    static constexpr int kFontSizeCount = 6;
    static constexpr int kFolderCount = 28;
    static constexpr int kSystemSoundCount = 16;
    static constexpr int kPackFileCount = 32;

    // Indexes into m_Folders.
    enum Folder {
        kFolderScripts, kFolderCG, kFolderCGBg, kFolderCGEv, kFolderCGName, kFolderCGStand, kFolderCGUI,
        kFolderCGTr, kFolderCGExtras, kFolderData, kFolderGnc, kFolderGncGis, kFolderUIGis, kFolderFonts,
        kFolderModels, kFolderModelTextures, kFolderModelExtras, kFolderModelShaders, kFolderBgms,
        kFolderSounds, kFolderSoundsSys, kFolderSoundsSE, kFolderSoundsBgv, kFolderSoundsTest, kFolderVoices,
        kFolderVoicesBattle, kFolderVoicesSys, kFolderMovies,
    };

    GxSystemConfig();
    virtual ~GxSystemConfig();

    // Puts every field back to its built-in value.
    void SetSystemConfigDefaults();
    // Reads "system/sysconf.ini" (loose or in a pack) over the current values and registers the
    // packs named by "PACK_FILE_00" to "PACK_FILE_31". False, with nothing changed, when the
    // file cannot be read.
    bool LoadSysConf();
    // Reads the development switches of the loose "setting.ini". False when it is absent or
    // unreadable; every switch then keeps its value.
    bool LoadSettingIni();

    // Development switches ("setting.ini").
    bool m_DebugModeFlag;
    bool m_DebugConsoleFlag;
    bool m_AutoCompile;
    bool m_SaveToMyDocuments;
    std::u16string m_TextEditorCommand;
    bool m_SkipSlightError;
    bool m_CleanErrorLog;
    bool m_DisableMovie;   // stored only
    bool m_ErrorStopNotFound_BGM;
    bool m_ErrorStopNotFound_BGV;
    bool m_ErrorStopNotFound_SE;
    bool m_ErrorStopNotFound_VO;
    bool m_ErrorStopNotFound_BG;
    bool m_ErrorStopNotFound_EV;

    // Text colours, ARGB.
    DWORD m_SystemTextColor0;
    DWORD m_SystemTextColor1;
    DWORD m_SystemShadowColor;
    DWORD m_SystemEdgeColor;
    DWORD m_MesWinTextColor0;
    DWORD m_MesWinTextColor1;
    DWORD m_MesWinShadowColor;
    DWORD m_MesWinEdgeColor;
    std::int32_t m_MesWinLetterMarginWidth;
    std::u16string m_MesWinTextBuiltinFontName;
    DWORD m_AvgLogTextColor0;
    DWORD m_AvgLogTextColor1;
    DWORD m_AvgLogEdgeColor;
    DWORD m_SelectTextColor0;
    DWORD m_SelectTextColor1;
    DWORD m_SelectEdgeColor;

    DWORD m_ClearColor;              // what screens and transitions fill with
    std::int32_t m_StandTime;        // default standing-picture time, ms
    std::int32_t m_BgEvTime;         // default background and event-picture time, ms
    std::int32_t m_TransitTime;      // a screen's out-transition, ms

    char16_t m_RubyOpenChar;
    char16_t m_RubyCloseChar;
    char16_t m_RubySeparatorChar;
    char16_t m_LineBreakChar;
    std::u16string m_SpeakerDelimiters;
    std::u16string m_LineStartForbidden;
    std::u16string m_LineEndForbidden;

    std::int32_t m_FontSize[kFontSizeCount];
    std::int32_t m_SelectCount;      // choice buttons
    std::int32_t m_MessageLogMax;    // message-log capacity
    std::int32_t m_BackLogPageSize;  // entries the back-log screen shows at once

    std::u16string m_Folders[kFolderCount];   // each ends in "/"
    std::u16string m_SystemSoundFiles[kSystemSoundCount];

    std::u16string m_AppTitle;
    std::u16string m_SaveDirName;
    std::u16string m_QuickSaveFileName;
    std::u16string m_BgmNameTitle;
    std::int32_t m_BgmLoopTitle;
    std::u16string m_BgmNameCGMode;
    std::int32_t m_BgmLoopCGMode;
    std::u16string m_BgmNameRPMode;
    std::int32_t m_BgmLoopRPMode;
    std::u16string m_BgmNameExtra;
    std::int32_t m_BgmLoopExtra;
    std::u16string m_MovNameOpening;
    std::u16string m_LabelNameExtra;
    std::u16string m_ErrorImageFile;        // shown in place of a picture that cannot be found
    std::u16string m_DefaultBgImageFile;
    bool m_SoundEngineXAudio2;               // false: DirectSound
};
