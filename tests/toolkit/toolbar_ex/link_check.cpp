// Links the customisable toolbar and the sizing bar into a 32-bit GUI program
// (the i686 build runs nothing).
#include "toolkit/cooldialogbar.h"
#include "toolkit/toolbarex.h"

namespace {

class CCheckApp : public CWinApp {
public:
  BOOL InitInstance() override {
    CFrameWnd* pFrame = new CFrameWnd;
    if (!pFrame->Create(nullptr, "check"))
      return FALSE;
    CToolBarEx bar;
    if (bar.CreateEx(pFrame) && bar.LoadToolBar(171)) {
      bar.AddDropDownButton(32858, 175, FALSE);
      bar.InitButtonTable();
      bar.RestoreState();
      bar.MarkVisibleButtons();
      bar.SaveState();
    }
    CDialog dlg;
    CCoolDialogBar sizing;
    if (sizing.Create(pFrame, &dlg, "Function Information:", 0xE901))
      CCoolDialogBar::GlobalSaveState(pFrame, "ZARN_Bar");
    pFrame->DestroyWindow();
    return FALSE;
  }
};

CCheckApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
  return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
