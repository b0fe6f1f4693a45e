#include "data/data_lookup.h"

#include "data/data_tables.h"
#include "foundation/file.h"
#include "foundation/log.h"

namespace {

bool EqualsIgnoringAsciiCase(const std::u16string& a, const std::u16string& b)
{
    if (a.size() != b.size())
        return false;
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

}  // namespace

bool FindCGByFileName(const std::u16string& fileName, std::int32_t* row, std::int32_t* element)
{
    if (row)
        *row = 0;
    if (element)
        *element = 0;
    const std::u16string title = GetFileTitleFromPath(fileName);
    DBCGMode& table = GetDBCGMode();
    for (std::int32_t id = 0; id < table.GetMaxRows(); ++id) {
        const DBCGModeRow* record = table.GetRow(id);
        if (record == nullptr)
            continue;
        for (std::int32_t at = 0; at < static_cast<std::int32_t>(std::size(record->m_FileName)); ++at) {
            const std::u16string& name = record->m_FileName[at];
            if (name.empty() || !EqualsIgnoringAsciiCase(name, title))
                continue;
            if (row)
                *row = id;
            if (element)
                *element = at;
            return true;
        }
    }
    return false;
}

std::int32_t FindAvgCharByName(const std::u16string& name)
{
    DBAvgChar& table = GetDBAvgChar();
    for (std::int32_t id = 0; id < table.GetMaxRows(); ++id) {
        const DBAvgCharRow* record = table.GetRow(id);
        if (record != nullptr && !record->m_CharName.empty() && record->m_CharName == name)
            return id;
    }
    return -1;
}

DBUILayoutRow* FindUILayout(const std::u16string& name)
{
    DBUILayout& table = GetDBUILayout();
    for (std::int32_t id = 0; id < table.GetMaxRows(); ++id) {
        DBUILayoutRow* record = table.GetRow(id);
        if (record != nullptr && !record->m_TaskName.empty() && record->m_TaskName == name)
            return record;
    }
    LogPrint(u"UIレイアウトデータ[%s]が見つかりません:%s\n", name.c_str(), u"SeqAvgMain");
    return nullptr;
}
