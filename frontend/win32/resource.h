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

// Controls. None may be IDOK (1) or IDCANCEL (2): the dialog keys send those to the window.
#define IDC_COMMAND1 300
#define IDC_STATUSBAR1 301
#define IDC_LVWWEBSITES 302
#define IDC_TXTEXPORT 303
#define IDC_COMMAND3 304
#define IDC_CMDADDENTRY 305
#define IDC_TXTWEBSITE 306
#define IDC_LBLENTERWEBSITE 307
#define IDC_PICTURE1 308
#define IDC_LBLMESSAGE 309
#define IDC_IMGALLOW 310
#define IDC_IMGBLOCK 311
#define IDC_IMGAPPLY 312

#define IDC_LOGIN_LABEL1 400
#define IDC_LOGIN_LABEL2 401
#define IDC_LOGIN_LABEL3 402
#define IDC_LOGIN_TXTPASSWORD 403
#define IDC_LOGIN_LABEL4 404
#define IDC_LOGIN_CMDLOGIN 405

#define IDC_PASSWORD_LABEL1 500
#define IDC_PASSWORD_LABEL2 501
#define IDC_PASSWORD_TXTPASSWORD 502
#define IDC_PASSWORD_TXTCONFIRM 503
#define IDC_PASSWORD_CMDSAVEPASSWORD 504

// The list chooser's buttons are IDOK and IDCANCEL, so that Enter and Esc press them.
#define IDC_CHOOSER_PROMPT 600
#define IDC_CHOOSER_LIST 601
