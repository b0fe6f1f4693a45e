// DBRPMode: the replay gallery: script labels of replays. Read from "data/db_rpmode.txt".
#pragma once

#include "data/db_base.h"

#include <cstdint>
#include <string>

struct DBRPModeRow : DBRowBase {
    std::int32_t m_ID = 0;
    std::int32_t m_Group = 0;
    std::u16string m_Thumbnail;
    std::u16string m_Label;
    std::u16string m_Help;
};

class DBRPMode : public GxDBTable<DBRPMode, DBRPModeRow, 200> {
public:
    static const GxDBSchema kSchema;
};
