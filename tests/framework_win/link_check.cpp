// Links every part of the window framework into a 32-bit GUI program.
#include "framework/afxwin.h"

namespace {

class CCheckWnd : public CWnd {
protected:
  afx_msg int OnCreate(LPCREATESTRUCT lpcs) { return CWnd::OnCreate(lpcs); }
  afx_msg void OnTimer(UINT_PTR) { DestroyWindow(); }
  afx_msg LRESULT OnPing(WPARAM, LPARAM) { return 1; }
  afx_msg void OnRange(UINT) {}
  afx_msg void OnUpdate(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }
  afx_msg void OnClick(NMHDR*, LRESULT*) {}
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCheckWnd, CWnd)
  ON_WM_CREATE()
  ON_WM_TIMER()
  ON_MESSAGE(WM_USER, OnPing)
  ON_COMMAND_RANGE(100, 110, OnRange)
  ON_UPDATE_COMMAND_UI(100, OnUpdate)
  ON_NOTIFY(NM_CLICK, 5, OnClick)
END_MESSAGE_MAP()

class CCheckThread : public CWinThread {
  DECLARE_DYNCREATE(CCheckThread)
public:
  BOOL InitInstance() override {
    m_pMainWnd = new CCheckWnd;
    return m_pMainWnd->CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr);
  }
};

IMPLEMENT_DYNCREATE(CCheckThread, CWinThread)

class CCheckApp : public CWinApp {
public:
  BOOL InitInstance() override {
    CWinThread* p = AfxBeginThread(RUNTIME_CLASS(CCheckThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (p != nullptr) {
      p->m_bAutoDelete = FALSE;
      p->ResumeThread();
      p->PostThreadMessage(WM_QUIT, 0, 0);
      ::WaitForSingleObject(p->m_hThread, INFINITE);
      delete p;
    }
    CString str;
    str.LoadString(1);
    return FALSE;
  }
};

CCheckApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
  return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
