// GxShaderFactory: effects by name, with reference counts. Names compare without regard to the
// case of A-Z. Every operation holds the factory's lock.
#pragma once

#include "foundation/mutex.h"
#include "graphics/d3d_resource.h"
#include "graphics/shader_effect.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class GxShaderFactory : public GxD3DResourceFactoryBase {
public:
    GxShaderFactory() = default;
    ~GxShaderFactory() override;
    GxShaderFactory(const GxShaderFactory&) = delete;
    GxShaderFactory& operator=(const GxShaderFactory&) = delete;

    // A listed effect of that name gains a reference; otherwise a new one is loaded and listed.
    // Null when it does not load.
    virtual GxShaderEffect* Create(std::u16string_view name);
    virtual GxShaderEffect* Create(const char* name);
    // No reference is taken.
    virtual GxShaderEffect* Find(std::u16string_view name);
    virtual GxShaderEffect* Find(const char* name);
    // Every effect reads its file again; true only when all of them load.
    virtual bool ReloadAll();
    // One reference; the effect is deleted when that was its last. An unknown one only warns.
    virtual void Release(GxShaderEffect* effect);
    virtual void ReleaseByName(std::u16string_view name);
    virtual void ReleaseByName(const char* name);
    // Deletes every effect whatever its count.
    void ReleaseAll() override;
    std::int32_t GetCount() override;

private:
    std::vector<std::unique_ptr<GxShaderEffect>>::iterator FindEntry(std::u16string_view name);
    void ReleaseEntry(std::vector<std::unique_ptr<GxShaderEffect>>::iterator entry);

    std::vector<std::unique_ptr<GxShaderEffect>> m_Effects;
    GxMutex m_Lock;
};

// The process-wide factory, built on first use; the device's shut-down empties it.
GxShaderFactory& GetShaderFactory();
