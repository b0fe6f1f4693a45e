// Shared pieces of the actor and layer tests: a journal that records every call the layer code
// makes to the graphics, motion and movie services, recording fakes of those services (textures
// that pretend to load the files they are told exist, projects and image sets with reference
// counts, movie slots with a playing flag), a log capture and a fixture with a core, a task manager
// and a tree root. Records go through the text content form in memory.
#pragma once

#include "avg/resource_lookup.h"
#include "core/core.h"
#include "core/game_services.h"
#include "core/layer_graphics.h"
#include "core/motion_services.h"
#include "core/movie_services.h"
#include "tests/support/standin_trace.h"
#include "core/task_base.h"
#include "core/task_manage.h"
#include "foundation/bin_buffer.h"
#include "foundation/content_text.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/texture.h"
#include "graphics/texture_flex.h"
#include "graphics/texture_movie.h"
#include "platform/crt/numeric.h"
#include "tests/support/core_config_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace layer_test {

using Journal = std::vector<std::string>;

// The game's random sequence (a linear congruential generator), to predict the engine's draws.
class ReferenceRand {
public:
    explicit ReferenceRand(std::uint32_t seed) : m_State(seed) {}
    int Next()
    {
        m_State = m_State * 214013u + 2531011u;
        return static_cast<int>((m_State >> 16) & 0x7FFF);
    }

private:
    std::uint32_t m_State;
};

inline std::string Utf8(const std::u16string& text)
{
    return WideToUtf8(text.c_str());
}

// Files the fake textures "load", with their image sizes.
struct FakeFiles {
    std::map<std::u16string, std::pair<std::uint32_t, std::uint32_t>> m_Sizes;
    bool Find(std::u16string_view name, std::uint32_t& width, std::uint32_t& height) const
    {
        auto it = m_Sizes.find(std::u16string(name));
        if (it == m_Sizes.end())
            return false;
        width = it->second.first;
        height = it->second.second;
        return true;
    }
};

class FakeFlex : public GxTextureFlex {
public:
    FakeFlex(Journal* journal, const FakeFiles* files) : m_Journal(journal), m_Files(files) {}
    bool CreateFromFile(std::u16string_view name, D3DFORMAT format, D3DCOLOR) override
    {
        m_Journal->push_back("Flex.CreateFromFile(" + Utf8(std::u16string(name)) + "," + std::to_string(format) + ")");
        return m_Files->Find(name, m_W, m_H);
    }
    std::uint32_t GetImageWidth() const override { return m_W; }
    std::uint32_t GetImageHeight() const override { return m_H; }

    Journal* m_Journal;
    const FakeFiles* m_Files;
    std::uint32_t m_W = 0;
    std::uint32_t m_H = 0;
};

class FakeTexture : public GxTexture {
public:
    FakeTexture(Journal* journal, const FakeFiles* files) : m_Journal(journal), m_Files(files) {}
    bool CreateTexture(std::u16string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format,
                       std::uint32_t levels) override
    {
        m_Journal->push_back("Texture.CreateTexture(" + Utf8(std::u16string(name)) + "," + std::to_string(width) +
                             "," + std::to_string(height) + "," + std::to_string(format) + "," +
                             std::to_string(levels) + ")");
        m_W = width;
        m_H = height;
        return width > 0 && height > 0;
    }
    bool CreateFromFile(std::u16string_view name, D3DFORMAT format, std::uint32_t levels, D3DCOLOR,
                        bool scaleFilter) override
    {
        m_Journal->push_back("Texture.CreateFromFile(" + Utf8(std::u16string(name)) + "," + std::to_string(format) +
                             "," + std::to_string(levels) + "," + std::to_string(scaleFilter) + ")");
        return m_Files->Find(name, m_W, m_H);
    }
    bool CreateFromFileMultiBlend(std::u16string_view name, const std::vector<std::u16string>& files, D3DFORMAT,
                                  std::uint32_t) override
    {
        m_Journal->push_back("Texture.CreateFromFileMultiBlend(" + Utf8(std::u16string(name)) + "," +
                             std::to_string(files.size()) + ")");
        return m_Files->Find(name, m_W, m_H);
    }
    std::uint32_t GetImageWidth() const override { return m_W; }
    std::uint32_t GetImageHeight() const override { return m_H; }

    Journal* m_Journal;
    const FakeFiles* m_Files;
    std::uint32_t m_W = 0;
    std::uint32_t m_H = 0;
};

class FakeMovieTexture : public GxTextureMovie {
public:
    explicit FakeMovieTexture(Journal* journal) : m_Journal(journal) {}
    bool Create(std::u16string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT, D3DCOLOR,
                bool) override
    {
        m_Journal->push_back("MovieTexture.Create(" + Utf8(std::u16string(name)) + "," + std::to_string(width) + "," +
                             std::to_string(height) + ")");
        m_W = width;
        m_H = height;
        return true;
    }
    std::uint32_t GetImageWidth() const override { return m_W; }
    std::uint32_t GetImageHeight() const override { return m_H; }

    Journal* m_Journal;
    std::uint32_t m_W = 0;
    std::uint32_t m_H = 0;
};

// Records every draw as one line; the colours are written in hex.
class FakeGraphics : public GxLayerGraphicsBase {
public:
    FakeGraphics(Journal* journal, const FakeFiles* files) : m_Journal(journal), m_Files(files) {}

    GxTexture* NewTexture() override { return new FakeTexture(m_Journal, m_Files); }
    GxTextureFlex* NewTextureFlex() override { return new FakeFlex(m_Journal, m_Files); }
    GxTextureMovie* NewTextureMovie() override { return new FakeMovieTexture(m_Journal); }

    void DrawTexture2D(GxTextureFlex* texture, float x, float y, const GxVector2& scale, const GxVector3& rotation,
                       const GxVector2& pivot, std::uint32_t color0, std::uint32_t color1, std::int32_t preset) override
    {
        m_Draws.push_back({"Flex", texture, x, y, scale, rotation, pivot, color0, color1, preset});
        Note("DrawTexture2D", color0, preset);
    }
    void DrawTextureRect2D(GxTextureBase* texture, float x, float y, const GxFRect& source, const GxVector2& scale,
                           const GxVector3& rotation, const GxVector2& pivot, std::uint32_t color0,
                           std::uint32_t color1, std::int32_t preset) override
    {
        m_Draws.push_back({"Rect", texture, x, y, scale, rotation, pivot, color0, color1, preset});
        m_Draws.back().source = source;
        Note("DrawTextureRect2D", color0, preset);
    }
    void DrawSolidRect(const GxFRect& rect, std::uint32_t color0, std::uint32_t color1, std::int32_t preset) override
    {
        m_Draws.push_back({"Solid", nullptr, rect.left, rect.top, {}, {}, {}, color0, color1, preset});
        m_Draws.back().source = rect;
        Note("DrawSolidRect", color0, preset);
    }
    bool BeginMotionTarget() override
    {
        m_Journal->push_back("BeginMotionTarget");
        return true;
    }
    void EndMotionTarget() override { m_Journal->push_back("EndMotionTarget"); }
    void DrawMotionTarget(std::uint32_t color0, std::uint32_t, std::int32_t preset) override
    {
        Note("DrawMotionTarget", color0, preset);
    }
    void DrawLabel(const std::u16string& text, float x, float y, std::uint32_t color, std::int32_t preset) override
    {
        char buffer[128];
        std::snprintf(buffer, sizeof buffer, "DrawLabel(%s,%g,%g,%08X,%d)", Utf8(text).c_str(), x, y, color, preset);
        m_Journal->push_back(buffer);
    }

    void Note(const char* what, std::uint32_t color, std::int32_t preset)
    {
        char buffer[96];
        std::snprintf(buffer, sizeof buffer, "%s(%08X,%d)", what, color, preset);
        m_Journal->push_back(buffer);
    }

    struct Draw {
        std::string kind;
        void* texture;
        float x, y;
        GxVector2 scale;
        GxVector3 rotation;
        GxVector2 pivot;
        std::uint32_t color0, color1;
        std::int32_t preset;
        GxFRect source{};
    };
    std::vector<Draw> m_Draws;
    Journal* m_Journal;
    const FakeFiles* m_Files;
};

// Projects and image sets are records of this fake; the opaque pointers handed to the layer code
// are their addresses.
class FakeMotion : public GxMotionServicesBase {
public:
    struct Motion {
        std::u16string name;
        std::int32_t length = 0;
    };
    struct Group {
        std::u16string name;
        std::vector<Motion> motions;
    };
    struct Project {
        std::u16string file;
        std::vector<Group> groups;
        std::int32_t refs = 0;
    };
    struct PatternGroup {
        std::u16string name;
        std::vector<std::pair<std::int32_t, std::int32_t>> sizes;
    };
    struct ImageSet {
        std::u16string file;
        std::vector<PatternGroup> groups;
        std::int32_t refs = 0;
    };

    explicit FakeMotion(Journal* journal) : m_Journal(journal) {}

    static Project* From(GxNcProjectEx* p) { return reinterpret_cast<Project*>(p); }
    static ImageSet* From(GxNcCrammedImageSet* s) { return reinterpret_cast<ImageSet*>(s); }
    static PatternGroup* From(GxNcOriginImage* g) { return reinterpret_cast<PatternGroup*>(g); }
    static Motion* From(GxNcMotion* m) { return reinterpret_cast<Motion*>(m); }

    GxNcProjectEx* GetNcProject(const std::u16string& file, const std::u16string&, std::int32_t) override
    {
        m_Journal->push_back("GetNcProject(" + Utf8(file) + ")");
        auto it = m_Projects.find(file);
        if (it == m_Projects.end())
            return nullptr;
        ++it->second.refs;
        return reinterpret_cast<GxNcProjectEx*>(&it->second);
    }
    void ReleaseNcProject(GxNcProjectEx* project) override
    {
        m_Journal->push_back("ReleaseNcProject(" + Utf8(From(project)->file) + ")");
        --From(project)->refs;
    }
    GxNcCrammedImageSet* GetCrammedImageSet(const std::u16string& file, std::int32_t) override
    {
        m_Journal->push_back("GetCrammedImageSet(" + Utf8(file) + ")");
        auto it = m_ImageSets.find(file);
        if (it == m_ImageSets.end())
            return nullptr;
        ++it->second.refs;
        return reinterpret_cast<GxNcCrammedImageSet*>(&it->second);
    }
    void ReleaseCrammedImageSet(GxNcCrammedImageSet* imageSet) override
    {
        m_Journal->push_back("ReleaseCrammedImageSet(" + Utf8(From(imageSet)->file) + ")");
        --From(imageSet)->refs;
    }
    GxNcOriginImage* FindPatternGroup(GxNcCrammedImageSet* imageSet, const std::u16string& name) override
    {
        for (PatternGroup& group : From(imageSet)->groups) {
            if (group.name == name)
                return reinterpret_cast<GxNcOriginImage*>(&group);
        }
        return nullptr;
    }
    bool GetPatternSize(GxNcOriginImage* group, std::int32_t index, std::int32_t* width,
                        std::int32_t* height) override
    {
        PatternGroup* g = From(group);
        if (index < 0 || index >= static_cast<std::int32_t>(g->sizes.size()))
            return false;
        *width = g->sizes[index].first;
        *height = g->sizes[index].second;
        return true;
    }
    void CombineLayerParam(std::int32_t index, const GxMatrix&, GxNcOriginImage* group, float, const GxFColor& color,
                           const GxFColor&, std::int32_t preset) override
    {
        char buffer[128];
        std::snprintf(buffer, sizeof buffer, "CombineLayerParam(%s,%d,%08X,%d)", Utf8(From(group)->name).c_str(),
                      index, ColorToArgb(color), preset);
        m_Journal->push_back(buffer);
    }
    std::int32_t GetMotionGroupCount(GxNcProjectEx* project) override
    {
        return static_cast<std::int32_t>(From(project)->groups.size());
    }
    std::u16string GetMotionGroupName(GxNcProjectEx* project, std::int32_t index) override
    {
        return From(project)->groups.at(static_cast<std::size_t>(index)).name;
    }
    GxNcMotion* FindNamePair(GxNcProjectEx* project, const std::u16string& group,
                               const std::u16string& motion) override
    {
        for (Group& g : From(project)->groups) {
            if (g.name != group)
                continue;
            for (Motion& m : g.motions) {
                if (m.name == motion)
                    return reinterpret_cast<GxNcMotion*>(&m);
            }
            return nullptr;
        }
        return nullptr;
    }
    std::int32_t GetMotionLength(GxNcMotion* motion) override { return From(motion)->length; }
    void CreateSnapShot(GxLayerBoundsRecord&, GxNcProjectEx*, GxNcMotion* motion, std::int32_t frame,
                        const GxMatrix& world, float, const GxFColor&, std::int32_t, std::int32_t) override
    {
        char buffer[160];
        std::snprintf(buffer, sizeof buffer, "CreateSnapShot(%s,%d,%g,%g)", Utf8(From(motion)->name).c_str(), frame,
                      world.m[12], world.m[13]);
        m_Journal->push_back(buffer);
    }
    void DrawSnapShot(const GxLayerBoundsRecord&, const GxMatrix&, const GxFColor&) override
    {
        m_Journal->push_back("DrawSnapShot");
    }

    Journal* m_Journal;
    std::map<std::u16string, Project> m_Projects;
    std::map<std::u16string, ImageSet> m_ImageSets;
};

class FakeMovie : public GxMovieServicesBase {
public:
    explicit FakeMovie(Journal* journal) : m_Journal(journal) {}

    static GxMoviePlayerFile* Player(std::uint32_t slot)
    {
        return reinterpret_cast<GxMoviePlayerFile*>(static_cast<std::uintptr_t>(0x1000 + slot * 0x10));
    }

    bool MovieSlotOpen(std::uint32_t slot, const std::u16string& file, GxTextureMovie*, std::int32_t mode,
                       std::int32_t flags) override
    {
        Note("Open(" + std::to_string(slot) + "," + Utf8(file) + "," + std::to_string(mode) + "," +
             std::to_string(flags) + ")");
        m_Open.insert(slot);
        return m_OpenResult;
    }
    void MovieSlotSetLoopStart(std::uint32_t slot, double seconds) override
    {
        Note("SetLoopStart(" + std::to_string(slot) + "," + Num(seconds) + ")");
    }
    void MovieSlotSetPosition(std::uint32_t slot, double seconds) override
    {
        Note("SetPosition(" + std::to_string(slot) + "," + Num(seconds) + ")");
    }
    void MovieSlotPlay(std::uint32_t slot, std::int32_t loops, std::int32_t attenuation) override
    {
        Note("Play(" + std::to_string(slot) + "," + std::to_string(loops) + "," + std::to_string(attenuation) + ")");
        m_Playing.insert(slot);
    }
    void MovieSlotStop(std::uint32_t slot) override
    {
        Note("Stop(" + std::to_string(slot) + ")");
        m_Playing.erase(slot);
    }
    void MovieSlotClose(std::uint32_t slot) override
    {
        Note("Close(" + std::to_string(slot) + ")");
        m_Open.erase(slot);
    }
    double MovieSlotGetPosition(std::uint32_t slot) override { return m_Position[slot]; }
    std::int32_t MovieSlotGetLoopCount(std::uint32_t slot) override { return m_LoopsLeft[slot]; }
    GxMoviePlayerFile* MovieSlotGetPlayer(std::uint32_t slot) override
    {
        return m_Open.count(slot) ? Player(slot) : nullptr;
    }
    bool IsPlayerPlaying(GxMoviePlayerFile* player) override
    {
        for (std::uint32_t slot : m_Playing) {
            if (Player(slot) == player)
                return true;
        }
        return false;
    }
    double GetPlayerPosition(GxMoviePlayerFile* player) override
    {
        for (auto& [slot, position] : m_Position) {
            if (Player(slot) == player)
                return position;
        }
        return 0.0;
    }

    static std::string Num(double value)
    {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%g", value);
        return buffer;
    }
    void Note(const std::string& what) { m_Journal->push_back("Movie." + what); }

    Journal* m_Journal;
    bool m_OpenResult = true;
    std::set<std::uint32_t> m_Open;
    std::set<std::uint32_t> m_Playing;
    std::map<std::uint32_t, double> m_Position;
    std::map<std::uint32_t, std::int32_t> m_LoopsLeft;
};

// Keeps the error lines logged while it is registered, as UTF-8.
class LogCapture : public GxDebugListenerBase {
public:
    LogCapture() { LogSetSink(this); }
    ~LogCapture() override { LogSetSink(nullptr); }
    int Output(const char16_t* text, std::int32_t level) override
    {
        if (level == kLevelError)
            m_Errors.push_back(WideToUtf8(text));
        return 0;
    }
    std::vector<std::string> m_Errors;
};

// An in-memory text record: write with a lambda, read back with a fresh reader.
class TextRecord {
public:
    template <typename WriteFn>
    explicit TextRecord(WriteFn write)
    {
        char* data = nullptr;
        std::size_t size = 0;
        std::FILE* file = open_memstream(&data, &size);
        {
            GxContentTextWriter writer(file);
            writer.WriteHeader("LAYER", 1);
            write(writer);
        }
        std::fclose(file);
        m_Text.assign(data, size);
        std::free(data);
    }
    explicit TextRecord(std::string text) : m_Text(std::move(text)) {}

    // A reader positioned after the header.
    std::unique_ptr<GxContentTextReader> Reader()
    {
        std::memcpy(m_Buffer.Allocate(static_cast<std::uint32_t>(m_Text.size())), m_Text.data(), m_Text.size());
        auto reader = std::make_unique<GxContentTextReader>(m_Buffer, false);
        std::uint32_t version = 0;
        EXPECT_TRUE(reader->ReadHeader("LAYER", &version));
        return reader;
    }

    std::string m_Text;
    GxBinBuffer m_Buffer;
};

// The game module's picture look-up for the layer contents; system sounds are only traced
// ("PlaySystemSound(id,voice)"); the rest of the game is not started.
class LayerGameServices : public GxGameServicesBase {
public:
    void SetDefaultDisplaySettings(GxCore*) override {}
    bool GameStartup(GxCore*) override { return true; }
    bool GameReset(GxCore*) override { return true; }
    bool ResolveImageFile(std::u16string& path) override { return ::ResolveImageFile(path); }
    bool PlaySystemSound(std::int32_t soundID, std::int32_t voiceID) override
    {
        const std::string text = "PlaySystemSound(" + std::to_string(soundID) + "," + std::to_string(voiceID) + ")";
        GxStandinTrace::Record(std::u16string(text.begin(), text.end()));
        return true;
    }
};

// A core with the real configuration and options, a manager and a root; the fakes are installed
// for the test's lifetime. Tasks are built on the heap under the root and deleted by the manager.
class LayerFixture : public ::testing::Test {
protected:
    LayerFixture() : m_Graphics(&m_Journal, &m_Files), m_Motion(&m_Journal), m_Movie(&m_Journal)
    {
        m_Manage = std::make_unique<GxTaskManage>(&m_Core);
        m_Core.m_TaskManage = m_Manage.get();
        m_Root = new GxTaskBase(m_Manage.get());
        SetLayerGraphics(&m_Graphics);
        SetMotionServices(&m_Motion);
        SetMovieServices(&m_Movie);
        SetGameServices(&m_Game);
        // Movie sound at 50 % of a master of 80 %: 40 %, -1536.
        m_Config.m_System.m_ErrorImageFile = u"system/cg_error.png";
        m_Config.m_User.m_Volume_Movie = 50;
        m_Config.m_User.m_Volume_Master = 80;
        m_Config.Refresh();
        GxStandinTrace::Clear();
        GxStandinTrace::SetEnabled(true);
        msvc::srand(1);
    }
    ~LayerFixture() override
    {
        m_Manage.reset();
        SetLayerGraphics(nullptr);
        SetMotionServices(nullptr);
        SetMovieServices(nullptr);
        SetGameServices(nullptr);
        GxStandinTrace::SetEnabled(false);
        GxStandinTrace::Clear();
    }

    // Journal lines that start with `prefix`.
    std::vector<std::string> Lines(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const std::string& line : m_Journal) {
            if (line.rfind(prefix, 0) == 0)
                out.push_back(line);
        }
        return out;
    }

    LogCapture m_Log;
    Journal m_Journal;
    FakeFiles m_Files;
    FakeGraphics m_Graphics;
    FakeMotion m_Motion;
    FakeMovie m_Movie;
    LayerGameServices m_Game;
    GxCore m_Core;
    TestCoreConfig m_Config{m_Core};
    std::unique_ptr<GxTaskManage> m_Manage;
    GxTaskBase* m_Root = nullptr;
};

}  // namespace layer_test
