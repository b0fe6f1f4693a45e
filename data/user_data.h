// The game in progress, as a save captures it and a load brings it back: the header shown on the
// save and load screens, the current choice menu, the play screen's holds, the message settings,
// the message log, the notices, the records of the sounds that play, and two flags. The game data
// file ("gamedata%03d.gd", the quick save) carries these, then the script's in-game variables and
// main-worker stacks, the play-screen state and the game modules' data.
#pragma once

#include "data/save_records.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

class GxCore;
class GxBinBuffer;
class GxSystemConfig;
class GxContentReaderBase;
class GxContentWriterBase;

// What the save and load screens show of a file without loading it.
struct GxGameDataHeader {
    bool m_Valid = false;
    std::u16string m_SaveTime;
    std::u16string m_GameDataTitle;
    std::u16string m_RestoreSequence;
    std::u16string m_RestoreSubParam;
    std::uint32_t m_GameDataOption = 0;
};

class GxUserData {
public:
    static constexpr int kChannelCount = 4;

    // The number of choices and the message-log capacity come from the configuration; without
    // one, the built-in 10 and 100.
    explicit GxUserData(GxCore* core = nullptr, const GxSystemConfig* config = nullptr);
    virtual ~GxUserData();

    // Every field to its value at the start of a game; m_GameDataOption stays.
    void Reset();
    void SetGameDataTitle(const std::u16string& title) { m_GameDataTitle = title; }
    void SetRestoreSequence(const std::u16string& sequence) { m_RestoreSequence = sequence; }
    std::u16string GetRestoreSequence() const { return m_RestoreSequence; }
    // Closes the choice menu and clears every item; m_LastSelectNum stays.
    void ClearSelectMenu();
    void ClearVoiceSlots();
    // Appends an entry with the pending voices, dropping the oldest beyond the capacity.
    void AddMessageLog(const std::u16string& name, const std::u16string& message, bool ignoreKinsoku,
                       bool disableAutoNewline);
    std::int32_t GetSelectCount() const;
    std::int32_t GetMessageLogCapacity() const;

    // The play-screen state of a saved game, in this order: sounds, layers, windows, choice
    // buttons. Without a play screen in the task tree (no part of it exists) they write and
    // read nothing; a play screen missing one of its parts fails them with one log line.
    bool WriteSoundState(GxContentWriterBase& writer);
    bool ReadSoundState(GxContentReaderBase& reader);
    bool WriteLayerState(GxContentWriterBase& writer);
    bool ReadLayerState(GxContentReaderBase& reader);
    bool WriteWindowState(GxContentWriterBase& writer);
    bool ReadWindowState(GxContentReaderBase& reader);
    bool WriteSelectButtonState(GxContentWriterBase& writer);
    bool ReadSelectButtonState(GxContentReaderBase& reader);

    // The file's own values, from "m_SaveTime" to "m_HideWindowByCommandFlag"; false at the first
    // value the writer refuses.
    bool WriteValues(GxContentWriterBase& writer, const std::u16string& saveTime) const;
    // The same values in the same order; the save time is dropped. Stored counts are never
    // trusted, and choice items beyond the list's size are read and dropped (with a warning
    // naming `path`) so that the values after them stay in line.
    void ReadValues(GxContentReaderBase& reader, const std::u16string& path);

    GxCore* m_Core = nullptr;   // reaches the game modules while the file is written or read
    const GxSystemConfig* m_SystemConfig = nullptr;
    std::u16string m_GameDataTitle;
    std::u16string m_RestoreSequence;
    std::u16string m_RestoreSubParam;
    std::uint32_t m_GameDataOption = 0;
    bool m_IsSelecting = false;
    std::int32_t m_LastSelectNum = 0;
    std::int32_t m_CancelSelectNum = 0;
    std::u16string m_SelectHash;
    std::vector<GxSelectMenuItem> m_SelectMenuItemList;   // item i: choice button i; item 0 unshown
    std::int32_t m_Hold_WaitClick = 0;
    std::int32_t m_Hold_WaitTime = 0;
    std::int32_t m_Hold_WaitTime_TimeLeft = 0;
    std::int32_t m_Hold_EndOfMovie = 0;
    std::int32_t m_Hold_EndOfLayerActionAll = 0;
    std::int32_t m_Hold_EndOfLayerActionSeparate = 0;
    std::u16string m_Hold_EndOfLayerActionSeparate_LayerName;
    std::int32_t m_Hold_EndOfBGM = 0;
    std::int32_t m_Hold_EndOfBGV = 0;
    std::int32_t m_Hold_EndOfSE = 0;
    std::int32_t m_Hold_EndOfVoice = 0;
    std::int32_t m_NameIdentifyMode = 2;
    bool m_IgnoreKinsoku = false;
    std::int32_t m_LastDialogResult = 0;   // 1 yes/ok, 0 no/cancel
    std::deque<GxMessageLogElement> m_MessageLog;   // oldest first
    std::deque<GxNoticeParam> m_NoticeList;
    GxSoundPlayParam m_BGMPlayParam;
    GxSoundPlayParam m_BGVPlayParam;
    GxSoundPlayParam m_SEPlayParam[kChannelCount];
    GxSoundPlayParam m_VoicePlayParam[kChannelCount];   // the voices of the current message
    bool m_IsReplayMode = false;   // not stored
    bool m_HideWindowByCommandFlag = false;
};

// Back to the start of a game: the sounds and movies stop (the music only with `stopMusic`),
// the data is reset, the play screen's windows and the main script worker too, the message
// window counts as hidden by command and the global fade goes opaque at once.
void ResetAvgState(GxUserData* data, bool stopMusic);

// Writes the game data file, replacing it whole or not at all; binary "BGD", else text "TGD".
// False on any failed write or when a game module's write fails.
bool SaveGameData(GxUserData* data, const std::u16string& path, bool binary);
// Reads a game data file ("TGD" text or "BGD" binary) into the data; with `fullRestore` the
// script and play-screen state too. False with one line naming the file when it is damaged;
// what was read before the damage stays.
bool LoadGameData(GxUserData* data, const std::u16string& path, bool fullRestore);
// The header values of a game data file. True, with the valid flag, once the header name
// matched, whatever the five reads gave.
bool ReadGameDataHeader(const std::u16string& path, GxGameDataHeader* header);

// The decoding halves of the two reads, over bytes already read. They log nothing but the
// warning about surplus choice items; `path` names the file there and is handed to the modules.
bool DecodeGameData(GxUserData* data, const GxBinBuffer& bytes, const std::u16string& path, bool fullRestore);
bool DecodeGameDataHeader(const GxBinBuffer& bytes, GxGameDataHeader* header);
