// A headless graphics device, a temporary game folder the tests write effect files into, and
// the error and warning lines logged meanwhile.
#pragma once

#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/d3d_resource.h"
#include "graphics/graphics.h"
#include "graphics/shader_factory.h"
#include "platform/d3d9/virtual_adapter.h"
#include "platform/win32/message_box.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class EffectsLog : public GxDebugListenerBase {
public:
    int Output(const char16_t* text, std::int32_t) override
    {
        lines.push_back(text);
        return 0;
    }
    bool Contains(std::u16string_view part) const
    {
        for (const auto& line : lines)
            if (line.find(part) != std::u16string::npos) return true;
        return false;
    }
    std::vector<std::u16string> lines;
};

class EffectsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LogSetDeviceFile(Utf8ToWide((m_Folder / "device.log").string()).c_str());
        LogSetSink(&m_Log);
        platform::SetMessageBoxHeadless(true);
        platform::d3d9::ResetVirtualAdapter();
        GxGraphics::GetDisplaySettings() = GxDisplaySettings{};
        ASSERT_TRUE(GxGraphics::CreateDevice(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234)), nullptr,
                                             nullptr, nullptr));
        m_RegistryBase = GetD3DResourceManage().GetCount();
    }

    void TearDown() override
    {
        m_Factory.ReleaseAll();
        EXPECT_EQ(GetD3DResourceManage().GetCount(), m_RegistryBase) << "effects left in the registry";
        GxGraphics::ReleaseShaders();
        GxGraphics::Release();
        platform::d3d9::ResetVirtualAdapter();
        platform::ClearShownMessageBoxes();
        LogSetSink(nullptr);
        LogSetDeviceFile(u"");
    }

    void WriteFile(const std::string& relative, const std::string& bytes)
    {
        const auto path = m_Folder / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    std::u16string Path(const std::string& relative) const { return Utf8ToWide((m_Folder / relative).string()); }

    std::size_t RegisteredEffects() { return GetD3DResourceManage().GetCount() - m_RegistryBase; }

    TestTempDir m_Temp{"tw_graphics_effects"};
    std::filesystem::path m_Folder = m_Temp.Path();
    EffectsLog m_Log;
    GxShaderFactory m_Factory;
    std::size_t m_RegistryBase = 0;
};
