// Shared set-up for the 2D drawing and bitmap-font tests: a headless device on the built-in
// virtual adapter, made as the engine makes it (creation sets the default drawing state by
// itself), a scene open for every test, the
// error lines captured, textures filled from a pixel function, and the back buffer read back.
#pragma once

#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/draw2d.h"
#include "graphics/graphics.h"
#include "graphics/texture.h"
#include "platform/d3d9/device_control.h"
#include "platform/d3d9/virtual_adapter.h"
#include "platform/win32/message_box.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace drawtest {

namespace fs = std::filesystem;

inline HWND FakeWindow()
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x2345));
}

struct Rgba {
    int a, r, g, b;
};

inline Rgba Split(std::uint32_t argb)
{
    return {int(argb >> 24), int((argb >> 16) & 255), int((argb >> 8) & 255), int(argb & 255)};
}

inline std::uint32_t Pack(int a, int r, int g, int b)
{
    return (std::uint32_t(a) << 24) | (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | std::uint32_t(b);
}

// Every channel within `tolerance`.
inline ::testing::AssertionResult Near(std::uint32_t actual, std::uint32_t expected, int tolerance = 1,
                                       bool withAlpha = false)
{
    const Rgba a = Split(actual), e = Split(expected);
    const bool ok = std::abs(a.r - e.r) <= tolerance && std::abs(a.g - e.g) <= tolerance &&
                    std::abs(a.b - e.b) <= tolerance && (!withAlpha || std::abs(a.a - e.a) <= tolerance);
    if (ok) return ::testing::AssertionSuccess();
    char text[64];
    std::snprintf(text, sizeof(text), "0x%08X, expected 0x%08X", actual, expected);
    return ::testing::AssertionFailure() << text;
}

// A frame of the back buffer as 0xAARRGGBB.
struct Frame {
    std::vector<std::uint32_t> pixels;
    UINT width = 0;
    UINT height = 0;
    std::uint32_t At(int x, int y) const { return pixels[std::size_t(y) * width + std::size_t(x)]; }
};

// Every error line while installed.
class ErrorCapture : public GxDebugListenerBase {
public:
    int Output(const char16_t* text, std::int32_t level) override
    {
        if (level == kLevelError) lines.emplace_back(text);
        return 0;
    }
    bool Contains(std::u16string_view part) const
    {
        for (const std::u16string& line : lines) {
            if (line.find(part) != std::u16string::npos) return true;
        }
        return false;
    }
    std::vector<std::u16string> lines;
};

class DrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LogSetSink(&errors);
        platform::SetMessageBoxHeadless(true);
        GxGraphics::GetDisplaySettings() = GxDisplaySettings{};
        platform::d3d9::SetVirtualAdapter(platform::d3d9::DefaultVirtualAdapter());
        ASSERT_TRUE(GxGraphics::CreateDevice(FakeWindow(), nullptr, nullptr, nullptr));
        device = GxGraphics::GetDevice();
        ASSERT_TRUE(BeginSceneNested());
    }

    void TearDown() override
    {
        if (device) EndSceneNested();
        textures.clear();
        GxGraphics::Release();
        GxGraphics::GetDisplaySettings() = GxDisplaySettings{};
        platform::d3d9::ResetVirtualAdapter();
        platform::ClearShownMessageBoxes();
        LogSetSink(nullptr);
        temp.reset();
    }

    // A managed A8R8G8B8 texture whose pixel (x, y) is pixel(x, y); kept until the test ends.
    GxTexture* MakeTexture(std::uint32_t width, std::uint32_t height,
                           const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& pixel)
    {
        auto texture = std::make_unique<GxTexture>();
        const std::u16string name = u"draw_test_" + Utf8ToWide(std::to_string(textures.size()));
        EXPECT_TRUE(texture->CreateTexture(name, width, height, D3DFMT_A8R8G8B8, 1));
        void* bits = nullptr;
        std::int32_t pitch = 0;
        EXPECT_TRUE(texture->LockRect(nullptr, &bits, &pitch, nullptr, nullptr, nullptr, false));
        if (bits) {
            for (std::uint32_t y = 0; y < height; ++y) {
                auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(bits) + std::size_t(y) * pitch);
                for (std::uint32_t x = 0; x < width; ++x) row[x] = pixel(x, y);
            }
            texture->UnlockRect();
        }
        textures.push_back(std::move(texture));
        return textures.back().get();
    }

    void Clear(D3DCOLOR color) { ClearTarget(D3DCLEAR_TARGET, color, 1.0f, 0, nullptr); }
    void ClearRect(int left, int top, int right, int bottom, D3DCOLOR color)
    {
        const RECT rect{left, top, right, bottom};
        ClearTarget(D3DCLEAR_TARGET, color, 1.0f, 0, &rect);
    }

    Frame ReadFrame()
    {
        Frame frame;
        EXPECT_TRUE(platform::d3d9::ReadBackBuffer(device, frame.pixels, frame.width, frame.height));
        return frame;
    }

    DWORD RenderState(D3DRENDERSTATETYPE state)
    {
        DWORD value = 0;
        device->GetRenderState(state, &value);
        return value;
    }
    DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state)
    {
        DWORD value = 0;
        device->GetTextureStageState(stage, state, &value);
        return value;
    }
    DWORD SamplerState(D3DSAMPLERSTATETYPE state)
    {
        DWORD value = 0;
        device->GetSamplerState(0, state, &value);
        return value;
    }
    IDirect3DBaseTexture9* BoundTexture()
    {
        IDirect3DBaseTexture9* texture = nullptr;
        device->GetTexture(0, &texture);
        if (texture) texture->Release();   // compared by address only
        return texture;
    }

    // A folder of its own for files the test writes; removed at the end.
    fs::path Folder()
    {
        if (!temp)
            temp = std::make_unique<TestTempDir>("tw_draw");
        return temp->Path();
    }

    IDirect3DDevice9* device = nullptr;
    ErrorCapture errors;
    std::vector<std::unique_ptr<GxTexture>> textures;
    std::unique_ptr<TestTempDir> temp;
};

}  // namespace drawtest
