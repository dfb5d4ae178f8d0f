// Resource and control IDs of the main dialog. Kept to plain #defines so
// that the resource compiler and the C++ sources share one list.
#ifndef KESHBAT_RESOURCE_H
#define KESHBAT_RESOURCE_H

#define IDI_MAIN            202

#define IDC_SCRIPT_LIST     1000
#define IDC_RUN             1001
#define IDC_GAME_TIE        1002
#define IDC_GAME_XVT        1003
#define IDC_GAME_BOP        1004
#define IDC_GAME_XWA        1005

#endif
