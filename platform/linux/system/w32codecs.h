// The codec enumerations: Video for Windows compressors, the Audio Compression Manager, DirectShow filters
// through the system device enumerator, and DirectX Media Objects, declared for hosts without the Windows
// SDK. The stand-in reads them from the machine's registry, where Windows registers them.
#pragma once

#include "linux/shell/w32shell.h"
#include "linux/services/w32taskschd.h"
#include "linux/machine/w32types.h"

// Video for Windows
struct HIC__;
typedef HIC__ *HIC;
typedef struct
{
    DWORD dwSize;
    DWORD fccType;
    DWORD fccHandler;
    DWORD dwFlags;
    DWORD dwVersion;
    DWORD dwVersionICM;
    WCHAR szName[16];
    WCHAR szDescription[128];
    WCHAR szDriver[128];
} ICINFO;
#define mmioFOURCC(c0, c1, c2, c3)                                                                                     \
    ((DWORD)(BYTE)(c0) | ((DWORD)(BYTE)(c1) << 8) | ((DWORD)(BYTE)(c2) << 16) | ((DWORD)(BYTE)(c3) << 24))
#define ICTYPE_VIDEO mmioFOURCC('v', 'i', 'd', 'c')
#define ICMODE_QUERY 4

BOOL WINAPI ICInfo(DWORD fccType, DWORD fccHandler, ICINFO *lpicinfo);
HIC WINAPI ICOpen(DWORD fccType, DWORD fccHandler, UINT wMode);
LRESULT WINAPI ICGetInfo(HIC hic, ICINFO *picinfo, DWORD cb);
LRESULT WINAPI ICClose(HIC hic);

// Audio Compression Manager
typedef UINT MMRESULT;
#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR 1
#define MMSYSERR_INVALHANDLE 5
#define MMSYSERR_INVALPARAM 11
#define ACMERR_NOTPOSSIBLE 512
struct HACMDRIVERID__;
typedef HACMDRIVERID__ *HACMDRIVERID;
struct HACMDRIVER__;
typedef HACMDRIVER__ *HACMDRIVER, **LPHACMDRIVER;
struct HICON__;
typedef HICON__ *HICON;

#pragma pack(push, 1)
typedef struct
{
    DWORD cbStruct;
    DWORD fccType;
    DWORD fccComp;
    WORD wMid;
    WORD wPid;
    DWORD vdwACM;
    DWORD vdwDriver;
    DWORD fdwSupport;
    DWORD cFormatTags;
    DWORD cFilterTags;
    HICON hicon;
    WCHAR szShortName[32];
    WCHAR szLongName[128];
    WCHAR szCopyright[80];
    WCHAR szLicensing[128];
    WCHAR szFeatures[512];
} ACMDRIVERDETAILSW;
typedef struct
{
    DWORD cbStruct;
    DWORD dwFormatTagIndex;
    DWORD dwFormatTag;
    DWORD cbFormatSize;
    DWORD fdwSupport;
    DWORD cStandardFormats;
    WCHAR szFormatTag[48];
} ACMFORMATTAGDETAILSW;
#pragma pack(pop)
#define ACM_FORMATTAGDETAILSF_INDEX 0x00000000L

typedef BOOL(CALLBACK *ACMDRIVERENUMCB)(HACMDRIVERID hadid, DWORD_PTR dwInstance, DWORD fdwSupport);
MMRESULT WINAPI acmDriverEnum(ACMDRIVERENUMCB fnCallback, DWORD_PTR dwInstance, DWORD fdwEnum);
MMRESULT WINAPI acmDriverDetailsW(HACMDRIVERID hadid, ACMDRIVERDETAILSW *padd, DWORD fdwDetails);
MMRESULT WINAPI acmDriverOpen(LPHACMDRIVER phad, HACMDRIVERID hadid, DWORD fdwOpen);
MMRESULT WINAPI acmDriverClose(HACMDRIVER had, DWORD fdwClose);
MMRESULT WINAPI acmFormatTagDetailsW(HACMDRIVER had, ACMFORMATTAGDETAILSW *paftd, DWORD fdwDetails);

// DirectShow's system device enumerator and the property bags of its monikers
class IBindCtx;
class IErrorLog;
class IPropertyBag : public IUnknown
{
public:
    virtual HRESULT STDMETHODCALLTYPE Read(LPCOLESTR pszPropName, VARIANT *pVar, IErrorLog *pErrorLog) = 0;

protected:
    ~IPropertyBag() = default;
};
class IMoniker : public IUnknown
{
public:
    virtual HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx *pbc, IMoniker *pmkToLeft, REFIID riid, void **ppvObj) = 0;

protected:
    ~IMoniker() = default;
};
class IEnumMoniker : public IUnknown
{
public:
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, IMoniker **rgelt, ULONG *pceltFetched) = 0;

protected:
    ~IEnumMoniker() = default;
};
class ICreateDevEnum : public IUnknown
{
public:
    virtual HRESULT STDMETHODCALLTYPE CreateClassEnumerator(REFCLSID clsidDeviceClass, IEnumMoniker **ppEnumMoniker,
                                                            DWORD dwFlags) = 0;

protected:
    ~ICreateDevEnum() = default;
};
extern const CLSID CLSID_SystemDeviceEnum;
extern const IID IID_ICreateDevEnum;
extern const CLSID CLSID_LegacyAmFilterCategory;
extern const IID IID_IPropertyBag;
HRESULT WINAPI VariantClear(VARIANTARG *pvarg);

// DirectX Media Objects
typedef struct _DMOMediaType DMO_PARTIAL_MEDIATYPE;
class IEnumDMO : public IUnknown
{
public:
    virtual HRESULT STDMETHODCALLTYPE Next(DWORD cItemsToFetch, CLSID *pCLSID, LPWSTR *Names,
                                           DWORD *pcItemsFetched) = 0;

protected:
    ~IEnumDMO() = default;
};
#define DMO_ENUMF_INCLUDE_KEYED 0x00000001
extern const GUID GUID_NULL;
HRESULT WINAPI DMOEnum(REFGUID guidCategory, DWORD dwFlags, DWORD cInTypes, const DMO_PARTIAL_MEDIATYPE *pInTypes,
                       DWORD cOutTypes, const DMO_PARTIAL_MEDIATYPE *pOutTypes, IEnumDMO **ppEnum);
HRESULT WINAPI StringFromCLSID(REFCLSID rclsid, LPOLESTR *lplpsz);
