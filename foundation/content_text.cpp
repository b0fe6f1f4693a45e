#include "foundation/content_text.h"

#include "foundation/bin_buffer.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "platform/crt/numeric.h"
#include "platform/crt/printf.h"
#include "platform/win32/codepage.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <limits>

namespace {

constexpr const char* kTextPrefix = "GxContentTextReader/";
// The flag-word read has always reported under this name.
constexpr const char* kBit32Prefix = "GxContentStringReader/";
constexpr std::uint32_t kBlockBytesPerLine = 32;

const char* NameOrEmpty(const char* name) { return name != nullptr ? name : ""; }

// One line from `position`: LF ends it (consumed, counted), CR and form feed are dropped, a
// zero byte ends it without being consumed. CR and form feed right after the LF go with it.
// Bytes are scanned one by one: no 8-bit double-byte character or UTF-8 sequence holds a byte
// below 0x40 after its first, so line ends and TABs are never inside a character.
std::string ScanLine(const BYTE*& position, const BYTE* end, std::int32_t& lineCounter)
{
    std::string line;
    while (position < end) {
        const BYTE c = *position;
        if (c == 0) {
            break;
        }
        ++position;
        if (c == '\n') {
            ++lineCounter;
            while (position < end && (*position == '\r' || *position == '\f')) {
                ++position;
            }
            break;
        }
        if (c != '\r' && c != '\f') {
            line.push_back(static_cast<char>(c));
        }
    }
    return line;
}

std::vector<std::string> SplitFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        if (tab == std::string::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
}

int ParseCode(const std::vector<std::string>& fields)
{
    return fields.empty() ? 0 : static_cast<int>(msvc::strtol(fields[0].c_str(), nullptr, 16));
}

std::int32_t ParseSigned(const std::string& field) { return msvc::strtol(field.c_str(), nullptr, 10); }
std::uint32_t ParseUnsigned(const std::string& field) { return msvc::strtoul(field.c_str(), nullptr, 10); }
// A double beyond the float range becomes an infinity, as the conversion would round it.
float ParseFloat(const std::string& field)
{
    const double value = msvc::atof(field.c_str());
    if (value > std::numeric_limits<float>::max()) {
        return std::numeric_limits<float>::infinity();
    }
    if (value < -std::numeric_limits<float>::max()) {
        return -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

// The 8- and 16-bit fields are read as a signed 32-bit number and narrowed.
template <typename T>
T ParseNarrow(const std::string& field)
{
    return static_cast<T>(ParseSigned(field));
}
bool ParseBool(const std::string& field) { return ParseSigned(field) != 0; }
double ParseDouble(const std::string& field) { return msvc::atof(field.c_str()); }
std::uint64_t ParseU64(const std::string& field) { return _strtoui64(field.c_str(), nullptr, 10); }
std::int64_t ParseS64(const std::string& field) { return _strtoi64(field.c_str(), nullptr, 10); }

char EscapedChar(char c)
{
    switch (c) {
    case 'f': return '\f';
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    case 'v': return '\v';
    default: return c;
    }
}

// The text between a leading double quote and the first unescaped one (or the end); empty
// when the text does not start with a quote. Steps over double-byte characters whole, so a
// second byte equal to a backslash or quote is never taken for one.
std::string UnquoteNarrow(const std::string& text)
{
    std::string result;
    if (text.empty() || text[0] != '"') {
        return result;
    }
    std::size_t i = 1;
    while (i < text.size()) {
        const char c = text[i];
        if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < text.size()) {
            result.append(text, i, 2);
            i += 2;
            continue;
        }
        if (c == '"') {
            break;
        }
        if (c == '\\') {
            if (i + 1 >= text.size()) {
                break;
            }
            const char next = text[i + 1];
            if (IsDBCSLeadByte(static_cast<BYTE>(next)) && i + 2 < text.size()) {
                result.append(text, i + 1, 2);
                i += 3;
                continue;
            }
            result.push_back(EscapedChar(next));
            i += 2;
            continue;
        }
        result.push_back(c);
        ++i;
    }
    return result;
}

std::u16string UnquoteWideText(const std::u16string& text)
{
    std::u16string result;
    if (text.empty() || text[0] != u'"') {
        return result;
    }
    std::size_t i = 1;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (c == u'"') {
            break;
        }
        if (c == u'\\') {
            if (i + 1 >= text.size()) {
                break;
            }
            const char16_t next = text[i + 1];
            result.push_back(next < 0x80 ? static_cast<char16_t>(EscapedChar(static_cast<char>(next))) : next);
            i += 2;
            continue;
        }
        result.push_back(c);
        ++i;
    }
    return result;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Reader

GxContentTextReader::GxContentTextReader(const GxBinBuffer& buffer, bool verbose) : GxContentReaderBase(verbose)
{
    SetRange(buffer.GetData(), buffer.GetSize());
}

void GxContentTextReader::SetRange(const void* data, std::uint32_t size)
{
    m_Position = static_cast<const BYTE*>(data);
    m_End = m_Position != nullptr ? m_Position + size : nullptr;
    // No line reaches past a zero byte, so the data ends there: the bytes left then bound the
    // counts read from it.
    if (m_Position != nullptr) {
        if (const void* zero = std::memchr(m_Position, 0, size)) {
            m_End = static_cast<const BYTE*>(zero);
        }
    }
}

void GxContentTextReader::Fail(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    CountFailure("", format, args);
    va_end(args);
}

bool GxContentTextReader::IsEnd()
{
    return m_Position >= m_End || *m_Position == 0;
}

GxContentTextReader::Fields GxContentTextReader::ReadFields()
{
    return SplitFields(ScanLine(m_Position, m_End, m_LineCounter));
}

int GxContentTextReader::PeekValueType()
{
    const BYTE* position = m_Position;
    std::int32_t lineCounter = m_LineCounter;
    return ParseCode(SplitFields(ScanLine(position, m_End, lineCounter)));
}

bool GxContentTextReader::ReadHeader(const char* name, std::uint32_t* version)
{
    const Fields fields = ReadFields();
    const char* requested = NameOrEmpty(name);
    if (fields.size() < 2 || fields[0] != requested) {
        Fail("GxContentTextReader/FileHeader Isn't %s Line=%d\n", requested, m_LineCounter);
        return false;
    }
    m_Version = static_cast<std::uint32_t>(ParseSigned(fields[1]));
    if (version != nullptr) {
        *version = m_Version;
    }
    return true;
}

bool GxContentTextReader::CheckName(const Fields& fields, const char* name, const char* prefix)
{
    if (m_NameCheck != 1) {
        return true;
    }
    const std::string stored = fields.size() > 1 ? fields[1] : std::string();
    if (stored != NameOrEmpty(name)) {
        Fail("%sValueName does not match Line=%d\n", prefix, m_LineCounter);
        return false;
    }
    return true;
}

bool GxContentTextReader::TakeValueLine(int code, const char* name, std::size_t fieldCount, Fields* fields,
                                        const char* prefix)
{
    *fields = ReadFields();
    if (ParseCode(*fields) != code) {
        Fail("%sValueType Isn't %s Line=%d\n", prefix, GetValueTypeName(code), m_LineCounter);
        return false;
    }
    if (!CheckName(*fields, name, prefix)) {
        return false;
    }
    // A cut or hand-edited line must not be read past its last field.
    if (fields->size() < fieldCount) {
        Fail("%sValue Fields Missing Line=%d\n", prefix, m_LineCounter);
        return false;
    }
    return true;
}

template <typename T, typename Parse>
bool GxContentTextReader::ReadFieldValues(int code, const char* name, std::initializer_list<T*> targets, Parse parse,
                                          const char* prefix)
{
    Fields f;
    if (!TakeValueLine(code, name, 2 + targets.size(), &f, prefix)) {
        return false;
    }
    std::size_t field = 2;
    for (T* target : targets) {
        *target = parse(f[field++]);
    }
    return true;
}

bool GxContentTextReader::ReadBit32(const char* name, GxBit32* value)
{
    return ReadFieldValues(VALTYPE_GxBit32, name, {&value->m_Bits}, ParseUnsigned, kBit32Prefix);
}

bool GxContentTextReader::ReadPoint4(const char* name, GxPoint4* value)
{
    return ReadFieldValues(VALTYPE_GxPoint4, name, {&value->x, &value->y, &value->z, &value->w}, ParseSigned);
}

bool GxContentTextReader::ReadPoint3(const char* name, GxPoint3* value)
{
    return ReadFieldValues(VALTYPE_GxPoint3, name, {&value->x, &value->y, &value->z}, ParseSigned);
}

bool GxContentTextReader::ReadPoint2(const char* name, GxPoint2* value)
{
    return ReadFieldValues(VALTYPE_GxPoint2, name, {&value->x, &value->y}, ParseSigned);
}

bool GxContentTextReader::ReadFRect(const char* name, GxFRect* value)
{
    return ReadFieldValues(VALTYPE_GxFRect, name, {&value->left, &value->top, &value->right, &value->bottom},
                           ParseFloat);
}

bool GxContentTextReader::ReadRect(const char* name, GxRect* value)
{
    return ReadFieldValues(VALTYPE_GxRect, name, {&value->left, &value->top, &value->right, &value->bottom},
                           ParseSigned);
}

bool GxContentTextReader::ReadMatrix(const char* name, GxMatrix* value)
{
    float* m = value->m;
    return ReadFieldValues(VALTYPE_GxMatrix, name,
                           {&m[0], &m[1], &m[2], &m[3], &m[4], &m[5], &m[6], &m[7], &m[8], &m[9], &m[10], &m[11],
                            &m[12], &m[13], &m[14], &m[15]},
                           ParseFloat);
}

bool GxContentTextReader::ReadFColor(const char* name, GxFColor* value)
{
    return ReadFieldValues(VALTYPE_GxFColor, name, {&value->r, &value->g, &value->b, &value->a}, ParseFloat);
}

bool GxContentTextReader::ReadQuat(const char* name, GxQuat* value)
{
    return ReadFieldValues(VALTYPE_GxQuat, name, {&value->x, &value->y, &value->z, &value->w}, ParseFloat);
}

bool GxContentTextReader::ReadVector4(const char* name, GxVector4* value)
{
    return ReadFieldValues(VALTYPE_GxVector4, name, {&value->x, &value->y, &value->z, &value->w}, ParseFloat);
}

bool GxContentTextReader::ReadVector3(const char* name, GxVector3* value)
{
    return ReadFieldValues(VALTYPE_GxVector3, name, {&value->x, &value->y, &value->z}, ParseFloat);
}

bool GxContentTextReader::ReadVector2(const char* name, GxVector2* value)
{
    return ReadFieldValues(VALTYPE_GxVector2, name, {&value->x, &value->y}, ParseFloat);
}

bool GxContentTextReader::ReadBool(const char* name, bool* value)
{
    return ReadFieldValues(VALTYPE_GxBool, name, {value}, ParseBool);
}

bool GxContentTextReader::ReadF64(const char* name, double* value)
{
    return ReadFieldValues(VALTYPE_GxF64, name, {value}, ParseDouble);
}

bool GxContentTextReader::ReadF32(const char* name, float* value)
{
    return ReadFieldValues(VALTYPE_GxF32, name, {value}, ParseFloat);
}

bool GxContentTextReader::ReadU64(const char* name, std::uint64_t* value)
{
    return ReadFieldValues(VALTYPE_GxU64, name, {value}, ParseU64);
}

bool GxContentTextReader::ReadS64(const char* name, std::int64_t* value)
{
    return ReadFieldValues(VALTYPE_GxS64, name, {value}, ParseS64);
}

bool GxContentTextReader::ReadU32(const char* name, std::uint32_t* value)
{
    return ReadFieldValues(VALTYPE_GxU32, name, {value}, ParseUnsigned);
}

bool GxContentTextReader::ReadS32(const char* name, std::int32_t* value)
{
    return ReadFieldValues(VALTYPE_GxS32, name, {value}, ParseSigned);
}

bool GxContentTextReader::ReadU16(const char* name, std::uint16_t* value)
{
    return ReadFieldValues(VALTYPE_GxU16, name, {value}, ParseNarrow<std::uint16_t>);
}

bool GxContentTextReader::ReadS16(const char* name, std::int16_t* value)
{
    return ReadFieldValues(VALTYPE_GxS16, name, {value}, ParseNarrow<std::int16_t>);
}

bool GxContentTextReader::ReadU8(const char* name, std::uint8_t* value)
{
    return ReadFieldValues(VALTYPE_GxU8, name, {value}, ParseNarrow<std::uint8_t>);
}

bool GxContentTextReader::ReadS8(const char* name, std::int8_t* value)
{
    return ReadFieldValues(VALTYPE_GxS8, name, {value}, ParseNarrow<std::int8_t>);
}

bool GxContentTextReader::TakeStringField(const char* name, int* code, std::string* field)
{
    const Fields f = ReadFields();
    *code = ParseCode(f);
    if (*code != VALTYPE_GxStringSJIS && *code != VALTYPE_GxStringUTF8) {
        Fail("GxContentTextReader/ValueType Isn't VALTYPE_GxStringSJIS or VALTYPE_GxStringUTF8 Line=%d\n",
             m_LineCounter);
        return false;
    }
    if (!CheckName(f, name, kTextPrefix)) {
        return false;
    }
    if (f.size() < 4) {
        Fail("GxContentTextReader/Value Fields Missing Line=%d\n", m_LineCounter);
        return false;
    }
    *field = f[3];
    return true;
}

std::string GxContentTextReader::ReadString(const char* name)
{
    int code = 0;
    std::string field;
    if (!TakeStringField(name, &code, &field)) {
        return {};
    }
    if (code == VALTYPE_GxStringUTF8) {
        field = WideToMultiByte(Utf8ToWide(field));
    }
    return UnquoteNarrow(field);
}

std::u16string GxContentTextReader::ReadWString(const char* name)
{
    int code = 0;
    std::string field;
    if (!TakeStringField(name, &code, &field)) {
        return {};
    }
    return UnquoteWideText(code == VALTYPE_GxStringUTF8 ? Utf8ToWide(field) : MultiByteToWide(field));
}

bool GxContentTextReader::ReadBinary(const char* name, GxBinBuffer& buffer)
{
    Fields f;
    if (!TakeValueLine(VALTYPE_GxBinary, name, 3, &f)) {
        return false;
    }
    // Every byte takes two digits, so a length beyond half the remaining text cannot be true.
    const std::int32_t length = ParseSigned(f[2]);
    const std::size_t remaining = static_cast<std::size_t>(m_End - m_Position);
    if (length < 0 || static_cast<std::size_t>(length) > remaining / 2) {
        Fail("GxContentTextReader/Binary Length Error(%d) Line=%d\n", length, m_LineCounter);
        return false;
    }
    const auto size = static_cast<std::uint32_t>(length);
    BYTE* data = buffer.Allocate(size);
    if (size != 0 && data == nullptr) {
        Fail("GxContentTextReader/Binary Allocate Failed(%u Bytes) Line=%d\n", size, m_LineCounter);
        return false;
    }
    const std::uint32_t lines = (size + kBlockBytesPerLine - 1) / kBlockBytesPerLine;
    for (std::uint32_t k = 0; k < lines; ++k) {
        const std::string line = ScanLine(m_Position, m_End, m_LineCounter);
        // Digits past 32 bytes or past the declared length are ignored.
        const std::uint32_t lineStart = k * kBlockBytesPerLine;
        const std::uint32_t pairs = std::min<std::uint32_t>(
            {static_cast<std::uint32_t>(line.size() / 2), kBlockBytesPerLine, size - lineStart});
        for (std::uint32_t j = 0; j < pairs; ++j) {
            const char pair[3] = {line[2 * j], line[2 * j + 1], '\0'};
            data[lineStart + j] = static_cast<BYTE>(msvc::strtol(pair, nullptr, 16));
        }
    }
    return true;
}

bool GxContentTextReader::ReadListBegin(const char* name, std::uint32_t* count)
{
    Fields f;
    if (!TakeValueLine(VALTYPE_ListBegin, name, 4, &f)) {
        return false;
    }
    *count = ParseUnsigned(f[3]);
    return true;
}

bool GxContentTextReader::ReadTreeBegin(const char* name)
{
    Fields f;
    return TakeValueLine(VALTYPE_TreeBegin, name, 0, &f);
}

bool GxContentTextReader::ReadDelimiter(int code)
{
    if (ParseCode(ReadFields()) != code) {
        Fail("GxContentTextReader/ValueType Isn't %s Line=%d\n", GetValueTypeName(code), m_LineCounter);
        return false;
    }
    return true;
}

bool GxContentTextReader::ReadListEnd() { return ReadDelimiter(VALTYPE_ListEnd); }
bool GxContentTextReader::ReadTreeEnd() { return ReadDelimiter(VALTYPE_TreeEnd); }
bool GxContentTextReader::ReadTreeStratumBegin() { return ReadDelimiter(VALTYPE_TreeStratumBegin); }
bool GxContentTextReader::ReadTreeStratumEnd() { return ReadDelimiter(VALTYPE_TreeStratumEnd); }

bool GxContentTextReader::SkipValue()
{
    const Fields f = ReadFields();
    if (ParseCode(f) == VALTYPE_GxBinary && f.size() > 2) {
        const std::int32_t length = ParseSigned(f[2]);
        // Stops at the end of the data, however large the stored length.
        for (std::int64_t lines = (std::int64_t{length} + 31) / 32; lines > 0 && !IsEnd(); --lines) {
            ScanLine(m_Position, m_End, m_LineCounter);
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Writer

bool GxContentTextWriter::PrintLine(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = _vscprintf(format, measure);
    va_end(measure);
    if (length < 0) {
        va_end(args);
        return false;
    }
    std::string line(static_cast<std::size_t>(length) + 1, '\0');
    _vsnprintf(line.data(), line.size(), format, args);
    va_end(args);
    line.resize(static_cast<std::size_t>(length));
    return Output(line);
}

bool GxContentTextWriter::WriteHeader(const char* name, std::uint32_t version)
{
    if (!HeaderNameFits(name)) {
        LogPrint(u"GxContentTextWriter/Header String Too Long(Limit=%d Chars)\n", kContentHeaderNameLimit);
        return false;
    }
    m_Version = version;
    return PrintLine("%s\t%u\n", name, version);
}

bool GxContentTextWriter::WriteBit32(const char* name, const GxBit32* value)
{
    return PrintLine("%02x\t%s\t%u\n", VALTYPE_GxBit32, NameOrEmpty(name), value->m_Bits);
}

bool GxContentTextWriter::WritePoint4(const char* name, const GxPoint4* v)
{
    return PrintLine("%02x\t%s\t%d\t%d\t%d\t%d\n", VALTYPE_GxPoint4, NameOrEmpty(name), v->x, v->y, v->z, v->w);
}

bool GxContentTextWriter::WritePoint3(const char* name, const GxPoint3* v)
{
    return PrintLine("%02x\t%s\t%d\t%d\t%d\n", VALTYPE_GxPoint3, NameOrEmpty(name), v->x, v->y, v->z);
}

bool GxContentTextWriter::WritePoint2(const char* name, const GxPoint2* v)
{
    return PrintLine("%02x\t%s\t%d\t%d\n", VALTYPE_GxPoint2, NameOrEmpty(name), v->x, v->y);
}

bool GxContentTextWriter::WriteFRect(const char* name, const GxFRect* v)
{
    return PrintLine("%02x\t%s\t%f\t%f\t%f\t%f\n", VALTYPE_GxFRect, NameOrEmpty(name), double{v->left},
                     double{v->top}, double{v->right}, double{v->bottom});
}

bool GxContentTextWriter::WriteRect(const char* name, const GxRect* v)
{
    return PrintLine("%02x\t%s\t%d\t%d\t%d\t%d\n", VALTYPE_GxRect, NameOrEmpty(name), v->left, v->top, v->right,
                     v->bottom);
}

bool GxContentTextWriter::WriteMatrix(const char* name, const GxMatrix* v)
{
    const float* m = v->m;
    return PrintLine("%02x\t%s\t%f\t%f\t%f\t%f\t%f\t%f\t%f\t%f\t%f\t%f\t%f\t%f\t%f\t%f\t%f\t%f\n", VALTYPE_GxMatrix,
                     NameOrEmpty(name), double{m[0]}, double{m[1]}, double{m[2]}, double{m[3]}, double{m[4]},
                     double{m[5]}, double{m[6]}, double{m[7]}, double{m[8]}, double{m[9]}, double{m[10]},
                     double{m[11]}, double{m[12]}, double{m[13]}, double{m[14]}, double{m[15]});
}

bool GxContentTextWriter::WriteFColor(const char* name, const GxFColor* v)
{
    return PrintLine("%02x\t%s\t%f\t%f\t%f\t%f\n", VALTYPE_GxFColor, NameOrEmpty(name), double{v->r}, double{v->g},
                     double{v->b}, double{v->a});
}

bool GxContentTextWriter::WriteQuat(const char* name, const GxQuat* v)
{
    return PrintLine("%02x\t%s\t%f\t%f\t%f\t%f\n", VALTYPE_GxQuat, NameOrEmpty(name), double{v->x}, double{v->y},
                     double{v->z}, double{v->w});
}

bool GxContentTextWriter::WriteVector4(const char* name, const GxVector4* v)
{
    return PrintLine("%02x\t%s\t%f\t%f\t%f\t%f\n", VALTYPE_GxVector4, NameOrEmpty(name), double{v->x},
                     double{v->y}, double{v->z}, double{v->w});
}

bool GxContentTextWriter::WriteVector3(const char* name, const GxVector3* v)
{
    return PrintLine("%02x\t%s\t%f\t%f\t%f\n", VALTYPE_GxVector3, NameOrEmpty(name), double{v->x}, double{v->y},
                     double{v->z});
}

bool GxContentTextWriter::WriteVector2(const char* name, const GxVector2* v)
{
    return PrintLine("%02x\t%s\t%f\t%f\n", VALTYPE_GxVector2, NameOrEmpty(name), double{v->x}, double{v->y});
}

bool GxContentTextWriter::WriteBool(const char* name, bool value)
{
    return PrintLine("%02x\t%s\t%u\n", VALTYPE_GxBool, NameOrEmpty(name), value ? 1u : 0u);
}

bool GxContentTextWriter::WriteF64(const char* name, double value)
{
    return PrintLine("%02x\t%s\t%f\n", VALTYPE_GxF64, NameOrEmpty(name), value);
}

bool GxContentTextWriter::WriteF32(const char* name, float value)
{
    return PrintLine("%02x\t%s\t%f\n", VALTYPE_GxF32, NameOrEmpty(name), double{value});
}

bool GxContentTextWriter::WriteU64(const char* name, std::uint64_t value)
{
    return PrintLine("%02x\t%s\t%llu\n", VALTYPE_GxU64, NameOrEmpty(name), static_cast<unsigned long long>(value));
}

bool GxContentTextWriter::WriteS64(const char* name, std::int64_t value)
{
    return PrintLine("%02x\t%s\t%lld\n", VALTYPE_GxS64, NameOrEmpty(name), static_cast<long long>(value));
}

bool GxContentTextWriter::WriteU32(const char* name, std::uint32_t value)
{
    return PrintLine("%02x\t%s\t%u\n", VALTYPE_GxU32, NameOrEmpty(name), value);
}

bool GxContentTextWriter::WriteS32(const char* name, std::int32_t value)
{
    return PrintLine("%02x\t%s\t%d\n", VALTYPE_GxS32, NameOrEmpty(name), value);
}

bool GxContentTextWriter::WriteU16(const char* name, std::uint16_t value)
{
    return PrintLine("%02x\t%s\t%u\n", VALTYPE_GxU16, NameOrEmpty(name), unsigned{value});
}

bool GxContentTextWriter::WriteS16(const char* name, std::int16_t value)
{
    return PrintLine("%02x\t%s\t%d\n", VALTYPE_GxS16, NameOrEmpty(name), int{value});
}

bool GxContentTextWriter::WriteU8(const char* name, std::uint8_t value)
{
    return PrintLine("%02x\t%s\t%u\n", VALTYPE_GxU8, NameOrEmpty(name), unsigned{value});
}

bool GxContentTextWriter::WriteS8(const char* name, std::int8_t value)
{
    return PrintLine("%02x\t%s\t%d\n", VALTYPE_GxS8, NameOrEmpty(name), int{value});
}

bool GxContentTextWriter::WriteEscaped(const char* name, std::u16string_view text)
{
    std::u16string escaped;
    escaped.reserve(text.size());
    for (const char16_t c : text) {
        switch (c) {
        case u'\\': escaped += u"\\\\"; break;
        case u'\n': escaped += u"\\n"; break;
        case u'\r': escaped += u"\\r"; break;
        case u'\f': escaped += u"\\f"; break;
        case u'\t': escaped += u"\\t"; break;
        case u'"': escaped += u"\\\""; break;
        case u'\'': escaped += u"\\'"; break;
        default: escaped.push_back(c); break;
        }
    }
    const std::string utf8 = WideToUtf8(escaped);
    return PrintLine("%02x\t%s\t%u\t\"%s\"\n", VALTYPE_GxStringUTF8, NameOrEmpty(name),
                     static_cast<unsigned>(utf8.size()), utf8.c_str());
}

bool GxContentTextWriter::WriteWString(const char* name, const char16_t* text)
{
    return WriteEscaped(name, text != nullptr ? std::u16string_view(text) : std::u16string_view());
}

bool GxContentTextWriter::WriteString(const char* name, const char* text)
{
    return WriteEscaped(name, MultiByteToWide(text != nullptr ? std::string_view(text) : std::string_view()));
}

bool GxContentTextWriter::WriteBinary(const char* name, const void* data, std::uint32_t length)
{
    if (data == nullptr && length != 0) {
        return false;
    }
    bool ok = PrintLine("%02x\t%s\t%u\n", VALTYPE_GxBinary, NameOrEmpty(name), length);
    static constexpr char kDigits[] = "0123456789abcdef";
    const auto* bytes = static_cast<const BYTE*>(data);
    std::string line;
    for (std::uint32_t start = 0; start < length; start += kBlockBytesPerLine) {
        const std::uint32_t count = std::min(kBlockBytesPerLine, length - start);
        line.clear();
        for (std::uint32_t i = 0; i < count; ++i) {
            line.push_back(kDigits[bytes[start + i] >> 4]);
            line.push_back(kDigits[bytes[start + i] & 0x0F]);
        }
        line.push_back('\n');
        ok = Output(line) && ok;
    }
    return ok;
}

bool GxContentTextWriter::WriteListBegin(const char* name, const char* label, std::uint32_t count)
{
    return PrintLine("%02x\t%s\t%s\t%u\t{\n", VALTYPE_ListBegin, NameOrEmpty(name), NameOrEmpty(label), count);
}

bool GxContentTextWriter::WriteListEnd() { return PrintLine("%02x\t}\n", VALTYPE_ListEnd); }

bool GxContentTextWriter::WriteTreeBegin(const char* name, const char* label)
{
    return PrintLine("%02x\t%s\t%s\t{\n", VALTYPE_TreeBegin, NameOrEmpty(name), NameOrEmpty(label));
}

bool GxContentTextWriter::WriteTreeEnd() { return PrintLine("%02x\t}\n", VALTYPE_TreeEnd); }
bool GxContentTextWriter::WriteTreeStratumBegin() { return PrintLine("%02x\t{\n", VALTYPE_TreeStratumBegin); }
bool GxContentTextWriter::WriteTreeStratumEnd() { return PrintLine("%02x\t}\n", VALTYPE_TreeStratumEnd); }
