// IDirect3D9: the virtual adapter (a copy of the configuration at Direct3DCreate9) and
// device creation with its validation of present parameters.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/virtual_adapter.h"

#include <atomic>
#include <mutex>

namespace platform::d3d9 {

class Direct3D final : public IDirect3D9 {
public:
    explicit Direct3D(const VirtualAdapter& adapter);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    UINT GetAdapterCount() override;
    HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier) override;
    UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
    HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* displayMode) override;
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                            BOOL windowed) override;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT surfaceFormat, BOOL windowed,
                                       D3DMULTISAMPLE_TYPE multiSampleType, DWORD* qualityLevels) override;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) override;
    HMONITOR GetAdapterMonitor(UINT adapter) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* presentationParameters, IDirect3DDevice9** device) override;

    const VirtualAdapter& Adapter() const { return m_Adapter; }
    // Checks the parameters for a device, a reset or an additional chain, and fills in what
    // Direct3D fills in (a back-buffer count of 0 becomes 1, an unknown windowed format the
    // desktop's). D3DERR_INVALIDCALL when they cannot be used.
    HRESULT ValidatePresentParameters(D3DPRESENT_PARAMETERS& parameters) const;
    bool SupportsFormat(DWORD usage, D3DFORMAT format) const;
    // Quality levels of a sample type (0: unsupported).
    DWORD MultiSampleQualities(D3DMULTISAMPLE_TYPE type, bool windowed) const;

private:
    ~Direct3D() = default;

    VirtualAdapter m_Adapter;
    std::atomic<ULONG> m_RefCount{1};
    std::mutex m_AttemptMutex;
    unsigned m_CreateAttempts = 0;
};

}  // namespace platform::d3d9
