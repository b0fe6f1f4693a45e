// The device's render, texture-stage and sampler states with their Direct3D defaults, and
// their translation into the raster core's draw state.
#pragma once

#include "platform/d3d9/d3d9_types.h"
#include "platform/raster/raster.h"

namespace platform::d3d9 {

constexpr DWORD kRenderStateCount = 210;   // D3DRS_BLENDOPALPHA (209) is the last
constexpr DWORD kStageCount = 8;
constexpr DWORD kStageStateCount = 33;     // D3DTSS_CONSTANT (32) is the last
constexpr DWORD kSamplerCount = 16;
constexpr DWORD kSamplerStateCount = 14;   // D3DSAMP_DMAPOFFSET (13) is the last

struct DeviceStates {
    DWORD render[kRenderStateCount];
    DWORD stage[kStageCount][kStageStateCount];
    DWORD sampler[kSamplerCount][kSamplerStateCount];
};

// Direct3D's defaults; z test on only when the device has an automatic depth buffer.
void SetDefaultStates(DeviceStates& states, bool autoDepthStencil);

// `textures[i]` is the level 0 of the texture bound to stage i, or null.
raster::DrawState TranslateStates(const DeviceStates& states, const raster::Image* const textures[kStageCount]);

}  // namespace platform::d3d9
