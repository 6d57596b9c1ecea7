// URL monikers: blocking streams and file downloads, declared for hosts without the Windows SDK. HTTP goes
// through Qt Network, to the address the machine's URL overrides give, with a receive time-out.
#pragma once

#include "linux/machine/w32types.h"
#include "linux/shell/w32shell.h"

struct tagSTATSTG;
typedef struct tagSTATSTG STATSTG;
// How a binding asks its callback to bind: only the size, which the caller sets, is read on this host.
struct tagBINDINFO
{
    ULONG cbSize;
};
typedef struct tagBINDINFO BINDINFO;
struct tagFORMATETC;
typedef struct tagFORMATETC FORMATETC;
struct tagSTGMEDIUM;
typedef struct tagSTGMEDIUM STGMEDIUM;
class IBinding;

#define STREAM_SEEK_SET 0
#define STREAM_SEEK_CUR 1
#define STREAM_SEEK_END 2

class ISequentialStream : public IUnknown
{
public:
    virtual HRESULT STDMETHODCALLTYPE Read(void *pv, ULONG cb, ULONG *pcbRead) = 0;
    virtual HRESULT STDMETHODCALLTYPE Write(const void *pv, ULONG cb, ULONG *pcbWritten) = 0;

protected:
    ~ISequentialStream() = default;
};

class IStream : public ISequentialStream
{
public:
    virtual HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER *plibNewPosition) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER libNewSize) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyTo(IStream *pstm, ULARGE_INTEGER cb, ULARGE_INTEGER *pcbRead,
                                             ULARGE_INTEGER *pcbWritten) = 0;
    virtual HRESULT STDMETHODCALLTYPE Commit(DWORD grfCommitFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Revert() = 0;
    virtual HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
    virtual HRESULT STDMETHODCALLTYPE Stat(STATSTG *pstatstg, DWORD grfStatFlag) = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IStream **ppstm) = 0;

protected:
    ~IStream() = default;
};
typedef IStream *LPSTREAM;

class IBindStatusCallback : public IUnknown
{
public:
    virtual HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD dwReserved, IBinding *pib) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPriority(LONG *pnPriority) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnLowResource(DWORD reserved) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnProgress(ULONG ulProgress, ULONG ulProgressMax, ULONG ulStatusCode,
                                                 LPCWSTR szStatusText) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT hresult, LPCWSTR szError) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD *grfBINDF, BINDINFO *pbindinfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD grfBSCF, DWORD dwSize, FORMATETC *pformatetc,
                                                      STGMEDIUM *pstgmed) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID riid, IUnknown *punk) = 0;

protected:
    ~IBindStatusCallback() = default;
};
typedef IBindStatusCallback *LPBINDSTATUSCALLBACK;

extern const IID IID_IBindStatusCallback;
extern const IID IID_IStream;
extern const IID IID_ISequentialStream;

#define BINDSTATUS_FINDINGRESOURCE 1
#define BINDSTATUS_CONNECTING 2
#define BINDSTATUS_REDIRECTING 3
#define BINDSTATUS_BEGINDOWNLOADDATA 4
#define BINDSTATUS_DOWNLOADINGDATA 5
#define BINDSTATUS_ENDDOWNLOADDATA 6
#define BINDSTATUS_SENDINGREQUEST 11
#define BINDSTATUS_MIMETYPEAVAILABLE 13
#define BINDSTATUS_CACHEFILENAMEAVAILABLE 14

#define INET_E_RESOURCE_NOT_FOUND ((HRESULT)0x800C0005L)
#define INET_E_OBJECT_NOT_FOUND ((HRESULT)0x800C0006L)
#define INET_E_CONNECTION_TIMEOUT ((HRESULT)0x800C000BL)
#define INET_E_DOWNLOAD_FAILURE ((HRESULT)0x800C0008L)
#define INET_E_INVALID_URL ((HRESULT)0x800C0002L)
#define INET_E_CANNOT_CONNECT ((HRESULT)0x800C0004L)
#define STG_E_CANTSAVE ((HRESULT)0x80030103L)

HRESULT WINAPI URLOpenBlockingStreamW(LPUNKNOWN pCaller, LPCWSTR szURL, LPSTREAM *ppStream, DWORD dwReserved,
                                      LPBINDSTATUSCALLBACK lpfnCB);
HRESULT WINAPI URLDownloadToFileW(LPUNKNOWN pCaller, LPCWSTR szURL, LPCWSTR szFileName, DWORD dwReserved,
                                  LPBINDSTATUSCALLBACK lpfnCB);
