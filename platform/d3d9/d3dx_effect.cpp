#include "platform/d3d9/d3dx_effect.h"

#include "platform/d3d9/fx_parser.h"
#include "platform/d3d9/fx_preprocessor.h"
#include "platform/win32/com_object.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

using platform::d3dx::fx::FxLayout;
using platform::d3dx::fx::FxParameter;
using platform::d3dx::fx::FxTechnique;

namespace {

constexpr const char* kCreator = "Tarnwick effect declaration reader";

// Compiled effects start with a version token 0xFEFFnnnn.
bool IsCompiledEffect(const void* data, UINT size)
{
    if (size < 4) return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    return bytes[3] == 0xFE && bytes[2] == 0xFF;
}

class Buffer final : public platform::ComObject<ID3DXBuffer> {
public:
    explicit Buffer(const std::string& text) : m_Bytes(text.begin(), text.end()) { m_Bytes.push_back(0); }

    LPVOID GetBufferPointer() override { return m_Bytes.data(); }
    DWORD GetBufferSize() override { return static_cast<DWORD>(m_Bytes.size()); }

private:
    ~Buffer() override = default;

    std::vector<char> m_Bytes;
};

// Class, type, size and members: what two declarations of one shared name must agree on.
std::string Signature(const FxParameter& parameter)
{
    std::string signature = std::to_string(parameter.parameterClass) + ":" + std::to_string(parameter.type) + ":" +
                            std::to_string(parameter.rows) + "x" + std::to_string(parameter.columns) + "[" +
                            std::to_string(parameter.elements) + "]";
    if (!parameter.members.empty()) {
        signature += "{";
        for (const auto& member : parameter.members) signature += member.name + "=" + Signature(member) + ";";
        signature += "}";
    }
    return signature;
}

class EffectPool final : public platform::ComObject<ID3DXEffectPool> {
public:

    // All of the effect's shared parameters, or none when one disagrees with a registered one.
    const FxParameter* Register(const std::vector<const FxParameter*>& shared)
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        for (const FxParameter* parameter : shared) {
            const auto it = m_Shared.find(parameter->name);
            if (it != m_Shared.end() && it->second.signature != Signature(*parameter)) return parameter;
        }
        for (const FxParameter* parameter : shared) {
            Entry& entry = m_Shared[parameter->name];
            entry.signature = Signature(*parameter);
            ++entry.users;
        }
        return nullptr;
    }

    void Unregister(const std::vector<const FxParameter*>& shared)
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        for (const FxParameter* parameter : shared) {
            const auto it = m_Shared.find(parameter->name);
            if (it != m_Shared.end() && --it->second.users == 0) m_Shared.erase(it);
        }
    }

private:
    ~EffectPool() override = default;

    struct Entry {
        std::string signature;
        unsigned users = 0;
    };

    std::mutex m_Mutex;
    std::map<std::string, Entry> m_Shared;
};

class Effect final : public platform::ComObject<ID3DXEffect> {
public:
    Effect(IDirect3DDevice9* device, EffectPool* pool, std::unique_ptr<FxLayout> layout,
           std::vector<const FxParameter*> shared)
        : m_Device(device), m_Pool(pool), m_Layout(std::move(layout)), m_Shared(std::move(shared))
    {
        m_Device->AddRef();
        if (m_Pool) m_Pool->AddRef();
        for (const auto& parameter : m_Layout->parameters) IndexParameter(parameter);
        for (const auto& technique : m_Layout->techniques) {
            m_Handles[&technique] = Kind::Technique;
            for (const auto& annotation : technique.annotations) IndexParameter(annotation);
        }
    }

    HRESULT GetDesc(D3DXEFFECT_DESC* desc) override
    {
        if (!desc) return D3DERR_INVALIDCALL;
        desc->Creator = kCreator;
        desc->Parameters = static_cast<UINT>(m_Layout->parameters.size());
        desc->Techniques = static_cast<UINT>(m_Layout->techniques.size());
        desc->Functions = m_Layout->functions;
        return D3D_OK;
    }

    HRESULT GetParameterDesc(D3DXHANDLE handle, D3DXPARAMETER_DESC* desc) override
    {
        const FxParameter* parameter = AsParameter(handle);
        if (!parameter || !desc) return D3DERR_INVALIDCALL;
        desc->Name = parameter->name.c_str();
        desc->Semantic = parameter->semantic.empty() ? nullptr : parameter->semantic.c_str();
        desc->Class = parameter->parameterClass;
        desc->Type = parameter->type;
        desc->Rows = parameter->rows;
        desc->Columns = parameter->columns;
        desc->Elements = parameter->elements;
        desc->Annotations = static_cast<UINT>(parameter->annotations.size());
        desc->StructMembers = static_cast<UINT>(parameter->members.size());
        desc->Flags = parameter->flags;
        desc->Bytes = parameter->bytes;
        return D3D_OK;
    }

    HRESULT GetTechniqueDesc(D3DXHANDLE handle, D3DXTECHNIQUE_DESC* desc) override
    {
        const FxTechnique* technique = AsTechnique(handle);
        if (!technique || !desc) return D3DERR_INVALIDCALL;
        desc->Name = technique->name.empty() ? nullptr : technique->name.c_str();
        desc->Passes = technique->passes;
        desc->Annotations = static_cast<UINT>(technique->annotations.size());
        return D3D_OK;
    }

    D3DXHANDLE GetParameter(D3DXHANDLE parent, UINT index) override
    {
        const std::vector<FxParameter>* list = &m_Layout->parameters;
        if (parent) {
            const FxParameter* parameter = AsParameter(parent);
            if (!parameter) return nullptr;
            list = &parameter->members;
        }
        return index < list->size() ? ToHandle(&(*list)[index]) : nullptr;
    }

    D3DXHANDLE GetTechniqueByName(LPCSTR name) override
    {
        if (!name || !*name) return nullptr;
        for (const auto& technique : m_Layout->techniques)
            if (technique.name == name) return ToHandle(&technique);
        return nullptr;
    }

    D3DXHANDLE GetAnnotationByName(D3DXHANDLE object, LPCSTR name) override
    {
        if (!name) return nullptr;
        const std::vector<FxParameter>* annotations = nullptr;
        if (const FxParameter* parameter = AsParameter(object)) {
            annotations = &parameter->annotations;
        } else if (const FxTechnique* technique = AsTechnique(object)) {
            annotations = &technique->annotations;
        } else {
            return nullptr;
        }
        for (const auto& annotation : *annotations)
            if (annotation.name == name) return ToHandle(&annotation);
        return nullptr;
    }

    HRESULT GetInt(D3DXHANDLE handle, INT* value) override
    {
        const FxParameter* parameter = AsParameter(handle);
        if (!parameter || !value || parameter->parameterClass != D3DXPC_SCALAR || parameter->elements != 0 ||
            parameter->values.empty())
            return D3DERR_INVALIDCALL;
        const double stored = parameter->values[0];
        if (parameter->type == D3DXPT_BOOL) {
            *value = stored != 0.0 ? 1 : 0;
        } else if (std::isnan(stored)) {
            *value = 0;
        } else {
            // Clamped: a huge float must not overflow the conversion.
            const double limited = std::clamp(std::trunc(stored), static_cast<double>(std::numeric_limits<INT>::min()),
                                              static_cast<double>(std::numeric_limits<INT>::max()));
            *value = static_cast<INT>(limited);
        }
        return D3D_OK;
    }

    HRESULT FindNextValidTechnique(D3DXHANDLE technique, D3DXHANDLE* next) override
    {
        if (!next) return D3DERR_INVALIDCALL;
        *next = nullptr;
        std::size_t index = 0;
        if (technique) {
            const FxTechnique* current = AsTechnique(technique);
            if (!current) return D3DERR_INVALIDCALL;
            index = static_cast<std::size_t>(current - m_Layout->techniques.data()) + 1;
        }
        // Nothing is compiled, so nothing can fail validation.
        if (index < m_Layout->techniques.size()) *next = ToHandle(&m_Layout->techniques[index]);
        return D3D_OK;
    }

    HRESULT OnLostDevice() override { return D3D_OK; }
    HRESULT OnResetDevice() override { return D3D_OK; }

private:
    enum class Kind { Parameter, Technique };

    ~Effect() override
    {
        if (m_Pool) {
            m_Pool->Unregister(m_Shared);
            m_Pool->Release();
        }
        m_Device->Release();
    }

    void IndexParameter(const FxParameter& parameter)
    {
        m_Handles[&parameter] = Kind::Parameter;
        for (const auto& member : parameter.members) IndexParameter(member);
        for (const auto& annotation : parameter.annotations) IndexParameter(annotation);
    }

    template <typename Node>
    static D3DXHANDLE ToHandle(const Node* node)
    {
        return static_cast<D3DXHANDLE>(static_cast<const void*>(node));
    }

    // Only handles this effect gave out are read.
    const FxParameter* AsParameter(D3DXHANDLE handle) const
    {
        const auto it = m_Handles.find(static_cast<const void*>(handle));
        if (it == m_Handles.end() || it->second != Kind::Parameter) return nullptr;
        return static_cast<const FxParameter*>(static_cast<const void*>(handle));
    }

    const FxTechnique* AsTechnique(D3DXHANDLE handle) const
    {
        const auto it = m_Handles.find(static_cast<const void*>(handle));
        if (it == m_Handles.end() || it->second != Kind::Technique) return nullptr;
        return static_cast<const FxTechnique*>(static_cast<const void*>(handle));
    }

    IDirect3DDevice9* m_Device;
    EffectPool* m_Pool;
    std::unique_ptr<FxLayout> m_Layout;
    std::vector<const FxParameter*> m_Shared;   // registered in the pool
    std::unordered_map<const void*, Kind> m_Handles;
};

HRESULT FailWithMessage(HRESULT result, const std::string& message, ID3DXBuffer** errors)
{
    if (errors) *errors = new Buffer(message + "\n");
    return result;
}

}  // namespace

HRESULT D3DXCreateEffectPool(ID3DXEffectPool** pool)
{
    if (!pool) return D3DERR_INVALIDCALL;
    *pool = new EffectPool();
    return D3D_OK;
}

HRESULT D3DXCreateEffect(IDirect3DDevice9* device, LPCVOID srcData, UINT srcDataLen, const D3DXMACRO* defines,
                         ID3DXInclude* include, DWORD flags, ID3DXEffectPool* pool, ID3DXEffect** effect,
                         ID3DXBuffer** errors)
{
    (void)flags;   // nothing is compiled, validated or optimised
    if (errors) *errors = nullptr;
    if (effect) *effect = nullptr;
    if (!device || !srcData || srcDataLen == 0 || !effect) return D3DERR_INVALIDCALL;
    auto* ownPool = dynamic_cast<EffectPool*>(pool);
    if (pool && !ownPool) return D3DERR_INVALIDCALL;
    if (IsCompiledEffect(srcData, srcDataLen))
        return FailWithMessage(D3DXERR_INVALIDDATA, "memory(1,1): error X1000: compiled effects cannot be read",
                               errors);

    auto layout = std::make_unique<FxLayout>();
    {
        // Closes every include file before returning.
        platform::d3dx::fx::Preprocessor source(static_cast<const char*>(srcData), srcDataLen, defines, include);
        if (!platform::d3dx::fx::ParseEffect(source, *layout)) return FailWithMessage(E_FAIL, source.Error(), errors);
    }

    std::vector<const FxParameter*> shared;
    for (const auto& parameter : layout->parameters)
        if (parameter.flags & D3DX_PARAMETER_SHARED) shared.push_back(&parameter);
    if (ownPool) {
        if (const FxParameter* conflict = ownPool->Register(shared)) {
            return FailWithMessage(E_FAIL,
                                   conflict->location + ": error X3003: shared parameter '" + conflict->name +
                                       "' differs from its declaration in another effect of the pool",
                                   errors);
        }
    } else {
        shared.clear();
    }
    *effect = new Effect(device, ownPool, std::move(layout), std::move(shared));
    return D3D_OK;
}
