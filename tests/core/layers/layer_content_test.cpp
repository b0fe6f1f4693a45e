// [LayerContent] clearing, loading each kind of resource, sub-layers, and the saved record with
// damaged counts and movie slots.
#include "layer_fixture.h"

#include "core/layer_content.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <fstream>

using namespace layer_test;

namespace {

class LayerContentTest : public LayerFixture {
protected:
    LayerContentTest() : m_Temp("tw_layer_content"), m_Dir(m_Temp.Path()) {}

    // A loose file (its bytes do not matter: the fake textures only look at the name).
    std::u16string MakeFile(const std::string& name)
    {
        const std::filesystem::path path = m_Dir / name;
        std::ofstream(path) << "x";
        const std::string text = path.string();
        return std::u16string(text.begin(), text.end());
    }
    std::u16string Path(const std::string& name) const
    {
        const std::string text = (m_Dir / name).string();
        return std::u16string(text.begin(), text.end());
    }

    TestTempDir m_Temp;
    std::filesystem::path m_Dir;
};

}  // namespace

TEST_F(LayerContentTest, ClearReleasesEverythingButKeepsSlotsOfOtherKindsAndTheSubLayerList)
{
    m_Motion.m_Projects[u"a.gnc"].file = u"a.gnc";
    GxLayerContent content;
    content.m_ContentType = kLayerContentMotion;
    content.m_ContentFileName = u"a.gnc";
    content.m_MyChannel = 2;
    content.SetSubLayerCount(2);
    content.GetSubLayer(1)->m_ContentFileName = u"eye";
    content.GetSubLayer(1)->m_Visible = true;
    ASSERT_TRUE(content.LoadContent(&m_Core));
    EXPECT_EQ(m_Motion.m_Projects[u"a.gnc"].refs, 1);

    content.Clear();
    EXPECT_EQ(m_Motion.m_Projects[u"a.gnc"].refs, 0);
    EXPECT_EQ(content.m_ContentType, kLayerContentNone);
    EXPECT_TRUE(content.m_ContentFileName.empty());
    EXPECT_EQ(content.m_MyChannel, 2u);
    EXPECT_TRUE(Lines("Movie.").empty());   // not a movie: the slots are left alone
    ASSERT_EQ(content.GetSubLayerCount(), 2);
    EXPECT_TRUE(content.GetSubLayer(1)->m_ContentFileName.empty());
    EXPECT_FALSE(content.GetSubLayer(1)->m_Visible);
    EXPECT_EQ(content.GetSubLayer(2), nullptr);
    EXPECT_EQ(content.GetSubLayer(-1), nullptr);

    // A movie content stops its slot, then closes it, before its texture goes.
    content.m_ContentType = kLayerContentMovie;
    content.m_ContentFileName = u"op.wmv";
    content.m_Width = 640;
    content.m_Height = 480;
    content.m_LoopCount = 2;
    content.m_LoopStartPos = 1.5;
    content.m_MovieCurrentTime = 12.25;
    ASSERT_TRUE(content.LoadContent(&m_Core));
    EXPECT_EQ(Lines("Movie"), (std::vector<std::string>{"MovieTexture.Create(op.wmv,640,480)",
                                                        "Movie.Open(2,op.wmv,1,0)", "Movie.SetLoopStart(2,1.5)",
                                                        "Movie.SetPosition(2,12.25)", "Movie.Play(2,2,-1536)"}));
    m_Journal.clear();
    content.Clear();
    EXPECT_EQ(Lines("Movie."), (std::vector<std::string>{"Movie.Stop(2)", "Movie.Close(2)"}));
}

TEST_F(LayerContentTest, LoadContentLoadsTheResourceOfEachKind)
{
    const std::u16string found = MakeFile("bg01.png");
    m_Files.m_Sizes[found] = {800, 600};
    m_Files.m_Sizes[u"cg.png"] = {1024, 768};
    m_Files.m_Sizes[u"base.png"] = {320, 200};

    struct Case {
        std::int32_t kind;
        std::u16string file;
        std::vector<std::u16string> multi;
        bool result;
        std::vector<std::string> calls;
    };
    const std::string foundText = Utf8(found);
    const std::string errorImage = "Flex.CreateFromFile(system/cg_error.png,0)";
    const Case cases[] = {
        {kLayerContentNone, u"", {}, true, {}},
        {kLayerContentEmpty, u"", {}, true, {}},
        {kLayerContentSolidColor, u"", {}, true, {}},
        {42, u"", {}, true, {}},
        // The image is looked for with the image extensions; missing, the error image stands in.
        {kLayerContentImage, Path("bg01"), {}, true, {"Flex.CreateFromFile(" + foundText + ",0)"}},
        {kLayerContentImage, Path("bg02"), {}, false, {errorImage}},
        {kLayerContentBlankTexture, u"", {}, true, {"Texture.CreateTexture(,64,32,21,1)"}},
        {kLayerContentImageFile, u"cg.png", {}, true, {"Texture.CreateFromFile(cg.png,0,1,0)"}},
        {kLayerContentImageFile, u"", {u"base.png", u"face.png"}, true,
         {"Texture.CreateFromFileMultiBlend(base.png,2)"}},
        {kLayerContentImageFile, u"", {}, false, {}},   // nothing named: nothing loaded
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("kind " + std::to_string(c.kind) + " " + Utf8(c.file));
        m_Journal.clear();
        GxLayerContent content;
        content.m_ContentType = c.kind;
        content.m_ContentFileName = c.file;
        content.m_MultiContentFileName = c.multi;
        content.m_Width = 64;
        content.m_Height = 32;
        EXPECT_EQ(content.LoadContent(&m_Core), c.result);
        EXPECT_EQ(m_Journal, c.calls);
    }
}

TEST_F(LayerContentTest, MotionAndImageSetContentsTakeCountedReferencesAndThePatternGroup)
{
    FakeMotion::ImageSet& set = m_Motion.m_ImageSets[u"chara.gis"];
    set.file = u"chara.gis";
    set.groups.push_back({u"face", {{100, 120}}});

    GxLayerContent content;
    content.m_ContentType = kLayerContentImageSet;
    content.m_ContentFileName = u"chara.gis";
    content.m_ImageName = u"face";
    EXPECT_TRUE(content.LoadContent(&m_Core));
    EXPECT_EQ(set.refs, 1);
    EXPECT_NE(content.m_pPatternGroup, nullptr);   // a restored pattern content can be drawn again
    EXPECT_TRUE(content.LoadContent(&m_Core));     // a second load does not strand a reference
    EXPECT_EQ(set.refs, 1);

    content.m_ContentFileName = u"missing.gis";
    EXPECT_FALSE(content.LoadContent(&m_Core));
    EXPECT_EQ(set.refs, 0);
    EXPECT_EQ(content.m_pPatternGroup, nullptr);

    content.m_ContentType = kLayerContentMotion;
    EXPECT_FALSE(content.LoadContent(&m_Core));
}

TEST_F(LayerContentTest, MovieChannelOutsideTheSlotTableFailsTheLoad)
{
    GxLayerContent content;
    content.m_ContentType = kLayerContentMovie;
    content.m_ContentFileName = u"op.wmv";
    content.m_MyChannel = 9;
    EXPECT_FALSE(content.LoadContent(&m_Core));
    EXPECT_TRUE(Lines("Movie").empty());
    ASSERT_EQ(m_Log.m_Errors.size(), 1u);
    EXPECT_NE(m_Log.m_Errors[0].find("MovieSlot:9"), std::string::npos);
    content.Clear();   // and clearing it touches no slot either
    EXPECT_TRUE(Lines("Movie").empty());

    // The slot calls themselves refuse a bad slot.
    EXPECT_FALSE(LayerMovieSlotOpen(4, u"op.wmv", nullptr, 1, 0));
    LayerMovieSlotStop(0xFFFFFFFF);
    EXPECT_TRUE(Lines("Movie").empty());
    EXPECT_EQ(m_Log.m_Errors.size(), 3u);
}

TEST_F(LayerContentTest, SubLayersLoadIn16BitAndKeepTheirNameOnFailure)
{
    m_Files.m_Sizes[u"eye.png"] = {40, 20};
    GxSubLayerContent subLayer;
    subLayer.m_Visible = true;
    subLayer.m_OffsetPos = GxVector2(5, 6);
    EXPECT_FALSE(subLayer.Load(u""));   // cleared, nothing made
    EXPECT_FALSE(subLayer.m_Visible);
    EXPECT_EQ(subLayer.GetTexture(), nullptr);
    EXPECT_EQ(subLayer.m_OffsetPos.x, 0.0f);

    EXPECT_TRUE(subLayer.Load(u"eye.png"));
    EXPECT_EQ(m_Journal, (std::vector<std::string>{"Flex.CreateFromFile(eye.png,26)"}));
    EXPECT_EQ(subLayer.m_Width, 40);
    EXPECT_EQ(subLayer.m_Height, 20);

    EXPECT_FALSE(subLayer.Load(u"mouth.png"));
    EXPECT_EQ(subLayer.m_ContentFileName, u"mouth.png");
    EXPECT_EQ(subLayer.m_Width, 0);

    GxLayerContent content;
    content.SetSubLayerCount(3);
    content.SetSubLayerCount(-5);
    EXPECT_EQ(content.GetSubLayerCount(), 0);
}

TEST_F(LayerContentTest, RecordRoundTripsWithoutResourcesUntilLoaded)
{
    m_Files.m_Sizes[u"eye.png"] = {40, 20};
    GxLayerContent written;
    written.m_ContentType = kLayerContentImageFile;
    written.m_Alpha = 200;
    written.m_MultiContentFileName = {u"base.png", u"顔.png"};
    written.m_Width = 320;
    written.m_Height = 200;
    written.m_ImageName = u"img";
    written.m_PatternIndex = 3;
    written.m_FrameCount = 77;
    written.m_MotionGroupName = u"g";
    written.m_MotionName = u"m";
    written.m_MatWorld.SetTranslationXYZ(1, 2, 3);
    written.m_SolidColor = GxFColor(0.5f, 0.25f, 0, 1);
    written.m_MyChannel = 1;
    written.m_LoopCount = 4;
    written.m_LoopStartPos = 2.5;
    written.m_MovieCurrentTime = 9.75;
    written.m_MovieAutoDisappear = false;
    written.SetSubLayerCount(2);
    written.GetSubLayer(0)->m_ContentFileName = u"eye.png";
    written.GetSubLayer(0)->m_Visible = true;
    written.GetSubLayer(0)->m_OffsetPos = GxVector2(10, 20);
    TextRecord record([&](GxContentWriterBase& w) { EXPECT_TRUE(written.WriteState(w)); });

    GxLayerContent read;
    read.SetSubLayerCount(5);
    auto reader = record.Reader();
    EXPECT_TRUE(read.ReadState(*reader));
    EXPECT_TRUE(m_Journal.empty());   // no resource yet
    EXPECT_EQ(read.m_ContentType, kLayerContentImageFile);
    EXPECT_EQ(read.m_Alpha, 200);
    EXPECT_EQ(read.m_MultiContentFileName, written.m_MultiContentFileName);
    EXPECT_EQ(read.m_FrameCount, 77);
    EXPECT_EQ(read.m_MatWorld.m[13], 2.0f);
    EXPECT_EQ(read.m_MyChannel, 1u);
    EXPECT_EQ(read.m_LoopStartPos, 2.5);
    EXPECT_EQ(read.m_MovieCurrentTime, 9.75);
    EXPECT_FALSE(read.m_MovieAutoDisappear);
    ASSERT_EQ(read.GetSubLayerCount(), 2);
    EXPECT_TRUE(read.GetSubLayer(0)->m_Visible);
    EXPECT_EQ(read.GetSubLayer(0)->m_OffsetPos.y, 20.0f);
    EXPECT_EQ(read.GetSubLayer(0)->GetTexture(), nullptr);

    read.LoadContent(&m_Core);
    EXPECT_NE(read.GetSubLayer(0)->GetTexture(), nullptr);
    EXPECT_EQ(read.GetSubLayer(0)->m_Width, 40);
    EXPECT_EQ(read.GetSubLayer(1)->GetTexture(), nullptr);   // no name, nothing loaded
}

TEST_F(LayerContentTest, DamagedListCountsAreNotTrusted)
{
    GxLayerContent written;
    written.SetSubLayerCount(1);
    written.m_MultiContentFileName = {u"a.png"};
    TextRecord good([&](GxContentWriterBase& w) { written.WriteState(w); });

    for (const std::string& list : {std::string("m_pSubLayerList"), std::string("m_MultiContentFileName")}) {
        SCOPED_TRACE(list);
        std::string text = good.m_Text;
        const std::string from = list + "\t\t1\t";
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, from.size(), list + "\t\t4294967295\t");
        TextRecord damaged(text);
        GxLayerContent read;
        auto reader = damaged.Reader();
        EXPECT_FALSE(read.ReadState(*reader));
        EXPECT_LE(read.GetSubLayerCount(), 1);
        EXPECT_LE(read.m_MultiContentFileName.size(), 1u);
    }
}
