// DBCGMode: the picture gallery: groups of up to 32 pictures. Read from "data/db_cgmode.txt".
#pragma once

#include "data/db_base.h"

#include <cstdint>
#include <string>

struct DBCGModeRow : DBRowBase {
    std::int32_t m_ID = 0;
    std::int32_t m_Group = 0;
    std::u16string m_Thumbnail;
    std::u16string m_FileName[32]{};
    std::int32_t m_Count = 0;
};

class DBCGMode : public GxDBTable<DBCGMode, DBCGModeRow, 200> {
public:
    static const GxDBSchema kSchema;
};
