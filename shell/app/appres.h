#pragma once
// Resource ids of the application's own windows: splash, tip of the day,
// tray icon and About box.
#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDD_TIP 113
#define IDB_TIP_BULB 112
#define IDB_SPLASH 149
#define IDB_CREDITS_BACK 151
#define IDB_ABOUT_LOGO 153

#define IDS_TIP_NONE 106
#define IDS_TIP_NO_FILE 107
#define IDS_TIP_BAD_FILE 108

#define IDC_TIP_TEXT 1082
#define IDC_TIP_FOOTER 1182
#define IDC_TIP_HEADING 1183
#define IDC_TIP_STARTUP 1184
#define IDC_TIP_NEXT 1185
#define IDC_TIP_PICTURE 1186

#define IDC_ABOUT_CREDITS 1180
#define IDC_ABOUT_WEB 1161
#define IDC_ABOUT_MAIL 1163
#define IDC_ABOUT_LOGO 1202
#define IDC_ABOUT_VERSION 1203
#define IDC_ABOUT_RIGHTS 1204
