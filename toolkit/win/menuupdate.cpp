#include "toolkit/menuupdate.h"

#include "toolkit/bcmenu.h"

namespace {

// One command target that asks the window first and the main window second.
class CPopupRoute : public CCmdTarget {
public:
  CPopupRoute(CWnd* pWindow, CWnd* pMain) : m_pWindow(pWindow), m_pMain(pMain == pWindow ? nullptr : pMain) {}
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override {
    if (m_pWindow != nullptr && m_pWindow->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
      return TRUE;
    return m_pMain != nullptr && m_pMain->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
  }

private:
  CWnd* m_pWindow;
  CWnd* m_pMain;
};

}  // namespace

void UpdatePopupMenuUI(CWnd* pWindow, CMenu* pPopup) {
  if (pPopup == nullptr || pPopup->m_hMenu == nullptr)
    return;
  CPopupRoute route(pWindow, AfxGetMainWnd());
  AfxUpdateMenuUI(&route, pPopup->m_hMenu, TRUE);
  // A handler's SetText made its item a plain string again.
  BCMenu::SyncMenu(pPopup);
}
