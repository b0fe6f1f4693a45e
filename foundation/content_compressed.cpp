#include "foundation/content_compressed.h"

#include <zlib.h>

#include <cstring>

namespace {

constexpr std::uint32_t kHeaderBytes = 28;
constexpr std::uint32_t kNameBytes = 16;

std::uint32_t LittleEndian32(const BYTE* bytes)
{
    return std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) | (std::uint32_t{bytes[2]} << 16) |
           (std::uint32_t{bytes[3]} << 24);
}

}  // namespace

GxContentCompressedBinaryReader::GxContentCompressedBinaryReader(const GxBinBuffer& buffer, bool verbose)
    : GxContentBinaryReader(verbose, "GxContentCompressedBinaryReader/")
{
    SetRange(buffer.GetData(), buffer.GetSize());
}

void GxContentCompressedBinaryReader::SetRange(const void* data, std::uint32_t size)
{
    m_Source = static_cast<const BYTE*>(data);
    m_SourceSize = m_Source != nullptr ? size : 0;
}

bool GxContentCompressedBinaryReader::ReadHeader(const char* name, std::uint32_t* version)
{
    if (m_SourceSize < kHeaderBytes) {
        Fail("Header Size Error\n");
        return false;
    }
    char stored[kNameBytes];
    std::memcpy(stored, m_Source, kNameBytes);
    stored[kNameBytes - 1] = '\0';
    const char* requested = name != nullptr ? name : "";
    if (std::strcmp(stored, requested) != 0) {
        Fail("FileHeader Isn't %s\n", requested);
        return false;
    }

    // The announced size is allocated before anything is decompressed: refuse what no stream
    // of this length could produce.
    const std::uint32_t bodySize = LittleEndian32(m_Source + 20);
    const std::uint32_t streamSize = m_SourceSize - kHeaderBytes;
    if (bodySize > kMaxBodySize || std::uint64_t{bodySize} > std::uint64_t{streamSize} * kMaxExpansion) {
        Fail("Header Size Error\n");
        return false;
    }

    m_Version = LittleEndian32(m_Source + 16);
    if (version != nullptr) {
        *version = m_Version;
    }

    BYTE* body = m_Body.Allocate(bodySize);
    if (bodySize != 0 && body == nullptr) {
        Fail("Header Size Error\n");
        SetReadRange(nullptr, 0);
        return false;
    }
    uLongf bodyLength = bodySize;
    const int result = uncompress(body, &bodyLength, m_Source + kHeaderBytes, streamSize);
    if (result != Z_OK) {
        Fail("Uncompress Failed Code(%d)\n", result);
    }
    // The whole announced size is readable: bytes the stream did not fill stay zero.
    SetReadRange(body, bodySize);
    return true;
}
