// Resource ids of the console-and-ping library.
#pragma once

#define IDD_PING 1010
#define IDC_PING_START 1044
#define IDC_PING_HOST 1045
#define IDC_PING_COUNT 1046
#define IDC_PING_SPIN 1048
#define IDC_PING_LIST 1049
#define IDC_PING_LEFT_END 1050
#define IDC_PING_RIGHT_END 1051
#define IDC_PING_CLOSE 1052
#define IDC_PING_HOST_LABEL 1053
#define IDC_PING_COUNT_LABEL 1054
