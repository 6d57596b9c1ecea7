// Shell icons and the system image list, declared for hosts without the Windows SDK. The stand-in draws
// its own icons for drives, folders and files (by kind of file), so they can be made on any thread.
#pragma once

#include "linux/machine/w32types.h"

struct HICON__;
typedef HICON__ *HICON;
struct _IMAGELIST;
typedef _IMAGELIST *HIMAGELIST;

typedef struct _SHFILEINFOW
{
    HICON hIcon;
    int iIcon;
    DWORD dwAttributes;
    WCHAR szDisplayName[MAX_PATH];
    WCHAR szTypeName[80];
} SHFILEINFOW;

#define SHGFI_LARGEICON 0x000000000
#define SHGFI_SMALLICON 0x000000001
#define SHGFI_OPENICON 0x000000002
#define SHGFI_SHELLICONSIZE 0x000000004
#define SHGFI_PIDL 0x000000008
#define SHGFI_USEFILEATTRIBUTES 0x000000010
#define SHGFI_ICON 0x000000100
#define SHGFI_DISPLAYNAME 0x000000200
#define SHGFI_TYPENAME 0x000000400
#define SHGFI_ATTRIBUTES 0x000000800
#define SHGFI_SYSICONINDEX 0x000004000

#define SHIL_LARGE 0
#define SHIL_SMALL 1
#define SHIL_EXTRALARGE 2
#define SHIL_SYSSMALL 3
#define SHIL_JUMBO 4

#define ILD_NORMAL 0x00000000
#define ILD_TRANSPARENT 0x00000001

#ifndef FILE_ATTRIBUTE_DIRECTORY
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#endif
#ifndef FILE_ATTRIBUTE_NORMAL
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#endif

extern const IID IID_IImageList;

// The system image list at one size.
class IImageList
{
public:
    virtual HRESULT QueryInterface(REFIID riid, void **ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT GetIcon(int i, UINT flags, HICON *picon) = 0;
    virtual HRESULT GetIconSize(int *cx, int *cy) = 0;

protected:
    virtual ~IImageList() = default;
};

DWORD_PTR SHGetFileInfoW(LPCWSTR pszPath, DWORD dwFileAttributes, SHFILEINFOW *psfi, UINT cbFileInfo, UINT uFlags);
HRESULT SHGetImageList(int iImageList, REFIID riid, void **ppvObj);
HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT flags);
BOOL DestroyIcon(HICON hIcon);
