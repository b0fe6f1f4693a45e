#include "tests/platform/d3dx_effect/effect_fixture.h"

#include <cstring>

HRESULT MapInclude::Open(D3DXINCLUDE_TYPE type, LPCSTR fileName, LPCVOID, LPCVOID* data, UINT* bytes)
{
    const std::string name = fileName;
    log.push_back("open " + name + (type == D3DXINC_SYSTEM ? " (system)" : " (local)"));
    const auto it = files.find(name);
    if (it == files.end()) {
        *data = nullptr;
        *bytes = 0;
        return E_FAIL;
    }
    ++openCount;
    char* copy = new char[it->second.size() + 1];
    std::memcpy(copy, it->second.data(), it->second.size());
    copy[it->second.size()] = '!';   // past the size: must never be read
    m_Open.push_back({name, copy});
    *data = copy;
    *bytes = static_cast<UINT>(it->second.size());
    return S_OK;
}

HRESULT MapInclude::Close(LPCVOID data)
{
    for (auto it = m_Open.begin(); it != m_Open.end(); ++it) {
        if (it->bytes == data) {
            log.push_back("close " + it->name);
            delete[] it->bytes;
            m_Open.erase(it);
            return S_OK;
        }
    }
    ADD_FAILURE() << "Close of data that is not open";
    return E_FAIL;
}

MapInclude::~MapInclude()
{
    EXPECT_TRUE(m_Open.empty()) << "include files left open";
    for (auto& file : m_Open) delete[] file.bytes;
}

void EffectTest::SetUp()
{
    m_Direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(m_Direct3D, nullptr);
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferWidth = 16;
    parameters.BackBufferHeight = 16;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = TRUE;
    parameters.hDeviceWindow = reinterpret_cast<HWND>(0x1);   // headless
    ASSERT_EQ(m_Direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, parameters.hDeviceWindow,
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &m_Device),
              D3D_OK);
}

void EffectTest::TearDown()
{
    for (ID3DXEffect* effect : m_Effects) effect->Release();
    if (m_Device) m_Device->Release();
    if (m_Direct3D) m_Direct3D->Release();
}

EffectResult EffectTest::Create(const std::string& source, ID3DXInclude* include, ID3DXEffectPool* pool,
                                const D3DXMACRO* defines)
{
    EffectResult out;
    ID3DXBuffer* errors = nullptr;
    out.result = D3DXCreateEffect(m_Device, source.data(), static_cast<UINT>(source.size()), defines, include,
                                  D3DXSHADER_SKIPVALIDATION, pool, &out.effect, &errors);
    if (errors) {
        out.errors.assign(static_cast<const char*>(errors->GetBufferPointer()), errors->GetBufferSize());
        EXPECT_FALSE(out.errors.empty());
        EXPECT_EQ(out.errors.back(), '\0') << "messages end with a NUL";
        out.errors.pop_back();
        errors->Release();
    }
    if (out.effect) m_Effects.push_back(out.effect);
    return out;
}

ID3DXEffect* EffectTest::MustCreate(const std::string& source, ID3DXInclude* include, ID3DXEffectPool* pool,
                                    const D3DXMACRO* defines)
{
    const EffectResult created = Create(source, include, pool, defines);
    EXPECT_EQ(created.result, D3D_OK) << created.errors;
    EXPECT_TRUE(created.errors.empty());
    return created.effect;
}

D3DXHANDLE EffectTest::FindParameter(ID3DXEffect* effect, const char* name)
{
    D3DXEFFECT_DESC desc{};
    if (effect->GetDesc(&desc) != D3D_OK) return nullptr;
    for (UINT i = 0; i < desc.Parameters; ++i) {
        D3DXHANDLE handle = effect->GetParameter(nullptr, i);
        D3DXPARAMETER_DESC parameter{};
        if (effect->GetParameterDesc(handle, &parameter) == D3D_OK && std::strcmp(parameter.Name, name) == 0)
            return handle;
    }
    return nullptr;
}

D3DXPARAMETER_DESC EffectTest::ParameterDesc(ID3DXEffect* effect, const char* name)
{
    D3DXPARAMETER_DESC desc{};
    D3DXHANDLE handle = FindParameter(effect, name);
    EXPECT_NE(handle, nullptr) << name;
    if (handle) {
        EXPECT_EQ(effect->GetParameterDesc(handle, &desc), D3D_OK);
    }
    return desc;
}

INT EffectTest::AnnotationInt(ID3DXEffect* effect, D3DXHANDLE object, const char* name, INT fallback)
{
    D3DXHANDLE annotation = effect->GetAnnotationByName(object, name);
    INT value = fallback;
    if (!annotation || effect->GetInt(annotation, &value) != D3D_OK) return fallback;
    return value;
}

std::vector<std::string> EffectTest::TechniqueNames(ID3DXEffect* effect)
{
    std::vector<std::string> names;
    D3DXHANDLE technique = nullptr;
    while (effect->FindNextValidTechnique(technique, &technique) == D3D_OK && technique) {
        D3DXTECHNIQUE_DESC desc{};
        EXPECT_EQ(effect->GetTechniqueDesc(technique, &desc), D3D_OK);
        names.push_back(desc.Name ? desc.Name : "<unnamed>");
        if (names.size() > 100) break;
    }
    return names;
}
