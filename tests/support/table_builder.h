// Data-table files for tests and the demo: rows given as lists of fields, joined by TABs, in one
// of the three encodings the table reader knows; comment lines and raw lines (written exactly as
// given) for the damaged cases. Lines end in CR LF. No GoogleTest: the demo generator uses it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

enum class TestTableEncoding {
    kUtf16LE,    // FF FE, then UTF-16LE
    kUtf8,       // EF BB BF, then UTF-8
    kCodePage,   // no signature, the engine's 8-bit code page
};

class TestTableBuilder {
public:
    // A row: its fields joined by TABs.
    TestTableBuilder& Row(const std::vector<std::u16string>& fields);
    // "#" followed by the text.
    TestTableBuilder& Comment(const std::u16string& text);
    // A line exactly as given (empty lines, leading blanks, stray TABs).
    TestTableBuilder& Raw(const std::u16string& line);

    std::u16string Text() const;
    std::string Bytes(TestTableEncoding encoding = TestTableEncoding::kUtf16LE) const;
    // Makes the folder; false when the file cannot be written.
    bool Write(const std::filesystem::path& path, TestTableEncoding encoding = TestTableEncoding::kUtf16LE) const;

private:
    std::vector<std::u16string> m_Lines;
};
