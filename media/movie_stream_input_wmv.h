// GxMovieStreamInputWMV: the IStream the Windows Media reader reads a movie through, over the
// movie's source stream, so that Windows Media movies may lie in pack archives too. Seeks are
// always taken from the start of the file and the size is never known: the reader copes.
#pragma once

#include "media/async_stream.h"
#include "platform/dshow/unknown_base.h"
#include "platform/wmf/wmf.h"

class GxMovieStreamInputWMV : public CUnknown, public IStream {
public:
    // Reads `stream`, which stays the caller's. `stored` is what Seek reports and Stat gives as
    // the size.
    GxMovieStreamInputWMV(CAsyncStream* stream, LONGLONG stored = 0);

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT Read(void* buffer, ULONG count, ULONG* read) override;
    HRESULT Write(const void* buffer, ULONG count, ULONG* written) override;
    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override;
    HRESULT SetSize(ULARGE_INTEGER size) override;
    HRESULT CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read, ULARGE_INTEGER* written) override;
    HRESULT Commit(DWORD flags) override;
    HRESULT Revert() override;
    HRESULT LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD type) override;
    HRESULT UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD type) override;
    HRESULT Stat(STATSTG* stat, DWORD flags) override;
    HRESULT Clone(IStream** stream) override;

private:
    CAsyncStream* m_Stream;
    LONGLONG m_Stored;
};
