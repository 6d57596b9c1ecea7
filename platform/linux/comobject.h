// The reference counting of the stand-in's own COM objects, and BSTRs made from QString.
#pragma once

#include "../win32.h"

#include <atomic>

namespace standin {

// An object of one interface that goes away with its last Release.
template <typename Interface> class ComObject : public Interface
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (!(riid == IID_IUnknown))
            return E_NOINTERFACE;
        *ppv = static_cast<IUnknown *>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --refs;
        if (left == 0)
            delete this;
        return left;
    }
    virtual ~ComObject() = default;

private:
    std::atomic<ULONG> refs{1};
};

inline BSTR toBstr(const QString &text)
{
    return SysAllocString(reinterpret_cast<const OLECHAR *>(text.utf16()));
}

} // namespace standin
