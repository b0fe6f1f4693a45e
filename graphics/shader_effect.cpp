#include "graphics/shader_effect.h"

#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/d3d_names.h"
#include "graphics/graphics.h"
#include "graphics/shader_include.h"

#include <cstdint>
#include <cstring>

const char* const kShaderSceneParamNames[kShaderSceneParamCount] = {
    "MatWorld",      "MatInvWorld",    "MatViewProj",   "MatWorldViewProj", "MatBones",      "CameraPos",
    "CameraDir",     "LocalCenter",    "LocalTime",     "GlobalTime",       "FogParam",      "FogColor",
    "GroundToSkyDir", "SkyColor",      "GroundColor",   "DirLightDir",      "DirLightColor", "PointLightPos",
    "PointLightColor", "SpotLightPos", "SpotLightDir",  "SpotLightColor",
};

const char* const kShaderMaterialParamNames[kShaderMaterialParamCount] = {
    "UVChannel",        "MaterialAlpha", "MaterialDiffuse", "MaterialSpecular", "MaterialAmbient",
    "MaterialEmissive", "MaterialPower", "MaterialOffsetU", "MaterialOffsetV",  "PatternIndex",
};

namespace {

bool EqualsIgnoringAsciiCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        char x = *a;
        char y = *b;
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
        if (x == '\0') return true;
    }
}

// A handle or pointer value for log lines, in lower-case hexadecimal.
std::u16string HexValue(const void* pointer)
{
    return FormatNarrowToWide("%llx", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(pointer)));
}

std::u16string WideOrEmpty(const char* text)
{
    return text ? MultiByteToWide(text) : std::u16string();
}

}  // namespace

GxShaderEffect::GxShaderEffect() = default;

GxShaderEffect::~GxShaderEffect()
{
    ReleaseAll();
}

std::uint32_t GxShaderEffect::Release()
{
    GxMutexScopedLock lock(GetResourceLock());
    if (m_RefCount == 0) return 0;
    if (GxD3DResourceBase::Release() > 0) return m_RefCount;
    DropEffect();
    SetObjectType(kObjTypeNone);
    m_Name.clear();
    UnregisterD3DResource(this);
    return 0;
}

void GxShaderEffect::OnLostDevice()
{
    if (m_Effect) m_Effect->OnLostDevice();
}

void GxShaderEffect::OnResetDevice()
{
    if (m_Effect) m_Effect->OnResetDevice();
}

void GxShaderEffect::DropEffect()
{
    if (m_Effect) m_Effect->Release();
    m_Effect = nullptr;
    m_Loaded = false;
    m_Techniques.clear();
    m_Parameters.clear();
    for (D3DXHANDLE& handle : m_SceneParams) handle = nullptr;
    for (D3DXHANDLE& handle : m_MaterialParams) handle = nullptr;
}

bool GxShaderEffect::Load(std::u16string_view name)
{
    ReleaseAll();
    m_Loaded = false;
    SetObjectType(kObjTypeShaderEffect);
    SetName(name);
    m_Loaded = CreateFromFile(std::u16string(name), GxGraphics::IsEffectPoolCreated());
    EnterRegistry();
    return m_Loaded;
}

bool GxShaderEffect::Reload()
{
    DropEffect();
    m_Loaded = CreateFromFile(m_Name, GxGraphics::IsEffectPoolCreated());
    return m_Loaded;
}

bool GxShaderEffect::CreateFromFile(const std::u16string& name, bool preferSource)
{
    const std::u16string sourcePath = ChangeFileExtension(name, u".fx");
    const std::u16string compiledPath = ChangeFileExtension(name, u".fxbin");
    std::u16string path;
    if (preferSource) {
        path = FileExists(sourcePath) != kFileNotFound ? sourcePath : compiledPath;
    } else {
        path = FileExists(compiledPath) != kFileNotFound ? compiledPath : sourcePath;
    }
    const bool isSource = path == sourcePath;

    // A missing file leaves the buffer empty, which D3DX refuses: the failure is logged below.
    GxBinBuffer file;
    GxFile::ReadWholeFile(file, path);
    GxShaderInclude include(GetFolderFromPath(path));
    ID3DXBuffer* messages = nullptr;
    ID3DXEffect* effect = nullptr;
    const HRESULT result = D3DXCreateEffect(GxGraphics::GetDevice(), file.GetData(), file.GetSize(), nullptr,
                                            &include, isSource ? D3DXSHADER_SKIPVALIDATION : 0,
                                            GxGraphics::GetEffectPool(), &effect, &messages);
    if (FAILED(result)) {
        LogPrint(u"Error/GxShaderEffect CreateFromFile Failed(Name:\"%s\" %s)\n", path.c_str(),
                 DescribeD3DError(result).c_str());
        if (messages) {
            std::string text(static_cast<const char*>(messages->GetBufferPointer()), messages->GetBufferSize());
            // The line ends are the log line's own.
            while (!text.empty() && (text.back() == '\0' || text.back() == '\n' || text.back() == '\r'))
                text.pop_back();
            LogPrint(u"%s\n", MultiByteToWide(text).c_str());
            messages->Release();
        }
        if (effect) effect->Release();
        return false;
    }
    m_Effect = effect;

    const std::u16string listPath = ChangeFileExtension(name, u".tcl");
    std::vector<std::string> names;
    const bool haveList = FileExists(listPath) != kFileNotFound && LoadTextLines(names, listPath, true) &&
                          !names.empty();
    BuildTechniqueList(haveList ? &names : nullptr);
    BindParameters();
    if (messages) messages->Release();
    return m_Effect != nullptr;
}

void GxShaderEffect::BuildTechniqueList(const std::vector<std::string>* names)
{
    m_Techniques.clear();
    if (!m_Effect) return;
    if (names && !names->empty()) {
        for (const std::string& techniqueName : *names)
            AddTechnique(m_Effect->GetTechniqueByName(techniqueName.c_str()));
        return;
    }
    D3DXHANDLE technique = nullptr;
    while (SUCCEEDED(m_Effect->FindNextValidTechnique(technique, &technique)) && technique) AddTechnique(technique);
}

void GxShaderEffect::AddTechnique(D3DXHANDLE technique)
{
    if (!m_Effect) return;
    D3DXTECHNIQUE_DESC desc{};
    if (FAILED(m_Effect->GetTechniqueDesc(technique, &desc))) {
        LogPrint(u"CreateTechniqueList/GetTechniqueDesc failed %s\n", HexValue(technique).c_str());
        return;
    }
    GxShaderTechnique record;
    record.m_Handle = technique;
    record.m_Name = WideOrEmpty(desc.Name);
    record.m_PassCount = desc.Passes;
    record.m_AnnotationCount = desc.Annotations;
    const struct {
        const char* name;
        std::int32_t* value;
    } limits[] = {
        {"MaxPointLight", &record.m_MaxPointLight},
        {"MaxSpotLight", &record.m_MaxSpotLight},
        {"MaxMultiRT", &record.m_MaxMultiRT},
        {"OptionFlags", &record.m_OptionFlags},
    };
    for (const auto& limit : limits) {
        D3DXHANDLE annotation = m_Effect->GetAnnotationByName(technique, limit.name);
        INT value = 0;
        if (annotation && SUCCEEDED(m_Effect->GetInt(annotation, &value))) *limit.value = value;
    }
    m_Techniques.push_back(std::move(record));
}

void GxShaderEffect::BindParameters()
{
    m_Parameters.clear();
    if (!m_Effect) return;
    D3DXEFFECT_DESC effectDesc{};
    if (FAILED(m_Effect->GetDesc(&effectDesc))) return;
    m_Parameters.reserve(effectDesc.Parameters);
    for (D3DXHANDLE& handle : m_SceneParams) handle = nullptr;
    for (D3DXHANDLE& handle : m_MaterialParams) handle = nullptr;

    for (UINT index = 0; index < effectDesc.Parameters; ++index) {
        D3DXHANDLE handle = m_Effect->GetParameter(nullptr, index);
        D3DXPARAMETER_DESC desc{};
        if (!handle || FAILED(m_Effect->GetParameterDesc(handle, &desc)) || !desc.Name) continue;
        GxShaderParameter parameter;
        parameter.m_Handle = handle;
        parameter.m_Name = MultiByteToWide(desc.Name);
        parameter.m_Semantic = WideOrEmpty(desc.Semantic);
        parameter.m_Class = desc.Class;
        parameter.m_Type = desc.Type;
        parameter.m_Rows = desc.Rows;
        parameter.m_Columns = desc.Columns;
        parameter.m_Elements = desc.Elements;
        parameter.m_Annotations = desc.Annotations;
        parameter.m_StructMembers = desc.StructMembers;
        parameter.m_Flags = desc.Flags;
        parameter.m_Bytes = desc.Bytes;
        m_Parameters.push_back(std::move(parameter));

        // Every matching slot takes the handle; a later parameter of the same name wins.
        for (std::int32_t slot = 0; slot < kShaderSceneParamCount; ++slot)
            if (EqualsIgnoringAsciiCase(desc.Name, kShaderSceneParamNames[slot])) m_SceneParams[slot] = handle;
        for (std::int32_t slot = 0; slot < kShaderMaterialParamCount; ++slot)
            if (EqualsIgnoringAsciiCase(desc.Name, kShaderMaterialParamNames[slot])) m_MaterialParams[slot] = handle;
    }
}

D3DXHANDLE GxShaderEffect::GetSceneParameter(std::int32_t slot) const
{
    return slot >= 0 && slot < kShaderSceneParamCount ? m_SceneParams[slot] : nullptr;
}

D3DXHANDLE GxShaderEffect::GetMaterialParameter(std::int32_t slot) const
{
    return slot >= 0 && slot < kShaderMaterialParamCount ? m_MaterialParams[slot] : nullptr;
}
