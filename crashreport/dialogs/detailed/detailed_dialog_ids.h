// Control identifiers of the detailed dialog's templates (shared by the
// resource script and the code; plain defines so the resource compiler reads them).
#pragma once

// VX_DIALOG
#define VX_DETAILED_HEADING 101
#define VX_DETAILED_OK 102
#define VX_DETAILED_KILL 103
#define VX_DETAILED_DETAILS 104
#define VX_DETAILED_HELP 105
#define VX_DETAILED_TABS 1000
#define VX_DETAILED_SEPARATOR 2000
#define VX_DETAILED_SEND 3000
#define VX_DETAILED_SCREENSHOT 4000
#define VX_DETAILED_COPY 5000

// VX_TAB_* pages
#define VX_PAGE_CAPTION 102
#define VX_PAGE_CONTENT 103
