#include "graphics/graphics.h"

#include "foundation/async_job.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/d3d_names.h"
#include "graphics/draw2d.h"
#include "graphics/shader_factory.h"
#include "graphics/swap_chain.h"
#include "graphics/texture_factory.h"
#include "platform/d3d9/d3dx_effect.h"
#include "platform/d3d9/device_control.h"
#include "platform/win32/sync.h"
#include "platform/win32/window.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <vector>

// Sections: state | creation: adapter, modes, formats, caps, multi-sampling, rows |
// creation and release | device state | render targets | scenes and states |
// present, reset, screen modes

namespace {

// ---- state -----------------------------------------------------------------------------------

const char16_t* const kScreenModeNames[kScreenModeCount] = {
    u"SCRMODE_WINDOW",       u"SCRMODE_WINDOWSIZE",   u"SCRMODE_FULLSCREEN",    u"SCRMODE_FULLSCREENFIXED",
    u"SCRMODE_FULL320X240",  u"SCRMODE_FULL640X480",  u"SCRMODE_FULL800X600",   u"SCRMODE_FULL1024X576",
    u"SCRMODE_FULL1024X768", u"SCRMODE_FULL1280X720", u"SCRMODE_FULL1280X800",  u"SCRMODE_FULL1280X960",
    u"SCRMODE_FULL1280X1024", u"SCRMODE_FULL1920X1080",
};

constexpr UINT kSdkVersionWithDebugInfo = 0x80000020;
constexpr std::size_t kMaxKeptModes = 128;
constexpr DWORD kMixedFlags = D3DCREATE_MIXED_VERTEXPROCESSING | D3DCREATE_MULTITHREADED | D3DCREATE_FPU_PRESERVE;
constexpr DWORD kSoftwareFlags =
    D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED | D3DCREATE_FPU_PRESERVE;
constexpr LONG kWindowedStyle = static_cast<LONG>(WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
constexpr LONG kFullScreenStyle = static_cast<LONG>(WS_VISIBLE);
constexpr DWORD kLostDeviceSleepMilliseconds = 10;

struct GraphicsState {
    HWND window = nullptr;
    GxGraphicsResetListener* listener = nullptr;
    GxGraphicsResetHook beforeReset = nullptr;
    GxGraphicsResetHook afterReset = nullptr;

    IDirect3D9* direct3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    UINT adapter = D3DADAPTER_DEFAULT;
    UINT adapterCount = 0;
    std::u16string videoCardName;
    std::u16string driverName;
    std::u16string driverVersion;
    std::uint32_t videoMemoryMB = 0;

    D3DDISPLAYMODE desktopMode{};
    D3DDISPLAYMODE windowedMode{};
    D3DDISPLAYMODE fullScreenMode{};
    D3DDISPLAYMODE fixedFullScreenMode{};
    bool windowedPossible = false;
    bool forcedFullScreen = false;
    bool fullScreenFound = false;
    bool fixedFullScreenFound = false;
    bool referenceRasterizer = false;
    bool softwareVertexProcessing = false;
    bool forceSquareTexture = false;

    D3DFORMAT textureFormat = D3DFMT_UNKNOWN;
    D3DFORMAT renderTargetFormat = D3DFMT_UNKNOWN;
    D3DFORMAT depthStencilFormat = D3DFMT_UNKNOWN;
    D3DFORMAT floatTextureFormat = D3DFMT_UNKNOWN;
    D3DFORMAT float2TextureFormat = D3DFMT_UNKNOWN;

    GxDeviceCaps caps;
    DWORD multiSampleFullScreen[GxGraphics::kMultiSampleTypeCount] = {};
    DWORD multiSampleWindowed[GxGraphics::kMultiSampleTypeCount] = {};
    D3DPRESENT_PARAMETERS rows[kScreenModeCount] = {};
    std::uint32_t backBufferWidth = 0;
    std::uint32_t backBufferHeight = 0;

    std::int32_t sceneCount = 0;
    std::vector<std::vector<GxRenderTargetEntry>> stacks;
    GxSwapChain* swapChain = nullptr;
    GxRect viewport;

    DWORD renderStates[GxGraphics::kRenderStateCount] = {};
    bool renderStateSet[GxGraphics::kRenderStateCount] = {};
    DWORD stageStates[GxGraphics::kTextureStageCount][GxGraphics::kTextureStageStateCount] = {};
    bool stageStateSet[GxGraphics::kTextureStageCount][GxGraphics::kTextureStageStateCount] = {};

    std::u16string effectPoolName;
    ID3DXEffectPool* effectPool = nullptr;
    bool effectPoolCreated = false;

    GxAsyncJobManage* resetJobPool = nullptr;
    GxGraphicsFatalErrorHandler fatalErrorHandler = nullptr;
};

GraphicsState& State()
{
    static GraphicsState state;
    return state;
}

GxDisplaySettings g_Settings;

const D3DPRESENT_PARAMETERS kEmptyRow{};

// The row of a mode, or an empty one for a mode outside the table (which then fails to create).
const D3DPRESENT_PARAMETERS& RowOrEmpty(std::int32_t row)
{
    const D3DPRESENT_PARAMETERS* parameters = GxGraphics::GetScreenModeParameters(row);
    return parameters ? *parameters : kEmptyRow;
}

const char16_t* FormatName(D3DFORMAT format)
{
    return GetD3DFormatName(format);
}

void ClearStateCaches(GraphicsState& state)
{
    std::fill(std::begin(state.renderStateSet), std::end(state.renderStateSet), false);
    for (auto& stage : state.stageStateSet) std::fill(std::begin(stage), std::end(stage), false);
}

// ---- creation: adapter, modes, formats, caps, multi-sampling, rows ---------------------------

void LogMode(const D3DDISPLAYMODE& mode)
{
    LogPrintDevice(u"\t・%u x %u %uHz (%s)\n", mode.Width, mode.Height, mode.RefreshRate, FormatName(mode.Format));
}

struct ModeSearchTexts {
    const char16_t* list;
    const char16_t* found;
    const char16_t* notFound;
};

// The best adapter mode of the given size: the back-buffer format candidates in order, then
// the first refresh-rate preference that any kept mode has.
bool FindMode(GraphicsState& state, UINT width, UINT height, const ModeSearchTexts& texts, D3DDISPLAYMODE& result)
{
    result = D3DDISPLAYMODE{};
    const D3DFORMAT candidates16[] = {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_X8R8G8B8, D3DFMT_A2R10G10B10};
    const D3DFORMAT candidates32[] = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A2R10G10B10};
    const D3DFORMAT* candidates = g_Settings.BackBufferBits == 16 ? candidates16 : candidates32;

    LogPrintDevice(texts.list);
    std::vector<D3DDISPLAYMODE> kept;
    for (int c = 0; c < 4; ++c) {
        const D3DFORMAT format = candidates[c];
        const UINT count = state.direct3d->GetAdapterModeCount(state.adapter, format);
        for (UINT i = 0; i < count; ++i) {
            D3DDISPLAYMODE mode{};
            if (FAILED(state.direct3d->EnumAdapterModes(state.adapter, format, i, &mode))) continue;
            if (mode.Width != width || mode.Height != height || mode.Format != format) continue;
            LogMode(mode);
            if (kept.size() < kMaxKeptModes) kept.push_back(mode);
        }
    }

    const UINT preferences[] = {g_Settings.RefreshRate, 60, 70, 72, 75, 85, 0};
    const D3DDISPLAYMODE* winner = nullptr;
    for (UINT rate : preferences) {
        for (const D3DDISPLAYMODE& mode : kept) {
            if (mode.RefreshRate == rate) {
                winner = &mode;
                break;
            }
        }
        if (winner) break;
    }
    if (!winner && !kept.empty()) winner = &kept.front();
    if (!winner) {
        LogPrintDevice(texts.notFound);
        return false;
    }
    result = *winner;
    LogPrintDevice(texts.found);
    LogMode(result);
    return true;
}

bool CheckFormat(GraphicsState& state, D3DFORMAT adapterFormat, DWORD usage, D3DRESOURCETYPE type, D3DFORMAT format)
{
    return SUCCEEDED(state.direct3d->CheckDeviceFormat(state.adapter, D3DDEVTYPE_HAL, adapterFormat, usage, type, format));
}

// The first supported of the candidates, else `fallback`.
D3DFORMAT FirstSupported(GraphicsState& state, D3DFORMAT adapterFormat, DWORD usage, D3DRESOURCETYPE type,
                         std::initializer_list<D3DFORMAT> candidates, D3DFORMAT fallback)
{
    for (D3DFORMAT format : candidates) {
        if (CheckFormat(state, adapterFormat, usage, type, format)) return format;
    }
    return fallback;
}

void SearchFormats(GraphicsState& state)
{
    LogPrintDevice(u"使用するリソースのフォーマットを検索します\n");
    const D3DFORMAT adapterFormat = state.fullScreenFound ? state.fullScreenMode.Format : state.desktopMode.Format;

    if (g_Settings.TextureBits == 16) {
        state.textureFormat = FirstSupported(state, adapterFormat, 0, D3DRTYPE_TEXTURE,
                                             {D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8}, D3DFMT_A4R4G4B4);
    } else {
        state.textureFormat = FirstSupported(state, adapterFormat, 0, D3DRTYPE_TEXTURE,
                                             {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}, D3DFMT_A8R8G8B8);
    }
    state.renderTargetFormat = FirstSupported(state, adapterFormat, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE,
                                              {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}, D3DFMT_A8R8G8B8);
    if (g_Settings.DepthStencilBits == 16) {
        state.depthStencilFormat =
            FirstSupported(state, adapterFormat, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                           {D3DFMT_D15S1, D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D24X4S4}, D3DFMT_D24S8);
    } else {
        state.depthStencilFormat =
            FirstSupported(state, adapterFormat, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                           {D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D24X4S4, D3DFMT_D15S1}, D3DFMT_D24S8);
    }
    if (g_Settings.FloatTextureBits == 16) {
        state.floatTextureFormat = FirstSupported(state, adapterFormat, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE,
                                                  {D3DFMT_R16F, D3DFMT_R32F}, D3DFMT_UNKNOWN);
    } else {
        state.floatTextureFormat = FirstSupported(state, adapterFormat, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE,
                                                  {D3DFMT_R32F, D3DFMT_R16F}, D3DFMT_UNKNOWN);
    }
    if (g_Settings.Float2TextureBits == 16) {
        state.float2TextureFormat = FirstSupported(state, adapterFormat, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE,
                                                   {D3DFMT_G16R16F, D3DFMT_G32R32F}, D3DFMT_UNKNOWN);
    } else {
        state.float2TextureFormat = FirstSupported(state, adapterFormat, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE,
                                                   {D3DFMT_G32R32F, D3DFMT_G16R16F}, D3DFMT_UNKNOWN);
    }
    LogPrintDevice(u"\t・TextureFormat:%s\n", FormatName(state.textureFormat));
    LogPrintDevice(u"\t・RenderTargetFormat:%s\n", FormatName(state.renderTargetFormat));
    LogPrintDevice(u"\t・DepthStencilFormat:%s\n", FormatName(state.depthStencilFormat));
    LogPrintDevice(u"\t・FloatTextureFormat:%s\n", FormatName(state.floatTextureFormat));
    LogPrintDevice(u"\t・Float2TextureFormat:%s\n", FormatName(state.float2TextureFormat));
}

// A fixed-size 8-bit field of the identifier, which need not be terminated.
std::u16string FieldToWide(const char* field, std::size_t size)
{
    return MultiByteToWide(std::string_view(field, strnlen(field, size)));
}

bool EnumerateAdapter(GraphicsState& state)
{
    state.adapterCount = state.direct3d->GetAdapterCount();
    LogPrintDevice(u"\t・ビデオカード数:%u\n", state.adapterCount);

    D3DADAPTER_IDENTIFIER9 identifier{};
    if (FAILED(state.direct3d->GetAdapterIdentifier(state.adapter, 0, &identifier))) {
        LogPrint(u"GetAdapterIdentifierに失敗。ビデオカード情報が取得できません\n");
        return false;
    }
    state.videoCardName = FieldToWide(identifier.Description, sizeof(identifier.Description));
    state.driverName = FieldToWide(identifier.Driver, sizeof(identifier.Driver));
    const DWORD high = static_cast<DWORD>(identifier.DriverVersion.HighPart);
    const DWORD low = identifier.DriverVersion.LowPart;
    state.driverVersion = FormatWide(u"%u.%u.%u.%u", static_cast<unsigned>(HIWORD(high)),
                                     static_cast<unsigned>(LOWORD(high)), static_cast<unsigned>(HIWORD(low)),
                                     static_cast<unsigned>(LOWORD(low)));
    LogPrintDevice(u"\t・ビデオカード名:%s\n", state.videoCardName.c_str());
    LogPrintDevice(u"\t・ドライバ名:%s (%s)\n", state.driverName.c_str(), state.driverVersion.c_str());

    const HRESULT displayMode = state.direct3d->GetAdapterDisplayMode(state.adapter, &state.windowedMode);
    if (FAILED(displayMode) || FAILED(state.direct3d->GetAdapterDisplayMode(state.adapter, &state.desktopMode))) {
        // Without the desktop mode no row can be built.
        const std::u16string text = DescribeD3DError(FAILED(displayMode) ? displayMode : E_FAIL);
        LogPrint(u"GetAdapterDisplayMode Failed(%s)\n", text.c_str());
        return false;
    }

    state.windowedPossible = SUCCEEDED(state.direct3d->CheckDeviceType(
        state.adapter, D3DDEVTYPE_HAL, state.desktopMode.Format, state.desktopMode.Format, TRUE));
    state.forcedFullScreen = !state.windowedPossible;
    state.windowedMode.Width = g_Settings.BackBufferWidth;
    state.windowedMode.Height = g_Settings.BackBufferHeight;

    state.fullScreenFound =
        FindMode(state, g_Settings.BackBufferWidth, g_Settings.BackBufferHeight,
                 {u"フルスクリーンモードで利用可能な画面モード一覧\n",
                  u"\tフルスクリーンモードで利用する画面モードが見つかりました\n",
                  u"\tフルスクリーンモードで利用する画面モードが見つかりませんでした\n"},
                 state.fullScreenMode);
    state.fixedFullScreenFound =
        FindMode(state, state.desktopMode.Width, state.desktopMode.Height,
                 {u"フルスクリーン固定モードモードで利用可能な画面モード一覧\n",
                  u"\tフルスクリーン固定モードで利用する画面モードが見つかりました\n",
                  u"\tフルスクリーン固定モードで利用する画面モードが見つかりませんでした\n"},
                 state.fixedFullScreenMode);
    SearchFormats(state);
    return true;
}

bool ReadCaps(GraphicsState& state)
{
    D3DCAPS9 raw{};
    if (FAILED(state.direct3d->GetDeviceCaps(state.adapter, D3DDEVTYPE_HAL, &raw))) {
        LogPrintDevice(u"ビデオデバイス情報が取得できませんでした\n");
        return false;
    }
    GxDeviceCaps& caps = state.caps;
    caps.PureDevice = (raw.DevCaps & D3DDEVCAPS_PUREDEVICE) != 0;
    caps.HwTransformAndLight = (raw.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0;
    caps.HwRasterization = (raw.DevCaps & D3DDEVCAPS_HWRASTERIZATION) != 0;
    caps.Dither = (raw.RasterCaps & D3DPRASTERCAPS_DITHER) != 0;
    caps.DepthBias = (raw.RasterCaps & D3DPRASTERCAPS_DEPTHBIAS) != 0;
    caps.WBuffer = (raw.RasterCaps & D3DPRASTERCAPS_WBUFFER) != 0;
    caps.CanAutoGenMipMap = (raw.Caps2 & D3DCAPS2_CANAUTOGENMIPMAP) != 0;
    caps.CubeMap = (raw.TextureCaps & D3DPTEXTURECAPS_CUBEMAP) != 0;
    caps.MipMap = (raw.TextureCaps & D3DPTEXTURECAPS_MIPMAP) != 0;
    caps.Perspective = (raw.TextureCaps & D3DPTEXTURECAPS_PERSPECTIVE) != 0;
    caps.Pow2 = (raw.TextureCaps & D3DPTEXTURECAPS_POW2) != 0;
    caps.SquareOnly = (raw.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) != 0;
    caps.NonPow2Conditional = (raw.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) != 0;
    caps.DynamicTextures = (raw.Caps2 & D3DCAPS2_DYNAMICTEXTURES) != 0;
    caps.SeparateAlphaBlend = (raw.PrimitiveMiscCaps & D3DPMISCCAPS_SEPARATEALPHABLEND) != 0;
    caps.MrtIndependentBitDepths = (raw.PrimitiveMiscCaps & D3DPMISCCAPS_MRTINDEPENDENTBITDEPTHS) != 0;
    caps.MrtPostPixelShaderBlending = (raw.PrimitiveMiscCaps & D3DPMISCCAPS_MRTPOSTPIXELSHADERBLENDING) != 0;
    caps.ColorWriteEnable = (raw.PrimitiveMiscCaps & D3DPMISCCAPS_COLORWRITEENABLE) != 0;
    caps.TextureOpCaps = raw.TextureOpCaps;
    caps.MaxTextureWidth = raw.MaxTextureWidth;
    caps.MaxTextureHeight = raw.MaxTextureHeight;
    caps.MaxTextureRepeat = raw.MaxTextureRepeat;
    caps.MaxTextureAspectRatio = raw.MaxTextureAspectRatio;
    caps.MaxAnisotropy = raw.MaxAnisotropy;
    caps.MaxVertexBlendMatrices = raw.MaxVertexBlendMatrices;
    caps.MaxVertexBlendMatrixIndex = raw.MaxVertexBlendMatrixIndex;
    caps.StretchRectFilterCaps = raw.StretchRectFilterCaps;
    caps.MaxVertexW = raw.MaxVertexW;
    caps.GuardBandLeft = raw.GuardBandLeft;
    caps.GuardBandTop = raw.GuardBandTop;
    caps.GuardBandRight = raw.GuardBandRight;
    caps.GuardBandBottom = raw.GuardBandBottom;
    caps.MaxPointSize = raw.MaxPointSize;
    caps.MaxVertexIndex = raw.MaxVertexIndex;
    caps.MaxStreams = raw.MaxStreams;
    caps.MaxStreamStride = raw.MaxStreamStride;
    caps.MaxRenderTarget = raw.NumSimultaneousRTs;
    caps.MaxTextureBlendStages = raw.MaxTextureBlendStages;
    caps.MaxSimultaneousTextures = raw.MaxSimultaneousTextures;
    caps.MaxActiveLights = raw.MaxActiveLights;
    caps.VertexShaderVersion = raw.VertexShaderVersion;
    caps.PixelShaderVersion = raw.PixelShaderVersion;
    caps.MaxVertexShaderConst = raw.MaxVertexShaderConst;
    caps.PixelShader1xMaxValue = raw.PixelShader1xMaxValue;
    caps.DynamicFlowControlDepth = raw.VS20Caps.DynamicFlowControlDepth;
    caps.StaticFlowControlDepth = raw.VS20Caps.StaticFlowControlDepth;
    caps.MaxVShaderInstructionsExecuted = raw.MaxVShaderInstructionsExecuted;
    caps.MaxPShaderInstructionsExecuted = raw.MaxPShaderInstructionsExecuted;

    LogPrintDevice(u"ビデオデバイスの能力情報\n");
    LogPrintDevice(u"\t・Caps:0x%08X\n", raw.Caps);
    LogPrintDevice(u"\t・Caps2:0x%08X\n", raw.Caps2);
    LogPrintDevice(u"\t・Caps3:0x%08X\n", raw.Caps3);
    LogPrintDevice(u"\t・DevCaps:0x%08X\n", raw.DevCaps);
    LogPrintDevice(u"\t・RasterCaps:0x%08X\n", raw.RasterCaps);
    LogPrintDevice(u"\t・ZCmpCaps:0x%08X\n", raw.ZCmpCaps);
    LogPrintDevice(u"\t・SrcBlendCaps:0x%08X\n", raw.SrcBlendCaps);
    LogPrintDevice(u"\t・DestBlendCaps:0x%08X\n", raw.DestBlendCaps);
    LogPrintDevice(u"\t・AlphaCmpCaps:0x%08X\n", raw.AlphaCmpCaps);
    LogPrintDevice(u"\t・ShadeCaps:0x%08X\n", raw.ShadeCaps);
    LogPrintDevice(u"\t・TextureCaps:0x%08X\n", raw.TextureCaps);
    LogPrintDevice(u"\t・TextureOpCaps:0x%08X\n", raw.TextureOpCaps);

    LogPrintDevice(u"ビデオデバイスの能力情報(概要)\n");
    LogPrintDevice(u"\t・D3DDEVCAPS_PUREDEVICE:%d\n", caps.PureDevice ? 1 : 0);
    LogPrintDevice(u"\t・D3DDEVCAPS_HWTRANSFORMANDLIGHT:%d\n", caps.HwTransformAndLight ? 1 : 0);
    LogPrintDevice(u"\t・D3DDEVCAPS_HWRASTERIZATION:%d\n", caps.HwRasterization ? 1 : 0);
    LogPrintDevice(u"\t・D3DPRASTERCAPS_DITHER:%d\n", caps.Dither ? 1 : 0);
    LogPrintDevice(u"\t・D3DPRASTERCAPS_DEPTHBIAS:%d\n", caps.DepthBias ? 1 : 0);
    LogPrintDevice(u"\t・D3DPRASTERCAPS_WBUFFER:%d\n", caps.WBuffer ? 1 : 0);
    LogPrintDevice(u"\t・D3DCAPS2_CANAUTOGENMIPMAP:%d\n", caps.CanAutoGenMipMap ? 1 : 0);
    LogPrintDevice(u"\t・D3DPTEXTURECAPS_CUBEMAP:%d\n", caps.CubeMap ? 1 : 0);
    LogPrintDevice(u"\t・D3DPTEXTURECAPS_MIPMAP:%d\n", caps.MipMap ? 1 : 0);
    LogPrintDevice(u"\t・D3DPTEXTURECAPS_PERSPECTIVE:%d\n", caps.Perspective ? 1 : 0);
    LogPrintDevice(u"\t・D3DPTEXTURECAPS_POW2:%d\n", caps.Pow2 ? 1 : 0);
    LogPrintDevice(u"\t・D3DPTEXTURECAPS_SQUAREONLY:%d\n", caps.SquareOnly ? 1 : 0);
    LogPrintDevice(u"\t・D3DPTEXTURECAPS_NONPOW2CONDITIONAL:%d\n", caps.NonPow2Conditional ? 1 : 0);
    LogPrintDevice(u"\t・D3DCAPS2_DYNAMICTEXTURES:%d\n", caps.DynamicTextures ? 1 : 0);
    LogPrintDevice(u"\t・MaxTextureWidth:%u\n", caps.MaxTextureWidth);
    LogPrintDevice(u"\t・MaxTextureHeight:%u\n", caps.MaxTextureHeight);
    LogPrintDevice(u"\t・MaxTextureRepeat:%u\n", caps.MaxTextureRepeat);
    LogPrintDevice(u"\t・MaxTextureAspectRatio:%u\n", caps.MaxTextureAspectRatio);
    LogPrintDevice(u"\t・MaxAnisotropy:%u\n", caps.MaxAnisotropy);
    LogPrintDevice(u"\t・MaxVertexBlendMatrices:%u\n", caps.MaxVertexBlendMatrices);
    LogPrintDevice(u"\t・MaxVertexBlendMatrixIndex:%u\n", caps.MaxVertexBlendMatrixIndex);
    LogPrintDevice(u"\t・StretchRectFilterCaps:0x%X\n", caps.StretchRectFilterCaps);
    if (caps.StretchRectFilterCaps & D3DPTFILTERCAPS_MINFPOINT) LogPrintDevice(u"\t\t・D3DPTFILTERCAPS_MINFPOINT\n");
    if (caps.StretchRectFilterCaps & D3DPTFILTERCAPS_MAGFPOINT) LogPrintDevice(u"\t\t・D3DPTFILTERCAPS_MAGFPOINT\n");
    if (caps.StretchRectFilterCaps & D3DPTFILTERCAPS_MINFLINEAR) LogPrintDevice(u"\t\t・D3DPTFILTERCAPS_MINFLINEAR\n");
    if (caps.StretchRectFilterCaps & D3DPTFILTERCAPS_MAGFLINEAR) LogPrintDevice(u"\t\t・D3DPTFILTERCAPS_MAGFLINEAR\n");
    LogPrintDevice(u"\t・MaxVertexW:%.4lf\n", static_cast<double>(caps.MaxVertexW));
    LogPrintDevice(u"\t・GuardBandLeft:%.4lf\n", static_cast<double>(caps.GuardBandLeft));
    LogPrintDevice(u"\t・GuardBandTop:%.4lf\n", static_cast<double>(caps.GuardBandTop));
    LogPrintDevice(u"\t・GuardBandRight:%.4lf\n", static_cast<double>(caps.GuardBandRight));
    LogPrintDevice(u"\t・GuardBandBottom:%.4lf\n", static_cast<double>(caps.GuardBandBottom));
    LogPrintDevice(u"\t・MaxPointSize:%.4lf\n", static_cast<double>(caps.MaxPointSize));
    LogPrintDevice(u"\t・MaxVertexIndex:%u\n", caps.MaxVertexIndex);
    LogPrintDevice(u"\t・MaxStreams:%u\n", caps.MaxStreams);
    LogPrintDevice(u"\t・MaxStreamStride:%u\n", caps.MaxStreamStride);
    LogPrintDevice(u"\t・MaxRenderTarget:%u\n", caps.MaxRenderTarget);
    LogPrintDevice(u"\t・MaxTextureBlendStages:%u\n", caps.MaxTextureBlendStages);
    LogPrintDevice(u"\t・MaxSimultaneousTextures:%u\n", caps.MaxSimultaneousTextures);
    LogPrintDevice(u"\t・MaxActiveLights:%u\n", caps.MaxActiveLights);
    LogPrintDevice(u"\t・VertexShaderVersion:%u.%u\n", static_cast<unsigned>(D3DSHADER_VERSION_MAJOR(raw.VertexShaderVersion)),
                   static_cast<unsigned>(D3DSHADER_VERSION_MINOR(raw.VertexShaderVersion)));
    LogPrintDevice(u"\t・PixelShaderVersion:%u.%u\n", static_cast<unsigned>(D3DSHADER_VERSION_MAJOR(raw.PixelShaderVersion)),
                   static_cast<unsigned>(D3DSHADER_VERSION_MINOR(raw.PixelShaderVersion)));
    LogPrintDevice(u"\t・MaxVertexShaderConst:%u\n", caps.MaxVertexShaderConst);
    LogPrintDevice(u"\t・PixelShader1xMaxValue:%f\n", static_cast<double>(caps.PixelShader1xMaxValue));
    LogPrintDevice(u"\t・DynamicFlowControlDepth:%u\n", static_cast<unsigned>(caps.DynamicFlowControlDepth));
    LogPrintDevice(u"\t・StaticFlowControlDepth:%u\n", static_cast<unsigned>(caps.StaticFlowControlDepth));
    LogPrintDevice(u"\t・MaxVShaderInstructionsExecuted:%u\n", caps.MaxVShaderInstructionsExecuted);
    LogPrintDevice(u"\t・MaxPShaderInstructionsExecuted:%u\n", caps.MaxPShaderInstructionsExecuted);

    struct TextureOperation {
        const char16_t* line;
        D3DTEXTUREOP op;
    };
    static const TextureOperation kOperations[] = {
        {u"\t・TEXOP_ADD:%u\n", D3DTOP_ADD},
        {u"\t・TEXOP_ADDSIGNED:%u\n", D3DTOP_ADDSIGNED},
        {u"\t・TEXOP_ADDSIGNED2X:%u\n", D3DTOP_ADDSIGNED2X},
        {u"\t・TEXOP_ADDSMOOTH:%u\n", D3DTOP_ADDSMOOTH},
        {u"\t・TEXOP_BLENDCURRENTALPHA:%u\n", D3DTOP_BLENDCURRENTALPHA},
        {u"\t・TEXOP_BLENDDIFFUSEALPHA:%u\n", D3DTOP_BLENDDIFFUSEALPHA},
        {u"\t・TEXOP_BLENDFACTORALPHA:%u\n", D3DTOP_BLENDFACTORALPHA},
        {u"\t・TEXOP_BLENDTEXTUREALPHA:%u\n", D3DTOP_BLENDTEXTUREALPHA},
        {u"\t・TEXOP_BLENDTEXTUREALPHAPM:%u\n", D3DTOP_BLENDTEXTUREALPHAPM},
        {u"\t・TEXOP_BUMPENVMAP:%u\n", D3DTOP_BUMPENVMAP},
        {u"\t・TEXOP_BUMPENVMAPLUMINANCE:%u\n", D3DTOP_BUMPENVMAPLUMINANCE},
        {u"\t・TEXOP_DISABLE:%u\n", D3DTOP_DISABLE},
        {u"\t・TEXOP_DOTPRODUCT3:%u\n", D3DTOP_DOTPRODUCT3},
        {u"\t・TEXOP_LERP:%u\n", D3DTOP_LERP},
        {u"\t・TEXOP_MODULATE:%u\n", D3DTOP_MODULATE},
        {u"\t・TEXOP_MODULATE2X:%u\n", D3DTOP_MODULATE2X},
        {u"\t・TEXOP_MODULATE4X:%u\n", D3DTOP_MODULATE4X},
        {u"\t・TEXOP_MODULATEALPHA_ADDCOLOR:%u\n", D3DTOP_MODULATEALPHA_ADDCOLOR},
        {u"\t・TEXOP_MODULATECOLOR_ADDALPHA:%u\n", D3DTOP_MODULATECOLOR_ADDALPHA},
        {u"\t・TEXOP_MODULATEINVALPHA_ADDCOLOR:%u\n", D3DTOP_MODULATEINVALPHA_ADDCOLOR},
        {u"\t・TEXOP_MODULATEINVCOLOR_ADDALPHA:%u\n", D3DTOP_MODULATEINVCOLOR_ADDALPHA},
        {u"\t・TEXOP_MULTIPLYADD:%u\n", D3DTOP_MULTIPLYADD},
        {u"\t・TEXOP_PREMODULATE:%u\n", D3DTOP_PREMODULATE},
        {u"\t・TEXOP_SELECTARG1:%u\n", D3DTOP_SELECTARG1},
        {u"\t・TEXOP_SELECTARG2:%u\n", D3DTOP_SELECTARG2},
        {u"\t・TEXOP_SUBTRACT:%u\n", D3DTOP_SUBTRACT},
    };
    LogPrintDevice(u"有効なテクスチャオペレーション\n");
    for (const TextureOperation& operation : kOperations) {
        LogPrintDevice(operation.line, (raw.TextureOpCaps >> (operation.op - 1)) & 1u);
    }
    LogPrintDevice(u"その他のドライバ能力\n");
    LogPrintDevice(u"\t・MISC_SEPARATEALPHABLEND:%u\n", caps.SeparateAlphaBlend ? 1u : 0u);
    LogPrintDevice(u"\t・MISC_MRTINDEPENDENTBITDEPTHS:%u\n", caps.MrtIndependentBitDepths ? 1u : 0u);
    LogPrintDevice(u"\t・MISC_MRTPOSTPIXELSHADERBLENDING:%u\n", caps.MrtPostPixelShaderBlending ? 1u : 0u);
    LogPrintDevice(u"\t・MISC_COLORWRITEENABLE:%u\n", caps.ColorWriteEnable ? 1u : 0u);
    return true;
}

void ProbeMultiSampling(GraphicsState& state, D3DFORMAT surfaceFormat, D3DFORMAT depthFormat, bool withDepth)
{
    std::fill(std::begin(state.multiSampleFullScreen), std::end(state.multiSampleFullScreen), 0u);
    std::fill(std::begin(state.multiSampleWindowed), std::end(state.multiSampleWindowed), 0u);
    LogPrintDevice(withDepth ? u"有効なアンチエイリアス処理(深度バッファあり)\n" : u"有効なアンチエイリアス処理(深度バッファ無し)\n");
    for (DWORD type = 0; type < GxGraphics::kMultiSampleTypeCount; ++type) {
        for (int windowed = 0; windowed < 2; ++windowed) {
            const auto sampleType = static_cast<D3DMULTISAMPLE_TYPE>(type);
            DWORD quality = 0;
            bool ok = SUCCEEDED(state.direct3d->CheckDeviceMultiSampleType(state.adapter, D3DDEVTYPE_HAL, surfaceFormat,
                                                                           windowed, sampleType, &quality));
            if (ok && withDepth) {
                ok = SUCCEEDED(state.direct3d->CheckDeviceMultiSampleType(state.adapter, D3DDEVTYPE_HAL, depthFormat,
                                                                          windowed, sampleType, &quality));
            }
            if (ok) (windowed ? state.multiSampleWindowed : state.multiSampleFullScreen)[type] = quality;
        }
    }
    LogPrintDevice(u"\t・SAMPLES\tFUL\tWIN\n");
    for (DWORD type = 0; type < GxGraphics::kMultiSampleTypeCount; ++type) {
        const unsigned full = state.multiSampleFullScreen[type];
        const unsigned windowed = state.multiSampleWindowed[type];
        if (type == 0) {
            LogPrintDevice(u"\t・NONE   \t%u\t%u\n", full, windowed);
        } else if (type == 1) {
            LogPrintDevice(u"\t・NONMASK\t%u\t%u\n", full, windowed);
        } else {
            LogPrintDevice(u"\t・%02u x %02u\t%u\t%u\n", static_cast<unsigned>(type), static_cast<unsigned>(type), full,
                           windowed);
        }
    }
}

UINT PresentationInterval(std::uint32_t vsync)
{
    switch (vsync) {
    case 0: return D3DPRESENT_INTERVAL_IMMEDIATE;
    case 1: return D3DPRESENT_INTERVAL_ONE;
    case 2: return D3DPRESENT_INTERVAL_TWO;
    case 3: return D3DPRESENT_INTERVAL_THREE;
    case 4: return D3DPRESENT_INTERVAL_FOUR;
    default: return D3DPRESENT_INTERVAL_DEFAULT;
    }
}

void BuildScreenModeRows(GraphicsState& state)
{
    // Multi-sampling needs both the full-screen and the windowed support; each row takes the
    // quality count of its own kind, so that a full-screen row never asks for more levels than
    // full screen offers.
    D3DMULTISAMPLE_TYPE sampleType = D3DMULTISAMPLE_NONE;
    DWORD fullScreenQuality = 0;
    DWORD windowedQuality = 0;
    const std::uint32_t mode = g_Settings.MultiSampleMode;
    if ((mode == 2 || mode == 4) && state.multiSampleFullScreen[mode] != 0 && state.multiSampleWindowed[mode] != 0) {
        sampleType = static_cast<D3DMULTISAMPLE_TYPE>(mode);
        fullScreenQuality = state.multiSampleFullScreen[mode] - 1;
        windowedQuality = state.multiSampleWindowed[mode] - 1;
    } else if (mode == 2 || mode == 4) {
        g_Settings.MultiSampleMode = 0;
    }

    auto build = [&](std::int32_t row, UINT width, UINT height, D3DFORMAT format, BOOL windowed, UINT refresh) {
        D3DPRESENT_PARAMETERS& parameters = state.rows[row];
        parameters = D3DPRESENT_PARAMETERS{};
        parameters.BackBufferWidth = width;
        parameters.BackBufferHeight = height;
        parameters.BackBufferFormat = format;
        parameters.BackBufferCount = 1;
        parameters.MultiSampleType = sampleType;
        parameters.MultiSampleQuality = windowed ? windowedQuality : fullScreenQuality;
        parameters.SwapEffect = static_cast<D3DSWAPEFFECT>(g_Settings.SwapEffect);
        parameters.hDeviceWindow = state.window;
        parameters.Windowed = windowed;
        parameters.EnableAutoDepthStencil = FALSE;
        parameters.AutoDepthStencilFormat = state.depthStencilFormat;
        parameters.Flags = g_Settings.LockableBackBuffer ? D3DPRESENTFLAG_LOCKABLE_BACKBUFFER : 0;
        parameters.FullScreen_RefreshRateInHz = refresh;
        parameters.PresentationInterval = PresentationInterval(g_Settings.VSyncInterval);
    };
    build(SCRMODE_WINDOW, state.windowedMode.Width, state.windowedMode.Height, state.desktopMode.Format, TRUE, 0);
    build(SCRMODE_WINDOWSIZE, state.desktopMode.Width, state.desktopMode.Height, state.desktopMode.Format, TRUE, 0);
    // A mode that was not found leaves its row empty, so it can never be chosen.
    if (state.fullScreenFound) {
        build(SCRMODE_FULLSCREEN, state.fullScreenMode.Width, state.fullScreenMode.Height, state.fullScreenMode.Format,
              FALSE, state.fullScreenMode.RefreshRate);
    }
    if (state.fixedFullScreenFound) {
        build(SCRMODE_FULLSCREENFIXED, state.fixedFullScreenMode.Width, state.fixedFullScreenMode.Height,
              state.fixedFullScreenMode.Format, FALSE, state.fixedFullScreenMode.RefreshRate);
    }
}

void LogRequestedSettings()
{
    LogPrintDevice(u"要求された画面モード\n");
    LogPrintDevice(u"\t・画面モード:%s\n", GxGraphics::GetScreenModeName(g_Settings.ScreenMode));
    LogPrintDevice(u"\t・VSYNCインターバル回数:%u\n", g_Settings.VSyncInterval);
    LogPrintDevice(u"\t・ロック可能なバックバッファ:%u\n", g_Settings.LockableBackBuffer ? 1u : 0u);
    LogPrintDevice(u"\t・BackBufferWidth:%u\n", g_Settings.BackBufferWidth);
    LogPrintDevice(u"\t・BackBufferHeight:%u\n", g_Settings.BackBufferHeight);
    LogPrintDevice(u"\t・RefreshRate:%u\n", g_Settings.RefreshRate);
    LogPrintDevice(u"\t・TextureBits:%u\n", g_Settings.TextureBits);
    LogPrintDevice(u"\t・BackBufferBits:%u\n", g_Settings.BackBufferBits);
    LogPrintDevice(u"\t・DepthStencilBits:%u\n", g_Settings.DepthStencilBits);
    LogPrintDevice(u"\t・FloatTextureBits:%u\n", g_Settings.FloatTextureBits);
    LogPrintDevice(u"\t・Float2TextureBits:%u\n", g_Settings.Float2TextureBits);
    LogPrintDevice(u"\t・MultiSampleMode:%u\n", g_Settings.MultiSampleMode);
}

void LogModeInUse(const GraphicsState& state)
{
    LogPrintDevice(u"起動前画面モード\n");
    LogPrintDevice(u"\t・BackBufferWidth:%u\n", state.desktopMode.Width);
    LogPrintDevice(u"\t・BackBufferHeight:%u\n", state.desktopMode.Height);
    LogPrintDevice(u"\t・RefreshRate:%u\n", state.desktopMode.RefreshRate);
    LogPrintDevice(u"\t・BackBufferFormat:%s\n", FormatName(state.desktopMode.Format));

    const D3DPRESENT_PARAMETERS& row = RowOrEmpty(g_Settings.CurrentScreenMode);
    LogPrintDevice(u"起動画面モード\n");
    LogPrintDevice(u"\t・画面モード:%s\n", GxGraphics::GetScreenModeName(g_Settings.CurrentScreenMode));
    LogPrintDevice(u"\t・VSYNCインターバル回数:%u\n", g_Settings.VSyncInterval);
    LogPrintDevice(u"\t・ロック可能なバックバッファ:%u\n", g_Settings.LockableBackBuffer ? 1u : 0u);
    LogPrintDevice(u"\t・BackBufferWidth:%u\n", row.BackBufferWidth);
    LogPrintDevice(u"\t・BackBufferHeight:%u\n", row.BackBufferHeight);
    LogPrintDevice(u"\t・RefreshRate:%u\n", row.FullScreen_RefreshRateInHz);
    LogPrintDevice(u"\t・TextureFormat:%s\n", FormatName(state.textureFormat));
    LogPrintDevice(u"\t・BackBufferFormat:%s\n", FormatName(row.BackBufferFormat));
    LogPrintDevice(u"\t・RenderTargetFormat:%s\n", FormatName(state.renderTargetFormat));
    LogPrintDevice(u"\t・DepthStencilFormat:%s\n", FormatName(state.depthStencilFormat));
    LogPrintDevice(u"\t・MultiSampleMode:%u\n", g_Settings.MultiSampleMode);
    if (state.windowedPossible) {
        LogPrintDevice(u"\t・ウインドウモードで起動が可能です\n");
    } else {
        LogPrintDevice(u"\t・ウインドウモードではアクセラレーションが効きません(強制的にフルスクリーンモードにします)\n");
    }
}

// Tries the device types and vertex processings in order of preference.
HRESULT CreateDeviceWithFallback(GraphicsState& state)
{
    struct Attempt {
        D3DDEVTYPE type;
        DWORD flags;
        const char16_t* line;
    };
    static const Attempt kAttempts[] = {
        {D3DDEVTYPE_HAL, kMixedFlags, u"\t・Direct3Dを D3DDEVTYPE_HAL - D3DCREATE_MIXED_VERTEXPROCESSING で初期化しました\n"},
        {D3DDEVTYPE_HAL, kSoftwareFlags,
         u"\t・Direct3Dを D3DDEVTYPE_HAL - D3DCREATE_SOFTWARE_VERTEXPROCESSING で初期化しました\n"},
        {D3DDEVTYPE_REF, kMixedFlags, u"\t・Direct3Dを D3DDEVTYPE_REF - D3DCREATE_MIXED_VERTEXPROCESSING で初期化しました\n"},
        {D3DDEVTYPE_REF, kSoftwareFlags,
         u"\t・Direct3Dを D3DDEVTYPE_REF - D3DCREATE_SOFTWARE_VERTEXPROCESSING で初期化しました\n"},
    };
    HRESULT result = E_FAIL;
    for (std::size_t i = 0; i < std::size(kAttempts); ++i) {
        const Attempt& attempt = kAttempts[i];
        D3DPRESENT_PARAMETERS parameters = RowOrEmpty(g_Settings.CurrentScreenMode);
        IDirect3DDevice9* device = nullptr;
        result = state.direct3d->CreateDevice(state.adapter, attempt.type, state.window, attempt.flags, &parameters,
                                              &device);
        if (FAILED(result) || !device) {
            if (SUCCEEDED(result)) result = E_FAIL;
            continue;
        }
        state.device = device;
        LogPrintDevice(attempt.line);
        if (attempt.type == D3DDEVTYPE_REF) {
            LogPrintDevice(u"\t注意：このモードでは正常に表示されません\n");
            state.referenceRasterizer = true;
        }
        if (i > 0) {
            device->SetSoftwareVertexProcessing(TRUE);
            state.softwareVertexProcessing = true;
        }
        return D3D_OK;
    }
    return result;
}

void ReleaseDeviceObjects(GraphicsState& state)
{
    if (state.device) {
        state.device->Release();
        state.device = nullptr;
    }
    if (state.direct3d) {
        state.direct3d->Release();
        state.direct3d = nullptr;
    }
}

// Everything a creation starts from: no adapter data, no formats, no rows, no caches.
void ClearDeviceState(GraphicsState& state)
{
    state.adapterCount = 0;
    state.videoCardName.clear();
    state.driverName.clear();
    state.driverVersion.clear();
    state.videoMemoryMB = 0;
    state.caps = GxDeviceCaps{};
    std::fill(std::begin(state.multiSampleFullScreen), std::end(state.multiSampleFullScreen), 0u);
    std::fill(std::begin(state.multiSampleWindowed), std::end(state.multiSampleWindowed), 0u);
    ClearStateCaches(state);
    state.desktopMode = D3DDISPLAYMODE{};
    state.windowedMode = D3DDISPLAYMODE{};
    state.fullScreenMode = D3DDISPLAYMODE{};
    state.fixedFullScreenMode = D3DDISPLAYMODE{};
    state.textureFormat = D3DFMT_UNKNOWN;
    state.renderTargetFormat = D3DFMT_UNKNOWN;
    state.depthStencilFormat = D3DFMT_UNKNOWN;
    state.floatTextureFormat = D3DFMT_UNKNOWN;
    state.float2TextureFormat = D3DFMT_UNKNOWN;
    for (D3DPRESENT_PARAMETERS& row : state.rows) row = D3DPRESENT_PARAMETERS{};
    state.windowedPossible = false;
    state.forcedFullScreen = false;
    state.fullScreenFound = false;
    state.fixedFullScreenFound = false;
    state.referenceRasterizer = false;
    state.softwareVertexProcessing = false;
    state.sceneCount = 0;
    state.backBufferWidth = 0;
    state.backBufferHeight = 0;
    state.stacks.clear();
    state.swapChain = nullptr;
    state.viewport = GxRect{};
}

// At shut-down a factory that still holds objects is reported, then emptied whatever it holds.
void ReleaseFactory(GxD3DResourceFactoryBase& factory, const char16_t* warning)
{
    const std::int32_t count = factory.GetCount();
    if (count > 0) LogPrintWarning(warning, count);
    factory.ReleaseAll();
}

bool ApplyViewport(GraphicsState& state, const GxRect& rect)
{
    state.viewport = rect;
    if (!state.device) return false;
    D3DVIEWPORT9 viewport{};
    viewport.X = static_cast<DWORD>(std::max(rect.left, 0));
    viewport.Y = static_cast<DWORD>(std::max(rect.top, 0));
    viewport.Width = static_cast<DWORD>(std::max(rect.right - std::max(rect.left, 0), 0));
    viewport.Height = static_cast<DWORD>(std::max(rect.bottom - std::max(rect.top, 0), 0));
    viewport.MinZ = 0.0f;
    viewport.MaxZ = 1.0f;
    return SUCCEEDED(state.device->SetViewport(&viewport));
}

bool StageInRange(const GraphicsState& state, std::uint32_t stage, const char16_t* operation)
{
    if (stage < state.stacks.size()) return true;
    LogPrint(u"GxGraphics::%s/Stage %u is out of range (%u stages)\n", operation, stage,
             static_cast<unsigned>(state.stacks.size()));
    return false;
}

}  // namespace

namespace GxGraphics {

GxDisplaySettings& GetDisplaySettings()
{
    return g_Settings;
}

// ---- creation and release ------------------------------------------------------------------

bool CreateDevice(HWND window, GxGraphicsResetListener* listener, GxGraphicsResetHook beforeReset,
                  GxGraphicsResetHook afterReset)
{
    GraphicsState& state = State();
    if (state.device || state.direct3d) {
        // A second creation starts afresh.
        GetDefaultSwapChain().ReleaseAll();
        ReleaseDeviceObjects(state);
    }

    state.window = window;
    state.listener = listener;
    state.beforeReset = beforeReset;
    state.afterReset = afterReset;
    ClearDeviceState(state);
    state.forceSquareTexture = g_Settings.ForceSquareTexture;

    LogPrintDevice(u"Direct3D9の初期化を開始します\n");
    if (!window) {
        LogPrint(u"Direct3DCreate9 Failed m_hWnd is NULL\n");
        ShowErrorBox(u"起動できません", u"ウインドウハンドルが取得できません");
        return false;
    }

    state.direct3d = Direct3DCreate9(kSdkVersionWithDebugInfo);
    if (!state.direct3d) {
        LogPrint(u"Direct3DCreate9 Failed\n");
        ShowErrorBox(u"起動できません",
                     u"Direct3Dの初期化に失敗しました\n1.DirectX9.0c August "
                     u"2009以降の最新版をインストールして下さい\n2.ビデオカードが推奨環境を満たしているか確認して下さい");
        return false;
    }

    if (!EnumerateAdapter(state)) {
        LogPrint(u"D3D9 GetAdapterInfo Failed\n");
        ReleaseDeviceObjects(state);
        return false;
    }

    if (!ReadCaps(state)) {
        ShowErrorBox(u"ビデオデバイス情報が取得できません", u"デフォルト設定で起動しますが正常に動作しない可能性があります");
        state.windowedPossible = true;
        state.forcedFullScreen = false;
    }

    ProbeMultiSampling(state, state.renderTargetFormat, state.depthStencilFormat, true);
    BuildScreenModeRows(state);
    LogRequestedSettings();

    g_Settings.CurrentScreenMode = g_Settings.ScreenMode;
    if (!state.windowedPossible && g_Settings.ScreenMode == SCRMODE_WINDOW) {
        g_Settings.CurrentScreenMode = SCRMODE_FULLSCREEN;
    }
    LogModeInUse(state);

    const D3DPRESENT_PARAMETERS& row = RowOrEmpty(g_Settings.CurrentScreenMode);
    state.backBufferWidth = row.BackBufferWidth;
    state.backBufferHeight = row.BackBufferHeight;

    const HRESULT created = CreateDeviceWithFallback(state);
    if (FAILED(created)) {
        const std::u16string text = DescribeD3DError(created);
        LogPrint(u"D3D9 CreateDevice Failed(Code:0x%x %s)\n", static_cast<unsigned>(created), text.c_str());
        ShowErrorBox(u"起動できません",
                     u"Direct3Dデバイスの作成に失敗しました(Code:0x%x)\n1.最新のDirectX(August "
                     u"2009以降)をインストールして下さい\n2.ビデオカードが推奨環境を満たしているか確認して下さい",
                     static_cast<unsigned>(created));
        ReleaseDeviceObjects(state);
        return false;
    }

    std::uint32_t megabytes = 0;
    if (SUCCEEDED(QueryVideoMemory(state.direct3d->GetAdapterMonitor(state.adapter), &megabytes))) {
        state.videoMemoryMB = megabytes;
        LogPrintDevice(u"\t・VRAM:%uMByte\n", state.videoMemoryMB);
    } else {
        state.videoMemoryMB = 0;
        LogPrintDevice(u"\t・VRAM:取得失敗\n");
    }

    // A device that reports no simultaneous render targets still draws into stage 0.
    state.swapChain = nullptr;
    state.stacks.assign(std::max<std::uint32_t>(state.caps.MaxRenderTarget, 1u), {});
    GetDefaultSwapChain().CreateDefault(nullptr);
    SetSwapChain(nullptr, nullptr);
    SetupDefaultRenderState();
    return true;
}

void Release()
{
    GraphicsState& state = State();
    GetDefaultSwapChain().ReleaseAll();
    ReleaseFactory(GetTextureFactory(), u"Warning/GxTextureFactory is not Released(count=%d)\n");
    ReleaseFactory(GetTextureFlexFactory(), u"Warning/GxTextureFlexFactory is not Released(count=%d)\n");
    state.swapChain = nullptr;
    state.stacks.clear();
    state.sceneCount = 0;
    ReleaseDeviceObjects(state);
}

void CreateEffectPool()
{
    GraphicsState& state = State();
    SetEffectPoolName(u"gx_default");
    if (state.effectPool) {
        state.effectPool->Release();
        state.effectPool = nullptr;
    }
    // A failed pool is not reported: effects are then created each on its own.
    if (FAILED(D3DXCreateEffectPool(&state.effectPool))) state.effectPool = nullptr;
    state.effectPoolCreated = true;
}

void SetEffectPoolName(std::u16string_view name)
{
    State().effectPoolName = std::u16string(name);
}

const std::u16string& GetEffectPoolName()
{
    return State().effectPoolName;
}

ID3DXEffectPool* GetEffectPool()
{
    return State().effectPool;
}

bool IsEffectPoolCreated()
{
    return State().effectPoolCreated;
}

void ReleaseShaders()
{
    GraphicsState& state = State();
    ReleaseFactory(GetShaderFactory(), u"Warning/GxShaderFactory is not Released(count=%d)\n");
    if (state.effectPool) state.effectPool->Release();
    state.effectPool = nullptr;
    state.effectPoolCreated = false;
}

void SetResetJobPool(GxAsyncJobManage* pool)
{
    State().resetJobPool = pool;
}

GxAsyncJobManage* GetResetJobPool()
{
    return State().resetJobPool;
}

void SetFatalErrorHandler(GxGraphicsFatalErrorHandler handler)
{
    State().fatalErrorHandler = handler;
}

GxGraphicsFatalErrorHandler GetFatalErrorHandler()
{
    return State().fatalErrorHandler;
}

void SelectVertexProcessing(std::uint32_t majorVersion, std::uint32_t minorVersion)
{
    GraphicsState& state = State();
    if (!state.device) return;
    if (state.referenceRasterizer || state.softwareVertexProcessing) {
        state.device->SetSoftwareVertexProcessing(TRUE);
        return;
    }
    const DWORD wanted = D3DVS_VERSION(majorVersion & 0xFF, minorVersion & 0xFF);
    const bool software = !state.caps.HwTransformAndLight || state.caps.VertexShaderVersion < wanted;
    state.device->SetSoftwareVertexProcessing(software ? TRUE : FALSE);
}

// ---- device state --------------------------------------------------------------------------

IDirect3DDevice9* GetDevice() { return State().device; }
IDirect3D9* GetDirect3D() { return State().direct3d; }
HWND GetWindow() { return State().window; }
UINT GetAdapter() { return State().adapter; }
UINT GetAdapterCount() { return State().adapterCount; }

const std::u16string& GetVideoCardName() { return State().videoCardName; }
const std::u16string& GetDriverName() { return State().driverName; }
const std::u16string& GetDriverVersion() { return State().driverVersion; }
std::uint32_t GetVideoMemoryMB() { return State().videoMemoryMB; }

const D3DDISPLAYMODE& GetDesktopMode() { return State().desktopMode; }
const D3DDISPLAYMODE& GetWindowedMode() { return State().windowedMode; }
const D3DDISPLAYMODE& GetFullScreenMode() { return State().fullScreenMode; }
const D3DDISPLAYMODE& GetFixedFullScreenMode() { return State().fixedFullScreenMode; }
bool IsWindowedRenderingPossible() { return State().windowedPossible; }
bool IsForcedFullScreen() { return State().forcedFullScreen; }
bool IsFullScreenModeFound() { return State().fullScreenFound; }
bool IsFixedFullScreenModeFound() { return State().fixedFullScreenFound; }
bool IsReferenceRasterizer() { return State().referenceRasterizer; }
bool IsSoftwareVertexProcessing() { return State().softwareVertexProcessing; }
bool IsForceSquareTexture() { return State().forceSquareTexture; }

D3DFORMAT GetTextureFormat() { return State().textureFormat; }
D3DFORMAT GetRenderTargetFormat() { return State().renderTargetFormat; }
D3DFORMAT GetDepthStencilFormat() { return State().depthStencilFormat; }
D3DFORMAT GetFloatTextureFormat() { return State().floatTextureFormat; }
D3DFORMAT GetFloat2TextureFormat() { return State().float2TextureFormat; }

const GxDeviceCaps& GetDeviceCaps() { return State().caps; }

std::uint32_t GetMultiSampleQuality(std::uint32_t type, bool windowed)
{
    if (type >= kMultiSampleTypeCount) return 0;
    return windowed ? State().multiSampleWindowed[type] : State().multiSampleFullScreen[type];
}

const char16_t* GetScreenModeName(std::int32_t row)
{
    if (row < 0 || row >= kScreenModeCount) return u"";
    return kScreenModeNames[row];
}

const D3DPRESENT_PARAMETERS* GetScreenModeParameters(std::int32_t row)
{
    if (row < 0 || row >= kScreenModeCount) return nullptr;
    return &State().rows[row];
}

bool IsScreenModeAvailable(std::int32_t row)
{
    const D3DPRESENT_PARAMETERS* parameters = GetScreenModeParameters(row);
    return parameters && parameters->BackBufferHeight != 0;
}

std::uint32_t GetBackBufferWidth() { return State().backBufferWidth; }
std::uint32_t GetBackBufferHeight() { return State().backBufferHeight; }

// ---- render targets ------------------------------------------------------------------------

bool SetRenderTarget(std::uint32_t stage, const GxRenderTargetEntry* entry)
{
    GraphicsState& state = State();
    if (!state.device) return false;

    if (entry && entry->m_Color) {
        if (!entry->m_Color->SetToRenderTarget(stage)) {
            LogPrint(u"SetRenderTarget/Can't set RenderTarget %d\n", static_cast<int>(stage));
            return false;
        }
        if (stage != 0) return true;
        const GxRect& rect = entry->m_Viewport;
        if (rect.left != 0 || rect.top != 0 || rect.right != 0 || rect.bottom != 0) {
            ApplyViewport(state, rect);
        } else {
            GxRect whole;
            whole.right = static_cast<std::int32_t>(entry->m_Color->GetWidth());
            whole.bottom = static_cast<std::int32_t>(entry->m_Color->GetHeight());
            ApplyViewport(state, whole);
        }
        return true;
    }

    if (stage != 0) {
        if (FAILED(state.device->SetRenderTarget(stage, nullptr))) {
            LogPrint(u"SetRenderTarget/Can't set NULL Buffer %d\n", static_cast<int>(stage));
            return false;
        }
        return true;
    }

    GxSwapChain* chain = state.swapChain;
    IDirect3DSwapChain9* deviceChain = chain ? chain->GetD3DSwapChain() : nullptr;
    IDirect3DSurface9* backBuffer = nullptr;
    if (deviceChain) deviceChain->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    if (!backBuffer || FAILED(state.device->SetRenderTarget(0, backBuffer))) {
        LogPrint(u"GxGraphics::SetRenderTarget/Can't set Default BackBuffer\n");
        if (backBuffer) backBuffer->Release();
        return false;
    }
    const GxRect& margins = chain->GetMargins();
    GxRect rect;
    rect.left = margins.left;
    rect.top = margins.top;
    rect.right = static_cast<std::int32_t>(chain->GetWidth()) - margins.right;
    rect.bottom = static_cast<std::int32_t>(chain->GetHeight()) - margins.bottom;
    ApplyViewport(state, rect);
    backBuffer->Release();
    return true;
}

bool SetDepthStencil(const GxRenderTargetEntry* entry)
{
    GraphicsState& state = State();
    if (!state.device) return false;
    IDirect3DSurface9* surface = (entry && entry->m_Depth) ? entry->m_Depth->GetSurfacePointer() : nullptr;
    if (surface) {
        if (FAILED(state.device->SetDepthStencilSurface(surface))) {
            LogPrint(u"SetRenderTarget/Can't set RenderTarget\n");
            return false;
        }
        return true;
    }
    IDirect3DSurface9* chainDepth = state.swapChain ? state.swapChain->GetDepthStencilSurface() : nullptr;
    if (FAILED(state.device->SetDepthStencilSurface(chainDepth))) {
        LogPrint(u"SetDepthStencil/Can't set Default DepthStencil\n");
        return false;
    }
    return true;
}

bool PushRenderTarget(std::uint32_t stage, GxRenderTargetBase* color, GxRenderTargetBase* depth,
                      const GxRect* viewport)
{
    GraphicsState& state = State();
    if (!StageInRange(state, stage, u"PushRenderTarget")) return false;
    GxRenderTargetEntry entry;
    entry.m_Color = color;
    entry.m_Depth = depth;
    if (viewport) entry.m_Viewport = *viewport;
    state.stacks[stage].push_back(entry);
    const bool target = SetRenderTarget(stage, &entry);
    const bool depthStencil = SetDepthStencil(&entry);
    return target && depthStencil;
}

bool PopRenderTarget(std::uint32_t stage)
{
    GraphicsState& state = State();
    if (!StageInRange(state, stage, u"PopRenderTarget")) return false;
    std::vector<GxRenderTargetEntry>& stack = state.stacks[stage];
    if (!stack.empty()) stack.pop_back();
    if (stack.empty()) {
        const bool target = SetRenderTarget(stage, nullptr);
        const bool depthStencil = SetDepthStencil(nullptr);
        return target && depthStencil;
    }
    const GxRenderTargetEntry top = stack.back();
    const bool target = SetRenderTarget(stage, &top);
    const bool depthStencil = SetDepthStencil(&top);
    return target && depthStencil;
}

void RestoreRenderTargets()
{
    GraphicsState& state = State();
    for (std::uint32_t stage = 0; stage < state.stacks.size(); ++stage) {
        const std::vector<GxRenderTargetEntry>& stack = state.stacks[stage];
        const GxRenderTargetEntry* top = stack.empty() ? nullptr : &stack.back();
        SetRenderTarget(stage, top);
        if (stage == 0) SetDepthStencil(top);
    }
}

bool SetSwapChain(GxSwapChain* chain, const GxRect* viewport)
{
    GraphicsState& state = State();
    if (!chain) chain = &GetDefaultSwapChain();
    state.swapChain = chain;
    for (auto& stack : state.stacks) stack.clear();
    if (!state.device) return false;

    IDirect3DSwapChain9* deviceChain = chain->GetD3DSwapChain();
    IDirect3DSurface9* backBuffer = nullptr;
    if (deviceChain) deviceChain->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    if (!backBuffer || FAILED(state.device->SetRenderTarget(0, backBuffer))) {
        LogPrint(u"SetSwapChain/Can't set BackBuffer\n");
        if (backBuffer) backBuffer->Release();
        return false;
    }
    ApplyViewport(state, viewport ? *viewport : chain->GetViewportRect());
    backBuffer->Release();
    if (FAILED(state.device->SetDepthStencilSurface(chain->GetDepthStencilSurface()))) {
        LogPrint(u"SetSwapChain/Can't set DepthStencil\n");
        return false;
    }
    return true;
}

GxSwapChain* GetSwapChain()
{
    return State().swapChain;
}

std::uint32_t GetRenderTargetStageCount()
{
    return static_cast<std::uint32_t>(State().stacks.size());
}

std::size_t GetRenderTargetStackSize(std::uint32_t stage)
{
    const GraphicsState& state = State();
    return stage < state.stacks.size() ? state.stacks[stage].size() : 0;
}

bool SetViewport(const GxRect* rect)
{
    GxRect whole;
    whole.right = static_cast<std::int32_t>(g_Settings.VirtualWidth);
    whole.bottom = static_cast<std::int32_t>(g_Settings.VirtualHeight);
    return ApplyViewport(State(), rect ? *rect : whole);
}

GxRect GetViewport()
{
    return State().viewport;
}

// ---- scenes and states ---------------------------------------------------------------------

std::int32_t GetSceneCount()
{
    return State().sceneCount;
}

bool SetRenderStateCached(D3DRENDERSTATETYPE state, DWORD value)
{
    GraphicsState& graphics = State();
    if (!graphics.device) return false;
    if (state >= kRenderStateCount) return SUCCEEDED(graphics.device->SetRenderState(state, value));
    if (graphics.renderStateSet[state] && graphics.renderStates[state] == value) return true;
    graphics.renderStates[state] = value;
    graphics.renderStateSet[state] = true;
    return SUCCEEDED(graphics.device->SetRenderState(state, value));
}

bool SetTextureStageStateCached(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value)
{
    GraphicsState& graphics = State();
    if (!graphics.device) return false;
    if (stage >= kTextureStageCount || state >= kTextureStageStateCount) {
        return SUCCEEDED(graphics.device->SetTextureStageState(stage, state, value));
    }
    if (graphics.stageStateSet[stage][state] && graphics.stageStates[stage][state] == value) return true;
    graphics.stageStates[stage][state] = value;
    graphics.stageStateSet[stage][state] = true;
    return SUCCEEDED(graphics.device->SetTextureStageState(stage, state, value));
}

bool RestoreStateCache()
{
    GraphicsState& graphics = State();
    if (!graphics.device) return false;
    bool ok = true;
    for (DWORD state = 0; state < kRenderStateCount; ++state) {
        if (!graphics.renderStateSet[state]) continue;
        ok &= SUCCEEDED(
            graphics.device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(state), graphics.renderStates[state]));
    }
    for (DWORD stage = 0; stage < kTextureStageCount; ++stage) {
        for (DWORD state = 0; state < kTextureStageStateCount; ++state) {
            if (!graphics.stageStateSet[stage][state]) continue;
            ok &= SUCCEEDED(graphics.device->SetTextureStageState(
                stage, static_cast<D3DTEXTURESTAGESTATETYPE>(state), graphics.stageStates[stage][state]));
        }
    }
    return ok;
}

// ---- present, reset, screen modes ----------------------------------------------------------

bool SetComposeClip(const RECT* rect)
{
    GraphicsState& state = State();
    GxSwapChain* chain = state.swapChain;
    IDirect3DSwapChain9* deviceChain = chain ? chain->GetD3DSwapChain() : nullptr;
    if (!state.device || !deviceChain) return false;
    IDirect3DSurface9* backBuffer = nullptr;
    deviceChain->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    if (!backBuffer) return false;
    const GxRect& margins = chain->GetMargins();
    const bool oneToOne = margins.left == 0 && margins.top == 0 && margins.right == 0 && margins.bottom == 0 &&
                          chain->GetWidth() == g_Settings.VirtualWidth && chain->GetHeight() == g_Settings.VirtualHeight;
    platform::d3d9::SetSurfaceClip(state.device, backBuffer, oneToOne ? rect : nullptr);
    backBuffer->Release();
    return rect == nullptr || oneToOne;
}

bool Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow)
{
    GraphicsState& state = State();
    if (!state.device) return false;
    if (state.sceneCount != 0) {
        LogPrint(u"BeginScene～EndSceneが完了していないのにPresentが呼ばれました\n");
        return false;
    }
    if (!state.stacks.empty() && !state.stacks[0].empty()) LogPrint(u"RenderTarget Stack is't empty\n");

    // A chain whose device objects are gone (a lost device, a failed reset) cannot present;
    // treat it as a lost device so that the recovery below keeps trying.
    IDirect3DSwapChain9* deviceChain = state.swapChain ? state.swapChain->GetD3DSwapChain() : nullptr;
    const HRESULT result =
        deviceChain ? deviceChain->Present(sourceRect, destRect, destWindow, nullptr, 0) : D3DERR_DEVICELOST;

    if (result == D3DERR_DRIVERINTERNALERROR) {
        // The device is unusable; ending with success would hide the failure from whoever
        // started the game, so the process ends with a failure code, through the core's
        // orderly shut-down when it has asked for that.
        LogPrint(u"PresentでD3DERR_DRIVERINTERNALERRORが発生しました\n");
        if (state.fatalErrorHandler) {
            state.fatalErrorHandler(kDriverErrorExitCode);
            return false;
        }
        std::exit(kDriverErrorExitCode);
    }
    if (result == D3DERR_DEVICELOST) {
        const HRESULT level = state.device->TestCooperativeLevel();
        if (level == D3DERR_DEVICELOST) {
            SleepEx(kLostDeviceSleepMilliseconds, TRUE);
            return true;
        }
        if (level == D3DERR_DEVICENOTRESET) {
            ResetDevice(false, g_Settings.CurrentScreenMode, g_Settings.CurrentScreenMode, nullptr);
        }
        return true;
    }
    return true;
}

bool ResetDevice(bool forced, std::int32_t newMode, std::int32_t oldMode, D3DPRESENT_PARAMETERS* parameters)
{
    GraphicsState& state = State();
    if (!state.device) return false;
    if (!forced && state.device->TestCooperativeLevel() == D3D_OK) return true;

    // No load may run while the resources drop and re-create their device objects; loads are
    // queued on this thread only, so none starts before the reset is over.
    if (state.resetJobPool) state.resetJobPool->AsyncWaitAll();

    GetD3DResourceManage().NotifyLostDevice();
    if (state.listener) state.listener->OnBeforeReset(newMode, oldMode);
    if (state.beforeReset) state.beforeReset(newMode, oldMode);

    D3DPRESENT_PARAMETERS resetParameters = parameters ? *parameters : RowOrEmpty(g_Settings.CurrentScreenMode);
    const bool ok = SUCCEEDED(state.device->Reset(&resetParameters));
    if (!ok) LogPrint(u"Resetでデバイスの復帰に失敗しました\n");

    GetD3DResourceManage().NotifyResetDevice();
    RestoreRenderTargets();
    RestoreStateCache();
    if (state.listener) state.listener->OnAfterReset(newMode, oldMode);
    if (state.afterReset) state.afterReset(newMode, oldMode);
    return ok;
}

bool ChangeScreenMode(std::int32_t row)
{
    if (!IsScreenModeAvailable(row)) return false;
    GraphicsState& state = State();
    const std::int32_t oldMode = g_Settings.CurrentScreenMode;
    g_Settings.CurrentScreenMode = row;
    const bool ok = ResetDevice(true, row, oldMode, nullptr);
    const D3DPRESENT_PARAMETERS& parameters = state.rows[row];
    SetWindowStyle(parameters.Windowed != FALSE, 0, 0, false);
    if (ok) {
        state.backBufferWidth = parameters.BackBufferWidth;
        state.backBufferHeight = parameters.BackBufferHeight;
    }
    return ok;
}

void SetWindowStyle(bool windowed, std::uint32_t clientWidth, std::uint32_t clientHeight, bool keepPosition)
{
    HWND window = State().window;
    if (!window) return;
    const int width = static_cast<int>(clientWidth != 0 ? clientWidth : g_Settings.VirtualWidth);
    const int height = static_cast<int>(clientHeight != 0 ? clientHeight : g_Settings.VirtualHeight);

    if (!windowed) {
        SetWindowLongW(window, GWL_STYLE, kFullScreenStyle);
        SetWindowPos(window, HWND_TOPMOST, 0, 0, width, height, SWP_FRAMECHANGED);
        return;
    }
    SetWindowLongW(window, GWL_STYLE, kWindowedStyle);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int outerWidth =
        width + GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXFIXEDFRAME) + GetSystemMetrics(SM_CXBORDER);
    int outerHeight = height + GetSystemMetrics(SM_CYEDGE) + GetSystemMetrics(SM_CYFIXEDFRAME) +
                      GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYCAPTION);
    outerWidth = std::min(outerWidth, screenWidth);
    outerHeight = std::min(outerHeight, screenHeight);
    const int x = std::max(screenWidth / 2 - outerWidth / 2, 0);
    const int y = std::max(screenHeight / 2 - outerHeight / 2, 0);
    SetWindowPos(window, HWND_NOTOPMOST, x, y, outerWidth, outerHeight,
                 SWP_FRAMECHANGED | (keepPosition ? SWP_NOMOVE : 0u));
}

}  // namespace GxGraphics

// ---- scene bracket and clear -----------------------------------------------------------------

bool BeginSceneNested()
{
    GraphicsState& state = State();
    if (!state.device) return false;
    if (state.sceneCount != 0) return true;
    state.sceneCount = 1;
    if (FAILED(state.device->BeginScene())) {
        // No scene is open, so Present must not be refused for it.
        state.sceneCount = 0;
        return false;
    }
    return true;
}

bool EndSceneNested()
{
    GraphicsState& state = State();
    if (!state.device) return false;
    if (state.sceneCount <= 0) {
        state.sceneCount = 0;   // an end without a begin leaves the bracket as it was
        return false;
    }
    --state.sceneCount;
    if (state.sceneCount != 0) return true;
    return SUCCEEDED(state.device->EndScene());
}

bool ClearTarget(DWORD flags, D3DCOLOR color, float z, DWORD stencil, const RECT* rect)
{
    GraphicsState& state = State();
    if (!state.device) return false;
    if (!rect) return SUCCEEDED(state.device->Clear(0, nullptr, flags, color, z, stencil));
    const D3DRECT area{rect->left, rect->top, rect->right, rect->bottom};
    return SUCCEEDED(state.device->Clear(1, &area, flags, color, z, stencil));
}
