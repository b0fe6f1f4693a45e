// Shared pieces of the image-set and motion-project tests: a temporary game folder entered for
// the test (the factories open names relative to it), the log lines by level, the headless
// device for texture loads, and factories left empty after every test.
#pragma once

#include "foundation/bin_buffer.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/graphics.h"
#include "graphics/texture_factory.h"
#include "motion/crammed_image_set_factory.h"
#include "motion/image_set_pool.h"
#include "motion/nc_project_factory.h"
#include "platform/d3d9/virtual_adapter.h"
#include "platform/win32/message_box.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace motion_test {

namespace fs = std::filesystem;

// Every error and warning line while installed.
class LogCapture : public GxDebugListenerBase {
public:
    int Output(const char16_t* text, std::int32_t level) override
    {
        if (level == kLevelError)
            errors.emplace_back(WideToUtf8(text));
        else if (level == kLevelWarning)
            warnings.emplace_back(WideToUtf8(text));
        return 0;
    }
    static int Count(const std::vector<std::string>& lines, std::string_view part)
    {
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [part](const std::string& line) {
            return line.find(part) != std::string::npos;
        }));
    }
    int Errors(std::string_view part) const { return Count(errors, part); }
    int Warnings(std::string_view part) const { return Count(warnings, part); }
    void Clear()
    {
        errors.clear();
        warnings.clear();
    }

    std::vector<std::string> errors;
    std::vector<std::string> warnings;
};

inline std::unique_ptr<GxBinBuffer> MakeBuffer(const std::string& bytes)
{
    auto buffer = std::make_unique<GxBinBuffer>();
    if (!bytes.empty() && buffer->Allocate(static_cast<std::uint32_t>(bytes.size())) != nullptr)
        std::memcpy(buffer->GetData(), bytes.data(), bytes.size());
    return buffer;
}

// A solid PNG atlas at `path` inside the folder.
inline void WriteAtlas(const fs::path& path, std::uint32_t width, std::uint32_t height, std::uint32_t argb = 0xFF336699)
{
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(WriteImageFile(path.string(), BuildPng(PngSpecRgba8(TestImage::Solid(width, height, argb)))));
}

class MotionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Dir.Valid());
        m_Previous = fs::current_path();
        fs::current_path(m_Dir.Path());
        LogSetErrorFile(u"");   // the lines are looked at through the sink
        LogSetWarningsMuted(false);
        LogSetSink(&m_Log);
    }

    void TearDown() override
    {
        GetImageSetPool().ReleaseAllImageSets();
        GetNcProjectFactory().ReleaseAllNcProjects();
        GetCrammedImageSetFactory().ReleaseAllCrammedImageSets();
        if (m_Device) {
            GetTextureFactory().ReleaseAll();
            GxGraphics::Release();
            platform::d3d9::ResetVirtualAdapter();
            platform::ClearShownMessageBoxes();
        }
        LogSetSink(nullptr);
        LogSetErrorFile(u"");
        LogSetWarningsMuted(false);
        fs::current_path(m_Previous);
    }

    // The headless device, so that atlas textures load.
    void StartDevice()
    {
        platform::SetMessageBoxHeadless(true);
        GxGraphics::GetDisplaySettings() = GxDisplaySettings{};
        platform::d3d9::SetVirtualAdapter(platform::d3d9::DefaultVirtualAdapter());
        ASSERT_TRUE(GxGraphics::CreateDevice(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x2345)), nullptr,
                                             nullptr, nullptr));
        m_Device = true;
    }

    fs::path Path(std::string_view name) const { return m_Dir.Join(name); }

    TestTempDir m_Dir{"tw_motion"};
    fs::path m_Previous;
    LogCapture m_Log;
    bool m_Device = false;
};

}  // namespace motion_test
