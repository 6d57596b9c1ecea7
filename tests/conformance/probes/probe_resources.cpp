// Resources and metrics as the helper reads them at its start: its title and class name from the string
// table, the tray icon at the small-icon size, the arrow cursor of its class. The probe carries no resources
// of its own, so the lookups take the path of a missing one.
#include "probe.h"

using probe::line;
using probe::result;

int main()
{
    probe::start();
    HINSTANCE instance = GetModuleHandleW(nullptr);

    // The helper's two strings (IDS_APP_TITLE 103, IDC_GLASSPAN 109) into buffers of 100.
    WCHAR title[100] = {};
    SetLastError(0);
    const int n = LoadStringW(instance, 103, title, 100);
    result("LoadStringW.missing", n, n == 0);

    // The small and the large icon sizes.
    line("GetSystemMetrics.SM_CXSMICON", "%d", GetSystemMetrics(SM_CXSMICON));
    line("GetSystemMetrics.SM_CYSMICON", "%d", GetSystemMetrics(SM_CYSMICON));
    line("GetSystemMetrics.SM_CXICON", "%d", GetSystemMetrics(SM_CXICON));
    line("GetSystemMetrics.SM_CYICON", "%d", GetSystemMetrics(SM_CYICON));

    // The tray icon (IDI_SMALL 131) at the small-icon size.
    SetLastError(0);
    HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(131), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR);
    result("LoadImageW.missing", icon ? 1 : 0, !icon);

    // The system's arrow: one shared cursor, the same handle each time.
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    line("LoadCursorW.arrow", "%s", arrow ? "nonzero" : "null");
    line("LoadCursorW.again", "%s", LoadCursorW(nullptr, IDC_ARROW) == arrow ? "same" : "other");
    return probe::end();
}
