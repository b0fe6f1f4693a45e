#include "demo_tables.h"

#include "foundation/wide_string.h"
#include "tests/support/game_folder.h"
#include "tests/support/table_builder.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

bool WriteDemoTables(const std::filesystem::path& demoFolder, const std::filesystem::path& gameFolder)
{
    bool ok = true;
    for (const char16_t* file : kTestTableFiles) {
        const std::string name = WideToUtf8(file);
        std::ifstream in(demoFolder / "tables" / name, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "generate_demo: missing table source tables/%s\n", name.c_str());
            ok = false;
            continue;
        }
        TestTableBuilder table;
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.empty())
                continue;
            if (line[0] == '#') {
                table.Comment(Utf8ToWide(line.substr(1)));
                continue;
            }
            std::vector<std::u16string> fields;
            SplitWide(fields, Utf8ToWide(line), u"\t");
            table.Row(fields);
        }
        if (!table.Write(gameFolder / "data" / name)) {
            std::fprintf(stderr, "generate_demo: cannot write data/%s\n", name.c_str());
            ok = false;
        }
    }
    return ok;
}
