// Links the tab controls, the page host and the buttons into a 32-bit GUI
// program (the i686 build runs nothing).
#include "toolkit/colorbutton.h"
#include "toolkit/hoverbutton.h"
#include "toolkit/iconbutton.h"
#include "toolkit/tabpagedialog.h"
#include "toolkit/tabsheet.h"

#include "buttonids.h"

namespace {

class CCheckApp : public CWinApp {
public:
  BOOL InitInstance() override {
    CShadedTabCtrl::EnableCustomLook(TRUE, 31);
    CTabSheet sheet;
    sheet.SetBkColor(0xC8C8C8);
    sheet.SetDrawStyle(2);
    CTabPageDialog page(1, nullptr);
    sheet.AddPage("Page", 0, &page);
    sheet.SetActivePage(0);
    CIconButton icon;
    icon.SetIcon(IDI_SQUARE, CIconButton::ICON_GREY);
    icon.SetMenu(IDM_DROPDOWN, nullptr);
    icon.SetPressedStyle(1);
    CHoverButton hover;
    hover.EnableHover(TRUE);
    CColorButton color;
    color.SetLinkedWindow(nullptr);
    return FALSE;
  }
};

CCheckApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
  return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
