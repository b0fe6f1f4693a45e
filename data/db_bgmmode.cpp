#include "data/db_bgmmode.h"

namespace {

const GxDBColumn kColumns[] = {
    {u"ID", kDBTypeInt, 0, 0, &DBFieldAddress<DBBGMModeRow, &DBBGMModeRow::m_ID>},
    {u"Name", kDBTypeString, 0, 0, &DBFieldAddress<DBBGMModeRow, &DBBGMModeRow::m_Name>},
    {u"FileName", kDBTypeString, 0, 0, &DBFieldAddress<DBBGMModeRow, &DBBGMModeRow::m_FileName>},
    {u"LoopPosTime", kDBTypeUInt, 0, 0, &DBFieldAddress<DBBGMModeRow, &DBBGMModeRow::m_LoopPosTime>},
    {u"ButtonIndex", kDBTypeInt, 0, 0, &DBFieldAddress<DBBGMModeRow, &DBBGMModeRow::m_ButtonIndex>},
};

}  // namespace

const GxDBSchema DBBGMMode::kSchema = {u"DBBGMMode", kColumns, 5, 5, 1};
