// Fuzz target: the DDS reader of the D3DX image functions.
#include "tests/fuzz/fuzz_image_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzImageReader(data, size, platform::d3dx::ReadDds);
}
