// Fuzz target: a light table read from a content record: binary form when the six-byte header
// name is followed by a NUL (as the binary writer pads it), text form otherwise.
#include "graphics/light.h"

#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"
#include "foundation/content_text.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    GxBinBuffer buffer;
    BYTE* bytes = buffer.Allocate(static_cast<std::uint32_t>(size));
    if (bytes && size) std::memcpy(bytes, data, size);
    std::unique_ptr<GxContentReaderBase> reader;
    if (size <= 6 || data[6] != 0)
        reader = std::make_unique<GxContentTextReader>(buffer, false);
    else
        reader = std::make_unique<GxContentBinaryReader>(buffer, false);
    reader->ReadHeader("LIGHTS", nullptr);
    auto table = std::make_unique<GxLightTable>();
    if (table->Read(*reader)) {
        // What was accepted stays inside the table.
        if (table->m_PointLightCount < 0 || table->m_PointLightCount > GxLightTable::kMaxLights ||
            table->m_SpotLightCount < 0 || table->m_SpotLightCount > GxLightTable::kMaxLights)
            __builtin_trap();
    }
    return 0;
}
