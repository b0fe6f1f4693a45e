// DBAvgChar: the characters of the play screen: standing pictures and voices. Read from "data/db_avgchar.txt".
#pragma once

#include "data/db_base.h"

#include <cstdint>
#include <string>

struct DBAvgCharRow : DBRowBase {
    std::int32_t m_ID = 0;
    std::u16string m_CharName;
    std::int32_t m_SubLayerNum = 0;
    std::u16string m_StandPath;
    std::u16string m_NCProjFileName;
    std::u16string m_VoicePath;
    std::int32_t m_VoiceVolumeID = 0;
    std::u16string m_Comment;
};

class DBAvgChar : public GxDBTable<DBAvgChar, DBAvgCharRow, 80> {
public:
    static const GxDBSchema kSchema;
};
