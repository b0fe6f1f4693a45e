// The player's options: text speeds, reading and mode behaviour, the sound back end, the last
// page and slot of the save and load screens, every volume, and the input values applied at
// start-up. Kept in "userconf.dat" in the save folder; the volume curves turn the percents into
// attenuations (hundredths of a decibel) and gains.
#pragma once

#include <cstdint>

class GxCore;
class GxBinBuffer;
class GxContentReaderBase;
class GxContentWriterBase;

class GxUserConfig {
public:
    static constexpr int kVoiceGroupCount = 32;
    static constexpr int kKeyMapRows = 64;
    static constexpr int kKeyCodeColumns = 6;

    GxUserConfig();
    virtual ~GxUserConfig();

    // Every stored option and m_AsyncThreadNum back to its default; the page, the last slot and
    // the input values stay.
    void SetDefaults();

    std::int32_t GetBGMAttenuation() const;
    std::int32_t GetBGVAttenuation(bool muted) const;
    std::int32_t GetSoundAttenuation() const;
    std::int32_t GetMovieAttenuation() const;
    std::int32_t GetSystemVoiceAttenuation() const;
    // The group of the character's "VoiceVolumeID" in the character table.
    std::int32_t GetCharVoiceAttenuation(std::int32_t charID) const;
    std::int32_t GetVoiceAttenuation(std::int32_t group) const;
    float GetBGMGain() const;

    // Writes the stored options in file order; false on the first failed write.
    bool WriteValues(GxContentWriterBase& writer) const;
    // Reads them in the same order (the header already read); values before a failure stay.
    void ReadValues(GxContentReaderBase& reader);

    std::int32_t m_ScreenMode;
    std::int32_t m_TextWaitTime;
    std::int32_t m_TextLongWaitTime;
    std::int32_t m_AutoWaitTime;
    std::int32_t m_TextWindowOpacity;
    bool m_AllowSkipUnreadText;
    bool m_FastShowReadedText;
    bool m_ChangeColorReadedText;
    bool m_ChangeColorSelectedMenu;
    bool m_KeepAutoModeAfterSelect;
    bool m_KeepSkipModeAfterSelect;
    bool m_StopScreenSaver;
    bool m_VoiceStopTiming;
    bool m_WaitVoiceEndOnAutoMode;
    bool m_NoVoiceSkipMode;
    bool m_UseSystemVoice;
    std::int32_t m_SoundEngineMode;        // 0 automatic, 1 DirectSound, 2 XAudio2
    std::int32_t m_SoundEngineModeInUse;   // as loaded at start-up; not stored
    std::int32_t m_GameDataPage;
    std::int32_t m_LastGameDataFileNum;
    std::int32_t m_Volume_Master;
    std::int32_t m_Volume_BGM;
    std::int32_t m_Volume_BGV;
    std::int32_t m_Volume_System;   // stored only
    std::int32_t m_Volume_Sound;
    std::int32_t m_Volume_Movie;
    std::int32_t m_Volume_RestrainBGM;
    std::int32_t m_Volume_VoiceMaster;
    std::int32_t m_Volume_SystemVoice;
    std::int32_t m_Volume_Voice[kVoiceGroupCount];
    bool m_SystemVoice_Activated[kVoiceGroupCount];
    std::int32_t m_KeyCodes[kKeyMapRows][kKeyCodeColumns];   // not stored
    std::int32_t m_PadSetting;                               // not stored
    std::int32_t m_PadAxisBinding;                           // not stored; -1 none
    std::int32_t m_AsyncThreadNum;                           // stored only; 1 to 6 after loading
};

// The engine-wide BGM restraint level, 0 to 100 (100: not restrained).
std::int32_t GetBGMRestraintLevel();
void SetBGMRestraintLevel(std::int32_t level);

// The attenuation of a percent, 0 (loudest) to -9600 (silent); the percent is bounded to 0-100.
std::int32_t VolumeToAttenuation(std::int32_t percent);

// "userconf.dat" in the core's save folder. Saving replaces the file whole or leaves it alone.
bool SaveUserConfig(GxUserConfig* config, GxCore* core);
bool LoadUserConfig(GxUserConfig* config, GxCore* core);
// The decoding half of LoadUserConfig, over bytes already read: false on a header other than
// "BCD", on any unreadable value, or when the modules' read (skipped with a null core) fails.
bool DecodeUserConfig(GxUserConfig* config, const GxBinBuffer& bytes, GxCore* core);
