// Content records: a header (name, version) followed by typed values read back in the order
// they were written. This file holds the value type codes and the reader and writer interfaces
// shared by the text, binary and compressed forms (content_text.h, content_binary.h,
// content_compressed.h).
//
// Loading: read the whole file into a GxBinBuffer, pick the reader by its first byte
// ('T' text, 'B' binary, 'Z' compressed), ReadHeader with the name of that form, read the values,
// then check the results or GetErrorCount.
#pragma once

#include "foundation/matrix.h"
#include "foundation/value_types.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>

// Type code stored with every value (one byte). The names appear in the readers' messages.
enum GxValueType : std::uint8_t {
    VALTYPE_GxS8 = 1,
    VALTYPE_GxU8 = 2,
    VALTYPE_GxS16 = 3,
    VALTYPE_GxU16 = 4,
    VALTYPE_GxS32 = 5,
    VALTYPE_GxU32 = 6,
    VALTYPE_GxS64 = 7,
    VALTYPE_GxU64 = 8,
    VALTYPE_GxF32 = 9,
    VALTYPE_GxF64 = 10,
    VALTYPE_GxBool = 11,
    VALTYPE_GxVector2 = 12,
    VALTYPE_GxVector3 = 13,
    VALTYPE_GxVector4 = 14,
    VALTYPE_GxQuat = 15,
    VALTYPE_GxFColor = 16,
    VALTYPE_GxMatrix = 17,
    VALTYPE_GxRect = 18,
    VALTYPE_GxFRect = 19,
    VALTYPE_GxBit32 = 21,
    VALTYPE_GxStringSJIS = 24,   // read only: every writer stores text as UTF-8
    VALTYPE_GxStringUTF8 = 26,
    VALTYPE_GxBinary = 27,
    VALTYPE_ListBegin = 32,
    VALTYPE_ListEnd = 33,
    VALTYPE_TreeBegin = 34,
    VALTYPE_TreeEnd = 35,
    VALTYPE_TreeStratumBegin = 36,
    VALTYPE_TreeStratumEnd = 37,
    VALTYPE_GxPoint2 = 50,
    VALTYPE_GxPoint3 = 51,
    VALTYPE_GxPoint4 = 52,
};

// What the binary forms' PeekValueType answers at the end of their data; not a type.
constexpr int kValueTypeEndOfData = 255;

// The code's name ("VALTYPE_GxS8" ...), or "VALTYPE_Unknown" for a code outside the table.
const char* GetValueTypeName(int code);

// A header name is at most this many 8-bit characters.
constexpr int kContentHeaderNameLimit = 15;

// One unsigned 32-bit word of flags.
struct GxBit32 {
    std::uint32_t m_Bits = 0;
};

class GxBinBuffer;

// Reads one content record from a byte range it does not own. Every failed check counts one
// error (GetErrorCount), whether or not the reader is verbose; a verbose reader also logs it.
// The platform's long is 32-bit, so the int and long overloads of the 32-bit reads are one.
class GxContentReaderBase {
public:
    // A damaged record fails field after field: a verbose reader logs the first failures and
    // only counts the rest, which its destructor reports in one line.
    static constexpr std::int32_t kLoggedFailureLimit = 99;

    virtual ~GxContentReaderBase();

    virtual void SetRange(const void* data, std::uint32_t size) = 0;
    virtual void SetNameCheck(int check) = 0;
    std::uint32_t GetVersion() const { return m_Version; }
    virtual int PeekValueType() = 0;
    virtual bool ReadHeader(const char* name, std::uint32_t* version) = 0;

    virtual bool ReadBit32(const char* name, GxBit32* value) = 0;
    virtual bool ReadPoint4(const char* name, GxPoint4* value) = 0;
    virtual bool ReadPoint3(const char* name, GxPoint3* value) = 0;
    virtual bool ReadPoint2(const char* name, GxPoint2* value) = 0;
    virtual bool ReadFRect(const char* name, GxFRect* value) = 0;
    virtual bool ReadRect(const char* name, GxRect* value) = 0;
    virtual bool ReadMatrix(const char* name, GxMatrix* value) = 0;
    virtual bool ReadFColor(const char* name, GxFColor* value) = 0;
    virtual bool ReadQuat(const char* name, GxQuat* value) = 0;
    virtual bool ReadVector4(const char* name, GxVector4* value) = 0;
    virtual bool ReadVector3(const char* name, GxVector3* value) = 0;
    virtual bool ReadVector2(const char* name, GxVector2* value) = 0;
    virtual bool ReadBool(const char* name, bool* value) = 0;
    virtual bool ReadF64(const char* name, double* value) = 0;
    virtual bool ReadF32(const char* name, float* value) = 0;
    virtual bool ReadU64(const char* name, std::uint64_t* value) = 0;
    virtual bool ReadS64(const char* name, std::int64_t* value) = 0;
    virtual bool ReadU32(const char* name, std::uint32_t* value) = 0;
    virtual bool ReadS32(const char* name, std::int32_t* value) = 0;
    virtual bool ReadU16(const char* name, std::uint16_t* value) = 0;
    virtual bool ReadS16(const char* name, std::int16_t* value) = 0;
    virtual bool ReadU8(const char* name, std::uint8_t* value) = 0;
    virtual bool ReadS8(const char* name, std::int8_t* value) = 0;

    void ReadWString(const char* name, std::u16string& value) { value = ReadWString(name); }
    void ReadString(const char* name, std::string& value) { value = ReadString(name); }
    // Text of code 24 or 26 in the system's 8-bit code page; empty on any failure.
    virtual std::string ReadString(const char* name) = 0;
    // Text of code 24 or 26 as UTF-16; empty on any failure.
    virtual std::u16string ReadWString(const char* name) = 0;
    // The buffer is re-allocated to the stored length; untouched on failure.
    virtual bool ReadBinary(const char* name, GxBinBuffer& buffer) = 0;

    // Value-returning reads: the form's own read into a default value, whose result is ignored
    // (GetErrorCount tells). Defaults: 0, quaternion (0,0,0,1), colour (1,1,1,1), identity matrix.
    std::int8_t GetS8(const char* name);
    std::uint8_t GetU8(const char* name);
    std::int16_t GetS16(const char* name);
    std::uint16_t GetU16(const char* name);
    std::int32_t GetS32(const char* name);
    std::uint32_t GetU32(const char* name);
    std::int64_t GetS64(const char* name);
    std::uint64_t GetU64(const char* name);
    float GetF32(const char* name);
    double GetF64(const char* name);
    bool GetBool(const char* name);
    GxVector2 GetVector2(const char* name);
    GxVector3 GetVector3(const char* name);
    GxVector4 GetVector4(const char* name);
    GxQuat GetQuat(const char* name);
    GxFColor GetFColor(const char* name);
    GxMatrix GetMatrix(const char* name);
    GxRect GetRect(const char* name);
    GxFRect GetFRect(const char* name);
    GxPoint2 GetPoint2(const char* name);
    GxPoint3 GetPoint3(const char* name);
    GxPoint4 GetPoint4(const char* name);
    GxBit32 GetBit32(const char* name);

    // Lists and trees are delimiters only; nesting is not verified and the count is not enforced.
    virtual bool ReadListBegin(const char* name, std::uint32_t* count) = 0;
    virtual bool ReadListEnd() = 0;
    // No form stores anything for an element.
    bool ReadListElementBegin() { return true; }
    bool ReadListElementEnd() { return true; }
    virtual bool ReadTreeBegin(const char* name) = 0;
    virtual bool ReadTreeEnd() = 0;
    virtual bool ReadTreeStratumBegin() = 0;
    virtual bool ReadTreeStratumEnd() = 0;

    std::int32_t GetErrorCount() const { return m_ErrorCount; }
    virtual bool IsEnd() = 0;
    // Bytes of the data not read yet: a count read from the data that needs more elements than
    // this could hold is damaged, so nothing is reserved for it.
    virtual std::uint64_t BytesLeft() const = 0;
    // Passes over one stored value; for a delimiter only the delimiter (and a list's count).
    virtual bool SkipValue() = 0;
    // For a record whose own checks find the data damaged (a count beyond BytesLeft, say):
    // counts one error and, when verbose, logs the formatted message.
    void CountDamage(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The list begin under `name` and its count, not trusted: a count larger than the bytes left
    // is damage (no stored list comes near one element per byte), counted once and logged through
    // `damageFormat` (given the name and the count); the list then reads as empty (0), so a
    // damaged count never makes a reader allocate. A failed list begin gives 0 too.
    std::uint32_t ReadBoundedListCount(const char* name, const char* damageFormat);

protected:
    GxContentReaderBase(bool verbose) : m_Verbose(verbose) {}
    // Counts one error and, when verbose, logs `prefix` followed by the formatted message.
    void CountFailure(const char* prefix, const char* format, va_list args);

    std::uint32_t m_Version = 0;
    bool m_Verbose = false;
    std::int32_t m_ErrorCount = 0;
    std::int32_t m_NameCheck = 1;
    // Failures logged, and failures past the limit that were only counted.
    std::int32_t m_LoggedFailures = 0;
    std::int32_t m_UnloggedFailures = 0;
};

// Writes one content record to a stream the caller opened with "wb" and closes after the
// writer is gone. A write returns true when the stream took all of its bytes; writers count
// no errors.
class GxContentWriterBase {
public:
    virtual ~GxContentWriterBase() = default;

    std::uint32_t GetVersion() const { return m_Version; }
    bool Flush();
    // Refuses a name of 16 or more characters.
    virtual bool WriteHeader(const char* name, std::uint32_t version) = 0;

    virtual bool WriteBit32(const char* name, const GxBit32* value) = 0;
    virtual bool WritePoint4(const char* name, const GxPoint4* value) = 0;
    virtual bool WritePoint3(const char* name, const GxPoint3* value) = 0;
    virtual bool WritePoint2(const char* name, const GxPoint2* value) = 0;
    virtual bool WriteFRect(const char* name, const GxFRect* value) = 0;
    virtual bool WriteRect(const char* name, const GxRect* value) = 0;
    virtual bool WriteMatrix(const char* name, const GxMatrix* value) = 0;
    virtual bool WriteFColor(const char* name, const GxFColor* value) = 0;
    virtual bool WriteQuat(const char* name, const GxQuat* value) = 0;
    virtual bool WriteVector4(const char* name, const GxVector4* value) = 0;
    virtual bool WriteVector3(const char* name, const GxVector3* value) = 0;
    virtual bool WriteVector2(const char* name, const GxVector2* value) = 0;
    virtual bool WriteBool(const char* name, bool value) = 0;
    virtual bool WriteF64(const char* name, double value) = 0;
    virtual bool WriteF32(const char* name, float value) = 0;
    virtual bool WriteU64(const char* name, std::uint64_t value) = 0;
    virtual bool WriteS64(const char* name, std::int64_t value) = 0;
    virtual bool WriteU32(const char* name, std::uint32_t value) = 0;
    virtual bool WriteS32(const char* name, std::int32_t value) = 0;
    virtual bool WriteU16(const char* name, std::uint16_t value) = 0;
    virtual bool WriteS16(const char* name, std::int16_t value) = 0;
    virtual bool WriteU8(const char* name, std::uint8_t value) = 0;
    virtual bool WriteS8(const char* name, std::int8_t value) = 0;

    bool WriteWString(const char* name, const std::u16string& text) { return WriteWString(name, text.c_str()); }
    bool WriteString(const char* name, const std::string& text) { return WriteString(name, text.c_str()); }
    // Both store UTF-8 (code 26); 8-bit text is converted from the engine's 8-bit code page.
    virtual bool WriteWString(const char* name, const char16_t* text) = 0;
    virtual bool WriteString(const char* name, const char* text) = 0;
    virtual bool WriteBinary(const char* name, const void* data, std::uint32_t length) = 0;

    virtual bool WriteListBegin(const char* name, const char* label, std::uint32_t count) = 0;
    virtual bool WriteListEnd() = 0;
    bool WriteListElementBegin() { return true; }
    bool WriteListElementEnd() { return true; }
    virtual bool WriteTreeBegin(const char* name, const char* label) = 0;
    virtual bool WriteTreeEnd() = 0;
    virtual bool WriteTreeStratumBegin() = 0;
    virtual bool WriteTreeStratumEnd() = 0;

    std::int32_t GetErrorCount() const { return 0; }
    void SetFile(std::FILE* file) { m_File = file; }

protected:
    explicit GxContentWriterBase(std::FILE* file) : m_File(file) {}
    // Writes the bytes; true when the stream took all of them (an empty block is no failure).
    bool Output(const void* data, std::size_t size);
    bool Output(const std::string& bytes) { return Output(bytes.data(), bytes.size()); }
    // A header name fits in the 16-byte field with its terminator.
    static bool HeaderNameFits(const char* name);

    std::uint32_t m_Version = 0;
    std::FILE* m_File = nullptr;
};
