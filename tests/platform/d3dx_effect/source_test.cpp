// Reading effect source: the preprocessor, includes, messages for bad source, compiled files,
// pools and reference counts.
#include "tests/platform/d3dx_effect/effect_fixture.h"

#include <pthread.h>

#include <functional>

namespace {

// Runs `body` on a thread with a 512 KiB stack, the least a thread of the engine may have.
void RunOnSmallStack(const std::function<void()>& body)
{
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, 512 * 1024), 0);
    pthread_t thread;
    auto run = [](void* argument) -> void* {
        (*static_cast<const std::function<void()>*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, const_cast<std::function<void()>*>(&body)), 0);
    pthread_attr_destroy(&attributes);
    pthread_join(thread, nullptr);
}

std::vector<std::string> ParameterNames(ID3DXEffect* effect)
{
    std::vector<std::string> names;
    D3DXPARAMETER_DESC desc{};
    for (UINT i = 0; effect->GetParameterDesc(effect->GetParameter(nullptr, i), &desc) == D3D_OK; ++i)
        names.push_back(desc.Name);
    return names;
}

}  // namespace

TEST_F(EffectTest, PreprocessorExpandsMacrosAndChoosesSections)
{
    const char* source = R"(#define MAX_LIGHTS 4
#define DOUBLE(x) ((x) * 2)
#define DECLARE(type, name) type name : name##_SEM
float4 PointLightPos[MAX_LIGHTS];
float4 Spot[DOUBLE(MAX_LIGHTS)];
DECLARE(float3, Eye);
#if defined(MAX_LIGHTS) && MAX_LIGHTS >= 4 && !defined NOPE
float Yes;
#elif 1
float No1;
#else
float No2;
#endif
#ifdef FROM_CALLER
float Caller[FROM_CALLER];
#endif
#ifndef MAX_LIGHTS
float No3;
#endif
#undef MAX_LIGHTS
#ifdef MAX_LIGHTS
float No4;
#endif
#if 0
  It's a note with an apostrophe and a "broken string
  #include "missing.fxh"
  #error not here
# if 1
float No5;
# endif
#elif UNDEFINED_NAME
float No6;
#endif
/* block comment: float No7;
   #define NOT_A_MACRO */
// line comment: float No8;
#define LONG_LINE float \
   Spliced
LONG_LINE;
#pragma warning(disable: 1234)
#ifdef NOT_A_MACRO
float No9;
#endif
)";
    const D3DXMACRO defines[] = {{"FROM_CALLER", "3"}, {nullptr, nullptr}};
    ID3DXEffect* effect = MustCreate(source, nullptr, nullptr, defines);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(ParameterNames(effect),
              (std::vector<std::string>{"PointLightPos", "Spot", "Eye", "Yes", "Caller", "Spliced"}));
    EXPECT_EQ(ParameterDesc(effect, "PointLightPos").Elements, 4u);
    EXPECT_EQ(ParameterDesc(effect, "Spot").Elements, 8u);
    EXPECT_STREQ(ParameterDesc(effect, "Eye").Semantic, "Eye_SEM");
    EXPECT_EQ(ParameterDesc(effect, "Caller").Elements, 3u);
}

TEST_F(EffectTest, NestedIncludesAreReadWhileTheirParentsStayOpen)
{
    MapInclude include;
    include.files["common.fxh"] = "float Common1;\n#include \"sub/nested.fxh\"\nfloat Common2;\n";
    include.files["sub/nested.fxh"] = "#define FROM_NESTED 2\nfloat Nested[FROM_NESTED];";   // no final newline
    include.files["system.fxh"] = "float System;\n";
    const char* source = "#include \"common.fxh\"\n#include <system.fxh>\nfloat Main[FROM_NESTED];\n";
    ID3DXEffect* effect = MustCreate(source, &include);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(ParameterNames(effect),
              (std::vector<std::string>{"Common1", "Nested", "Common2", "System", "Main"}));
    EXPECT_EQ(include.log, (std::vector<std::string>{"open common.fxh (local)", "open sub/nested.fxh (local)",
                                                     "close sub/nested.fxh", "close common.fxh",
                                                     "open system.fxh (system)", "close system.fxh"}));
}

TEST_F(EffectTest, IncludeFailuresNameTheFileAndCloseEverythingOpened)
{
    MapInclude include;
    include.files["common.fxh"] = "float Common;\n#include \"gone.fxh\"\n";
    include.files["loop.fxh"] = "#include \"loop.fxh\"\n";
    include.files["bad.fxh"] = "float\n  x y;\n";

    EffectResult missing = Create("#include \"common.fxh\"\n", &include);
    EXPECT_EQ(missing.result, E_FAIL);
    EXPECT_EQ(missing.effect, nullptr);
    EXPECT_EQ(missing.errors, "common.fxh(2,2): error X1507: failed to open source file: 'gone.fxh'\n");

    EffectResult loop = Create("#include \"loop.fxh\"\n", &include);
    EXPECT_EQ(loop.result, E_FAIL);
    EXPECT_NE(loop.errors.find("nested too deeply"), std::string::npos) << loop.errors;

    EffectResult bad = Create("float a;\n#include \"bad.fxh\"\n", &include);
    EXPECT_EQ(bad.result, E_FAIL);
    EXPECT_EQ(bad.errors, "bad.fxh(2,5): error X3000: syntax error: unexpected token 'y'\n");

    EffectResult noHandler = Create("#include \"common.fxh\"\n", nullptr);
    EXPECT_EQ(noHandler.result, E_FAIL);
    EXPECT_EQ(noHandler.errors, "memory(1,2): error X1507: failed to open source file: 'common.fxh'\n");
    // ~MapInclude checks that every opened file was closed.
}

TEST_F(EffectTest, SourceErrorsComeBackAsOneMessageLine)
{
    const struct {
        const char* source;
        const char* message;
    } cases[] = {
        {"float4 x\nfloat y;", "memory(2,1): error X3000: syntax error: unexpected token 'float'"},
        {"float x = 1;\nfoo y;", "memory(2,1): error X3004: unrecognized identifier 'foo'"},
        {"float a;\nfloat a;", "memory(2,7): error X3003: redefinition of 'a'"},
        {"technique T { pass P { } bogus }", "memory(1,26): error X3000: syntax error: unexpected token 'bogus'"},
        {"float4 v : register(c0", "memory(1,23): error X3000: syntax error: unexpected end of file"},
        {"technique T { pass P { ", "memory(1,24): error X3000: syntax error: unexpected end of file"},
        {"float x <int a = 1;", "memory(1,20): error X3000: syntax error: unexpected end of file"},
        {"float a[0];",
         "memory(1,8): error X3058: array dimensions must be literal scalar expressions from 1 to 65536"},
        {"float a[100000];",
         "memory(1,8): error X3058: array dimensions must be literal scalar expressions from 1 to 65536"},
        {"float a[1e300];",
         "memory(1,8): error X3058: array dimensions must be literal scalar expressions from 1 to 65536"},
        {"float a[N];",
         "memory(1,8): error X3058: array dimensions must be literal scalar expressions from 1 to 65536"},
        {"void v;", "memory(1,6): error X3038: 'v': variables cannot be void"},
        {"/* open", "memory(1,1): error X1000: unterminated comment"},
        {"float x = \"abc;", "memory(1,11): error X1000: newline in string"},
        {"float @;", "memory(1,7): error X1000: invalid character '@'"},
        {"#ifdef A\nfloat x;",
         "memory(2,9): error X1504: unexpected end of file in a conditional section (#endif missing)"},
        {"#endif", "memory(1,2): error X1501: #endif without #if"},
        {"#if 1\n#else\n#else\n#endif", "memory(3,2): error X1501: #else after #else"},
        {"#if 1 +\n#endif", "memory(1,2): error X1501: invalid #if expression: unexpected end of expression"},
        {"#if 1 / 0\n#endif", "memory(1,2): error X1501: invalid #if expression: division by zero"},
        {"#error stop here", "memory(1,2): error X1503: #error: stop here"},
        {"#frobnicate", "memory(1,2): error X1501: unknown preprocessor directive '#frobnicate'"},
        {"#define F(a, b) a\nfloat F(1);", "memory(2,7): error X1505: macro 'F' expects 2 arguments, 1 given"},
        {"#define F(a) a\nfloat F(1", "memory(2,7): error X1504: unexpected end of file in the arguments of macro 'F'"},
        {"#include missing.fxh", "memory(1,2): error X1501: #include expects \"FILENAME\" or <FILENAME>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        const EffectResult created = Create(c.source);
        EXPECT_EQ(created.result, E_FAIL);
        EXPECT_EQ(created.effect, nullptr);
        EXPECT_EQ(created.errors, std::string(c.message) + "\n");
    }
}

TEST_F(EffectTest, SelfReferentialAndExplosiveMacrosEnd)
{
    // A macro naming itself stays a name; doubling macros hit the expansion limit.
    ID3DXEffect* effect = MustCreate("#define Self Self\nfloat Self;\n");
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(ParameterNames(effect), (std::vector<std::string>{"Self"}));

    std::string explosive = "#define M0 x x\n";
    for (int i = 1; i < 30; ++i)
        explosive +=
            "#define M" + std::to_string(i) + " M" + std::to_string(i - 1) + " M" + std::to_string(i - 1) + "\n";
    explosive += "float f() { M29 }\n";
    const EffectResult created = Create(explosive);
    EXPECT_EQ(created.result, E_FAIL);
    EXPECT_NE(created.errors.find("macro expansion too large"), std::string::npos) << created.errors;
}

TEST_F(EffectTest, ConditionExpressionsFollowOperatorPrecedence)
{
    // Each holds only when the operators bind as in C.
    for (const char* condition : {
             "2 + 3 * 4 == 14", "(1 << 2 + 1) == 8", "7 - 2 - 1 == 4", "100 / 10 / 5 == 2", "-2 * -3 == 6",
             "!0 + 1 == 2", "~0 == -1", "1 | 2 ^ 3 & 1 == 3", "(1 < 2) == 1", "3 > 2 > 1 == 0",
             "0 && 1 || 1", "!(1 || 0 && 0) == 0", "(0 ? 1 : 0 ? 2 : 3) == 3", "(1 ? 0 ? 4 : 5 : 6) == 5",
             "(1 ? 2 : 3) + 1 == 3", "5 % 3 * 2 == 4", "1.5 * 2 == 3", "-(-(2)) == 2",
         }) {
        const EffectResult created = Create(std::string("#if ") + condition + "\nfloat Yes;\n#endif\n");
        ASSERT_EQ(created.result, D3D_OK) << condition << ": " << created.errors;
        EXPECT_EQ(ParameterNames(created.effect), (std::vector<std::string>{"Yes"})) << condition;
    }
}

TEST_F(EffectTest, DeepNestingIsRefusedNotRecursedInto)
{
    std::string structs;
    for (int i = 0; i < 40; ++i) structs += "struct { ";
    const EffectResult nestedStructs = Create(structs + "float x;");
    EXPECT_EQ(nestedStructs.result, E_FAIL);
    EXPECT_NE(nestedStructs.errors.find("structs nested too deeply"), std::string::npos) << nestedStructs.errors;

    // Expressions: the deepest accepted nesting and the refused ones fit a small stack.
    RunOnSmallStack([&] {
        std::string deepest = "#if " + std::string(255, '(') + "1" + std::string(255, ')') + " && ";
        for (int i = 0; i < 255; ++i) deepest += "- ";
        deepest += "1\nfloat Deepest;\n#endif\n";
        const EffectResult accepted = Create(deepest);
        EXPECT_EQ(accepted.result, D3D_OK) << accepted.errors;
        if (accepted.effect) {
            EXPECT_EQ(ParameterNames(accepted.effect), (std::vector<std::string>{"Deepest"}));
        }

        std::string chain = "#if 0";
        for (int i = 0; i < 255; ++i) chain += " ? 0 : 0 || (1 + 2 * (3 << 1) == 13";
        chain += std::string(255, ')') + "\nfloat Chained;\n#endif\n";
        const EffectResult chained = Create(chain);
        EXPECT_EQ(chained.result, E_FAIL);
        EXPECT_NE(chained.errors.find("expression nested too deeply"), std::string::npos) << chained.errors;

        for (const char* opener : {"(", "- ", "!", "~"}) {
            std::string source = "#if ";
            for (int i = 0; i < 5000; ++i) source += opener;
            source += "1" + std::string(std::string(opener) == "(" ? 5000 : 0, ')') + "\n#endif\n";
            const EffectResult refused = Create(source);
            EXPECT_EQ(refused.result, E_FAIL) << opener;
            EXPECT_NE(refused.errors.find("expression nested too deeply"), std::string::npos) << refused.errors;
        }
    });

    // Conditional sections only stack up: any depth is fine.
    std::string sections;
    for (int i = 0; i < 2000; ++i) sections += "#if 1\n";
    sections += "float Deep;\n";
    for (int i = 0; i < 2000; ++i) sections += "#endif\n";
    ID3DXEffect* effect = MustCreate(sections);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(ParameterNames(effect), (std::vector<std::string>{"Deep"}));
}

TEST_F(EffectTest, EveryTruncationOfAnEffectFailsCleanlyOrSucceeds)
{
    MapInclude include;
    include.files["common.fxh"] = "#define N 2\nshared float4 Fog[N] < int a = 1; >;\n";
    const std::string source =
        "#include \"common.fxh\"\n#if N > 1\nstruct S { float a; float2 b : TEXCOORD0; };\n#endif\n"
        "S s[2] : register(c4);\nfloat4x4 m <string n = \"x\";> = {1,2,3,4, 5,6,7,8, 9,10,11,12, 13,14,15,16};\n"
        "sampler Samp = sampler_state { Texture = <Tex>; };\n"
        "float4 PS(float2 uv : TEXCOORD0) : COLOR { return tex2D(Samp, uv); }\n"
        "technique T < int MaxPointLight = 3; > { pass P < int x = 1; > { PixelShader = compile ps_2_0 PS(); } }\n";
    ASSERT_NE(MustCreate(source, &include), nullptr);
    for (std::size_t length = 1; length < source.size(); ++length) {
        const EffectResult created = Create(source.substr(0, length), &include);
        EXPECT_TRUE(created.result == D3D_OK || created.result == E_FAIL) << length;
        EXPECT_EQ(created.result == E_FAIL, !created.errors.empty()) << length;
    }
}

TEST_F(EffectTest, CompiledEffectsAndBadArgumentsAreRefused)
{
    const unsigned char compiled[] = {0x01, 0x09, 0xFF, 0xFE, 0x10, 0x00, 0x00, 0x00};
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    EXPECT_EQ(D3DXCreateEffect(m_Device, compiled, sizeof(compiled), nullptr, nullptr, 0, nullptr, &effect, &errors),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(effect, nullptr);
    ASSERT_NE(errors, nullptr);
    errors->Release();

    const char text[] = "float x;";
    EXPECT_EQ(D3DXCreateEffect(nullptr, text, 8, nullptr, nullptr, 0, nullptr, &effect, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateEffect(m_Device, nullptr, 8, nullptr, nullptr, 0, nullptr, &effect, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateEffect(m_Device, text, 0, nullptr, nullptr, 0, nullptr, &effect, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateEffect(m_Device, text, 8, nullptr, nullptr, 0, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateEffectPool(nullptr), D3DERR_INVALIDCALL);

    // The length is the caller's: bytes past it, or past a NUL, are not source.
    const char withTail[] = "float x;\0garbage {";
    EXPECT_EQ(D3DXCreateEffect(m_Device, withTail, sizeof(withTail), nullptr, nullptr, 0, nullptr, &effect, nullptr),
              D3D_OK);
    ASSERT_NE(effect, nullptr);
    effect->Release();
    EXPECT_EQ(D3DXCreateEffect(m_Device, "float x; garbage", 8, nullptr, nullptr, 0, nullptr, &effect, nullptr),
              D3D_OK);
    ASSERT_NE(effect, nullptr);
    effect->Release();
}

TEST_F(EffectTest, SharedParametersMustAgreeWithinAPool)
{
    ID3DXEffectPool* pool = nullptr;
    ASSERT_EQ(D3DXCreateEffectPool(&pool), D3D_OK);
    const std::string first = "shared float4x4 MatViewProj;\nshared float4 Fog;\n";
    const std::string conflicting = "float a;\nshared float4x3 MatViewProj;\n";

    ID3DXEffect* a = nullptr;
    ID3DXEffect* b = nullptr;
    ASSERT_EQ(D3DXCreateEffect(m_Device, first.data(), UINT(first.size()), nullptr, nullptr, 0, pool, &a, nullptr),
              D3D_OK);
    ASSERT_EQ(D3DXCreateEffect(m_Device, first.data(), UINT(first.size()), nullptr, nullptr, 0, pool, &b, nullptr),
              D3D_OK);

    const EffectResult refused = Create(conflicting, nullptr, pool);
    EXPECT_EQ(refused.result, E_FAIL);
    EXPECT_EQ(refused.errors,
              "memory(2,17): error X3003: shared parameter 'MatViewProj' differs from its declaration in another "
              "effect of the pool\n");
    EXPECT_EQ(Create(conflicting).result, D3D_OK) << "without a pool nothing is shared";

    // The name is free again once every effect declaring it is gone.
    a->Release();
    EXPECT_EQ(Create(conflicting, nullptr, pool).result, E_FAIL);
    b->Release();
    EXPECT_EQ(Create(conflicting, nullptr, pool).result, D3D_OK);
    pool->Release();   // the effect still holds the pool
}

TEST_F(EffectTest, EffectCountsReferencesAndHoldsItsDeviceAndPool)
{
    const auto deviceRefs = [this] {
        m_Device->AddRef();
        return m_Device->Release();
    };
    ID3DXEffectPool* pool = nullptr;
    ASSERT_EQ(D3DXCreateEffectPool(&pool), D3D_OK);
    const ULONG before = deviceRefs();
    ID3DXEffect* effect = nullptr;
    ASSERT_EQ(D3DXCreateEffect(m_Device, "float x;", 8, nullptr, nullptr, 0, pool, &effect, nullptr), D3D_OK);
    EXPECT_EQ(deviceRefs(), before + 1);
    EXPECT_EQ(pool->AddRef(), 3u);
    EXPECT_EQ(pool->Release(), 2u);

    EXPECT_EQ(effect->AddRef(), 2u);
    EXPECT_EQ(effect->OnLostDevice(), D3D_OK);
    EXPECT_EQ(effect->OnResetDevice(), D3D_OK);
    EXPECT_EQ(effect->Release(), 1u);
    EXPECT_EQ(effect->Release(), 0u);
    EXPECT_EQ(deviceRefs(), before);
    EXPECT_EQ(pool->Release(), 0u);
}
