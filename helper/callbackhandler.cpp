#include "callbackhandler.h"

CallbackHandler::CallbackHandler(DWORD limitMs, const std::atomic<bool> *flag)
    : started(GetTickCount64()), limit(limitMs), abortFlag(flag)
{
}

HRESULT CallbackHandler::QueryInterface(REFIID riid, void **object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IBindStatusCallback || riid == IID_IUnknown) {
        *object = static_cast<IBindStatusCallback *>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CallbackHandler::AddRef()
{
    return 2;
}

ULONG CallbackHandler::Release()
{
    return 1;
}

HRESULT CallbackHandler::OnStartBinding(DWORD, IBinding *)
{
    return E_NOTIMPL;
}

HRESULT CallbackHandler::GetPriority(LONG *)
{
    return E_NOTIMPL;
}

HRESULT CallbackHandler::OnLowResource(DWORD)
{
    return E_NOTIMPL;
}

HRESULT CallbackHandler::OnProgress(ULONG progress, ULONG progressMax, ULONG, LPCWSTR)
{
    // Whoever answers decides how much comes: an endless answer must not fill memory or the disk.
    if (byteLimit && (progress > byteLimit || progressMax > byteLimit)) {
        oversize = true;
        return E_ABORT;
    }
    if (abortFlag && abortFlag->load()) {
        abortSeen = true;
        return E_ABORT;
    }
    // A transfer that drags on would freeze the helper's window, or keep a page's download busy.
    if (GetTickCount64() - started > limit) {
        expired = true;
        return E_ABORT;
    }
    return S_OK;
}

HRESULT CallbackHandler::OnStopBinding(HRESULT, LPCWSTR)
{
    return E_NOTIMPL;
}

HRESULT CallbackHandler::GetBindInfo(DWORD *, BINDINFO *)
{
    return E_NOTIMPL;
}

HRESULT CallbackHandler::OnDataAvailable(DWORD, DWORD, FORMATETC *, STGMEDIUM *)
{
    return E_NOTIMPL;
}

HRESULT CallbackHandler::OnObjectAvailable(REFIID, IUnknown *)
{
    return E_NOTIMPL;
}
