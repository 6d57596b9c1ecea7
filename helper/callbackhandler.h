// Status callback of the helper's downloads. It lives on the stack for one download; reference counting
// has no effect. Besides watching progress it puts a time limit on the transfer.
#pragma once

#include "win32.h"

class CallbackHandler : public IBindStatusCallback
{
public:
    // limitMs: how long the transfer may take before it is aborted.
    explicit CallbackHandler(DWORD limitMs);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD reserved, IBinding *binding) override;
    HRESULT STDMETHODCALLTYPE GetPriority(LONG *priority) override;
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                         LPCWSTR statusText) override;
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR error) override;
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD *bindFlags, BINDINFO *bindInfo) override;
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD flags, DWORD size, FORMATETC *format, STGMEDIUM *medium) override;
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID riid, IUnknown *object) override;

    // True once OnProgress refused to go on because the time limit had passed.
    bool timedOut() const { return expired; }

private:
    ULONGLONG started;
    DWORD limit;
    bool expired = false;
};
