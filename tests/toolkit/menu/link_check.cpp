// Links the owner-drawn menu into a 32-bit GUI program (the i686 build runs nothing).
#include "toolkit/bcmenu.h"
#include "toolkit/menuupdate.h"

#include "menuids.h"

namespace {

class CCheckApp : public CWinApp {
public:
  BOOL InitInstance() override {
    SetMenuStyleFromOptions(0x100000);
    BCMenu menu;
    menu.LoadToolbar(IDT_TOOLS);
    if (menu.LoadMenu(IDM_TEST)) {
      BCMenu* pPopup = menu.GetSubMenu(0);
      if (pPopup != nullptr) {
        pPopup->AppendMenu(MF_STRING, ID_TWO, "Two", IDT_TOOLS);
        UpdatePopupMenuUI(nullptr, pPopup);
        BCMenu::OnMenuChar('t', MF_POPUP, pPopup);
        CString s;
        pPopup->GetMenuText(ID_TWO, s, MF_BYCOMMAND);
        pPopup->RemoveMenu(ID_TWO, MF_BYCOMMAND);
      }
    }
    return FALSE;
  }
};

CCheckApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
  return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
