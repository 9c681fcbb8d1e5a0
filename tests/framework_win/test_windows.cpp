// Windows bound to objects: creation, the handle map, subclassing, destruction.
#include "fwtest.h"

#include <atomic>

using fwtest::PumpUntil;

namespace {

const UINT UWM_WHO = WM_USER + 101;
const UINT UWM_ADD = WM_USER + 102;

std::atomic<int> g_nSelfDeleted{0};

class CTraceWnd : public CWnd {
public:
  int m_nNcCreate = 0, m_nCreate = 0, m_nDestroy = 0, m_nTimer = 0, m_nSetText = 0;
  bool m_bBoundAtNcCreate = false;
  int m_nCreateResult = 0;

protected:
  afx_msg BOOL OnNcCreate(LPCREATESTRUCT lpcs) {
    ++m_nNcCreate;
    m_bBoundAtNcCreate = FromHandlePermanent(m_hWnd) == this;
    return CWnd::OnNcCreate(lpcs);
  }
  afx_msg int OnCreate(LPCREATESTRUCT lpcs) {
    ++m_nCreate;
    if (CWnd::OnCreate(lpcs) == -1)
      return -1;
    return m_nCreateResult;
  }
  afx_msg void OnDestroy() {
    ++m_nDestroy;
    CWnd::OnDestroy();
  }
  afx_msg void OnTimer(UINT_PTR nID) {
    if (nID == 5 && ++m_nTimer == 2)
      KillTimer(5);
  }
  afx_msg LRESULT OnWho(WPARAM, LPARAM) { return (LRESULT)this; }
  afx_msg LRESULT OnAdd(WPARAM w, LPARAM l) { return (LRESULT)(w + l); }
  afx_msg LRESULT OnSetTextMsg(WPARAM, LPARAM) {
    ++m_nSetText;
    return Default();  // the window's own procedure stores the text
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTraceWnd, CWnd)
  ON_WM_NCCREATE()
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_TIMER()
  ON_MESSAGE(UWM_WHO, OnWho)
  ON_MESSAGE(UWM_ADD, OnAdd)
  ON_MESSAGE(WM_SETTEXT, OnSetTextMsg)
END_MESSAGE_MAP()

class CSelfDeletingWnd : public CTraceWnd {
public:
  ~CSelfDeletingWnd() override { ++g_nSelfDeleted; }
  void PostNcDestroy() override { delete this; }
};

BOOL MakeHidden(CWnd& wnd, LPCTSTR lpszClass = nullptr) {
  return wnd.CreateEx(0, lpszClass, "test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
}

}  // namespace

TEST(Window, CreateBindsBeforeFirstMessageAndUnbindsAtDestroy) {
  CTraceWnd wnd;
  ASSERT_TRUE(MakeHidden(wnd));
  HWND hWnd = wnd.m_hWnd;
  EXPECT_TRUE(wnd.m_bBoundAtNcCreate);
  EXPECT_EQ(1, wnd.m_nNcCreate);
  EXPECT_EQ(1, wnd.m_nCreate);
  EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(hWnd));
  EXPECT_EQ(&wnd, CWnd::FromHandle(hWnd));
  EXPECT_EQ((LRESULT)&wnd, ::SendMessageA(hWnd, UWM_WHO, 0, 0));
  EXPECT_EQ(7, wnd.SendMessage(UWM_ADD, 3, 4));
  // Unmapped messages get the default procedure.
  wnd.SetWindowText("title");
  CString strText;
  wnd.GetWindowText(strText);
  EXPECT_STREQ("title", strText);
  EXPECT_EQ(1, wnd.m_nSetText);

  wnd.SetTimer(5, 10);
  EXPECT_TRUE(PumpUntil([&] { return wnd.m_nTimer >= 2; }));

  EXPECT_TRUE(wnd.DestroyWindow());
  EXPECT_EQ(1, wnd.m_nDestroy);
  EXPECT_EQ(nullptr, wnd.m_hWnd);
  EXPECT_FALSE(::IsWindow(hWnd));
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
  // The object can make a new window afterwards.
  ASSERT_TRUE(MakeHidden(wnd));
  EXPECT_TRUE(wnd.DestroyWindow());
}

TEST(Window, ClassRegistrationIsSharedAndDefaultIsUsable) {
  LPCTSTR a = AfxRegisterWndClass(CS_DBLCLKS);
  LPCTSTR b = AfxRegisterWndClass(CS_DBLCLKS);
  LPCTSTR c = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW);
  EXPECT_EQ(a, b);
  EXPECT_STRNE(a, c);
  CTraceWnd wnd;
  ASSERT_TRUE(MakeHidden(wnd, c));
  char szClass[128];
  ::GetClassNameA(wnd.m_hWnd, szClass, sizeof szClass);
  EXPECT_STREQ(c, szClass);
  wnd.DestroyWindow();
}

TEST(Window, PostNcDestroySelfDeleteAndFailedCreate) {
  g_nSelfDeleted = 0;
  CSelfDeletingWnd* p = new CSelfDeletingWnd;
  ASSERT_TRUE(MakeHidden(*p));
  HWND hWnd = p->m_hWnd;
  p->DestroyWindow();  // deletes p
  EXPECT_EQ(1, g_nSelfDeleted);
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));

  // WM_CLOSE's default processing destroys it the same way.
  p = new CSelfDeletingWnd;
  ASSERT_TRUE(MakeHidden(*p));
  hWnd = p->m_hWnd;
  ::SendMessageA(hWnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(2, g_nSelfDeleted);
  EXPECT_FALSE(::IsWindow(hWnd));

  // OnCreate refusing: CreateEx fails and the object is deleted exactly once.
  p = new CSelfDeletingWnd;
  p->m_nCreateResult = -1;
  EXPECT_FALSE(MakeHidden(*p));
  EXPECT_EQ(3, g_nSelfDeleted);
}

TEST(Window, DeletingTheObjectDestroysItsWindow) {
  CTraceWnd* p = new CTraceWnd;
  ASSERT_TRUE(MakeHidden(*p));
  HWND hWnd = p->m_hWnd;
  delete p;
  EXPECT_FALSE(::IsWindow(hWnd));
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
}

TEST(Window, SubclassForeignWindowAndGiveItBack) {
  HWND hStatic = ::CreateWindowExA(0, "STATIC", "x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, hStatic);
  LONG_PTR pfnOrig = ::GetWindowLongPtrA(hStatic, GWLP_WNDPROC);
  {
    CTraceWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(hStatic));
    EXPECT_FALSE(wnd.SubclassWindow(hStatic));  // one window per object
    CTraceWnd other;
    EXPECT_FALSE(other.Attach(hStatic));  // one object per window
    ::SetWindowTextA(hStatic, "subclassed");
    EXPECT_EQ(1, wnd.m_nSetText);
    char sz[32];
    ::GetWindowTextA(hStatic, sz, sizeof sz);
    EXPECT_STREQ("subclassed", sz);  // the static's own procedure kept the text
    EXPECT_EQ(hStatic, wnd.UnsubclassWindow());
    EXPECT_EQ(pfnOrig, ::GetWindowLongPtrA(hStatic, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hStatic));
  }
  EXPECT_TRUE(::IsWindow(hStatic));  // given back, not destroyed
  ::DestroyWindow(hStatic);

  // CreateEx with a system class: its messages reach the map from WM_NCCREATE on.
  CTraceWnd button;
  ASSERT_TRUE(button.CreateEx(0, "BUTTON", "b", WS_POPUP | BS_PUSHBUTTON, 0, 0, 10, 10, nullptr, nullptr));
  EXPECT_TRUE(button.m_bBoundAtNcCreate);
  EXPECT_EQ(1, button.m_nCreate);
  HWND hButton = button.m_hWnd;
  button.DestroyWindow();
  EXPECT_EQ(1, button.m_nDestroy);
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hButton));
}

TEST(Window, AttachDetachAndTemporaryObjects) {
  HWND hRaw = ::CreateWindowExA(0, "STATIC", "raw", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                ::GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, hRaw);
  CWnd* pTemp = CWnd::FromHandle(hRaw);
  ASSERT_NE(nullptr, pTemp);
  EXPECT_EQ(hRaw, pTemp->m_hWnd);
  EXPECT_EQ(pTemp, CWnd::FromHandle(hRaw));
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hRaw));
  EXPECT_EQ(nullptr, CWnd::FromHandle(nullptr));
  CWnd::DeleteTempMap();

  CWnd wnd;
  ASSERT_TRUE(wnd.Attach(hRaw));
  EXPECT_EQ(&wnd, CWnd::FromHandle(hRaw));
  EXPECT_EQ(hRaw, wnd.Detach());
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hRaw));
  // Destroying an attached (not subclassed) window unbinds it too.
  ASSERT_TRUE(wnd.Attach(hRaw));
  EXPECT_TRUE(wnd.DestroyWindow());
  EXPECT_EQ(nullptr, wnd.m_hWnd);
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hRaw));

  const CWnd* pNull = nullptr;
  EXPECT_EQ(nullptr, pNull->GetSafeHwnd());
}
