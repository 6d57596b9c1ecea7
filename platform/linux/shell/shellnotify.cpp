// SHChangeNotify has no host effect: the machine's log records each notification as
// "event|flags|item1|item2" (event and flags in hexadecimal; items only where they are paths).
#include "win32.h"
#include "linux/machine/machine.h"

void WINAPI SHChangeNotify(LONG wEventId, UINT uFlags, LPCVOID dwItem1, LPCVOID dwItem2)
{
    const bool paths = (uFlags & SHCNF_TYPE) == SHCNF_PATHW;
    auto item = [paths](LPCVOID p) { return paths ? fromWide(static_cast<const WCHAR *>(p)) : QString(); };
    machine::log(QStringLiteral("SHChangeNotify"), QStringLiteral("0x%1|0x%2|%3|%4")
                                                       .arg(quint32(wEventId), 8, 16, QLatin1Char('0'))
                                                       .arg(uFlags, 4, 16, QLatin1Char('0'))
                                                       .arg(item(dwItem1), item(dwItem2)));
}
