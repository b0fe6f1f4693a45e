// The game sound services' own state that the start-up and the reset clear: the nine extra-voice
// records and the configuration screen's sample voice. The sound services fill them.
#pragma once

#include <cstdint>
#include <string>

struct GxExtraVoiceRecord {
    std::u16string m_Name;
    std::int32_t m_Playing = 0;
    std::int32_t m_Slot = -1;
    std::int32_t m_Loop = 0;
};

struct GxConfigSampleState {
    std::u16string m_Name;
    bool m_Active = false;
    std::int32_t m_Slot = -1;
    std::uint32_t m_StartTime = 0;
};

constexpr std::int32_t kExtraVoiceRecordCount = 9;

// Null for an index outside 0 to 8.
GxExtraVoiceRecord* GetExtraVoiceRecord(std::int32_t index);
GxConfigSampleState& GetConfigSampleState();

// The BGM restraint lifted (100), every extra-voice record and the sample state cleared.
void ResetGameSoundState();
