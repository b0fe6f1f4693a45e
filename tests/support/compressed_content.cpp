#include "tests/support/compressed_content.h"

#include <zlib.h>

namespace {

constexpr std::size_t kBinaryHeaderBytes = 20;

std::string LittleEndian(std::uint32_t value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

std::string Deflate(const std::string& body)
{
    uLongf size = compressBound(static_cast<uLong>(body.size()));
    std::string out(size, '\0');
    if (compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(body.data()),
                 static_cast<uLong>(body.size())) != Z_OK) {
        return std::string();
    }
    out.resize(size);
    return out;
}

}  // namespace

std::string CompressedContentRecord(const std::string& name, std::uint32_t version, const std::string& body,
                                    std::uint32_t announcedSize)
{
    std::string header = name;
    header.resize(16, '\0');
    const auto size = announcedSize != 0 ? announcedSize : static_cast<std::uint32_t>(body.size());
    return header + LittleEndian(version) + LittleEndian(size) + LittleEndian(0) + Deflate(body);
}

std::string CompressBinaryContent(const std::string& binaryFile, const std::string& name, std::uint32_t announcedSize)
{
    if (binaryFile.size() < kBinaryHeaderBytes) {
        return std::string();
    }
    // The binary header's version is big-endian.
    std::uint32_t version = 0;
    for (std::size_t i = 16; i < kBinaryHeaderBytes; ++i) {
        version = (version << 8) | static_cast<unsigned char>(binaryFile[i]);
    }
    return CompressedContentRecord(name, version, binaryFile.substr(kBinaryHeaderBytes), announcedSize);
}
