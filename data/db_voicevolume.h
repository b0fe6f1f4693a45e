// DBVoiceVolume: the voice volume panel of the settings screen. Read from "data/db_voicevolume.txt".
#pragma once

#include "data/db_base.h"

#include <cstdint>
#include <string>

struct DBVoiceVolumeRow : DBRowBase {
    std::int32_t m_ID = 0;
    std::int32_t m_PanelVisible = 0;
    std::int32_t m_PanelOrder = 0;
    std::u16string m_FacePanelFileName;
    std::u16string m_SoundTestFileName;
    std::int32_t m_SystemVoiceExist = 0;
    std::int32_t m_SystemVoiceEnabled = 0;
    std::u16string m_Comment;
};

class DBVoiceVolume : public GxDBTable<DBVoiceVolume, DBVoiceVolumeRow, 32> {
public:
    static const GxDBSchema kSchema;
};
