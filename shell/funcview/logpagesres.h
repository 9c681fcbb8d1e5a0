// Resource ids of the connection log and sites-status pages.
#pragma once

#define IDD_LOG_PANE 143
#define IDD_SITE_STATUS_PANE 154

#define IDC_CONN_INFO_LIST 1016
#define IDC_STATUS_TREE 1017
#define IDC_STATUS_LIST 1018
#define IDC_STATUS_VSPLIT 1019
#define IDC_STATUS_TEXT 1020
#define IDC_STATUS_HSPLIT 1021
#define IDC_LOG_SPLIT 1208

#define ID_CONNINFO_COPY 32786
#define ID_CONNINFO_SAVE 32787
#define ID_CONNINFO_CLEAR 32788
