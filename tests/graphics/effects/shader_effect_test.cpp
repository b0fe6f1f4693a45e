// Effects loaded from files: the form chosen, includes, technique lists, standard parameter
// handles, messages for broken files, the factory's counts and reloading.
#include "tests/graphics/effects/effects_fixture.h"

#include "graphics/shader_include.h"

#include <cstring>

namespace {

const char* const kMainEffect = R"(#include "common.fxh"
float4x4 matworld;
float4 MaterialDiffuse : DIFFUSE = {1, 1, 1, 1};
texture DiffuseMap;
sampler DiffuseSampler = sampler_state { Texture = <DiffuseMap>; };
float4 FOGCOLOR;
float4 FogColor;
float4 PS(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(DiffuseSampler, uv) * MaterialDiffuse; }
technique Full < int MaxPointLight = 4; int MaxSpotLight = 2; int MaxMultiRT = 3; int OptionFlags = 5; >
{
    pass P0 { PixelShader = compile ps_2_0 PS(); }
    pass P1 { }
}
technique Plain { pass P0 { } }
)";

// The second declaration comes after the nested include: it is read from this file's text
// while the nested file is open.
const char* const kCommonInclude =
    "shared float4x4 MatViewProj : VIEWPROJECTION;\n#include \"lights.fxh\"\nfloat GlobalTime;\n";
const char* const kLightsInclude = "#define MAX_POINT 4\nfloat4 PointLightPos[MAX_POINT];\n";

const char* const kThreeTechniques =
    "technique Simple { pass { } }\ntechnique Outline { pass { } }\ntechnique Skin { pass { } pass { } }\n";

// The header of a compiled effect binary: this layer does not read them.
const std::string kCompiledEffect("\x01\x09\xFF\xFE\x00\x00\x00\x00", 8);

std::vector<std::u16string> TechniqueNames(const GxShaderEffect& effect)
{
    std::vector<std::u16string> names;
    for (const auto& technique : effect.GetTechniques()) names.push_back(technique.m_Name);
    return names;
}

const GxShaderParameter* FindParameter(const GxShaderEffect& effect, std::u16string_view name)
{
    for (const auto& parameter : effect.GetParameters())
        if (parameter.m_Name == name) return &parameter;
    return nullptr;
}

}  // namespace

TEST_F(EffectsTest, SourceFormIsChosenOnceThePoolExists)
{
    WriteFile("both.fx", kThreeTechniques);
    WriteFile("both.fxbin", kCompiledEffect);
    WriteFile("compiled.fxbin", kCompiledEffect);

    // Before the pool: the compiled file, which this layer cannot read.
    EXPECT_EQ(m_Factory.Create(Path("both.fx")), nullptr);
    EXPECT_TRUE(m_Log.Contains(u"Error/GxShaderEffect CreateFromFile Failed(Name:\"" + Path("both.fxbin") +
                               u"\" データが無効です。)\n"));
    EXPECT_EQ(m_Factory.GetCount(), 0);
    EXPECT_EQ(RegisteredEffects(), 0u) << "a failed load is deleted and leaves the registry";

    GxGraphics::CreateEffectPool();
    GxShaderEffect* effect = m_Factory.Create(Path("both.anything"));
    ASSERT_NE(effect, nullptr);
    EXPECT_TRUE(effect->IsLoaded());
    EXPECT_EQ(TechniqueNames(*effect), (std::vector<std::u16string>{u"Simple", u"Outline", u"Skin"}));
    EXPECT_EQ(effect->GetObjectType(), kObjTypeShaderEffect);
    EXPECT_EQ(effect->GetName(), WideToLowerAscii(Path("both.anything")));
    EXPECT_EQ(RegisteredEffects(), 1u);

    // With only the compiled file, that is what is read.
    m_Log.lines.clear();
    EXPECT_EQ(m_Factory.Create(Path("compiled.fx")), nullptr);
    EXPECT_TRUE(m_Log.Contains(u"(Name:\"" + Path("compiled.fxbin") + u"\" "));
    // With neither, the compiled name is reported, after the source one was not found.
    EXPECT_EQ(m_Factory.Create(Path("none.fx")), nullptr);
    EXPECT_TRUE(m_Log.Contains(u"(Name:\"" + Path("none.fxbin") + u"\" "));
}

TEST_F(EffectsTest, NestedIncludesAndStandardParameterHandles)
{
    GxGraphics::CreateEffectPool();
    WriteFile("shaders/main.fx", kMainEffect);
    WriteFile("shaders/common.fxh", kCommonInclude);
    WriteFile("shaders/lights.fxh", kLightsInclude);
    GxShaderEffect* effect = m_Factory.Create(Path("shaders/main.fx"));
    ASSERT_NE(effect, nullptr);

    std::vector<std::u16string> names;
    for (const auto& parameter : effect->GetParameters()) names.push_back(parameter.m_Name);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"MatViewProj", u"PointLightPos", u"GlobalTime", u"matworld",
                                                  u"MaterialDiffuse", u"DiffuseMap", u"DiffuseSampler", u"FOGCOLOR",
                                                  u"FogColor"}));

    const GxShaderParameter* diffuse = FindParameter(*effect, u"MaterialDiffuse");
    ASSERT_NE(diffuse, nullptr);
    EXPECT_EQ(diffuse->m_Semantic, u"DIFFUSE");
    EXPECT_EQ(diffuse->m_Class, std::uint32_t(D3DXPC_VECTOR));
    EXPECT_EQ(diffuse->m_Columns, 4u);
    EXPECT_EQ(diffuse->m_Bytes, 16u);
    EXPECT_EQ(FindParameter(*effect, u"matworld")->m_Semantic, u"");
    EXPECT_EQ(FindParameter(*effect, u"MatViewProj")->m_Flags, std::uint32_t(D3DX_PARAMETER_SHARED));
    EXPECT_EQ(FindParameter(*effect, u"PointLightPos")->m_Elements, 4u);
    EXPECT_EQ(FindParameter(*effect, u"DiffuseSampler")->m_Type, std::uint32_t(D3DXPT_SAMPLER));

    const auto handle = [&](std::u16string_view name) {
        const GxShaderParameter* parameter = FindParameter(*effect, name);
        return parameter ? parameter->m_Handle : nullptr;
    };
    EXPECT_EQ(effect->GetSceneParameter(kShaderMatWorld), handle(u"matworld")) << "case of A-Z is ignored";
    EXPECT_EQ(effect->GetSceneParameter(kShaderMatViewProj), handle(u"MatViewProj"));
    EXPECT_EQ(effect->GetSceneParameter(kShaderPointLightPos), handle(u"PointLightPos"));
    EXPECT_EQ(effect->GetSceneParameter(kShaderGlobalTime), handle(u"GlobalTime"));
    EXPECT_EQ(effect->GetSceneParameter(kShaderFogColor), handle(u"FogColor")) << "the last match wins";
    EXPECT_EQ(effect->GetMaterialParameter(kShaderMaterialDiffuse), handle(u"MaterialDiffuse"));
    EXPECT_NE(handle(u"MatViewProj"), nullptr);
    for (std::int32_t slot : {std::int32_t(kShaderMatInvWorld), std::int32_t(kShaderMatWorldViewProj),
                              std::int32_t(kShaderSpotLightColor), std::int32_t(kShaderSceneParamCount), -1})
        EXPECT_EQ(effect->GetSceneParameter(slot), nullptr) << slot;
    for (std::int32_t slot : {kShaderUVChannel, kShaderPatternIndex, kShaderMaterialParamCount})
        EXPECT_EQ(effect->GetMaterialParameter(slot), nullptr) << slot;

    ASSERT_EQ(effect->GetTechniques().size(), 2u);
    const GxShaderTechnique& full = effect->GetTechniques()[0];
    EXPECT_EQ(full.m_Name, u"Full");
    EXPECT_EQ(full.m_PassCount, 2u);
    EXPECT_EQ(full.m_AnnotationCount, 4u);
    EXPECT_EQ(full.m_MaxPointLight, 4);
    EXPECT_EQ(full.m_MaxSpotLight, 2);
    EXPECT_EQ(full.m_MaxMultiRT, 3);
    EXPECT_EQ(full.m_OptionFlags, 5);
    const GxShaderTechnique& plain = effect->GetTechniques()[1];
    EXPECT_EQ(plain.m_Name, u"Plain");
    EXPECT_EQ(plain.m_PassCount, 1u);
    EXPECT_EQ(plain.m_AnnotationCount, 0u);
    EXPECT_EQ(plain.m_MaxPointLight, 0);
    EXPECT_EQ(plain.m_MaxSpotLight, 0);
    EXPECT_EQ(plain.m_MaxMultiRT, 0);
    EXPECT_EQ(plain.m_OptionFlags, 0);

    // Handles stay valid across the device notices.
    GetD3DResourceManage().NotifyLostDevice();
    GetD3DResourceManage().NotifyResetDevice();
    EXPECT_EQ(effect->GetSceneParameter(kShaderMatWorld), handle(u"matworld"));
}

TEST_F(EffectsTest, IncludeHandlerKeepsABufferPerOpenFile)
{
    WriteFile("inc/outer.fxh", "outer text");
    WriteFile("inc/sub/inner.fxh", "inner");
    GxShaderInclude include(Path("inc/"));
    LPCVOID outer = nullptr;
    LPCVOID inner = nullptr;
    UINT outerSize = 0;
    UINT innerSize = 0;
    ASSERT_EQ(include.Open(D3DXINC_LOCAL, "outer.fxh", nullptr, &outer, &outerSize), S_OK);
    ASSERT_EQ(include.Open(D3DXINC_LOCAL, "sub/inner.fxh", outer, &inner, &innerSize), S_OK);
    EXPECT_EQ(include.GetOpenCount(), 2u);
    // Opening the nested file must leave the outer one readable.
    ASSERT_EQ(outerSize, 10u);
    EXPECT_EQ(std::memcmp(outer, "outer text", 10), 0);
    ASSERT_EQ(innerSize, 5u);
    EXPECT_EQ(std::memcmp(inner, "inner", 5), 0);
    EXPECT_EQ(include.Close(inner), S_OK);
    EXPECT_EQ(std::memcmp(outer, "outer text", 10), 0);
    EXPECT_EQ(include.Close(outer), S_OK);
    EXPECT_EQ(include.GetOpenCount(), 0u);

    LPCVOID missing = reinterpret_cast<LPCVOID>(0x1);
    UINT missingSize = 7;
    EXPECT_EQ(include.Open(D3DXINC_SYSTEM, "missing.fxh", nullptr, &missing, &missingSize), E_FAIL);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(missingSize, 0u);
    EXPECT_EQ(include.Close(&missingSize), S_OK) << "closing what is not open changes nothing";
    EXPECT_EQ(include.GetOpenCount(), 0u);
}

TEST_F(EffectsTest, TechniqueListChoosesAndOrdersTechniques)
{
    GxGraphics::CreateEffectPool();
    const struct {
        const char* name;
        const char* list;   // null: no list file
        std::vector<std::u16string> techniques;
    } cases[] = {
        {"nolist", nullptr, {u"Simple", u"Outline", u"Skin"}},
        {"ordered", "Simple\r\n\r\nSkin\n", {u"Simple", u"Skin"}},
        {"reversed", "Skin\nSimple", {u"Skin", u"Simple"}},
        {"missing", "Missing\nOutline\n", {u"Outline"}},
        {"empty", "", {u"Simple", u"Outline", u"Skin"}},
        {"blank", "\r\n\n\f\n", {u"Simple", u"Outline", u"Skin"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(std::string(c.name) + ".fx", kThreeTechniques);
        if (c.list) WriteFile(std::string(c.name) + ".tcl", c.list);
        GxShaderEffect* effect = m_Factory.Create(Path(std::string(c.name) + ".fx"));
        ASSERT_NE(effect, nullptr);
        EXPECT_EQ(TechniqueNames(*effect), c.techniques);
    }
    EXPECT_TRUE(m_Log.Contains(u"CreateTechniqueList/GetTechniqueDesc failed 0\n")) << "the unknown name";
    ASSERT_EQ(m_Factory.Find(Path("ordered.fx"))->GetTechniques().size(), 2u);
    EXPECT_EQ(m_Factory.Find(Path("ordered.fx"))->GetTechniques()[1].m_PassCount, 2u);
}

TEST_F(EffectsTest, CompileErrorsAreLoggedAndTheEffectIsDeleted)
{
    GxGraphics::CreateEffectPool();
    WriteFile("bad.fx", "float4 a;\nfloat4 b\nfloat c;\n");
    WriteFile("badinclude.fx", "#include \"nowhere.fxh\"\n");
    EXPECT_EQ(m_Factory.Create(Path("bad.fx")), nullptr);
    const std::vector<std::u16string> expected = {
        u"Error/GxShaderEffect CreateFromFile Failed(Name:\"" + Path("bad.fx") +
            u"\" Direct3D サブシステム内でエラーが発生しました。)\n",
        u"memory(3,1): error X3000: syntax error: unexpected token 'float'\n",
    };
    std::vector<std::u16string> logged;
    for (const auto& line : m_Log.lines)
        if (line.find(u"bad.fx") != std::u16string::npos || line.find(u"memory(") != std::u16string::npos)
            logged.push_back(line);
    EXPECT_EQ(logged, expected);
    EXPECT_EQ(m_Factory.Create(Path("badinclude.fx")), nullptr);
    EXPECT_TRUE(m_Log.Contains(u"memory(1,2): error X1507: failed to open source file: 'nowhere.fxh'\n"));
    EXPECT_EQ(m_Factory.GetCount(), 0);
    EXPECT_EQ(RegisteredEffects(), 0u);
}

TEST_F(EffectsTest, FactoryCountsReferencesByName)
{
    GxGraphics::CreateEffectPool();
    WriteFile("a.fx", kThreeTechniques);
    WriteFile("b.fx", "float x;\n");

    GxShaderEffect* first = m_Factory.Create(Path("a.fx"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(m_Factory.Create(WideToUpperAscii(Path("a.fx"))), first) << "names match without regard to case";
    EXPECT_EQ(first->GetRefCount(), 2u);
    EXPECT_EQ(m_Factory.GetCount(), 1);
    EXPECT_EQ(m_Factory.Find(WideToUpperAscii(Path("a.fx"))), first);
    EXPECT_EQ(first->GetRefCount(), 2u) << "Find takes no reference";

    m_Factory.Release(first);
    EXPECT_EQ(m_Factory.GetCount(), 1);
    EXPECT_EQ(first->GetRefCount(), 1u);
    m_Factory.Release(first);
    EXPECT_EQ(m_Factory.GetCount(), 0) << "the second release deletes it";
    EXPECT_EQ(m_Factory.Find(Path("a.fx")), nullptr);
    EXPECT_EQ(RegisteredEffects(), 0u);

    GxShaderEffect* b = m_Factory.Create(WideToMultiByte(Path("b.fx")).c_str());
    ASSERT_NE(b, nullptr);
    // An effect this factory never handed out (a freed one's address could come back for b).
    GxShaderFactory other;
    GxShaderEffect* stranger = other.Create(Path("b.fx"));
    ASSERT_NE(stranger, nullptr);
    m_Log.lines.clear();
    m_Factory.Release(stranger);
    ASSERT_EQ(m_Log.lines.size(), 1u);
    EXPECT_EQ(m_Log.lines[0].rfind(u"Warning/GxShaderFactory You tried to release the shader does not exist(0x", 0),
              0u);
    EXPECT_EQ(stranger->GetRefCount(), 1u) << "left alone";
    other.Release(stranger);
    m_Factory.ReleaseByName(u"nothing.fx");
    EXPECT_TRUE(
        m_Log.Contains(u"Warning/GxShaderFactory You tried to release the shader does not exist(nothing.fx)\n"));
    EXPECT_EQ(m_Factory.GetCount(), 1);

    m_Factory.Create(Path("b.fx"));
    m_Factory.ReleaseByName(WideToMultiByte(WideToUpperAscii(Path("b.fx"))).c_str());
    EXPECT_EQ(m_Factory.GetCount(), 1);
    m_Factory.Create(Path("b.fx"));
    m_Factory.Create(Path("a.fx"));
    m_Factory.ReleaseAll();
    EXPECT_EQ(m_Factory.GetCount(), 0) << "whatever the counts";
    EXPECT_EQ(RegisteredEffects(), 0u);
}

TEST_F(EffectsTest, ReloadAllRereadsEveryEffect)
{
    GxGraphics::CreateEffectPool();
    WriteFile("r.fx", "float MatWorld;\n");
    WriteFile("s.fx", "float LocalTime;\n");
    GxShaderEffect* r = m_Factory.Create(Path("r.fx"));
    GxShaderEffect* s = m_Factory.Create(Path("s.fx"));
    ASSERT_NE(r, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_NE(r->GetSceneParameter(kShaderMatWorld), nullptr);

    WriteFile("r.fx", "float4x4 MatBones[4];\ntechnique T { pass { } }\n");
    EXPECT_TRUE(m_Factory.ReloadAll());
    EXPECT_TRUE(r->IsLoaded());
    EXPECT_EQ(r->GetSceneParameter(kShaderMatWorld), nullptr) << "old handles are gone";
    EXPECT_NE(r->GetSceneParameter(kShaderMatBones), nullptr);
    EXPECT_EQ(TechniqueNames(*r), (std::vector<std::u16string>{u"T"}));

    WriteFile("r.fx", "float4x4 {\n");
    EXPECT_FALSE(m_Factory.ReloadAll());
    EXPECT_FALSE(r->IsLoaded());
    EXPECT_TRUE(s->IsLoaded()) << "the others are reloaded all the same";
    EXPECT_TRUE(r->GetParameters().empty());
    EXPECT_EQ(r->GetSceneParameter(kShaderMatBones), nullptr);
    EXPECT_EQ(m_Factory.GetCount(), 2) << "a failed reload stays listed";
    m_Factory.Release(r);
    EXPECT_EQ(m_Factory.GetCount(), 1);
}

TEST_F(EffectsTest, LoadRegistersEvenWhenTheFileFailsAndReleaseEmptiesTheEffect)
{
    GxGraphics::CreateEffectPool();
    auto effect = std::make_unique<GxShaderEffect>();
    EXPECT_FALSE(effect->Load(u"Missing/Effect.FX"));
    EXPECT_FALSE(effect->IsLoaded());
    EXPECT_EQ(effect->GetRefCount(), 1u);
    EXPECT_TRUE(GetD3DResourceManage().IsRegistered(effect.get()));
    EXPECT_EQ(effect->GetObjectType(), kObjTypeShaderEffect);
    EXPECT_EQ(effect->GetName(), u"missing/effect.fx");
    EXPECT_EQ(effect->Release(), 0u);
    EXPECT_FALSE(GetD3DResourceManage().IsRegistered(effect.get()));

    WriteFile("ok.fx", "float MatWorld;\ntechnique T { pass { } }\n");
    ASSERT_TRUE(effect->Load(Path("ok.fx")));
    EXPECT_EQ(effect->GetVideoMemorySize(), 0u);
    effect->AddRef();
    EXPECT_EQ(effect->Release(), 1u);
    EXPECT_TRUE(effect->IsLoaded()) << "still referenced";
    EXPECT_EQ(effect->Release(), 0u);
    EXPECT_FALSE(effect->IsLoaded());
    EXPECT_EQ(effect->GetEffect(), nullptr);
    EXPECT_EQ(effect->GetObjectType(), kObjTypeNone);
    EXPECT_EQ(effect->GetName(), u"");
    EXPECT_TRUE(effect->GetTechniques().empty());
    EXPECT_TRUE(effect->GetParameters().empty());
    EXPECT_EQ(effect->GetSceneParameter(kShaderMatWorld), nullptr);
    EXPECT_FALSE(GetD3DResourceManage().IsRegistered(effect.get()));
}
