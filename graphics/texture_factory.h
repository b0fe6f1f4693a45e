// The texture factories: process-wide, named, reference-counted registries of textures.
// A request for a registered name (compared without regard to the case of A-Z) returns the
// same object with one more reference, whatever kind it asks for; otherwise the object is built,
// created and registered. Releasing drops a reference and deletes the object at zero.
//
// Every operation holds the factory's lock for its whole run, creation and file loads included;
// an object's own lock is taken inside it (factory first). Any thread may call.
//
// Deferred objects (CreateDeferred of kind 1) are only prepared; the caller queues them in a job
// pool. An object whose load is queued or running is never deleted under the pool: the release
// that brings it to zero takes it out of the registry and it is deleted once its job has run or
// was cancelled.
#pragma once

#include "graphics/d3d_resource.h"
#include "graphics/texture_registry.h"
#include "platform/d3d9/d3d9.h"

#include <cstdint>
#include <string_view>

class GxTextureBase;
class GxTexture;
class GxTextureFlex;

// Kinds of GxTextureFactory::Create.
constexpr std::uint32_t kTextureKindFile = 1;           // GxTexture::CreateFromFile
constexpr std::uint32_t kTextureKindPlain = 2;          // GxTexture::CreateTexture
constexpr std::uint32_t kTextureKindRenderTarget = 3;   // GxTexture::CreateRenderTarget
constexpr std::uint32_t kTextureKindText = 5;           // GxTextureText::CreateTexture
constexpr std::uint32_t kTextureKindTextEx = 6;         // GxTextureTextEx::CreateTexture
constexpr std::uint32_t kTextureKindMovie = 7;          // GxTextureMovie::Create
// Kinds of GxTextureFlexFactory::Create.
constexpr std::uint32_t kTextureFlexKindFile = 1;    // GxTextureFlex::CreateFromFile
constexpr std::uint32_t kTextureFlexKindPlain = 2;   // GxTextureFlex::CreateTexture

class GxTextureFactory : public GxD3DResourceFactoryBase {
public:
    GxTextureFactory();
    // ReleaseAll.
    ~GxTextureFactory() override;

    GxTextureFactory(const GxTextureFactory&) = delete;
    GxTextureFactory& operator=(const GxTextureFactory&) = delete;

    // Null for kinds without a class (0, 4, above 7) and when the creation fails (nothing is
    // registered then). Format 0 means the device default; `reserved` is not used. The result
    // is a GxTexture for kinds 1, 2, 3, 5, 6 and a GxTextureMovie for kind 7.
    virtual GxTextureBase* Create(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                  std::uint32_t height, std::uint32_t levels, D3DFORMAT format, std::uint32_t reserved,
                                  bool scaleFilter);
    // As Create, but kind 1 only prepares the texture for a load on a loader thread and
    // registers it at once (holding no reference until the load completes).
    virtual GxTextureBase* CreateDeferred(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                          std::uint32_t height, std::uint32_t levels, D3DFORMAT format,
                                          std::uint32_t reserved, bool scaleFilter);
    // No reference is added.
    virtual GxTextureBase* Find(std::u16string_view name);
    // Drops one reference; deletes at zero. An object or name not registered only logs a warning.
    virtual void Release(GxTextureBase* texture);
    virtual void Release(std::u16string_view name);
    // Deletes every registered object whatever its count.
    void ReleaseAll() override;
    std::int32_t GetCount() override;
    // The list of names to the debug log.
    void Dump();

private:
    GxTextureBase* CreateObject(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                std::uint32_t height, std::uint32_t levels, D3DFORMAT format, bool scaleFilter,
                                bool deferred);

    GxTextureRegistry<GxTextureBase> m_Registry{u"GxTextureFactory"};
};

class GxTextureFlexFactory : public GxD3DResourceFactoryBase {
public:
    GxTextureFlexFactory();
    ~GxTextureFlexFactory() override;

    GxTextureFlexFactory(const GxTextureFlexFactory&) = delete;
    GxTextureFlexFactory& operator=(const GxTextureFlexFactory&) = delete;

    // Null for kinds other than 1 and 2 and when the creation fails.
    virtual GxTextureFlex* Create(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                  std::uint32_t height, D3DFORMAT format);
    virtual GxTextureFlex* CreateDeferred(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                          std::uint32_t height, D3DFORMAT format);
    virtual GxTextureFlex* Find(std::u16string_view name);
    virtual void Release(GxTextureFlex* texture);
    virtual void Release(std::u16string_view name);
    void ReleaseAll() override;
    std::int32_t GetCount() override;
    void Dump();

private:
    GxTextureFlex* CreateObject(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                std::uint32_t height, D3DFORMAT format, bool deferred);

    GxTextureRegistry<GxTextureFlex> m_Registry{u"GxTextureFlexFactory"};
};

// The process-wide factories, built on first use and destroyed at exit.
GxTextureFactory& GetTextureFactory();
GxTextureFlexFactory& GetTextureFlexFactory();
