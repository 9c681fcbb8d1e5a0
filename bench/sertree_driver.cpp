// The side of bench/filelist_bench.sh --tree: a big vsftpd folder opened in a
// server tree over a real document, timed from selecting its node to the
// totals line beside it.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/driver_common.h"
#include "engine/netsession.h"
#include "framework/afxwin.h"
#include "framework/ole.h"
#include "shell/doc/zarndoc.h"
#include "shell/settings/settings.h"
#include "views/filelistctrl.h"
#include "views/imagelists.h"
#include "views/panelinks.h"
#include "views/sertreeview.h"

CWinApp theApp("sertree_driver");

namespace {

// The list beside the tree, as the server list view will be.
class BenchList : public CPartnerList {
public:
  CFileListCtrl list;
  std::string status;
  CFileListCtrl& FileList() override { return list; }
  void SetStatusText(const char* text) override { status = text; }
};

LARGE_INTEGER Now()
{
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return t;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc < 6) {
    fprintf(stderr, "usage: sertree_driver <port> <user> <password> <folder> <curl seconds>\n");
    return 2;
  }
  AfxGetApp()->m_nThreadID = ::GetCurrentThreadId();
  AfxGetApp()->m_hInstance = ::GetModuleHandleA(nullptr);
  WSADATA wsa;
  ::WSAStartup(MAKEWORD(2, 2), &wsa);
  InitFtpVerbNames();
  AfxOleInit();
  BuildSharedImageLists();
  g_optionFlags &= ~((1u << OPTBIT_CONFIRM_CONNECT) | (1u << OPTBIT_NOTIFIER));
  g_recvTimeout = 120;

  CZarnDoc doc;
  g_pDoc = &doc;
  auto* site = new CSiteItem();
  CopySiteText(site->m_host, "127.0.0.1");
  site->m_port = atoi(argv[1]);
  CopySiteText(site->m_user, argv[2]);
  CopySiteText(site->m_password, argv[3]);
  CopySiteText(site->m_name, "bench");
  CopySiteText(site->m_remoteFolder, "/");
  site->SiteOptionDigits[1] = '0';
  site->SiteOptionDigits[2] = '0';
  site->SiteOptionDigits[4] = '1';
  site->SiteOptionDigits[7] = '0';
  doc.m_sites[0] = site;
  doc.m_nSites = 1;

  BenchList partner;
  CWnd owner;
  LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1));
  owner.CreateEx(0, cls, "sertree bench", WS_POPUP | WS_VISIBLE, 0, 0, 1000, 600, nullptr, nullptr);
  partner.list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                      CRect(300, 0, 1000, 600), &owner, 1074);
  partner.list.SetImageList(&g_smallImageList, LVSIL_SMALL);
  partner.list.SubclassHeader();
  partner.list.SetColumns("Name,200;Date,110;Size,110;Attribute,80");
  SetPartnerList(kListOfSerTree, &partner);
  auto* view = static_cast<CSerTrView*>(RUNTIME_CLASS(CSerTrView)->CreateObject());
  view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 600), &owner, 1, nullptr);
  static_cast<CView*>(view)->OnInitialUpdate();
  CTreeCtrl& tree = view->GetTreeCtrl();

  // The site node first (connects and lists the start folder), then the folder.
  auto selectAndWait = [&](HTREEITEM node) {
    partner.status.clear();
    tree.SelectItem(node);
    const DWORD start = ::GetTickCount();
    while (partner.status.find("Folders") == std::string::npos && ::GetTickCount() - start < 600000) {
      MSG msg;
      if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0)
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
          ::TranslateMessage(&msg);
          ::DispatchMessageA(&msg);
        }
    }
    return partner.status.find("Folders") != std::string::npos;
  };
  if (!selectAndWait(site->m_hTreeNode)) {
    fprintf(stderr, "sertree_driver: the site did not list\n");
    return 1;
  }
  HTREEITEM folder = nullptr;
  for (HTREEITEM c = tree.GetChildItem(site->m_hTreeNode); c != nullptr; c = tree.GetNextSiblingItem(c))
    if (tree.GetItemText(c) == argv[4])
      folder = c;
  if (folder == nullptr) {
    fprintf(stderr, "sertree_driver: no folder %s\n", argv[4]);
    return 1;
  }
  LARGE_INTEGER freq;
  ::QueryPerformanceFrequency(&freq);
  const LARGE_INTEGER t0 = Now();
  const bool listed = selectAndWait(folder);
  const LARGE_INTEGER t1 = Now();
  if (!listed) {
    fprintf(stderr, "sertree_driver: the folder did not list\n");
    return 1;
  }
  const double ours = bench::Seconds(t0, t1, freq), curl = atof(argv[5]);
  printf("%s\n", partner.status.c_str());
  printf("tree: selection to totals line %.3f s, curl listing %.3f s, ratio %.2f (target 1.5 or less)\n", ours, curl,
         curl > 0 ? ours / curl : 0.0);
  site->m_keeperRunning = 0;
  if (site->m_pKeeperThread != nullptr) {
    site->m_pKeeperThread->ResumeThread();
    ::WaitForSingleObject(site->m_pKeeperThread->m_hThread, 15000);
  }
  ClearPartnerList(kListOfSerTree, &partner);
  g_pDoc = nullptr;
  ::ExitProcess(0);
}
