// The 32-bit build runs no test: this program links the views' controls,
// dialog, image lists and resources so that the build proves they link.
#include "framework/afxwin.h"
#include "views/filelistctrl.h"
#include "views/imagelists.h"
#include "views/listpanedlg.h"
#include "views/loclistview.h"
#include "views/loctreeview.h"
#include "views/maskselectdlg.h"
#include "views/serlistview.h"
#include "views/sertreeview.h"
#include "views/viewsres.h"

CWinApp theApp("views_link_check");

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
  // Never true when started: keeps every call linked without running one.
  if (commandLine == nullptr || commandLine[0] != '\x01')
    return 0;
  BuildSharedImageLists();
  CFileListCtrl list;
  list.FillFromChain(nullptr, 0);
  RunMaskSelect(list);
  CMaskSelectDlg dlg(FALSE, nullptr);
  dlg.DoModal();
  CObject* tree = RUNTIME_CLASS(CLocTrView)->CreateObject();
  delete tree;
  CSerTrView* first = static_cast<CSerTrView*>(RUNTIME_CLASS(CSerTrView)->CreateObject());
  CSerTrView1* second = static_cast<CSerTrView1*>(RUNTIME_CLASS(CSerTrView1)->CreateObject());
  first->CanDropOn(nullptr, 0);
  second->RequestListing(nullptr);
  delete first;
  delete second;
  for (CRuntimeClass* cls : {RUNTIME_CLASS(CSerLiView), RUNTIME_CLASS(CSerLiView1)}) {
    CSerLiViewBase* list = static_cast<CSerLiViewBase*>(cls->CreateObject());
    list->OnChmod();
    list->OnDeleteSite();
    delete list;
  }
  CLocLiView* local = static_cast<CLocLiView*>(RUNTIME_CLASS(CLocLiView)->CreateObject());
  local->OnDelete();
  local->OnAddToQueue();
  delete local;
  CListPaneDlg pane(nullptr);
  pane.Create(IDD_LIST_PANE, nullptr);
  return 0;
}
