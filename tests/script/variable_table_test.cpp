// [Moa values] named variables, tables under save classes, definitions, dumps.
#include "script/variable_table.h"

#include "script/dump_line.h"
#include "script/variable_definition.h"

#include "script_test_support.h"
#include "tests/support/temp_dir.h"

#include "platform/crt/wide_stdio.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace script_test;

namespace {

// One entry of every scope 0-10, named after it, holding its code.
GxMoaVariableTable EveryScope()
{
    GxMoaVariableTable table;
    for (std::int32_t scope = 0; scope <= 10; ++scope) {
        table.Entries().emplace_back(u"s" + std::u16string(1, static_cast<char16_t>(u'a' + scope)), scope, Int(scope));
    }
    return table;
}

std::vector<std::int32_t> Scopes(const GxMoaVariableTable& table)
{
    std::vector<std::int32_t> scopes;
    for (const GxMoaVariableSet& entry : table.Entries()) {
        scopes.push_back(entry.m_Scope);
    }
    return scopes;
}

}  // namespace

TEST(MoaVariableTable, SaveClassesSelectScopesInBothForms)
{
    const std::vector<std::vector<std::int32_t>> expected = {
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {}, {2, 5, 8}, {1, 3, 6, 9}, {4, 7, 10}, {}, {},
    };
    for (Form form : {Form::Text, Form::Binary}) {
        for (std::int32_t saveClass = 0; saveClass <= 6; ++saveClass) {
            const GxMoaVariableTable source = EveryScope();
            const std::string bytes = WriteRecord(form, [&](GxContentWriterBase& w) { ASSERT_TRUE(source.Write(w, saveClass)); });
            BytesReader reader(bytes);
            EXPECT_EQ(reader->GetS32("m_VariablesSize"), static_cast<std::int32_t>(expected[saveClass].size()));
            BytesReader again(bytes);
            GxMoaVariableTable read;
            // Class 0 on reading keeps everything the file holds.
            EXPECT_TRUE(read.Read(*again, 0));
            EXPECT_EQ(Scopes(read), expected[saveClass]) << "class " << saveClass;
            for (const GxMoaVariableSet& entry : read.Entries()) {
                EXPECT_EQ(entry.m_Value.ToInt64(), entry.m_Scope);
            }
        }
    }
}

TEST(MoaVariableTable, ReadingReplacesPresentNamesAndAppendsNewOnes)
{
    GxMoaVariableTable stored;
    stored.Entries().emplace_back(u"kept", 3, Str(u"new"));
    stored.Entries().emplace_back(u"added", 6, Int(2));
    stored.Entries().emplace_back(u"dropped", 2, Int(3));   // PERMAN: class 3 drops it
    const std::string bytes = WriteRecord(Form::Binary, [&](GxContentWriterBase& w) { stored.Write(w, 0); });

    GxMoaVariableTable table;
    table.Entries().emplace_back(u"first", 1, Int(0));
    table.Entries().emplace_back(u"kept", 4, Str(u"old"));
    BytesReader reader(bytes);
    EXPECT_TRUE(table.Read(*reader, 3));
    ASSERT_EQ(table.Entries().size(), 3u);
    EXPECT_EQ(table.Entries()[1].m_Name, u"kept");
    EXPECT_EQ(table.Entries()[1].m_Scope, 4);   // the scope stays, the value is replaced
    EXPECT_EQ(table.Entries()[1].m_Value.ToString(), u"new");
    EXPECT_EQ(table.Entries()[2].m_Name, u"added");
    EXPECT_EQ(table.Entries()[2].m_Scope, 6);
}

TEST(MoaVariableTable, DamagedCountIsAReadError)
{
    const std::string bytes = WriteRecord(Form::Binary, [&](GxContentWriterBase& w) { w.WriteS32("m_VariablesSize", 1000000); });
    BytesReader reader(bytes, nullptr, false);
    GxMoaVariableTable table;
    EXPECT_FALSE(table.Read(*reader, 0));
    EXPECT_TRUE(table.Entries().empty());
}

TEST(MoaVariableTable, CreationAndDefinitions)
{
    for (auto [level, scope] : {std::pair{1, 1}, {2, 3}, {3, 6}, {4, 9}, {7, 1}}) {
        GxMoaVariableTable table(level);
        GxMoaVariable value = Int(5);
        table.Assign(u"x", -1, &value);
        table.Assign(u"x", 2, nullptr);   // an Int becomes an array of 3
        ASSERT_EQ(table.Entries().size(), 1u);
        EXPECT_EQ(table.Entries()[0].m_Scope, scope) << level;
        EXPECT_EQ(table.Entries()[0].m_Value.ArraySize(), 3);
    }

    GxMoaVariableTable table;
    table.AddLocal(u"a", Int(1));
    table.AddLocal(u"a", Int(2));
    EXPECT_EQ(table.Find(u"a")->m_Value.ToInt64(), 1);
    EXPECT_EQ(table.Find(u"A"), nullptr);
    EXPECT_EQ(table.Declare(u"b", 1)->m_Value.ArraySize(), 2);

    GxMoaVariableDefinition definition;
    definition.m_Name = u"arr";
    definition.m_Scope = 9;
    definition.m_ArraySize = 0;
    definition.m_Value = Int(7);
    table.AddFromDefinition(definition);
    const GxMoaVariableSet* arr = table.Find(u"arr");
    ASSERT_NE(arr, nullptr);
    EXPECT_EQ(arr->m_Scope, 9);
    EXPECT_EQ(arr->m_Value.GetType(), MOA_VALUE_ARRAY);   // size 0: an empty array, not the Int
    EXPECT_EQ(arr->m_Value.ArraySize(), 0);

    GxMoaVariableSet entry(u"e", 1, Str(u"x"));
    definition.m_ArraySize = -1;
    GxMoaVariableTable::ResetFromDefinition(entry, &definition);
    EXPECT_EQ(entry.m_Value.ToInt64(), 7);
    GxMoaVariableTable::ResetFromDefinition(entry, nullptr);
    EXPECT_TRUE(entry.m_Value.IsNull());
}

TEST(MoaVariableTable, DumpLines)
{
    GxMoaVariable opcode;
    opcode.SetOpcode(37);
    GxMoaVariable ref;
    ref.SetRefVar(u"r");
    EXPECT_EQ(DumpVariableLine(u"i", Int(-5), 0), u"$i=-5(Int)\n");
    EXPECT_EQ(DumpVariableLine(u"f", Flt(1.5), 1), u"  $f=1.500000(Float)\n");
    EXPECT_EQ(DumpVariableLine(u"s", Str(u"abc"), 0), u"$s=\"abc\"(Str)\n");
    EXPECT_EQ(DumpVariableLine(nullptr, Null(), 0), u"=Null\n");
    EXPECT_EQ(DumpVariableLine(u"o", opcode, 0), u"$o=||(Opcode)\n");
    EXPECT_EQ(DumpVariableLine(u"r", ref, 0), u"$r=Unknown\n");
    EXPECT_EQ(DumpVariableLine(u"e", Arr({}), -1), u"$e[0]=(Array)\n");
    EXPECT_EQ(DumpVariableLine(u"a", Arr({Int(1), Arr({Str(u"x")})}), 1),
              u"  $a[2]=(Array)\n"
              u"    $[0]=1(Int)\n"
              u"    $[1][1]=(Array)\n"
              u"      $[0]=\"x\"(Str)\n");

    GxMoaVariableTable table;
    table.Entries().emplace_back(u"g", 6, Int(1));
    table.Entries().emplace_back(u"bad", 11, Null());
    const std::u16string expected = u"Scope:GLOBAL_INGAME\n$g=1(Int)\nScope:ERROR\n$bad=Null\n";
    EXPECT_EQ(table.DumpText(0), expected);

    // The file gets the same text as UTF-16 with CR LF line ends.
    TestTempDir dir("moa_dump");
    ASSERT_TRUE(dir.Valid());
    const std::u16string path = Utf8ToWide(dir.Join("dump.txt").string());
    std::FILE* file = _wfopen(path.c_str(), u"wt, ccs=UTF-16LE");
    ASSERT_NE(file, nullptr);
    table.Dump(file, 0);
    fclose_w(file);
    std::ifstream in(dir.Join("dump.txt"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    EXPECT_EQ(text, ReplaceAllWide(expected, u"\n", u"\r\n"));
}
