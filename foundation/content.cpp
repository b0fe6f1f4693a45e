#include "foundation/content.h"

#include "foundation/log.h"

#include <cstring>

const char* GetValueTypeName(int code)
{
    switch (code) {
    case VALTYPE_GxS8: return "VALTYPE_GxS8";
    case VALTYPE_GxU8: return "VALTYPE_GxU8";
    case VALTYPE_GxS16: return "VALTYPE_GxS16";
    case VALTYPE_GxU16: return "VALTYPE_GxU16";
    case VALTYPE_GxS32: return "VALTYPE_GxS32";
    case VALTYPE_GxU32: return "VALTYPE_GxU32";
    case VALTYPE_GxS64: return "VALTYPE_GxS64";
    case VALTYPE_GxU64: return "VALTYPE_GxU64";
    case VALTYPE_GxF32: return "VALTYPE_GxF32";
    case VALTYPE_GxF64: return "VALTYPE_GxF64";
    case VALTYPE_GxBool: return "VALTYPE_GxBool";
    case VALTYPE_GxVector2: return "VALTYPE_GxVector2";
    case VALTYPE_GxVector3: return "VALTYPE_GxVector3";
    case VALTYPE_GxVector4: return "VALTYPE_GxVector4";
    case VALTYPE_GxQuat: return "VALTYPE_GxQuat";
    case VALTYPE_GxFColor: return "VALTYPE_GxFColor";
    case VALTYPE_GxMatrix: return "VALTYPE_GxMatrix";
    case VALTYPE_GxRect: return "VALTYPE_GxRect";
    case VALTYPE_GxFRect: return "VALTYPE_GxFRect";
    case VALTYPE_GxBit32: return "VALTYPE_GxBit32";
    case VALTYPE_GxStringSJIS: return "VALTYPE_GxStringSJIS";
    case VALTYPE_GxStringUTF8: return "VALTYPE_GxStringUTF8";
    case VALTYPE_GxBinary: return "VALTYPE_GxBinary";
    case VALTYPE_ListBegin: return "VALTYPE_ListBegin";
    case VALTYPE_ListEnd: return "VALTYPE_ListEnd";
    case VALTYPE_TreeBegin: return "VALTYPE_TreeBegin";
    case VALTYPE_TreeEnd: return "VALTYPE_TreeEnd";
    case VALTYPE_TreeStratumBegin: return "VALTYPE_TreeStratumBegin";
    case VALTYPE_TreeStratumEnd: return "VALTYPE_TreeStratumEnd";
    case VALTYPE_GxPoint2: return "VALTYPE_GxPoint2";
    case VALTYPE_GxPoint3: return "VALTYPE_GxPoint3";
    case VALTYPE_GxPoint4: return "VALTYPE_GxPoint4";
    default: return "VALTYPE_Unknown";
    }
}

// The value types' own defaults are the ones the value-returning reads promise (zero, the
// identity quaternion, opaque white, the identity matrix).
#define TW_CONTENT_GET(Type, Suffix)           \
    Type GxContentReaderBase::Get##Suffix(const char* name) \
    {                                          \
        Type value{};                          \
        Read##Suffix(name, &value);            \
        return value;                          \
    }

TW_CONTENT_GET(std::int8_t, S8)
TW_CONTENT_GET(std::uint8_t, U8)
TW_CONTENT_GET(std::int16_t, S16)
TW_CONTENT_GET(std::uint16_t, U16)
TW_CONTENT_GET(std::int32_t, S32)
TW_CONTENT_GET(std::uint32_t, U32)
TW_CONTENT_GET(std::int64_t, S64)
TW_CONTENT_GET(std::uint64_t, U64)
TW_CONTENT_GET(float, F32)
TW_CONTENT_GET(double, F64)
TW_CONTENT_GET(bool, Bool)
TW_CONTENT_GET(GxVector2, Vector2)
TW_CONTENT_GET(GxVector3, Vector3)
TW_CONTENT_GET(GxVector4, Vector4)
TW_CONTENT_GET(GxQuat, Quat)
TW_CONTENT_GET(GxFColor, FColor)
TW_CONTENT_GET(GxMatrix, Matrix)
TW_CONTENT_GET(GxRect, Rect)
TW_CONTENT_GET(GxFRect, FRect)
TW_CONTENT_GET(GxPoint2, Point2)
TW_CONTENT_GET(GxPoint3, Point3)
TW_CONTENT_GET(GxPoint4, Point4)
TW_CONTENT_GET(GxBit32, Bit32)

#undef TW_CONTENT_GET

GxContentReaderBase::~GxContentReaderBase()
{
    if (m_UnloggedFailures > 0)
        LogPrintTagged("GxContentReader/%d more read errors not logged\n", m_UnloggedFailures);
}

void GxContentReaderBase::CountFailure(const char* prefix, const char* format, va_list args)
{
    ++m_ErrorCount;
    if (!m_Verbose) {
        return;
    }
    if (m_LoggedFailures >= kLoggedFailureLimit) {
        ++m_UnloggedFailures;
        return;
    }
    ++m_LoggedFailures;
    char message[1024];
    std::vsnprintf(message, sizeof(message), format, args);
    LogPrintTagged("%s%s", prefix, message);
}

void GxContentReaderBase::CountDamage(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    CountFailure("", format, args);
    va_end(args);
}

std::uint32_t GxContentReaderBase::ReadBoundedListCount(const char* name, const char* damageFormat)
{
    std::uint32_t count = 0;
    if (!ReadListBegin(name, &count))
        return 0;
    if (count > BytesLeft()) {
        CountDamage(damageFormat, name, count);
        return 0;
    }
    return count;
}

bool GxContentWriterBase::Flush()
{
    return m_File != nullptr && std::fflush(m_File) == 0;
}

bool GxContentWriterBase::Output(const void* data, std::size_t size)
{
    if (m_File == nullptr) {
        return false;
    }
    if (size == 0) {
        return true;
    }
    return std::fwrite(data, 1, size, m_File) == size;
}

bool GxContentWriterBase::HeaderNameFits(const char* name)
{
    return name != nullptr && std::strlen(name) <= static_cast<std::size_t>(kContentHeaderNameLimit);
}
