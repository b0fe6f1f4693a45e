#include "data/db_keymap.h"

namespace {

const GxDBColumn kColumns[] = {
    {u"ID", kDBTypeInt, 0, 0, &DBFieldAddress<DBKeyMapRow, &DBKeyMapRow::m_ID>},
    {u"Name", kDBTypeString, 0, 0, &DBFieldAddress<DBKeyMapRow, &DBKeyMapRow::m_Name>},
    {u"ShowName", kDBTypeString, 0, 0, &DBFieldAddress<DBKeyMapRow, &DBKeyMapRow::m_ShowName>},
    {u"Essential", kDBTypeInt, 0, 0, &DBFieldAddress<DBKeyMapRow, &DBKeyMapRow::m_Essential>},
    {u"Group", kDBTypeInt, 0, 0, &DBFieldAddress<DBKeyMapRow, &DBKeyMapRow::m_Group>},
    {u"NotChange", kDBTypeInt, 0, 0, &DBFieldAddress<DBKeyMapRow, &DBKeyMapRow::m_NotChange>},
    {u"AllowDevice", kDBTypeInt, 0, 0, &DBFieldAddress<DBKeyMapRow, &DBKeyMapRow::m_AllowDevice>},
    {u"KeyCodeStr", kDBTypeString, 6, 0, &DBFieldAddress<DBKeyMapRow, &DBKeyMapRow::m_KeyCodeStr>},
    {u"Help", kDBTypeString, 0, 0, &DBFieldAddress<DBKeyMapRow, &DBKeyMapRow::m_Help>},
};

}  // namespace

const GxDBSchema DBKeyMap::kSchema = {u"DBKeyMap", kColumns, 9, 14, 1};
