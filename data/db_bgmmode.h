// DBBGMMode: the music room's tracks. Read from "data/db_bgmmode.txt".
#pragma once

#include "data/db_base.h"

#include <cstdint>
#include <string>

struct DBBGMModeRow : DBRowBase {
    std::int32_t m_ID = 0;
    std::u16string m_Name;
    std::u16string m_FileName;
    std::uint32_t m_LoopPosTime = 0;
    std::int32_t m_ButtonIndex = 0;
};

class DBBGMMode : public GxDBTable<DBBGMMode, DBBGMModeRow, 60> {
public:
    static const GxDBSchema kSchema;
};
