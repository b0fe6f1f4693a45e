// DBKeyMap: the key bindings: an action per row, up to six key names each. Read from "data/db_keymap.txt".
#pragma once

#include "data/db_base.h"

#include <cstdint>
#include <string>

struct DBKeyMapRow : DBRowBase {
    std::int32_t m_ID = 0;
    std::u16string m_Name;
    std::u16string m_ShowName;
    std::int32_t m_Essential = 0;
    std::int32_t m_Group = 0;
    std::int32_t m_NotChange = 0;
    std::int32_t m_AllowDevice = 0;
    std::u16string m_KeyCodeStr[6]{};
    std::u16string m_Help;
};

class DBKeyMap : public GxDBTable<DBKeyMap, DBKeyMapRow, 64> {
public:
    static const GxDBSchema kSchema;
};
