#include "data/db_avgchar.h"

namespace {

const GxDBColumn kColumns[] = {
    {u"ID", kDBTypeInt, 0, 0, &DBFieldAddress<DBAvgCharRow, &DBAvgCharRow::m_ID>},
    {u"CharName", kDBTypeString, 0, 0, &DBFieldAddress<DBAvgCharRow, &DBAvgCharRow::m_CharName>},
    {u"SubLayerNum", kDBTypeInt, 0, 0, &DBFieldAddress<DBAvgCharRow, &DBAvgCharRow::m_SubLayerNum>},
    {u"StandPath", kDBTypeString, 0, 0, &DBFieldAddress<DBAvgCharRow, &DBAvgCharRow::m_StandPath>},
    {u"NCProjFileName", kDBTypeString, 0, 0, &DBFieldAddress<DBAvgCharRow, &DBAvgCharRow::m_NCProjFileName>},
    {u"VoicePath", kDBTypeString, 0, 0, &DBFieldAddress<DBAvgCharRow, &DBAvgCharRow::m_VoicePath>},
    {u"VoiceVolumeID", kDBTypeInt, 0, 0, &DBFieldAddress<DBAvgCharRow, &DBAvgCharRow::m_VoiceVolumeID>},
    {u"Comment", kDBTypeString, 0, 0, &DBFieldAddress<DBAvgCharRow, &DBAvgCharRow::m_Comment>},
};

}  // namespace

const GxDBSchema DBAvgChar::kSchema = {u"DBAvgChar", kColumns, 8, 8, -1};
