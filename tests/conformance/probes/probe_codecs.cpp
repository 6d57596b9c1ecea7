// The codec lists of the system information tool: Video for Windows compressors, Audio Compression Manager
// drivers and their format tags, DirectShow filters through the system device enumerator, and DirectX Media
// Objects. Which codecs a machine has differs; the probe prints what every one of them must answer.
#include "probe.h"

#include <cstring>
#include <string>

using probe::hresult;
using probe::line;

namespace {

std::string fourcc(DWORD value)
{
    std::string s;
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((value >> (8 * i)) & 0xFF);
    return s;
}

void probeVideo()
{
    ICINFO info;
    DWORD count = 0, opened = 0, described = 0, closed = 0;
    std::string types, sizes;
    for (DWORD i = 0; ICInfo(ICTYPE_VIDEO, i, &info); ++i) {
        ++count;
        if (info.fccType != ICTYPE_VIDEO)
            types = "other " + fourcc(info.fccType);
        HIC codec = ICOpen(ICTYPE_VIDEO, info.fccHandler, ICMODE_QUERY);
        if (!codec)
            continue;
        ++opened;
        std::memset(&info, 0, sizeof info);
        const LRESULT copied = ICGetInfo(codec, &info, sizeof(ICINFO));
        if (copied > 0)
            ++described;
        if (copied > 0 && (copied != sizeof(ICINFO) || info.dwSize != sizeof(ICINFO)))
            sizes = "other " + std::to_string(copied) + " " + std::to_string(info.dwSize);
        if (ICClose(codec) == 0)
            ++closed;
    }
    line("ICInfo", "%s", count ? "some" : "none");
    line("ICInfo.fccType", "%s", types.empty() ? "vidc" : types.c_str());
    line("ICOpen", "%s", opened == count ? "every one" : "not every one");
    line("ICGetInfo", "%s", described == opened ? "every one" : "not every one");
    line("ICGetInfo.size", "%s", sizes.empty() ? "the structure's" : sizes.c_str());
    line("ICClose", "%s", closed == opened ? "every one" : "not every one");
    ICINFO beyond;
    line("ICInfo.beyond", "%s", ICInfo(ICTYPE_VIDEO, 100000, &beyond) ? "TRUE" : "FALSE");
    line("ICOpen.unknown", "%s",
         ICOpen(ICTYPE_VIDEO, mmioFOURCC('h', 'p', 'x', 'q'), ICMODE_QUERY) ? "handle" : "null");
}

struct AudioTally
{
    int drivers = 0, detailed = 0, opened = 0, tagged = 0, ended = 0, closed = 0;
    std::string detailsSize, type, badSize;
};

BOOL CALLBACK audioDriver(HACMDRIVERID driverId, DWORD_PTR instance, DWORD)
{
    AudioTally &t = *reinterpret_cast<AudioTally *>(instance);
    ++t.drivers;
    ACMDRIVERDETAILSW details;
    std::memset(&details, 0, sizeof details);
    details.cbStruct = 0;
    const MMRESULT tooSmall = acmDriverDetailsW(driverId, &details, 0);
    if (tooSmall != MMSYSERR_INVALPARAM)
        t.badSize = "result " + std::to_string(tooSmall);
    std::memset(&details, 0, sizeof details);
    details.cbStruct = sizeof details;
    HACMDRIVER driver = nullptr;
    if (acmDriverDetailsW(driverId, &details, 0) != MMSYSERR_NOERROR)
        return TRUE;
    ++t.detailed;
    if (details.cbStruct != sizeof details)
        t.detailsSize = "other " + std::to_string(details.cbStruct);
    if (details.fccType != mmioFOURCC('a', 'u', 'd', 'c'))
        t.type = "other " + fourcc(details.fccType);
    if (acmDriverOpen(&driver, driverId, 0) != MMSYSERR_NOERROR)
        return TRUE;
    ++t.opened;
    DWORD index = 0;
    for (; index < details.cFormatTags; ++index) {
        ACMFORMATTAGDETAILSW tag;
        std::memset(&tag, 0, sizeof tag);
        tag.cbStruct = sizeof tag;
        tag.dwFormatTagIndex = index;
        if (acmFormatTagDetailsW(driver, &tag, ACM_FORMATTAGDETAILSF_INDEX) != MMSYSERR_NOERROR)
            break;
    }
    if (index == details.cFormatTags)
        ++t.tagged;
    ACMFORMATTAGDETAILSW beyond;
    std::memset(&beyond, 0, sizeof beyond);
    beyond.cbStruct = sizeof beyond;
    beyond.dwFormatTagIndex = details.cFormatTags;
    if (acmFormatTagDetailsW(driver, &beyond, ACM_FORMATTAGDETAILSF_INDEX) != MMSYSERR_NOERROR)
        ++t.ended;
    if (acmDriverClose(driver, 0) == MMSYSERR_NOERROR)
        ++t.closed;
    return TRUE;
}

void probeAudio()
{
    AudioTally t;
    line("acmDriverEnum", "result %u", acmDriverEnum(&audioDriver, reinterpret_cast<DWORD_PTR>(&t), 0));
    line("acmDriverEnum.drivers", "%s", t.drivers ? "some" : "none");
    line("acmDriverDetailsW", "%s", t.detailed == t.drivers ? "every one" : "not every one");
    line("acmDriverDetailsW.cbStruct", "%s", t.detailsSize.empty() ? "the structure's" : t.detailsSize.c_str());
    line("acmDriverDetailsW.fccType", "%s", t.type.empty() ? "audc" : t.type.c_str());
    line("acmDriverDetailsW.no size", "%s", t.badSize.empty() ? "MMSYSERR_INVALPARAM" : t.badSize.c_str());
    line("acmDriverOpen", "%s", t.opened == t.detailed ? "every one" : "not every one");
    line("acmFormatTagDetailsW", "%s", t.tagged == t.opened ? "every tag of every one" : "not every one");
    line("acmFormatTagDetailsW.beyond", "%s", t.ended == t.opened ? "fails for every one" : "not for every one");
    line("acmDriverClose", "%s", t.closed == t.opened ? "every one" : "not every one");
    line("acmDriverClose.null", "result %u", acmDriverClose(nullptr, 0));
}

void probeFilters()
{
    ICreateDevEnum *devices = nullptr;
    hresult("CoCreateInstance.SystemDeviceEnum",
            CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                             reinterpret_cast<void **>(&devices)));
    if (!devices)
        return;
    IEnumMoniker *filters = nullptr;
    hresult("CreateClassEnumerator",
            PROBE_METHOD(devices, CreateClassEnumerator)(CLSID_LegacyAmFilterCategory, &filters, 0));
    int count = 0, bound = 0, read = 0, strings = 0;
    HRESULT missing = S_OK, last = S_OK;
    while (filters) {
        IMoniker *moniker = nullptr;
        last = PROBE_METHOD(filters, Next)(1, &moniker, nullptr);
        if (last != S_OK)
            break;
        ++count;
        IPropertyBag *bag = nullptr;
        if (SUCCEEDED(PROBE_METHOD(moniker, BindToStorage)(nullptr, nullptr, IID_IPropertyBag,
                                                           reinterpret_cast<void **>(&bag)))) {
            ++bound;
            VARIANT clsid, friendlyName, none;
            VariantInit(&clsid);
            VariantInit(&friendlyName);
            VariantInit(&none);
            if (SUCCEEDED(PROBE_METHOD(bag, Read)(WSTR("CLSID"), &clsid, nullptr)) &&
                SUCCEEDED(PROBE_METHOD(bag, Read)(WSTR("FriendlyName"), &friendlyName, nullptr)))
                ++read;
            if (V_VT(&clsid) == VT_BSTR && V_VT(&friendlyName) == VT_BSTR)
                ++strings;
            if (count == 1)
                missing = PROBE_METHOD(bag, Read)(WSTR("HushdeckNoSuchProperty"), &none, nullptr);
            VariantClear(&clsid);
            VariantClear(&friendlyName);
            VariantClear(&none);
            bag->Release();
        }
        moniker->Release();
    }
    line("Next", "%s", count ? "some" : "none");
    hresult("Next.end", last);
    line("BindToStorage", "%s", bound == count ? "every one" : "not every one");
    // Not every filter need have both names; the tool skips those that lack one.
    line("Read", "%s", read ? "some" : "none");
    line("Read.type", "%s", strings == read ? "VT_BSTR" : "other");
    line("Read.missing", "%s", FAILED(missing) ? "failed" : "succeeded");
    if (filters)
        filters->Release();
    devices->Release();
}

void probeMediaObjects()
{
    IEnumDMO *objects = nullptr;
    hresult("DMOEnum", DMOEnum(GUID_NULL, DMO_ENUMF_INCLUDE_KEYED, 0, nullptr, 0, nullptr, &objects));
    if (!objects)
        return;
    CLSID clsid;
    LPWSTR name = nullptr;
    int count = 0, named = 0;
    HRESULT last = S_OK;
    while ((last = PROBE_METHOD(objects, Next)(1, &clsid, &name, nullptr)) == S_OK) {
        ++count;
        if (name && *name)
            ++named;
        CoTaskMemFree(name);
        name = nullptr;
    }
    line("DMOEnum.Next", "%s", count ? "some" : "none");
    line("DMOEnum.Next.names", "%s", named == count ? "every one" : "not every one");
    hresult("DMOEnum.Next.end", last);
    objects->Release();
}

} // namespace

int main()
{
    probe::start();
    probeVideo();
    probeAudio();
    hresult("CoInitializeEx", CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    probeFilters();
    probeMediaObjects();
    CoUninitialize();
    return probe::end();
}
