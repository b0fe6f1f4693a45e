// Stand-ins for the configuration and saved-data objects of the data subsystem until it is
// built: the game configuration really reads "system/sysconf.ini" and "setting.ini" for the keys
// the start-up, the frame and the screens use; the player options, the saved game and the
// persistent flags hold only the fields the core and the screens touch, and saving them is
// recorded, not written.
#pragma once

#include "platform/win32/win_types.h"

#include <cstdint>
#include <deque>
#include <map>
#include <set>
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
    bool m_SkipSlightError = true;                     // "SkipSlightError": warnings dropped
    bool m_CleanErrorLog = false;                      // "CleanErrorLog": logs emptied at start
    DWORD m_ClearColor = 0xFF000000;                   // every screen's clear colour
    std::int32_t m_TransitTime = 400;                  // milliseconds of an entering screen's fade
    std::u16string m_UIImageSetFolder = u"uigis/";     // folder of the user-interface image sets
    // "FONTSIZE_0" to "FONTSIZE_5": pixel sizes of the six system glyph caches.
    std::int32_t m_FontSize[kConfigFontSizeCount] = {11, 15, 23, 24, 22, 38};
    std::u16string m_ErrorImageFile = u"cg/error.png";   // "FILE_CG_ERROR": shown for a missing picture
    // Fixed, not read from a file: the characters that end a speaker's name at the front of a
    // text line, and the folder of the speakers' name images.
    std::u16string m_SpeakerSeparators = u"「（";   // U+300C, U+FF08
    std::u16string m_NameImageFolder = u"cg/name/";
};

// The player's options.
class GxUserConfigStandin {
public:
    GxUserConfigStandin();
    virtual ~GxUserConfigStandin();
};

// One message of the message log.
struct GxMessageLogElement {
    std::u16string m_Name;
    std::u16string m_Message;
    bool m_IgnoreKinsoku = false;
    bool m_DisenableAutoNewline = false;
    bool m_ShowNameByText = true;
};

// The current saved game, as far as the screens and the script worker touch it.
class GxUserData {
public:
    // The message log keeps the newest entries only.
    static constexpr std::size_t kMessageLogLimit = 100;

    explicit GxUserData(GxCore* core = nullptr);
    virtual ~GxUserData();

    const std::u16string& GetRestoreSequence() const { return m_RestoreSequence; }
    // Appends to the message log (in memory), dropping the oldest entry beyond the limit.
    void AddMessageLog(const std::u16string& name, const std::u16string& message, bool ignoreKinsoku,
                       bool disableAutoNewline);

    GxCore* m_Core = nullptr;
    std::int32_t m_UserDialogAnswer = 0;   // 1 yes/ok, 0 no/cancel
    std::u16string m_RestoreSequence;
    // How a speaker is shown: 0 no name, 1 as text, 2 its image only, 3 its image or else text.
    std::int32_t m_NameIdentifyMode = 2;
    bool m_IgnoreKinsoku = false;
    std::deque<GxMessageLogElement> m_MessageLog;   // oldest first
};

// The flags kept across games.
class GxUserDataPerman {
public:
    explicit GxUserDataPerman(GxCore* core = nullptr);
    virtual ~GxUserDataPerman();

    // The read-message flags by script name (letter case counts) and line key (line + 1); kept
    // in memory only.
    bool IsMessageRead(const std::u16string& scriptName, std::int32_t lineKey) const;
    void SetPermanentFlag(const std::u16string& scriptName, std::int32_t lineKey);

    GxCore* m_Core = nullptr;
    std::map<std::u16string, std::set<std::int32_t>> m_ReadedMessageFlags;
};

// "userconf.dat" in the save folder; recorded only.
bool SaveUserConfigStandin(GxUserConfigStandin* config, GxCore* core);
// "permanent.dat" at `path`; recorded only.
bool SavePermanentData(GxUserDataPerman* data, const std::u16string& path, std::int32_t mode);
