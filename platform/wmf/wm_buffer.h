// The reader's own sample buffer, for streams whose buffers the callback does not allocate.
#pragma once

#include "platform/wmf/wmf.h"

#include <atomic>
#include <vector>

namespace platform {

class WmBuffer final : public INSSBuffer {
public:
    explicit WmBuffer(DWORD size);   // one reference for the caller

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetLength(DWORD* length) override;
    HRESULT SetLength(DWORD length) override;
    HRESULT GetMaxLength(DWORD* length) override;
    HRESULT GetBuffer(BYTE** buffer) override;
    HRESULT GetBufferAndLength(BYTE** buffer, DWORD* length) override;

private:
    ~WmBuffer() = default;
    std::atomic<ULONG> m_RefCount{1};
    std::vector<BYTE> m_Bytes;
    DWORD m_Length = 0;
};

}  // namespace platform
