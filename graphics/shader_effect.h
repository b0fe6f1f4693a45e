// GxShaderEffect: a D3DX effect loaded from a game file (".fx" source or ".fxbin" compiled,
// with its ".tcl" technique list), its techniques with their four limits, its parameters, and
// the handles of the standard parameters that drawing code sets before each draw.
#pragma once

#include "graphics/d3d_resource.h"
#include "platform/d3d9/d3dx_effect.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Slots of the scene table, in table order.
enum GxShaderSceneParam : std::int32_t {
    kShaderMatWorld = 0,
    kShaderMatInvWorld,
    kShaderMatViewProj,
    kShaderMatWorldViewProj,
    kShaderMatBones,
    kShaderCameraPos,
    kShaderCameraDir,
    kShaderLocalCenter,
    kShaderLocalTime,
    kShaderGlobalTime,
    kShaderFogParam,
    kShaderFogColor,
    kShaderGroundToSkyDir,
    kShaderSkyColor,
    kShaderGroundColor,
    kShaderDirLightDir,
    kShaderDirLightColor,
    kShaderPointLightPos,
    kShaderPointLightColor,
    kShaderSpotLightPos,
    kShaderSpotLightDir,
    kShaderSpotLightColor,
    kShaderSceneParamCount,   // 22
};

// Slots of the material table, in table order.
enum GxShaderMaterialParam : std::int32_t {
    kShaderUVChannel = 0,
    kShaderMaterialAlpha,
    kShaderMaterialDiffuse,
    kShaderMaterialSpecular,
    kShaderMaterialAmbient,
    kShaderMaterialEmissive,
    kShaderMaterialPower,
    kShaderMaterialOffsetU,
    kShaderMaterialOffsetV,
    kShaderPatternIndex,
    kShaderMaterialParamCount,   // 10
};

// The standard names, matched without regard to the case of A-Z.
extern const char* const kShaderSceneParamNames[kShaderSceneParamCount];
extern const char* const kShaderMaterialParamNames[kShaderMaterialParamCount];

struct GxShaderTechnique {
    D3DXHANDLE m_Handle = nullptr;
    std::u16string m_Name;
    std::uint32_t m_PassCount = 0;
    std::uint32_t m_AnnotationCount = 0;
    // The technique's integer annotations of these names; 0 when absent.
    std::int32_t m_MaxPointLight = 0;
    std::int32_t m_MaxSpotLight = 0;
    std::int32_t m_MaxMultiRT = 0;
    std::int32_t m_OptionFlags = 0;
};

// As D3DX describes the parameter.
struct GxShaderParameter {
    D3DXHANDLE m_Handle = nullptr;
    std::u16string m_Name;
    std::u16string m_Semantic;   // empty when none
    std::uint32_t m_Class = 0;
    std::uint32_t m_Type = 0;
    std::uint32_t m_Rows = 0;
    std::uint32_t m_Columns = 0;
    std::uint32_t m_Elements = 0;
    std::uint32_t m_Annotations = 0;
    std::uint32_t m_StructMembers = 0;
    std::uint32_t m_Flags = 0;
    std::uint32_t m_Bytes = 0;
};

class GxShaderEffect : public GxD3DResourceBase {
public:
    GxShaderEffect();
    ~GxShaderEffect() override;

    // At count 0 the effect is let go: object type 0, name empty, not loaded, lists and handle
    // tables emptied, and the resource leaves the registry.
    std::uint32_t Release() override;
    void OnLostDevice() override;
    void OnResetDevice() override;
    std::uint32_t GetVideoMemorySize() const override { return 0; }

    // Registered and given its first reference whether or not the file loads; the result is
    // whether it did.
    bool Load(std::u16string_view name);
    // Reads its file again (the same name); false leaves it without an effect.
    bool Reload();
    // The ".fx" or ".fxbin" file of `name` (source first when `preferSource`), its ".tcl" list.
    bool CreateFromFile(const std::u16string& name, bool preferSource);

    // `names` null (or empty): every technique in declaration order.
    void BuildTechniqueList(const std::vector<std::string>* names);
    void AddTechnique(D3DXHANDLE technique);
    void BindParameters();

    ID3DXEffect* GetEffect() const { return m_Effect; }
    bool IsLoaded() const { return m_Loaded; }
    const std::vector<GxShaderTechnique>& GetTechniques() const { return m_Techniques; }
    const std::vector<GxShaderParameter>& GetParameters() const { return m_Parameters; }
    // Null for a slot the effect lacks or an index outside the table.
    D3DXHANDLE GetSceneParameter(std::int32_t slot) const;
    D3DXHANDLE GetMaterialParameter(std::int32_t slot) const;

private:
    // The D3DX effect, both lists and both tables.
    void DropEffect();

    ID3DXEffect* m_Effect = nullptr;
    D3DXHANDLE m_SceneParams[kShaderSceneParamCount] = {};
    D3DXHANDLE m_MaterialParams[kShaderMaterialParamCount] = {};
    bool m_Loaded = false;
    std::vector<GxShaderTechnique> m_Techniques;
    std::vector<GxShaderParameter> m_Parameters;
};
