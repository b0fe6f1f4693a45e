// Shared pieces of the script tests: value makers, an in-memory stream for the content
// writers, readers over bytes in any of the three forms, and a log listener.
#pragma once

#include "foundation/bin_buffer.h"
#include "foundation/content.h"
#include "foundation/content_binary.h"
#include "foundation/content_compressed.h"
#include "foundation/content_text.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "tests/support/error_log_capture.h"
#include "tests/support/memory_stream.h"
#include "script/variable.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace script_test {

inline GxMoaVariable Int(std::int64_t value)
{
    GxMoaVariable v;
    v.SetInt64(value);
    return v;
}
inline GxMoaVariable Flt(double value)
{
    GxMoaVariable v;
    v.SetFloat(value);
    return v;
}
inline GxMoaVariable Str(const std::u16string& text)
{
    GxMoaVariable v;
    v.SetString(text);
    return v;
}
inline GxMoaVariable Null() { return GxMoaVariable(); }
inline GxMoaVariable Arr(std::initializer_list<GxMoaVariable> elements)
{
    GxMoaVariable v;
    v.MakeArray(static_cast<std::int32_t>(elements.size()));
    std::int32_t i = 0;
    for (const GxMoaVariable& e : elements) {
        v.SetElement(i++, e);
    }
    return v;
}

using MemoryStream = TestMemoryStream;

enum class Form { Text, Binary };

// The bytes of a record: header "TTEST" (text) or "BTEST" (binary), version 1, and what `body`
// writes; the first letter picks the reader, as for the engine's own files.
inline std::string WriteRecord(Form form, const std::function<void(GxContentWriterBase&)>& body)
{
    MemoryStream stream;
    std::unique_ptr<GxContentWriterBase> writer;
    if (form == Form::Text) {
        writer = std::make_unique<GxContentTextWriter>(stream.File());
    } else {
        writer = std::make_unique<GxContentBinaryWriter>(stream.File());
    }
    writer->WriteHeader(form == Form::Text ? "TTEST" : "BTEST", 1);
    body(*writer);
    return stream.Bytes();
}

// A reader over bytes, chosen by the first byte as the loaders do ('T', 'B', 'Z'), with its
// header already read (`header` null: the test record's header of that form).
class BytesReader {
public:
    explicit BytesReader(const std::string& bytes, const char* header = nullptr, bool verbose = true)
    {
        BYTE* data = m_Buffer.Allocate(static_cast<std::uint32_t>(bytes.size()));
        if (!bytes.empty()) {
            std::memcpy(data, bytes.data(), bytes.size());
        }
        const BYTE first = m_Buffer.GetFirstByte();
        if (first == 'Z') {
            m_Reader = std::make_unique<GxContentCompressedBinaryReader>(m_Buffer, verbose);
        } else if (first == 'T') {
            m_Reader = std::make_unique<GxContentTextReader>(m_Buffer, verbose);
        } else {
            m_Reader = std::make_unique<GxContentBinaryReader>(m_Buffer, verbose);
        }
        if (header == nullptr) {
            header = first == 'T' ? "TTEST" : "BTEST";
        }
        if (*header != '\0') {
            std::uint32_t version = 0;
            m_HeaderRead = m_Reader->ReadHeader(header, &version);
        }
    }
    GxContentReaderBase& operator*() { return *m_Reader; }
    GxContentReaderBase* operator->() { return m_Reader.get(); }
    bool HeaderRead() const { return m_HeaderRead; }

private:
    GxBinBuffer m_Buffer;
    std::unique_ptr<GxContentReaderBase> m_Reader;
    bool m_HeaderRead = false;
};

using LogCapture = TestErrorLogCapture;

inline std::string U8(const std::u16string& text) { return WideToUtf8(text); }

}  // namespace script_test
