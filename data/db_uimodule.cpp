#include "data/db_uimodule.h"

namespace {

const GxDBColumn kColumns[] = {
    {u"ID", kDBTypeInt, 0, 0, &DBFieldAddress<DBUIModuleRow, &DBUIModuleRow::m_ID>},
    {u"UIType", kDBTypeInt, 0, 0, &DBFieldAddress<DBUIModuleRow, &DBUIModuleRow::m_UIType>},
    {u"Name", kDBTypeString, 0, 0, &DBFieldAddress<DBUIModuleRow, &DBUIModuleRow::m_Name>},
    {u"ImageSetName", kDBTypeString, 0, 0, &DBFieldAddress<DBUIModuleRow, &DBUIModuleRow::m_ImageSetName>},
    {u"ImageName", kDBTypeString, 0, 0, &DBFieldAddress<DBUIModuleRow, &DBUIModuleRow::m_ImageName>},
    {u"Width", kDBTypeInt, 0, 0, &DBFieldAddress<DBUIModuleRow, &DBUIModuleRow::m_Width>},
    {u"Height", kDBTypeInt, 0, 0, &DBFieldAddress<DBUIModuleRow, &DBUIModuleRow::m_Height>},
    {u"ClientLeft", kDBTypeInt, 0, 0, &DBFieldAddress<DBUIModuleRow, &DBUIModuleRow::m_ClientLeft>},
    {u"ClientTop", kDBTypeInt, 0, 0, &DBFieldAddress<DBUIModuleRow, &DBUIModuleRow::m_ClientTop>},
    {u"ClientWidth", kDBTypeInt, 0, 0, &DBFieldAddress<DBUIModuleRow, &DBUIModuleRow::m_ClientWidth>},
    {u"ClientHeight", kDBTypeInt, 0, 0, &DBFieldAddress<DBUIModuleRow, &DBUIModuleRow::m_ClientHeight>},
    {u"ShapeType", kDBTypeInt, 0, 0, &DBFieldAddress<DBUIModuleRow, &DBUIModuleRow::m_ShapeType>},
    {u"FontIndex", kDBTypeInt, 0, 0, &DBFieldAddress<DBUIModuleRow, &DBUIModuleRow::m_FontIndex>},
    {u"AnimeSpeed", kDBTypeInt, 0, 0, &DBFieldAddress<DBUIModuleRow, &DBUIModuleRow::m_AnimeSpeed>},
};

}  // namespace

const GxDBSchema DBUIModule::kSchema = {u"DBUIModule", kColumns, 14, 14, 2};
