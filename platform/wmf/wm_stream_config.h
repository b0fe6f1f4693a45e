// One stream of the reader's profile: its number, name and media type, as IWMStreamConfig and
// IWMMediaProps. A snapshot: it stays valid after the reader closes.
#pragma once

#include "platform/dshow/media_type.h"
#include "platform/wmf/wmf.h"

#include <atomic>
#include <string>

namespace platform {

class WmStreamConfig final : public IWMStreamConfig, public IWMMediaProps {
public:
    WmStreamConfig(WORD number, std::u16string name, const CMediaType& type);   // one reference for the caller

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetStreamType(GUID* type) override;
    HRESULT GetStreamNumber(WORD* number) override;
    HRESULT GetStreamName(WCHAR* name, WORD* length) override;
    HRESULT GetType(GUID* type) override;
    HRESULT GetMediaType(WM_MEDIA_TYPE* type, DWORD* size) override;

private:
    ~WmStreamConfig() = default;
    std::atomic<ULONG> m_RefCount{1};
    WORD m_Number;
    std::u16string m_Name;
    CMediaType m_Type;
};

}  // namespace platform
