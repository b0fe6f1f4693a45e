// GxShaderInclude: the include handler given to D3DX while an effect is read. Included names
// are relative to the folder of the effect file, and are read through the file system, so
// packs and loose files both serve.
//
// Each open file has its own buffer, freed by the Close of that file: an include nested in
// another is read while its parent's text is still being read.
#pragma once

#include "foundation/bin_buffer.h"
#include "platform/d3d9/d3dx_effect.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class GxShaderInclude : public ID3DXInclude {
public:
    explicit GxShaderInclude(std::u16string baseFolder);
    // Frees what is still open.
    virtual ~GxShaderInclude();
    GxShaderInclude(const GxShaderInclude&) = delete;
    GxShaderInclude& operator=(const GxShaderInclude&) = delete;

    // Base folder + the 8-bit name; S_OK with the data, or E_FAIL with none and size 0.
    HRESULT Open(D3DXINCLUDE_TYPE includeType, LPCSTR fileName, LPCVOID parentData, LPCVOID* data,
                 UINT* bytes) override;
    // Frees the buffer of that file; always 0.
    HRESULT Close(LPCVOID data) override;

    const std::u16string& GetBaseFolder() const { return m_BaseFolder; }
    std::size_t GetOpenCount() const { return m_Buffers.size(); }

private:
    std::u16string m_BaseFolder;
    std::vector<std::unique_ptr<GxBinBuffer>> m_Buffers;   // one per open file, innermost last
};
