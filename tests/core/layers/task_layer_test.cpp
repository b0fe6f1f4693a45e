// [Layer] content changes with their cross-fade, drawing of each kind, movies, shake, sub-layers,
// motion projects and image sets, and the saved state.
#include "layer_fixture.h"

#include "core/task_layer.h"
#include "tests/support/temp_dir.h"

#include <cmath>
#include <filesystem>
#include <fstream>

using namespace layer_test;

namespace {

constexpr std::uint64_t kFrame100ms = 100000;   // elapsed microseconds

class LayerTest : public LayerFixture {
protected:
    LayerTest() : m_Temp("tw_task_layer"), m_Dir(m_Temp.Path())
    {
        m_Layer = new GxTaskLayer(m_Root, u"bg");
    }

    // A loose file the fake textures load at the given size.
    std::u16string MakeImage(const std::string& name, std::uint32_t width, std::uint32_t height)
    {
        const std::filesystem::path path = m_Dir / name;
        std::ofstream(path) << "x";
        const std::string text = path.string();
        const std::u16string wide(text.begin(), text.end());
        m_Files.m_Sizes[wide] = {width, height};
        return wide;
    }

    // Alpha bytes of the draws made by one Draw of the layer.
    std::vector<std::uint32_t> DrawAlphas()
    {
        m_Graphics.m_Draws.clear();
        m_Layer->Draw(0, kLayerRenderList);
        std::vector<std::uint32_t> alphas;
        for (const FakeGraphics::Draw& draw : m_Graphics.m_Draws)
            alphas.push_back(draw.color0 >> 24);
        return alphas;
    }

    TestTempDir m_Temp;
    std::filesystem::path m_Dir;
    GxTaskLayer* m_Layer = nullptr;
};

}  // namespace

TEST_F(LayerTest, ContentChangeWithoutFadeClearsTheOldContentAtOnce)
{
    const std::u16string a = MakeImage("a.png", 640, 480);
    const std::u16string b = MakeImage("b.png", 800, 600);
    EXPECT_TRUE(m_Layer->m_KindFlags & kKindLayer);
    EXPECT_EQ(m_Layer->GetTaskType(), 1);

    m_Layer->SetAlpha(0);
    m_Layer->AddFadeInAction(0, 30000);   // every load finishes the running actions first
    EXPECT_TRUE(m_Layer->LoadFlexImage(a, 0));
    EXPECT_EQ(m_Layer->GetAlpha(), 255);
    EXPECT_EQ(m_Layer->m_IndexPos, 1);
    EXPECT_EQ(m_Layer->GetCurrentContent().m_ContentType, kLayerContentImage);
    EXPECT_EQ(m_Layer->GetWidth(), 640);

    EXPECT_TRUE(m_Layer->LoadFlexImage(b, 0));
    EXPECT_EQ(m_Layer->m_IndexPos, 0);
    EXPECT_FALSE(m_Layer->IsInTransit());
    EXPECT_EQ(m_Layer->GetOtherContent().m_ContentType, kLayerContentNone);
    EXPECT_EQ(DrawAlphas(), (std::vector<std::uint32_t>{0xFF}));
    EXPECT_EQ(m_Graphics.m_Draws[0].texture, m_Layer->GetCurrentContent().GetImageTexture());
}

TEST_F(LayerTest, ContentChangeWithFadeDrawsBothUntilTheTimeIsUsedUp)
{
    const std::u16string a = MakeImage("a.png", 640, 480);
    const std::u16string b = MakeImage("b.png", 800, 600);
    m_Layer->SetLocalTransitMode(kLayerTransitLinear);
    m_Layer->LoadFlexImage(a, 0);
    m_Layer->LoadFlexImage(b, 500);
    EXPECT_TRUE(m_Layer->IsInTransit());
    EXPECT_EQ(m_Layer->GetOtherContent().m_ContentFileName, a);

    m_Layer->Update(0, 250000);
    EXPECT_EQ(DrawAlphas(), (std::vector<std::uint32_t>{0x7F, 0x7F}));   // old first, new over it
    EXPECT_EQ(m_Graphics.m_Draws[0].texture, m_Layer->GetOtherContent().GetImageTexture());

    m_Layer->Update(0, 249000);
    EXPECT_TRUE(m_Layer->IsInTransit());
    m_Layer->Update(0, 1000);
    EXPECT_FALSE(m_Layer->IsInTransit());
    EXPECT_EQ(m_Layer->GetOtherContent().m_ContentType, kLayerContentNone);
    EXPECT_EQ(DrawAlphas(), (std::vector<std::uint32_t>{0xFF}));

    // EndTransit cuts a fade short; without one it reports false.
    m_Layer->ClearContent(300);
    EXPECT_TRUE(m_Layer->EndTransit());
    EXPECT_EQ(m_Layer->GetOtherContent().m_ContentType, kLayerContentNone);
    EXPECT_FALSE(m_Layer->EndTransit());
}

TEST_F(LayerTest, FadeModesWeightTheTwoContents)
{
    struct Case {
        std::int32_t mode;
        std::int32_t elapsedMs;   // of a 1000 ms fade
        std::vector<std::uint32_t> alphas;   // outgoing, then incoming; a zero factor draws nothing
    };
    const Case cases[] = {
        {kLayerTransitLinear, 250, {191, 63}},
        {kLayerTransitSoft, 500, {208, 208}},   // about 0.818 each at half-way
        {kLayerTransitSoftMixed, 500, {188, 188}},
        {kLayerTransitThroughBlack, 250, {127}},       // only the old picture, at half strength
        {kLayerTransitThroughBlack, 500, {}},          // both gone half-way
        {kLayerTransitThroughBlack, 750, {127}},       // only the new one
        {17, 250, {191, 63}},                          // unknown modes are linear
    };
    m_Layer->LoadSolidColor(0xFF000000, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + " at " + std::to_string(c.elapsedMs));
        m_Layer->SetLocalTransitMode(c.mode);
        m_Layer->LoadSolidColor(0xFFFFFFFF, 1000);
        m_Layer->Update(0, static_cast<std::uint64_t>(c.elapsedMs) * 1000);
        EXPECT_EQ(DrawAlphas(), c.alphas);
    }
}

TEST_F(LayerTest, DrawUsesTheVisualParametersAndSkipsWhatHasNoSize)
{
    m_Layer->LoadSolidColor(0xFF804020, 0);
    m_Layer->SetColor0(GxFColor(1, 1, 1, 0.5f));
    m_Layer->SetBlendMode(3);
    EXPECT_EQ(DrawAlphas(), (std::vector<std::uint32_t>{0x7F}));
    const FakeGraphics::Draw& rect = m_Graphics.m_Draws[0];
    EXPECT_EQ(rect.kind, "Solid");
    EXPECT_EQ(rect.preset, 3);
    EXPECT_EQ(rect.source.right, 1024.0f);
    EXPECT_EQ(rect.source.bottom, 768.0f);
    EXPECT_EQ(m_Layer->GetWidth(), 0);   // solid colours report no size

    m_Layer->SetAlpha(0);                 // an alpha of exactly 0 draws nothing
    EXPECT_TRUE(DrawAlphas().empty());
    m_Layer->SetAlpha(255);
    m_Layer->Hide();
    EXPECT_TRUE(DrawAlphas().empty());
    m_Layer->Show();
    m_Layer->SetColor0(GxFColor(1, 1, 1, 1));

    // Textures are placed at the world position with the pivot as a fraction of their size.
    m_Files.m_Sizes[u"cg.png"] = {400, 200};
    m_Layer->SetPos(GxVector3(10.75f, 20, 0));
    m_Layer->SetCenterPos(GxVector3(100, 50, 0));
    m_Layer->SetRot(GxVector3(0, 0, 90));
    ASSERT_TRUE(m_Layer->LoadImageFile(u"cg.png", 0));
    EXPECT_EQ(DrawAlphas().size(), 1u);
    const FakeGraphics::Draw& image = m_Graphics.m_Draws[0];
    EXPECT_EQ(image.kind, "Rect");
    EXPECT_EQ(image.x, 10.75f);
    EXPECT_EQ(image.source.right, 400.0f);
    EXPECT_FLOAT_EQ(image.pivot.x, 0.25f);
    EXPECT_FLOAT_EQ(image.pivot.y, 0.25f);
    EXPECT_NEAR(image.rotation.z, 1.5707964f, 1e-6f);

    // A texture that failed to load, or has a zero size, is not drawn (no division by zero).
    m_Layer->LoadImageFile(u"missing.png", 0);
    EXPECT_TRUE(DrawAlphas().empty());
    m_Layer->LoadBlankTexture(0, 16, 0);
    EXPECT_TRUE(DrawAlphas().empty());
    m_Layer->LoadFlexImage(u"missing.png", 0);   // the error image is missing too
    EXPECT_TRUE(DrawAlphas().empty());
}

TEST_F(LayerTest, MissingFlexImageShowsTheErrorImageWithALabel)
{
    m_Files.m_Sizes[u"system/cg_error.png"] = {256, 128};
    m_Layer->SetPos(GxVector3(100, 200, 0));
    EXPECT_TRUE(m_Layer->LoadFlexImage(u"cg/ev01.png", 0));
    EXPECT_TRUE(m_Layer->IsErrorImageShown());
    EXPECT_EQ(m_Layer->GetCurrentContent().m_ContentFileName, u"cg/ev01.png");
    EXPECT_EQ(m_Layer->GetWidth(), 256);
    m_Journal.clear();
    m_Layer->Draw(0, kLayerRenderList);
    EXPECT_EQ(Lines("DrawLabel"), (std::vector<std::string>{"DrawLabel(cg/ev01.png,132,264,FFFFFFFF,2)"}));

    // A found image takes the label away; so does a reset.
    const std::u16string found = MakeImage("c.png", 10, 10);
    m_Layer->LoadFlexImage(u"cg/ev01.png", 0);
    m_Layer->ResetLayer();
    EXPECT_FALSE(m_Layer->IsErrorImageShown());
    EXPECT_EQ(m_Layer->GetCurrentContent().m_ContentType, kLayerContentNone);
    EXPECT_EQ(m_Layer->GetLocalTransitMode(), kLayerTransitSoft);
    m_Layer->LoadFlexImage(u"cg/ev01.png", 0);
    m_Layer->LoadFlexImage(found, 0);
    EXPECT_FALSE(m_Layer->IsErrorImageShown());
}

TEST_F(LayerTest, CenterOnScreenUsesTheContentSize)
{
    m_Files.m_Sizes[u"cg.png"] = {640, 480};
    m_Layer->LoadImageFile(u"cg.png", 0);
    m_Layer->CenterOnScreen();
    EXPECT_EQ(m_Layer->GetPos(), GxVector3(192, 144, 0));

    m_Files.m_Sizes[u"odd.png"] = {101, 3};
    m_Layer->LoadImageFile(u"odd.png", 0);
    m_Layer->CenterOnScreen();
    EXPECT_EQ(m_Layer->GetPos(), GxVector3(461, 382, 0));
}

TEST_F(LayerTest, PlayNowMovieClearsItselfOnceItStops)
{
    m_Layer->SetMovieAutoDisappearTime(200);
    EXPECT_TRUE(m_Layer->LoadMovie(u"op.wmv", 640, 480, 3, 1.5, -300, true, 0));
    const std::uint32_t slot = m_Layer->GetCurrentContent().m_MyChannel;
    EXPECT_EQ(slot, static_cast<std::uint32_t>(m_Layer->m_IndexPos + 1));
    EXPECT_EQ(Lines("Movie"), (std::vector<std::string>{"MovieTexture.Create(op.wmv,640,480)",
                                                        "Movie.Open(2,op.wmv,1,0)", "Movie.SetLoopStart(2,1.5)",
                                                        "Movie.Play(2,2,-300)"}));
    EXPECT_TRUE(m_Layer->IsMoviePlaying());
    EXPECT_EQ(m_Layer->GetMoviePlayer(), FakeMovie::Player(2));
    m_Movie.m_Position[2] = 3.25;
    EXPECT_EQ(m_Layer->GetMoviePosition(), 3.25);
    EXPECT_EQ(m_Layer->GetWidth(), 640);

    m_Layer->Update(0, kFrame100ms);
    EXPECT_EQ(m_Layer->GetCurrentContent().m_ContentType, kLayerContentMovie);

    m_Movie.m_Playing.erase(2);   // the movie ends
    m_Journal.clear();
    m_Layer->Update(0, kFrame100ms);
    EXPECT_EQ(m_Layer->GetCurrentContent().m_ContentType, kLayerContentNone);
    EXPECT_TRUE(m_Layer->IsInTransit());   // fading out over the auto-disappear time
    EXPECT_TRUE(Lines("Movie.").empty());
    m_Layer->Update(0, kFrame100ms);
    m_Layer->Update(0, kFrame100ms);
    EXPECT_FALSE(m_Layer->IsInTransit());
    EXPECT_EQ(Lines("Movie."), (std::vector<std::string>{"Movie.Stop(2)", "Movie.Close(2)"}));
}

TEST_F(LayerTest, MovieWithoutPlayNowWaitsForPlayMovie)
{
    EXPECT_FALSE(m_Layer->PlayMovie(0));   // no movie yet
    EXPECT_TRUE(m_Layer->LoadMovie(u"ed.wmv", 320, 240, 1, 0.0, -100, false, 0));
    EXPECT_TRUE(Lines("Movie.").empty());
    for (int i = 0; i < 3; ++i)
        m_Layer->Update(0, kFrame100ms);
    EXPECT_EQ(m_Layer->GetCurrentContent().m_ContentType, kLayerContentMovie);

    EXPECT_TRUE(m_Layer->PlayMovie(-500));
    EXPECT_EQ(Lines("Movie."), (std::vector<std::string>{"Movie.Open(2,ed.wmv,1,0)", "Movie.SetLoopStart(2,0)",
                                                         "Movie.Play(2,0,-500)"}));
    m_Journal.clear();
    m_Layer->StopMovie();
    EXPECT_EQ(m_Journal, (std::vector<std::string>{"Movie.Stop(2)"}));
    EXPECT_FALSE(m_Layer->IsMoviePlaying());
}

TEST_F(LayerTest, ShakeFollowsTheSquaredRandomCurveUntilItsTimeIsUp)
{
    msvc::srand(77);
    ReferenceRand reference(77);
    auto factor = [](int r) {
        const double s = 2.0 * (r / 32767.0 - 0.5);
        return s * std::fabs(s);
    };
    m_Layer->SetPos(GxVector3(5, 5, 0));
    m_Layer->StartShake(GxVector3(30, 10, 7), -1);   // until stopped
    for (int frame = 0; frame < 50; ++frame) {
        m_Layer->Update(0, kFrame100ms);
        const int r1 = reference.Next();
        const int r2 = reference.Next();
        const GxVector3 offset = m_Layer->m_VisualParam.m_ShakeOffsetPos;
        ASSERT_EQ(offset.x, static_cast<float>(static_cast<int>(30 * factor(r1)))) << frame;
        ASSERT_EQ(offset.y, static_cast<float>(static_cast<int>(10 * factor(r2)))) << frame;
        ASSERT_EQ(m_Layer->GetWorldPos(), GxVector3(5 + offset.x, 5 + offset.y, 0));
    }
    EXPECT_TRUE(m_Layer->m_Shake);
    m_Layer->StopShake();
    EXPECT_EQ(m_Layer->m_VisualParam.m_ShakeOffsetPos, GxVector3(0, 0, 0));
    EXPECT_EQ(m_Layer->m_ShakeAmplitude, GxVector3(0, 0, 0));

    m_Layer->StartShake(GxVector3(30, 10, 0), 300);
    m_Layer->Update(0, kFrame100ms);
    m_Layer->Update(0, kFrame100ms);
    EXPECT_TRUE(m_Layer->m_Shake);
    m_Layer->Update(0, kFrame100ms);
    EXPECT_FALSE(m_Layer->m_Shake);
    EXPECT_EQ(m_Layer->GetWorldPos(), GxVector3(5, 5, 0));
}

TEST_F(LayerTest, SubLayerIndexErrorsAreLoggedAndChangeNothing)
{
    const std::u16string base = MakeImage("base.png", 400, 300);
    m_Files.m_Sizes[u"eye.png"] = {40, 20};
    m_Layer->LoadFlexImage(base, 0);
    GxLayerContent& current = m_Layer->GetCurrentContent();
    current.SetSubLayerCount(2);
    m_Layer->GetOtherContent().SetSubLayerCount(1);

    EXPECT_TRUE(m_Layer->LoadSubLayer(u"eye.png", 1));
    EXPECT_FALSE(m_Layer->LoadSubLayer(u"eye.png", 2));
    EXPECT_FALSE(m_Layer->LoadSubLayer(u"eye.png", -1));
    // Visibility goes by content 0's sub-layers and is set in both contents.
    EXPECT_TRUE(m_Layer->ShowSubLayer(0));
    EXPECT_TRUE(m_Layer->GetContent(0).GetSubLayer(0)->m_Visible);
    EXPECT_TRUE(m_Layer->GetContent(1).GetSubLayer(0)->m_Visible);
    EXPECT_FALSE(m_Layer->ShowSubLayer(1));   // content 0 has one sub-layer only
    EXPECT_FALSE(m_Layer->HideSubLayer(5));
    EXPECT_EQ(m_Log.m_Errors,
              (std::vector<std::string>{
                  "GxTaskLayer:サブレイヤーに読み込めません。インデックスを超えている可能性があります:eye.png index:2\n",
                  "GxTaskLayer:サブレイヤーに読み込めません。インデックスを超えている可能性があります:eye.png index:-1\n",
                  "GxTaskLayer:サブレイヤーにアクセスできません。インデックスを超えている可能性がありますindex:1\n",
                  "GxTaskLayer:サブレイヤーにアクセスできません。インデックスを超えている可能性がありますindex:5\n"}));

    // Visible sub-layers with a texture are drawn over the image, opaque, at their offsets.
    current.GetSubLayer(1)->m_Visible = true;
    current.GetSubLayer(1)->m_OffsetPos = GxVector2(12, 34);
    m_Layer->SetPos(GxVector3(1.5f, 2.5f, 0));
    m_Layer->SetColor0(GxFColor(1, 1, 1, 0.5f));
    DrawAlphas();
    ASSERT_EQ(m_Graphics.m_Draws.size(), 2u);
    EXPECT_EQ(m_Graphics.m_Draws[0].x, 1.0f);   // whole pixels
    EXPECT_EQ(m_Graphics.m_Draws[1].texture, current.GetSubLayer(1)->GetTexture());
    EXPECT_EQ(m_Graphics.m_Draws[1].x, 13.0f);
    EXPECT_EQ(m_Graphics.m_Draws[1].y, 36.0f);
    EXPECT_EQ(m_Graphics.m_Draws[1].color0, 0xFFFFFFFFu);
    EXPECT_EQ(m_Graphics.m_Draws[1].color1, 0u);
}

TEST_F(LayerTest, BlendedImagesNeedAtLeastOneFile)
{
    m_Layer->LoadSolidColor(0xFF000000, 0);
    m_Layer->LoadSolidColor(0xFFFFFFFF, 400);
    EXPECT_FALSE(m_Layer->LoadBlendedImages({}, 0));
    EXPECT_EQ(m_Log.m_Errors, (std::vector<std::string>{"GxTaskLayer:読み込むファイルが指定されていません\n"}));
    EXPECT_TRUE(m_Layer->IsInTransit());   // the fade was left alone
    EXPECT_EQ(m_Layer->GetTransitParam().m_TransitTimeLeft, 400);

    m_Files.m_Sizes[u"base.png"] = {320, 200};
    EXPECT_TRUE(m_Layer->LoadBlendedImages({u"base.png", u"face.png"}, 0));
    const GxLayerContent& content = m_Layer->GetCurrentContent();
    EXPECT_EQ(content.m_ContentType, kLayerContentImageFile);
    EXPECT_TRUE(content.m_ContentFileName.empty());
    EXPECT_EQ(content.m_MultiContentFileName.size(), 2u);
    EXPECT_EQ(m_Layer->GetWidth(), 320);
}

TEST_F(LayerTest, MotionProjectLoadsReleaseTheProjectWhenTheGroupIsMissing)
{
    FakeMotion::Project& empty = m_Motion.m_Projects[u"empty.gnc"];
    empty.file = u"empty.gnc";
    FakeMotion::Project& chara = m_Motion.m_Projects[u"chara.gnc"];
    chara.file = u"chara.gnc";
    chara.groups = {{u"idle", {{u"loop", 5}, {u"still", 0}}}, {u"walk", {}}};

    m_Layer->LoadSolidColor(0xFF000000, 0);
    m_Layer->LoadSolidColor(0xFFFFFFFF, 400);
    EXPECT_FALSE(m_Layer->LoadMotionProject(u"empty.gnc", u"chara.gis", u"", u"loop", 0, 0));
    EXPECT_EQ(empty.refs, 0);
    EXPECT_FALSE(m_Layer->LoadMotionProject(u"chara.gnc", u"chara.gis", u"run", u"loop", 0, 0));
    EXPECT_EQ(chara.refs, 0);
    EXPECT_FALSE(m_Layer->LoadMotionProject(u"none.gnc", u"chara.gis", u"", u"loop", 0, 0));
    EXPECT_TRUE(m_Layer->IsInTransit());   // failed loads leave the fade as it was
    EXPECT_EQ(m_Layer->GetCurrentContent().m_ContentType, kLayerContentNone);

    // An empty group name takes the first group; the motion is placed about the screen centre
    // and evaluated at the frame count modulo its length.
    m_Layer->SetPos(GxVector3(10, 20, 0));
    ASSERT_TRUE(m_Layer->LoadMotionProject(u"chara.gnc", u"chara.gis", u"", u"loop", 7, 0));
    EXPECT_EQ(chara.refs, 1);
    EXPECT_EQ(m_Layer->GetCurrentContent().m_MotionGroupName, u"idle");
    m_Journal.clear();
    m_Layer->Update(0, kFrame100ms);
    m_Layer->Update(0, kFrame100ms);
    EXPECT_EQ(Lines("CreateSnapShot"),
              (std::vector<std::string>{"CreateSnapShot(loop,2,522,404)", "CreateSnapShot(loop,3,522,404)"}));
    m_Journal.clear();
    m_Layer->Draw(0, kLayerRenderList);
    EXPECT_EQ(m_Journal, (std::vector<std::string>{"BeginMotionTarget", "DrawSnapShot", "EndMotionTarget",
                                                   "DrawMotionTarget(FFFFFFFF,2)"}));

    // A motion of length 0 is evaluated at frame 0.
    ASSERT_TRUE(m_Layer->LoadMotionProject(u"chara.gnc", u"chara.gis", u"idle", u"still", 9, 0));
    EXPECT_EQ(chara.refs, 1);   // the old content let go of its reference
    m_Journal.clear();
    m_Layer->Update(0, kFrame100ms);
    EXPECT_EQ(Lines("CreateSnapShot"), (std::vector<std::string>{"CreateSnapShot(still,0,522,404)"}));
}

TEST_F(LayerTest, ImageSetPatternsLowerTheirNameAndTakeThePatternSize)
{
    FakeMotion::ImageSet& set = m_Motion.m_ImageSets[u"chara.gis"];
    set.file = u"chara.gis";
    set.groups.push_back({u"face_a", {{100, 120}, {90, 80}}});

    EXPECT_TRUE(m_Layer->LoadImageSetPattern(u"chara.gis", u"FACE_A", 1, 0));
    const GxLayerContent& content = m_Layer->GetCurrentContent();
    EXPECT_EQ(content.m_ImageName, u"face_a");
    EXPECT_EQ(content.m_Width, 90);
    EXPECT_EQ(content.m_Height, 80);
    m_Journal.clear();
    m_Layer->Draw(0, kLayerRenderList);
    EXPECT_EQ(m_Journal, (std::vector<std::string>{"CombineLayerParam(face_a,1,FFFFFFFF,2)"}));

    // Without the group the content stays (and fades) but reports false with no size.
    EXPECT_FALSE(m_Layer->LoadImageSetPattern(u"chara.gis", u"body", 0, 300));
    EXPECT_TRUE(m_Layer->IsInTransit());
    EXPECT_EQ(m_Layer->GetCurrentContent().m_Width, 0);
    EXPECT_EQ(set.refs, 2);
    EXPECT_FALSE(m_Layer->LoadImageSetPattern(u"other.gis", u"body", 0, 0));
    EXPECT_EQ(set.refs, 1);
}

TEST_F(LayerTest, RenderQueuesTheLayerByItsDepth)
{
    m_Layer->SetOrderZ(250.0f);
    m_Layer->Render(0, 0);
    const auto& entries = m_Core.GetRenderList(kLayerRenderList)->GetEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].m_Task, m_Layer);
    EXPECT_EQ(entries[0].m_Depth, 250.0f);
    EXPECT_EQ(entries[0].m_Value, 0);
    m_Core.ClearRenderLists();
}

TEST_F(LayerTest, StateRoundTripRestoresWhatEachContentShows)
{
    FakeMotion::ImageSet& set = m_Motion.m_ImageSets[u"chara.gis"];
    set.file = u"chara.gis";
    set.groups.push_back({u"face", {{100, 120}}});
    m_Layer->SetLayerType(4);
    m_Layer->SetLocalTransitMode(kLayerTransitThroughBlack);
    m_Layer->SetMovieAutoDisappearTime(150);
    m_Layer->LoadMovie(u"op.wmv", 640, 480, 3, 1.5, -300, true, 0);
    m_Layer->Update(0, kFrame100ms);
    m_Layer->LoadImageSetPattern(u"chara.gis", u"Face", 0, 500);   // mid-fade when saved
    m_Layer->Update(0, kFrame100ms);
    m_Layer->StartShake(GxVector3(4, 2, 9), -1);
    m_Layer->AddFadeOutAction(1, 1000);
    m_Layer->UpdateActions(100);
    m_Movie.m_Position[2] = 12.5;   // the movie's slot reports where it stands
    m_Movie.m_LoopsLeft[2] = 1;

    TextRecord record([&](GxContentWriterBase& w) { EXPECT_TRUE(m_Layer->WriteState(w)); });

    auto* read = new GxTaskLayer(m_Root, u"bg2");
    m_Journal.clear();
    auto reader = record.Reader();
    EXPECT_TRUE(read->ReadState(*reader));
    EXPECT_EQ(read->GetLayerType(), 4);
    EXPECT_EQ(read->m_IndexPos, m_Layer->m_IndexPos);
    EXPECT_TRUE(read->IsInTransit());
    EXPECT_EQ(read->GetTransitParam().m_TransitTimeLeft, 400);
    EXPECT_EQ(read->GetLocalTransitMode(), kLayerTransitThroughBlack);
    EXPECT_EQ(read->GetMovieAutoDisappearTime(), 150);
    EXPECT_TRUE(read->m_Shake);
    EXPECT_EQ(read->m_ShakeAmplitude.z, 9.0f);
    EXPECT_EQ(read->GetAlpha(), m_Layer->GetAlpha());
    EXPECT_EQ(read->GetActionList(1).size(), 1u);

    const GxLayerContent& movie = read->GetOtherContent();
    EXPECT_EQ(movie.m_ContentType, kLayerContentMovie);
    EXPECT_EQ(movie.m_MovieCurrentTime, 12.5);
    EXPECT_EQ(movie.m_LoopCount, 1);
    EXPECT_EQ(movie.m_FrameCount, 2);
    const GxLayerContent& pattern = read->GetCurrentContent();
    EXPECT_EQ(pattern.m_ContentType, kLayerContentImageSet);
    EXPECT_EQ(pattern.m_ImageName, u"face");
    EXPECT_EQ(pattern.m_FrameCount, 1);
    EXPECT_NE(pattern.m_pPatternGroup, nullptr);
    EXPECT_EQ(set.refs, 2);
    // Content 0 (the pattern) loads first, then the movie resumes where it stood.
    EXPECT_EQ(m_Journal,
              (std::vector<std::string>{"GetCrammedImageSet(chara.gis)", "MovieTexture.Create(op.wmv,640,480)",
                                        "Movie.Open(2,op.wmv,1,0)", "Movie.SetLoopStart(2,1.5)",
                                        "Movie.SetPosition(2,12.5)", "Movie.Play(2,1,-1536)"}));
    EXPECT_EQ(movie.m_MyChannel, 2u);
}

TEST_F(LayerTest, DamagedIndexPosIsRefused)
{
    m_Layer->LoadSolidColor(0xFF0000FF, 0);
    TextRecord good([&](GxContentWriterBase& w) { m_Layer->WriteState(w); });
    std::string text = good.m_Text;
    const std::string from = "m_IndexPos\t1\n";
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, from.size(), "m_IndexPos\t7\n");
    TextRecord damaged(text);

    auto* read = new GxTaskLayer(m_Root, u"bg2");
    auto reader = damaged.Reader();
    EXPECT_FALSE(read->ReadState(*reader));
    EXPECT_EQ(read->m_IndexPos, 0);
    ASSERT_EQ(m_Log.m_Errors.size(), 1u);
    read->Draw(0, kLayerRenderList);   // and it stays usable
}

TEST_F(LayerTest, BuiltInGraphicsLoadAndDrawSafelyWithoutADevice)
{
    SetLayerGraphics(nullptr);
    m_Layer->SetCenterPos(GxVector3(10, 10, 0));
    EXPECT_FALSE(m_Layer->LoadImageFile(u"cg/none.png", 0));
    m_Layer->Draw(0, kLayerRenderList);
    EXPECT_FALSE(m_Layer->LoadFlexImage(u"cg/none.png", 300));
    m_Layer->Draw(0, kLayerRenderList);
    EXPECT_TRUE(m_Layer->LoadSolidColor(0xFF336699, 0));
    m_Layer->Draw(0, kLayerRenderList);
    m_Layer->LoadBlankTexture(64, 64, 0);
    m_Layer->Draw(0, kLayerRenderList);
    m_Layer->ResetLayer();
}
