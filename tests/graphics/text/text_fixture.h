// Shared set-up for the text tests: a headless device on the built-in virtual adapter, error
// and warning lines captured, and pixel access to textures through their own lock.
#pragma once

#include "foundation/log.h"
#include "graphics/graphics.h"
#include "graphics/texture.h"
#include "platform/d3d9/virtual_adapter.h"
#include "platform/win32/message_box.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace texttest {

inline HWND FakeWindow()
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234));
}

class LogCapture : public GxDebugListenerBase {
public:
    int Output(const char16_t* text, std::int32_t) override
    {
        lines.emplace_back(text);
        return 0;
    }
    bool Contains(std::u16string_view part) const
    {
        for (const std::u16string& line : lines)
            if (line.find(part) != std::u16string::npos) return true;
        return false;
    }
    std::vector<std::u16string> lines;
};

// The pixels of level 0, row by row: 32-bit values as they are, 16-bit ones zero-extended.
struct Pixels {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> values;

    std::uint32_t At(std::uint32_t x, std::uint32_t y) const { return values[y * width + x]; }
    // Pixels that differ from `background`.
    std::size_t CountNot(std::uint32_t background) const
    {
        std::size_t count = 0;
        for (std::uint32_t value : values) count += value != background;
        return count;
    }
};

inline Pixels ReadPixels(GxTexture& texture)
{
    Pixels pixels;
    void* bits = nullptr;
    std::int32_t pitch = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    if (!texture.LockRect(nullptr, &bits, &pitch, &pixels.width, &pixels.height, &format, true)) {
        ADD_FAILURE() << "the texture cannot be locked";
        return pixels;
    }
    const std::uint32_t bytes = (format == D3DFMT_A4R4G4B4 || format == D3DFMT_X4R4G4B4) ? 2 : 4;
    pixels.values.resize(static_cast<std::size_t>(pixels.width) * pixels.height);
    for (std::uint32_t y = 0; y < pixels.height; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y) * pitch;
        for (std::uint32_t x = 0; x < pixels.width; ++x) {
            std::uint32_t value = 0;
            std::memcpy(&value, row + x * bytes, bytes);
            pixels.values[static_cast<std::size_t>(y) * pixels.width + x] = value;
        }
    }
    texture.UnlockRect();
    return pixels;
}

class TextDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LogSetSink(&log);
        platform::SetMessageBoxHeadless(true);
        GxGraphics::GetDisplaySettings() = GxDisplaySettings{};
        platform::d3d9::SetVirtualAdapter(adapter);
        ASSERT_TRUE(GxGraphics::CreateDevice(FakeWindow(), nullptr, nullptr, nullptr));
    }

    void TearDown() override
    {
        GxGraphics::Release();
        GxGraphics::GetDisplaySettings() = GxDisplaySettings{};
        platform::d3d9::ResetVirtualAdapter();
        platform::ClearShownMessageBoxes();
        LogSetSink(nullptr);
    }

    platform::d3d9::VirtualAdapter adapter = platform::d3d9::DefaultVirtualAdapter();
    LogCapture log;
};

}  // namespace texttest
