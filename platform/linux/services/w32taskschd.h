// The Task Scheduler 2.0 objects that read the registered tasks, with the strings and variants they pass,
// declared for hosts without the Windows SDK. The stand-in reads the task files of the machine's
// Windows\System32\Tasks folder.
#pragma once

#include "linux/shell/w32shell.h"
#include "linux/machine/w32types.h"

typedef WCHAR *BSTR;
BSTR SysAllocString(const OLECHAR *psz);
void SysFreeString(BSTR bstrString);

typedef WORD VARTYPE;
#define VT_EMPTY 0
#define VT_I4 3
#define VT_BSTR 8
typedef struct tagVARIANT
{
    VARTYPE vt;
    WORD wReserved1, wReserved2, wReserved3;
    union {
        LONG lVal;
        BSTR bstrVal;
        void *byref;
    };
} VARIANT, VARIANTARG;
#define V_VT(v) ((v)->vt)
#define V_I4(v) ((v)->lVal)
#define V_BSTR(v) ((v)->bstrVal)
void VariantInit(VARIANTARG *pvarg);

typedef enum _TASK_STATE {
    TASK_STATE_UNKNOWN = 0,
    TASK_STATE_DISABLED = 1,
    TASK_STATE_QUEUED = 2,
    TASK_STATE_READY = 3,
    TASK_STATE_RUNNING = 4
} TASK_STATE;
#define TASK_ENUM_HIDDEN 0x1

class IRegisteredTask : public IUnknown
{
public:
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR *pName) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_State(TASK_STATE *pState) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Xml(BSTR *pXml) = 0;

protected:
    ~IRegisteredTask() = default;
};

class IRegisteredTaskCollection : public IUnknown
{
public:
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG *pCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, IRegisteredTask **ppRegisteredTask) = 0;

protected:
    ~IRegisteredTaskCollection() = default;
};

class ITaskFolder : public IUnknown
{
public:
    virtual HRESULT STDMETHODCALLTYPE GetTasks(LONG flags, IRegisteredTaskCollection **ppTasks) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTask(BSTR path, IRegisteredTask **ppTask) = 0;

protected:
    ~ITaskFolder() = default;
};

class ITaskService : public IUnknown
{
public:
    virtual HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, ITaskFolder **ppFolder) = 0;
    virtual HRESULT STDMETHODCALLTYPE Connect(VARIANT serverName, VARIANT user, VARIANT domain, VARIANT password) = 0;

protected:
    ~ITaskService() = default;
};

extern const CLSID CLSID_TaskScheduler;
extern const IID IID_ITaskService;
