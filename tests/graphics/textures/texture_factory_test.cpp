// GxTextureFactory and GxTextureFlexFactory: sharing by name without regard to case, the kinds,
// failures, releases and their warnings, the dump, and deferred loads on loader threads,
// including releases while such a load is queued or running.
#include "foundation/async_job.h"
#include "graphics/texture.h"
#include "graphics/texture_factory.h"
#include "graphics/texture_flex.h"
#include "graphics/texture_movie.h"
#include "tests/graphics/textures/textures_fixture.h"

#include <thread>

namespace texturetest {
namespace {

TEST_F(TextureTest, FactorySharesANameWhateverItsCase)
{
    CreateDevice();
    std::filesystem::create_directories(folder / "Bg");
    const std::u16string path = WritePng("Bg/Title.png", TestImage::Solid(4, 4, 0xFF0000FF));
    GxTextureFactory factory;
    GxTextureBase* first = factory.Create(path, kTextureKindFile, 0, 0, 1, D3DFMT_UNKNOWN, 0, true);
    ASSERT_NE(first, nullptr);
    GxTextureBase* second = factory.Create(PathOf("bg/title.PNG"), kTextureKindFile, 0, 0, 1, D3DFMT_UNKNOWN, 0, true);
    EXPECT_EQ(second, first);
    EXPECT_EQ(first->GetRefCount(), 2u);
    EXPECT_EQ(factory.GetCount(), 1);
    EXPECT_EQ(factory.Find(PathOf("BG/TITLE.png")), first);
    EXPECT_EQ(first->GetRefCount(), 2u);   // Find adds no reference
    // The kind of a later request is not compared.
    EXPECT_EQ(factory.Create(path, kTextureKindRenderTarget, 8, 8, 1, D3DFMT_UNKNOWN, 0, false), first);
    EXPECT_EQ(first->GetRefCount(), 3u);

    factory.Release(first);
    factory.Release(PathOf("bg/TITLE.png"));
    EXPECT_EQ(factory.Find(path), first);
    factory.Release(first);
    EXPECT_EQ(factory.Find(path), nullptr);
    EXPECT_EQ(factory.GetCount(), 0);
}

TEST_F(TextureTest, FactoryBuildsTheClassOfEachKind)
{
    CreateDevice();
    GxTextureFactory factory;
    for (const std::uint32_t kind : {0u, 4u, 8u, 100u})
        EXPECT_EQ(factory.Create(u"nothing", kind, 16, 16, 1, D3DFMT_UNKNOWN, 0, true), nullptr) << kind;
    EXPECT_EQ(factory.GetCount(), 0);

    auto* plain = dynamic_cast<GxTexture*>(factory.Create(u"plain", kTextureKindPlain, 30, 20, 1, D3DFMT_UNKNOWN, 0, true));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->GetWidth(), 32u);
    EXPECT_EQ(plain->GetObjectType(), kObjTypeTexture);
    auto* target = dynamic_cast<GxTexture*>(factory.Create(u"rt", kTextureKindRenderTarget, 64, 64, 1, D3DFMT_UNKNOWN, 0, true));
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->GetObjectType(), kObjTypeRenderTarget);
    for (const std::uint32_t kind : {kTextureKindText, kTextureKindTextEx}) {
        auto* text = dynamic_cast<GxTexture*>(factory.Create(kind == kTextureKindText ? u"text" : u"textex", kind, 256,
                                                             64, 1, D3DFMT_UNKNOWN, 0, true));
        ASSERT_NE(text, nullptr) << kind;
        EXPECT_EQ(text->GetHeight(), 64u);
    }
    auto* movie = dynamic_cast<GxTextureMovie*>(factory.Create(u"movie", kTextureKindMovie, 640, 480, 1, D3DFMT_UNKNOWN, 0, true));
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->GetWidth(), 1024u);
    EXPECT_EQ(movie->GetPool(), D3DPOOL_MANAGED);
    EXPECT_EQ(factory.GetCount(), 5);

    // A failed creation registers nothing.
    EXPECT_EQ(factory.Create(u"huge", kTextureKindPlain, 0x40000000, 0x40000000, 1, D3DFMT_A8R8G8B8, 0, true), nullptr);
    EXPECT_EQ(factory.GetCount(), 5);

    factory.ReleaseAll();   // whatever the counts
    EXPECT_EQ(factory.GetCount(), 0);
    EXPECT_EQ(factory.Find(u"plain"), nullptr);
    factory.ReleaseAll();
    EXPECT_EQ(factory.GetCount(), 0);
}

TEST_F(TextureTest, FactoryMissingFileRegistersNothingButADeferredOneStays)
{
    CreateDevice();
    GxTextureFactory factory;
    const std::u16string missing = PathOf("missing.png");
    EXPECT_EQ(factory.Create(missing, kTextureKindFile, 0, 0, 1, D3DFMT_UNKNOWN, 0, true), nullptr);
    EXPECT_TRUE(log.Contains(u"Error/GetInfoFromFile Open error"));
    EXPECT_EQ(factory.GetCount(), 0);

    auto* deferred =
        dynamic_cast<GxTexture*>(factory.CreateDeferred(missing, kTextureKindFile, 0, 0, 1, D3DFMT_UNKNOWN, 0, true));
    ASSERT_NE(deferred, nullptr);
    EXPECT_EQ(factory.GetCount(), 1);
    EXPECT_EQ(deferred->GetRefCount(), 0u);
    EXPECT_EQ(factory.Find(missing), deferred);

    GxAsyncJobManage pool;
    pool.CreateThread(1);
    ASSERT_TRUE(pool.AddJob(deferred));
    pool.AsyncWaitAll();
    EXPECT_TRUE(deferred->IsCompleted());
    EXPECT_TRUE(deferred->IsFailed());
    EXPECT_FALSE(deferred->HasTexture());
    EXPECT_EQ(factory.Find(missing), deferred);
    factory.Release(deferred);
    EXPECT_EQ(factory.GetCount(), 0);
    pool.AsyncShutdown();

    // Other kinds are created at once by CreateDeferred.
    GxTextureBase* plain = factory.CreateDeferred(u"plain", kTextureKindPlain, 8, 8, 1, D3DFMT_UNKNOWN, 0, true);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->GetRefCount(), 1u);
}

TEST_F(TextureTest, FactoryReleaseOfUnknownObjectsOnlyWarns)
{
    CreateDevice();
    GxTextureFactory factory;
    GxTextureBase* kept = factory.Create(u"kept", kTextureKindPlain, 8, 8, 1, D3DFMT_UNKNOWN, 0, true);
    GxTexture stranger;
    factory.Release(&stranger);
    factory.Release(u"Not/There.png");
    const std::u16string address =
        FormatWide(u"(0x%llx)", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(&stranger)));
    EXPECT_EQ(log.LevelOf(u"Warning/GxTextureFactory You tried to release the texture does not exist" + address),
              GxDebugListenerBase::kLevelWarning);
    EXPECT_TRUE(log.Contains(u"Warning/GxTextureFactory You tried to release the texture does not exist(Not/There.png)\n"));
    EXPECT_EQ(factory.GetCount(), 1);
    EXPECT_EQ(kept->GetRefCount(), 1u);
}

TEST_F(TextureTest, FactoryDumpListsTheNamesInOrder)
{
    CreateDevice();
    GxTextureFactory factory;
    factory.Create(u"First", kTextureKindPlain, 8, 8, 1, D3DFMT_UNKNOWN, 0, true);
    factory.Create(u"second", kTextureKindPlain, 8, 8, 1, D3DFMT_UNKNOWN, 0, true);
    log.lines.clear();
    factory.Dump();
    std::vector<std::u16string> lines;
    for (const LogCapture::Line& line : log.lines) lines.push_back(line.text);
    EXPECT_EQ(lines, (std::vector<std::u16string>{u"---GxTextureFactory dump start---\n", u"total 2 textures\n",
                                                  u"first\n", u"second\n", u"---GxTextureFactory dump end---\n"}));
}

// A deferred texture whose load is still queued must outlive its release: the pool calls into
// it when it cancels or runs the job.
TEST_F(TextureTest, FactoryKeepsAReleasedTextureWhileItsLoadIsQueued)
{
    CreateDevice();
    const std::u16string path = WritePng("queued.png", TestImage::Solid(8, 8, 0xFF00FF00));
    GxTextureFactory factory;
    GxAsyncJobManage pool;
    pool.CreateThread(1, true);   // stopped: the job stays queued
    GxTextureBase* texture = factory.CreateDeferred(path, kTextureKindFile, 0, 0, 1, D3DFMT_UNKNOWN, 0, true);
    ASSERT_NE(texture, nullptr);
    ASSERT_TRUE(pool.AddJob(texture));
    factory.Release(texture);
    EXPECT_EQ(factory.GetCount(), 0);
    EXPECT_EQ(factory.Find(path), nullptr);
    factory.ReleaseAll();   // still queued: nothing to wait for, nothing deleted
    pool.AsyncShutdown();   // cancels the job: the texture hears of it
    EXPECT_TRUE(texture->IsCancelled());
    EXPECT_EQ(factory.Find(path), nullptr);   // and is deleted now
}

TEST_F(TextureTest, FactoryReleaseDuringRunningLoadsIsSafe)
{
    CreateDevice();
    const std::u16string path = WritePng("running.png", TestImage::Solid(64, 64, 0xFF336699));
    GxTextureFactory factory;
    GxAsyncJobManage pool;
    pool.CreateThread(2);
    for (int round = 0; round < 20; ++round) {
        GxTextureBase* texture = factory.CreateDeferred(path, kTextureKindFile, 0, 0, 1, D3DFMT_UNKNOWN, 0, true);
        ASSERT_NE(texture, nullptr);
        ASSERT_TRUE(pool.AddJob(texture));
        if (round % 2) std::this_thread::yield();
        factory.Release(path);
    }
    pool.AsyncWaitAll();
    factory.ReleaseAll();
    EXPECT_EQ(factory.GetCount(), 0);
    pool.AsyncShutdown();
}

TEST_F(TextureTest, FactoryDeferredLoadKeepsReferencesTakenWhileItWaited)
{
    CreateDevice();
    const std::u16string path = WritePng("shared.png", TestImage::Solid(8, 8, 0xFFFFFF00));
    GxTextureFactory factory;
    auto* texture =
        dynamic_cast<GxTexture*>(factory.CreateDeferred(path, kTextureKindFile, 0, 0, 1, D3DFMT_UNKNOWN, 0, true));
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(factory.Create(path, kTextureKindFile, 0, 0, 1, D3DFMT_UNKNOWN, 0, true), texture);
    EXPECT_EQ(texture->GetRefCount(), 1u);
    GxAsyncJobManage pool;
    pool.CreateThread(1);
    ASSERT_TRUE(pool.AddJob(texture));
    pool.AsyncWaitAll();
    pool.AsyncShutdown();
    ASSERT_TRUE(texture->HasTexture());
    EXPECT_EQ(texture->GetRefCount(), 2u);   // the second request's and the load's own
    EXPECT_EQ(texture->GetName(), WideToLowerAscii(path));
    factory.Release(texture);
    EXPECT_EQ(factory.Find(path), texture);
    EXPECT_EQ(texture->GetPixel(7, 7), 0xFFFFFF00u);
    factory.Release(texture);
    EXPECT_EQ(factory.Find(path), nullptr);
}

TEST_F(TextureTest, FlexFactorySharesReleasesWarnsAndDumps)
{
    CreateDevice();
    const std::u16string path = WritePng("Panel.png", TestImage::Solid(200, 50, 0xFF777777));
    GxTextureFlexFactory factory;
    GxTextureFlex* panel = factory.Create(path, kTextureFlexKindFile, 0, 0, D3DFMT_UNKNOWN);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetColumns(), 2u);
    EXPECT_EQ(factory.Create(PathOf("PANEL.PNG"), kTextureFlexKindPlain, 8, 8, D3DFMT_UNKNOWN), panel);
    EXPECT_EQ(panel->GetRefCount(), 2u);
    GxTextureFlex* blank = factory.Create(u"Blank", kTextureFlexKindPlain, 300, 300, D3DFMT_UNKNOWN);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(blank->GetRows(), 3u);
    for (const std::uint32_t kind : {0u, 3u})
        EXPECT_EQ(factory.Create(u"none", kind, 8, 8, D3DFMT_UNKNOWN), nullptr) << kind;
    EXPECT_EQ(factory.Create(PathOf("missing.png"), kTextureFlexKindFile, 0, 0, D3DFMT_UNKNOWN), nullptr);
    EXPECT_EQ(factory.GetCount(), 2);

    GxTextureFlex stranger;
    factory.Release(&stranger);
    factory.Release(u"Nope");
    EXPECT_TRUE(log.Contains(u"Warning/GxTextureFlexFactory You tried to release the texture does not exist(0x"));
    EXPECT_TRUE(log.Contains(u"Warning/GxTextureFlexFactory You tried to release the texture does not exist(Nope)\n"));

    log.lines.clear();
    factory.Dump();
    ASSERT_EQ(log.lines.size(), 5u);
    EXPECT_EQ(log.lines[0].text, u"---GxTextureFlexFactory dump start---\n");
    EXPECT_EQ(log.lines[1].text, u"total 2 textures\n");
    EXPECT_EQ(log.lines[2].text, WideToLowerAscii(path) + u"\n");
    EXPECT_EQ(log.lines[3].text, u"blank\n");
    EXPECT_EQ(log.lines[4].text, u"---GxTextureFlexFactory dump end---\n");

    factory.Release(panel);
    factory.Release(panel);
    EXPECT_EQ(factory.Find(path), nullptr);
    EXPECT_EQ(factory.GetCount(), 1);

    GxTextureFlex* later = factory.CreateDeferred(PathOf("panel.png"), kTextureFlexKindFile, 0, 0, D3DFMT_UNKNOWN);
    ASSERT_NE(later, nullptr);
    EXPECT_FALSE(later->HasTiles());
    GxAsyncJobManage pool;
    pool.CreateThread(1, true);
    ASSERT_TRUE(pool.AddJob(later));
    factory.Release(later);   // queued: kept until the pool lets go of it
    pool.AsyncShutdown();
    EXPECT_TRUE(later->IsCancelled());
    factory.ReleaseAll();
    EXPECT_EQ(factory.GetCount(), 0);
}

}  // namespace
}  // namespace texturetest
