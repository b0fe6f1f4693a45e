#include "tests/support/table_builder.h"

#include "foundation/wide_string.h"

#include <fstream>

TestTableBuilder& TestTableBuilder::Row(const std::vector<std::u16string>& fields)
{
    std::u16string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += u'\t';
        line += fields[i];
    }
    m_Lines.push_back(std::move(line));
    return *this;
}

TestTableBuilder& TestTableBuilder::Comment(const std::u16string& text)
{
    m_Lines.push_back(u"#" + text);
    return *this;
}

TestTableBuilder& TestTableBuilder::Raw(const std::u16string& line)
{
    m_Lines.push_back(line);
    return *this;
}

std::u16string TestTableBuilder::Text() const
{
    std::u16string text;
    for (const std::u16string& line : m_Lines)
        text += line + u"\r\n";
    return text;
}

std::string TestTableBuilder::Bytes(TestTableEncoding encoding) const
{
    const std::u16string text = Text();
    switch (encoding) {
    case TestTableEncoding::kUtf16LE: {
        std::string bytes = "\xFF\xFE";
        for (char16_t unit : text) {
            bytes.push_back(static_cast<char>(unit & 0xFF));
            bytes.push_back(static_cast<char>(unit >> 8));
        }
        return bytes;
    }
    case TestTableEncoding::kUtf8:
        return "\xEF\xBB\xBF" + WideToUtf8(text);
    case TestTableEncoding::kCodePage:
        return WideToMultiByte(text);
    }
    return {};
}

bool TestTableBuilder::Write(const std::filesystem::path& path, TestTableEncoding encoding) const
{
    std::error_code error;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::string bytes = Bytes(encoding);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}
