#include "data/db_voicevolume.h"

namespace {

const GxDBColumn kColumns[] = {
    {u"ID", kDBTypeInt, 0, 0, &DBFieldAddress<DBVoiceVolumeRow, &DBVoiceVolumeRow::m_ID>},
    {u"PanelVisible", kDBTypeInt, 0, 0, &DBFieldAddress<DBVoiceVolumeRow, &DBVoiceVolumeRow::m_PanelVisible>},
    {u"PanelOrder", kDBTypeInt, 0, 0, &DBFieldAddress<DBVoiceVolumeRow, &DBVoiceVolumeRow::m_PanelOrder>},
    {u"FacePanelFileName", kDBTypeString, 0, 0,
     &DBFieldAddress<DBVoiceVolumeRow, &DBVoiceVolumeRow::m_FacePanelFileName>},
    {u"SoundTestFileName", kDBTypeString, 0, 0,
     &DBFieldAddress<DBVoiceVolumeRow, &DBVoiceVolumeRow::m_SoundTestFileName>},
    {u"SystemVoiceExist", kDBTypeInt, 0, 0, &DBFieldAddress<DBVoiceVolumeRow, &DBVoiceVolumeRow::m_SystemVoiceExist>},
    {u"SystemVoiceEnabled", kDBTypeInt, 0, 0,
     &DBFieldAddress<DBVoiceVolumeRow, &DBVoiceVolumeRow::m_SystemVoiceEnabled>},
    {u"Comment", kDBTypeString, 0, 0, &DBFieldAddress<DBVoiceVolumeRow, &DBVoiceVolumeRow::m_Comment>},
};

}  // namespace

const GxDBSchema DBVoiceVolume::kSchema = {u"DBVoiceVolume", kColumns, 8, 8, -1};
