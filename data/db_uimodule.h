// DBUIModule: the UI modules: a widget's type, image and shape. Read from "data/db_uimodule.txt".
#pragma once

#include "data/db_base.h"

#include <cstdint>
#include <string>

struct DBUIModuleRow : DBRowBase {
    std::int32_t m_ID = 0;
    std::int32_t m_UIType = 0;
    std::u16string m_Name;
    std::u16string m_ImageSetName;
    std::u16string m_ImageName;
    std::int32_t m_Width = 0;
    std::int32_t m_Height = 0;
    std::int32_t m_ClientLeft = 0;
    std::int32_t m_ClientTop = 0;
    std::int32_t m_ClientWidth = 0;
    std::int32_t m_ClientHeight = 0;
    std::int32_t m_ShapeType = 0;
    std::int32_t m_FontIndex = 0;
    std::int32_t m_AnimeSpeed = 0;
};

class DBUIModule : public GxDBTable<DBUIModule, DBUIModuleRow, 512> {
public:
    static const GxDBSchema kSchema;
};
