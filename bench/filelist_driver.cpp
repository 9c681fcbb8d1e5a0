// The side of bench/filelist_bench.sh: a saved listing parsed, chained and
// filled into a shown CFileListCtrl, sorted by name and by size, painted and
// paged down; every step timed.
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/driver_common.h"
#include "engine/listing.h"
#include "framework/afxwin.h"
#include "views/filelistctrl.h"
#include "views/imagelists.h"

CWinApp theApp("filelist_driver");

namespace {

LARGE_INTEGER Now()
{
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return t;
}

void Pump()
{
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

// Time in the list's handlers of display requests and cache hints (they reach
// the list through its owner's WM_NOTIFY), to tell it from the list's drawing.
WNDPROC g_ownerProc = nullptr;
LONGLONG g_notifyTicks = 0;
long g_dispInfos = 0;

LRESULT CALLBACK TimedOwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
  if (msg != WM_NOTIFY)
    return ::CallWindowProcA(g_ownerProc, hwnd, msg, wp, lp);
  const UINT code = reinterpret_cast<NMHDR*>(lp)->code;
  const LARGE_INTEGER a = Now();
  const LRESULT r = ::CallWindowProcA(g_ownerProc, hwnd, msg, wp, lp);
  if (code == LVN_GETDISPINFOA || code == LVN_ODCACHEHINT) {
    g_notifyTicks += Now().QuadPart - a.QuadPart;
    g_dispInfos += code == LVN_GETDISPINFOA;
  }
  return r;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc < 3) {
    fprintf(stderr, "usage: filelist_driver <listing file> <curl seconds> [pages]\n");
    return 2;
  }
  const double curl = atof(argv[2]);
  const int pages = argc > 3 ? atoi(argv[3]) : 5000;
  FILE* f = fopen(argv[1], "rb");
  if (f == nullptr) {
    fprintf(stderr, "filelist_driver: cannot open %s\n", argv[1]);
    return 1;
  }
  std::string text;
  char buf[65536];
  for (size_t n; (n = fread(buf, 1, sizeof(buf), f)) > 0;)
    text.append(buf, n);
  fclose(f);

  AfxGetApp()->m_nThreadID = ::GetCurrentThreadId();
  AfxGetApp()->m_hInstance = ::GetModuleHandleA(nullptr);
  BuildSharedImageLists();
  CWnd owner;
  LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1));
  owner.CreateEx(0, cls, "filelist bench", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr);
  g_ownerProc = (WNDPROC)::SetWindowLongPtrA(owner.m_hWnd, GWLP_WNDPROC, (LONG_PTR)TimedOwnerProc);
  CFileListCtrl list;
  list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
              CRect(0, 0, 800, 600), &owner, 1074);
  list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  list.SetImageList(&g_smallImageList, LVSIL_SMALL);
  list.SubclassHeader();
  list.SetColumns("Name,200;Date,110;Size,110;Attribute,80");
  Pump();

  LARGE_INTEGER freq;
  ::QueryPerformanceFrequency(&freq);
  const LARGE_INTEGER t0 = Now();
  int count = 0;
  EntryRecord* entries = ParseListing(text.c_str(), &count);
  const LARGE_INTEGER t1 = Now();
  CFileListItem* first = nullptr;
  for (int i = count - 1; i >= 0; --i)
    first = NewFileListItem(first, &entries[i]);
  delete[] entries;
  const LARGE_INTEGER t1b = Now();
  list.FillFromChain(first, count);
  const LARGE_INTEGER t2 = Now();
  list.SetSortColumn(0, TRUE);
  list.SortRuns(0, TRUE);
  list.UpdateItemCount();
  const LARGE_INTEGER t3 = Now();
  list.SortRuns(2, FALSE);
  list.SetSortColumn(2, FALSE);
  list.UpdateItemCount();
  const LARGE_INTEGER t4 = Now();
  g_notifyTicks = 0;
  g_dispInfos = 0;
  list.RedrawWindow();
  list.UpdateWindow();
  const LARGE_INTEGER t5 = Now();
  const double paintHandlers = (double)g_notifyTicks / (double)freq.QuadPart;

  std::vector<double> times;
  std::vector<double> handlerTimes;
  std::vector<int> tops;
  std::vector<double> startedAt;  // seconds into the paging
  int slowestAt = -1;
  double slowest = 0;
  const int perPage = std::max(1, list.GetCountPerPage());
  CRect row;
  list.GetItemRect(0, &row, LVIR_BOUNDS);
  const int step = std::max(1, row.Height()) * perPage;
  const LARGE_INTEGER p0 = Now();
  g_notifyTicks = 0;
  g_dispInfos = 0;
  int paged = 0;
  for (; paged < pages && list.GetTopIndex() + perPage < list.CListCtrl::GetItemCount(); ++paged) {
    const LARGE_INTEGER a = Now();
    startedAt.push_back(bench::Seconds(p0, a, freq));
    const LONGLONG handlersBefore = g_notifyTicks;
    list.Scroll(CSize(0, step));
    list.UpdateWindow();
    const double t = bench::Seconds(a, Now(), freq);
    times.push_back(t);
    handlerTimes.push_back((double)(g_notifyTicks - handlersBefore) / (double)freq.QuadPart);
    tops.push_back(list.GetTopIndex());
    if (t > slowest) {
      slowest = t;
      slowestAt = paged;
    }
  }
  const LARGE_INTEGER p1 = Now();

  // The same paging without icons, from the top, to tell the icons' drawing
  // from the rest of a page.
  std::vector<double> plain;
  list.SetImageList(nullptr, LVSIL_SMALL);
  list.EnsureVisible(0, FALSE);
  list.UpdateWindow();
  for (int i = 0; i < std::min(pages, 500) && list.GetTopIndex() + perPage < list.CListCtrl::GetItemCount(); ++i) {
    const LARGE_INTEGER a = Now();
    list.Scroll(CSize(0, step));
    list.UpdateWindow();
    plain.push_back(bench::Seconds(a, Now(), freq));
  }
  std::sort(plain.begin(), plain.end());

  const double parse = bench::Seconds(t0, t1, freq), fill = bench::Seconds(t1, t2, freq);
  const double byName = bench::Seconds(t2, t3, freq), bySize = bench::Seconds(t3, t4, freq);
  const double paint = bench::Seconds(t4, t5, freq);
  printf("rows %d (folders %d, files %d, bytes %llu)\n", list.GetItemCount(), list.m_folderCount, list.m_fileCount,
         (unsigned long long)list.m_totalBytes);
  printf("parse %.3f s\nfill %.3f s (rows made and chained %.3f s, FillFromChain %.3f s)\n", parse, fill,
         bench::Seconds(t1, t1b, freq), bench::Seconds(t1b, t2, freq));
  printf("sort by name %.3f s\nsort by size %.3f s\nfirst paint %.3f s\n", byName, bySize, paint);
  printf("first paint: %.1f ms of it in the display requests' handlers (the icons' look-ups)\n", paintHandlers * 1000);
  printf("pages: display requests %ld, %.1f ms in their handlers (%.1f us each)\n", g_dispInfos,
         (double)g_notifyTicks * 1000 / (double)freq.QuadPart,
         g_dispInfos ? (double)g_notifyTicks * 1e6 / (double)freq.QuadPart / (double)g_dispInfos : 0.0);
  // The slowest pages, with their rows and their handlers' share.
  std::vector<int> order(times.size());
  for (size_t i = 0; i < order.size(); ++i)
    order[i] = (int)i;
  std::sort(order.begin(), order.end(), [&](int x, int y) { return times[(size_t)x] > times[(size_t)y]; });
  for (size_t i = 0; i < order.size() && i < 5; ++i)
    printf("slow page %d (rows from %d, %.1f s into the paging): %.1f ms, %.1f ms in handlers\n", order[i],
           tops[(size_t)order[i]], startedAt[(size_t)order[i]], times[(size_t)order[i]] * 1000,
           handlerTimes[(size_t)order[i]] * 1000);
  const size_t busiest = (size_t)(std::max_element(handlerTimes.begin(), handlerTimes.end()) - handlerTimes.begin());
  if (busiest < times.size())
    printf("page with the most handler time %zu (rows from %d): %.1f ms, %.1f ms in handlers\n", busiest,
           tops[busiest], times[busiest] * 1000, handlerTimes[busiest] * 1000);
  std::sort(times.begin(), times.end());
  const auto at = [&](double q) { return times.empty() ? 0.0 : times[(size_t)(q * (double)(times.size() - 1))]; };
  printf("pages %d in %.3f s: median %.1f ms, 99%% %.1f ms, slowest %.1f ms (page %d)\n", paged,
         bench::Seconds(p0, p1, freq), at(0.5) * 1000, at(0.99) * 1000, slowest * 1000, slowestAt);
  if (!plain.empty())
    printf("pages without icons %zu: median %.1f ms, slowest %.1f ms\n", plain.size(),
           plain[plain.size() / 2] * 1000, plain.back() * 1000);
  const double ours = parse + fill + byName + paint;
  printf("parse+fill+sort+paint %.3f s, curl listing %.3f s, ratio %.2f (target 0.5 or less; pages 50 ms or less)\n",
         ours, curl, curl > 0 ? ours / curl : 0.0);
  list.DestroyWindow();
  owner.DestroyWindow();
  return 0;
}
