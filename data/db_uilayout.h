// DBUILayout: the UI layouts: the widgets of each screen, placed. Read from "data/db_uilayout.txt".
#pragma once

#include "data/db_base.h"

#include <cstdint>
#include <string>

struct DBUILayoutRow : DBRowBase {
    std::int32_t m_ID = 0;
    std::u16string m_ParentName;
    std::int32_t m_ParentIndex = 0;
    std::u16string m_ModuleName;
    std::u16string m_TaskName;
    std::int32_t m_TaskIndex = 0;
    std::int32_t m_Create = 0;
    std::int32_t m_Visible = 0;
    std::int32_t m_Enabled = 0;
    float m_Left = 0.0f;
    float m_Top = 0.0f;
    float m_OrderZ = 0.0f;
    std::int32_t m_GroupID = 0;
    std::u16string m_Text;
    std::u16string m_Label;
    std::int32_t m_SystemSoundID = 0;
    std::int32_t m_Value = 0;
    std::int32_t m_Min = 0;
    std::int32_t m_Max = 0;
    std::int32_t m_AutoHelpTime = 0;
    std::u16string m_Descript;
};

class GxTaskBase;
class GxSeqBase;

class DBUILayout : public GxDBTable<DBUILayout, DBUILayoutRow, 1024> {
public:
    static const GxDBSchema kSchema;

    // Builds, through the sequence's CreateWidget and in row order, every widget whose row is to
    // be created under exactly that parent name (case counts), as a child of owner. The table
    // defaults to the global one. Widgets built here get no children of their own.
    static void CreateWidgets(DBUILayout* table, const char16_t* parentName, GxTaskBase* owner, GxSeqBase* sequence);
};
