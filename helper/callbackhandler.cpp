#include "callbackhandler.h"

#include <cstring>

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
    return S_OK; // a notice: a failure here would stop the binding
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
    return S_OK; // a notice: a failure here would stop the binding
}

HRESULT CallbackHandler::GetBindInfo(DWORD *bindFlags, BINDINFO *bindInfo)
{
    // The binding asks how to bind, and a failure here fails the transfer: a plain GET with nothing to send.
    // The flags the moniker proposes are kept; the information is emptied but for the size the caller set.
    if (!bindFlags || !bindInfo || bindInfo->cbSize < sizeof(bindInfo->cbSize))
        return E_INVALIDARG;
    const ULONG size = bindInfo->cbSize;
    std::memset(static_cast<void *>(bindInfo), 0, size);
    bindInfo->cbSize = size;
    return S_OK;
}

HRESULT CallbackHandler::OnDataAvailable(DWORD, DWORD, FORMATETC *, STGMEDIUM *)
{
    return S_OK; // a notice: a failure here would stop the binding
}

HRESULT CallbackHandler::OnObjectAvailable(REFIID, IUnknown *)
{
    return S_OK; // a notice: a failure here would stop the binding
}
