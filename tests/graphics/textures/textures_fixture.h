// Shared set-up for the texture tests: a headless device on the built-in virtual adapter (its
// capabilities adjustable before the device is made), error, warning and debug lines captured,
// a temporary folder for image files, and small pixel helpers.
#pragma once

#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/graphics.h"
#include "platform/d3d9/virtual_adapter.h"
#include "platform/win32/message_box.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace texturetest {

namespace fs = std::filesystem;

inline HWND FakeWindow()
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234));
}

class LogCapture : public GxDebugListenerBase {
public:
    int Output(const char16_t* text, std::int32_t level) override
    {
        lines.push_back({text, level});
        return 0;
    }
    std::size_t Count(std::u16string_view part) const
    {
        std::size_t count = 0;
        for (const Line& line : lines) count += line.text.find(part) != std::u16string::npos ? 1 : 0;
        return count;
    }
    bool Contains(std::u16string_view part) const { return Count(part) > 0; }
    // The level of the first line holding `part`, or -1.
    std::int32_t LevelOf(std::u16string_view part) const
    {
        for (const Line& line : lines)
            if (line.text.find(part) != std::u16string::npos) return line.level;
        return -1;
    }
    std::size_t ErrorsAndWarnings() const
    {
        std::size_t count = 0;
        for (const Line& line : lines) count += line.level != GxDebugListenerBase::kLevelDebug ? 1 : 0;
        return count;
    }

    struct Line {
        std::u16string text;
        std::int32_t level;
    };
    std::vector<Line> lines;
};

class TextureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LogSetDeviceFile(Utf8ToWide((folder / "device.log").string()).c_str());
        platform::SetMessageBoxHeadless(true);
        adapter = platform::d3d9::DefaultVirtualAdapter();
        GxGraphics::GetDisplaySettings() = GxDisplaySettings{};
    }

    void TearDown() override
    {
        GxGraphics::Release();
        GxGraphics::GetDisplaySettings() = GxDisplaySettings{};
        platform::d3d9::ResetVirtualAdapter();
        platform::ClearShownMessageBoxes();
        LogSetSink(nullptr);
        LogSetDeviceFile(u"");
    }

    // The device on `adapter`; the log capture starts afterwards, so only the tests' own lines
    // are seen.
    void CreateDevice()
    {
        platform::d3d9::SetVirtualAdapter(adapter);
        ASSERT_TRUE(GxGraphics::CreateDevice(FakeWindow(), nullptr, nullptr, nullptr));
        LogSetSink(&log);
    }

    std::u16string WriteImage(const std::string& name, const ImageBytes& bytes)
    {
        const fs::path path = folder / name;
        EXPECT_TRUE(WriteImageFile(path.string(), bytes));
        return Utf8ToWide(path.string());
    }

    std::u16string WritePng(const std::string& name, const TestImage& image)
    {
        return WriteImage(name, BuildPng(PngSpecRgba8(image)));
    }

    std::u16string PathOf(const std::string& name) const { return Utf8ToWide((folder / name).string()); }

    // Lower case throughout: deferred loads store their file names with A-Z lowered.
    TestTempDir temp{"tw_graphics_textures", TestTempDir::kLowerCase};
    fs::path folder = temp.Path();
    LogCapture log;
    platform::d3d9::VirtualAdapter adapter;
};

// One 32-bit or 16-bit pixel of level 0 of a device texture, read through a read-only lock.
inline std::uint32_t ReadTexel(IDirect3DTexture9* texture, std::uint32_t x, std::uint32_t y)
{
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    const RECT one{LONG(x), LONG(y), LONG(x) + 1, LONG(y) + 1};
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, &one, D3DLOCK_READONLY))) return 0xDEADBEEF;
    std::uint32_t value = 0;
    const bool narrow = desc.Format == D3DFMT_A4R4G4B4 || desc.Format == D3DFMT_X4R4G4B4;
    std::memcpy(&value, locked.pBits, narrow ? 2 : (desc.Format == D3DFMT_L8 || desc.Format == D3DFMT_A8) ? 1 : 4);
    texture->UnlockRect(0);
    return value;
}

}  // namespace texturetest
