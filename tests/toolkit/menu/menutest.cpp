#include "menutest.h"

CWinApp theApp("zarn_menu_tests");

namespace menutest {
BEGIN_MESSAGE_MAP(CMenuHost, CWnd)
  ON_WM_MENUCHAR()
  ON_WM_INITMENUPOPUP()
  ON_WM_DRAWITEM()
END_MESSAGE_MAP()
}  // namespace menutest
