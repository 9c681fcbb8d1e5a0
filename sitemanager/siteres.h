// Resource ids of the site-manager library (templates, controls, texts).
#pragma once

#define IDD_SITE_FILE 1022
#define IDD_SITE_NAME 1023

#define IDC_SITE_FILE_PATH 1052
#define IDC_SITE_FILE_BROWSE 1053
#define IDC_SITE_NAME_TEXT 1061
#define IDC_SITE_NAME_PROMPT 1063

#define IDD_SITE_MANAGER 1001
#define IDC_SITE_TREE 1002
#define IDC_SITE_OPTION 1051
#define IDC_SITE_IMPORT 1055
#define IDC_SITE_EXPORT 1056
#define IDC_SITE_APPLY 1057
#define IDC_SITE_CONNECT 1058
#define IDC_SITE_NEW_SITE 1059
#define IDC_SITE_NEW_LABEL 1060
#define IDC_SITE_DELETE 1064
#define IDC_SITE_EXIT 1065

// The tree's context menu and its commands (the buttons run the same code).
#define IDR_SITE_MENU 1024
#define ID_SITE_DELETE 32771
#define ID_SITE_CONNECT 32772
#define ID_SITE_NEW_SITE 32774
#define ID_SITE_NEW_LABEL 32775
#define ID_SITE_MODIFY_NAME 32777
#define ID_SITE_COPY_TO_WORK 32778
