// Identifiers shared by the resource script and the code.
#pragma once

#define IDR_MAIN_MENU 4
#define IDR_ACCELERATORS 102
#define IDI_MAIN 103
#define IDD_CONFIRM 105
#define IDD_DUPLICATES 106
#define IDD_STORE_FILES 107

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Controls of the dialogs
#define IDC_YES_TO_ALL 3
#define IDC_SKIP_ALL 8
#define IDC_SKIP_FILE 1001
#define IDC_BACKUP_DUPLICATES 1004

// Commands of the menu and the accelerator table
#define CMD_SELECT_ALL 40001
#define CMD_EXIT 40003
#define CMD_SELECT_PRECOMPUTES 40004
#define CMD_INVERT_SELECTION 40005
#define CMD_SHOW_CONSOLE 40008
#define CMD_SHOW_CONSOLE_KEY 40009
#define CMD_NEXT_VIEW 40011
#define CMD_GET_INFO 40012
#define CMD_STORE_SIFT 40014
#define CMD_COPY 40015
#define CMD_MOVE 40016
#define CMD_DELETE 40017
#define CMD_OMF_INFO_TOOL 40019
