#include "platform/d3d9/device_states.h"

#include <algorithm>
#include <bit>
#include <iterator>

namespace platform::d3d9 {

namespace {

constexpr DWORD FloatBits(float value) { return std::bit_cast<DWORD>(value); }

raster::TextureOp ToTextureOp(DWORD op)
{
    // Operations beyond ADDSMOOTH are not offered (see the caps); such a stage ends the cascade.
    return op >= D3DTOP_DISABLE && op <= D3DTOP_ADDSMOOTH ? static_cast<raster::TextureOp>(op)
                                                          : raster::TextureOp::Disable;
}

raster::Blend ToBlend(DWORD blend, raster::Blend fallback)
{
    return blend >= D3DBLEND_ZERO && blend <= D3DBLEND_SRCALPHASAT ? static_cast<raster::Blend>(blend) : fallback;
}

void ToBlendPair(DWORD source, DWORD dest, raster::Blend& outSource, raster::Blend& outDest)
{
    // The two "both" factors set the destination factor as well.
    if (source == D3DBLEND_BOTHSRCALPHA) {
        outSource = raster::Blend::SrcAlpha;
        outDest = raster::Blend::InvSrcAlpha;
    } else if (source == D3DBLEND_BOTHINVSRCALPHA) {
        outSource = raster::Blend::InvSrcAlpha;
        outDest = raster::Blend::SrcAlpha;
    } else {
        outSource = ToBlend(source, raster::Blend::One);
        outDest = ToBlend(dest, raster::Blend::Zero);
    }
}

raster::BlendOp ToBlendOp(DWORD op)
{
    return op >= D3DBLENDOP_ADD && op <= D3DBLENDOP_MAX ? static_cast<raster::BlendOp>(op) : raster::BlendOp::Add;
}

raster::Filter ToFilter(DWORD filter)
{
    // NONE samples as POINT; anisotropic and the other higher filters as LINEAR.
    return filter <= D3DTEXF_POINT ? raster::Filter::Point : raster::Filter::Linear;
}

raster::Address ToAddress(DWORD address)
{
    return address >= D3DTADDRESS_WRAP && address <= D3DTADDRESS_MIRRORONCE ? static_cast<raster::Address>(address)
                                                                            : raster::Address::Wrap;
}

}  // namespace

void SetDefaultStates(DeviceStates& states, bool autoDepthStencil)
{
    std::fill(std::begin(states.render), std::end(states.render), 0u);
    DWORD* rs = states.render;
    rs[D3DRS_ZENABLE] = autoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_FOGSTART] = FloatBits(0.0f);
    rs[D3DRS_FOGEND] = FloatBits(1.0f);
    rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
    rs[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = 0xFFFFFFFFu;
    rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFFu;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
    rs[D3DRS_POINTSIZE_MIN] = FloatBits(1.0f);
    rs[D3DRS_POINTSCALE_A] = FloatBits(1.0f);
    rs[D3DRS_POINTSCALE_B] = FloatBits(0.0f);
    rs[D3DRS_POINTSCALE_C] = FloatBits(0.0f);
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFFu;
    rs[D3DRS_POINTSIZE_MAX] = FloatBits(64.0f);
    rs[D3DRS_COLORWRITEENABLE] = 0xF;
    rs[D3DRS_TWEENFACTOR] = FloatBits(0.0f);
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    rs[D3DRS_POSITIONDEGREE] = 3;   // cubic
    rs[D3DRS_NORMALDEGREE] = 1;     // linear
    rs[D3DRS_MINTESSELLATIONLEVEL] = FloatBits(1.0f);
    rs[D3DRS_MAXTESSELLATIONLEVEL] = FloatBits(1.0f);
    rs[D3DRS_ADAPTIVETESS_Z] = FloatBits(1.0f);
    rs[D3DRS_CCW_STENCILFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_CCW_STENCILZFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_CCW_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_CCW_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_COLORWRITEENABLE1] = 0xF;
    rs[D3DRS_COLORWRITEENABLE2] = 0xF;
    rs[D3DRS_COLORWRITEENABLE3] = 0xF;
    rs[D3DRS_BLENDFACTOR] = 0xFFFFFFFFu;
    rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;

    for (DWORD stage = 0; stage < kStageCount; ++stage) {
        DWORD* ts = states.stage[stage];
        std::fill(ts, ts + kStageStateCount, 0u);
        ts[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        ts[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        ts[D3DTSS_TEXCOORDINDEX] = stage;
        ts[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
        ts[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        ts[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        ts[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    }

    for (DWORD sampler = 0; sampler < kSamplerCount; ++sampler) {
        DWORD* ss = states.sampler[sampler];
        std::fill(ss, ss + kSamplerStateCount, 0u);
        ss[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
        ss[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        ss[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        ss[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        ss[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        ss[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        ss[D3DSAMP_MAXANISOTROPY] = 1;
    }
}

raster::DrawState TranslateStates(const DeviceStates& states, const raster::Image* const textures[kStageCount])
{
    raster::DrawState draw;
    for (DWORD stage = 0; stage < kStageCount; ++stage) {
        const DWORD* ts = states.stage[stage];
        const DWORD* ss = states.sampler[stage];   // fixed function: sampler n serves stage n
        raster::StageState& out = draw.stages[stage];
        out.colorOp = ToTextureOp(ts[D3DTSS_COLOROP]);
        out.colorArg1 = ts[D3DTSS_COLORARG1];
        out.colorArg2 = ts[D3DTSS_COLORARG2];
        out.alphaOp = ToTextureOp(ts[D3DTSS_ALPHAOP]);
        out.alphaArg1 = ts[D3DTSS_ALPHAARG1];
        out.alphaArg2 = ts[D3DTSS_ALPHAARG2];
        out.texture = textures[stage];
        out.magFilter = ToFilter(ss[D3DSAMP_MAGFILTER]);
        out.minFilter = ToFilter(ss[D3DSAMP_MINFILTER]);
        out.addressU = ToAddress(ss[D3DSAMP_ADDRESSU]);
        out.addressV = ToAddress(ss[D3DSAMP_ADDRESSV]);
    }
    const DWORD* rs = states.render;
    draw.textureFactor = rs[D3DRS_TEXTUREFACTOR];
    draw.alphaBlendEnable = rs[D3DRS_ALPHABLENDENABLE] != 0;
    ToBlendPair(rs[D3DRS_SRCBLEND], rs[D3DRS_DESTBLEND], draw.srcBlend, draw.destBlend);
    draw.blendOp = ToBlendOp(rs[D3DRS_BLENDOP]);
    draw.separateAlphaBlendEnable = rs[D3DRS_SEPARATEALPHABLENDENABLE] != 0;
    ToBlendPair(rs[D3DRS_SRCBLENDALPHA], rs[D3DRS_DESTBLENDALPHA], draw.srcBlendAlpha, draw.destBlendAlpha);
    draw.blendOpAlpha = ToBlendOp(rs[D3DRS_BLENDOPALPHA]);
    draw.alphaTestEnable = rs[D3DRS_ALPHATESTENABLE] != 0;
    const DWORD alphaFunc = rs[D3DRS_ALPHAFUNC];
    draw.alphaFunc = alphaFunc >= D3DCMP_NEVER && alphaFunc <= D3DCMP_ALWAYS ? static_cast<raster::Compare>(alphaFunc)
                                                                               : raster::Compare::Always;
    draw.alphaRef = rs[D3DRS_ALPHAREF] & 0xFF;
    draw.specularEnable = rs[D3DRS_SPECULARENABLE] != 0;
    draw.gouraud = rs[D3DRS_SHADEMODE] != D3DSHADE_FLAT;
    const DWORD cull = rs[D3DRS_CULLMODE];
    draw.cullMode = cull >= D3DCULL_NONE && cull <= D3DCULL_CCW ? static_cast<raster::Cull>(cull) : raster::Cull::None;
    draw.colorWriteEnable = rs[D3DRS_COLORWRITEENABLE] & 0xF;
    return draw;
}

}  // namespace platform::d3d9
