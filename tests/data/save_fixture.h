// Shared pieces of the saved-data tests: content records written into memory in either form,
// readers over them, and a reader's values listed as text lines.
#pragma once

#include "data_fixture.h"

#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"
#include "foundation/content_text.h"
#include "tests/support/memory_stream.h"

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>

namespace data_test {

enum class Form { kText, kBinary };

inline const char* FormName(Form form)
{
    return form == Form::kText ? "text" : "binary";
}

// The header, then whatever `body` writes, in the chosen form.
inline std::string WriteContent(Form form, const char* header, const std::function<void(GxContentWriterBase&)>& body)
{
    TestMemoryStream stream;
    {
        std::unique_ptr<GxContentWriterBase> writer;
        if (form == Form::kText)
            writer = std::make_unique<GxContentTextWriter>(stream.File());
        else
            writer = std::make_unique<GxContentBinaryWriter>(stream.File());
        EXPECT_TRUE(writer->WriteHeader(header, 100));
        body(*writer);
    }
    return stream.Bytes();
}

inline void FillBuffer(GxBinBuffer& buffer, const std::string& bytes)
{
    if (!bytes.empty()) {
        buffer.Allocate(static_cast<std::uint32_t>(bytes.size()));
        std::memcpy(buffer.GetData(), bytes.data(), bytes.size());
    }
}

// A quiet reader over bytes of either form, its header already read.
class RecordReader {
public:
    RecordReader(Form form, const std::string& bytes, const char* header)
    {
        FillBuffer(m_Buffer, bytes);
        if (form == Form::kText)
            m_Reader = std::make_unique<GxContentTextReader>(m_Buffer, false);
        else
            m_Reader = std::make_unique<GxContentBinaryReader>(m_Buffer, false);
        std::uint32_t version = 0;
        m_HeaderRead = m_Reader->ReadHeader(header, &version);
    }
    GxContentReaderBase& operator*() { return *m_Reader; }
    GxContentReaderBase* operator->() { return m_Reader.get(); }
    bool HeaderRead() const { return m_HeaderRead; }

private:
    GxBinBuffer m_Buffer;
    std::unique_ptr<GxContentReaderBase> m_Reader;
    bool m_HeaderRead = false;
};

// The lines of a text-form record after its header line.
inline std::vector<std::string> ValueLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

inline std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace data_test
