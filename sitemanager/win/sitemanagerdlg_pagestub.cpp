// Stand-ins for the property pages until they are built: nothing shown, and
// no edits are ever pending.
#include "sitemanager/sitemanagerdlg.h"

void CSiteManagerDlg::ShowNodeInPages(HTREEITEM) {}

bool CSiteManagerDlg::SettlePageEdits() { return true; }
