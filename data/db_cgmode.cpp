#include "data/db_cgmode.h"

namespace {

const GxDBColumn kColumns[] = {
    {u"ID", kDBTypeInt, 0, 0, &DBFieldAddress<DBCGModeRow, &DBCGModeRow::m_ID>},
    {u"Group", kDBTypeInt, 0, 0, &DBFieldAddress<DBCGModeRow, &DBCGModeRow::m_Group>},
    {u"Thumbnail", kDBTypeString, 0, 0, &DBFieldAddress<DBCGModeRow, &DBCGModeRow::m_Thumbnail>},
    {u"FileName", kDBTypeString, 32, 0, &DBFieldAddress<DBCGModeRow, &DBCGModeRow::m_FileName>},
    {u"Count", kDBTypeInt, 0, 0, &DBFieldAddress<DBCGModeRow, &DBCGModeRow::m_Count>},
};

}  // namespace

const GxDBSchema DBCGMode::kSchema = {u"DBCGMode", kColumns, 5, 36, -1};
