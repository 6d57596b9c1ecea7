// Edition, locale, time zone, System folder and environment block of the stand-in. The edition is the one
// the machine's registry names; locale and time zone are the host's (the machine may set its own zone).
#include "win32.h"
#include "linux/files/drivemap.h"
#include "linux/machine/machine.h"
#include "linux/system/machineclock.h"

#include <QDateTime>
#include <QLocale>
#include <QTimeZone>

#include <cstdlib>
#include <cstring>

namespace {

struct Edition
{
    const char *id; // the registry's EditionID
    DWORD product;
};
const Edition editions[] = {
    {"Professional", PRODUCT_PROFESSIONAL},
    {"ProfessionalN", PRODUCT_PROFESSIONAL_N},
    {"Core", PRODUCT_CORE},
    {"CoreN", PRODUCT_CORE_N},
    {"CoreCountrySpecific", PRODUCT_CORE_COUNTRYSPECIFIC},
    {"CoreSingleLanguage", PRODUCT_CORE_SINGLELANGUAGE},
    {"Enterprise", PRODUCT_ENTERPRISE},
    {"EnterpriseN", PRODUCT_ENTERPRISE_N},
    {"EnterpriseEval", PRODUCT_ENTERPRISE_EVALUATION},
    {"Education", PRODUCT_EDUCATION},
    {"EducationN", PRODUCT_EDUCATION_N},
    {"ProfessionalWorkstation", PRODUCT_PRO_WORKSTATION},
    {"ProfessionalWorkstationN", PRODUCT_PRO_WORKSTATION_N},
};

// A host without a language of its own (the C locale) counts as US English, as a Windows default does.
QLocale userLocale()
{
    const QLocale l = QLocale::system();
    if (l.language() == QLocale::C || l.language() == QLocale::AnyLanguage)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return l;
}

// The primary language identifiers of the languages a machine is commonly set to; others get the neutral
// custom locale, which still resolves to the host's locale.
struct Language
{
    QLocale::Language language;
    QLocale::Territory territory;
    LANGID id;
};
const Language languages[] = {
    {QLocale::English, QLocale::UnitedStates, 0x0409}, {QLocale::English, QLocale::UnitedKingdom, 0x0809},
    {QLocale::German, QLocale::Germany, 0x0407},       {QLocale::French, QLocale::France, 0x040C},
    {QLocale::Spanish, QLocale::Spain, 0x0C0A},        {QLocale::Italian, QLocale::Italy, 0x0410},
    {QLocale::Dutch, QLocale::Netherlands, 0x0413},    {QLocale::Portuguese, QLocale::Brazil, 0x0416},
    {QLocale::Japanese, QLocale::Japan, 0x0411},       {QLocale::Chinese, QLocale::China, 0x0804},
};
const LANGID customDefault = 0x0C00;

QLocale localeOf(DWORD lcid)
{
    const LANGID id = LANGID(lcid & 0xFFFF);
    for (const Language &l : languages)
        if (l.id == id)
            return QLocale(l.language, l.territory);
    return userLocale();
}

DWORD copyText(const QString &text, LPWSTR buffer, DWORD size)
{
    const DWORD needed = DWORD(text.size()) + 1;
    if (!buffer || size == 0)
        return needed;
    if (size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    copyToWide(text, buffer, size);
    return needed;
}

} // namespace

BOOL WINAPI GetProductInfo(DWORD dwOSMajorVersion, DWORD, DWORD, DWORD, PDWORD pdwReturnedProductType)
{
    if (!pdwReturnedProductType)
        return FALSE;
    *pdwReturnedProductType = PRODUCT_UNDEFINED;
    if (dwOSMajorVersion < 6)
        return FALSE;
    WCHAR text[64] = {};
    DWORD bytes = sizeof(text);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"), WSTR("EditionID"),
                     RRF_RT_REG_SZ, nullptr, text, &bytes) != ERROR_SUCCESS)
        return TRUE;
    const QString id = fromWide(text, sizeof(text) / sizeof(WCHAR));
    for (const Edition &e : editions)
        if (id.compare(QLatin1String(e.id), Qt::CaseInsensitive) == 0)
            *pdwReturnedProductType = e.product;
    return TRUE;
}

LANGID WINAPI GetUserDefaultLangID()
{
    const QLocale l = userLocale();
    for (const Language &lang : languages)
        if (lang.language == l.language() && lang.territory == l.territory())
            return lang.id;
    return customDefault;
}

LCID WINAPI GetUserDefaultLCID()
{
    return LCID(GetUserDefaultLangID()); // sort order 0
}

int WINAPI GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData)
{
    if (cchData < 0 || (cchData > 0 && !lpLCData)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const QLocale l = localeOf(Locale);
    QString text;
    switch (LCType) {
    case LOCALE_SCOUNTRY:
        // The name in the machine's display language, which is English.
        text = QLocale::territoryToString(l.territory());
        break;
    case LOCALE_SENGLISHCOUNTRYNAME:
        text = QLocale::territoryToString(l.territory());
        break;
    default:
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    return int(copyText(text, lpLCData, DWORD(cchData)));
}

DWORD WINAPI VerLanguageNameW(DWORD wLang, LPWSTR szLang, DWORD cchLang)
{
    const QLocale l = localeOf(wLang);
    const QString text = QLocale::languageToString(l.language()) + QStringLiteral(" (") +
                         QLocale::territoryToString(l.territory()) + QLatin1Char(')');
    if (!szLang || cchLang == 0)
        return DWORD(text.size());
    // Cut to the buffer, as Windows does; the length copied comes back.
    return DWORD(copyToWide(text, szLang, cchLang));
}

DWORD WINAPI GetTimeZoneInformation(LPTIME_ZONE_INFORMATION info)
{
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return TIME_ZONE_ID_INVALID;
    }
    std::memset(info, 0, sizeof(*info));
    const QTimeZone zone = machineclock::zone();
    if (!zone.isValid()) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return TIME_ZONE_ID_INVALID;
    }
    const QDateTime now = QDateTime::fromMSecsSinceEpoch(machineclock::utcMs(), Qt::UTC);
    info->Bias = -zone.standardTimeOffset(now) / 60;
    copyToWide(zone.displayName(QTimeZone::StandardTime, QTimeZone::LongName), info->StandardName, 32);
    if (!zone.hasDaylightTime())
        return TIME_ZONE_ID_UNKNOWN;
    copyToWide(zone.displayName(QTimeZone::DaylightTime, QTimeZone::LongName), info->DaylightName, 32);
    info->DaylightBias = -60;
    return zone.isDaylightTime(now) ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

UINT WINAPI GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize)
{
    const QString text = standin::windowsPath(machine::windowsFolder() + QStringLiteral("/System32"));
    const UINT needed = UINT(text.size()) + 1;
    if (!lpBuffer || uSize < needed)
        return needed;
    copyToWide(text, lpBuffer, uSize);
    return needed - 1;
}

LPWCH WINAPI GetEnvironmentStringsW()
{
    // The machine's block, one "name=value" entry after the other, ended by an empty entry.
    QString block;
    const QList<QPair<QString, QString>> vars = machine::environment();
    for (const auto &v : vars) {
        block += v.first + QLatin1Char('=') + v.second;
        block += QChar(0);
    }
    block += QChar(0);
    if (block.size() == 1)
        block += QChar(0);
    auto *out = static_cast<LPWCH>(std::malloc(size_t(block.size()) * sizeof(WCHAR)));
    if (!out) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::memcpy(out, block.utf16(), size_t(block.size()) * sizeof(WCHAR));
    return out;
}

BOOL WINAPI FreeEnvironmentStringsW(LPWCH penv)
{
    std::free(penv);
    return TRUE;
}
