// Identifiers of the program's resources, shared by the .rc files and the code.
#pragma once

#define IDI_PROGRAM 1

#define IDB_BANNER_MAIN 101
#define IDB_BANNER_LOGIN 102
#define IDB_ALLOW 103
#define IDB_BLOCK 104
#define IDB_APPLY 105

#define IDR_MAIN_MENU 200
#define IDM_APPLY 201
#define IDM_PASSWORD 202
#define IDM_EXIT 203
#define IDM_ALLOW 204
#define IDM_BLOCK 205
#define IDM_REMOVE_SITE 206
#define IDM_CLEAR_ALL 207
#define IDM_SUPPORT 208
#define IDM_UNINSTALL 209
#define IDM_ABOUT 210
#define IDM_RESTORE 211
#define IDM_CHECK_BLOCKING 212
#define IDM_LOCK 213
#define IDM_BROWSER_SETTINGS 214
#define IDM_SCHEDULE 215
#define IDM_BLOCK_ON_SCHEDULE 216
#define IDM_IMPORT 217
#define IDM_EXPORT 218
#define IDM_FIND 219
// The main window's keys: Ctrl+F for Find.
#define IDR_MAIN_KEYS 220
// The list's context menu: the entry commands of the Edit menu.
#define IDR_LIST_MENU 102

// The windows' controls take their ids from their layout tables (control_table.h), from 300 on;
// none may be IDOK (1) or IDCANCEL (2): the dialog keys send those to the window.

// The list chooser's buttons are IDOK and IDCANCEL, so that Enter and Esc press them.
#define IDC_CHOOSER_PROMPT 600
#define IDC_CHOOSER_LIST 601
#define IDC_CHOOSER_OTHER 602
#define IDC_PROGRESS_TEXT 610
#define IDC_PROGRESS_BAR 611
