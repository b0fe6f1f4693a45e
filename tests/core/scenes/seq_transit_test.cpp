#include "core/seq_transit_base.h"

#include "avg/avg_transit_graphics.h"
#include "core/core.h"
#include "core/shared_asset_manage.h"
#include "tests/support/core_config_fixture.h"
#include "core/task_manage.h"
#include "core/transit_graphics.h"
#include "foundation/bin_buffer.h"
#include "foundation/content_text.h"
#include "foundation/log.h"
#include "graphics/graphics.h"
#include "tests/support/test_device.h"

#include "tests/support/error_log_capture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Records what a transition asks of the graphics layer.
class RecordingGraphics : public GxTransitGraphicsBase {
public:
    struct DrawCall {
        GxTexture* texture;
        float x, y;
        GxFRect source;
        GxVector2 scale;
        float rotation;
        GxVector2 pivot;
        GxVector2 uvOffset;
        std::uint32_t color0, color1;
        std::int32_t preset;
    };

    explicit RecordingGraphics(GxTaskManage*& manage) : m_Manage(manage) {}

    bool CaptureScreenToTexture(GxCore* core) override
    {
        calls.push_back("capture");
        captureCore = core;
        const GxSeqWorker* slot = m_Manage->GetWorker(0);
        capturedCurrent = slot ? slot->m_Current : nullptr;
        return true;
    }
    GxTexture* GetCaptureTexture() override { return kTexture; }
    bool BeginSceneNested() override
    {
        calls.push_back("begin");
        return true;
    }
    bool EndSceneNested() override
    {
        calls.push_back("end");
        return true;
    }
    void ResetRenderStates() override { calls.push_back("reset"); }
    void DrawTextureRect2D(GxTexture* texture, float x, float y, const GxFRect& source, const GxVector2& scale,
                           float rotation, const GxVector2& pivot, const GxVector2& uvOffset, std::uint32_t color0,
                           std::uint32_t color1, std::int32_t preset) override
    {
        calls.push_back("draw");
        draws.push_back({texture, x, y, source, scale, rotation, pivot, uvOffset, color0, color1, preset});
    }

    static inline GxTexture* const kTexture = reinterpret_cast<GxTexture*>(std::uintptr_t{0x7E0});
    std::vector<std::string> calls;
    std::vector<DrawCall> draws;
    GxCore* captureCore = nullptr;
    GxSeqBase* capturedCurrent = nullptr;

private:
    GxTaskManage*& m_Manage;
};

// A widget stand-in under a screen that takes every left click.
class ClickTarget : public GxTaskBase {
public:
    using GxTaskBase::GxTaskBase;
    int OnMouseLeftDown(const GxVector2*, std::uint32_t, std::int32_t) override
    {
        ++clicks;
        return 1;
    }
    int clicks = 0;
};

// Two transition screens, a plain screen and a widget on the second transition screen, in a
// task manager with a core stand-in and the recording graphics.
class TransitScreens : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_Manage = new GxTaskManage(&m_Core);
        m_Core.m_TaskManage = m_Manage;
        auto* root = new GxTaskBase(m_Manage);
        m_A = new GxSeqTransitBase(root, u"SeqA");
        m_B = new GxSeqTransitBase(root, u"SeqB");
        m_Plain = new GxSeqBase(root, u"SeqPlain");
        m_Button = new ClickTarget(m_B, u"btn", nullptr, 0);
        m_PreviousGraphics = SetTransitGraphics(&m_Graphics);
    }
    void TearDown() override
    {
        SetTransitGraphics(m_PreviousGraphics);
        delete m_Manage;
    }

    void SwitchTo(GxSeqBase* sequence, std::int32_t worker = 0)
    {
        ASSERT_TRUE(m_Manage->ChangeSequence(sequence, worker, 0, 0));
        m_Manage->ApplySequenceChanges();
    }
    // One logic pass followed by the drawing of the lists, as the frame does it.
    void Frame(std::uint64_t elapsed)
    {
        m_Core.ClearRenderLists();
        m_Manage->UpdateAll(0, elapsed);
        m_Manage->RenderAll(0, elapsed);
        m_Core.DrawRenderLists();
    }
    // Entries of one render list as (task, value) pairs.
    std::vector<std::pair<GxTaskBase*, std::int32_t>> ListEntries(std::int32_t n)
    {
        std::vector<std::pair<GxTaskBase*, std::int32_t>> out;
        for (const GxTaskRenderEntry& e : m_Core.GetRenderList(n)->GetEntries()) {
            EXPECT_EQ(e.m_Depth, 0.0f);
            out.emplace_back(e.m_Task, e.m_Value);
        }
        return out;
    }
    int Click()
    {
        const GxVector2 point(10.0f, 10.0f);
        return m_Manage->OnMouseLeftDown(&point, 0);
    }

    GxCore m_Core;
    TestCoreConfig m_Config{m_Core};
    GxTaskManage* m_Manage = nullptr;
    GxSeqTransitBase* m_A = nullptr;
    GxSeqTransitBase* m_B = nullptr;
    GxSeqBase* m_Plain = nullptr;
    ClickTarget* m_Button = nullptr;
    RecordingGraphics m_Graphics{m_Manage};
    GxTransitGraphicsBase* m_PreviousGraphics = nullptr;
};

TEST_F(TransitScreens, LeavingForATransitionScreenCapturesTheOldPictureAndStartsTheFade)
{
    for (std::int32_t worker : {0, 1}) {
        SCOPED_TRACE(worker);
        m_Graphics.calls.clear();
        m_Config.m_System.m_TransitTime = 250;
        m_Config.Refresh();
        SwitchTo(m_A, worker);
        // Nothing left the empty slot, so nothing was captured and A enters without a fade.
        EXPECT_TRUE(m_Graphics.calls.empty());
        EXPECT_FALSE(m_A->IsInTransit());
        Frame(16667);
        ASSERT_TRUE(m_Manage->IsWorkerReady(worker));

        SwitchTo(m_B, worker);
        EXPECT_EQ(m_Graphics.calls, std::vector<std::string>{"capture"});
        EXPECT_EQ(m_Graphics.captureCore, &m_Core);
        if (worker == 0) {
            EXPECT_EQ(m_Graphics.capturedCurrent, m_A);   // the picture shows the leaving screen
        }
        EXPECT_TRUE(m_B->IsInTransit());
        EXPECT_EQ(m_B->m_TransitParam.m_TransitTimeLeft, 250);
        EXPECT_EQ(m_B->m_TransitParam.m_TransitTimeTotal, 250);
        EXPECT_EQ(m_B->m_InputFlags & kTransitInputBlock, kTransitInputBlock);
        EXPECT_FALSE(m_A->IsInTransit());

        // Leaving B mid-fade for a plain screen ends B's fade and captures nothing.
        m_Graphics.calls.clear();
        SwitchTo(m_Plain, worker);
        EXPECT_TRUE(m_Graphics.calls.empty());
        EXPECT_FALSE(m_B->IsInTransit());
        EXPECT_EQ(m_B->m_InputFlags & kTransitInputBlock, 0u);

        m_Manage->ReleaseSequences();
    }
}

TEST_F(TransitScreens, AFadeBlocksInputAndKeepsTheSlotNotReadyUntilItsTimeIsUsedUp)
{
    SwitchTo(m_A);
    Frame(16667);
    SwitchTo(m_B);   // 400 ms from the configuration
    m_B->m_InputFlags |= kInputSkipWindow;   // an unrelated bit must survive the fade

    for (int frame = 1; frame <= 24; ++frame) {
        Frame(16667);
        Frame(0);   // a later logic pass of the same frame does not count time
        ASSERT_TRUE(m_B->IsInTransit()) << frame;
        EXPECT_EQ(m_B->m_TransitParam.m_TransitTimeLeft, 400 - 16 * frame);
        EXPECT_FALSE(m_Manage->IsWorkerReady(0));
        EXPECT_EQ(Click(), 0);
    }
    EXPECT_EQ(m_Button->clicks, 0);

    Frame(16667);   // the 25th start step: 400 - 25 * 16 = 0
    EXPECT_FALSE(m_B->IsInTransit());
    EXPECT_EQ(m_B->m_TransitParam.m_TransitTimeLeft, 0);
    EXPECT_TRUE(m_Manage->IsWorkerReady(0));
    EXPECT_EQ(m_B->m_InputFlags, kInputSkipWindow);
    EXPECT_EQ(Click(), 1);
    EXPECT_EQ(m_Button->clicks, 1);
}

TEST_F(TransitScreens, TheFadeIsDrawnInListNineOverTheClearedScreen)
{
    constexpr D3DCOLOR kUntouched = 0xFFABCDEF;
    TestDevice device;
    ASSERT_TRUE(device.Created());
    m_Config.m_System.m_ClearColor = 0xFF102030;
    m_Config.Refresh();
    SwitchTo(m_A);
    Frame(16667);
    SwitchTo(m_B);
    m_Graphics.calls.clear();
    device.Fill(kUntouched);

    Frame(100000);   // 100 ms of 400: rate 0.25, alpha 0.75 * 255 = 191
    EXPECT_EQ(ListEntries(0), (std::vector<std::pair<GxTaskBase*, std::int32_t>>{{m_B, 0}}));
    EXPECT_EQ(ListEntries(9), (std::vector<std::pair<GxTaskBase*, std::int32_t>>{{m_B, 1}}));
    EXPECT_EQ(device.Pixel(0, 0), 0xFF102030u);   // cleared once, then the recorded fade
    EXPECT_EQ(m_Graphics.calls, (std::vector<std::string>{"begin", "reset", "draw", "end"}));
    ASSERT_EQ(m_Graphics.draws.size(), 1u);
    const RecordingGraphics::DrawCall& d = m_Graphics.draws[0];
    EXPECT_EQ(d.texture, RecordingGraphics::kTexture);
    EXPECT_EQ(d.x, 0.0f);
    EXPECT_EQ(d.y, 0.0f);
    EXPECT_EQ(d.source.left, 0.0f);
    EXPECT_EQ(d.source.top, 0.0f);
    EXPECT_EQ(d.source.right, 1024.0f);
    EXPECT_EQ(d.source.bottom, 768.0f);
    EXPECT_EQ(d.scale.x, 1.0f);
    EXPECT_EQ(d.scale.y, 1.0f);
    EXPECT_EQ(d.rotation, 0.0f);
    EXPECT_EQ(d.pivot.x, 0.0f);
    EXPECT_EQ(d.pivot.y, 0.0f);
    EXPECT_EQ(d.uvOffset.x, 0.0f);
    EXPECT_EQ(d.uvOffset.y, 0.0f);
    EXPECT_EQ(d.color0, 0xBFFFFFFFu);
    EXPECT_EQ(d.preset, 2);

    // Once the fade is over only the clear is queued and drawn.
    Frame(300000);
    m_Graphics.calls.clear();
    device.Fill(kUntouched);
    Frame(16667);
    EXPECT_TRUE(ListEntries(9).empty());
    EXPECT_TRUE(m_Graphics.calls.empty());
    EXPECT_EQ(device.Pixel(0, 0), 0xFF102030u);

    // Draw values other than 0 and 1 draw nothing; value 1 without a fade draws nothing.
    device.Fill(kUntouched);
    m_B->Draw(5, 9);
    m_B->Draw(1, 9);
    m_B->DrawTransit();
    EXPECT_TRUE(m_Graphics.calls.empty());
    EXPECT_EQ(device.Pixel(0, 0), kUntouched);
}

// The adventure module's transition graphics outside a started game, where no render texture exists:
// the capture is refused with a log line and the fade covers the new screen with nothing (not
// with a blank quad).
TEST_F(TransitScreens, WithoutTheCaptureTextureTheEnginesFadeCapturesAndDrawsNothing)
{
    TestDevice device;
    ASSERT_TRUE(device.Created());
    TestErrorLogCapture errors;
    SetTransitGraphics(&GetAvgTransitGraphics());
    m_Config.m_System.m_ClearColor = 0xFF102030;
    m_Config.Refresh();
    SwitchTo(m_A);
    Frame(16667);

    SwitchTo(m_B);
    EXPECT_TRUE(m_B->IsInTransit());
    EXPECT_EQ(m_Core.m_RenderSet, 0);
    ASSERT_EQ(errors.Lines().size(), 1u);
    EXPECT_EQ(errors.Lines()[0].rfind("CaptureScreenToTexture/", 0), 0u);
    Frame(100000);
    EXPECT_EQ(ListEntries(9), (std::vector<std::pair<GxTaskBase*, std::int32_t>>{{m_B, 1}}));
    EXPECT_EQ(device.Pixel(512, 384), 0xFF102030u);
    EXPECT_EQ(device.Pixel(0, 0), 0xFF102030u);
}

TEST_F(TransitScreens, StartAndStopTransitTouchOnlyTheInputBlockingBits)
{
    m_A->m_InputFlags = kTransitInputBlock | kInputSkipNet;
    EXPECT_FALSE(m_A->StopTransit());   // nothing runs: the bits stay as they are
    EXPECT_EQ(m_A->m_InputFlags, kTransitInputBlock | kInputSkipNet);

    m_A->m_InputFlags = kInputSkipNet;
    EXPECT_TRUE(m_A->StartTransit(300));
    EXPECT_EQ(m_A->m_InputFlags, 0x38u | kInputSkipNet);
    EXPECT_TRUE(m_A->StopTransit());
    EXPECT_EQ(m_A->m_InputFlags, kInputSkipNet);
    EXPECT_EQ(m_A->m_TransitParam.m_TransitTimeLeft, 0);
    EXPECT_EQ(m_A->m_TransitParam.m_TransitTimeTotal, 300);
    EXPECT_FALSE(m_A->StopTransit());
}

TEST_F(TransitScreens, StartStepCountsWholeMillisecondsAndEndsOnTheFirstStepWithoutTime)
{
    struct Case {
        std::int32_t total;
        std::uint64_t elapsed;
        int stepsToEnd;
    };
    const Case cases[] = {
        {400, 16667, 25},
        {400, 999, -1},                        // under a millisecond per step never counts
        {0, 0, 1},                             // no time: over on the first step
        {-5, 16667, 1},
        {1000, 0xFFFFFFFFFFFFull, 1},          // a long stall must not wrap the count
        {0x7FFFFFFF, 0xFFFFFFFFFFFFFFFFull, 1},
    };
    SwitchTo(m_A);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.total);
        m_Manage->GetWorker(0)->m_Ready = false;
        m_A->StartTransit(c.total);
        if (c.total <= 0) {
            EXPECT_EQ(m_A->m_TransitParam.GetRate(), 1.0f);
        }
        int steps = 0;
        while (m_A->IsInTransit() && steps < 100) {
            m_A->StartMain(0, c.elapsed);
            ++steps;
        }
        if (c.stepsToEnd < 0) {
            EXPECT_TRUE(m_A->IsInTransit());
            EXPECT_FALSE(m_Manage->IsWorkerReady(0));
            m_A->StopTransit();
        } else {
            EXPECT_EQ(steps, c.stepsToEnd);
            EXPECT_EQ(m_A->m_TransitParam.m_TransitTimeLeft, 0);
            EXPECT_TRUE(m_Manage->IsWorkerReady(0));
        }
    }
}

TEST_F(TransitScreens, APendingScreenWithTheKindBitButNoFadeIsRefused)
{
    TestErrorLogCapture errors;
    auto* pretender = new GxSeqBase(m_Manage->GetRoot(), u"SeqPretender");
    pretender->m_KindFlags |= kKindTransitSequence;
    SwitchTo(m_A);
    SwitchTo(pretender);
    EXPECT_TRUE(m_Graphics.calls.empty());
    ASSERT_EQ(errors.Lines().size(), 1u);
    EXPECT_NE(errors.Lines()[0].find("SeqPretender"), std::string::npos);
}

TEST_F(TransitScreens, OnlyTheMainSlotChangeReleasesSharedScopes)
{
    // The counters outlive the manager, whose destructor releases what is left.
    int released1 = 0;
    int released2 = 0;
    GxSharedAssetManage shared;
    m_Core.m_SharedAssets = &shared;
    shared.CreateScope(1);
    GxSharedScope* keep = shared.CreateScope(2);
    keep->AddSequenceName(u"SeqB");
    struct Counted : GxSharedAsset {
        explicit Counted(int& n) : count(n) {}
        ~Counted() override { ++count; }
        int& count;
    };
    shared.GetScope(1)->AddAsset(0, u"a", std::make_unique<Counted>(released1));
    keep->AddAsset(0, u"a", std::make_unique<Counted>(released2));

    SwitchTo(m_A, 1);   // slot 1: nothing is released
    EXPECT_EQ(released1, 0);
    SwitchTo(m_B, 0);   // slot 0 entering "SeqB": scope 1 goes, scope 2 names it and stays
    EXPECT_EQ(released1, 1);
    EXPECT_EQ(released2, 0);
    m_Manage->ReleaseSequences();
    m_Core.m_SharedAssets = nullptr;
}

// An in-memory stream for the content writer.
class MemoryFile {
public:
    MemoryFile() : m_File(open_memstream(&m_Data, &m_Size)) {}
    ~MemoryFile()
    {
        if (m_File) std::fclose(m_File);
        std::free(m_Data);
    }
    std::FILE* File() { return m_File; }
    std::string Close()
    {
        std::fclose(m_File);
        m_File = nullptr;
        return std::string(m_Data, m_Size);
    }

private:
    char* m_Data = nullptr;
    std::size_t m_Size = 0;
    std::FILE* m_File = nullptr;
};

template <typename Write>
std::string WriteRecord(Write write)
{
    MemoryFile file;
    {
        GxContentTextWriter writer(file.File());
        writer.WriteHeader("TRN", 1);
        write(writer);
    }
    return file.Close();
}

bool ReadRecord(const std::string& text, GxTransitParam& param)
{
    GxBinBuffer buffer;
    std::memcpy(buffer.Allocate(static_cast<std::uint32_t>(text.size())), text.data(), text.size());
    GxContentTextReader reader(buffer, false);
    std::uint32_t version = 0;
    EXPECT_TRUE(reader.ReadHeader("TRN", &version));
    return param.ReadState(reader);
}

TEST(TransitParam, RateRunsFromZeroToOneOnlyWhileATransitionRuns)
{
    struct Case {
        bool transit;
        std::int32_t left, total;
        float rate;
    };
    const Case cases[] = {
        {false, 100, 400, 1.0f}, {false, 400, 400, 1.0f},   // off: 1 whatever the times
        {true, 400, 400, 0.0f},  {true, 300, 400, 0.25f},  {true, 0, 400, 1.0f},
        {true, 500, 400, 0.0f},  {true, -100, 400, 1.0f},  // out of range is clamped
        {true, 10, 0, 1.0f},     {true, 10, -20, 1.0f},
        {true, -0x7FFFFFFF - 1, 0x7FFFFFFF, 1.0f},         // no overflow on the way
    };
    for (const Case& c : cases) {
        GxTransitParam p;
        p.m_Transit = c.transit;
        p.m_TransitTimeLeft = c.left;
        p.m_TransitTimeTotal = c.total;
        EXPECT_FLOAT_EQ(p.GetRate(), c.rate) << c.transit << " " << c.left << "/" << c.total;
    }
    EXPECT_EQ(GxTransitParam().GetRate(), 1.0f);
}

TEST(TransitParam, StateRoundTripsAndADamagedRecordFails)
{
    GxTransitParam written;
    written.m_Transit = true;
    written.m_TransitTimeLeft = 123;
    written.m_TransitTimeTotal = 400;
    const std::string text = WriteRecord([&](GxContentTextWriter& w) { EXPECT_TRUE(written.WriteState(w)); });
    EXPECT_NE(text.find("m_Transit\t"), std::string::npos);

    GxTransitParam read;
    EXPECT_TRUE(ReadRecord(text, read));
    EXPECT_TRUE(read.m_Transit);
    EXPECT_EQ(read.m_TransitTimeLeft, 123);
    EXPECT_EQ(read.m_TransitTimeTotal, 400);

    // Wrong type for the flag, fields in the wrong order, a record cut short.
    const std::string damaged[] = {
        WriteRecord([](GxContentTextWriter& w) {
            w.WriteS32("m_Transit", 1);
            w.WriteS32("m_TransitTimeLeft", 1);
            w.WriteS32("m_TransitTimeTotal", 1);
        }),
        WriteRecord([](GxContentTextWriter& w) {
            w.WriteBool("m_Transit", true);
            w.WriteS32("m_TransitTimeTotal", 1);
            w.WriteS32("m_TransitTimeLeft", 1);
        }),
        WriteRecord([](GxContentTextWriter& w) { w.WriteBool("m_Transit", true); }),
    };
    for (const std::string& record : damaged) {
        GxTransitParam p;
        EXPECT_FALSE(ReadRecord(record, p)) << record;
    }
}

}  // namespace
