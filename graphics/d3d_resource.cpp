#include "graphics/d3d_resource.h"

#include "foundation/bin_buffer.h"
#include "foundation/file.h"
#include "foundation/file_handle.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/d3d_names.h"
#include "graphics/graphics.h"
#include "platform/d3d9/d3dx_image.h"

#include <algorithm>
#include <atomic>
#include <cstring>

// ---- GxD3DResourceBase -------------------------------------------------------------------

GxD3DResourceBase::GxD3DResourceBase() = default;

GxD3DResourceBase::~GxD3DResourceBase()
{
    // Only the base's own Release runs here: a derived class has already released itself.
    GxD3DResourceBase::ReleaseAll();
}

void GxD3DResourceBase::ResetRefCount()
{
    m_RefCount = 0;
    m_Failed = false;
}

std::uint32_t GxD3DResourceBase::AddRef()
{
    GxMutexScopedLock lock(GetResourceLock());
    return ++m_RefCount;
}

std::uint32_t GxD3DResourceBase::DecRef()
{
    GxMutexScopedLock lock(GetResourceLock());
    if (m_RefCount > 0) --m_RefCount;
    return m_RefCount;
}

std::uint32_t GxD3DResourceBase::GetRefCount() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_RefCount;
}

std::uint32_t GxD3DResourceBase::Release()
{
    GxMutexScopedLock lock(GetResourceLock());
    if (m_RefCount == 0) return 0;
    --m_RefCount;
    if (m_RefCount == 0) {
        ResetJob();
        m_Failed = false;
    }
    return m_RefCount;
}

void GxD3DResourceBase::ReleaseAll()
{
    GxMutexScopedLock lock(GetResourceLock());
    std::uint32_t count = GetRefCount();
    while (count > 0) {
        const std::uint32_t after = Release();
        if (after >= count) break;   // a Release that does not count down would loop for ever
        count = after;
    }
}

void GxD3DResourceBase::OnLostDevice() {}

void GxD3DResourceBase::OnResetDevice() {}

std::uint32_t GxD3DResourceBase::GetVideoMemorySize() const
{
    return 0;
}

std::u16string GxD3DResourceBase::GetName() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_Name;
}

void GxD3DResourceBase::SetName(std::u16string_view name)
{
    GxMutexScopedLock lock(GetResourceLock());
    m_Name = WideToLowerAscii(name);
}

bool GxD3DResourceBase::IsFailed() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_Failed;
}

void GxD3DResourceBase::SetFailed(bool failed)
{
    GxMutexScopedLock lock(GetResourceLock());
    m_Failed = failed;
}

std::u16string GxD3DResourceBase::GetJobName() const
{
    return GetName();
}

void GxD3DResourceBase::RunJob(GxThread*, GxAsyncJobManage*) {}

std::int32_t GxD3DResourceBase::GetObjectType() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_ObjectType;
}

void GxD3DResourceBase::SetObjectType(std::int32_t type)
{
    GxMutexScopedLock lock(GetResourceLock());
    m_ObjectType = type;
}

void GxD3DResourceBase::EnterRegistry()
{
    RegisterD3DResource(this);
    AddRef();
}

// ---- GxD3DResourceManage -----------------------------------------------------------------

namespace {

const char16_t* const kObjectTypeNames[kObjTypeCount] = {
    u"OBJTYPE_NONE",         u"OBJTYPE_TEXTURE",      u"OBJTYPE_FLEXTEXTURE", u"OBJTYPE_BUFFEREDTEXTURE",
    u"OBJTYPE_RENDERTARGET", u"OBJTYPE_DEPTHSTENCIL", u"OBJTYPE_SURFACE",     u"OBJTYPE_SWAPCHAIN",
    u"OBJTYPE_MESH",         u"OBJTYPE_SHADEREFFECT", u"OBJTYPE_MODEL",       u"OBJTYPE_RESERVED_2",
    u"OBJTYPE_RESERVED_3",   u"OBJTYPE_IMAGEDATA",
};

// Set once the process-wide registry has been destroyed; trivially destructible, so static
// destructors that run later can still read it.
std::atomic<bool> g_ManageGone{false};

struct GlobalManage {
    GxD3DResourceManage manage;
    ~GlobalManage() { g_ManageGone = true; }   // before the member's exit report runs
};

}  // namespace

GxD3DResourceManage::~GxD3DResourceManage()
{
    GxMutexScopedLock lock(m_Lock);
    for (GxD3DResourceBase* resource : m_Resources) {
        const std::u16string name = resource->GetName();
        LogPrintWarning(u"Warning/未解放のまま終了したリソースがあります 0x%llx [%s:%s]\n",
                        static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(resource)),
                        GetObjectTypeName(resource->GetObjectType()), name.c_str());
    }
    m_Closed = true;
    m_Resources.clear();
}

void GxD3DResourceManage::Register(GxD3DResourceBase* resource)
{
    if (!resource) return;
    GxMutexScopedLock lock(m_Lock);
    if (m_Closed) return;
    m_Resources.insert(resource);
}

bool GxD3DResourceManage::Unregister(GxD3DResourceBase* resource)
{
    GxMutexScopedLock lock(m_Lock);
    if (m_Closed) return false;
    return m_Resources.erase(resource) != 0;
}

bool GxD3DResourceManage::IsRegistered(const GxD3DResourceBase* resource)
{
    GxMutexScopedLock lock(m_Lock);
    return m_Resources.count(const_cast<GxD3DResourceBase*>(resource)) != 0;
}

std::size_t GxD3DResourceManage::GetCount()
{
    GxMutexScopedLock lock(m_Lock);
    return m_Resources.size();
}

std::vector<GxD3DResourceBase*> GxD3DResourceManage::Snapshot()
{
    GxMutexScopedLock lock(m_Lock);
    return {m_Resources.begin(), m_Resources.end()};
}

void GxD3DResourceManage::NotifyLostDevice()
{
    for (GxD3DResourceBase* resource : Snapshot()) {
        if (IsRegistered(resource)) resource->OnLostDevice();
    }
}

void GxD3DResourceManage::NotifyResetDevice()
{
    for (GxD3DResourceBase* resource : Snapshot()) {
        if (IsRegistered(resource)) resource->OnResetDevice();
    }
}

std::uint32_t GxD3DResourceManage::GetTotalVideoMemory()
{
    // Each resource is asked without the registry lock held: its own lock comes first in the
    // lock order, and a loader thread may hold it while registering.
    std::uint32_t total = 0;
    for (const GxD3DResourceBase* resource : Snapshot()) {
        if (IsRegistered(resource)) total += resource->GetVideoMemorySize();
    }
    return total;
}

const char16_t* GxD3DResourceManage::GetObjectTypeName(std::int32_t type)
{
    if (type < 0 || type >= kObjTypeCount) return kObjectTypeNames[kObjTypeNone];
    return kObjectTypeNames[type];
}

GxD3DResourceManage& GetD3DResourceManage()
{
    static GlobalManage global;
    return global.manage;
}

void RegisterD3DResource(GxD3DResourceBase* resource)
{
    if (g_ManageGone) return;
    GetD3DResourceManage().Register(resource);
}

bool UnregisterD3DResource(GxD3DResourceBase* resource)
{
    if (g_ManageGone) return false;
    return GetD3DResourceManage().Unregister(resource);
}

// ---- image information -------------------------------------------------------------------

std::uint32_t GetFormatBytesPerPixel(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_R3G3B2:
    case D3DFMT_A8:
    case D3DFMT_P8:
    case D3DFMT_L8:
    case D3DFMT_A4L4:
    case D3DFMT_S8_LOCKABLE:
        return 1;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8R3G3B2:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A8P8:
    case D3DFMT_A8L8:
    case D3DFMT_V8U8:
    case D3DFMT_L6V5U5:
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D15S1:
    case D3DFMT_D16:
    case D3DFMT_L16:
    case D3DFMT_INDEX16:
    case D3DFMT_R16F:
        return 2;
    case D3DFMT_A16B16G16R16:
    case D3DFMT_VERTEXDATA:
    case D3DFMT_Q16W16V16U16:
    case D3DFMT_A16B16G16R16F:
    case D3DFMT_G32R32F:
        return 8;
    case D3DFMT_A32B32G32R32F:
        return 16;
    default:
        return 4;
    }
}

namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::size_t kPngHeaderBytes = 32;    // signature, IHDR length and type, width, height ...
constexpr std::size_t kPngSizeEnd = 24;        // width at 16, height at 20
constexpr std::size_t kDdsHeaderBytes = 128;
constexpr std::size_t kDdsSizeEnd = 28;        // height at 12, width at 16, depth at 24

std::uint32_t ReadBigEndian32(const std::uint8_t* bytes)
{
    return (static_cast<std::uint32_t>(bytes[0]) << 24) | (static_cast<std::uint32_t>(bytes[1]) << 16) |
           (static_cast<std::uint32_t>(bytes[2]) << 8) | static_cast<std::uint32_t>(bytes[3]);
}

std::uint32_t ReadLittleEndian32(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

bool IsPngHeader(const std::uint8_t* bytes, std::size_t size)
{
    return size >= kPngSizeEnd && std::memcmp(bytes, kPngSignature, sizeof(kPngSignature)) == 0;
}

bool IsDdsHeader(const std::uint8_t* bytes, std::size_t size)
{
    return size >= kDdsSizeEnd && std::memcmp(bytes, "DDS ", 4) == 0;
}

void ReadPngSize(const std::uint8_t* bytes, GxImageInfo* info)
{
    info->width = ReadBigEndian32(bytes + 16);
    info->height = ReadBigEndian32(bytes + 20);
    info->depth = 0;
}

void ReadDdsSize(const std::uint8_t* bytes, GxImageInfo* info)
{
    info->width = ReadLittleEndian32(bytes + 16);
    info->height = ReadLittleEndian32(bytes + 12);
    info->depth = ReadLittleEndian32(bytes + 24);
}

// Reads the first `count` bytes of a file; logs the open or read error.
bool ReadFileHead(const std::u16string& path, std::uint8_t* bytes, std::uint32_t count)
{
    GxFileHandle file;
    if (!file.Open(path)) {
        LogPrint(u"Error/GetInfoFromFile Open error(Name:%s)\n", path.c_str());
        return false;
    }
    if (file.Read(bytes, count) != count) {
        LogPrint(u"Error/GetInfoFromFile Read error(Name:%s)\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

void GetImageInfoFromMemory(const void* data, std::size_t size, GxImageInfo* info)
{
    if (!info) return;
    *info = GxImageInfo{};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (bytes && IsPngHeader(bytes, size)) {
        ReadPngSize(bytes, info);
        return;
    }
    if (bytes && IsDdsHeader(bytes, size)) {
        ReadDdsSize(bytes, info);
        return;
    }
    D3DXIMAGE_INFO imageInfo{};
    const UINT byteCount = static_cast<UINT>(std::min<std::size_t>(size, 0xFFFFFFFFu));
    const HRESULT result = bytes ? D3DXGetImageInfoFromFileInMemory(bytes, byteCount, &imageInfo) : D3DERR_INVALIDCALL;
    if (FAILED(result)) {
        const std::u16string text = DescribeD3DError(result);
        LogPrint(u"Error/GetInfoFromMemory Failed(Addr:%08llx,size:%u,%s)\n",
                 static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(data)), byteCount, text.c_str());
        return;
    }
    info->width = imageInfo.Width;
    info->height = imageInfo.Height;
}

bool GetImageInfoFromFile(const std::u16string& path, GxImageInfo* info)
{
    if (!info) return false;
    *info = GxImageInfo{};
    if (HasFileExtension(path, u".png")) {
        std::uint8_t head[kPngHeaderBytes] = {};
        if (!ReadFileHead(path, head, sizeof(head))) return false;
        if (!IsPngHeader(head, sizeof(head))) {
            LogPrint(u"Error/GetInfoFromFile This file is not PNG image(Name:%s)\n", path.c_str());
            return false;
        }
        ReadPngSize(head, info);
        return true;
    }
    if (HasFileExtension(path, u".dds")) {
        std::uint8_t head[kDdsHeaderBytes] = {};
        if (!ReadFileHead(path, head, sizeof(head))) return false;
        if (!IsDdsHeader(head, sizeof(head))) {
            LogPrint(u"Error/GetInfoFromFile This file is not DDS image(Name:%s)\n", path.c_str());
            return false;
        }
        ReadDdsSize(head, info);
        return true;
    }
    GxBinBuffer buffer;
    D3DXIMAGE_INFO imageInfo{};
    if (!GxFile::ReadWholeFile(buffer, path, false, true) || !buffer.GetData() ||
        FAILED(D3DXGetImageInfoFromFileInMemory(buffer.GetData(), buffer.GetSize(), &imageInfo))) {
        LogPrint(u"Error/GetInfoFromFile Failed(Name:%s)\n", path.c_str());
        return false;
    }
    info->width = imageInfo.Width;
    info->height = imageInfo.Height;
    info->depth = imageInfo.Depth;
    return true;
}

bool CreateScratchSurfaceFromFile(const std::u16string& path, IDirect3DSurface9** surface, D3DFORMAT format,
                                  GxImageInfo* info, D3DCOLOR colorKey)
{
    if (!surface || !info) return false;
    *surface = nullptr;
    if (!GetImageInfoFromFile(path, info)) return false;

    IDirect3DDevice9* device = GxGraphics::GetDevice();
    const HRESULT created = device ? device->CreateOffscreenPlainSurface(info->width, info->height, format,
                                                                        D3DPOOL_SCRATCH, surface, nullptr)
                                   : D3DERR_INVALIDCALL;
    if (FAILED(created) || !*surface) {
        const std::u16string text = DescribeD3DError(FAILED(created) ? created : E_FAIL);
        LogPrint(u"Error/CreateScratchSurfaceFromFile Failed(Name:\"%s\" %s)\n", path.c_str(), text.c_str());
        *surface = nullptr;
        return false;
    }

    GxBinBuffer buffer;
    if (!GxFile::ReadWholeFile(buffer, path, true, true) || !buffer.GetData() ||
        FAILED(D3DXLoadSurfaceFromFileInMemory(*surface, nullptr, nullptr, buffer.GetData(), buffer.GetSize(), nullptr,
                                               D3DX_FILTER_NONE, colorKey, nullptr))) {
        LogPrint(u"Error/ImageLoadFromFile Failed(Name:\"%s\")\n", path.c_str());
        return false;
    }
    return true;
}
