// GxGraphics: the engine's one Direct3D 9 device and its process-wide state, offered as free
// operations: display settings, device creation with its report in "device.log", adapter
// modes, resource formats, capabilities, the screen-mode table; render-target stacks, scenes,
// clears, cached render states, present, device-loss recovery and screen-mode changes.
//
// Everything here runs on the window thread, except that loader threads call the device
// (created multithreaded) and read the chosen formats.
//
// Sections: settings and records | creation and release | device state | render targets |
// scenes and states | present, reset, screen modes
#pragma once

#include "foundation/value_types.h"
#include "graphics/d3d_resource.h"
#include "graphics/render_target.h"
#include "platform/d3d9/d3d9.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class GxAsyncJobManage;
class GxSwapChain;
struct ID3DXEffectPool;   // platform/d3d9/d3dx_effect.h

// ---- settings and records ------------------------------------------------------------------

// Screen-mode rows. Only rows 0 to 3 are ever filled; the others keep their names for the log.
enum GxScreenModeRow : std::int32_t {
    SCRMODE_WINDOW = 0,
    SCRMODE_WINDOWSIZE = 1,
    SCRMODE_FULLSCREEN = 2,
    SCRMODE_FULLSCREENFIXED = 3,
    SCRMODE_FULL320X240 = 4,
    SCRMODE_FULL640X480 = 5,
    SCRMODE_FULL800X600 = 6,
    SCRMODE_FULL1024X576 = 7,
    SCRMODE_FULL1024X768 = 8,
    SCRMODE_FULL1280X720 = 9,
    SCRMODE_FULL1280X800 = 10,
    SCRMODE_FULL1280X960 = 11,
    SCRMODE_FULL1280X1024 = 12,
    SCRMODE_FULL1920X1080 = 13,
};
constexpr std::int32_t kScreenModeCount = 14;

// Filled with their defaults before the device is made; creation reads them and writes back
// `CurrentScreenMode` and, when unsupported, `MultiSampleMode`.
struct GxDisplaySettings {
    std::uint32_t VirtualWidth = 1024;
    std::uint32_t VirtualHeight = 768;
    std::uint32_t BackBufferWidth = 1024;
    std::uint32_t BackBufferHeight = 768;
    std::int32_t ScreenMode = SCRMODE_WINDOW;
    std::int32_t CurrentScreenMode = SCRMODE_WINDOW;
    std::uint32_t VSyncInterval = 1;   // 0 to 4
    bool LockableBackBuffer = false;
    // 16 selects the 16-bit preference of a format search, anything else the 32-bit one.
    std::uint32_t TextureBits = 32;
    std::uint32_t BackBufferBits = 32;
    std::uint32_t DepthStencilBits = 24;
    std::uint32_t FloatTextureBits = 32;
    std::uint32_t Float2TextureBits = 32;
    std::uint32_t RefreshRate = 60;   // preferred full-screen rate in Hz
    std::uint32_t MultiSampleMode = 0;   // 0, 2 or 4 samples
    std::uint32_t SwapEffect = D3DSWAPEFFECT_FLIP;
    bool ForceSquareTexture = false;
};

// What the device can do, read from the hardware device type's capabilities. The initial
// values are those kept when the capabilities cannot be read.
struct GxDeviceCaps {
    // Flags.
    bool PureDevice = false;
    bool HwTransformAndLight = false;
    bool HwRasterization = false;
    bool Dither = false;
    bool DepthBias = false;
    bool WBuffer = false;
    bool CanAutoGenMipMap = false;
    bool CubeMap = false;
    bool MipMap = false;
    bool Perspective = false;
    bool Pow2 = true;
    bool SquareOnly = false;
    bool NonPow2Conditional = false;
    bool DynamicTextures = false;
    bool SeparateAlphaBlend = false;
    bool MrtIndependentBitDepths = false;
    bool MrtPostPixelShaderBlending = false;
    bool ColorWriteEnable = false;
    std::uint32_t TextureOpCaps = 0;   // one bit per D3DTEXTUREOP: bit (op - 1)

    // Limits.
    std::uint32_t MaxTextureWidth = 2048;
    std::uint32_t MaxTextureHeight = 2048;
    std::uint32_t MaxTextureRepeat = 8192;
    std::uint32_t MaxTextureAspectRatio = 8192;
    std::uint32_t MaxAnisotropy = 0;
    std::uint32_t MaxVertexBlendMatrices = 0;
    std::uint32_t MaxVertexBlendMatrixIndex = 0;
    std::uint32_t StretchRectFilterCaps = 0;
    float MaxVertexW = 1e10f;
    float GuardBandLeft = -1e8f;
    float GuardBandTop = -1e8f;
    float GuardBandRight = 1e8f;
    float GuardBandBottom = 1e8f;
    float MaxPointSize = 64.0f;
    std::uint32_t MaxVertexIndex = 0xFFFE;
    std::uint32_t MaxStreams = 1;
    std::uint32_t MaxStreamStride = 255;
    std::uint32_t MaxRenderTarget = 1;   // simultaneous render targets: the number of stages
    std::uint32_t MaxTextureBlendStages = 4;
    std::uint32_t MaxSimultaneousTextures = 4;
    std::uint32_t MaxActiveLights = 8;
    std::uint32_t VertexShaderVersion = 0;   // Direct3D version words; 0: no shaders
    std::uint32_t PixelShaderVersion = 0;
    std::uint32_t MaxVertexShaderConst = 256;
    float PixelShader1xMaxValue = 0.0f;
    std::int32_t DynamicFlowControlDepth = 0;
    std::int32_t StaticFlowControlDepth = 0;
    std::uint32_t MaxVShaderInstructionsExecuted = 0;
    std::uint32_t MaxPShaderInstructionsExecuted = 0;
};

// Called before and after every reset with (new screen mode, old screen mode).
class GxGraphicsResetListener {
public:
    virtual ~GxGraphicsResetListener() = default;
    virtual void OnBeforeReset(std::int32_t newMode, std::int32_t oldMode) = 0;
    virtual void OnAfterReset(std::int32_t newMode, std::int32_t oldMode) = 0;
};
using GxGraphicsResetHook = bool (*)(std::int32_t newMode, std::int32_t oldMode);

// Called when the driver reports an internal error at present: the device is unusable and the
// process must end with `exitCode` (non-zero). The engine core installs one that requests its
// orderly shut-down; without one the process exits at once with that code.
using GxGraphicsFatalErrorHandler = void (*)(int exitCode);

namespace GxGraphics {

constexpr std::uint32_t kMultiSampleTypeCount = 17;
constexpr std::uint32_t kRenderStateCount = 210;
constexpr std::uint32_t kTextureStageCount = 8;
constexpr std::uint32_t kTextureStageStateCount = 33;
// The exit code on a driver-internal error.
constexpr int kDriverErrorExitCode = 3;

GxDisplaySettings& GetDisplaySettings();

// ---- creation and release ------------------------------------------------------------------

// Creates the device for the main window and writes the device report; false (logged, with an
// error box) when no device could be made. `listener` and the hooks may be null.
bool CreateDevice(HWND window, GxGraphicsResetListener* listener, GxGraphicsResetHook beforeReset,
                  GxGraphicsResetHook afterReset);
// Shut-down: the default swap chain, the texture factories (each logged when not empty), then
// the device and the Direct3D object.
void Release();

// Records the pool name "gx_default" and creates the shared effect pool. Failures are not
// reported; the pool-created flag is set either way.
void CreateEffectPool();
void SetEffectPoolName(std::u16string_view name);
const std::u16string& GetEffectPoolName();
ID3DXEffectPool* GetEffectPool();
bool IsEffectPoolCreated();
// Shut-down: logs the shader factory when not empty, empties it, releases the effect pool.
void ReleaseShaders();

// The loader pool to wait out before a reset, so that no load runs while resources drop and
// re-create their device objects (null: none). It belongs to the engine core, above this layer.
void SetResetJobPool(GxAsyncJobManage* pool);
GxAsyncJobManage* GetResetJobPool();
void SetFatalErrorHandler(GxGraphicsFatalErrorHandler handler);
GxGraphicsFatalErrorHandler GetFatalErrorHandler();

// Switches software vertex processing on when the device lacks hardware transform and lighting
// or vertex shaders of the version asked for (always on for the reference rasteriser or a device
// created with software vertex processing).
void SelectVertexProcessing(std::uint32_t majorVersion, std::uint32_t minorVersion);

// ---- device state --------------------------------------------------------------------------

IDirect3DDevice9* GetDevice();
IDirect3D9* GetDirect3D();
HWND GetWindow();
UINT GetAdapter();
UINT GetAdapterCount();

const std::u16string& GetVideoCardName();
const std::u16string& GetDriverName();
const std::u16string& GetDriverVersion();
std::uint32_t GetVideoMemoryMB();

const D3DDISPLAYMODE& GetDesktopMode();
const D3DDISPLAYMODE& GetWindowedMode();
const D3DDISPLAYMODE& GetFullScreenMode();
const D3DDISPLAYMODE& GetFixedFullScreenMode();
bool IsWindowedRenderingPossible();
bool IsForcedFullScreen();
bool IsFullScreenModeFound();
bool IsFixedFullScreenModeFound();
bool IsReferenceRasterizer();
bool IsSoftwareVertexProcessing();
// ForceSquareTexture as copied at creation.
bool IsForceSquareTexture();

D3DFORMAT GetTextureFormat();
D3DFORMAT GetRenderTargetFormat();
D3DFORMAT GetDepthStencilFormat();
// D3DFMT_UNKNOWN: none.
D3DFORMAT GetFloatTextureFormat();
D3DFORMAT GetFloat2TextureFormat();

const GxDeviceCaps& GetDeviceCaps();
// Quality-level count of a sample type (0: unsupported or out of range).
std::uint32_t GetMultiSampleQuality(std::uint32_t type, bool windowed);

// "SCRMODE_WINDOW" ...; empty for a row outside the table.
const char16_t* GetScreenModeName(std::int32_t row);
// Null for a row outside the table.
const D3DPRESENT_PARAMETERS* GetScreenModeParameters(std::int32_t row);
// A row is available when its back-buffer height is non-zero.
bool IsScreenModeAvailable(std::int32_t row);
// The back-buffer size of the mode in use.
std::uint32_t GetBackBufferWidth();
std::uint32_t GetBackBufferHeight();

// ---- render targets ------------------------------------------------------------------------

bool SetRenderTarget(std::uint32_t stage, const GxRenderTargetEntry* entry);
bool SetDepthStencil(const GxRenderTargetEntry* entry);
// Push and pop always set the depth-stencil surface too, whatever the stage; the entry stays
// pushed even when setting it fails.
bool PushRenderTarget(std::uint32_t stage, GxRenderTargetBase* color, GxRenderTargetBase* depth,
                      const GxRect* viewport);
bool PopRenderTarget(std::uint32_t stage);
// Re-applies the top of every stack (after a reset).
void RestoreRenderTargets();
// Null selects the default swap chain. Empties every stack.
bool SetSwapChain(GxSwapChain* chain, const GxRect* viewport);
GxSwapChain* GetSwapChain();
std::uint32_t GetRenderTargetStageCount();
std::size_t GetRenderTargetStackSize(std::uint32_t stage);

// The device viewport: x = left, y = top, width = right - left, height = bottom - top, depth
// 0 to 1; null means the whole virtual screen.
bool SetViewport(const GxRect* rect);
GxRect GetViewport();

// ---- scenes and states ---------------------------------------------------------------------

std::int32_t GetSceneCount();

// Skips the device call when the state was set through the cache to the same value before.
bool SetRenderStateCached(D3DRENDERSTATETYPE state, DWORD value);
bool SetTextureStageStateCached(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value);
// Re-sends every cached value: render states in number order, then stage by stage.
bool RestoreStateCache();

// ---- present, reset, screen modes ----------------------------------------------------------

// Presents the current swap chain. Refused while a scene is open; a lost device is reset here
// once it can be.
bool Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow);
// Confines the drawing into the current swap chain's back buffer to `rect` of the virtual screen
// (null: lifts it), for composing only the changed part of a frame over the picture kept there.
// False, with nothing confined, without a device or when the back buffer does not show the
// virtual screen one to one (margins or another size).
bool SetComposeClip(const RECT* rect);
// `parameters` null: the current screen mode's row. The reset notice goes out even when Reset fails.
bool ResetDevice(bool forced, std::int32_t newMode, std::int32_t oldMode, D3DPRESENT_PARAMETERS* parameters);
// False, with nothing changed, for a row that is not available.
bool ChangeScreenMode(std::int32_t row);
// Width or height 0 means the virtual size.
void SetWindowStyle(bool windowed, std::uint32_t clientWidth, std::uint32_t clientHeight, bool keepPosition);

}  // namespace GxGraphics

// The scene bracket: nested begins open one device scene, the matching last end closes it.
bool BeginSceneNested();
bool EndSceneNested();
// One device clear of `rect`, or of the whole viewport when null; false without a device.
bool ClearTarget(DWORD flags, D3DCOLOR color, float z, DWORD stencil, const RECT* rect);
