// Compressed content form, read only: a 28-byte header (16-byte name, then the version and the
// decompressed size, both little-endian, then 4 reserved bytes) followed by one zlib stream whose
// decompressed bytes are values exactly as in the binary form.
#pragma once

#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"

#include <cstdint>

class GxContentCompressedBinaryReader : public GxContentBinaryReader {
public:
    // Largest decompressed body accepted, whatever the header announces.
    static constexpr std::uint32_t kMaxBodySize = 256u * 1024u * 1024u;
    // zlib cannot expand a stream by more than this factor.
    static constexpr std::uint32_t kMaxExpansion = 1032u;

    // The source is the buffer's bytes, which must stay valid until ReadHeader.
    GxContentCompressedBinaryReader(const GxBinBuffer& buffer, bool verbose);
    ~GxContentCompressedBinaryReader() override = default;

    // Replaces the compressed source; takes effect with the next ReadHeader.
    void SetRange(const void* data, std::uint32_t size) override;
    // Checks the header and decompresses the whole body; values are read from it afterwards.
    // A failed decompression still returns true: the error count and the reads that follow
    // show it.
    bool ReadHeader(const char* name, std::uint32_t* version) override;

private:
    const BYTE* m_Source = nullptr;
    std::uint32_t m_SourceSize = 0;
    GxBinBuffer m_Body;
};
