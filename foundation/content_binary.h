// Binary content form: a 16-byte header name and a 4-byte version, then values as one type
// byte and a big-endian payload each, with no field names.
#pragma once

#include "foundation/content.h"
#include "platform/win32/win_types.h"

#include <cstdint>
#include <cstdio>
#include <string>

class GxContentBinaryReader : public GxContentReaderBase {
public:
    // Reads the buffer's bytes; the buffer must outlive the reader.
    GxContentBinaryReader(const GxBinBuffer& buffer, bool verbose);
    ~GxContentBinaryReader() override = default;

    using GxContentReaderBase::ReadString;
    using GxContentReaderBase::ReadWString;

    void SetRange(const void* data, std::uint32_t size) override;
    // Names are not stored in this form, so the flag is kept but never consulted.
    void SetNameCheck(int check) override { m_NameCheck = check; }
    int PeekValueType() override;
    // On a name mismatch the position does not move.
    bool ReadHeader(const char* name, std::uint32_t* version) override;

    bool ReadBit32(const char* name, GxBit32* value) override;
    bool ReadPoint4(const char* name, GxPoint4* value) override;
    bool ReadPoint3(const char* name, GxPoint3* value) override;
    bool ReadPoint2(const char* name, GxPoint2* value) override;
    bool ReadFRect(const char* name, GxFRect* value) override;
    bool ReadRect(const char* name, GxRect* value) override;
    bool ReadMatrix(const char* name, GxMatrix* value) override;
    // Also accepts a stored Vector4.
    bool ReadFColor(const char* name, GxFColor* value) override;
    // Also accepts a stored Vector4.
    bool ReadQuat(const char* name, GxQuat* value) override;
    // Also accepts a stored Vector3, with w set to 0.
    bool ReadVector4(const char* name, GxVector4* value) override;
    // Also accepts a stored Vector4, whose fourth component is passed over.
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
    bool ReadBinary(const char* name, GxBinBuffer& buffer) override;

    bool ReadListBegin(const char* name, std::uint32_t* count) override;
    bool ReadListEnd() override;
    bool ReadTreeBegin(const char* name) override;
    bool ReadTreeEnd() override;
    bool ReadTreeStratumBegin() override;
    bool ReadTreeStratumEnd() override;

    bool IsEnd() override { return m_Position >= m_Size; }
    std::uint64_t BytesLeft() const override { return m_Position < m_Size ? m_Size - m_Position : 0; }
    bool SkipValue() override;

protected:
    // For a form that feeds this one decoded bytes under its own message prefix.
    GxContentBinaryReader(bool verbose, const char* messagePrefix);

    void SetReadRange(const BYTE* data, std::uint32_t size);
    // Counts one error and, when verbose, logs the prefix and the message.
    void Fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void FailOverrun() { Fail("ReadPos Overrun\n"); }

private:
    // One type byte, or 255 (counted as an overrun) at the end of the range.
    int TakeType();
    // n bytes, most significant first, into host order; an overrun leaves position and destination alone.
    bool TakePayload(void* destination, std::uint32_t size);
    // Each component in turn, sizeof(T) bytes apiece.
    template <typename T>
    bool TakeParts(T* const* components, int count);
    // Consumes the type byte; on a code other than `code` counts the failure and returns false.
    bool ExpectType(int code);
    // Consumes the type byte and returns it when it is `code` or `alternative`; otherwise counts
    // the failure (named after `code`) and returns 0.
    int ExpectTypeOr(int code, int alternative);
    template <typename T>
    bool ReadScalar(int code, T* value);
    bool ReadDelimiter(int code);
    // The stored text of a value of code 24 or 26 (up to its first zero byte).
    bool TakeText(int* code, std::string* text);
    std::uint32_t Remaining() const { return m_Size - m_Position; }

    const char* m_MessagePrefix;
    const BYTE* m_Data = nullptr;
    std::uint32_t m_Size = 0;
    std::uint32_t m_Position = 0;
};

class GxContentBinaryWriter : public GxContentWriterBase {
public:
    explicit GxContentBinaryWriter(std::FILE* file) : GxContentWriterBase(file) {}
    ~GxContentBinaryWriter() override = default;

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
    bool WriteUtf8(const std::string& utf8);
    // A value that is its type byte alone (the delimiters).
    bool WriteCode(int code);
};
