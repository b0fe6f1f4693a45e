// Device resources: the base of every object that owns a Direct3D resource (textures, surfaces,
// swap chains, effects), the process-wide registry that sends them the device-lost and
// device-reset notices, and the image-information helpers the loaders share.
//
// Lock order: a factory's lock, then a resource's own lock, then the registry's lock.
#pragma once

#include "foundation/async_job.h"
#include "foundation/mutex.h"
#include "foundation/object_base.h"
#include "platform/d3d9/d3d9.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// Object types; the registry's exit report names them ("OBJTYPE_TEXTURE" ...).
constexpr std::int32_t kObjTypeNone = 0;
constexpr std::int32_t kObjTypeTexture = 1;
constexpr std::int32_t kObjTypeFlexTexture = 2;
constexpr std::int32_t kObjTypeBufferedTexture = 3;
constexpr std::int32_t kObjTypeRenderTarget = 4;
constexpr std::int32_t kObjTypeDepthStencil = 5;
constexpr std::int32_t kObjTypeSurface = 6;
constexpr std::int32_t kObjTypeSwapChain = 7;
constexpr std::int32_t kObjTypeMesh = 8;
constexpr std::int32_t kObjTypeShaderEffect = 9;
constexpr std::int32_t kObjTypeModel = 10;
constexpr std::int32_t kObjTypeReserved2 = 11;
constexpr std::int32_t kObjTypeReserved3 = 12;
constexpr std::int32_t kObjTypeImageData = 13;
constexpr std::int32_t kObjTypeCount = 14;

// The base of every device resource. Its lock is the job lock of its second base, so a loader
// thread and the window thread see one lock per resource.
//
// A resource is empty when made (count 0, type 0, no name), becomes live through a creation
// operation of its class (registered, type set, count 1 after the creator's AddRef) and empties
// itself when the last Release brings the count to 0; it may then be created again.
// A derived class overrides Release to also free its device objects, clear its fields, set the
// type back to 0, empty the name and leave the registry; its destructor calls ReleaseAll first.
class GxD3DResourceBase : public GxObjectNotCopyable, public GxAsyncJobBase {
public:
    GxD3DResourceBase();
    ~GxD3DResourceBase() override;

    // Count 0 and failed flag cleared, without the lock.
    virtual void ResetRefCount();
    // The results are the count afterwards.
    virtual std::uint32_t AddRef();
    // Count - 1 while above 0; never frees anything.
    virtual std::uint32_t DecRef();
    virtual std::uint32_t GetRefCount() const;
    // Nothing at count 0; else count - 1, and at 0 the job state is reset and the failed flag cleared.
    virtual std::uint32_t Release();
    // Release until the count is 0.
    virtual void ReleaseAll();
    virtual void OnLostDevice();
    virtual void OnResetDevice();
    virtual std::uint32_t GetVideoMemorySize() const;
    virtual std::u16string GetName() const;
    // Stored with A-Z lowered, every other unit unchanged.
    virtual void SetName(std::u16string_view name);
    virtual bool IsFailed() const;
    virtual void SetFailed(bool failed);

    // Job side: the job is named after the resource; the body does nothing unless a class
    // that loads on a loader thread gives its own.
    std::u16string GetJobName() const override;
    void RunJob(GxThread* thread, GxAsyncJobManage* manager) override;

    std::int32_t GetObjectType() const;

protected:
    GxMutex& GetResourceLock() const { return GetJobLock(); }
    void SetObjectType(std::int32_t type);

    // The Release of a class that owns device objects: one reference less and, at zero,
    // `emptyOwn` frees the class's objects and clears its fields, then the type, name, job state
    // and failed flag go back to empty and the resource leaves the registry.
    template <typename EmptyOwn>
    std::uint32_t ReleaseOwned(EmptyOwn emptyOwn);
    // Every reference given up, the class's device objects freed by `freeOwn`, and out of the
    // registry whatever the count: the start of a creation, and the end of the object's life
    // (a count brought to 0 by DecRef leaves the objects held and the resource registered).
    template <typename FreeOwn>
    void DropEverything(FreeOwn freeOwn);
    // A creation's last step: registered, with the creator's reference.
    void EnterRegistry();

    std::int32_t m_ObjectType = kObjTypeNone;
    std::u16string m_Name;
    std::uint32_t m_RefCount = 0;
    bool m_Failed = false;
};

// The registry of live device resources. One process-wide object (GetD3DResourceManage) lives
// from first use to process exit; its destructor reports every resource still registered.
// Other instances exist only for tests.
class GxD3DResourceManage {
public:
    GxD3DResourceManage() = default;
    // Exit report: one warning per resource still registered, in address order; then closed.
    virtual ~GxD3DResourceManage();

    GxD3DResourceManage(const GxD3DResourceManage&) = delete;
    GxD3DResourceManage& operator=(const GxD3DResourceManage&) = delete;

    // A second registration changes nothing. Refused once closed.
    void Register(GxD3DResourceBase* resource);
    // False once closed, or when the resource was not registered.
    bool Unregister(GxD3DResourceBase* resource);
    bool IsRegistered(const GxD3DResourceBase* resource);
    std::size_t GetCount();

    // OnLostDevice / OnResetDevice on every registered resource in address order, called without
    // the registry lock held (a notice may register or unregister resources). A resource that
    // leaves the registry during the walk is skipped.
    void NotifyLostDevice();
    void NotifyResetDevice();

    // Sum of GetVideoMemorySize over the registered resources. Called on the window thread,
    // where resources are deleted, so none can vanish during the walk.
    std::uint32_t GetTotalVideoMemory();

    // "OBJTYPE_TEXTURE" ...; "OBJTYPE_NONE" for a type outside the table.
    static const char16_t* GetObjectTypeName(std::int32_t type);

private:
    std::vector<GxD3DResourceBase*> Snapshot();

    GxMutex m_Lock;
    bool m_Closed = false;
    std::set<GxD3DResourceBase*> m_Resources;
};

// The process-wide registry. After its exit report it is gone: RegisterD3DResource does
// nothing and UnregisterD3DResource returns false from then on.
GxD3DResourceManage& GetD3DResourceManage();
void RegisterD3DResource(GxD3DResourceBase* resource);
bool UnregisterD3DResource(GxD3DResourceBase* resource);

// What the graphics shut-down needs of a factory of device resources (textures, flex
// textures, shaders): how many objects it still holds, and to release them all.
class GxD3DResourceFactoryBase {
public:
    virtual ~GxD3DResourceFactoryBase() = default;
    virtual std::int32_t GetCount() = 0;
    virtual void ReleaseAll() = 0;
};

// Bytes per pixel for the video-memory sums (compressed and four-character formats count 4).
std::uint32_t GetFormatBytesPerPixel(D3DFORMAT format);

struct GxImageInfo {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t depth = 0;   // 0 for PNG images
};

// PNG and DDS headers are read directly; anything else is asked of D3DX. The record is zeroed
// first and stays zero on failure (logged).
void GetImageInfoFromMemory(const void* data, std::size_t size, GxImageInfo* info);
// By extension, without regard to the case of A-Z: ".png" and ".dds" read only their headers,
// anything else reads the whole file. Through the file system, so archives are included.
bool GetImageInfoFromFile(const std::u16string& path, GxImageInfo* info);
// A D3DPOOL_SCRATCH surface of the image's size in `format`, loaded unfiltered with the colour
// key. When the load fails after the surface was made, the surface is still handed out.
bool CreateScratchSurfaceFromFile(const std::u16string& path, IDirect3DSurface9** surface, D3DFORMAT format,
                                  GxImageInfo* info, D3DCOLOR colorKey);

// ---- GxD3DResourceBase templates ----------------------------------------------------------

template <typename EmptyOwn>
std::uint32_t GxD3DResourceBase::ReleaseOwned(EmptyOwn emptyOwn)
{
    GxMutexScopedLock lock(GetResourceLock());
    if (m_RefCount == 0) return 0;
    --m_RefCount;
    if (m_RefCount == 0) {
        emptyOwn();
        m_ObjectType = kObjTypeNone;
        m_Name.clear();
        // The base's reset, not an override that would take it for a load being queued.
        GxAsyncJobBase::ResetJob();
        m_Failed = false;
        UnregisterD3DResource(this);
    }
    return m_RefCount;
}

template <typename FreeOwn>
void GxD3DResourceBase::DropEverything(FreeOwn freeOwn)
{
    ReleaseAll();
    freeOwn();
    UnregisterD3DResource(this);
}
