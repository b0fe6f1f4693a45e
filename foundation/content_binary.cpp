#include "foundation/content_binary.h"

#include "foundation/bin_buffer.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"

#include <cstdarg>
#include <cstring>
#include <string_view>

namespace {

constexpr std::uint32_t kHeaderNameBytes = 16;

// Appends values in stored order: big-endian, most significant byte first.
class GxBigEndianBytes {
public:
    void Type(int code) { m_Bytes.push_back(static_cast<char>(code)); }
    template <typename T>
    void Number(T value)
    {
        unsigned char raw[sizeof(T)];
        std::memcpy(raw, &value, sizeof(T));
        for (std::size_t i = sizeof(T); i-- > 0;) {
            m_Bytes.push_back(static_cast<char>(raw[i]));
        }
    }
    void Raw(const void* data, std::size_t size) { m_Bytes.append(static_cast<const char*>(data), size); }
    const std::string& Bytes() const { return m_Bytes; }

private:
    std::string m_Bytes;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Reader

GxContentBinaryReader::GxContentBinaryReader(const GxBinBuffer& buffer, bool verbose)
    : GxContentBinaryReader(verbose, "GxContentBinaryReader/")
{
    SetReadRange(buffer.GetData(), buffer.GetSize());
}

GxContentBinaryReader::GxContentBinaryReader(bool verbose, const char* messagePrefix)
    : GxContentReaderBase(verbose), m_MessagePrefix(messagePrefix)
{
}

void GxContentBinaryReader::SetRange(const void* data, std::uint32_t size)
{
    SetReadRange(static_cast<const BYTE*>(data), size);
}

void GxContentBinaryReader::SetReadRange(const BYTE* data, std::uint32_t size)
{
    m_Data = data;
    m_Size = data != nullptr ? size : 0;
    m_Position = 0;
}

void GxContentBinaryReader::Fail(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    CountFailure(m_MessagePrefix, format, args);
    va_end(args);
}

int GxContentBinaryReader::TakeType()
{
    if (m_Position >= m_Size) {
        FailOverrun();
        return kValueTypeEndOfData;
    }
    return m_Data[m_Position++];
}

bool GxContentBinaryReader::TakePayload(void* destination, std::uint32_t size)
{
    if (size > Remaining()) {
        FailOverrun();
        return false;
    }
    auto* out = static_cast<BYTE*>(destination);
    for (std::uint32_t i = 0; i < size; ++i) {
        out[i] = m_Data[m_Position + size - 1 - i];
    }
    m_Position += size;
    return true;
}

// Stops at the first component that runs out: one failure, one error.
template <typename T>
bool GxContentBinaryReader::TakeParts(T* const* components, int count)
{
    for (int i = 0; i < count; ++i) {
        if (!TakePayload(components[i], sizeof(T))) {
            return false;
        }
    }
    return true;
}

bool GxContentBinaryReader::ExpectType(int code)
{
    if (TakeType() != code) {
        Fail("ValueType Isn't %s\n", GetValueTypeName(code));
        return false;
    }
    return true;
}

int GxContentBinaryReader::ExpectTypeOr(int code, int alternative)
{
    const int stored = TakeType();
    if (stored != code && stored != alternative) {
        Fail("ValueType Isn't %s\n", GetValueTypeName(code));
        return 0;
    }
    return stored;
}

template <typename T>
bool GxContentBinaryReader::ReadScalar(int code, T* value)
{
    return ExpectType(code) && TakePayload(value, sizeof(T));
}

bool GxContentBinaryReader::ReadDelimiter(int code)
{
    return ExpectType(code);
}

int GxContentBinaryReader::PeekValueType()
{
    return m_Position < m_Size ? m_Data[m_Position] : kValueTypeEndOfData;
}

bool GxContentBinaryReader::ReadHeader(const char* name, std::uint32_t* version)
{
    if (Remaining() < kHeaderNameBytes) {
        FailOverrun();
        return false;
    }
    char stored[kHeaderNameBytes];
    std::memcpy(stored, m_Data + m_Position, kHeaderNameBytes);
    stored[kHeaderNameBytes - 1] = '\0';
    const char* requested = name != nullptr ? name : "";
    if (std::strcmp(stored, requested) != 0) {
        Fail("FileHeader Isn't %s\n", requested);
        return false;
    }
    m_Position += kHeaderNameBytes;
    std::uint32_t stored_version = 0;
    if (!TakePayload(&stored_version, sizeof(stored_version))) {
        return false;
    }
    m_Version = stored_version;
    if (version != nullptr) {
        *version = stored_version;
    }
    return true;
}

bool GxContentBinaryReader::ReadBit32(const char*, GxBit32* value)
{
    return ReadScalar(VALTYPE_GxBit32, &value->m_Bits);
}

bool GxContentBinaryReader::ReadPoint4(const char*, GxPoint4* value)
{
    std::int32_t* parts[] = {&value->x, &value->y, &value->z, &value->w};
    return ExpectType(VALTYPE_GxPoint4) && TakeParts(parts, 4);
}

bool GxContentBinaryReader::ReadPoint3(const char*, GxPoint3* value)
{
    std::int32_t* parts[] = {&value->x, &value->y, &value->z};
    return ExpectType(VALTYPE_GxPoint3) && TakeParts(parts, 3);
}

bool GxContentBinaryReader::ReadPoint2(const char*, GxPoint2* value)
{
    std::int32_t* parts[] = {&value->x, &value->y};
    return ExpectType(VALTYPE_GxPoint2) && TakeParts(parts, 2);
}

bool GxContentBinaryReader::ReadFRect(const char*, GxFRect* value)
{
    float* parts[] = {&value->left, &value->top, &value->right, &value->bottom};
    return ExpectType(VALTYPE_GxFRect) && TakeParts(parts, 4);
}

bool GxContentBinaryReader::ReadRect(const char*, GxRect* value)
{
    std::int32_t* parts[] = {&value->left, &value->top, &value->right, &value->bottom};
    return ExpectType(VALTYPE_GxRect) && TakeParts(parts, 4);
}

bool GxContentBinaryReader::ReadMatrix(const char*, GxMatrix* value)
{
    float* parts[16];
    for (int i = 0; i < 16; ++i) {
        parts[i] = &value->m[i];
    }
    return ExpectType(VALTYPE_GxMatrix) && TakeParts(parts, 16);
}

bool GxContentBinaryReader::ReadFColor(const char*, GxFColor* value)
{
    float* parts[] = {&value->r, &value->g, &value->b, &value->a};
    return ExpectTypeOr(VALTYPE_GxFColor, VALTYPE_GxVector4) != 0 && TakeParts(parts, 4);
}

bool GxContentBinaryReader::ReadQuat(const char*, GxQuat* value)
{
    float* parts[] = {&value->x, &value->y, &value->z, &value->w};
    return ExpectTypeOr(VALTYPE_GxQuat, VALTYPE_GxVector4) != 0 && TakeParts(parts, 4);
}

bool GxContentBinaryReader::ReadVector4(const char*, GxVector4* value)
{
    const int code = ExpectTypeOr(VALTYPE_GxVector4, VALTYPE_GxVector3);
    if (code == 0) {
        return false;
    }
    if (code == VALTYPE_GxVector3) {
        float* parts[] = {&value->x, &value->y, &value->z};
        if (!TakeParts(parts, 3)) {
            return false;
        }
        value->w = 0.0f;
        return true;
    }
    float* parts[] = {&value->x, &value->y, &value->z, &value->w};
    return TakeParts(parts, 4);
}

bool GxContentBinaryReader::ReadVector3(const char*, GxVector3* value)
{
    const int code = ExpectTypeOr(VALTYPE_GxVector3, VALTYPE_GxVector4);
    if (code == 0) {
        return false;
    }
    float dropped = 0.0f;
    float* parts[] = {&value->x, &value->y, &value->z, &dropped};
    return TakeParts(parts, code == VALTYPE_GxVector4 ? 4 : 3);
}

bool GxContentBinaryReader::ReadVector2(const char*, GxVector2* value)
{
    float* parts[] = {&value->x, &value->y};
    return ExpectType(VALTYPE_GxVector2) && TakeParts(parts, 2);
}

bool GxContentBinaryReader::ReadBool(const char*, bool* value)
{
    // Any stored byte other than 0 is true; copying it raw would make an invalid bool.
    std::uint8_t stored = 0;
    if (!ReadScalar(VALTYPE_GxBool, &stored)) {
        return false;
    }
    *value = stored != 0;
    return true;
}

bool GxContentBinaryReader::ReadF64(const char*, double* value) { return ReadScalar(VALTYPE_GxF64, value); }
bool GxContentBinaryReader::ReadF32(const char*, float* value) { return ReadScalar(VALTYPE_GxF32, value); }
bool GxContentBinaryReader::ReadU64(const char*, std::uint64_t* value) { return ReadScalar(VALTYPE_GxU64, value); }
bool GxContentBinaryReader::ReadS64(const char*, std::int64_t* value) { return ReadScalar(VALTYPE_GxS64, value); }
bool GxContentBinaryReader::ReadU32(const char*, std::uint32_t* value) { return ReadScalar(VALTYPE_GxU32, value); }
bool GxContentBinaryReader::ReadS32(const char*, std::int32_t* value) { return ReadScalar(VALTYPE_GxS32, value); }
bool GxContentBinaryReader::ReadU16(const char*, std::uint16_t* value) { return ReadScalar(VALTYPE_GxU16, value); }
bool GxContentBinaryReader::ReadS16(const char*, std::int16_t* value) { return ReadScalar(VALTYPE_GxS16, value); }
bool GxContentBinaryReader::ReadU8(const char*, std::uint8_t* value) { return ReadScalar(VALTYPE_GxU8, value); }
bool GxContentBinaryReader::ReadS8(const char*, std::int8_t* value) { return ReadScalar(VALTYPE_GxS8, value); }

bool GxContentBinaryReader::TakeText(int* code, std::string* text)
{
    *code = TakeType();
    if (*code != VALTYPE_GxStringSJIS && *code != VALTYPE_GxStringUTF8) {
        Fail("ValueType Isn't VALTYPE_GxStringSJIS or VALTYPE_GxStringUTF8\n");
        return false;
    }
    std::uint32_t length = 0;
    if (!TakePayload(&length, sizeof(length))) {
        return false;
    }
    // The text is followed by a stored terminator; a record cut right after the text has none.
    if (length >= Remaining()) {
        if (length == Remaining()) {
            m_Position = m_Size;
        }
        FailOverrun();
        return false;
    }
    const char* start = reinterpret_cast<const char*>(m_Data + m_Position);
    const void* zero = std::memchr(start, 0, length);
    text->assign(start, zero != nullptr ? static_cast<const char*>(zero) - start : length);
    m_Position += length + 1;
    return true;
}

std::string GxContentBinaryReader::ReadString(const char*)
{
    int code = 0;
    std::string text;
    if (!TakeText(&code, &text)) {
        return {};
    }
    if (code == VALTYPE_GxStringUTF8) {
        return WideToMultiByte(Utf8ToWide(text));
    }
    return text;
}

std::u16string GxContentBinaryReader::ReadWString(const char*)
{
    int code = 0;
    std::string text;
    if (!TakeText(&code, &text)) {
        return {};
    }
    return code == VALTYPE_GxStringUTF8 ? Utf8ToWide(text) : MultiByteToWide(text);
}

bool GxContentBinaryReader::ReadBinary(const char*, GxBinBuffer& buffer)
{
    if (!ExpectType(VALTYPE_GxBinary)) {
        return false;
    }
    std::uint32_t length = 0;
    if (!TakePayload(&length, sizeof(length))) {
        return false;
    }
    if (length > Remaining()) {
        FailOverrun();
        return false;
    }
    BYTE* data = buffer.Allocate(length);
    if (length != 0) {
        if (data == nullptr) {
            Fail("Binary Allocate Failed(%u Bytes)\n", length);
            return false;
        }
        std::memcpy(data, m_Data + m_Position, length);
    }
    m_Position += length;
    return true;
}

bool GxContentBinaryReader::ReadListBegin(const char*, std::uint32_t* count)
{
    return ReadScalar(VALTYPE_ListBegin, count);
}

bool GxContentBinaryReader::ReadListEnd() { return ReadDelimiter(VALTYPE_ListEnd); }
bool GxContentBinaryReader::ReadTreeBegin(const char*) { return ReadDelimiter(VALTYPE_TreeBegin); }
bool GxContentBinaryReader::ReadTreeEnd() { return ReadDelimiter(VALTYPE_TreeEnd); }
bool GxContentBinaryReader::ReadTreeStratumBegin() { return ReadDelimiter(VALTYPE_TreeStratumBegin); }
bool GxContentBinaryReader::ReadTreeStratumEnd() { return ReadDelimiter(VALTYPE_TreeStratumEnd); }

bool GxContentBinaryReader::SkipValue()
{
    const int code = TakeType();
    if (code == kValueTypeEndOfData) {
        return false;
    }
    std::uint32_t size = 0;
    switch (code) {
    case VALTYPE_GxS8: case VALTYPE_GxU8: case VALTYPE_GxBool: size = 1; break;
    case VALTYPE_GxS16: case VALTYPE_GxU16: size = 2; break;
    case VALTYPE_GxS32: case VALTYPE_GxU32: case VALTYPE_GxF32: case VALTYPE_GxBit32: size = 4; break;
    case VALTYPE_GxS64: case VALTYPE_GxU64: case VALTYPE_GxF64: case VALTYPE_GxVector2: case VALTYPE_GxPoint2:
        size = 8;
        break;
    case VALTYPE_GxVector3: case VALTYPE_GxPoint3: size = 12; break;
    case VALTYPE_GxVector4: case VALTYPE_GxQuat: case VALTYPE_GxFColor: case VALTYPE_GxRect: case VALTYPE_GxFRect:
    case VALTYPE_GxPoint4:
        size = 16;
        break;
    case VALTYPE_GxMatrix: size = 64; break;
    default: break;
    }
    if (size > Remaining()) {
        FailOverrun();
        return false;
    }
    if (size > 0) {
        m_Position += size;
        return true;
    }

    std::uint32_t length = 0;
    switch (code) {
    case VALTYPE_GxStringSJIS:
    case VALTYPE_GxStringUTF8:
    case VALTYPE_GxBinary: {
        if (!TakePayload(&length, sizeof(length))) {
            return false;
        }
        // Text is followed by its terminator. A length past the end stops at the end.
        const std::uint64_t span = std::uint64_t{length} + (code == VALTYPE_GxBinary ? 0 : 1);
        if (span > Remaining()) {
            m_Position = m_Size;
            FailOverrun();
            return false;
        }
        m_Position += static_cast<std::uint32_t>(span);
        return true;
    }
    case VALTYPE_ListBegin:
        return TakePayload(&length, sizeof(length));
    default:
        return true;
    }
}

// ---------------------------------------------------------------------------------------------
// Writer

bool GxContentBinaryWriter::WriteHeader(const char* name, std::uint32_t version)
{
    if (!HeaderNameFits(name)) {
        LogPrint(u"GxContentBinaryWriter/Header String Too Long(Limit=%d Chars)\n", kContentHeaderNameLimit);
        return false;
    }
    m_Version = version;
    char field[kHeaderNameBytes] = {};
    std::memcpy(field, name, std::strlen(name));
    GxBigEndianBytes out;
    out.Raw(field, sizeof(field));
    out.Number(version);
    return Output(out.Bytes());
}

namespace {

template <typename T>
std::string OneValue(int code, T value)
{
    GxBigEndianBytes out;
    out.Type(code);
    out.Number(value);
    return out.Bytes();
}

template <typename T, std::size_t N>
std::string Components(int code, const T (&parts)[N])
{
    GxBigEndianBytes out;
    out.Type(code);
    for (const T& part : parts) {
        out.Number(part);
    }
    return out.Bytes();
}

}  // namespace

bool GxContentBinaryWriter::WriteBit32(const char*, const GxBit32* value)
{
    return Output(OneValue(VALTYPE_GxBit32, value->m_Bits));
}

bool GxContentBinaryWriter::WritePoint4(const char*, const GxPoint4* value)
{
    const std::int32_t parts[] = {value->x, value->y, value->z, value->w};
    return Output(Components(VALTYPE_GxPoint4, parts));
}

bool GxContentBinaryWriter::WritePoint3(const char*, const GxPoint3* value)
{
    const std::int32_t parts[] = {value->x, value->y, value->z};
    return Output(Components(VALTYPE_GxPoint3, parts));
}

bool GxContentBinaryWriter::WritePoint2(const char*, const GxPoint2* value)
{
    const std::int32_t parts[] = {value->x, value->y};
    return Output(Components(VALTYPE_GxPoint2, parts));
}

bool GxContentBinaryWriter::WriteFRect(const char*, const GxFRect* value)
{
    const float parts[] = {value->left, value->top, value->right, value->bottom};
    return Output(Components(VALTYPE_GxFRect, parts));
}

bool GxContentBinaryWriter::WriteRect(const char*, const GxRect* value)
{
    const std::int32_t parts[] = {value->left, value->top, value->right, value->bottom};
    return Output(Components(VALTYPE_GxRect, parts));
}

bool GxContentBinaryWriter::WriteMatrix(const char*, const GxMatrix* value)
{
    return Output(Components(VALTYPE_GxMatrix, value->m));
}

bool GxContentBinaryWriter::WriteFColor(const char*, const GxFColor* value)
{
    const float parts[] = {value->r, value->g, value->b, value->a};
    return Output(Components(VALTYPE_GxFColor, parts));
}

bool GxContentBinaryWriter::WriteQuat(const char*, const GxQuat* value)
{
    const float parts[] = {value->x, value->y, value->z, value->w};
    return Output(Components(VALTYPE_GxQuat, parts));
}

bool GxContentBinaryWriter::WriteVector4(const char*, const GxVector4* value)
{
    const float parts[] = {value->x, value->y, value->z, value->w};
    return Output(Components(VALTYPE_GxVector4, parts));
}

bool GxContentBinaryWriter::WriteVector3(const char*, const GxVector3* value)
{
    const float parts[] = {value->x, value->y, value->z};
    return Output(Components(VALTYPE_GxVector3, parts));
}

bool GxContentBinaryWriter::WriteVector2(const char*, const GxVector2* value)
{
    const float parts[] = {value->x, value->y};
    return Output(Components(VALTYPE_GxVector2, parts));
}

bool GxContentBinaryWriter::WriteBool(const char*, bool value)
{
    return Output(OneValue(VALTYPE_GxBool, static_cast<std::uint8_t>(value ? 1 : 0)));
}

bool GxContentBinaryWriter::WriteF64(const char*, double value) { return Output(OneValue(VALTYPE_GxF64, value)); }
bool GxContentBinaryWriter::WriteF32(const char*, float value) { return Output(OneValue(VALTYPE_GxF32, value)); }
bool GxContentBinaryWriter::WriteU64(const char*, std::uint64_t value) { return Output(OneValue(VALTYPE_GxU64, value)); }
bool GxContentBinaryWriter::WriteS64(const char*, std::int64_t value) { return Output(OneValue(VALTYPE_GxS64, value)); }
bool GxContentBinaryWriter::WriteU32(const char*, std::uint32_t value) { return Output(OneValue(VALTYPE_GxU32, value)); }
bool GxContentBinaryWriter::WriteS32(const char*, std::int32_t value) { return Output(OneValue(VALTYPE_GxS32, value)); }
bool GxContentBinaryWriter::WriteU16(const char*, std::uint16_t value) { return Output(OneValue(VALTYPE_GxU16, value)); }
bool GxContentBinaryWriter::WriteS16(const char*, std::int16_t value) { return Output(OneValue(VALTYPE_GxS16, value)); }
bool GxContentBinaryWriter::WriteU8(const char*, std::uint8_t value) { return Output(OneValue(VALTYPE_GxU8, value)); }
bool GxContentBinaryWriter::WriteS8(const char*, std::int8_t value) { return Output(OneValue(VALTYPE_GxS8, value)); }

bool GxContentBinaryWriter::WriteUtf8(const std::string& utf8)
{
    GxBigEndianBytes out;
    out.Type(VALTYPE_GxStringUTF8);
    out.Number(static_cast<std::uint32_t>(utf8.size()));
    out.Raw(utf8.c_str(), utf8.size() + 1);   // with its terminator
    return Output(out.Bytes());
}

bool GxContentBinaryWriter::WriteWString(const char*, const char16_t* text)
{
    return WriteUtf8(WideToUtf8(text != nullptr ? std::u16string_view(text) : std::u16string_view()));
}

bool GxContentBinaryWriter::WriteString(const char*, const char* text)
{
    return WriteUtf8(WideToUtf8(MultiByteToWide(text != nullptr ? std::string_view(text) : std::string_view())));
}

bool GxContentBinaryWriter::WriteBinary(const char*, const void* data, std::uint32_t length)
{
    if (data == nullptr && length != 0) {
        return false;
    }
    GxBigEndianBytes out;
    out.Type(VALTYPE_GxBinary);
    out.Number(length);
    if (length != 0) {
        out.Raw(data, length);
    }
    return Output(out.Bytes());
}

bool GxContentBinaryWriter::WriteListBegin(const char*, const char*, std::uint32_t count)
{
    return Output(OneValue(VALTYPE_ListBegin, count));
}

bool GxContentBinaryWriter::WriteCode(int code)
{
    const char stored = static_cast<char>(code);
    return Output(&stored, 1);
}

bool GxContentBinaryWriter::WriteListEnd() { return WriteCode(VALTYPE_ListEnd); }
bool GxContentBinaryWriter::WriteTreeBegin(const char*, const char*) { return WriteCode(VALTYPE_TreeBegin); }
bool GxContentBinaryWriter::WriteTreeEnd() { return WriteCode(VALTYPE_TreeEnd); }
bool GxContentBinaryWriter::WriteTreeStratumBegin() { return WriteCode(VALTYPE_TreeStratumBegin); }
bool GxContentBinaryWriter::WriteTreeStratumEnd() { return WriteCode(VALTYPE_TreeStratumEnd); }

