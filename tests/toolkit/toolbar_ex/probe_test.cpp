// What Wine's own toolbar does for a saved layout and for its Customize dialog,
// found with a bare toolbar control and a plain parent window. The findings:
// - TB_SAVERESTORE save sends TBN_SAVE for item -1 first, then one per button;
//   the owner may grow cbData and hand over its own block, moving pCurrent past
//   its front; each button record is one DWORD, its command, 0 for a separator.
// - TB_SAVERESTORE restore sends TBN_RESTORE for item -1 with the whole value
//   (cButtons = size / 4, front included); the owner may move pCurrent past
//   its front and set cButtons. A separator does not survive: restored as
//   command 0, it is dropped. So CToolBarEx writes and reads the value itself.
// - TB_CUSTOMIZE opens the dialog as the thread's first new window and sends
//   begin adjust, initialise customise, get button info, query insert and
//   query delete, then end adjust when it closes.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

struct Seen {
  std::vector<UINT> codes;
  int saveFirstItem = 0, restoreFirstItem = 0;
  int saveFirstCb = -1, restoreFirstCb = -1, restoreFirstButtons = -1;
  int saveCalls = 0, restoreCalls = 0;
  bool growFront = true;
} g_seen;

const char kSubKey[] = "Software\\ZarnToolbarProbe";

LRESULT CALLBACK ParentProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_NOTIFY) {
    NMHDR* p = reinterpret_cast<NMHDR*>(l);
    g_seen.codes.push_back(p->code);
    if (p->code == TBN_SAVE) {
      NMTBSAVE* s = reinterpret_cast<NMTBSAVE*>(l);
      if (g_seen.saveCalls++ == 0) {
        g_seen.saveFirstItem = s->iItem;
        g_seen.saveFirstCb = (int)s->cbData;
        if (g_seen.growFront) {
          s->cbData += 8;
          s->pData = (DWORD*)::LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, s->cbData);
          s->pData[0] = 1;
          s->pData[1] = 1;
          s->pCurrent = s->pData + 2;
        }
      }
    } else if (p->code == TBN_RESTORE) {
      NMTBRESTORE* r = reinterpret_cast<NMTBRESTORE*>(l);
      if (g_seen.restoreCalls++ == 0) {
        g_seen.restoreFirstItem = r->iItem;
        g_seen.restoreFirstCb = (int)r->cbData;
        g_seen.restoreFirstButtons = r->cButtons;
        r->pCurrent = r->pData + 2;
        r->cButtons = (int)((r->cbData - 8) / sizeof(DWORD));
      }
      return 0;
    } else if (p->code == TBN_GETBUTTONINFOA) {
      NMTOOLBARA* t = reinterpret_cast<NMTOOLBARA*>(l);
      if (t->iItem >= 0 && t->iItem < 2) {
        t->tbButton = TBBUTTON{};
        t->tbButton.idCommand = 100 + t->iItem;
        t->tbButton.fsState = TBSTATE_ENABLED;
        return TRUE;
      }
      return FALSE;
    } else if (p->code == TBN_QUERYINSERT || p->code == TBN_QUERYDELETE || p->code == TBN_INITCUSTOMIZE) {
      return TRUE;
    }
    return 0;
  }
  return ::DefWindowProcA(h, m, w, l);
}

HWND g_firstNew = nullptr;
char g_firstClass[64] = "";
HHOOK g_hook = nullptr;
LRESULT CALLBACK CbtProc(int code, WPARAM w, LPARAM l) {
  if (code == HCBT_CREATEWND && g_firstNew == nullptr) {
    g_firstNew = (HWND)w;
    ::GetClassNameA(g_firstNew, g_firstClass, sizeof g_firstClass);
  }
  return ::CallNextHookEx(g_hook, code, w, l);
}

// Closes the Customize dialog once it shows.
VOID CALLBACK CloseTimer(HWND, UINT, UINT_PTR id, DWORD) {
  if (g_firstNew != nullptr && ::IsWindowVisible(g_firstNew)) {
    ::KillTimer(nullptr, id);
    ::PostMessageA(g_firstNew, WM_COMMAND, IDCANCEL, 0);
  }
}

class Probe : public ::testing::Test {
protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZarnProbeParent";
    ::RegisterClassA(&wc);
    m_parent = ::CreateWindowA("ZarnProbeParent", "Probe", WS_OVERLAPPEDWINDOW, 50, 50, 400, 200, nullptr, nullptr,
                               wc.hInstance, nullptr);
    m_tb = ::CreateWindowA(TOOLBARCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | CCS_ADJUSTABLE, 0, 0, 0, 0, m_parent,
                           (HMENU)1, wc.hInstance, nullptr);
    ASSERT_NE(m_tb, nullptr);
    ::SendMessageA(m_tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBBUTTON b[3] = {};
    b[0].idCommand = 100;
    b[0].fsState = TBSTATE_ENABLED;
    b[1].fsStyle = TBSTYLE_SEP;
    b[2].idCommand = 101;
    b[2].fsState = TBSTATE_ENABLED;
    b[2].iBitmap = 1;
    ::SendMessageA(m_tb, TB_ADDBUTTONSA, 3, (LPARAM)b);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kSubKey);
  }
  void TearDown() override {
    ::DestroyWindow(m_parent);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kSubKey);
  }
  HWND m_parent = nullptr, m_tb = nullptr;
};

TEST_F(Probe, SaveAndRestoreTakeTheOwnersFront) {
  TBSAVEPARAMSA sp = {HKEY_CURRENT_USER, kSubKey, "Layout"};
  ::SendMessageA(m_tb, TB_SAVERESTOREA, TRUE, (LPARAM)&sp);
  EXPECT_EQ(g_seen.saveFirstItem, -1);
  EXPECT_EQ(g_seen.saveCalls, 4);  // item -1, then the three buttons
  EXPECT_EQ(g_seen.saveFirstCb, 3 * (int)sizeof(DWORD));
  HKEY hKey = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, kSubKey, 0, KEY_READ, &hKey), ERROR_SUCCESS);
  BYTE data[64] = {};
  DWORD cb = sizeof data, type = 0;
  ASSERT_EQ(::RegQueryValueExA(hKey, "Layout", nullptr, &type, data, &cb), ERROR_SUCCESS);
  ::RegCloseKey(hKey);
  EXPECT_EQ(type, (DWORD)REG_BINARY);
  ASSERT_EQ(cb, 8u + 3 * sizeof(DWORD));
  const DWORD* d = reinterpret_cast<const DWORD*>(data);
  EXPECT_EQ(d[0], 1u);
  EXPECT_EQ(d[1], 1u);
  EXPECT_EQ(d[2], 100u);
  EXPECT_EQ(d[3], 0u);  // a separator: command 0, nothing tells it from a button
  EXPECT_EQ(d[4], 101u);

  ::SendMessageA(m_tb, TB_DELETEBUTTON, 0, 0);
  ::SendMessageA(m_tb, TB_DELETEBUTTON, 0, 0);
  ::SendMessageA(m_tb, TB_SAVERESTOREA, FALSE, (LPARAM)&sp);
  EXPECT_EQ(g_seen.restoreFirstItem, -1);
  EXPECT_EQ(g_seen.restoreFirstCb, (int)cb);
  EXPECT_EQ(g_seen.restoreFirstButtons, (int)(cb / sizeof(DWORD)));
  // The separator comes back as a button of command 0 that no button info
  // fills, and the control drops it: the restored bar has lost its separator.
  ASSERT_EQ(::SendMessageA(m_tb, TB_BUTTONCOUNT, 0, 0), 2);
  TBBUTTON b = {};
  ::SendMessageA(m_tb, TB_GETBUTTON, 1, (LPARAM)&b);
  EXPECT_FALSE(b.fsStyle & TBSTYLE_SEP);
  EXPECT_EQ(b.idCommand, 101);
}

TEST_F(Probe, CustomizeIsTheFirstNewWindowAndNotifiesTheOwner) {
  g_seen.codes.clear();
  g_firstNew = nullptr;
  g_hook = ::SetWindowsHookExA(WH_CBT, CbtProc, nullptr, ::GetCurrentThreadId());
  UINT_PTR t = ::SetTimer(nullptr, 0, 50, CloseTimer);
  ::SendMessageA(m_tb, TB_CUSTOMIZE, 0, 0);
  ::KillTimer(nullptr, t);
  ::UnhookWindowsHookEx(g_hook);
  ASSERT_NE(g_firstNew, nullptr);
  EXPECT_STREQ(g_firstClass, "#32770");
  std::set<UINT> s(g_seen.codes.begin(), g_seen.codes.end());
  for (UINT code : {(UINT)TBN_BEGINADJUST, (UINT)TBN_INITCUSTOMIZE, (UINT)TBN_GETBUTTONINFOA, (UINT)TBN_QUERYINSERT,
                    (UINT)TBN_QUERYDELETE, (UINT)TBN_ENDADJUST})
    EXPECT_TRUE(s.count(code)) << "notification " << (int)code;
}

}  // namespace
