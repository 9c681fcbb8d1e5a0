// The program's start-up and main window in-process, as zarn.exe runs them:
// the application object's InitInstance makes the document, the frame with its
// views, bars and function view; the tests then use its commands and close it.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "engine/progthread.h"
#include "engine/siteitem.h"
#include "shell/app/clientapp.h"
#include "shell/funcview/funcviewres.h"
#include "shell/funcview/queuepanedlg.h"
#include "shell/doc/zarndoc.h"
#include "shell/mainframe/mainframe.h"
#include "shell/settings/regkey.h"
#include "shell/settings/settings.h"
#include "tests/confirm/boxdriver.h"
#include "tests/toolkit/wintest.h"
#include "toolkit/clipboard.h"
#include "views/contextmenu.h"
#include "views/listpanedlg.h"
#include "views/loctreeview.h"
#include "views/serlistview.h"
#include "views/sertreeview.h"

CClientApp theApp;

namespace {

bool g_socketsFail = false;
int g_socketStarts = 0;
bool FakeStartSockets()
{
  ++g_socketStarts;
  return !g_socketsFail;
}
const ClientAppSeam kSeam = {&FakeStartSockets};

// A payload of "an earlier run" in the private format.
void PutStalePayload()
{
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 540);
  ::SetClipboardData(g_clipFormat, block);
  ::CloseClipboard();
  ASSERT_TRUE(::IsClipboardFormatAvailable(g_clipFormat));
}

void Pump(DWORD ms, const std::function<bool()>& done)
{
  const DWORD start = ::GetTickCount();
  MSG msg;
  while (!done() && ::GetTickCount() - start < ms) {
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT)
        continue;
      if (!theApp.PreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
      }
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

// The image ids an icon directory of this module names.
std::vector<WORD> IconImages(LPCSTR group)
{
  std::vector<WORD> ids;
  HMODULE module = ::GetModuleHandleA(nullptr);
  HRSRC found = ::FindResourceA(module, group, MAKEINTRESOURCEA(14));
  if (found == nullptr)
    return ids;
  const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module, found)));
  const WORD count = *reinterpret_cast<const WORD*>(data + 4);
  for (WORD i = 0; i < count; ++i)
    ids.push_back(*reinterpret_cast<const WORD*>(data + 6 + 14 * i + 12));
  return ids;
}

BOOL CALLBACK CollectGroup(HMODULE, LPCSTR, LPSTR name, LONG_PTR out)
{
  reinterpret_cast<std::vector<LPCSTR>*>(out)->push_back(IS_INTRESOURCE(name) ? name : nullptr);
  return TRUE;
}

CMainFrame* Frame() { return DYNAMIC_DOWNCAST(CMainFrame, theApp.m_pMainWnd); }

}  // namespace

// One start for the whole run (one application object, one document); the
// cases follow each other in the order a user meets them.
TEST(MainFrame, StartsUsesItsCommandsAndEnds)
{
  SetClientAppSeam(&kSeam);
  g_socketsFail = true;
  PutStalePayload();
  // An embedded start: no splash and no tip; the sockets fail.
  theApp.m_lpCmdLine = const_cast<LPTSTR>("-Embedding");
  theApp.m_hInstance = ::GetModuleHandleA(nullptr);
  theApp.m_nThreadID = ::GetCurrentThreadId();
  BOOL started = FALSE;
  const std::vector<std::string> boxes =
      boxdriver::TextsOfBoxesDuring("ZARN", 0xFFFF, [&] { started = theApp.InitInstance(); });
  ASSERT_TRUE(started) << "main window " << theApp.m_pMainWnd << " doc " << g_pDoc;
  // The main window shares the caption (an empty text): only boxes count.
  std::vector<std::string> texts;
  for (const std::string& b : boxes)
    if (!b.empty())
      texts.push_back(b);
  ASSERT_EQ(1u, texts.size());
  EXPECT_EQ("Winsock Error", texts[0]);
  EXPECT_EQ(1, g_socketStarts);
  // The stale payload went although the sockets failed.
  EXPECT_FALSE(::IsClipboardFormatAvailable(g_clipFormat));

  CMainFrame* frame = Frame();
  ASSERT_NE(nullptr, frame);
  EXPECT_EQ(frame, g_pMainFrame.load());
  EXPECT_NE(nullptr, g_pDoc);
  Pump(500, [] { return false; });
  // Thirteen status panes; the function bar docked at the bottom.
  EXPECT_EQ(13, (int)frame->m_statusBar.SendMessage(SB_GETPARTS, 0, 0));
  ASSERT_NE(nullptr, frame->m_funcBar.GetParent());
  EXPECT_EQ(AFX_IDW_DOCKBAR_BOTTOM, (UINT)frame->m_funcBar.GetParent()->GetDlgCtrlID());
  EXPECT_TRUE(frame->m_funcView.IsWindowVisible());
  // The menu is the owner-drawn one of resource 128.
  EXPECT_EQ(frame->m_menu.m_hMenu, ::GetMenu(frame->m_hWnd));
  // The program's icon (window and tray) keeps images of its own: no other
  // icon of the module names them (objects that number their images alike
  // lose one of each at the link, and an icon shows another's pictures).
  {
    const std::vector<WORD> own = IconImages(MAKEINTRESOURCEA(128));
    ASSERT_FALSE(own.empty());
    std::vector<LPCSTR> groups;
    ::EnumResourceNamesA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(14), CollectGroup, (LONG_PTR)&groups);
    EXPECT_GT(groups.size(), 1u);
    for (LPCSTR group : groups) {
      if (group == nullptr || group == MAKEINTRESOURCEA(128))
        continue;
      for (WORD image : IconImages(group))
        for (WORD mine : own)
          EXPECT_NE(mine, image) << "icon " << (UINT)(UINT_PTR)group;
    }
  }
  wintest::Shot("main_window");

  // New changes no site: the document and its table stay.
  CZarnDoc* doc = g_pDoc;
  const UINT sites = doc->m_nSites;
  HWND tree = ::GetDlgItem(frame->m_splitter.GetView(frame->m_serTreeId)->m_hWnd, 1078);
  ASSERT_NE(nullptr, tree);
  const LRESULT nodes = ::SendMessageA(tree, TVM_GETCOUNT, 0, 0);
  frame->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
  EXPECT_EQ(doc, g_pDoc);
  EXPECT_EQ(sites, doc->m_nSites);
  EXPECT_EQ(nodes, ::SendMessageA(tree, TVM_GETCOUNT, 0, 0));

  // The tray's click hides the window, a second one shows it again.
  frame->SendMessage(UWM_TRAY_NOTIFY, 128, WM_LBUTTONDOWN);
  EXPECT_FALSE(frame->IsWindowVisible());
  frame->SendMessage(UWM_TRAY_NOTIFY, 128, WM_LBUTTONDOWN);
  EXPECT_TRUE(frame->IsWindowVisible());

  // Minimise lives in the tray: hidden, and the tray menu's Display brings it back.
  frame->SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(frame->IsWindowVisible());
  frame->SendMessage(WM_COMMAND, 32876, 0);
  EXPECT_TRUE(frame->IsWindowVisible());
  EXPECT_FALSE(frame->IsIconic());

  // After the queue: hang up, quit and turn off toggle bits 29, 6, 7; Idle clears them.
  g_optionFlags &= ~((1u << 29) | (1u << 6) | (1u << 7));
  frame->SendMessage(WM_COMMAND, 32791, 0);
  frame->SendMessage(WM_COMMAND, 32792, 0);
  frame->SendMessage(WM_COMMAND, 32793, 0);
  EXPECT_EQ((1u << 29) | (1u << 6) | (1u << 7), g_optionFlags & ((1u << 29) | (1u << 6) | (1u << 7)));
  frame->SendMessage(WM_COMMAND, 32792, 0);
  EXPECT_EQ(0u, g_optionFlags & (1u << 6));
  frame->SendMessage(WM_COMMAND, 32794, 0);
  EXPECT_EQ(0u, g_optionFlags & ((1u << 29) | (1u << 6) | (1u << 7)));

  // The local tree's dual-view button, clicked as a user does: the second
  // server tree takes row 1 and the list pane shows the second server list.
  {
    ASSERT_EQ(0, g_dualServerView);
    CWnd* local = frame->m_splitter.GetView(frame->m_splitter.GetShownView(1, 0));
    ASSERT_TRUE(local != nullptr && local->IsKindOf(RUNTIME_CLASS(CLocTrView)));
    HWND button = ::GetDlgItem(local->m_hWnd, kDualViewButtonId);
    ASSERT_NE(nullptr, button);
    const POINT at = wintest::ScreenCentre(button);
    EXPECT_TRUE(wintest::ClickUntil(at.x, at.y, [] { return g_dualServerView == 1; }));
    CWnd* shown = frame->m_splitter.GetView(frame->m_splitter.GetShownView(1, 0));
    ASSERT_NE(nullptr, shown);
    EXPECT_TRUE(shown->IsKindOf(RUNTIME_CLASS(CSerTrView1)));
    CListPaneDlg* pane = frame->m_funcView.ListPane();
    ASSERT_NE(nullptr, pane);
    CWnd* list1 = pane->List(CListPaneDlg::kSerList1);
    ASSERT_NE(nullptr, list1);
    EXPECT_TRUE(list1->IsKindOf(RUNTIME_CLASS(CSerLiView1)));
    // Its own visibility: the Files List tab need not be the one shown.
    EXPECT_NE(0, list1->GetStyle() & WS_VISIBLE);
    wintest::Shot("dual_server_view");
    frame->SendMessage(WM_COMMAND, 32841, 0);
    EXPECT_EQ(0, g_dualServerView);
  }

  // A view's context menu finds menu 188 and toolbar 171 in the module: the
  // items of commands with a button show its image.
  {
    BCMenu menu;
    const ContextMenuItem items[] = {{32881, "&Connect"}, {0, nullptr}, {32815, "&Manual Control..\tF5"}};
    CMenu* popup = BuildContextPopup(menu, items, 3, frame);
    ASSERT_NE(nullptr, popup);
    for (int pos : {0, 2}) {
      MENUITEMINFOW info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_DATA;
      ASSERT_TRUE(::GetMenuItemInfoW(popup->m_hMenu, pos, TRUE, &info));
      const auto* data = reinterpret_cast<const MenuItemData*>(info.dwItemData);
      ASSERT_NE(nullptr, data);
      EXPECT_GE(data->globalIndex, 0) << "item " << pos;
    }
    menu.DestroyMenu();
  }

  // The own caption: band 140 and the buttons painted from their bitmaps; the
  // pointer over close lights it; the maximise button and a double click on
  // the caption maximise and restore.
  {
    // The caption painted into a bitmap of the window's size.
    auto colourAt = [&](int x, int y) {
      CRect wr;
      frame->GetWindowRect(&wr);
      HDC screen = ::GetDC(nullptr);
      HDC dc = ::CreateCompatibleDC(screen);
      HBITMAP bitmap = ::CreateCompatibleBitmap(screen, wr.Width(), wr.Height());
      ::ReleaseDC(nullptr, screen);
      HGDIOBJ old = ::SelectObject(dc, bitmap);
      frame->PaintCaption(dc);
      const COLORREF c = ::GetPixel(dc, x, y);
      ::SelectObject(dc, old);
      ::DeleteDC(dc);
      ::DeleteObject(bitmap);
      return c;
    };
    auto screenPoint = [&](const CaptionRect& r) {
      CRect wr;
      frame->GetWindowRect(&wr);
      return MAKELPARAM(wr.left + (r.left + r.right) / 2, wr.top + (r.top + r.bottom) / 2);
    };
    EXPECT_EQ(0, frame->GetStyle() & WS_SYSMENU);
    CaptionLayout layout = frame->CurrentCaptionLayout();
    const CaptionRect close = layout.buttons[(int)CaptionButton::Close];
    // The close button's face away from its glyph: blue, red under the pointer.
    COLORREF c = colourAt(close.left + 2, close.top + 2);
    EXPECT_GT(GetBValue(c), GetRValue(c)) << std::hex << c;
    frame->SendMessage(WM_NCMOUSEMOVE, HTCAPTION, screenPoint(close));
    EXPECT_EQ(CaptionButton::Close, frame->m_hotCaptionButton);
    c = colourAt(close.left + 2, close.top + 2);
    EXPECT_GT(GetRValue(c), GetBValue(c)) << std::hex << c;
    frame->SendMessage(WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(0, 0));
    EXPECT_EQ(CaptionButton::None, frame->m_hotCaptionButton);

    frame->SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, screenPoint(layout.buttons[(int)CaptionButton::Maximize]));
    EXPECT_TRUE(frame->IsZoomed());
    layout = frame->CurrentCaptionLayout();
    frame->SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, screenPoint(layout.buttons[(int)CaptionButton::Maximize]));
    EXPECT_FALSE(frame->IsZoomed());
    layout = frame->CurrentCaptionLayout();
    CaptionRect band = layout.caption;
    band.right = band.left + 40;
    frame->SendMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, screenPoint(band));
    EXPECT_TRUE(frame->IsZoomed());
    frame->SendMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, screenPoint(band));
    EXPECT_FALSE(frame->IsZoomed());
    EXPECT_TRUE(frame->IsWindowVisible());
    // Minimise lives in the tray; Display brings the window back.
    frame->SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, screenPoint(layout.buttons[(int)CaptionButton::Minimize]));
    EXPECT_FALSE(frame->IsWindowVisible());
    frame->SendMessage(WM_COMMAND, 32876, 0);
    EXPECT_TRUE(frame->IsWindowVisible());
  }

  // Font: the font dialog's OK stores "FONT" and every child window takes it.
  {
    boxdriver::Driver driver([] {
      if (HWND box = boxdriver::WaitForBox("Font"))
        boxdriver::Click(box, IDOK);
    });
    frame->SendMessage(WM_COMMAND, 32864, 0);
    driver.Join();
    CRegKeyWrap key;
    CString stored;
    ASSERT_TRUE(key.OpenKey(HKEY_CURRENT_USER, kSettingsKeyPath));
    ASSERT_TRUE(key.GetStringValue("FONT", stored));
    CString own;
    frame->m_font.Format(own);
    EXPECT_STREQ((LPCSTR)own, (LPCSTR)stored);
    CFontColor parsed;
    EXPECT_TRUE(parsed.Parse(stored));
    EXPECT_EQ((LRESULT)frame->m_font.m_hObject, frame->m_statusBar.SendMessage(WM_GETFONT));
    EXPECT_EQ((LRESULT)frame->m_font.m_hObject, ::SendMessageA(tree, WM_GETFONT, 0, 0));
    ::RegDeleteValueA(key.m_hKey, "FONT");
  }

  // A user's right click on a site of the first server tree: the tree's menu
  // shows toolbar 171's images beside the commands that have a button.
  {
    const HTREEITEM root = (HTREEITEM)::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    const HTREEITEM site = (HTREEITEM)::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)root);
    ASSERT_NE(nullptr, site);
    RECT r;
    *reinterpret_cast<HTREEITEM*>(&r) = site;
    ASSERT_TRUE(::SendMessageA(tree, TVM_GETITEMRECT, TRUE, (LPARAM)&r));
    POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ClientToScreen(tree, &at);
    std::atomic<bool> done{false};
    int items = 0, withImage = 0, connectImage = -1;
    boxdriver::Driver driver([&] {
      for (int attempt = 0; attempt < 3 && items == 0; ++attempt) {
        wintest::Xdo(wintest::MoveTo(at.x, at.y) + " click 3");
        HWND popup = nullptr;
        for (int i = 0; i < 60 && popup == nullptr; ++i, ::Sleep(50)) {
          HWND shown = ::FindWindowA("#32768", nullptr);
          popup = shown != nullptr && ::IsWindowVisible(shown) ? shown : nullptr;
        }
        HMENU menu = popup != nullptr ? (HMENU)::SendMessageA(popup, MN_GETHMENU, 0, 0) : nullptr;
        for (int i = 0; menu != nullptr && i < ::GetMenuItemCount(menu); ++i) {
          MENUITEMINFOW info = {};
          info.cbSize = sizeof info;
          info.fMask = MIIM_DATA | MIIM_ID | MIIM_FTYPE;
          if (!::GetMenuItemInfoW(menu, i, TRUE, &info) || (info.fType & MFT_SEPARATOR) != 0)
            continue;
          ++items;
          const auto* data = reinterpret_cast<const MenuItemData*>(info.dwItemData);
          const int image = data != nullptr ? data->globalIndex : -1;
          if (image >= 0)
            ++withImage;
          if (info.wID == 32881)
            connectImage = image;
        }
        if (popup != nullptr) {
          wintest::Shot("tree_context_menu");
          wintest::Xdo("key Escape");
        }
      }
      done = true;
    });
    wintest::PumpUntil([&] { return done.load(); }, 30000);
    driver.Join();
    Pump(200, [] { return false; });
    EXPECT_GT(items, 0);
    EXPECT_GT(withImage, 0);
    EXPECT_GE(connectImage, 0);
  }

  // The queue page's buttons tell what they do when the pointer rests on
  // them: the up button's tip is its GBK text.
  {
    frame->SendMessage(WM_COMMAND, 32777, 0);
    Pump(300, [] { return false; });
    ASSERT_NE(nullptr, frame->m_funcView.QueuePage());
    HWND up = ::GetDlgItem(frame->m_funcView.QueuePage()->m_hWnd, IDC_QUEUE_UP);
    ASSERT_TRUE(up != nullptr && ::IsWindowVisible(up));
    const POINT at = wintest::ScreenCentre(up);
    std::string shown;
    auto tipShown = [&] {
      struct Found {
        std::string text;
      } found;
      ::EnumThreadWindows(
          ::GetCurrentThreadId(),
          [](HWND w, LPARAM out) -> BOOL {
            char cls[64] = {};
            ::GetClassNameA(w, cls, sizeof cls);
            if (lstrcmpiA(cls, TOOLTIPS_CLASSA) != 0 || !::IsWindowVisible(w))
              return TRUE;
            char text[128] = {};
            TTTOOLINFOA ti = {};
            ti.cbSize = sizeof ti;
            ti.lpszText = text;
            if (::SendMessageA(w, TTM_GETCURRENTTOOLA, 0, (LPARAM)&ti) && text[0] != '\0')
              reinterpret_cast<Found*>(out)->text = text;
            return TRUE;
          },
          (LPARAM)&found);
      shown = found.text;
      return !shown.empty();
    };
    for (int attempt = 0; attempt < 3 && !tipShown(); ++attempt) {
      wintest::Xdo(wintest::MoveTo(at.x, at.y) + " mousemove " + std::to_string(at.x + 1) + " " +
                   std::to_string(at.y + 1));
      wintest::PumpUntil(tipShown, 4000);
    }
    EXPECT_EQ("\xD1\xA1\xB6\xA8\xC9\xCF\xD2\xC6", shown);
    wintest::Shot("queue_button_tip");
    wintest::Xdo("mousemove 5 5");
    frame->SendMessage(WM_COMMAND, 32774, 0);
  }

  // Exit with a keeper that never ends (it ignores its flag, as one blocked in
  // a name look-up does): the window closes once the lowered grace is over.
  CSiteItem* site = g_pDoc->GetSite(0);
  ASSERT_NE(nullptr, site);
  HANDLE release = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  CWinThread* stuck = AfxBeginThread(
      [](LPVOID event) -> UINT { return ::WaitForSingleObject((HANDLE)event, INFINITE); }, release,
      THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  ASSERT_NE(nullptr, stuck);
  stuck->m_bAutoDelete = FALSE;
  stuck->ResumeThread();
  site->m_pKeeperThread = stuck;
  CMainFrame::SetKeeperGraceForTest(1500);
  HWND hwnd = frame->m_hWnd;
  const DWORD start = ::GetTickCount();
  frame->PostMessage(WM_COMMAND, ID_APP_EXIT, 0);
  Pump(8000, [&] { return !::IsWindow(hwnd); });
  const DWORD took = ::GetTickCount() - start;
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_GE(took, 1400u);
  EXPECT_LT(took, 8000u);
  // The stuck keeper's site was left alone; let the thread go now.
  ::SetEvent(release);
  EXPECT_EQ(nullptr, g_pMainFrame.load());
}
