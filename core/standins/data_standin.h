// Stand-ins for the saved-data objects of the data subsystem until they are built: the saved game
// and the persistent flags hold only the fields the core and the screens touch, and saving them
// is recorded, not written.
#pragma once

#include <cstdint>
#include <string>

class GxCore;

// The current saved game, as far as the screens touch it.
class GxUserDataStandin {
public:
    explicit GxUserDataStandin(GxCore* core = nullptr);
    virtual ~GxUserDataStandin();

    const std::u16string& GetRestoreSequence() const { return m_RestoreSequence; }

    GxCore* m_Core = nullptr;
    std::int32_t m_UserDialogAnswer = 0;   // 1 yes/ok, 0 no/cancel
    std::u16string m_RestoreSequence;
};

// The flags kept across games.
class GxUserDataPermanStandin {
public:
    explicit GxUserDataPermanStandin(GxCore* core = nullptr);
    virtual ~GxUserDataPermanStandin();

    GxCore* m_Core = nullptr;
};

// "permanent.dat" at `path`; recorded only.
bool SavePermanentData(GxUserDataPermanStandin* data, const std::u16string& path, std::int32_t mode);
