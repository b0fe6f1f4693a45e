// What an effect reports of its declarations: parameters, struct members, values, techniques.
#include "tests/platform/d3dx_effect/effect_fixture.h"

#include <cstring>

namespace {

const char* const kDeclarations = R"(// Scene constants
shared float4x4 MatViewProj : VIEWPROJECTION;
float4x4 matworld;
row_major float3x4 Bones[60] : BONES;
float4 MaterialDiffuse : DIFFUSE <string UIName = "Diffuse"; int Order = 2;> = {1, 0.5, 0.25, 1};
float  LocalTime = 2.75;
int    PatternIndex = -3;
bool   Enabled = true;
half2  Offset;
vector<float, 3> Dir;
matrix<float, 2, 3> Small;
texture DiffuseMap <string ResourceName = "a.png";>;
sampler2D DiffuseSampler = sampler_state { Texture = <DiffuseMap>; MinFilter = Linear; };
string Label = "x;{";
struct Light { float3 Pos : POSITION; float4 Color; float Range[2]; };
Light Lights[4];
static const int kCount = 4;
static float4 Hidden = float4(1, 2, 3, 4);
float4 Counted[kCount * 2] : register(c10);
uniform float A = 1, B = 2.5f;
float Big = 1e20;
float Negative = -(2.9);
int Computed = kCount * 3 + 1;

float4 VS(float4 p : POSITION, uniform int n = 2) : POSITION { return mul(p, MatViewProj); }
float4 PS() : COLOR0 { if (LocalTime > 1) { return float4(1, 1, 1, 1); } return "}"; }
float4 Prototype(float x);

technique Simple < int MaxPointLight = 4; int MaxSpotLight = 2; float MaxMultiRT = 3.9; bool OptionFlags = true;
                   string Note = "x"; >
{
    pass P0 { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); }
    pass P1 < int Order = -1; > { AlphaBlendEnable = true; }
}
technique Skin { pass { } };
technique Outline { }
technique { pass { } pass { } pass { } }
)";

struct ExpectedParameter {
    const char* name;
    D3DXPARAMETER_CLASS parameterClass;
    D3DXPARAMETER_TYPE type;
    UINT rows, columns, elements, bytes;
    const char* semantic;
    DWORD flags;
    UINT annotations, members;
};

const ExpectedParameter kExpected[] = {
    {"MatViewProj", D3DXPC_MATRIX_COLUMNS, D3DXPT_FLOAT, 4, 4, 0, 64, "VIEWPROJECTION", D3DX_PARAMETER_SHARED, 0, 0},
    {"matworld", D3DXPC_MATRIX_COLUMNS, D3DXPT_FLOAT, 4, 4, 0, 64, nullptr, 0, 0, 0},
    {"Bones", D3DXPC_MATRIX_ROWS, D3DXPT_FLOAT, 3, 4, 60, 2880, "BONES", 0, 0, 0},
    {"MaterialDiffuse", D3DXPC_VECTOR, D3DXPT_FLOAT, 1, 4, 0, 16, "DIFFUSE", 0, 2, 0},
    {"LocalTime", D3DXPC_SCALAR, D3DXPT_FLOAT, 1, 1, 0, 4, nullptr, 0, 0, 0},
    {"PatternIndex", D3DXPC_SCALAR, D3DXPT_INT, 1, 1, 0, 4, nullptr, 0, 0, 0},
    {"Enabled", D3DXPC_SCALAR, D3DXPT_BOOL, 1, 1, 0, 4, nullptr, 0, 0, 0},
    {"Offset", D3DXPC_VECTOR, D3DXPT_FLOAT, 1, 2, 0, 8, nullptr, 0, 0, 0},
    {"Dir", D3DXPC_VECTOR, D3DXPT_FLOAT, 1, 3, 0, 12, nullptr, 0, 0, 0},
    {"Small", D3DXPC_MATRIX_COLUMNS, D3DXPT_FLOAT, 2, 3, 0, 24, nullptr, 0, 0, 0},
    {"DiffuseMap", D3DXPC_OBJECT, D3DXPT_TEXTURE, 1, 1, 0, 4, nullptr, 0, 1, 0},
    {"DiffuseSampler", D3DXPC_OBJECT, D3DXPT_SAMPLER2D, 1, 1, 0, 4, nullptr, 0, 0, 0},
    {"Label", D3DXPC_OBJECT, D3DXPT_STRING, 1, 1, 0, 4, nullptr, 0, 0, 0},
    {"Lights", D3DXPC_STRUCT, D3DXPT_VOID, 1, 1, 4, 144, nullptr, 0, 0, 3},
    {"Counted", D3DXPC_VECTOR, D3DXPT_FLOAT, 1, 4, 8, 128, nullptr, 0, 0, 0},
    {"A", D3DXPC_SCALAR, D3DXPT_FLOAT, 1, 1, 0, 4, nullptr, 0, 0, 0},
    {"B", D3DXPC_SCALAR, D3DXPT_FLOAT, 1, 1, 0, 4, nullptr, 0, 0, 0},
    {"Big", D3DXPC_SCALAR, D3DXPT_FLOAT, 1, 1, 0, 4, nullptr, 0, 0, 0},
    {"Negative", D3DXPC_SCALAR, D3DXPT_FLOAT, 1, 1, 0, 4, nullptr, 0, 0, 0},
    {"Computed", D3DXPC_SCALAR, D3DXPT_INT, 1, 1, 0, 4, nullptr, 0, 0, 0},
};

}  // namespace

TEST_F(EffectTest, ParametersAreListedInOrderWithTheirDescriptions)
{
    ID3DXEffect* effect = MustCreate(kDeclarations);
    ASSERT_NE(effect, nullptr);
    D3DXEFFECT_DESC desc{};
    ASSERT_EQ(effect->GetDesc(&desc), D3D_OK);
    EXPECT_NE(desc.Creator, nullptr);
    EXPECT_EQ(desc.Parameters, std::size(kExpected)) << "statics are not parameters";
    EXPECT_EQ(desc.Techniques, 4u);
    EXPECT_EQ(desc.Functions, 2u) << "a prototype is not a function";

    for (UINT i = 0; i < desc.Parameters && i < std::size(kExpected); ++i) {
        const ExpectedParameter& expected = kExpected[i];
        SCOPED_TRACE(expected.name);
        D3DXPARAMETER_DESC parameter{};
        ASSERT_EQ(effect->GetParameterDesc(effect->GetParameter(nullptr, i), &parameter), D3D_OK);
        EXPECT_STREQ(parameter.Name, expected.name);
        EXPECT_EQ(parameter.Class, expected.parameterClass);
        EXPECT_EQ(parameter.Type, expected.type);
        EXPECT_EQ(parameter.Rows, expected.rows);
        EXPECT_EQ(parameter.Columns, expected.columns);
        EXPECT_EQ(parameter.Elements, expected.elements);
        EXPECT_EQ(parameter.Bytes, expected.bytes);
        if (expected.semantic) {
            EXPECT_STREQ(parameter.Semantic, expected.semantic);
        } else {
            EXPECT_EQ(parameter.Semantic, nullptr);
        }
        EXPECT_EQ(parameter.Flags, expected.flags);
        EXPECT_EQ(parameter.Annotations, expected.annotations);
        EXPECT_EQ(parameter.StructMembers, expected.members);
    }
    EXPECT_EQ(effect->GetParameter(nullptr, desc.Parameters), nullptr);
}

TEST_F(EffectTest, StructMembersAreParametersOfTheirStruct)
{
    ID3DXEffect* effect = MustCreate(kDeclarations);
    ASSERT_NE(effect, nullptr);
    D3DXHANDLE lights = FindParameter(effect, "Lights");
    ASSERT_NE(lights, nullptr);
    const struct {
        const char* name;
        const char* semantic;
        UINT columns, elements, bytes;
    } members[] = {{"Pos", "POSITION", 3, 0, 12}, {"Color", nullptr, 4, 0, 16}, {"Range", nullptr, 1, 2, 8}};
    for (UINT i = 0; i < 3; ++i) {
        D3DXPARAMETER_DESC desc{};
        ASSERT_EQ(effect->GetParameterDesc(effect->GetParameter(lights, i), &desc), D3D_OK);
        EXPECT_STREQ(desc.Name, members[i].name);
        if (members[i].semantic) {
            EXPECT_STREQ(desc.Semantic, members[i].semantic);
        } else {
            EXPECT_EQ(desc.Semantic, nullptr);
        }
        EXPECT_EQ(desc.Columns, members[i].columns);
        EXPECT_EQ(desc.Elements, members[i].elements);
        EXPECT_EQ(desc.Bytes, members[i].bytes);
    }
    EXPECT_EQ(effect->GetParameter(lights, 3), nullptr);
    EXPECT_EQ(effect->GetParameter(FindParameter(effect, "matworld"), 0), nullptr) << "not a struct";
}

TEST_F(EffectTest, GetIntReadsScalarInitialValues)
{
    ID3DXEffect* effect = MustCreate(kDeclarations);
    ASSERT_NE(effect, nullptr);
    const struct {
        const char* name;
        INT value;
    } scalars[] = {
        {"LocalTime", 2}, {"PatternIndex", -3}, {"Enabled", 1}, {"A", 1}, {"B", 2},
        {"Big", 2147483647}, {"Negative", -2}, {"Computed", 13}, {"Offset", 0},
    };
    for (const auto& scalar : scalars) {
        SCOPED_TRACE(scalar.name);
        INT value = 12345;
        if (std::strcmp(scalar.name, "Offset") == 0) {
            EXPECT_EQ(effect->GetInt(FindParameter(effect, scalar.name), &value), D3DERR_INVALIDCALL) << "a vector";
            continue;
        }
        ASSERT_EQ(effect->GetInt(FindParameter(effect, scalar.name), &value), D3D_OK);
        EXPECT_EQ(value, scalar.value);
    }
    INT value = 0;
    for (const char* notScalar : {"MaterialDiffuse", "Bones", "Label", "DiffuseMap", "Lights", "Counted"})
        EXPECT_EQ(effect->GetInt(FindParameter(effect, notScalar), &value), D3DERR_INVALIDCALL) << notScalar;
    EXPECT_EQ(effect->GetInt(FindParameter(effect, "LocalTime"), nullptr), D3DERR_INVALIDCALL);

    D3DXHANDLE diffuse = FindParameter(effect, "MaterialDiffuse");
    EXPECT_EQ(AnnotationInt(effect, diffuse, "Order"), 2);
    D3DXPARAMETER_DESC annotation{};
    ASSERT_EQ(effect->GetParameterDesc(effect->GetAnnotationByName(diffuse, "UIName"), &annotation), D3D_OK);
    EXPECT_EQ(annotation.Type, D3DXPT_STRING);
    EXPECT_EQ(annotation.Flags, D3DX_PARAMETER_ANNOTATION);
}

TEST_F(EffectTest, TechniquesKeepDeclarationOrderPassesAndAnnotations)
{
    ID3DXEffect* effect = MustCreate(kDeclarations);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(TechniqueNames(effect), (std::vector<std::string>{"Simple", "Skin", "Outline", "<unnamed>"}));

    const struct {
        const char* name;
        UINT passes, annotations;
    } techniques[] = {{"Simple", 2, 5}, {"Skin", 1, 0}, {"Outline", 0, 0}};
    for (const auto& expected : techniques) {
        D3DXHANDLE technique = effect->GetTechniqueByName(expected.name);
        ASSERT_NE(technique, nullptr) << expected.name;
        D3DXTECHNIQUE_DESC desc{};
        ASSERT_EQ(effect->GetTechniqueDesc(technique, &desc), D3D_OK);
        EXPECT_STREQ(desc.Name, expected.name);
        EXPECT_EQ(desc.Passes, expected.passes) << expected.name;
        EXPECT_EQ(desc.Annotations, expected.annotations) << expected.name;
    }
    EXPECT_EQ(effect->GetTechniqueByName("skin"), nullptr) << "names compare with case";
    EXPECT_EQ(effect->GetTechniqueByName("Missing"), nullptr);
    EXPECT_EQ(effect->GetTechniqueByName(nullptr), nullptr);

    D3DXHANDLE simple = effect->GetTechniqueByName("Simple");
    EXPECT_EQ(AnnotationInt(effect, simple, "MaxPointLight"), 4);
    EXPECT_EQ(AnnotationInt(effect, simple, "MaxSpotLight"), 2);
    EXPECT_EQ(AnnotationInt(effect, simple, "MaxMultiRT"), 3) << "floats truncate";
    EXPECT_EQ(AnnotationInt(effect, simple, "OptionFlags"), 1);
    EXPECT_EQ(AnnotationInt(effect, simple, "Note"), -999) << "a string has no integer value";
    EXPECT_EQ(effect->GetAnnotationByName(simple, "Order"), nullptr) << "pass annotations stay with the pass";
    EXPECT_EQ(effect->GetAnnotationByName(effect->GetTechniqueByName("Skin"), "MaxPointLight"), nullptr);
}

TEST_F(EffectTest, ForeignAndMistypedHandlesAreRefused)
{
    ID3DXEffect* first = MustCreate(kDeclarations);
    ID3DXEffect* second = MustCreate(kDeclarations);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    D3DXHANDLE parameter = FindParameter(first, "LocalTime");
    D3DXHANDLE technique = first->GetTechniqueByName("Simple");
    D3DXPARAMETER_DESC parameterDesc{};
    D3DXTECHNIQUE_DESC techniqueDesc{};
    INT value = 0;
    D3DXHANDLE next = nullptr;

    EXPECT_EQ(second->GetParameterDesc(parameter, &parameterDesc), D3DERR_INVALIDCALL);
    EXPECT_EQ(second->GetInt(parameter, &value), D3DERR_INVALIDCALL);
    EXPECT_EQ(second->GetTechniqueDesc(technique, &techniqueDesc), D3DERR_INVALIDCALL);
    EXPECT_EQ(second->FindNextValidTechnique(technique, &next), D3DERR_INVALIDCALL);
    EXPECT_EQ(second->GetAnnotationByName(technique, "MaxPointLight"), nullptr);
    EXPECT_EQ(first->GetParameterDesc(technique, &parameterDesc), D3DERR_INVALIDCALL) << "a technique";
    EXPECT_EQ(first->GetTechniqueDesc(parameter, &techniqueDesc), D3DERR_INVALIDCALL) << "a parameter";
    EXPECT_EQ(first->GetParameterDesc("LocalTime", &parameterDesc), D3DERR_INVALIDCALL) << "a name";
    EXPECT_EQ(first->GetParameterDesc(nullptr, &parameterDesc), D3DERR_INVALIDCALL);
    EXPECT_EQ(first->FindNextValidTechnique(nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(first->GetDesc(nullptr), D3DERR_INVALIDCALL);
}

TEST_F(EffectTest, EmptyEffectHasNothingToEnumerate)
{
    ID3DXEffect* effect = MustCreate("// nothing but a comment\n;\n");
    ASSERT_NE(effect, nullptr);
    D3DXHANDLE next = reinterpret_cast<D3DXHANDLE>(0x1);
    EXPECT_EQ(effect->FindNextValidTechnique(nullptr, &next), D3D_OK);
    EXPECT_EQ(next, nullptr);
    EXPECT_EQ(effect->GetParameter(nullptr, 0), nullptr);
}
