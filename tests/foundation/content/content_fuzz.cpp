#include "content_fuzz.h"

#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"
#include "foundation/content_compressed.h"
#include "foundation/content_text.h"

#include <cstring>

namespace {

// Reads one value by its code; unknown codes are skipped.
void ReadByCode(GxContentReaderBase& r, int code)
{
    switch (code) {
    case VALTYPE_GxS8: r.GetS8("n"); break;
    case VALTYPE_GxU8: r.GetU8("n"); break;
    case VALTYPE_GxS16: r.GetS16("n"); break;
    case VALTYPE_GxU16: r.GetU16("n"); break;
    case VALTYPE_GxS32: r.GetS32("n"); break;
    case VALTYPE_GxU32: r.GetU32("n"); break;
    case VALTYPE_GxS64: r.GetS64("n"); break;
    case VALTYPE_GxU64: r.GetU64("n"); break;
    case VALTYPE_GxF32: r.GetF32("n"); break;
    case VALTYPE_GxF64: r.GetF64("n"); break;
    case VALTYPE_GxBool: r.GetBool("n"); break;
    case VALTYPE_GxVector2: r.GetVector2("n"); break;
    case VALTYPE_GxVector3: r.GetVector3("n"); break;
    case VALTYPE_GxVector4: r.GetVector4("n"); break;
    case VALTYPE_GxQuat: r.GetQuat("n"); break;
    case VALTYPE_GxFColor: r.GetFColor("n"); break;
    case VALTYPE_GxMatrix: r.GetMatrix("n"); break;
    case VALTYPE_GxRect: r.GetRect("n"); break;
    case VALTYPE_GxFRect: r.GetFRect("n"); break;
    case VALTYPE_GxBit32: r.GetBit32("n"); break;
    case VALTYPE_GxStringSJIS: r.ReadString("n"); break;
    case VALTYPE_GxStringUTF8: r.ReadWString("n"); break;
    case VALTYPE_GxBinary: {
        GxBinBuffer block;
        r.ReadBinary("n", block);
        break;
    }
    case VALTYPE_ListBegin: {
        std::uint32_t count = 0;
        r.ReadListBegin("n", &count);
        break;
    }
    case VALTYPE_ListEnd: r.ReadListEnd(); break;
    case VALTYPE_TreeBegin: r.ReadTreeBegin("n"); break;
    case VALTYPE_TreeEnd: r.ReadTreeEnd(); break;
    case VALTYPE_TreeStratumBegin: r.ReadTreeStratumBegin(); break;
    case VALTYPE_TreeStratumEnd: r.ReadTreeStratumEnd(); break;
    case VALTYPE_GxPoint2: r.GetPoint2("n"); break;
    case VALTYPE_GxPoint3: r.GetPoint3("n"); break;
    case VALTYPE_GxPoint4: r.GetPoint4("n"); break;
    default: r.SkipValue(); break;
    }
}

void Drive(GxContentReaderBase& r, const char* header, const std::uint8_t* data, std::size_t size)
{
    r.SetNameCheck(size > 0 ? data[size - 1] & 1 : 1);
    std::uint32_t version = 0;
    r.ReadHeader(header, &version);
    // Every read consumes at least one byte or line, so this ends at the end of the data;
    // the step bound only keeps a single run short.
    for (int step = 0; step < 100000 && !r.IsEnd(); ++step) {
        int code = r.PeekValueType();
        if (step % 7 == 6 && size > 0) {
            code = data[static_cast<std::size_t>(step) % size] % 56;   // a mismatched read
        }
        ReadByCode(r, code);
    }
    r.SkipValue();
    r.GetS8("n");
}

void FillFromFuzzData(GxBinBuffer& buffer, const std::uint8_t* data, std::size_t size)
{
    BYTE* out = buffer.Allocate(static_cast<std::uint32_t>(size));
    if (out != nullptr && size != 0) {
        std::memcpy(out, data, size);
    }
}

}  // namespace

int FuzzContentTextReader(const std::uint8_t* data, std::size_t size)
{
    GxBinBuffer buffer;
    FillFromFuzzData(buffer, data, size);
    GxContentTextReader reader(buffer, false);
    Drive(reader, "TFZ", data, size);
    return 0;
}

int FuzzContentBinaryReader(const std::uint8_t* data, std::size_t size)
{
    GxBinBuffer buffer;
    FillFromFuzzData(buffer, data, size);
    GxContentBinaryReader reader(buffer, false);
    Drive(reader, "BFZ", data, size);
    return 0;
}

int FuzzContentCompressedReader(const std::uint8_t* data, std::size_t size)
{
    GxBinBuffer buffer;
    FillFromFuzzData(buffer, data, size);
    GxContentCompressedBinaryReader reader(buffer, false);
    Drive(reader, "ZFZ", data, size);
    return 0;
}
