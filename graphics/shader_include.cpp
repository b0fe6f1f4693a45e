#include "graphics/shader_include.h"

#include "foundation/file.h"
#include "foundation/wide_string.h"

#include <algorithm>
#include <string_view>

GxShaderInclude::GxShaderInclude(std::u16string baseFolder) : m_BaseFolder(std::move(baseFolder)) {}

GxShaderInclude::~GxShaderInclude() = default;

HRESULT GxShaderInclude::Open(D3DXINCLUDE_TYPE includeType, LPCSTR fileName, LPCVOID parentData, LPCVOID* data,
                              UINT* bytes)
{
    (void)includeType;   // "name" and <name> are both looked up beside the effect
    (void)parentData;
    if (data) *data = nullptr;
    if (bytes) *bytes = 0;
    if (!fileName || !data || !bytes) return E_FAIL;

    const std::u16string path = m_BaseFolder + MultiByteToWide(fileName);
    auto buffer = std::make_unique<GxBinBuffer>();
    if (!GxFile::ReadWholeFile(*buffer, path)) return E_FAIL;
    *data = buffer->GetData();
    *bytes = buffer->GetSize();
    m_Buffers.push_back(std::move(buffer));
    return S_OK;
}

HRESULT GxShaderInclude::Close(LPCVOID data)
{
    // Innermost first: includes close in the reverse order of their opens.
    const auto it =
        std::find_if(m_Buffers.rbegin(), m_Buffers.rend(),
                     [data](const std::unique_ptr<GxBinBuffer>& buffer) { return buffer->GetData() == data; });
    if (it != m_Buffers.rend()) m_Buffers.erase(std::next(it).base());
    return S_OK;
}
