// The base of the game's data tables: fixed row slots indexed by row ID, a column schema, the
// highest ID read, a name map from a name column to row IDs, and the file name. One tab-separated
// file format serves every table; each table supplies its schema (GxDBSchema) and its rows.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

// Column type codes.
constexpr std::int32_t kDBTypeInt = 5;
constexpr std::int32_t kDBTypeUInt = 6;
constexpr std::int32_t kDBTypeFloat = 9;
constexpr std::int32_t kDBTypeString = 25;

// The empty base of every row record, so that GetRow can return each table's own row type.
struct DBRowBase {};

// One column: its name, type code and array length (0 for a scalar), where a file line starts
// filling it (element 1 for a column whose element 0 is reserved), and the address of its field
// (element 0 of an array) in a row.
struct GxDBColumn {
    const char16_t* m_Name;
    std::int32_t m_Type;
    std::int32_t m_ArrayLength;
    std::int32_t m_FirstLineElement;
    void* (*m_Field)(DBRowBase* row);
};

// A table's schema: column 0 is always the row's "ID".
struct GxDBSchema {
    const char16_t* m_ClassName;      // used in the table's messages
    const GxDBColumn* m_Columns;
    std::int32_t m_ColumnCount;
    std::int32_t m_FieldCount;        // fields on a file line
    std::int32_t m_NameColumn;        // the column entered into the name map, or -1
};

// The address of a row's field (element 0 of an array member).
template <class Row, auto Member>
void* DBFieldAddress(DBRowBase* row)
{
    auto& field = static_cast<Row*>(row)->*Member;
    if constexpr (std::is_array_v<std::remove_reference_t<decltype(field)>>)
        return &field[0];
    else
        return &field;
}

class GxDBBase {
public:
    GxDBBase() = default;
    GxDBBase(const GxDBBase&) = default;
    GxDBBase& operator=(const GxDBBase&) = default;
    virtual ~GxDBBase() = default;

    // The row with that index; null (with a log line) outside 0 to GetMaxRows() - 1.
    virtual DBRowBase* GetRow(std::int32_t index) = 0;
    virtual std::int32_t GetMaxID();
    // An array column counts once; "ID" is column 0.
    virtual std::int32_t GetColumnCount() = 0;
    virtual std::int32_t GetMaxRows() = 0;
    // Reads the table file over what the table holds; never clears it.
    virtual bool LoadTable(const std::u16string& path) = 0;
    // The row's field (element 0 of an array column); null for "ID", an unknown name or a row
    // index out of range.
    virtual void* FieldByName(std::int32_t index, const std::u16string& name) = 0;
    // Schema order, "ID" is 0; -1 for an unknown name.
    virtual std::int32_t ColumnIndex(const std::u16string& name) = 0;
    // The type code; 0 for an unknown name.
    virtual std::int32_t ColumnType(const std::u16string& name) = 0;
    // The array length; 0 for a scalar column and an unknown name.
    virtual std::int32_t ColumnArrayLength(const std::u16string& name) = 0;

    // The ID of the name, or `defaultID` for an empty or unknown name. Names compare exactly.
    virtual std::int32_t FindIDByName(const std::u16string& name, std::int32_t defaultID);
    virtual std::int32_t FindIDByNameStr(const char16_t* name, std::int32_t defaultID);
    virtual bool HasDuplicateName();
    virtual std::u16string GetFileName();
    // False for an empty name, and for a name already present (which keeps its first ID, logs and
    // sets the duplicate flag).
    virtual bool AddNameMap(const std::u16string& name, std::int32_t id);

    // The line-by-line part of LoadTable, on lines already decoded (empty lines included).
    bool LoadTableLines(const std::vector<std::u16string>& lines);

protected:
    virtual const GxDBSchema& GetSchema() const = 0;
    // The row slot without a range test; the caller checks the index.
    virtual DBRowBase* RowSlot(std::int32_t index) = 0;

    // The shared bodies of the table operations.
    bool LoadTableFile(const std::u16string& path);
    DBRowBase* CheckedRow(std::int32_t index, bool logFailure);
    void* FieldOf(std::int32_t index, const std::u16string& name);
    const GxDBColumn* FindColumn(const std::u16string& name) const;
    std::int32_t IndexOfColumn(const std::u16string& name) const;

private:
    std::int32_t m_MaxID = -1;
    std::map<std::u16string, std::int32_t> m_NameMap;
    std::u16string m_FileName;
    bool m_HasDuplicateName = false;
};

// A table of `Rows` row slots of type `Row`, described by Table::kSchema.
template <class Table, class Row, std::int32_t Rows>
class GxDBTable : public GxDBBase {
public:
    using RowType = Row;
    static constexpr std::int32_t kRows = Rows;

    GxDBTable() : m_Rows(static_cast<std::size_t>(Rows)) {}

    Row* GetRow(std::int32_t index) override { return static_cast<Row*>(CheckedRow(index, true)); }
    std::int32_t GetColumnCount() override { return GetSchema().m_ColumnCount; }
    std::int32_t GetMaxRows() override { return Rows; }
    bool LoadTable(const std::u16string& path) override { return LoadTableFile(path); }
    void* FieldByName(std::int32_t index, const std::u16string& name) override { return FieldOf(index, name); }
    std::int32_t ColumnIndex(const std::u16string& name) override { return IndexOfColumn(name); }
    std::int32_t ColumnType(const std::u16string& name) override
    {
        const GxDBColumn* column = FindColumn(name);
        return column ? column->m_Type : 0;
    }
    std::int32_t ColumnArrayLength(const std::u16string& name) override
    {
        const GxDBColumn* column = FindColumn(name);
        return column ? column->m_ArrayLength : 0;
    }

protected:
    const GxDBSchema& GetSchema() const override { return Table::kSchema; }
    DBRowBase* RowSlot(std::int32_t index) override { return &m_Rows[static_cast<std::size_t>(index)]; }

private:
    std::vector<Row> m_Rows;
};

// Reads a decimal float without the locale: blanks, a sign, digits, ".", digits and an exponent;
// reading stops at the first other character, and no number gives 0. Beyond the float range the
// value is +-infinity (or +-0 for a tiny value).
float ParseDecimalFloatWide(const char16_t* text);
