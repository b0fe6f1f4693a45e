// [Adventure] the module core and its builtin set, the display defaults with the logs they
// empty, and the global render target on a headless device: sizes, formats and names, the rule
// surface (a damaged rule image gives the blank one), the release, and a device loss.
#include "avg/avg_builtin.h"
#include "avg/avg_core.h"
#include "avg/game_startup.h"
#include "avg/global_render_target.h"

#include "core/core.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/graphics.h"
#include "graphics/surface.h"
#include "graphics/texture.h"
#include "platform/d3d9/device_control.h"
#include "platform/win32/timer.h"
#include "tests/support/core_config_fixture.h"
#include "tests/support/error_log_capture.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_device.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

namespace fs = std::filesystem;

class WatchedBuiltin : public AvgBuiltin {
public:
    WatchedBuiltin(GxCore* core, int* registrations, int* deletions)
        : AvgBuiltin(core), m_Registrations(registrations), m_Deletions(deletions)
    {
    }
    ~WatchedBuiltin() override { ++*m_Deletions; }
    void RegisterBuiltins(GxMoaFunctionBinder* binder) override
    {
        ++*m_Registrations;
        m_Binder = binder;
    }
    GxMoaFunctionBinder* m_Binder = nullptr;

private:
    int* m_Registrations;
    int* m_Deletions;
};

class AvgCoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AvgCore::GetInstance().AfterReset();
        AvgCore::GetInstance().SetBuiltinMakerForTesting([this](GxCore* core) {
            return std::make_unique<WatchedBuiltin>(core, &m_Registrations, &m_Deletions);
        });
    }
    void TearDown() override
    {
        AvgCore::GetInstance().AfterReset();
        AvgCore::GetInstance().SetBuiltinMakerForTesting(nullptr);
    }

    int m_Registrations = 0;
    int m_Deletions = 0;
};

TEST_F(AvgCoreTest, TheBuiltinSetLivesFromAttachToAfterResetAndTakesTheBinder)
{
    AvgCore& avg = AvgCore::GetInstance();
    EXPECT_EQ(&avg, &AvgCore::GetInstance());
    EXPECT_EQ(std::u16string(avg.GetModuleName()), u"AVG");
    auto* binder = reinterpret_cast<GxMoaFunctionBinder*>(std::uintptr_t{0x40});
    avg.RegisterBuiltins(binder);   // before Attach: no set, nothing happens
    EXPECT_EQ(m_Registrations, 0);

    GxCore core;
    avg.Attach(&core);
    EXPECT_EQ(avg.GetCore(), &core);
    ASSERT_NE(avg.GetBuiltin(), nullptr);
    EXPECT_EQ(avg.GetBuiltin()->GetCore(), &core);
    avg.RegisterBuiltins(binder);
    EXPECT_EQ(m_Registrations, 1);
    EXPECT_EQ(static_cast<WatchedBuiltin*>(avg.GetBuiltin())->m_Binder, binder);

    avg.AfterReset();
    EXPECT_EQ(avg.GetBuiltin(), nullptr);
    EXPECT_EQ(m_Deletions, 1);
    avg.AfterReset();
    avg.RegisterBuiltins(binder);
    EXPECT_EQ(m_Deletions, 1);
    EXPECT_EQ(m_Registrations, 1);
}

TEST_F(AvgCoreTest, TheModuleNeverTakesOverASequenceChangeAndItsDataHooksStoreNothing)
{
    AvgCore& avg = AvgCore::GetInstance();
    EXPECT_EQ(avg.RestoreSequence(), 0);
    // Null writers and readers: anything written or read would fault.
    EXPECT_TRUE(avg.WriteGameData(nullptr, u"gamedata.gd"));
    EXPECT_TRUE(avg.ReadGameData(nullptr, u"gamedata.gd", true));
    EXPECT_TRUE(avg.WritePermanentData(nullptr));
    EXPECT_TRUE(avg.ReadPermanentData(nullptr));
    EXPECT_TRUE(avg.WriteUserConfig(nullptr));
    EXPECT_TRUE(avg.ReadUserConfig(nullptr));
}

class DisplaySettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"debug.log", "error.log", "device.log"}) {
            std::ofstream(m_Temp.Path() / name) << "old";
        }
        LogSetDebugFile(Path("debug.log").c_str());
        LogSetErrorFile(Path("error.log").c_str());
        LogSetDeviceFile(Path("device.log").c_str());
        GxGraphics::GetDisplaySettings().VirtualWidth = 640;
        GxGraphics::GetDisplaySettings().SwapEffect = 1;
        m_Core.m_CursorKind = 0;
    }
    void TearDown() override
    {
        LogSetDebugFile(u"");
        LogSetErrorFile(u"");
        LogSetDeviceFile(u"");
        GxGraphics::GetDisplaySettings() = GxDisplaySettings{};
    }
    std::u16string Path(const char* name) const { return Utf8ToWide((m_Temp.Path() / name).string()); }
    bool Exists(const char* name) const { return fs::exists(m_Temp.Path() / name); }

    TestTempDir m_Temp{"tw_avg_display"};
    GxCore m_Core;
    TestCoreConfig m_Config{m_Core};
};

TEST_F(DisplaySettingsTest, DefaultsAreTheFixedTableAndOnlyTheDeviceLogGoesWithoutTheSwitch)
{
    SetDefaultDisplaySettings(&m_Core);
    const GxDisplaySettings& settings = GxGraphics::GetDisplaySettings();
    EXPECT_EQ(m_Core.m_CursorKind, 1);
    EXPECT_EQ(settings.VSyncInterval, 1u);
    EXPECT_EQ(settings.CurrentScreenMode, 0);
    EXPECT_EQ(settings.ScreenMode, 0);
    EXPECT_FALSE(settings.LockableBackBuffer);
    EXPECT_EQ(settings.MultiSampleMode, 0u);
    EXPECT_FALSE(settings.ForceSquareTexture);
    EXPECT_EQ(settings.VirtualWidth, 1024u);
    EXPECT_EQ(settings.VirtualHeight, 768u);
    EXPECT_EQ(settings.BackBufferWidth, 1024u);
    EXPECT_EQ(settings.BackBufferHeight, 768u);
    EXPECT_EQ(settings.SwapEffect, 2u);
    EXPECT_EQ(settings.TextureBits, 32u);
    EXPECT_EQ(settings.BackBufferBits, 32u);
    EXPECT_EQ(settings.DepthStencilBits, 24u);
    EXPECT_EQ(settings.RefreshRate, 60u);
    EXPECT_EQ(m_Core.m_FrameTimer.GetFramesPerSecond(), 60);
    EXPECT_EQ(m_Core.m_FrameTimer.GetLogicRate(), 60);
    EXPECT_FALSE(Exists("device.log"));
    EXPECT_TRUE(Exists("debug.log"));
    EXPECT_TRUE(Exists("error.log"));
}

TEST_F(DisplaySettingsTest, CleanErrorLogEmptiesTheDebugAndErrorLogsToo)
{
    m_Config.m_System.m_CleanErrorLog = true;
    m_Config.Refresh();
    SetDefaultDisplaySettings(&m_Core);
    EXPECT_FALSE(Exists("device.log"));
    EXPECT_FALSE(Exists("debug.log"));
    EXPECT_FALSE(Exists("error.log"));
}

class GlobalRenderTargetTest : public ::testing::Test {
protected:
    void TearDown() override { ReleaseGlobalRenderTarget(); }

    TestDevice m_Device;
    TestTempDir m_Temp{"tw_avg_target"};
};

TEST_F(GlobalRenderTargetTest, StartUpMakesTwoOfEachAtScreenSizeWithTheDepthStencilAndAZeroedThumbnail)
{
    ASSERT_TRUE(m_Device.Created());
    SetGlobalCaptureActive(true);
    CreateGlobalRenderTarget();
    for (std::int32_t index : {0, 1}) {
        GxSurface* surface = GetGlobalSystemSurface(index);
        EXPECT_EQ(surface->GetFormat(), D3DFMT_X8R8G8B8) << index;
        EXPECT_EQ(surface->GetPool(), D3DPOOL_SYSTEMMEM) << index;
        EXPECT_EQ(surface->GetWidth(), 1024u) << index;
        EXPECT_EQ(surface->GetHeight(), 768u) << index;
        GxTexture* texture = GetGlobalRenderTexture(index);
        EXPECT_TRUE(texture->HasTexture()) << index;
        EXPECT_EQ(texture->GetFormat(), D3DFMT_A8R8G8B8) << index;
        EXPECT_EQ(texture->GetName(), u"globalrendertexture0") << index;   // names are kept lowered
        EXPECT_GE(texture->GetWidth(), 1024u) << index;
        EXPECT_GE(texture->GetHeight(), 768u) << index;
    }
    EXPECT_NE(GetGlobalRenderTexture(0), GetGlobalRenderTexture(1));
    EXPECT_NE(GetGlobalRenderTexture(0)->GetTexturePointer(), GetGlobalRenderTexture(1)->GetTexturePointer());
    EXPECT_EQ(GetGlobalRenderTexture(2), nullptr);
    EXPECT_EQ(GetGlobalSystemSurface(-1), nullptr);
    GxSurface* depth = GetGlobalDepthStencil();
    EXPECT_NE(depth->GetSurfacePointer(), nullptr);
    EXPECT_EQ(depth->GetWidth(), GetGlobalRenderTexture(0)->GetWidth());
    EXPECT_EQ(depth->GetHeight(), GetGlobalRenderTexture(0)->GetHeight());
    EXPECT_EQ(depth->GetFormat(), GxGraphics::GetDepthStencilFormat());
    EXPECT_EQ(GetThumbnailBuffer().size(), 49152u);   // 128 x 96 values of 4 bytes
    EXPECT_EQ(std::count(GetThumbnailBuffer().begin(), GetThumbnailBuffer().end(), 0), 49152);
    EXPECT_FALSE(IsGlobalCaptureActive());

    // A device loss and reset: every piece is there again.
    platform::SetFakeClock(true);
    platform::d3d9::LoseDevice(GxGraphics::GetDevice(), 1);
    GxGraphics::Present(nullptr, nullptr, nullptr);
    platform::SetFakeClock(false);
    GxGraphics::Present(nullptr, nullptr, nullptr);
    ASSERT_EQ(GxGraphics::GetDevice()->TestCooperativeLevel(), D3D_OK);
    for (std::int32_t index : {0, 1}) {
        EXPECT_TRUE(GetGlobalRenderTexture(index)->HasTexture()) << index;
        EXPECT_NE(GetGlobalSystemSurface(index)->GetSurfacePointer(), nullptr) << index;
    }
    EXPECT_NE(GetGlobalDepthStencil()->GetSurfacePointer(), nullptr);

    ReleaseGlobalRenderTarget();
    for (std::int32_t index : {0, 1}) {
        EXPECT_FALSE(GetGlobalRenderTexture(index)->HasTexture()) << index;
        EXPECT_EQ(GetGlobalSystemSurface(index)->GetSurfacePointer(), nullptr) << index;
    }
    EXPECT_EQ(GetGlobalDepthStencil()->GetSurfacePointer(), nullptr);
    EXPECT_TRUE(GetThumbnailBuffer().empty());
}

TEST_F(GlobalRenderTargetTest, TheRuleSurfaceIsTheNamedFileOrABlankScreenSizedOne)
{
    ASSERT_TRUE(m_Device.Created());
    const fs::path rule = m_Temp.Path() / "rule.png";
    ASSERT_TRUE(WriteImageFile(rule.string(), BuildPng(PngSpecRgba8(TestImage::Solid(64, 32, 0xFF808080)))));
    const fs::path damaged = m_Temp.Path() / "damaged.png";
    std::ofstream(damaged, std::ios::binary) << "\x89PNG\r\n\x1a\n not an image";
    struct Case {
        std::u16string name;
        std::uint32_t width, height;
        bool logged;
    };
    const Case cases[] = {
        {u"", 1024, 768, false},
        {Utf8ToWide(rule.string()), 64, 32, false},   // as named, no folder or extension added
        {Utf8ToWide(damaged.string()), 1024, 768, true},
        {Utf8ToWide((m_Temp.Path() / "rule").string()), 1024, 768, true},
    };
    for (const Case& c : cases) {
        TestErrorLogCapture errors;
        GxSurface* surface = GetRuleSurface(c.name);
        ASSERT_NE(surface, nullptr);
        EXPECT_NE(surface->GetSurfacePointer(), nullptr) << WideToUtf8(c.name);
        EXPECT_EQ(surface->GetFormat(), D3DFMT_A8R8G8B8) << WideToUtf8(c.name);
        EXPECT_EQ(surface->GetWidth(), c.width) << WideToUtf8(c.name);
        EXPECT_EQ(surface->GetHeight(), c.height) << WideToUtf8(c.name);
        EXPECT_EQ(!errors.Lines().empty(), c.logged) << WideToUtf8(c.name);
    }
    GxSurface* surface = GetRuleSurface(u"");
    EXPECT_EQ(GetRuleSurface(Utf8ToWide(rule.string())), surface);   // always the one surface
    ReleaseGlobalRenderTarget();
    EXPECT_EQ(surface->GetSurfacePointer(), nullptr);
}

}  // namespace
