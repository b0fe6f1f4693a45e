// GxTexture: the engine's texture object. A device resource that owns one Direct3D texture and,
// for render targets, a twin in system memory through which its pixels are read and written.
// Made empty, then filled by one creation operation: a plain texture, a render target, a
// one-level buffered texture, an image file, a module resource, or PNG files blended into one.
// It can also be loaded later on a loader thread (PrepareAsyncLoad, then the job pool runs it).
//
// Sizes: textures are created at powers of two (square when the device requires it); the size
// asked for (GetImageWidth/Height) is kept beside the created size (GetWidth/Height), and texture
// coordinates are pixel positions divided by the created size (GetU/GetV).
//
// Pixel operations handle D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8 (32-bit) and D3DFMT_A4R4G4B4,
// D3DFMT_X4R4G4B4 (16-bit); colours are 0xAARRGGBB.
//
// Every operation holds the texture's own lock for its whole run; operations that read a second
// texture (StretchFrom, CopyRectFrom) do not take that texture's lock.
//
// Sections: GxTextureBase | GxTexture: resource | queries | creation | pixels | surfaces and
// transfers | copies | loader thread
#pragma once

#include "graphics/standins/module_resource.h"
#include "graphics/surface.h"
#include "platform/d3d9/d3d9.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class GxBinBuffer;

// The common base of the textures the texture factory hands out (GxTexture and its text
// variants, GxTextureMovie).
class GxTextureBase : public GxSurfaceBase {
public:
    GxTextureBase() = default;
    ~GxTextureBase() override = default;

protected:
    // Size of the power of two asked of Direct3D for `value` (1 below 2, 0 above 2^31).
    static std::uint32_t PowerOfTwoSize(std::uint32_t value);
    // The created size for an image: powers of two, squared when the device wants it.
    static void CreationSizeFor(std::uint32_t imageWidth, std::uint32_t imageHeight, std::uint32_t* width,
                                std::uint32_t* height);
    // Binds level 0 of `texture` as the device render target of the stage.
    static bool SetLevelAsRenderTarget(IDirect3DDevice9* device, IDirect3DTexture9* texture, std::uint32_t stage);
};

class GxTexture : public GxTextureBase {
public:
    GxTexture();
    ~GxTexture() override;

    // ---- resource ----------------------------------------------------------------------------
    // At zero: both textures go, every field back to empty, and the resource leaves the registry.
    std::uint32_t Release() override;
    // Default-pool textures are dropped at loss; a plain one is made anew at reset from its
    // memory twin (if any), a render target comes back empty.
    void OnLostDevice() override;
    void OnResetDevice() override;
    // 0 for the system-memory pool and when empty; a full mip chain counts half again.
    std::uint32_t GetVideoMemorySize() const override;

    // Binds level 0 as the device render target of the stage.
    bool SetToRenderTarget(std::uint32_t stage) override;

    // ---- queries -----------------------------------------------------------------------------
    virtual D3DFORMAT GetFormat() const;
    virtual D3DPOOL GetPool() const;
    std::uint32_t GetWidth() const override;
    std::uint32_t GetHeight() const override;
    virtual std::uint32_t GetImageWidth() const;
    virtual std::uint32_t GetImageHeight() const;
    virtual bool IsLocked() const;
    // Without a reference.
    virtual IDirect3DTexture9* GetTexturePointer() const;
    virtual bool HasTexture() const;
    // x / GetWidth(), y / GetHeight().
    virtual float GetU(float x) const;
    virtual float GetV(float y) const;
    // 0 means a full chain.
    virtual std::uint32_t GetMipLevels() const;
    virtual D3DCOLOR GetColorKey() const;
    virtual bool GetScaleFilter() const;

    // ---- creation ----------------------------------------------------------------------------
    // Each creation first releases whatever the object held, stores the name with A-Z lowered,
    // and on success registers the resource and holds one reference. Format 0 means the device's
    // texture format (render-target format for CreateRenderTarget). A failure logs, sets the
    // failed flag and leaves the object empty and unregistered.
    virtual bool CreateTexture(std::u16string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format,
                               std::uint32_t levels);
    // Default pool, plus the system-memory twin.
    virtual bool CreateRenderTarget(std::u16string_view name, std::uint32_t width, std::uint32_t height,
                                    D3DFORMAT format);
    virtual bool CreateBufferedTexture(std::u16string_view name, std::uint32_t width, std::uint32_t height,
                                       D3DFORMAT format);
    // Any image D3DX reads (PNG, DDS, TGA, JPEG, BMP), from an archive or the disk, placed at the
    // top left; stretched to the power-of-two size with a filter only when `scaleFilter` is set.
    virtual bool CreateFromFile(std::u16string_view name, D3DFORMAT format, std::uint32_t levels, D3DCOLOR colorKey,
                                bool scaleFilter);
    // Loads the stored name again into the same object; keeps its registration and count.
    virtual bool ReloadFromFile();
    virtual bool CreateFromResource(std::u16string_view name, HMODULE module, HRSRC resource, D3DFORMAT format,
                                    std::uint32_t levels, D3DCOLOR colorKey, bool scaleFilter);
    // PNG files blended in order over the first ("over", straight alpha), cut to the first's size.
    virtual bool CreateFromFileMultiBlend(std::u16string_view name, const std::vector<std::u16string>& files,
                                          D3DFORMAT format, std::uint32_t levels);

    // ---- pixels ------------------------------------------------------------------------------
    // Each returns false without a texture or a device, when the lock fails, or for a format
    // the pixel operations do not handle (then nothing is written).
    virtual bool Fill(D3DCOLOR color);
    // Null: the whole texture; otherwise clamped to the texture.
    virtual bool FillRect(const RECT* rect, D3DCOLOR color);
    // The rectangle is snapped through GetU/GetV to whole pixels first.
    virtual bool FillRectScaled(const RECT* rect, D3DCOLOR color);
    // Positive rows move the picture down, negative up; the rows left behind take the colour.
    // A scroll by the height or more fills the whole level.
    virtual bool ScrollVertical(std::int32_t rows, D3DCOLOR color);
    virtual bool StretchFrom(const RECT* destRect, GxTexture* source, const RECT* sourceRect,
                             D3DTEXTUREFILTERTYPE filter);

    // Locks level 0 (of the memory twin for a default-pool texture that has one, after reading
    // the render target back). One lock at a time. Every out argument may be null; width and
    // height are those of the rectangle (null: the whole level).
    virtual bool LockRect(const RECT* rect, void** bits, std::int32_t* pitch, std::uint32_t* width,
                          std::uint32_t* height, D3DFORMAT* format, bool readOnly);
    virtual bool UnlockRect();

    // ---- surfaces and transfers --------------------------------------------------------------
    // The out pointers receive a reference (release it), or null.
    virtual bool GetSurface(IDirect3DSurface9** surface);
    // Level 0 of the memory twin, or of a managed texture; null otherwise.
    virtual bool GetMemorySurface(IDirect3DSurface9** surface);
    virtual bool GetD3DTexture(IDirect3DTexture9** texture);
    virtual bool GetMemoryTexture(IDirect3DTexture9** texture);
    virtual bool GetDC(HDC* dc);
    virtual void ReleaseDC(HDC dc);
    // Render targets only: reads the picture into the memory twin. False when nothing was read.
    virtual bool TransferRenderTargetToMemory();
    // Copies the memory twin into the texture; false (silently) without a twin.
    virtual bool UpdateTexture();
    // PNG.
    virtual bool SaveToFile(const char16_t* path);
    virtual bool SaveToFile(const char* path);
    // 0xAARRGGBB (16-bit pixels widened); 0 outside the texture, without a texture, or for a
    // format the pixel operations do not handle.
    virtual D3DCOLOR GetPixel(std::uint32_t x, std::uint32_t y);

    // ---- copies ------------------------------------------------------------------------------
    // Copies the source rectangle (null: the whole source) to (x, y), converting between the
    // 32-bit and 16-bit formats. Both rectangles are clipped to their textures; an empty copy
    // does nothing. True unless the source is null.
    virtual bool CopyRectFrom(GxTexture* source, const RECT* sourceRect, std::int32_t x, std::int32_t y);
    // The copiers take rectangles already inside both textures.
    virtual bool CopyRect32To32(GxTexture* source, const RECT& sourceRect, std::int32_t x, std::int32_t y);
    virtual bool CopyRect16To16(GxTexture* source, const RECT& sourceRect, std::int32_t x, std::int32_t y);
    virtual bool CopyRect32To16(GxTexture* source, const RECT& sourceRect, std::int32_t x, std::int32_t y);
    virtual bool CopyRect16To32(GxTexture* source, const RECT& sourceRect, std::int32_t x, std::int32_t y);

    // ---- loader thread -----------------------------------------------------------------------
    // Stores what RunJob will load (name lowered); loads nothing. The caller queues the texture
    // in a job pool.
    virtual void PrepareAsyncLoad(std::u16string_view name, D3DFORMAT format, std::uint32_t levels,
                                  D3DCOLOR colorKey, bool scaleFilter);
    virtual bool HasName() const;
    // CreateFromFile with the prepared values, under the texture's lock.
    void RunJob(GxThread* thread, GxAsyncJobManage* manager) override;
    // True from the moment a job pool queues this texture until its job has run or was
    // cancelled: the owner must not delete it in between.
    bool IsJobInFlight() const;

    // The pool resets a job as it queues it: that is how the texture learns a load is pending.
    // The texture's own resets call the base directly.
    void ResetJob() override;
    void OnCompleted(GxAsyncJobManage* manager) override;
    void OnCancelled(GxAsyncJobManage* manager) override;

protected:
    // The common start of the creations: the object gives up everything it held and leaves the
    // registry, whatever its count.
    void BeginCreation();
    // BeginCreation, then the fields of a texture made at a given image size; computes the
    // created size. Null (and the failed flag set) without a device.
    IDirect3DDevice9* BeginSizedCreation(std::u16string_view name, std::uint32_t width, std::uint32_t height,
                                         D3DFORMAT format, std::uint32_t levels, std::int32_t objectType);
    // BeginCreation, then the fields of a texture made from image bytes.
    void BeginImageCreation(std::u16string_view name, D3DFORMAT format, std::uint32_t levels, D3DCOLOR colorKey,
                            bool scaleFilter);
    // One texture at the created size, format and mip levels. On failure `*texture` is null, the
    // message names `operation`, the optional `type` ("Type:Texture ") and `name`, and the failed
    // flag is set.
    bool CreateLevelTexture(IDirect3DDevice9* device, DWORD usage, D3DPOOL pool, IDirect3DTexture9** texture,
                            const char16_t* operation, const char16_t* type, std::u16string_view name);
    // The image size from the file's header, the created size, and the whole file into `buffer`;
    // false (failed flag set) when either read fails.
    bool ReadImageFile(const std::u16string& file, GxBinBuffer* buffer);
    // Releases both device textures and forgets the lock (fields other than the pointers stay).
    void FreeTextures();
    // Sets m_Width/m_Height from the image size.
    void ComputeCreationSize();
    // Reads the level-0 description into the size, format and pool fields.
    void StoreLevelDescription();
    // Register, AddRef.
    void FinishCreation();
    // The texture LockRect works on.
    IDirect3DTexture9* GetLockTarget() const;
    // Shared by CreateFromFile, ReloadFromFile and CreateFromResource: the image bytes into a
    // new managed texture. `operation` names the message on failure; `logName` the name in it.
    bool CreateFromImageBytes(const void* data, std::uint32_t size, const char16_t* operation,
                              const std::u16string& logName, D3DPOOL pool);

    IDirect3DTexture9* m_pTexture = nullptr;
    IDirect3DTexture9* m_pMemoryTexture = nullptr;
    D3DFORMAT m_Format = D3DFMT_UNKNOWN;
    D3DPOOL m_Pool = D3DPOOL_SCRATCH;
    std::uint32_t m_Width = 0;
    std::uint32_t m_Height = 0;
    std::uint32_t m_ImageWidth = 0;
    std::uint32_t m_ImageHeight = 0;
    std::uint32_t m_MipLevels = 0;
    bool m_Locked = false;
    D3DCOLOR m_ColorKey = 0;
    bool m_ScaleFilter = true;

private:
    bool m_JobQueued = false;
};
