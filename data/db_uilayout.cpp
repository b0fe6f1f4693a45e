#include "data/db_uilayout.h"

#include "core/seq_base.h"
#include "data/data_tables.h"
#include "foundation/log.h"

#include <string_view>

namespace {

const GxDBColumn kColumns[] = {
    {u"ID", kDBTypeInt, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_ID>},
    {u"ParentName", kDBTypeString, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_ParentName>},
    {u"ParentIndex", kDBTypeInt, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_ParentIndex>},
    {u"ModuleName", kDBTypeString, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_ModuleName>},
    {u"TaskName", kDBTypeString, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_TaskName>},
    {u"TaskIndex", kDBTypeInt, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_TaskIndex>},
    {u"Create", kDBTypeInt, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_Create>},
    {u"Visible", kDBTypeInt, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_Visible>},
    {u"Enabled", kDBTypeInt, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_Enabled>},
    {u"Left", kDBTypeFloat, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_Left>},
    {u"Top", kDBTypeFloat, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_Top>},
    {u"OrderZ", kDBTypeFloat, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_OrderZ>},
    {u"GroupID", kDBTypeInt, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_GroupID>},
    {u"Text", kDBTypeString, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_Text>},
    {u"Label", kDBTypeString, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_Label>},
    {u"SystemSoundID", kDBTypeInt, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_SystemSoundID>},
    {u"Value", kDBTypeInt, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_Value>},
    {u"Min", kDBTypeInt, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_Min>},
    {u"Max", kDBTypeInt, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_Max>},
    {u"AutoHelpTime", kDBTypeInt, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_AutoHelpTime>},
    {u"Descript", kDBTypeString, 0, 0, &DBFieldAddress<DBUILayoutRow, &DBUILayoutRow::m_Descript>},
};

}  // namespace

const GxDBSchema DBUILayout::kSchema = {u"DBUILayout", kColumns, 21, 21, -1};

void DBUILayout::CreateWidgets(DBUILayout* table, const char16_t* parentName, GxTaskBase* owner, GxSeqBase* sequence)
{
    if (!sequence) {
        LogPrint(u"DBUILayout::CreateWidgets/no sequence to build the widgets of %s\n", parentName ? parentName : u"");
        return;
    }
    DBUILayout& layout = table ? *table : GetDBUILayout();
    const std::u16string_view parent = parentName ? parentName : u"";
    for (std::int32_t position = 0; position < kRows; ++position) {
        const DBUILayoutRow* row = layout.GetRow(position);
        if (row && row->m_Create != 0 && row->m_ParentName == parent)
            sequence->CreateWidget(owner, row, row->m_TaskName.c_str(), row->m_TaskIndex);
    }
}
