// The Direct3D defaults the engine relies on without setting them, checked on a device.
#pragma once

#include "d3d9_fixture.h"

namespace d3d9test {

inline void ExpectDirect3DDefaults(IDirect3DDevice9* device)
{
    const struct {
        D3DRENDERSTATETYPE state;
        DWORD value;
    } render[] = {
        {D3DRS_ZENABLE, D3DZB_FALSE},          {D3DRS_FILLMODE, D3DFILL_SOLID},
        {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},   {D3DRS_ZWRITEENABLE, TRUE},
        {D3DRS_ALPHATESTENABLE, FALSE},        {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ZERO},      {D3DRS_CULLMODE, D3DCULL_CCW},
        {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},      {D3DRS_DITHERENABLE, FALSE},
        {D3DRS_ALPHABLENDENABLE, FALSE},       {D3DRS_FOGENABLE, FALSE},
        {D3DRS_SPECULARENABLE, FALSE},         {D3DRS_STENCILENABLE, FALSE},
        {D3DRS_TEXTUREFACTOR, 0xFFFFFFFF},     {D3DRS_LIGHTING, TRUE},
        {D3DRS_COLORVERTEX, TRUE},             {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
        {D3DRS_MULTISAMPLEANTIALIAS, TRUE},    {D3DRS_COLORWRITEENABLE, 0xF},
        {D3DRS_BLENDOP, D3DBLENDOP_ADD},       {D3DRS_SCISSORTESTENABLE, FALSE},
        {D3DRS_SEPARATEALPHABLENDENABLE, FALSE}, {D3DRS_SRCBLENDALPHA, D3DBLEND_ONE},
        {D3DRS_DESTBLENDALPHA, D3DBLEND_ZERO}, {D3DRS_BLENDOPALPHA, D3DBLENDOP_ADD},
    };
    for (const auto& r : render) {
        DWORD value = 0xBAD;
        EXPECT_EQ(device->GetRenderState(r.state, &value), D3D_OK);
        EXPECT_EQ(value, r.value) << "render state " << r.state;
    }
    for (DWORD stage = 0; stage < 8; ++stage) {
        const struct {
            D3DTEXTURESTAGESTATETYPE type;
            DWORD value;
        } states[] = {
            {D3DTSS_COLOROP, stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE},
            {D3DTSS_COLORARG1, D3DTA_TEXTURE},
            {D3DTSS_COLORARG2, D3DTA_CURRENT},
            {D3DTSS_ALPHAOP, stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE},
            {D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
            {D3DTSS_ALPHAARG2, D3DTA_CURRENT},
            {D3DTSS_TEXCOORDINDEX, stage},
        };
        for (const auto& s : states) {
            DWORD value = 0xBAD;
            EXPECT_EQ(device->GetTextureStageState(stage, s.type, &value), D3D_OK);
            EXPECT_EQ(value, s.value) << "stage " << stage << " state " << s.type;
        }
    }
    for (DWORD sampler = 0; sampler < 16; ++sampler) {
        const struct {
            D3DSAMPLERSTATETYPE type;
            DWORD value;
        } states[] = {{D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP}, {D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP},
                      {D3DSAMP_MAGFILTER, D3DTEXF_POINT},    {D3DSAMP_MINFILTER, D3DTEXF_POINT},
                      {D3DSAMP_MIPFILTER, D3DTEXF_NONE}};
        for (const auto& s : states) {
            DWORD value = 0xBAD;
            EXPECT_EQ(device->GetSamplerState(sampler, s.type, &value), D3D_OK);
            EXPECT_EQ(value, s.value) << "sampler " << sampler << " state " << s.type;
        }
    }
    DWORD fvf = 0xBAD;
    device->GetFVF(&fvf);
    EXPECT_EQ(fvf, 0u);
    for (DWORD stage = 0; stage < 16; ++stage) {
        IDirect3DBaseTexture9* texture = reinterpret_cast<IDirect3DBaseTexture9*>(1);
        EXPECT_EQ(device->GetTexture(stage, &texture), D3D_OK);
        EXPECT_EQ(texture, nullptr) << "stage " << stage;
    }
}

}  // namespace d3d9test
