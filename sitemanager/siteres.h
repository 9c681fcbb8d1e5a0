// Resource ids of the site-manager library (templates, controls, texts).
#pragma once

#define IDD_SITE_FILE 1022
#define IDD_SITE_NAME 1023

#define IDC_SITE_FILE_PATH 1052
#define IDC_SITE_FILE_BROWSE 1053
#define IDC_SITE_NAME_TEXT 1061
#define IDC_SITE_NAME_PROMPT 1063
