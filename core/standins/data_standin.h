// Stand-ins for the configuration and saved-data objects of the data subsystem until it is
// built: the game configuration really reads "system/sysconf.ini" and "setting.ini" for the keys
// the start-up, the frame and the screens use; the player options, the saved game and the
// persistent flags hold only the fields the core and the screens touch, and saving them is
// recorded, not written.
#pragma once

#include "platform/win32/win_types.h"

#include <cstdint>
#include <string>

class GxCore;

constexpr int kConfigFontSizeCount = 6;

// The game configuration.
class GxSystemConfigStandin {
public:
    GxSystemConfigStandin();
    virtual ~GxSystemConfigStandin();

    // Reads "system/sysconf.ini" (loose or in a pack) over the defaults and registers the packs
    // it names by "PACK_FILE_00" to "PACK_FILE_31". False when the file cannot be read.
    bool LoadSysConf();
    // Reads the development switches of "setting.ini" (a loose file). False when it is absent or
    // unreadable; every switch then keeps its value.
    bool LoadSettingIni();

    std::u16string m_AppTitle = u"Tarnwick";           // "APP_TITLE": window class, caption, box caption
    std::u16string m_SaveDirName = u"Tarnwick_SAVE";   // "APP_SAVEDIR"
    bool m_SaveToMyDocuments = true;                   // "SAVE_TO_MYDOCUMENTS", "SaveToMyDocuments"
    bool m_DebugModeFlag = false;                      // "DebugModeFlag": frame-rate caption
    bool m_DebugConsoleFlag = false;                   // "DebugConsoleFlag": debug status line
    bool m_SkipSlightError = true;                     // "SkipSlightError": warnings dropped
    bool m_CleanErrorLog = false;                      // "CleanErrorLog": logs emptied at start
    DWORD m_ClearColor = 0xFF000000;                   // every screen's clear colour
    std::int32_t m_TransitTime = 400;                  // milliseconds of an entering screen's fade
    std::u16string m_UIImageSetFolder = u"uigis/";     // folder of the user-interface image sets
    // "FONTSIZE_0" to "FONTSIZE_5": pixel sizes of the six system glyph caches.
    std::int32_t m_FontSize[kConfigFontSizeCount] = {11, 15, 23, 24, 22, 38};
    std::u16string m_ErrorImageFile = u"cg/error.png";   // "FILE_CG_ERROR": shown for a missing picture
};

// The player's options.
class GxUserConfigStandin {
public:
    GxUserConfigStandin();
    virtual ~GxUserConfigStandin();
};

// The current saved game, as far as the screens touch it.
class GxUserData {
public:
    explicit GxUserData(GxCore* core = nullptr);
    virtual ~GxUserData();

    const std::u16string& GetRestoreSequence() const { return m_RestoreSequence; }

    GxCore* m_Core = nullptr;
    std::int32_t m_UserDialogAnswer = 0;   // 1 yes/ok, 0 no/cancel
    std::u16string m_RestoreSequence;
};

// The flags kept across games.
class GxUserDataPerman {
public:
    explicit GxUserDataPerman(GxCore* core = nullptr);
    virtual ~GxUserDataPerman();

    GxCore* m_Core = nullptr;
};

// "userconf.dat" in the save folder; recorded only.
bool SaveUserConfigStandin(GxUserConfigStandin* config, GxCore* core);
// "permanent.dat" at `path`; recorded only.
bool SavePermanentData(GxUserDataPerman* data, const std::u16string& path, std::int32_t mode);
