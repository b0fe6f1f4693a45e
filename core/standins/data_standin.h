// Stand-ins for the saved-data objects of the data subsystem until the core reaches the real ones:
// the saved game and the persistent flags hold only the fields the core, the screens and the
// script worker touch (in memory), and saving them is recorded, not written.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>

class GxCore;

// One message of the stand-in's message log.
struct GxStandinMessageLogEntry {
    std::u16string m_Name;
    std::u16string m_Message;
    bool m_IgnoreKinsoku = false;
    bool m_DisenableAutoNewline = false;
    bool m_ShowNameByText = true;
};

// The current saved game, as far as the screens and the script worker touch it.
class GxUserDataStandin {
public:
    // The message log keeps the newest entries only.
    static constexpr std::size_t kMessageLogLimit = 100;

    explicit GxUserDataStandin(GxCore* core = nullptr);
    virtual ~GxUserDataStandin();

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
    std::deque<GxStandinMessageLogEntry> m_MessageLog;   // oldest first
};

// The flags kept across games.
class GxUserDataPermanStandin {
public:
    explicit GxUserDataPermanStandin(GxCore* core = nullptr);
    virtual ~GxUserDataPermanStandin();

    // The read-message flags by script name (letter case counts) and line key (line + 1); kept
    // in memory only.
    bool IsMessageRead(const std::u16string& scriptName, std::int32_t lineKey) const;
    void SetPermanentFlag(const std::u16string& scriptName, std::int32_t lineKey);

    GxCore* m_Core = nullptr;
    std::map<std::u16string, std::set<std::int32_t>> m_ReadedMessageFlags;
};

// "permanent.dat" at `path`; recorded only.
bool SavePermanentData(GxUserDataPermanStandin* data, const std::u16string& path, std::int32_t mode);
