#include "graphics/texture_factory.h"

#include "graphics/texture.h"
#include "graphics/texture_flex.h"
#include "graphics/texture_movie.h"
#include "graphics/texture_text.h"

#include <memory>

// ---- GxTextureFactory ----------------------------------------------------------------------

GxTextureFactory::GxTextureFactory() = default;

GxTextureFactory::~GxTextureFactory()
{
    ReleaseAll();
    // What is left still waits in a job queue that may yet run it: it cannot be deleted safely.
}

GxTextureBase* GxTextureFactory::CreateObject(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                              std::uint32_t height, std::uint32_t levels, D3DFORMAT format,
                                              bool scaleFilter, bool deferred)
{
    switch (kind) {
    case kTextureKindFile: {
        auto texture = std::make_unique<GxTexture>();
        if (deferred) {
            texture->PrepareAsyncLoad(name, format, levels, 0, scaleFilter);
            return texture.release();
        }
        return texture->CreateFromFile(name, format, levels, 0, scaleFilter) ? texture.release() : nullptr;
    }
    case kTextureKindPlain: {
        auto texture = std::make_unique<GxTexture>();
        return texture->CreateTexture(name, width, height, format, levels) ? texture.release() : nullptr;
    }
    case kTextureKindRenderTarget: {
        auto texture = std::make_unique<GxTexture>();
        return texture->CreateRenderTarget(name, width, height, format) ? texture.release() : nullptr;
    }
    case kTextureKindText: {
        auto texture = std::make_unique<GxTextureText>();
        return texture->CreateTexture(name, width, height, format, levels) ? texture.release() : nullptr;
    }
    case kTextureKindTextEx: {
        auto texture = std::make_unique<GxTextureTextEx>();
        return texture->CreateTexture(name, width, height, format, levels) ? texture.release() : nullptr;
    }
    case kTextureKindMovie: {
        auto texture = std::make_unique<GxTextureMovie>();
        return texture->Create(name, width, height, format, 0, false) ? texture.release() : nullptr;
    }
    default:
        return nullptr;
    }
}

GxTextureBase* GxTextureFactory::Create(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                        std::uint32_t height, std::uint32_t levels, D3DFORMAT format, std::uint32_t,
                                        bool scaleFilter)
{
    return m_Registry.Acquire(name, [&](std::u16string_view copy) {
        return CreateObject(copy, kind, width, height, levels, format, scaleFilter, false);
    });
}

GxTextureBase* GxTextureFactory::CreateDeferred(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                                std::uint32_t height, std::uint32_t levels, D3DFORMAT format,
                                                std::uint32_t, bool scaleFilter)
{
    return m_Registry.Acquire(name, [&](std::u16string_view copy) {
        return CreateObject(copy, kind, width, height, levels, format, scaleFilter, true);
    });
}

GxTextureBase* GxTextureFactory::Find(std::u16string_view name) { return m_Registry.Find(name); }
void GxTextureFactory::Release(GxTextureBase* texture) { m_Registry.Release(texture); }
void GxTextureFactory::Release(std::u16string_view name) { m_Registry.Release(name); }
void GxTextureFactory::ReleaseAll() { m_Registry.ReleaseAll(); }
std::int32_t GxTextureFactory::GetCount() { return m_Registry.GetCount(); }
void GxTextureFactory::Dump() { m_Registry.Dump(); }

// ---- GxTextureFlexFactory ------------------------------------------------------------------

GxTextureFlexFactory::GxTextureFlexFactory() = default;

GxTextureFlexFactory::~GxTextureFlexFactory()
{
    ReleaseAll();
}

GxTextureFlex* GxTextureFlexFactory::CreateObject(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                                  std::uint32_t height, D3DFORMAT format, bool deferred)
{
    if (kind != kTextureFlexKindFile && kind != kTextureFlexKindPlain) return nullptr;
    auto texture = std::make_unique<GxTextureFlex>();
    if (kind == kTextureFlexKindFile) {
        if (deferred) {
            texture->PrepareAsyncLoad(name, format, 0);
            return texture.release();
        }
        return texture->CreateFromFile(name, format, 0) ? texture.release() : nullptr;
    }
    return texture->CreateTexture(name, width, height, format) ? texture.release() : nullptr;
}

GxTextureFlex* GxTextureFlexFactory::Create(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                            std::uint32_t height, D3DFORMAT format)
{
    return m_Registry.Acquire(
        name, [&](std::u16string_view copy) { return CreateObject(copy, kind, width, height, format, false); });
}

GxTextureFlex* GxTextureFlexFactory::CreateDeferred(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                                    std::uint32_t height, D3DFORMAT format)
{
    return m_Registry.Acquire(
        name, [&](std::u16string_view copy) { return CreateObject(copy, kind, width, height, format, true); });
}

GxTextureFlex* GxTextureFlexFactory::Find(std::u16string_view name) { return m_Registry.Find(name); }
void GxTextureFlexFactory::Release(GxTextureFlex* texture) { m_Registry.Release(texture); }
void GxTextureFlexFactory::Release(std::u16string_view name) { m_Registry.Release(name); }
void GxTextureFlexFactory::ReleaseAll() { m_Registry.ReleaseAll(); }
std::int32_t GxTextureFlexFactory::GetCount() { return m_Registry.GetCount(); }
void GxTextureFlexFactory::Dump() { m_Registry.Dump(); }

// ---- process-wide factories ----------------------------------------------------------------

GxTextureFactory& GetTextureFactory()
{
    static GxTextureFactory factory;
    return factory;
}

GxTextureFlexFactory& GetTextureFlexFactory()
{
    static GxTextureFlexFactory factory;
    return factory;
}
