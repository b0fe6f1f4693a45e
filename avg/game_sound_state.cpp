#include "avg/game_sound_state.h"

#include "data/user_config.h"

namespace {

struct SoundState {
    GxExtraVoiceRecord extraVoices[kExtraVoiceRecordCount];
    GxConfigSampleState sample;
};

SoundState& State()
{
    static SoundState state;
    return state;
}

}  // namespace

GxExtraVoiceRecord* GetExtraVoiceRecord(std::int32_t index)
{
    if (index < 0 || index >= kExtraVoiceRecordCount)
        return nullptr;
    return &State().extraVoices[index];
}

GxConfigSampleState& GetConfigSampleState()
{
    return State().sample;
}

void ResetGameSoundState()
{
    SetBGMRestraintLevel(100);
    SoundState& state = State();
    for (std::int32_t index = 0; index < kExtraVoiceRecordCount; ++index)
        state.extraVoices[index] = GxExtraVoiceRecord{u"", 0, index, 0};
    state.sample = GxConfigSampleState{};
}
