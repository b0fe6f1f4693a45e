// Blend presets, the default drawing state, the state setters, viewport culling and the
// power-of-two helper, checked through the device's own state.
#include "draw_fixture.h"

#include "graphics/light.h"

namespace drawtest {
namespace {

struct PresetCase {
    std::int32_t preset;
    DWORD blend;
    DWORD op;
    DWORD blendOp;
    DWORD source;
    DWORD dest;
    bool setsAlphaArgument;
};

// The fall-back row (any preset outside 1 to 10) is written as preset 11.
const PresetCase kPresetCases[] = {
    {1, FALSE, D3DTOP_MODULATE, D3DBLENDOP_ADD, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, true},
    {2, TRUE, D3DTOP_MODULATE, D3DBLENDOP_ADD, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, true},
    {3, TRUE, D3DTOP_MODULATE, D3DBLENDOP_ADD, D3DBLEND_SRCALPHA, D3DBLEND_ONE, true},
    {4, TRUE, D3DTOP_MODULATE2X, D3DBLENDOP_ADD, D3DBLEND_SRCALPHA, D3DBLEND_ONE, true},
    {5, TRUE, D3DTOP_MODULATE, D3DBLENDOP_REVSUBTRACT, D3DBLEND_SRCALPHA, D3DBLEND_ONE, true},
    {6, TRUE, D3DTOP_MODULATE, D3DBLENDOP_ADD, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, true},
    {7, TRUE, D3DTOP_MODULATE, D3DBLENDOP_ADD, D3DBLEND_INVDESTCOLOR, D3DBLEND_INVSRCCOLOR, true},
    {8, TRUE, D3DTOP_MODULATE, D3DBLENDOP_ADD, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, true},
    {9, TRUE, D3DTOP_MODULATE, D3DBLENDOP_ADD, D3DBLEND_INVDESTCOLOR, D3DBLEND_ONE, true},
    {10, TRUE, D3DTOP_MODULATE, D3DBLENDOP_SUBTRACT, D3DBLEND_ONE, D3DBLEND_ONE, false},
    {11, TRUE, D3DTOP_MODULATE, D3DBLENDOP_ADD, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, false},
};

// Puts every state a preset sets to a value no preset uses, through the cache, so that the
// preset has to set each one again.
void Scramble(DWORD stage)
{
    GxGraphics::SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 7);
    GxGraphics::SetRenderStateCached(D3DRS_BLENDOP, D3DBLENDOP_MIN);
    GxGraphics::SetRenderStateCached(D3DRS_SRCBLEND, D3DBLEND_DESTALPHA);
    GxGraphics::SetRenderStateCached(D3DRS_DESTBLEND, D3DBLEND_DESTALPHA);
    GxGraphics::SetTextureStageStateCached(stage, D3DTSS_COLORARG1, D3DTA_SPECULAR);
    GxGraphics::SetTextureStageStateCached(stage, D3DTSS_COLOROP, D3DTOP_ADD);
    GxGraphics::SetTextureStageStateCached(stage, D3DTSS_ALPHAARG1, D3DTA_SPECULAR);
    GxGraphics::SetTextureStageStateCached(stage, D3DTSS_ALPHAOP, D3DTOP_ADD);
}

TEST_F(DrawTest, BlendPresetsSetTheirStatesOnTheGivenStage)
{
    for (const DWORD stage : {0u, 5u}) {
        for (const PresetCase& c : kPresetCases) {
            SCOPED_TRACE(testing::Message() << "stage " << stage << " preset " << c.preset);
            Scramble(stage);
            SetBlendMode(stage, c.preset);
            EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), c.blend);
            EXPECT_EQ(RenderState(D3DRS_BLENDOP), c.blendOp);
            EXPECT_EQ(RenderState(D3DRS_SRCBLEND), c.source);
            EXPECT_EQ(RenderState(D3DRS_DESTBLEND), c.dest);
            EXPECT_EQ(StageState(stage, D3DTSS_COLORARG1), DWORD(D3DTA_TEXTURE));
            EXPECT_EQ(StageState(stage, D3DTSS_COLOROP), c.op);
            EXPECT_EQ(StageState(stage, D3DTSS_ALPHAOP), c.op);
            // Preset 10 and the fall-back leave the alpha argument alone.
            EXPECT_EQ(StageState(stage, D3DTSS_ALPHAARG1), c.setsAlphaArgument ? DWORD(D3DTA_TEXTURE)
                                                                               : DWORD(D3DTA_SPECULAR));
            EXPECT_EQ(GetBlendMode(stage), c.preset);
        }
    }
}

TEST_F(DrawTest, BlendPresetZeroReappliesTheStagesRememberedPreset)
{
    SetBlendMode(0, kBlendAdd);
    SetBlendMode(1, kBlendMultiply);   // another stage's memory does not leak into stage 0
    Scramble(0);
    SetBlendMode(0, kBlendRemembered);
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_ONE));
    EXPECT_EQ(StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(GetBlendMode(0), kBlendAdd);
    EXPECT_EQ(GetBlendMode(1), kBlendMultiply);
}

TEST_F(DrawTest, BlendPresetsGoThroughTheStateCache)
{
    SetBlendMode(0, kBlendAdd);
    // Behind the cache's back: a repeated preset costs no device call, so this survives it.
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SUBTRACT);
    SetBlendMode(0, kBlendAdd);
    SetBlendMode(0, kBlendRemembered);
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_ZERO));
    EXPECT_EQ(StageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_SUBTRACT));
    // A changed value does reach the device.
    SetBlendMode(0, kBlendAlpha);
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
}

TEST_F(DrawTest, BlendPresetOnAStageOutOfRangeIsRefusedWithALogLine)
{
    SetBlendMode(8, kBlendAdd);
    EXPECT_TRUE(errors.Contains(u"SetBlendMode"));
    EXPECT_EQ(GetBlendMode(8), 0);
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));   // untouched
}

TEST_F(DrawTest, DefaultStateAfterDeviceCreation)
{
    const D3DVIEWPORT9 expected{0, 0, GxGraphics::GetBackBufferWidth(), GxGraphics::GetBackBufferHeight(), 0.0f, 1.0f};
    D3DVIEWPORT9 viewport{};
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.X, expected.X);
    EXPECT_EQ(viewport.Width, expected.Width);
    EXPECT_EQ(viewport.Height, expected.Height);

    for (DWORD stage = 0; stage < 8; ++stage) {
        SCOPED_TRACE(stage);
        EXPECT_EQ(GetBlendMode(stage), kBlendAlpha);
        EXPECT_EQ(StageState(stage, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
        EXPECT_EQ(StageState(stage, D3DTSS_ALPHAOP), DWORD(D3DTOP_MODULATE));
        EXPECT_EQ(StageState(stage, D3DTSS_ALPHAARG1), DWORD(D3DTA_TEXTURE));
        EXPECT_EQ(StageState(stage, D3DTSS_ALPHAARG2), DWORD(D3DTA_DIFFUSE));
    }
    EXPECT_EQ(SamplerState(D3DSAMP_MAGFILTER), DWORD(D3DTEXF_POINT));
    EXPECT_EQ(SamplerState(D3DSAMP_MINFILTER), DWORD(D3DTEXF_POINT));

    const std::pair<D3DRENDERSTATETYPE, DWORD> states[] = {
        {D3DRS_ALPHABLENDENABLE, TRUE},
        {D3DRS_BLENDOP, D3DBLENDOP_ADD},
        {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
        {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
        {D3DRS_SEPARATEALPHABLENDENABLE, TRUE},
        {D3DRS_BLENDOPALPHA, D3DBLENDOP_MAX},
        {D3DRS_COLORVERTEX, TRUE},
        {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
        {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRS_ZENABLE, D3DZB_FALSE},
        {D3DRS_ZWRITEENABLE, FALSE},
        {D3DRS_ALPHATESTENABLE, FALSE},
        {D3DRS_MULTISAMPLEANTIALIAS, TRUE},
        {D3DRS_SPECULARENABLE, TRUE},
        {D3DRS_CULLMODE, D3DCULL_NONE},
        {D3DRS_FILLMODE, D3DFILL_SOLID},
        {D3DRS_LIGHTING, FALSE},
    };
    for (const auto& [state, value] : states) EXPECT_EQ(RenderState(state), value) << "render state " << state;

    const GxLight& directional = GxGraphics::GetDirectionalLight();
    EXPECT_TRUE(directional.m_Visible);
    EXPECT_EQ(directional.m_Type, kLightTypeDirectional);
    EXPECT_FLOAT_EQ(directional.m_Dir.y, -1.0f);
    const GxLight& twoColor = GxGraphics::GetTwoColorLight();
    EXPECT_EQ(twoColor.m_Type, kLightTypeTwoColor);
    EXPECT_FLOAT_EQ(twoColor.m_LightColor0.r, 0.3f);
    EXPECT_FLOAT_EQ(twoColor.m_LightColor1.a, 0.2f);
    EXPECT_FLOAT_EQ(twoColor.m_Dir.y, 1.0f);
}

// The device exactly as creation leaves it, with nothing set up by a caller: a quad in fan order
// (counter-clockwise on screen) is not culled and blends its half-transparent colour with preset 2.
TEST_F(DrawTest, ADeviceMadeWithoutAnyWiringDrawsAnAlphaBlendedQuad)
{
    Clear(0xFF0000FF);
    const GxVector2 corners[4] = {{10.0f, 10.0f}, {10.0f, 30.0f}, {30.0f, 30.0f}, {30.0f, 10.0f}};
    const D3DCOLOR diffuse[4] = {0x80FF0000, 0x80FF0000, 0x80FF0000, 0x80FF0000};
    const D3DCOLOR none[4] = {};
    DrawQuad2D(nullptr, corners, GxFRect{0, 0, 1, 1}, diffuse, none, kBlendAlpha);

    const Frame frame = ReadFrame();
    EXPECT_TRUE(Near(frame.At(10, 10), Pack(255, 128, 0, 127)));   // 128/255 red over blue
    EXPECT_TRUE(Near(frame.At(29, 29), Pack(255, 128, 0, 127)));
    EXPECT_EQ(frame.At(9, 20), 0xFF0000FFu);
    EXPECT_EQ(frame.At(30, 20), 0xFF0000FFu);
}

TEST_F(DrawTest, ResetRenderStatesRestoresThe2DStatesAndUnbindsEverything)
{
    GxTexture* texture = MakeTexture(4, 4, [](std::uint32_t, std::uint32_t) { return 0xFFFFFFFFu; });
    for (DWORD stage = 0; stage < 8; ++stage) GxGraphics::SetTexture(stage, texture->GetTexturePointer());
    GxGraphics::SetZEnable(true);
    GxGraphics::SetZWriteEnable(true);
    GxGraphics::SetAlphaTest(true, 0x40);
    GxGraphics::SetSpecularEnable(false);
    GxGraphics::SetCullMode(D3DCULL_CCW);
    GxGraphics::SetFillMode(D3DFILL_WIREFRAME);
    GxGraphics::SetLighting(true);
    EXPECT_EQ(RenderState(D3DRS_ALPHAREF), 0x40u);
    EXPECT_EQ(RenderState(D3DRS_ALPHAFUNC), DWORD(D3DCMP_GREATEREQUAL));

    GxGraphics::ResetRenderStates();
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), DWORD(D3DZB_FALSE));
    EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), DWORD(FALSE));
    EXPECT_EQ(RenderState(D3DRS_ALPHATESTENABLE), DWORD(FALSE));
    EXPECT_EQ(RenderState(D3DRS_SPECULARENABLE), DWORD(TRUE));
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
    EXPECT_EQ(RenderState(D3DRS_FILLMODE), DWORD(D3DFILL_SOLID));
    EXPECT_EQ(RenderState(D3DRS_LIGHTING), DWORD(FALSE));
    for (DWORD stage = 0; stage < 8; ++stage) {
        IDirect3DBaseTexture9* bound = nullptr;
        device->GetTexture(stage, &bound);
        EXPECT_EQ(bound, nullptr) << "stage " << stage;
        if (bound) bound->Release();
    }
}

TEST_F(DrawTest, TextureFilterIsSentEveryTimeKeptAcrossDrawsAndDroppedByAReset)
{
    GxGraphics::SetTextureFilter(D3DTEXF_LINEAR);
    // Not cached: a device change behind its back is undone by the next call.
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    GxGraphics::SetTextureFilter(D3DTEXF_LINEAR);
    EXPECT_EQ(SamplerState(D3DSAMP_MAGFILTER), DWORD(D3DTEXF_LINEAR));

    // Drawing does not touch it.
    GxTexture* texture = MakeTexture(2, 2, [](std::uint32_t, std::uint32_t) { return 0xFFFFFFFFu; });
    DrawTextureRect2D(texture, 10, 10, GxFRect{0, 0, 2, 2}, GxVector2(1, 1), GxVector3(0, 0, 0), GxVector2(0, 0),
                      GxVector2(0, 0), 0xFFFFFFFF, 0, kBlendAlpha);
    EXPECT_EQ(SamplerState(D3DSAMP_MINFILTER), DWORD(D3DTEXF_LINEAR));

    // A reset gives the cached render states back, but the filter returns to point sampling.
    GxGraphics::SetCullMode(D3DCULL_CW);
    EndSceneNested();
    ASSERT_TRUE(GxGraphics::ResetDevice(true, SCRMODE_WINDOW, SCRMODE_WINDOW, nullptr));
    ASSERT_TRUE(BeginSceneNested());
    EXPECT_EQ(SamplerState(D3DSAMP_MAGFILTER), DWORD(D3DTEXF_POINT));
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_CW));
}

// Whether a routine reached its draw step: the vertex format is set only there.
struct CullCase {
    const char* name;
    float left, top, right, bottom;   // quad corners before the half-pixel shift
    bool drawn;
};

TEST_F(DrawTest, QuadsWhollyOutsideTheViewportAreNotSent)
{
    GxRect viewport{100, 100, 300, 200};
    ASSERT_TRUE(GxGraphics::SetViewport(&viewport));
    const CullCase cases[] = {
        {"inside", 150, 150, 160, 160, true},
        {"left", 80, 120, 99.4f, 140, false},
        {"right edge on the left side", 80, 120, 100.5f, 140, true},   // shifted to x = 100
        {"right", 300.6f, 120, 320, 140, false},
        {"left edge on the right side", 300.5f, 120, 320, 140, true},
        {"above", 150, 60, 160, 100.4f, false},
        {"bottom edge on the top side", 150, 60, 160, 100.5f, true},
        {"below", 150, 200.6f, 160, 240, false},
        {"spanning the whole viewport", 0, 0, 1000, 1000, true},
        {"above, reaching across the left edge", 50, 50, 150, 90, false},
        {"diagonal across a corner", 50, 150, 150, 250, true},
    };
    GxTexture* texture = MakeTexture(2, 2, [](std::uint32_t, std::uint32_t) { return 0xFFFFFFFFu; });
    const D3DCOLOR white[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    const D3DCOLOR none[4] = {};
    for (const CullCase& c : cases) {
        SCOPED_TRACE(c.name);
        const GxVector2 corners[4] = {{c.left, c.top}, {c.left, c.bottom}, {c.right, c.bottom}, {c.right, c.top}};
        device->SetFVF(0);
        GxGraphics::SetTexture(0, nullptr);
        DrawQuad2D(texture, corners, GxFRect{0, 0, 1, 1}, white, none, kBlendAlpha);
        DWORD fvf = 0;
        device->GetFVF(&fvf);
        EXPECT_EQ(fvf, c.drawn ? kVertex2DFvf : 0u);
        EXPECT_EQ(BoundTexture(), c.drawn ? texture->GetTexturePointer() : nullptr);

        // The texture-rectangle routine culls the same way.
        device->SetFVF(0);
        DrawTextureRect2D(texture, c.left, c.top, GxFRect{0, 0, c.right - c.left, c.bottom - c.top}, GxVector2(1, 1),
                          GxVector3(0, 0, 0), GxVector2(0, 0), GxVector2(0, 0), 0xFFFFFFFF, 0, kBlendAlpha);
        device->GetFVF(&fvf);
        EXPECT_EQ(fvf, c.drawn ? kVertex2DFvf : 0u) << "DrawTextureRect2D";
    }
}

TEST_F(DrawTest, NextPowerOfTwo)
{
    const std::pair<std::uint32_t, std::uint32_t> cases[] = {
        {0, 1}, {1, 1}, {2, 2}, {3, 4}, {33, 64}, {64, 64}, {0x40000001u, 0x80000000u},
        {0x80000000u, 0x80000000u}, {0x80000001u, 0}, {0xFFFFFFFFu, 0},
    };
    for (const auto& [n, expected] : cases) EXPECT_EQ(GxNextPowerOfTwo(n), expected) << n;
}

TEST(DrawHelpers, TransformArrayStepsBothArraysByTheStride)
{
    struct Pair {
        float value;
        float other;
    };
    const Pair source[3] = {{1, 10}, {2, 20}, {3, 30}};
    Pair destination[3] = {};
    GxTransformArray(source, destination, sizeof(Pair), 3, [](const void* from, void* to) {
        static_cast<Pair*>(to)->value = static_cast<const Pair*>(from)->value * 2;
    });
    EXPECT_FLOAT_EQ(destination[0].value, 2);
    EXPECT_FLOAT_EQ(destination[2].value, 6);
    EXPECT_FLOAT_EQ(destination[2].other, 0);   // only what the operation writes
}

}  // namespace
}  // namespace drawtest
