#include "tests/funcpages/pagesfix.h"

#include <atomic>

#include "engine/confirmdlg.h"
#include "shell/funcview/funcviewres.h"
#include "shell/funcview/listpagesres.h"
#include "shell/funcview/queueinfodlg.h"
#include "shell/settings/settings.h"
#include "tests/confirm/boxdriver.h"
#include "tests/toolkit/wintest.h"

namespace pagestest {

void SetOption(int bit, bool on)
{
  if (on)
    g_optionFlags |= (1u << bit);
  else
    g_optionFlags &= ~(1u << bit);
}

Pages::Pages()
{
  RegisterSearchPane();
  RegisterBatchPane();
}

CSearchPaneDlg& SearchPage(funcviewtest::Host& host)
{
  return *static_cast<CSearchPaneDlg*>(host.view->Page(CFuncViewDlg::kSearchTab));
}

CBatchPaneDlg& BatchPage(funcviewtest::Host& host)
{
  return *static_cast<CBatchPaneDlg*>(host.view->Page(CFuncViewDlg::kBatchTab));
}

std::vector<std::string> ErrorBoxesDuring(funcviewtest::Host& host, const std::function<void()>& body)
{
  return boxdriver::TextsOfBoxesDuring(kErrorCaption, IDC_CONFIRM_TEXT, [&] {
    body();
    host.harness.Pump(300);
  });
}

namespace {

InfoRows RowsOf(HWND box)
{
  InfoRows rows;
  HWND list = ::GetDlgItem(box, IDC_INFO_LIST);
  const int n = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char cell[2][64] = {};
    for (int column = 0; column < 2; ++column) {
      LVITEMA item = {};
      item.iSubItem = column;
      item.pszText = cell[column];
      item.cchTextMax = sizeof cell[column];
      ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    rows.emplace_back(cell[0], cell[1]);
  }
  return rows;
}

HWND ShownMenu()
{
  HWND shown = ::FindWindowA("#32768", nullptr);
  return shown != nullptr && ::IsWindowVisible(shown) ? shown : nullptr;
}

}  // namespace

InfoRows InfoBoxOf(CWnd& page, const char* caption, const char* shot)
{
  InfoRows rows;
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox(caption, 15000);
    if (box == nullptr)
      return;
    rows = RowsOf(box);
    wintest::Shot(shot);
    boxdriver::Click(box, IDOK);
    boxdriver::WaitGone(box);
  });
  page.SendMessage(WM_COMMAND, ID_QUEUE_INFO, 0);
  driver.Join();
  return rows;
}

std::string ValueOf(const InfoRows& rows, const char* label)
{
  for (const auto& r : rows)
    if (r.first == label)
      return r.second;
  return "<missing>";
}

bool ChooseFromRowMenu(CListCtrl& list, int row, UINT id, const char* shot)
{
  list.EnsureVisible(row, FALSE);
  CRect r;
  if (!list.GetItemRect(row, &r, LVIR_LABEL))
    return false;
  CPoint p(r.left + 20, (r.top + r.bottom) / 2);
  list.ClientToScreen(&p);
  std::atomic<bool> clicked{false}, done{false};
  boxdriver::Driver driver([&] {
    // A right click lost to a loaded X server is made again.
    for (int attempt = 0; attempt < 3 && !clicked; ++attempt) {
      wintest::Xdo(wintest::MoveTo(p.x, p.y) + " click 3");
      HWND popup = nullptr;
      for (int i = 0; i < 60 && popup == nullptr; ++i, ::Sleep(50))
        popup = ShownMenu();
      HMENU menu = popup != nullptr ? reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0)) : nullptr;
      for (int i = 0; menu != nullptr && i < ::GetMenuItemCount(menu) && !clicked; ++i) {
        if (::GetMenuItemID(menu, i) != id)
          continue;
        RECT item;
        ::GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &item);
        wintest::Xdo(wintest::MoveTo((item.left + item.right) / 2, (item.top + item.bottom) / 2));
        if (shot != nullptr)
          wintest::Shot(shot);
        wintest::Xdo("click 1");
        clicked = true;
      }
      // A menu still up (no such item, or the click lost) is closed so that
      // the tracking ends.
      if (!clicked && popup != nullptr)
        wintest::Xdo("key Escape");
      for (int i = 0; i < 40 && popup != nullptr && ::IsWindow(popup) && ::IsWindowVisible(popup); ++i)
        ::Sleep(50);
      if (popup != nullptr && ::IsWindow(popup) && ::IsWindowVisible(popup))
        wintest::Xdo("key Escape");
    }
    done = true;
  });
  wintest::PumpUntil([&] { return done.load(); }, 30000);
  driver.Join();
  return clicked;
}

}  // namespace pagestest
