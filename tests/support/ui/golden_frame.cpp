#include "tests/support/ui/golden_frame.h"

#include "graphics/png_image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

GoldenFrame UpdateAndLoadGoldenFrame(const std::filesystem::path& path, std::uint32_t width, std::uint32_t height,
                                     const std::vector<std::uint32_t>& frame)
{
    if (std::getenv("TARNWICK_UPDATE_GOLDEN")) {
        std::error_code ignored;
        std::filesystem::create_directories(path.parent_path(), ignored);
        if (frame.size() != static_cast<std::size_t>(width) * height ||
            WritePngFile(path.u16string().c_str(), width, height, frame.data()) != 1)
            return GoldenFrame{};   // the test then finds no reference
    }
    GoldenFrame golden;
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::uint8_t* decoded = DecodePngMemory(bytes.data(), bytes.size(), &golden.m_Width, &golden.m_Height);
    if (!decoded) {
        golden.m_Width = golden.m_Height = 0;
        return golden;
    }
    golden.m_Pixels.resize(static_cast<std::size_t>(golden.m_Width) * golden.m_Height);
    std::memcpy(golden.m_Pixels.data(), decoded, golden.m_Pixels.size() * 4);
    FreePngPixels(decoded);
    return golden;
}

std::size_t CountDifferingRgb(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b)
{
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t differing = std::max(a.size(), b.size()) - common;
    for (std::size_t i = 0; i < common; ++i)
        differing += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
    return differing;
}
