#include "data/db_rpmode.h"

namespace {

const GxDBColumn kColumns[] = {
    {u"ID", kDBTypeInt, 0, 0, &DBFieldAddress<DBRPModeRow, &DBRPModeRow::m_ID>},
    {u"Group", kDBTypeInt, 0, 0, &DBFieldAddress<DBRPModeRow, &DBRPModeRow::m_Group>},
    {u"Thumbnail", kDBTypeString, 0, 0, &DBFieldAddress<DBRPModeRow, &DBRPModeRow::m_Thumbnail>},
    {u"Label", kDBTypeString, 0, 0, &DBFieldAddress<DBRPModeRow, &DBRPModeRow::m_Label>},
    {u"Help", kDBTypeString, 0, 0, &DBFieldAddress<DBRPModeRow, &DBRPModeRow::m_Help>},
};

}  // namespace

const GxDBSchema DBRPMode::kSchema = {u"DBRPMode", kColumns, 5, 5, -1};
