// [ImageSetFactory] sharing by name, extension rule, releases, pending textures, failures,
// the shut-down report; [ImageSetPool] the user-interface pool over it.
#include "motion_fixture.h"

#include "motion/crammed_image_set.h"
#include "tests/support/image_set_builder.h"

#include <fstream>

namespace motion_test {
namespace {

class ImageSetFactoryTest : public MotionTest {
protected:
    GxNcCrammedImageSetFactory& Factory() { return GetCrammedImageSetFactory(); }

    // A set at `file` whose one origin image is called `origin`.
    void WriteSet(const std::string& file, const std::u16string& origin = u"eye.png",
                  TestContentForm form = TestContentForm::kBinary)
    {
        ASSERT_TRUE(WriteImageSetFile(Path(file).string(), OnePatternImageSet(u"a.png", origin, 4, 4), form));
    }
};

TEST_F(ImageSetFactoryTest, NamesDifferingInCaseShareOneSetReadOnce)
{
    WriteSet("uigis/a.gis");
    GxNcCrammedImageSet* first = Factory().GetCrammedImageSet(u"uigis/a.gis", false);
    ASSERT_NE(first, nullptr);
    fs::remove(Path("uigis/a.gis"));   // a second read would fail now
    GxNcCrammedImageSet* second = Factory().GetCrammedImageSet(u"UIGIS/A.gis", false);
    EXPECT_EQ(second, first);
    EXPECT_EQ(first->GetRefCount(), 2u);
    EXPECT_EQ(Factory().GetCount(), 1);
    EXPECT_EQ(Factory().FindCrammedImageSet(u"Uigis/A.GIS"), first);
    EXPECT_EQ(first->GetRefCount(), 2u);   // finding takes no reference
    EXPECT_TRUE(m_Log.errors.empty());
}

TEST_F(ImageSetFactoryTest, TheFileIsTheNameWithItsExtensionReplacedByGis)
{
    struct Case {
        const char16_t* name;
        const char* file;
    };
    for (const Case c : {Case{u"uigis/a", "uigis/a.gis"}, Case{u"uigis/a.png", "uigis/a.gis"},
                         Case{u"dir.x/a", "dir.x/a.gis"}, Case{u"b.tar.gis", "b.tar.gis"}}) {
        WriteSet(c.file);
        GxNcCrammedImageSet* set = Factory().GetCrammedImageSet(c.name, false);
        ASSERT_NE(set, nullptr) << c.file;
        EXPECT_EQ(WideToUtf8(set->GetPath()), c.file);
        EXPECT_EQ(Factory().FindCrammedImageSet(c.name), set) << "registered under the name as given";
        Factory().ReleaseCrammedImageSet(set);
        fs::remove(Path(c.file));
    }
}

TEST_F(ImageSetFactoryTest, TheLastReleaseDeletesTheSetAndTheNextRequestReadsAgain)
{
    WriteSet("s.gis", u"old.png");
    GxNcCrammedImageSet* set = Factory().GetCrammedImageSet(u"s.gis", false);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(Factory().GetCrammedImageSet(u"s.gis", false), set);
    Factory().ReleaseCrammedImageSet(u"S.GIS");   // by name, through the key
    EXPECT_EQ(Factory().FindCrammedImageSet(u"s.gis"), set);
    Factory().ReleaseCrammedImageSet(set);
    EXPECT_EQ(Factory().FindCrammedImageSet(u"s.gis"), nullptr);
    EXPECT_EQ(Factory().GetCount(), 0);

    WriteSet("s.gis", u"new.png");
    GxNcCrammedImageSet* again = Factory().GetCrammedImageSet(u"s.gis", false);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again->FindOriginImage(u"new.png"), nullptr);
    EXPECT_TRUE(m_Log.warnings.empty());
}

TEST_F(ImageSetFactoryTest, ReleasingPastTheLastReferenceWarnsUnlessWarningsAreMuted)
{
    for (const bool muted : {false, true}) {
        LogSetWarningsMuted(muted);
        m_Log.Clear();
        WriteSet("twice.gis");
        GxNcCrammedImageSet* set = Factory().GetCrammedImageSet(u"twice.gis", false);
        ASSERT_NE(set, nullptr);
        Factory().ReleaseCrammedImageSet(set);
        Factory().ReleaseCrammedImageSet(set);   // gone: found by address only, never read
        Factory().ReleaseCrammedImageSet(u"Twice.gis");
        Factory().ReleaseCrammedImageSet(static_cast<GxNcCrammedImageSet*>(nullptr));
        EXPECT_EQ(m_Log.Warnings("Warning/GxNcCrammedImageSetFactory You tried to release the object does not exist"),
                  muted ? 0 : 2);
        if (!muted) {
            EXPECT_EQ(m_Log.warnings.back(),
                      "Warning/GxNcCrammedImageSetFactory You tried to release the object does not exist(Twice.gis)\n");
        }
        EXPECT_TRUE(m_Log.errors.empty());
    }
}

TEST_F(ImageSetFactoryTest, SetsRequestedWithoutTexturesWaitOnThePendingList)
{
    StartDevice();
    for (const char* name : {"p/one", "p/two", "p/three"}) {
        WriteSet(std::string(name) + ".gis");
        WriteAtlas(Path("p/a.png"), 4, 4);
    }
    GxNcCrammedImageSet* one = Factory().GetCrammedImageSet(u"p/one", false);
    GxNcCrammedImageSet* two = Factory().GetCrammedImageSet(u"p/two", false);
    GxNcCrammedImageSet* three = Factory().GetCrammedImageSet(u"p/three", false);
    ASSERT_TRUE(one && two && three);
    EXPECT_EQ(Factory().GetPendingTextureCount(), 3);
    EXPECT_NE(one->FindOriginImage(u"eye.png"), nullptr);   // usable for lookups meanwhile
    EXPECT_EQ(one->m_CrammedImageArray[0].m_pTexture, nullptr);

    EXPECT_EQ(Factory().LoadNextPendingTextures(), 2);
    EXPECT_NE(one->m_CrammedImageArray[0].m_pTexture, nullptr);
    EXPECT_EQ(two->m_CrammedImageArray[0].m_pTexture, nullptr);

    Factory().ReleaseCrammedImageSet(two);   // a pending set's last release takes it off the list
    EXPECT_EQ(Factory().GetPendingTextureCount(), 1);
    EXPECT_EQ(Factory().LoadAllPendingTextures(), 0);
    EXPECT_NE(three->m_CrammedImageArray[0].m_pTexture, nullptr);
    EXPECT_EQ(Factory().GetPendingTextureCount(), 0);
    EXPECT_EQ(Factory().LoadNextPendingTextures(), 0);
    EXPECT_TRUE(m_Log.errors.empty());
}

TEST_F(ImageSetFactoryTest, FilesThatAreNoSetRegisterNothing)
{
    WriteSet("wrong/textheader.gis");
    {
        std::ofstream(Path("wrong/text.gis"), std::ios::binary) << "TNCPROJ\t1\n";
        std::ofstream(Path("wrong/binary.gis"), std::ios::binary) << "BNCPROJ";
        std::ofstream(Path("wrong/zipped.gis"), std::ios::binary) << "ZGIMGSET";
        std::ofstream(Path("wrong/empty.gis"), std::ios::binary);
    }
    struct Case {
        const char16_t* name;
        const char* loadFailed;   // the error line's path, or null for no line of ours
    };
    for (const Case c : {Case{u"wrong/missing.png", "wrong/missing.gis"}, Case{u"wrong/text", "wrong/text.gis"},
                         Case{u"wrong/binary", "wrong/binary.gis"}, Case{u"wrong/empty", "wrong/empty.gis"},
                         Case{u"wrong/zipped", nullptr}}) {
        m_Log.Clear();
        EXPECT_EQ(Factory().GetCrammedImageSet(c.name, true), nullptr);
        const std::string line = c.loadFailed ? std::string("GetCrammedImageSet:Load Failed:") + c.loadFailed + "\n" : "";
        EXPECT_EQ(m_Log.Errors("GetCrammedImageSet:Load Failed"), c.loadFailed ? 1 : 0) << WideToUtf8(c.name);
        if (c.loadFailed) {
            EXPECT_EQ(m_Log.errors.back(), line);
        }
    }
    EXPECT_EQ(Factory().GetCount(), 0);
    EXPECT_EQ(Factory().GetPendingTextureCount(), 0);
}

TEST_F(ImageSetFactoryTest, ShutDownReportsEverySetInKeyOrderThenEmptiesTheRegistry)
{
    WriteSet("b.gis");
    WriteSet("A.gis");
    GxNcCrammedImageSet* b = Factory().GetCrammedImageSet(u"b.gis", false);
    GxNcCrammedImageSet* a = Factory().GetCrammedImageSet(u"A.gis", false);
    ASSERT_TRUE(a && b);
    Factory().ReportUnreleasedImageSets();
    ASSERT_EQ(m_Log.errors.size(), 2u);
    EXPECT_EQ(m_Log.errors[0], "Warning/GxNcCrammedImageSetFactory Object Not Released(a.gis)\n");
    EXPECT_EQ(m_Log.errors[1], "Warning/GxNcCrammedImageSetFactory Object Not Released(b.gis)\n");
    LogSetWarningsMuted(true);   // errors, not warnings: muting does not drop them
    Factory().ReportUnreleasedImageSets();
    EXPECT_EQ(m_Log.errors.size(), 4u);
    Factory().ReleaseAllCrammedImageSets();
    EXPECT_EQ(Factory().GetCount(), 0);
    EXPECT_EQ(Factory().GetPendingTextureCount(), 0);
}

// ---- the pool ----------------------------------------------------------------------------------

TEST_F(ImageSetFactoryTest, ThePoolHoldsOneReferencePerNameAsGiven)
{
    WriteSet("uigis/ui_common.gis");
    GxNcImageSetPool& pool = GetImageSetPool();
    GxNcCrammedImageSet* set = pool.AddImageSet(u"uigis/ui_common.gis");
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(pool.AddImageSet(u"uigis/ui_common.gis"), set);
    EXPECT_EQ(pool.GetCount(), 1u);
    EXPECT_EQ(set->GetRefCount(), 1u);

    EXPECT_EQ(pool.AddImageSet(u"UIGIS/ui_common.gis"), set);   // another entry, the same set
    EXPECT_EQ(pool.GetCount(), 2u);
    EXPECT_EQ(set->GetRefCount(), 2u);
    EXPECT_EQ(pool.GetImageSet(u"UIGIS/ui_common.gis"), set);
    EXPECT_EQ(pool.GetImageSet(u"uigis/UI_COMMON.gis"), nullptr);
    EXPECT_EQ(set->GetRefCount(), 2u);

    EXPECT_TRUE(pool.ReleaseImageSet(u"UIGIS/ui_common.gis"));
    EXPECT_EQ(set->GetRefCount(), 1u);
    EXPECT_FALSE(pool.ReleaseImageSet(u"UIGIS/ui_common.gis"));
    EXPECT_EQ(m_Log.errors.back(), "GxNcImageSetPool::Release 解放するイメージセットが見つからない[UIGIS/ui_common.gis]\n");

    pool.ReleaseAllImageSets();
    EXPECT_EQ(pool.GetCount(), 0u);
    EXPECT_EQ(GetCrammedImageSetFactory().GetCount(), 0);
}

TEST_F(ImageSetFactoryTest, AFailedPoolAddIsLoggedAndLeavesThePoolAlone)
{
    GxNcImageSetPool& pool = GetImageSetPool();
    EXPECT_EQ(pool.AddImageSet(u"uigis/none.gis"), nullptr);
    EXPECT_EQ(m_Log.errors.back(), "GxNcImageSetPool::Add イメージセット読み込み失敗[uigis/none.gis]\n");
    EXPECT_EQ(pool.GetCount(), 0u);
    EXPECT_EQ(pool.GetImageSet(u"uigis/none.gis"), nullptr);
}

}  // namespace
}  // namespace motion_test
