#include "data/db_base.h"

#include "foundation/file.h"
#include "foundation/ini_file.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"

#include <charconv>
#include <cmath>
#include <limits>

std::int32_t GxDBBase::GetMaxID()
{
    return m_MaxID;
}

std::int32_t GxDBBase::FindIDByName(const std::u16string& name, std::int32_t defaultID)
{
    if (name.empty())
        return defaultID;
    const auto found = m_NameMap.find(name);
    return found == m_NameMap.end() ? defaultID : found->second;
}

std::int32_t GxDBBase::FindIDByNameStr(const char16_t* name, std::int32_t defaultID)
{
    return FindIDByName(name != nullptr ? std::u16string(name) : std::u16string(), defaultID);
}

bool GxDBBase::HasDuplicateName()
{
    return m_HasDuplicateName;
}

std::u16string GxDBBase::GetFileName()
{
    return m_FileName;
}

bool GxDBBase::AddNameMap(const std::u16string& name, std::int32_t id)
{
    if (name.empty())
        return false;
    if (m_NameMap.emplace(name, id).second)
        return true;
    LogPrint(u"GxDBBase::AddNameMap/同じ名前キーがあるようです。テーブルを確認してください (File:%s/Name:%s/ID=%d)\n",
             m_FileName.c_str(), name.c_str(), id);
    m_HasDuplicateName = true;
    return false;
}

bool GxDBBase::LoadTableFile(const std::u16string& path)
{
    m_FileName = path;
    std::vector<std::u16string> lines;
    if (!LoadFileToBuffer(lines, path, false))
        return false;
    return LoadTableLines(lines);
}

namespace {

void StoreField(const GxDBColumn& column, void* field, std::int32_t element, const std::u16string& text)
{
    const std::size_t at = static_cast<std::size_t>(element);
    switch (column.m_Type) {
    case kDBTypeInt:
        static_cast<std::int32_t*>(field)[at] = ParseNumberWide(text.c_str(), nullptr, 0, false);
        break;
    case kDBTypeUInt:
        static_cast<std::uint32_t*>(field)[at] =
            static_cast<std::uint32_t>(ParseNumberWide(text.c_str(), nullptr, 0, false));
        break;
    case kDBTypeFloat:
        static_cast<float*>(field)[at] = ParseDecimalFloatWide(text.c_str());
        break;
    case kDBTypeString:
        static_cast<std::u16string*>(field)[at] = text;
        break;
    default:
        break;
    }
}

}  // namespace

bool GxDBBase::LoadTableLines(const std::vector<std::u16string>& lines)
{
    const GxDBSchema& schema = GetSchema();
    const std::int32_t rows = GetMaxRows();
    std::vector<std::u16string> fields;
    for (const std::u16string& line : lines) {
        if (line.empty() || line[0] == u'#')
            continue;
        SplitWideFields(fields, line, u"\t", schema.m_FieldCount);
        for (std::u16string& field : fields)
            if (!field.empty() && (field[0] == u'"' || field[0] == u'\''))
                field = UnquoteWide(field, 0);
        if (fields[0].empty())
            continue;
        const std::int32_t id =
            fields[0] == u"*" ? m_MaxID + 1 : ParseNumberWide(fields[0].c_str(), nullptr, 0, false);
        if (id < 0 || id >= rows) {
            LogPrint(u"%s/ID out of range[%s/%d]\n", schema.m_ClassName, m_FileName.c_str(), id);
            return false;
        }
        if (id > m_MaxID)
            m_MaxID = id;

        DBRowBase* row = RowSlot(id);
        *static_cast<std::int32_t*>(schema.m_Columns[0].m_Field(row)) = id;
        std::size_t next = 1;
        for (std::int32_t c = 1; c < schema.m_ColumnCount; ++c) {
            const GxDBColumn& column = schema.m_Columns[c];
            void* field = column.m_Field(row);
            if (column.m_ArrayLength == 0) {
                StoreField(column, field, 0, fields[next++]);
                continue;
            }
            for (std::int32_t element = column.m_FirstLineElement; element < column.m_ArrayLength; ++element)
                StoreField(column, field, element, fields[next++]);
        }
        if (schema.m_NameColumn > 0)
            AddNameMap(*static_cast<std::u16string*>(schema.m_Columns[schema.m_NameColumn].m_Field(row)), id);
    }
    return true;
}

DBRowBase* GxDBBase::CheckedRow(std::int32_t index, bool logFailure)
{
    if (index < 0 || index >= GetMaxRows()) {
        if (logFailure)
            LogPrint(u"%s/GetRow/row index out of range[%d]\n", GetSchema().m_ClassName, index);
        return nullptr;
    }
    return RowSlot(index);
}

void* GxDBBase::FieldOf(std::int32_t index, const std::u16string& name)
{
    const std::int32_t column = IndexOfColumn(name);
    if (column <= 0)
        return nullptr;
    DBRowBase* row = CheckedRow(index, false);
    return row ? GetSchema().m_Columns[column].m_Field(row) : nullptr;
}

std::int32_t GxDBBase::IndexOfColumn(const std::u16string& name) const
{
    const GxDBSchema& schema = GetSchema();
    for (std::int32_t c = 0; c < schema.m_ColumnCount; ++c)
        if (name == schema.m_Columns[c].m_Name)
            return c;
    return -1;
}

const GxDBColumn* GxDBBase::FindColumn(const std::u16string& name) const
{
    const std::int32_t column = IndexOfColumn(name);
    return column < 0 ? nullptr : &GetSchema().m_Columns[column];
}

float ParseDecimalFloatWide(const char16_t* text)
{
    if (text == nullptr)
        return 0.0f;
    const char16_t* p = text;
    while (*p == u' ' || *p == u'\t' || *p == u'\n' || *p == u'\v' || *p == u'\f' || *p == u'\r')
        ++p;
    bool negative = false;
    if (*p == u'+' || *p == u'-')
        negative = *p++ == u'-';

    auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    std::string ascii;
    std::size_t digits = 0;
    while (isDigit(*p)) {
        ascii.push_back(static_cast<char>(*p++));
        ++digits;
    }
    if (*p == u'.') {
        ascii.push_back('.');
        ++p;
        while (isDigit(*p)) {
            ascii.push_back(static_cast<char>(*p++));
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0f;
    bool negativeExponent = false;
    if (*p == u'e' || *p == u'E') {
        const char16_t* exponent = p + 1;
        bool sign = false;
        if (*exponent == u'+' || *exponent == u'-') {
            sign = *exponent == u'-';
            ++exponent;
        }
        if (isDigit(*exponent)) {
            negativeExponent = sign;
            ascii.push_back('e');
            if (sign)
                ascii.push_back('-');
            while (isDigit(*exponent))
                ascii.push_back(static_cast<char>(*exponent++));
        }
    }

    double value = 0.0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range)
        value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    else if (error != std::errc())
        value = 0.0;
    // Above the largest float the conversion is undefined: round by hand (half a unit in the last
    // place above it still rounds down to it).
    const double largest = static_cast<double>(std::numeric_limits<float>::max());
    float result = 0.0f;
    if (value >= largest + std::ldexp(1.0, 103))
        result = std::numeric_limits<float>::infinity();
    else if (value > largest)
        result = std::numeric_limits<float>::max();
    else
        result = static_cast<float>(value);
    return negative ? -result : result;
}
