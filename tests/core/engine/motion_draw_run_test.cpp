// [Engine] picture layers showing an image-set cell and a layered motion in a whole run, read
// back from the frames the device rendered.
#include "tests/support/engine_run_fixture.h"

#include "core/task_layer.h"
#include "motion/nc_motion_snapshot.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"
#include "tests/support/motion_project_builder.h"

#include <map>

namespace engine_test {
namespace {

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kGreen = 0xFF00FF00;
constexpr std::uint32_t kBlue = 0xFF0000FF;

// The back buffer as it is now.
struct Pixels {
    Pixels()
    {
        if (IDirect3DDevice9* device = GxGraphics::GetDevice())
            platform::d3d9::ReadBackBuffer(device, argb, width, height);
    }
    std::uint32_t At(int x, int y) const
    {
        if (x < 0 || y < 0 || static_cast<UINT>(x) >= width || static_cast<UINT>(y) >= height)
            return 0x12345678;
        return argb[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)] & 0xFFFFFFu;
    }
    std::vector<std::uint32_t> argb;
    UINT width = 0, height = 0;
};

using FrameMap = std::map<std::int32_t, Pixels>;

// A layer that looks at the back buffer right after drawing its motion, keyed by the frame of
// the snapshot it drew (into the test's map: the layer goes with the run).
class ReadBackLayer : public GxTaskLayer {
public:
    ReadBackLayer(GxTaskBase* owner, const char16_t* name, FrameMap* frames)
        : GxTaskLayer(owner, name), m_Frames(*frames)
    {
    }

    int Draw(std::int32_t value, std::int32_t listIndex) override
    {
        const int result = GxTaskLayer::Draw(value, listIndex);
        const auto* snapshot =
            static_cast<const GxNcMotionSnapShotEx*>(GetCurrentContent().m_Bounds.m_pSnapShot.get());
        if (snapshot != nullptr && m_Frames.count(snapshot->m_Frame) == 0)
            m_Frames.emplace(snapshot->m_Frame, Pixels());
        return result;
    }

    FrameMap& m_Frames;
};

class MotionDrawRunTest : public EngineRunTest {
protected:
    void SetUp() override
    {
        EngineRunTest::SetUp();
        UseMotionServices();
    }

    // "gis/cells.gis": an atlas of four 32 x 32 cells (red, green, blue, white); origin images
    // "red.png" and "green.png" are the first two, the green one centred on its middle.
    void WriteImageSet()
    {
        const fs::path folder = m_Game / "gis";
        fs::create_directories(folder);
        WriteImageFile((folder / "cells.png").string(),
                       BuildPng(PngSpecRgba8(TestImage::Quadrants(64, 64, kRed, kGreen, 0xFF0000FF, 0xFFFFFFFF))));
        TestImageSetSpec spec;
        spec.atlases.push_back(TestGisAtlas{u"cells.png", 64, 64, 2, 0});
        for (int i = 0; i < 2; ++i) {
            TestGisOrigin origin;
            origin.fileName = i == 0 ? u"red.png" : u"green.png";
            origin.width = 32;
            origin.height = 32;
            TestGisPattern pattern;
            pattern.width = pattern.crammedWidth = 32;
            pattern.height = pattern.crammedHeight = 32;
            pattern.crammedLeft = 32 * i;
            pattern.crammedRawUV = GxFRect{0.5f * i, 0.0f, 0.5f * (i + 1), 0.5f};
            if (i == 1)
                pattern.centerPosX = pattern.centerPosY = 16.0f;
            origin.patterns.push_back(pattern);
            spec.origins.push_back(origin);
        }
        ASSERT_TRUE(WriteImageSetFile((folder / "cells.gis").string(), spec, TestContentForm::kBinary));
    }

    // "motion/walk.gnc": motion "walk" of group "g", 120 frames: a parent layer scaled by 2 and
    // a child showing the green cell whose position goes from 0 to 60 in 60 frames, linear.
    void WriteProject()
    {
        GxNcLayer body;
        body.m_LayerName = u"body";
        GxNcVector4Key scale;
        scale.m_Value = GxVector4(2, 2, 1, 1);
        body.m_ScaleKeys.push_back(scale);
        GxNcLayer hand = ImageLayer(u"hand", u"cells.gis", u"green.png");
        GxNcVector4Key from, to;
        to.m_Time = 60;
        to.m_Value = GxVector4(60, 0, 0, 0);
        hand.m_PositionKeys = {from, to};
        TestNcMotion walk;
        walk.motionName = u"walk";
        walk.endTime = 120;
        walk.layers = {body, hand};
        walk.tree = {TestNcStratum{u"body", 0, {TestNcStratum{u"hand", 1, {}}}}};
        TestNcProjectSpec spec;
        spec.groups.push_back(TestNcMotionGroup{u"g", u"", 0, {walk}});
        spec.imageSetFileNames = {u"cells.gis"};
        fs::create_directories(m_Game / "motion");
        ASSERT_TRUE(WriteMotionProjectFile((m_Game / "motion" / "walk.gnc").string(), spec, TestContentForm::kText));
    }
};

TEST_F(MotionDrawRunTest, AnImageSetCellAndAMovingMotionLayerReachTheScreen)
{
    MakeGameFolder(m_Game, GameFolder{});
    WriteImageSet();
    WriteProject();
    GxCore* core = GxCore::GetInstance();
    FrameMap frames;
    bool cellLoaded = false, motionLoaded = false;
    std::uint32_t cellPixel = 0, clearPixel = 0;
    m_Module.m_OnCreateSequences = [&](GxTaskBase*) {
        GxTaskBase* boot = core->m_TaskManage->FindTask(u"SeqBoot");
        ASSERT_NE(boot, nullptr);
        auto* cell = new GxTaskLayer(boot, u"cell");
        cell->SetPos(GxVector3(100, 100, 0));
        cellLoaded = cell->LoadImageSetPattern(u"gis/cells.gis", u"red.png", 0, 0);
        auto* motion = new ReadBackLayer(boot, u"motion", &frames);
        motionLoaded = motion->LoadMotionProject(u"motion/walk.gnc", u"gis", u"g", u"walk", 0, 0);
        auto* probe = new ProbeTask(boot, u"probe", "probe", nullptr);
        probe->m_OnUpdate = [&](std::int32_t) {
            // A frame presented before this pass: the cell, and an empty corner.
            if (frames.size() >= 2 && cellPixel == 0) {
                const Pixels pixels;
                cellPixel = pixels.At(116, 116);
                clearPixel = pixels.At(900, 700);
            }
        };
    };
    m_Run.SetMaxPasses(48);
    EXPECT_EQ(Run(), 0);

    EXPECT_TRUE(cellLoaded);
    EXPECT_TRUE(motionLoaded);
    EXPECT_EQ(cellPixel, kRed & 0xFFFFFFu);
    EXPECT_EQ(clearPixel, 0u);
    for (const std::int32_t frame : {0, 30}) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        ASSERT_EQ(frames.count(frame), 1u);
        const Pixels& pixels = frames.at(frame);
        // The child covers 64 pixels centred on 512 + 2 x frame, at the screen's middle row.
        const int left = 480 + 2 * frame;
        for (const int y : {360, 384, 410}) {
            EXPECT_EQ(pixels.At(left + 2, y), kGreen & 0xFFFFFFu);
            EXPECT_EQ(pixels.At(left + 32, y), kGreen & 0xFFFFFFu);
            EXPECT_EQ(pixels.At(left + 61, y), kGreen & 0xFFFFFFu);
            EXPECT_EQ(pixels.At(left - 2, y), 0u);
            EXPECT_EQ(pixels.At(left + 66, y), 0u);
        }
        EXPECT_EQ(pixels.At(512 + 2 * frame, 340), 0u);
        EXPECT_EQ(pixels.At(900, 700), 0u);
    }
    const std::string log = ReadLog(m_Game / "ENGINE_SAVE" / "error.log");
    EXPECT_EQ(log.find("Tree is not prepared"), std::string::npos) << log;
    EXPECT_EQ(log.find("画像が存在しません"), std::string::npos) << log;
}

// "gis/parts.gis" over one 256 x 128 atlas: "big.png" a 100 x 100 blue cell, "red.png",
// "green.png" and the fully transparent "clear.png" 32 x 32 cells, each centred on its middle.
void WritePartsImageSet(const fs::path& folder)
{
    fs::create_directories(folder);
    TestImage atlas = TestImage::Solid(256, 128, 0x00000000);
    auto fill = [&atlas](std::uint32_t left, std::uint32_t size, std::uint32_t argb) {
        for (std::uint32_t y = 0; y < size; ++y)
            std::fill_n(atlas.argb.begin() + std::ptrdiff_t(y * atlas.width + left), size, argb);
    };
    fill(0, 100, kBlue);
    fill(128, 32, kRed);
    fill(192, 32, kGreen);
    WriteImageFile((folder / "parts.png").string(), BuildPng(PngSpecRgba8(atlas)));
    TestImageSetSpec spec;
    spec.atlases.push_back(TestGisAtlas{u"parts.png", 256, 128, 4, 0});
    const struct {
        const char16_t* name;
        std::int32_t left, size;
    } cells[] = {{u"big.png", 0, 100}, {u"red.png", 128, 32}, {u"green.png", 192, 32}, {u"clear.png", 224, 32}};
    for (const auto& cell : cells) {
        TestGisOrigin origin;
        origin.fileName = cell.name;
        origin.width = origin.height = cell.size;
        TestGisPattern pattern;
        pattern.width = pattern.crammedWidth = cell.size;
        pattern.height = pattern.crammedHeight = cell.size;
        pattern.crammedLeft = cell.left;
        pattern.centerPosX = pattern.centerPosY = static_cast<float>(cell.size) / 2.0f;
        pattern.crammedRawUV = GxFRect{cell.left / 256.0f, 0.0f, (cell.left + cell.size) / 256.0f, cell.size / 128.0f};
        origin.patterns.push_back(pattern);
        spec.origins.push_back(origin);
    }
    ASSERT_TRUE(WriteImageSetFile((folder / "parts.gis").string(), spec, TestContentForm::kBinary));
}

GxNcLayer PlacedLayer(const std::u16string& name, const std::u16string& image, float x, float y,
                      std::uint32_t blend = 1)
{
    GxNcLayer layer = ImageLayer(name, u"parts.gis", image);
    layer.m_BlendMode = blend;
    GxNcVector4Key position;
    position.m_Value = GxVector4(x, y, 0, 0);
    layer.m_PositionKeys.push_back(position);
    return layer;
}

TEST_F(MotionDrawRunTest, TopLevelAndChildLayersLandOnTheirPixelsAndCopyOrBlendByTheirMode)
{
    MakeGameFolder(m_Game, GameFolder{});
    WritePartsImageSet(m_Game / "gis");
    // Two top-level layers apart; a 100 x 100 body at scale 1 with a face placed relative to it.
    // The face comes first in the list, so that it is drawn over the body. Two clear cells over
    // the body: blend mode 1 (the layer default) copies its transparent texels, 2 blends them.
    TestNcMotion layout;
    layout.motionName = u"layout";
    layout.endTime = 60;
    layout.layers = {PlacedLayer(u"face", u"red.png", 30, -20),
                     PlacedLayer(u"copied", u"clear.png", -30, 25),
                     PlacedLayer(u"blended", u"clear.png", 30, 25, 2),
                     PlacedLayer(u"left", u"green.png", -200, -100),
                     PlacedLayer(u"right", u"red.png", 200, -100),
                     PlacedLayer(u"body", u"big.png", -100, 150)};
    layout.tree = {TestNcStratum{u"left", 3, {}}, TestNcStratum{u"right", 4, {}},
                   TestNcStratum{u"body", 5,
                                 {TestNcStratum{u"face", 0, {}}, TestNcStratum{u"copied", 1, {}},
                                  TestNcStratum{u"blended", 2, {}}}}};
    TestNcProjectSpec spec;
    spec.groups.push_back(TestNcMotionGroup{u"g", u"", 0, {layout}});
    spec.imageSetFileNames = {u"parts.gis"};
    fs::create_directories(m_Game / "motion");
    ASSERT_TRUE(WriteMotionProjectFile((m_Game / "motion" / "layout.gnc").string(), spec, TestContentForm::kBinary));

    FrameMap frames;
    bool loaded = false;
    m_Module.m_OnCreateSequences = [&](GxTaskBase*) {
        GxTaskBase* boot = GxCore::GetInstance()->m_TaskManage->FindTask(u"SeqBoot");
        ASSERT_NE(boot, nullptr);
        auto* motion = new ReadBackLayer(boot, u"motion", &frames);
        loaded = motion->LoadMotionProject(u"motion/layout.gnc", u"gis", u"g", u"layout", 0, 0);
    };
    m_Run.SetMaxPasses(12);
    EXPECT_EQ(Run(), 0);
    ASSERT_TRUE(loaded);
    ASSERT_FALSE(frames.empty());
    const Pixels& pixels = frames.begin()->second;

    // Expected colour in and just outside each edge of a square of `size` centred on the motion's
    // origin (the screen's middle, 512, 384) plus (x, y).
    auto square = [&pixels](const char* what, float x, float y, int size, std::uint32_t inside,
                            std::uint32_t outside) {
        SCOPED_TRACE(what);
        const int left = 512 + static_cast<int>(x) - size / 2;
        const int top = 384 + static_cast<int>(y) - size / 2;
        const int midX = left + size / 2, midY = top + size / 2;
        EXPECT_EQ(pixels.At(left, midY), inside);
        EXPECT_EQ(pixels.At(left + size - 1, midY), inside);
        EXPECT_EQ(pixels.At(midX, top), inside);
        EXPECT_EQ(pixels.At(midX, top + size - 1), inside);
        EXPECT_EQ(pixels.At(left - 1, midY), outside);
        EXPECT_EQ(pixels.At(left + size, midY), outside);
        EXPECT_EQ(pixels.At(midX, top - 1), outside);
        EXPECT_EQ(pixels.At(midX, top + size), outside);
    };
    square("left", -200, -100, 32, kGreen & 0xFFFFFFu, 0u);
    square("right", 200, -100, 32, kRed & 0xFFFFFFu, 0u);
    square("body", -100, 150, 100, kBlue & 0xFFFFFFu, 0u);
    square("face", -100 + 30, 150 - 20, 32, kRed & 0xFFFFFFu, kBlue & 0xFFFFFFu);
    square("copied", -100 - 30, 150 + 25, 32, 0u, kBlue & 0xFFFFFFu);
    square("blended", -100 + 30, 150 + 25, 32, kBlue & 0xFFFFFFu, kBlue & 0xFFFFFFu);
    const std::string log = ReadLog(m_Game / "ENGINE_SAVE" / "error.log");
    EXPECT_EQ(log.find("Tree is not prepared"), std::string::npos) << log;
    EXPECT_EQ(log.find("LayerNotFound"), std::string::npos) << log;
}

}  // namespace
}  // namespace engine_test
