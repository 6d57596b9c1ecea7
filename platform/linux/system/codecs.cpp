// The codecs of the stand-in, from the machine's registry: video compressors and audio drivers are the
// "vidc.*" and "msacm.*" values of Drivers32 (an audio driver describes itself through its entry in the ACM
// driver cache), DirectShow filters the instances of the legacy filter category, and DirectX Media Objects
// the keys of DirectShow\MediaObjects.
#include "win32.h"
#include "linux/system/codecs.h"
#include "linux/com/comobject.h"
#include "linux/machine/machine.h"

#include <QList>
#include <QMutex>
#include <QSet>
#include <QUuid>

#include <atomic>
#include <cstdlib>
#include <cstring>

const CLSID CLSID_SystemDeviceEnum = {0x62BE5D10, 0x60EB, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
const IID IID_ICreateDevEnum = {0x29840822, 0x5B84, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
const CLSID CLSID_LegacyAmFilterCategory = {
    0x083863F1, 0x70DE, 0x11D0, {0xBD, 0x40, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
const IID IID_IPropertyBag = {0x55272A00, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
const GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

namespace standin {
HRESULT createDeviceEnumerator(REFIID riid, void **ppv);
}

namespace {

const WCHAR *const drivers32 = WSTR("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32");
const QString driverCache = QStringLiteral("SOFTWARE\\Microsoft\\AudioCompressionManager\\DriverCache\\");

// The named values of a key as (name, REG_SZ text); empty when the key does not open.
QList<QPair<QString, QString>> textValues(HKEY root, const QString &path)
{
    QList<QPair<QString, QString>> out;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, wstr(path), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return out;
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD nameLength = 256;
        BYTE data[2048];
        DWORD bytes = sizeof(data);
        DWORD type = 0;
        const LONG rc = RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &bytes);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            continue;
        out.append({fromWide(name, nameLength),
                    fromWide(reinterpret_cast<const WCHAR *>(data), qsizetype(bytes / sizeof(WCHAR)))});
    }
    RegCloseKey(key);
    return out;
}

QStringList subKeys(HKEY root, const QString &path)
{
    QStringList out;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, wstr(path), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return out;
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        out << fromWide(name, length);
    }
    RegCloseKey(key);
    return out;
}

QString textValue(HKEY root, const QString &path, const QString &name)
{
    WCHAR text[512] = {};
    DWORD bytes = sizeof(text);
    if (RegGetValueW(root, wstr(path), name.isEmpty() ? nullptr : wstr(name), RRF_RT_REG_SZ, nullptr, text, &bytes) !=
        ERROR_SUCCESS)
        return QString();
    return fromWide(text, 512);
}

// The drivers of one kind ("vidc." or "msacm.") in Drivers32's order: (alias, file as stored).
QList<QPair<QString, QString>> drivers(const char *prefix)
{
    QList<QPair<QString, QString>> out;
    const auto values = textValues(HKEY_LOCAL_MACHINE, fromWide(drivers32));
    for (const auto &v : values)
        if (v.first.startsWith(QLatin1String(prefix), Qt::CaseInsensitive) && !v.second.trimmed().isEmpty())
            out.append(v);
    return out;
}

DWORD fourCC(const QString &text)
{
    DWORD code = 0;
    for (int i = 0; i < 4; ++i)
        code |= DWORD(i < text.size() ? text.at(i).toLower().unicode() & 0xFF : ' ') << (8 * i);
    return code;
}

// Open handles of compressors and audio drivers: only these are accepted back.
QMutex handleMutex;
QSet<quintptr> openHandles;
struct OpenCodec
{
    QString alias;
    QString file;
};

template <typename H> H openHandle(const QString &alias, const QString &file)
{
    auto *codec = new OpenCodec{alias, file};
    QMutexLocker g(&handleMutex);
    openHandles.insert(reinterpret_cast<quintptr>(codec));
    return reinterpret_cast<H>(codec);
}

OpenCodec *codecOf(const void *handle)
{
    QMutexLocker g(&handleMutex);
    return openHandles.contains(reinterpret_cast<quintptr>(handle))
               ? reinterpret_cast<OpenCodec *>(const_cast<void *>(handle))
               : nullptr;
}

bool closeHandle(const void *handle)
{
    QMutexLocker g(&handleMutex);
    if (!openHandles.remove(reinterpret_cast<quintptr>(handle)))
        return false;
    delete reinterpret_cast<OpenCodec *>(const_cast<void *>(handle));
    return true;
}

// What an audio driver says of itself: its cache entry's names, version and format tags (as many as both
// the count and the bytes stored allow).
struct AudioDriver
{
    QString alias, shortName, longName;
    DWORD version = 0;
    QList<DWORD> tags;
};

AudioDriver audioDriver(const QString &alias)
{
    AudioDriver d;
    d.alias = alias;
    const QString key = driverCache + alias;
    d.shortName = textValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("szShortName"));
    d.longName = textValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("szLongName"));
    DWORD bytes = sizeof(DWORD);
    RegGetValueW(HKEY_LOCAL_MACHINE, wstr(key), WSTR("vdwDriver"), RRF_RT_REG_DWORD, nullptr, &d.version, &bytes);
    DWORD count = 0;
    bytes = sizeof(DWORD);
    RegGetValueW(HKEY_LOCAL_MACHINE, wstr(key), WSTR("cFormatTags"), RRF_RT_REG_DWORD, nullptr, &count, &bytes);
    QByteArray cache(4096, 0);
    bytes = DWORD(cache.size());
    if (RegGetValueW(HKEY_LOCAL_MACHINE, wstr(key), WSTR("aFormatTagCache"), RRF_RT_REG_BINARY, nullptr, cache.data(),
                     &bytes) == ERROR_SUCCESS)
        for (DWORD i = 0; i < count && (i + 1) * 8 <= bytes; ++i) {
            DWORD tag;
            std::memcpy(&tag, cache.constData() + i * 8, 4);
            d.tags << tag;
        }
    return d;
}

QList<QPair<QString, QString>> audioDrivers()
{
    return drivers("msacm.");
}

template <typename Interface> using Object = ComObject<Interface>;
using standin::toBstr;

class PropertyBag final : public Object<IPropertyBag>
{
public:
    explicit PropertyBag(const QString &key) : key(key) {}
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR pszPropName, VARIANT *pVar, IErrorLog *) override
    {
        if (!pszPropName || !pVar)
            return E_POINTER;
        const QString name = fromWide(pszPropName);
        const QString value = textValue(HKEY_CLASSES_ROOT, key, name);
        if (value.isEmpty())
            return E_FAIL;
        VariantInit(pVar);
        pVar->vt = VT_BSTR;
        pVar->bstrVal = toBstr(value);
        return S_OK;
    }
    QString key;
};

class Moniker final : public Object<IMoniker>
{
public:
    explicit Moniker(const QString &key) : key(key) {}
    HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx *, IMoniker *, REFIID riid, void **ppvObj) override
    {
        if (!ppvObj)
            return E_POINTER;
        *ppvObj = nullptr;
        if (!(riid == IID_IPropertyBag))
            return E_NOINTERFACE;
        *ppvObj = static_cast<IPropertyBag *>(new PropertyBag(key));
        return S_OK;
    }
    QString key;
};

class EnumMoniker final : public Object<IEnumMoniker>
{
public:
    HRESULT STDMETHODCALLTYPE Next(ULONG celt, IMoniker **rgelt, ULONG *pceltFetched) override
    {
        if (!rgelt)
            return E_POINTER;
        ULONG n = 0;
        while (n < celt && next < keys.size())
            rgelt[n++] = new Moniker(keys.at(next++));
        if (pceltFetched)
            *pceltFetched = n;
        return n == celt ? S_OK : S_FALSE;
    }
    QStringList keys;
    qsizetype next = 0;
};

QString guidText(REFGUID g)
{
    WCHAR text[40];
    StringFromGUID2(g, text, 40);
    return fromWide(text, 40);
}

class DeviceEnumerator final : public Object<ICreateDevEnum>
{
public:
    HRESULT STDMETHODCALLTYPE CreateClassEnumerator(REFCLSID category, IEnumMoniker **ppEnumMoniker, DWORD) override
    {
        if (!ppEnumMoniker)
            return E_POINTER;
        *ppEnumMoniker = nullptr;
        const QString instances = QStringLiteral("CLSID\\") + guidText(category) + QStringLiteral("\\Instance");
        const QStringList names = subKeys(HKEY_CLASSES_ROOT, instances);
        if (names.isEmpty())
            return S_FALSE; // an empty category
        auto *e = new EnumMoniker;
        for (const QString &name : names)
            e->keys << instances + QLatin1Char('\\') + name;
        *ppEnumMoniker = e;
        return S_OK;
    }
};

class EnumDmo final : public Object<IEnumDMO>
{
public:
    HRESULT STDMETHODCALLTYPE Next(DWORD cItemsToFetch, CLSID *pCLSID, LPWSTR *Names, DWORD *pcItemsFetched) override
    {
        if (!pCLSID)
            return E_POINTER;
        DWORD n = 0;
        while (n < cItemsToFetch && next < keys.size()) {
            const QString key = keys.at(next++);
            const QUuid id = QUuid::fromString(key);
            pCLSID[n] = CLSID{id.data1,
                              id.data2,
                              id.data3,
                              {id.data4[0], id.data4[1], id.data4[2], id.data4[3], id.data4[4], id.data4[5],
                               id.data4[6], id.data4[7]}};
            if (Names) {
                const QString name =
                    textValue(HKEY_CLASSES_ROOT, QStringLiteral("DirectShow\\MediaObjects\\") + key, QString());
                auto *text = static_cast<LPWSTR>(std::malloc((size_t(name.size()) + 1) * sizeof(WCHAR)));
                if (text)
                    copyToWide(name, text, name.size() + 1);
                Names[n] = text;
            }
            ++n;
        }
        if (pcItemsFetched)
            *pcItemsFetched = n;
        return n == cItemsToFetch ? S_OK : S_FALSE;
    }
    QStringList keys;
    qsizetype next = 0;
};

} // namespace

BOOL WINAPI ICInfo(DWORD fccType, DWORD fccHandler, ICINFO *lpicinfo)
{
    if (!lpicinfo || fccType != ICTYPE_VIDEO)
        return FALSE;
    const auto list = drivers("vidc.");
    if (fccHandler >= DWORD(list.size()))
        return FALSE;
    const auto &d = list.at(fccHandler);
    std::memset(lpicinfo, 0, sizeof(*lpicinfo));
    lpicinfo->dwSize = sizeof(ICINFO);
    lpicinfo->fccType = fccType;
    lpicinfo->fccHandler = fourCC(d.first.mid(5));
    copyToWide(d.second, lpicinfo->szDriver, 128);
    return TRUE;
}

HIC WINAPI ICOpen(DWORD fccType, DWORD fccHandler, UINT)
{
    if (fccType != ICTYPE_VIDEO)
        return nullptr;
    for (const auto &d : drivers("vidc."))
        if (fourCC(d.first.mid(5)) == fccHandler)
            return openHandle<HIC>(d.first, d.second);
    return nullptr;
}

LRESULT WINAPI ICGetInfo(HIC hic, ICINFO *picinfo, DWORD cb)
{
    OpenCodec *c = codecOf(hic);
    if (!c || !picinfo || cb < sizeof(ICINFO))
        return 0;
    // A driver that will not describe itself (tests).
    if (machine::setting(QStringLiteral("fail.ICGetInfo")) == QLatin1String("1"))
        return 0;
    std::memset(picinfo, 0, sizeof(ICINFO));
    picinfo->dwSize = sizeof(ICINFO);
    picinfo->fccType = ICTYPE_VIDEO;
    picinfo->fccHandler = fourCC(c->alias.mid(5));
    copyToWide(c->alias.mid(5).toUpper(), picinfo->szName, 16);
    copyToWide(c->file, picinfo->szDriver, 128);
    return LRESULT(sizeof(ICINFO));
}

LRESULT WINAPI ICClose(HIC hic)
{
    return closeHandle(hic) ? 0 : LRESULT(-1);
}

MMRESULT WINAPI acmDriverEnum(ACMDRIVERENUMCB fnCallback, DWORD_PTR dwInstance, DWORD)
{
    if (!fnCallback)
        return MMSYSERR_INVALPARAM;
    const auto list = audioDrivers();
    for (qsizetype i = 0; i < list.size(); ++i)
        if (!fnCallback(reinterpret_cast<HACMDRIVERID>(quintptr(i + 1)), dwInstance, 0))
            break;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmDriverDetailsW(HACMDRIVERID hadid, ACMDRIVERDETAILSW *padd, DWORD)
{
    const auto list = audioDrivers();
    const quintptr index = reinterpret_cast<quintptr>(hadid);
    if (index < 1 || index > quintptr(list.size()))
        return MMSYSERR_INVALHANDLE;
    if (!padd || padd->cbStruct < sizeof(ACMDRIVERDETAILSW))
        return MMSYSERR_INVALPARAM;
    const AudioDriver d = audioDriver(list.at(index - 1).first);
    const DWORD size = padd->cbStruct;
    std::memset(padd, 0, sizeof(ACMDRIVERDETAILSW));
    padd->cbStruct = size;
    padd->fccType = mmioFOURCC('a', 'u', 'd', 'c');
    padd->vdwDriver = d.version;
    padd->cFormatTags = DWORD(d.tags.size());
    copyToWide(d.shortName, padd->szShortName, 32);
    copyToWide(d.longName, padd->szLongName, 128);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmDriverOpen(LPHACMDRIVER phad, HACMDRIVERID hadid, DWORD)
{
    const auto list = audioDrivers();
    const quintptr index = reinterpret_cast<quintptr>(hadid);
    if (!phad)
        return MMSYSERR_INVALPARAM;
    *phad = nullptr;
    if (index < 1 || index > quintptr(list.size()))
        return MMSYSERR_INVALHANDLE;
    *phad = openHandle<HACMDRIVER>(list.at(index - 1).first, list.at(index - 1).second);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmDriverClose(HACMDRIVER had, DWORD)
{
    return closeHandle(had) ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}

MMRESULT WINAPI acmFormatTagDetailsW(HACMDRIVER had, ACMFORMATTAGDETAILSW *paftd, DWORD fdwDetails)
{
    OpenCodec *c = codecOf(had);
    if (!c)
        return MMSYSERR_INVALHANDLE;
    if (!paftd || paftd->cbStruct < sizeof(ACMFORMATTAGDETAILSW) || fdwDetails != ACM_FORMATTAGDETAILSF_INDEX)
        return MMSYSERR_INVALPARAM;
    const AudioDriver d = audioDriver(c->alias);
    if (paftd->dwFormatTagIndex >= DWORD(d.tags.size()))
        return ACMERR_NOTPOSSIBLE;
    paftd->dwFormatTag = d.tags.at(int(paftd->dwFormatTagIndex));
    return MMSYSERR_NOERROR;
}

HRESULT WINAPI VariantClear(VARIANTARG *pvarg)
{
    if (!pvarg)
        return E_INVALIDARG;
    if (pvarg->vt == VT_BSTR)
        SysFreeString(pvarg->bstrVal);
    VariantInit(pvarg);
    return S_OK;
}

HRESULT standin::createDeviceEnumerator(REFIID riid, void **ppv)
{
    if (!(riid == IID_ICreateDevEnum || riid == IID_IUnknown))
        return E_NOINTERFACE;
    *ppv = static_cast<ICreateDevEnum *>(new DeviceEnumerator);
    return S_OK;
}

HRESULT WINAPI DMOEnum(REFGUID, DWORD, DWORD, const DMO_PARTIAL_MEDIATYPE *, DWORD, const DMO_PARTIAL_MEDIATYPE *,
                       IEnumDMO **ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    auto *e = new EnumDmo;
    e->keys = subKeys(HKEY_CLASSES_ROOT, QStringLiteral("DirectShow\\MediaObjects"));
    e->keys.removeIf([](const QString &k) { return !k.startsWith(QLatin1Char('{')); }); // Categories, ...
    *ppEnum = e;
    return S_OK;
}

HRESULT WINAPI StringFromCLSID(REFCLSID rclsid, LPOLESTR *lplpsz)
{
    if (!lplpsz)
        return E_INVALIDARG;
    *lplpsz = static_cast<LPOLESTR>(std::malloc(39 * sizeof(OLECHAR)));
    if (!*lplpsz)
        return E_OUTOFMEMORY;
    StringFromGUID2(rclsid, *lplpsz, 39);
    return S_OK;
}

int codecs::openHandleCount()
{
    QMutexLocker g(&handleMutex);
    return int(openHandles.size());
}
