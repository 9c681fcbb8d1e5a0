// Templates and control ids of the main window's room.
#pragma once

#define IDD_QUICK_ADD_SITE 184

#define IDC_QA_NAME 1000
#define IDC_QA_HOST 1080
#define IDC_QA_USER 1084
#define IDC_QA_PASSWORD 1086
#define IDC_QA_ANONYMOUS 1088
#define IDC_QA_PORT 1091
#define IDC_QA_PASV 1100
#define IDC_QA_LIMIT_NONE 1149
#define IDC_QA_LIMIT_SINGLE 1151
#define IDC_QA_LIMIT_COUNT 1154
#define IDC_QA_COUNT 1156
