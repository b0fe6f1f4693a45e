// Fuzz target: effect source with includes. The input is split at NUL bytes: the first part is
// the effect, the others are the include files "1.fxh", "2.fxh" ... that it may name.
#include "tests/fuzz/fuzz_device.h"
#include "platform/d3d9/d3dx_effect.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

class PartInclude final : public ID3DXInclude {
public:
    std::vector<std::string> parts;

    HRESULT Open(D3DXINCLUDE_TYPE, LPCSTR fileName, LPCVOID, LPCVOID* data, UINT* bytes) override
    {
        const std::string name = fileName ? fileName : "";
        for (std::size_t i = 1; i < parts.size(); ++i) {
            if (name == std::to_string(i) + ".fxh") {
                // A copy of its own, so a read past the size or after Close shows.
                char* copy = new char[parts[i].size() + 1];
                std::memcpy(copy, parts[i].data(), parts[i].size());
                *data = copy;
                *bytes = static_cast<UINT>(parts[i].size());
                return S_OK;
            }
        }
        return E_FAIL;
    }
    HRESULT Close(LPCVOID data) override
    {
        delete[] static_cast<const char*>(data);
        return S_OK;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    IDirect3DDevice9* device = FuzzDevice();
    if (!device) return 0;
    PartInclude include;
    const std::string all(reinterpret_cast<const char*>(data), size);
    for (std::size_t start = 0;;) {
        const std::size_t end = all.find('\0', start);
        include.parts.push_back(all.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos || include.parts.size() == 8) break;
        start = end + 1;
    }
    const std::string& source = include.parts[0];
    const D3DXMACRO defines[] = {{"FROM_CALLER", "4"}, {nullptr, nullptr}};
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    D3DXCreateEffect(device, source.data(), static_cast<UINT>(source.size()), defines, &include,
                     D3DXSHADER_SKIPVALIDATION, nullptr, &effect, &errors);
    if (errors) errors->Release();
    if (effect) {
        // Walk what was declared: parameters and their members, techniques, annotations.
        D3DXEFFECT_DESC desc{};
        effect->GetDesc(&desc);
        for (UINT i = 0; i < desc.Parameters && i < 256; ++i) {
            D3DXHANDLE parameter = effect->GetParameter(nullptr, i);
            D3DXPARAMETER_DESC parameterDesc{};
            if (effect->GetParameterDesc(parameter, &parameterDesc) != D3D_OK) continue;
            for (UINT m = 0; m < parameterDesc.StructMembers && m < 16; ++m) effect->GetParameter(parameter, m);
            INT value = 0;
            effect->GetInt(parameter, &value);
            effect->GetInt(effect->GetAnnotationByName(parameter, "n"), &value);
        }
        D3DXHANDLE technique = nullptr;
        for (int t = 0; t < 64 && effect->FindNextValidTechnique(technique, &technique) == S_OK && technique; ++t) {
            D3DXTECHNIQUE_DESC techniqueDesc{};
            effect->GetTechniqueDesc(technique, &techniqueDesc);
        }
        effect->Release();
    }
    return 0;
}
