// GxCoreConfig: the game-configuration values that the core and its stand-ins read. The game
// configuration itself belongs to the data subsystem, above the core; the data services copy
// these values out of it once "system/sysconf.ini" and "setting.ini" are read (and again on
// GxCore::RefreshConfig). Until then, and in a core without data services, they are the
// configuration's built-in values.
#pragma once

#include "platform/win32/win_types.h"

#include <cstdint>
#include <string>

constexpr int kCoreConfigFontSizeCount = 6;

struct GxCoreConfig {
    std::u16string m_AppTitle = u"Tarnwick";           // "APP_TITLE": window class, caption, box caption
    std::u16string m_SaveDirName = u"Tarnwick_SAVE";   // "APP_SAVEDIR"
    bool m_SaveToMyDocuments = true;                   // "SAVE_TO_MYDOCUMENTS", "SaveToMyDocuments"
    bool m_DebugModeFlag = false;                      // "DebugModeFlag": frame-rate caption, debug keys
    bool m_DebugConsoleFlag = false;                   // "DebugConsoleFlag"
    bool m_AutoCompile = false;                        // "AutoCompile": compile the scripts at start
    std::u16string m_TextEditorCommand;                // "TextEditorCommand": "%file", "%line", "%pos"
    bool m_SkipSlightError = true;                     // "SkipSlightError": warnings dropped
    bool m_CleanErrorLog = false;                      // "CleanErrorLog": logs emptied at start
    DWORD m_ClearColor = 0xFF000000;                   // every screen's clear colour
    std::int32_t m_TransitTime = 400;                  // milliseconds of a screen change's fade
    std::u16string m_UIImageSetFolder = u"uigis/";     // folder of the user-interface image sets
    // "FONTSIZE_0" to "FONTSIZE_5": pixel sizes of the six system glyph caches.
    std::int32_t m_FontSize[kCoreConfigFontSizeCount] = {11, 15, 23, 24, 22, 38};
    std::u16string m_ErrorImageFile = u"cg/error.png";   // "FILE_CG_ERROR": shown for a missing picture
    std::u16string m_NameImageFolder = u"cg/name/";      // the speakers' name images
    // "MESWIN_TEXT_BUILTINFONTNAME": the message window's bitmap font in "fonts/"; empty for none.
    std::u16string m_MesWinTextBuiltinFontName;

    bool operator==(const GxCoreConfig&) const = default;
};
