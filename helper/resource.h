// Resource identifiers of the helper (glasspan.rc).
#pragma once

#define IDS_APP_TITLE 103
#define IDI_GLASSPAN 107
#define IDC_GLASSPAN 109
#define IDI_SMALL 131
