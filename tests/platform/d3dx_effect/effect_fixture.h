// A headless device, an include handler over named texts, and a helper that creates an effect
// from source text and keeps its messages.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/d3dx_effect.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

// Every Open hands out a fresh copy that Close frees, so reading an include after its Close,
// or closing the wrong one, shows under the address sanitizer.
class MapInclude final : public ID3DXInclude {
public:
    std::map<std::string, std::string> files;
    std::vector<std::string> log;   // "open NAME (local|system)", "close NAME"
    int openCount = 0;

    HRESULT Open(D3DXINCLUDE_TYPE type, LPCSTR fileName, LPCVOID parentData, LPCVOID* data, UINT* bytes) override;
    HRESULT Close(LPCVOID data) override;
    ~MapInclude();

private:
    struct OpenFile {
        std::string name;
        char* bytes;
    };
    std::vector<OpenFile> m_Open;
};

struct EffectResult {
    HRESULT result = E_FAIL;
    ID3DXEffect* effect = nullptr;
    std::string errors;
};

class EffectTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    EffectResult Create(const std::string& source, ID3DXInclude* include = nullptr, ID3DXEffectPool* pool = nullptr,
                        const D3DXMACRO* defines = nullptr);
    // Creates, expecting success; released at tear-down.
    ID3DXEffect* MustCreate(const std::string& source, ID3DXInclude* include = nullptr,
                            ID3DXEffectPool* pool = nullptr, const D3DXMACRO* defines = nullptr);

    D3DXPARAMETER_DESC ParameterDesc(ID3DXEffect* effect, const char* name);
    D3DXHANDLE FindParameter(ID3DXEffect* effect, const char* name);
    // GetInt of a named annotation of a handle; `fallback` when missing or unreadable.
    INT AnnotationInt(ID3DXEffect* effect, D3DXHANDLE object, const char* name, INT fallback = -999);
    std::vector<std::string> TechniqueNames(ID3DXEffect* effect);

    IDirect3D9* m_Direct3D = nullptr;
    IDirect3DDevice9* m_Device = nullptr;
    std::vector<ID3DXEffect*> m_Effects;
};
