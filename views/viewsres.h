// Resource ids of the views: the list pane's page, the mask dialog and the
// program's own icons that extend the shared image lists.
#pragma once

#define IDD_LIST_PANE 132         // the "Files List" page: the splitter of the three lists
#define IDD_MASK_SELECT 162       // "Search FTP"
#define IDC_MASK_PROMPT 1068      // "Enter display name:"
#define IDC_MASK_TEXT 1152

#define IDI_VIEW_LOCAL_DISK 186   // image count - 4: the local disk root
#define IDI_VIEW_SITE 187         // g_siteImageBase - 3: a site not connected
#define IDI_VIEW_SERVER_ROOT 185  // g_siteImageBase - 2: the server root
#define IDI_VIEW_SITE_ONLINE 190  // g_siteImageBase - 1: a connected site
