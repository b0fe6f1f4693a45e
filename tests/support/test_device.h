// A headless graphics device for the tests of the layers above the graphics layer: made on the
// built-in virtual adapter exactly as the engine makes it (no wiring of its own), released when
// the object goes. What the code under test drew or cleared is read back from the back buffer,
// so tests observe the device itself instead of a recorder built into the engine.
// Header only: it links through the graphics layer of the test program that includes it.
#pragma once

#include "graphics/graphics.h"
#include "platform/d3d9/device_control.h"
#include "platform/d3d9/virtual_adapter.h"
#include "platform/win32/message_box.h"

#include <cstdint>
#include <vector>

class TestDevice {
public:
    TestDevice()
    {
        platform::SetMessageBoxHeadless(true);
        GxGraphics::GetDisplaySettings() = GxDisplaySettings{};
        platform::d3d9::SetVirtualAdapter(platform::d3d9::DefaultVirtualAdapter());
        // The device never looks at the window beyond its handle in the headless back end.
        m_Created = GxGraphics::CreateDevice(reinterpret_cast<HWND>(std::uintptr_t{0x7D0}), nullptr, nullptr, nullptr);
    }
    ~TestDevice()
    {
        GxGraphics::Release();
        GxGraphics::GetDisplaySettings() = GxDisplaySettings{};
        platform::d3d9::ResetVirtualAdapter();
        platform::ClearShownMessageBoxes();
    }
    TestDevice(const TestDevice&) = delete;
    TestDevice& operator=(const TestDevice&) = delete;

    bool Created() const { return m_Created; }

    // The whole target in one colour, e.g. a sentinel that shows whether a later step cleared
    // or drew anything.
    void Fill(D3DCOLOR color) const { ClearTarget(D3DCLEAR_TARGET, color, 1.0f, 0, nullptr); }

    // Back buffer 0 as 0xAARRGGBB, row by row; empty without a device.
    std::vector<std::uint32_t> ReadFrame(UINT* width = nullptr, UINT* height = nullptr) const
    {
        std::vector<std::uint32_t> pixels;
        UINT w = 0, h = 0;
        if (!platform::d3d9::ReadBackBuffer(GxGraphics::GetDevice(), pixels, w, h)) pixels.clear();
        if (width) *width = w;
        if (height) *height = h;
        return pixels;
    }

    // One pixel of the back buffer; 0x12345678 outside it or without a device.
    std::uint32_t Pixel(int x, int y) const
    {
        UINT width = 0, height = 0;
        const std::vector<std::uint32_t> pixels = ReadFrame(&width, &height);
        if (x < 0 || y < 0 || static_cast<UINT>(x) >= width || static_cast<UINT>(y) >= height) return 0x12345678u;
        return pixels[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)];
    }

private:
    bool m_Created = false;
};
