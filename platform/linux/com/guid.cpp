// GUID text in the registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#include "win32.h"

#include <QUuid>

int WINAPI StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax)
{
    const QUuid uuid(rguid.Data1, rguid.Data2, rguid.Data3, rguid.Data4[0], rguid.Data4[1], rguid.Data4[2],
                     rguid.Data4[3], rguid.Data4[4], rguid.Data4[5], rguid.Data4[6], rguid.Data4[7]);
    const QString text = uuid.toString(QUuid::WithBraces).toUpper();
    if (!lpsz || cchMax <= text.size())
        return 0;
    copyToWide(text, lpsz, cchMax);
    return int(text.size() + 1);
}

HRESULT WINAPI CLSIDFromString(LPCOLESTR lpsz, CLSID *pclsid)
{
    if (!pclsid)
        return E_INVALIDARG;
    const QString text = fromWide(lpsz);
    // Only the braced form is a GUID here; program names would be looked up in the registry on Windows.
    const QUuid uuid = text.size() == 38 && text.startsWith(QLatin1Char('{')) ? QUuid::fromString(text) : QUuid();
    if (uuid.isNull() && text != QLatin1String("{00000000-0000-0000-0000-000000000000}")) {
        *pclsid = CLSID();
        return CO_E_CLASSSTRING;
    }
    pclsid->Data1 = uuid.data1;
    pclsid->Data2 = uuid.data2;
    pclsid->Data3 = uuid.data3;
    for (int i = 0; i < 8; ++i)
        pclsid->Data4[i] = uuid.data4[i];
    return S_OK;
}
