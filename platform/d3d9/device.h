// IDirect3DDevice9 over the raster core: states, bound targets and textures, scenes,
// clears, copies, draws, presentation, device loss and reset.
#pragma once

#include "platform/d3d9/device_child.h"
#include "platform/d3d9/device_states.h"
#include "platform/d3d9/swap_chain.h"

#include <memory>
#include <set>
#include <vector>

namespace platform::d3d9 {

class Direct3D;
class Texture;

class Device final : public IDirect3DDevice9 {
public:
    // Parameters already validated by the adapter object.
    static HRESULT Create(Direct3D* direct3d, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                          const D3DPRESENT_PARAMETERS& parameters, Device** device);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT TestCooperativeLevel() override;
    HRESULT GetDirect3D(IDirect3D9** direct3d) override;
    HRESULT GetDeviceCaps(D3DCAPS9* caps) override;
    HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) override;
    HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override;
    HRESULT CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* presentationParameters,
                                      IDirect3DSwapChain9** swapChain) override;
    HRESULT GetSwapChain(UINT swapChain, IDirect3DSwapChain9** result) override;
    UINT GetNumberOfSwapChains() override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* presentationParameters) override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                    const RGNDATA* dirtyRegion) override;
    HRESULT GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                          IDirect3DSurface9** surface) override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** texture, HANDLE* sharedHandle) override;
    HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                               DWORD multiSampleQuality, BOOL lockable, IDirect3DSurface9** surface,
                               HANDLE* sharedHandle) override;
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                      DWORD multiSampleQuality, BOOL discard, IDirect3DSurface9** surface,
                                      HANDLE* sharedHandle) override;
    HRESULT UpdateTexture(IDirect3DBaseTexture9* sourceTexture, IDirect3DBaseTexture9* destTexture) override;
    HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* destSurface) override;
    HRESULT StretchRect(IDirect3DSurface9* sourceSurface, const RECT* sourceRect, IDirect3DSurface9* destSurface,
                        const RECT* destRect, D3DTEXTUREFILTERTYPE filter) override;
    HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                        IDirect3DSurface9** surface, HANDLE* sharedHandle) override;
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* renderTarget) override;
    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** renderTarget) override;
    HRESULT SetDepthStencilSurface(IDirect3DSurface9* depthStencil) override;
    HRESULT GetDepthStencilSurface(IDirect3DSurface9** depthStencil) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT SetSoftwareVertexProcessing(BOOL software) override;
    BOOL GetSoftwareVertexProcessing() override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount, const void* vertexStreamZeroData,
                            UINT vertexStreamZeroStride) override;
    HRESULT SetFVF(DWORD fvf) override;
    HRESULT GetFVF(DWORD* fvf) override;
    HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override;
    HRESULT GetVertexShader(IDirect3DVertexShader9** shader) override;
    HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override;
    HRESULT GetPixelShader(IDirect3DPixelShader9** shader) override;
    HRESULT SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* streamData, UINT offsetInBytes,
                            UINT stride) override;

    // For resources and hooks.
    const DeviceMutex& Mutex() const { return m_Mutex; }
    Direct3D& Adapter() const { return *m_Direct3D; }
    void DestroyChild(DeviceChild* child);
    // True while presenting and drawing are suspended; notices a minimised full-screen window.
    bool IsLost();
    void Lose(unsigned lostPolls);
    bool ReadBackBuffer(std::vector<std::uint32_t>& argb, UINT& width, UINT& height);
    std::uint64_t PresentCount();
    // Confines draws and clears into `surface` to `rect` (null: no confinement); other targets
    // are not affected.
    void SetSurfaceClip(IDirect3DSurface9* surface, const RECT* rect);

private:
    enum class LossState { Operational, Lost, NotReset };

    // Narrows `area` to the surface clip when `target` is the clipped surface; false when nothing
    // is left.
    bool ClipToSurface(const Surface* target, RECT& area) const;

    Device(Direct3D* direct3d, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags);
    ~Device();

    HRESULT BuildImplicitObjects(const D3DPRESENT_PARAMETERS& parameters);
    void RestoreDefaults();
    void UnbindAll();
    void SetRenderTargetSlot(DWORD index, Surface* surface);
    void SetDepthStencilSlot(Surface* surface);
    void SetTextureSlot(DWORD stage, Texture* texture);
    void SetFullViewport();
    Surface* OwnSurface(IDirect3DSurface9* surface) const;
    Texture* OwnTexture(IDirect3DBaseTexture9* texture) const;
    HRESULT ClearDepthStencil(const RECT& area, DWORD flags, float z, DWORD stencil);
    template <typename Object>
    void Adopt(Object* object);
    // A standalone surface made and adopted into `*surface`; `outOfMemory` when it cannot be stored.
    HRESULT CreateStandaloneSurface(D3DFORMAT format, UINT width, UINT height, DWORD usage, D3DPOOL pool,
                                    D3DMULTISAMPLE_TYPE multiSample, DWORD multiSampleQuality, bool lockable,
                                    HRESULT outOfMemory, IDirect3DSurface9** surface);

    DeviceMutex m_Mutex;
    Direct3D* m_Direct3D;
    D3DDEVICE_CREATION_PARAMETERS m_Creation{};
    ULONG m_RefCount = 1;
    bool m_InFinalRelease = false;
    std::set<DeviceChild*> m_Children;

    std::unique_ptr<SwapChain> m_ImplicitChain;
    std::unique_ptr<Surface> m_AutoDepthStencil;

    DeviceStates m_States{};
    // m_States translated for the rasterizer, again only after a state changes (text draws
    // thousands of quads in one state); the texture pointers are set per draw.
    raster::DrawState m_DrawState{};
    bool m_DrawStateStale = true;
    std::vector<Surface*> m_RenderTargets;
    Surface* m_DepthStencil = nullptr;
    Texture* m_Textures[kSamplerCount] = {};
    D3DVIEWPORT9 m_Viewport{};
    const Surface* m_ClipSurface = nullptr;
    RECT m_SurfaceClip{};
    DWORD m_Fvf = 0;
    BOOL m_SoftwareVertexProcessing = FALSE;
    bool m_InScene = false;

    LossState m_LossState = LossState::Operational;
    unsigned m_LostPolls = 0;
    bool m_LostByWindow = false;

    std::vector<raster::Vertex> m_Vertices;   // reused by every draw
    raster::Image m_TextureImages[kStageCount]{};   // the bound textures' images during a draw
};

}  // namespace platform::d3d9
