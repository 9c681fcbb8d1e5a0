// Resource and command ids of the search and site-to-site pages and of the
// queue's information boxes.
#pragma once

#define IDD_QUEUE_INFO 133
#define IDD_PLAN_ITEM 141
#define IDD_SEARCH_LIST_PANE 152
#define IDD_BATCH_LIST_PANE 198

#define IDC_INFO_LIST 1022
#define IDC_SEARCH_LIST 1135
#define IDC_BATCH_LIST 1083

#define IDC_ITEM_HOST 1056
#define IDC_ITEM_PORT 1057
#define IDC_ITEM_USER 1058
#define IDC_ITEM_PASSWORD 1059
#define IDC_ITEM_LOCAL 1060
#define IDC_ITEM_REMOTE 1061
#define IDC_ITEM_PASV 1062
#define IDC_ITEM_ANONYMOUS 1063
#define IDC_ITEM_STATUS 1064
#define IDC_ITEM_NAME 1065
#define IDC_ITEM_RETRIES 1072
#define IDC_ITEM_FAILED 1073

// "Search" menu.
#define ID_SEARCH_DELETE 32851
#define ID_SEARCH_CLEAR 32852
#define ID_SEARCH_DOWNLOAD 32853
#define ID_SEARCH_DOWNLOAD_ALL 32856
// "Batch" menu.
#define ID_BATCH_STOP_SELECTION 32871
#define ID_BATCH_STOP_ALL 32872
#define ID_BATCH_DELETE 32873
#define ID_BATCH_CLEAR 32874
// Shared with the queue's menu: Queue Information, Select All, Invert Selection.
