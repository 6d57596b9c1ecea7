// The IUnknown part of the stand-in's single-interface COM objects: interface lookup among the ids the object
// answers to (IUnknown always), and a reference count that deletes the object at zero. Also BSTRs from QString.
#pragma once

#include "win32.h"

#include <atomic>

template <typename Interface, const IID &...Answers> class ComObject : public Interface
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        for (const IID *id : {&IID_IUnknown, &Answers...}) {
            if (riid == *id) {
                *ppv = static_cast<Interface *>(this);
                AddRef();
                return S_OK;
            }
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --refs;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~ComObject() = default;

private:
    std::atomic<ULONG> refs{1};
};

namespace standin {

inline BSTR toBstr(const QString &text)
{
    return SysAllocString(reinterpret_cast<const OLECHAR *>(text.utf16()));
}

} // namespace standin
