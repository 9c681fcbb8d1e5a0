// Resource ids of the tools windows: the port monitor's dialog, the traffic
// page and the notifier's skin.
#pragma once

#define IDD_PORT_INFO 191          // "Local Port Information"
#define IDC_PORT_LIST 1001
#define IDC_PORT_TCP 1002
#define IDC_PORT_UDP 1003
#define IDC_PORT_REFRESH 1004

#define IDD_NET_TRAFFIC 197        // "Net Traffic Watch"
#define IDC_TRAFFIC_TOTAL 1205
#define IDC_TRAFFIC_IN 1206
#define IDC_TRAFFIC_OUT 1207
#define IDC_TRAFFIC_TOTAL_SECS 1209
#define IDC_TRAFFIC_TOTAL_SPIN 1210
#define IDC_TRAFFIC_OUT_SECS 1211
#define IDC_TRAFFIC_OUT_SPIN 1212
#define IDC_TRAFFIC_IN_SECS 1213
#define IDC_TRAFFIC_IN_SPIN 1214
#define IDC_TRAFFIC_APPLY 1215
#define IDC_TRAFFIC_STATUS 1216

#define IDB_NOTIFIER_SKIN 138      // the notifier's panel; magenta outside it
