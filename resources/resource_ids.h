/* Resource identifiers shared by the .rc files and the code. */
#pragma once

#define IDS_SAVER_NAME 1
#define IDI_MORVESSANTIQUE 100
#define IDB_OK_BUTTON 104
#define IDB_TITLE 108
#define IDB_COPYRIGHT 109
#define IDD_PROGRESS 110
#define IDB_WEB_ADDRESS 111
#define IDD_CONFIG 2003

#define IDC_VERTICAL_STATUS 1000
#define IDC_HORIZONTAL_STATUS 1001
#define IDC_FAST_MADNESS 1003

#define IDC_INSTALL_STATUS 1000
