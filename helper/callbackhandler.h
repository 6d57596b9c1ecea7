// Status callback of URL-moniker downloads. It lives on the stack for one download; reference counting
// has no effect. Besides watching progress it puts a time limit on the transfer and, where the caller gives
// one, stops it as soon as an abort flag (set from another thread) is raised.
#pragma once

#include "win32.h"

#include <atomic>

class CallbackHandler : public IBindStatusCallback
{
public:
    // limitMs: how long the transfer may take before it is aborted; abortFlag: when not null and set, the
    // transfer is aborted at its next progress report.
    explicit CallbackHandler(DWORD limitMs, const std::atomic<bool> *abortFlag = nullptr);
    // The transfer is aborted as soon as more than `bytes` arrived or were announced (0: no limit).
    void setByteLimit(ULONG bytes) { byteLimit = bytes; }

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
    // True once OnProgress refused to go on because the abort flag was set.
    bool aborted() const { return abortSeen; }
    // True once OnProgress refused to go on because the transfer grew beyond the byte limit.
    bool tooLarge() const { return oversize; }

private:
    ULONGLONG started;
    DWORD limit;
    const std::atomic<bool> *abortFlag;
    bool expired = false;
    bool abortSeen = false;
    ULONG byteLimit = 0;
    bool oversize = false;
};
