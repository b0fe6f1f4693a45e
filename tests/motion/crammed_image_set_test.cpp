// [ImageSet] the ".gis" reader, pattern linking, atlas textures and the set's last release.
#include "motion_fixture.h"

#include "graphics/texture.h"
#include "motion/crammed_image_set.h"
#include "tests/support/image_set_builder.h"

namespace motion_test {
namespace {

// Written by hand: one pattern with m_CrammedRawUV and one without, and an m_PatternCount that
// disagrees with the pattern list.
constexpr char kLiteralGis[] =
    "TGIMGSET\t7\n"
    "0b\tm_EconomyMode\t1\n"
    "20\tm_CrammedImageArray\tCrammedImage\t1\t{\n"
    "1a\tm_FileName\t7\t\"sheet.png\"\n"
    "05\tm_ImageWidth\t64\n"
    "05\tm_ImageHeight\t32\n"
    "05\tm_Count\t2\n"
    "06\tm_PreserveFlag\t3\n"
    "21\t}\n"
    "20\tm_OriginImageArray\tOriginImage\t1\t{\n"
    "1a\tm_FileName\t7\t\"eye.png\"\n"
    "05\tm_PatternCount\t5\n"
    "05\tm_ImageWidth\t100\n"
    "05\tm_ImageHeight\t50\n"
    "06\tm_PreserveFlag\t1\n"
    "20\tm_PatternArray\tPattern\t2\t{\n"
    "05\tm_Left\t1\n05\tm_Top\t2\n05\tm_Width\t30\n05\tm_Height\t20\n05\tm_CrammedImageIndex\t0\n"
    "05\tm_CrammedOffsetLeft\t3\n05\tm_CrammedOffsetTop\t4\n05\tm_CrammedLeft\t5\n05\tm_CrammedTop\t6\n"
    "05\tm_CrammedWidth\t24\n05\tm_CrammedHeight\t16\n09\tm_CenterPosX\t15.5\n09\tm_CenterPosY\t-10\n"
    "13\tm_CrammedRawUV\t0.125\t0.25\t0.5\t0.75\n"
    "06\tm_NoCutoffFlag\t1\n06\tm_Selected\t1\n"
    "05\tm_Left\t7\n05\tm_Top\t8\n05\tm_Width\t9\n05\tm_Height\t10\n05\tm_CrammedImageIndex\t0\n"
    "05\tm_CrammedOffsetLeft\t0\n05\tm_CrammedOffsetTop\t0\n05\tm_CrammedLeft\t30\n05\tm_CrammedTop\t0\n"
    "05\tm_CrammedWidth\t9\n05\tm_CrammedHeight\t10\n09\tm_CenterPosX\t0\n09\tm_CenterPosY\t0\n"
    "06\tm_NoCutoffFlag\t0\n06\tm_Selected\t0\n"
    "21\t}\n"
    "21\t}\n";

GxNcCrammedImageSet* LoadBytes(const std::u16string& name, const std::string& bytes, bool textures = false)
{
    return GetCrammedImageSetFactory().GetCrammedImageSetFromBuffer(name, *MakeBuffer(bytes), textures);
}

// The literal file's content as the builder writes it.
TestImageSetSpec LiteralSpec()
{
    TestImageSetSpec spec;
    spec.version = 7;
    spec.economyMode = true;
    spec.atlases.push_back(TestGisAtlas{u"sheet.png", 64, 32, 2, 3});
    TestGisOrigin origin{u"eye.png", 5, 100, 50, 1, {}};
    TestGisPattern first{1, 2, 30, 20, 0, 3, 4, 5, 6, 24, 16, 15.5f, -10.0f, GxFRect{0.125f, 0.25f, 0.5f, 0.75f}, 1, 1};
    TestGisPattern second{7, 8, 9, 10, 0, 0, 0, 30, 0, 9, 10, 0.0f, 0.0f, std::nullopt, 0, 0};
    origin.patterns = {first, second};
    spec.origins.push_back(origin);
    return spec;
}

void ExpectLiteralContent(GxNcCrammedImageSet* set)
{
    ASSERT_NE(set, nullptr);
    EXPECT_TRUE(set->m_EconomyMode);
    ASSERT_EQ(set->m_CrammedImageArray.size(), 1u);
    const GxNcCrammedImage& atlas = set->m_CrammedImageArray[0];
    EXPECT_EQ(atlas.m_FileName, u"sheet.png");
    EXPECT_EQ(atlas.m_ImageWidth, 64);
    EXPECT_EQ(atlas.m_ImageHeight, 32);
    EXPECT_EQ(atlas.m_Count, 2);
    EXPECT_EQ(atlas.m_PreserveFlag, 3u);
    ASSERT_EQ(set->m_OriginImageArray.size(), 1u);
    const GxNcOriginImage& origin = set->m_OriginImageArray[0];
    EXPECT_EQ(origin.m_FileName, u"eye.png");
    EXPECT_EQ(origin.m_ImageWidth, 100);
    EXPECT_EQ(origin.m_ImageHeight, 50);
    EXPECT_EQ(origin.m_PreserveFlag, 1u);
    ASSERT_EQ(origin.m_PatternArray.size(), 2u);   // the list's count, not m_PatternCount
    const GxNcPattern& a = origin.m_PatternArray[0];
    EXPECT_EQ(std::vector<int>({a.m_Left, a.m_Top, a.m_Width, a.m_Height, a.m_CrammedImageIndex, a.m_CrammedOffsetLeft,
                                a.m_CrammedOffsetTop, a.m_CrammedLeft, a.m_CrammedTop, a.m_CrammedWidth,
                                a.m_CrammedHeight}),
              std::vector<int>({1, 2, 30, 20, 0, 3, 4, 5, 6, 24, 16}));
    EXPECT_EQ(a.m_CenterPosX, 15.5f);
    EXPECT_EQ(a.m_CenterPosY, -10.0f);
    EXPECT_EQ(a.m_CrammedRawUV.left, 0.125f);
    EXPECT_EQ(a.m_CrammedRawUV.top, 0.25f);
    EXPECT_EQ(a.m_CrammedRawUV.right, 0.5f);
    EXPECT_EQ(a.m_CrammedRawUV.bottom, 0.75f);
    EXPECT_EQ(a.m_NoCutoffFlag, 1u);
    EXPECT_EQ(a.m_pCrammedImage, &set->m_CrammedImageArray[0]);
    const GxNcPattern& b = origin.m_PatternArray[1];
    EXPECT_EQ(b.m_Left, 7);
    EXPECT_EQ(b.m_CrammedLeft, 30);
    EXPECT_EQ(b.m_CrammedRawUV.left, 0.0f);
    EXPECT_EQ(b.m_CrammedRawUV.bottom, 0.0f);
    EXPECT_EQ(b.m_NoCutoffFlag, 0u);   // read after the missing rectangle, not in its place
    EXPECT_EQ(origin.m_pTexture, nullptr);
}

using ImageSetTest = MotionTest;

TEST_F(ImageSetTest, TheLiteralTextFileAndTheBuildersFormsLoadAlike)
{
    ExpectLiteralContent(LoadBytes(u"literal.gis", kLiteralGis));
    ExpectLiteralContent(LoadBytes(u"text.gis", BuildImageSet(LiteralSpec(), TestContentForm::kText)));
    ExpectLiteralContent(LoadBytes(u"binary.gis", BuildImageSet(LiteralSpec(), TestContentForm::kBinary)));
    EXPECT_TRUE(m_Log.errors.empty()) << m_Log.errors.front();
    EXPECT_TRUE(m_Log.warnings.empty());
}

TEST_F(ImageSetTest, AnAtlasIndexOutsideTheAtlasListWarnsAndLinksNothing)
{
    struct Case {
        std::int32_t index;
        int warnings;
    };
    for (const Case c : {Case{-1, 1}, Case{1, 1}, Case{0, 0}, Case{-7, 1}}) {
        TestImageSetSpec spec = OnePatternImageSet(u"a.png", u"eye.png", 8, 8);
        spec.origins[0].patterns.insert(spec.origins[0].patterns.begin(), TestGisPattern{});   // index 0, linked
        spec.origins[0].patterns[1].crammedImageIndex = c.index;
        m_Log.Clear();
        GxNcCrammedImageSet* set = LoadBytes(u"link.gis", BuildImageSet(spec, TestContentForm::kBinary));
        ASSERT_NE(set, nullptr);
        const GxNcPattern& pattern = set->m_OriginImageArray[0].m_PatternArray[1];
        EXPECT_EQ(pattern.m_pCrammedImage, c.warnings ? nullptr : &set->m_CrammedImageArray[0]) << c.index;
        ASSERT_EQ(static_cast<int>(m_Log.warnings.size()), c.warnings) << c.index;
        if (c.warnings) {
            EXPECT_EQ(m_Log.warnings[0],
                      "画像が存在しません Pattern:1 Image:eye.png CrammedImageIndex:" + std::to_string(c.index) + "\n");
        }
        GetCrammedImageSetFactory().ReleaseCrammedImageSet(set);
    }
}

TEST_F(ImageSetTest, AtlasesLoadFromTheSetsLowerCasedFolderInTheEconomyFormat)
{
    StartDevice();
    WriteAtlas(Path("uigis/a.png"), 16, 8);
    WriteAtlas(Path("a.png"), 4, 4);
    for (const bool economy : {false, true}) {
        TestImageSetSpec spec = OnePatternImageSet(u"a.png", u"eye.png", 16, 8);
        spec.economyMode = economy;
        ASSERT_TRUE(WriteImageSetFile(Path("uigis/a.gis").string(), spec, TestContentForm::kText));
        ASSERT_TRUE(WriteImageSetFile(Path("top.gis").string(), spec, TestContentForm::kBinary));

        GxNcCrammedImageSet* inFolder = GetCrammedImageSetFactory().GetCrammedImageSet(u"UIGIS/A.gis", true);
        ASSERT_NE(inFolder, nullptr);
        EXPECT_EQ(inFolder->GetFolder(), u"uigis/");
        EXPECT_EQ(inFolder->GetPath(), u"UIGIS/A.gis");
        GxTexture* texture = inFolder->m_CrammedImageArray[0].m_pTexture;
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(GetTextureFactory().Find(u"uigis/a.png"), texture);
        EXPECT_EQ(texture->GetFormat(), economy ? D3DFMT_A4R4G4B4 : D3DFMT_A8R8G8B8);

        GxNcCrammedImageSet* atTop = GetCrammedImageSetFactory().GetCrammedImageSet(u"top.gis", true);
        ASSERT_NE(atTop, nullptr);
        EXPECT_EQ(atTop->GetFolder(), u"");
        EXPECT_EQ(GetTextureFactory().Find(u"a.png"), atTop->m_CrammedImageArray[0].m_pTexture);
        EXPECT_NE(atTop->m_CrammedImageArray[0].m_pTexture, nullptr);

        GetCrammedImageSetFactory().ReleaseCrammedImageSet(inFolder);
        GetCrammedImageSetFactory().ReleaseCrammedImageSet(atTop);
        EXPECT_EQ(GetTextureFactory().GetCount(), 0) << "every atlas texture goes back with the last release";
    }
    EXPECT_TRUE(m_Log.errors.empty()) << m_Log.errors.front();
}

TEST_F(ImageSetTest, AMissingAtlasIsLoggedAndTheOthersStillLoad)
{
    StartDevice();
    WriteAtlas(Path("gis/one.png"), 4, 4);
    WriteAtlas(Path("gis/three.png"), 4, 4);
    TestImageSetSpec spec;
    spec.atlases = {TestGisAtlas{u"one.png", 4, 4}, TestGisAtlas{u"two.png", 4, 4}, TestGisAtlas{u"three.png", 4, 4}};
    ASSERT_TRUE(WriteImageSetFile(Path("gis/three.gis").string(), spec, TestContentForm::kBinary));

    GxNcCrammedImageSet* set = GetCrammedImageSetFactory().GetCrammedImageSet(u"gis/three.gis", true);
    ASSERT_NE(set, nullptr);
    EXPECT_NE(set->m_CrammedImageArray[0].m_pTexture, nullptr);
    EXPECT_EQ(set->m_CrammedImageArray[1].m_pTexture, nullptr);
    EXPECT_NE(set->m_CrammedImageArray[2].m_pTexture, nullptr);
    EXPECT_EQ(m_Log.Errors("LoadAttachedTexture:Load Failed:gis/two.png\n"), 1);
    EXPECT_TRUE(set->LoadAttachedTexture(set->GetFolder()));   // true again; loaded atlases keep one reference
    GetCrammedImageSetFactory().ReleaseCrammedImageSet(set);
    EXPECT_EQ(GetTextureFactory().GetCount(), 0);
}

TEST_F(ImageSetTest, OriginImagesAreFoundByTheirExactNameAndTheLastReleaseEmptiesTheSet)
{
    TestImageSetSpec spec = OnePatternImageSet(u"a.png", u"eye.png", 8, 8);
    spec.origins.push_back(TestGisOrigin{u"Mouth.png", std::nullopt, 4, 4, 0, {}});
    GxNcCrammedImageSet* set = LoadBytes(u"find.gis", BuildImageSet(spec, TestContentForm::kText));
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->FindOriginImage(u"eye.png"), &set->m_OriginImageArray[0]);
    EXPECT_EQ(set->FindOriginImage(u"Mouth.png"), &set->m_OriginImageArray[1]);
    EXPECT_EQ(set->FindOriginImage(u"mouth.png"), nullptr);
    EXPECT_EQ(set->FindOriginImage(u"EYE.PNG"), nullptr);
    EXPECT_EQ(GetCrammedImageSetFactory().FindOriginImage(u"FIND.gis", u"eye.png"), &set->m_OriginImageArray[0]);
    EXPECT_EQ(GetCrammedImageSetFactory().FindOriginImage(u"other.gis", u"eye.png"), nullptr);

    // Releasing the set itself (not through the factory) shows what the last release leaves.
    set->AddRef();
    EXPECT_EQ(set->Release(), 1u);
    EXPECT_EQ(set->m_OriginImageArray.size(), 2u);
    EXPECT_EQ(set->Release(), 0u);
    EXPECT_TRUE(set->m_OriginImageArray.empty());
    EXPECT_TRUE(set->m_CrammedImageArray.empty());
    EXPECT_TRUE(set->GetPath().empty());
    EXPECT_EQ(set->Release(), 0u);   // stays at 0, alive
}

}  // namespace
}  // namespace motion_test
