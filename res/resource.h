// Resource ids of RemoveKM, shared by the resource script and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_REMOVER_DIALOG 102
#define IDR_MAINFRAME 128
#define IDD_PROGRESS 129
#define IDD_CLOSE_NOTICE 130
#define IDC_LOCATION 1000
#define IDC_BROWSE 1001
#define IDC_SAVE_DATA 1002
#define IDC_STATUS 1003
#define IDC_STEP 1004
#define IDC_ITEM 1005
#define IDC_NOTICE 1006
#define IDM_ABOUTBOX 0x0010

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
