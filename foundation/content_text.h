// Text content form: one LF-ended line per value, TAB-separated: the type code in lower-case
// hexadecimal, the field name, then the value fields. The header line is the name, TAB and the
// version. Strings are stored quoted and escaped as UTF-8, byte blocks as lines of hex digits.
#pragma once

#include "foundation/content.h"
#include "platform/win32/win_types.h"

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

class GxContentTextReader : public GxContentReaderBase {
public:
    // Reads the buffer's bytes; the buffer must outlive the reader.
    GxContentTextReader(const GxBinBuffer& buffer, bool verbose);
    ~GxContentTextReader() override = default;

    using GxContentReaderBase::ReadString;
    using GxContentReaderBase::ReadWString;

    // The line counter keeps its value.
    void SetRange(const void* data, std::uint32_t size) override;
    // Stored field names are compared with the requested ones when the flag is 1 (the default).
    void SetNameCheck(int check) override { m_NameCheck = check; }
    // The next line's code without consuming it; 0 at the end of the data.
    int PeekValueType() override;
    // The header name is checked whatever the name-check flag says.
    bool ReadHeader(const char* name, std::uint32_t* version) override;

    // Every read consumes its line, also when it fails, so the record stays in step.
    // There is no widening: each read accepts its own code only.
    bool ReadBit32(const char* name, GxBit32* value) override;
    bool ReadPoint4(const char* name, GxPoint4* value) override;
    bool ReadPoint3(const char* name, GxPoint3* value) override;
    bool ReadPoint2(const char* name, GxPoint2* value) override;
    bool ReadFRect(const char* name, GxFRect* value) override;
    bool ReadRect(const char* name, GxRect* value) override;
    bool ReadMatrix(const char* name, GxMatrix* value) override;
    bool ReadFColor(const char* name, GxFColor* value) override;
    bool ReadQuat(const char* name, GxQuat* value) override;
    bool ReadVector4(const char* name, GxVector4* value) override;
    bool ReadVector3(const char* name, GxVector3* value) override;
    bool ReadVector2(const char* name, GxVector2* value) override;
    bool ReadBool(const char* name, bool* value) override;
    bool ReadF64(const char* name, double* value) override;
    bool ReadF32(const char* name, float* value) override;
    bool ReadU64(const char* name, std::uint64_t* value) override;
    bool ReadS64(const char* name, std::int64_t* value) override;
    bool ReadU32(const char* name, std::uint32_t* value) override;
    bool ReadS32(const char* name, std::int32_t* value) override;
    bool ReadU16(const char* name, std::uint16_t* value) override;
    bool ReadS16(const char* name, std::int16_t* value) override;
    bool ReadU8(const char* name, std::uint8_t* value) override;
    bool ReadS8(const char* name, std::int8_t* value) override;

    std::string ReadString(const char* name) override;
    std::u16string ReadWString(const char* name) override;
    // A failed block read consumes its header line only.
    bool ReadBinary(const char* name, GxBinBuffer& buffer) override;

    bool ReadListBegin(const char* name, std::uint32_t* count) override;
    bool ReadListEnd() override;
    bool ReadTreeBegin(const char* name) override;
    bool ReadTreeEnd() override;
    bool ReadTreeStratumBegin() override;
    bool ReadTreeStratumEnd() override;

    // At the end of the range or on a zero byte.
    bool IsEnd() override;
    std::uint64_t BytesLeft() const override { return m_Position < m_End ? static_cast<std::uint64_t>(m_End - m_Position) : 0; }
    // Passes over one line (with a block's data lines); true at the end of the data too.
    bool SkipValue() override;

    std::int32_t GetLineNumber() const { return m_LineCounter; }

private:
    using Fields = std::vector<std::string>;

    Fields ReadFields();
    // Reads and checks a value line: the code, the name (when checked) and that it holds at
    // least `fieldCount` fields. `prefix` starts the messages.
    bool TakeValueLine(int code, const char* name, std::size_t fieldCount, Fields* fields,
                       const char* prefix = "GxContentTextReader/");
    bool CheckName(const Fields& fields, const char* name, const char* prefix);
    // Takes a value line with one field per target (after the code and name) and parses each.
    template <typename T, typename Parse>
    bool ReadFieldValues(int code, const char* name, std::initializer_list<T*> targets, Parse parse,
                         const char* prefix = "GxContentTextReader/");
    bool ReadDelimiter(int code);
    // Field 3 of a string line, as stored, with its code; false after counting a failure.
    bool TakeStringField(const char* name, int* code, std::string* field);
    void Fail(const char* format, ...) __attribute__((format(printf, 2, 3)));

    const BYTE* m_Position = nullptr;
    const BYTE* m_End = nullptr;
    std::int32_t m_LineCounter = 0;
};

class GxContentTextWriter : public GxContentWriterBase {
public:
    explicit GxContentTextWriter(std::FILE* file) : GxContentWriterBase(file) {}
    ~GxContentTextWriter() override = default;

    using GxContentWriterBase::WriteString;
    using GxContentWriterBase::WriteWString;

    bool WriteHeader(const char* name, std::uint32_t version) override;

    bool WriteBit32(const char* name, const GxBit32* value) override;
    bool WritePoint4(const char* name, const GxPoint4* value) override;
    bool WritePoint3(const char* name, const GxPoint3* value) override;
    bool WritePoint2(const char* name, const GxPoint2* value) override;
    bool WriteFRect(const char* name, const GxFRect* value) override;
    bool WriteRect(const char* name, const GxRect* value) override;
    bool WriteMatrix(const char* name, const GxMatrix* value) override;
    bool WriteFColor(const char* name, const GxFColor* value) override;
    bool WriteQuat(const char* name, const GxQuat* value) override;
    bool WriteVector4(const char* name, const GxVector4* value) override;
    bool WriteVector3(const char* name, const GxVector3* value) override;
    bool WriteVector2(const char* name, const GxVector2* value) override;
    bool WriteBool(const char* name, bool value) override;
    bool WriteF64(const char* name, double value) override;
    bool WriteF32(const char* name, float value) override;
    bool WriteU64(const char* name, std::uint64_t value) override;
    bool WriteS64(const char* name, std::int64_t value) override;
    bool WriteU32(const char* name, std::uint32_t value) override;
    bool WriteS32(const char* name, std::int32_t value) override;
    bool WriteU16(const char* name, std::uint16_t value) override;
    bool WriteS16(const char* name, std::int16_t value) override;
    bool WriteU8(const char* name, std::uint8_t value) override;
    bool WriteS8(const char* name, std::int8_t value) override;

    bool WriteWString(const char* name, const char16_t* text) override;
    bool WriteString(const char* name, const char* text) override;
    bool WriteBinary(const char* name, const void* data, std::uint32_t length) override;

    bool WriteListBegin(const char* name, const char* label, std::uint32_t count) override;
    bool WriteListEnd() override;
    bool WriteTreeBegin(const char* name, const char* label) override;
    bool WriteTreeEnd() override;
    bool WriteTreeStratumBegin() override;
    bool WriteTreeStratumEnd() override;

private:
    bool PrintLine(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool WriteEscaped(const char* name, std::u16string_view text);
};
