// The flags kept across all games and save slots: the script lines already read, the choice
// items already taken, the replays passed, the pictures shown, and 32 option bits of the script.
// Kept in "permanent.dat" in the save folder with the script's persistent variables and the game
// modules' own data. Keys compare code unit by code unit, with the case of letters significant.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

class GxCore;
class GxBinBuffer;
class GxContentReaderBase;
class GxContentWriterBase;

// A growing bit vector: bit n is bit n % 32 (from the least significant) of word n / 32.
using GxFlagBits = std::vector<std::uint32_t>;

// Grows the vector with zero words to n / 32 + 1 words when it is shorter, then sets bit n.
// A negative n changes nothing.
void SetFlagBit(GxFlagBits& bits, std::int32_t n);
// False for a bit beyond the last word and for a negative n.
bool TestFlagBit(const GxFlagBits& bits, std::int32_t n);

class GxUserDataPerman {
public:
    explicit GxUserDataPerman(GxCore* core = nullptr);
    virtual ~GxUserDataPerman();

    // Bit n of the script's read-line flags: line n - 1 of it was shown as a message.
    void SetPermanentFlag(const std::u16string& scriptName, std::int32_t bit);
    bool IsMessageRead(const std::u16string& scriptName, std::int32_t bit) const;
    // Item n of the choice menu with that selection hash was taken.
    void SetMenuSelected(const std::u16string& selectHash, std::int32_t item);
    bool IsMenuSelected(const std::u16string& selectHash, std::int32_t item) const;
    // Exactly the non-empty labels of the replay table.
    void SetAllReplayLabelsPassed();
    // The file title of the name (no folder, cut before its first ".") as shown.
    void SetCGShown(const std::u16string& fileName);
    // Every non-empty picture of the picture-table row that lists the named picture (its title,
    // ignoring the case of A-Z). False, with nothing changed, when no row lists it or the row's
    // Count is 0.
    bool SetCGGroupShown(const std::u16string& fileName);
    // Exactly every non-empty picture of the picture table, whatever the rows' Count.
    void SetAllCGShown();

    // The file's own values (everything after the header, before the script's variables).
    bool WriteValues(GxContentWriterBase& writer) const;
    // Empties the four containers, then reads them and m_ExtraOption. A stored count is never
    // trusted: elements are read one by one and reading a section stops at its first failure.
    void ReadValues(GxContentReaderBase& reader);

    GxCore* m_Core = nullptr;   // reaches the game modules while the file is written or read
    std::map<std::u16string, GxFlagBits> m_ReadedMessageFlags;   // script name -> line bits
    std::map<std::u16string, GxFlagBits> m_SelectedMenuFlags;    // selection hash -> item bits
    std::set<std::u16string> m_PassedReplayLabels;
    std::map<std::u16string, std::int32_t> m_ShowedCGFlags;      // picture name -> 1
    std::uint32_t m_ExtraOption = 0;   // bit 10 enables the title screen's extra button
};

// Writes the flags, the script's persistent variables and the modules' data to `path`, replacing
// the file whole or not at all. The text form is written only when `binary` is false.
bool SavePermanentData(GxUserDataPerman* data, const std::u16string& path, bool binary);
// False without a line when the file does not exist. A damaged file gives false and one line
// naming it; a wrong header leaves the flags untouched, other damage keeps what was read.
bool LoadPermanentData(GxUserDataPerman* data, const std::u16string& path);
// The decoding half of LoadPermanentData, over bytes already read; it logs nothing. The
// modules take part when data->m_Core is set.
bool DecodePermanentData(GxUserDataPerman* data, const GxBinBuffer& bytes);
