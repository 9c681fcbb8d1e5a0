// The 32-bit build runs no test: this program links the toolkit's lists,
// statics, splitters, clipboard routines, font setting and gradient bar so that
// the build proves they link.
#include "toolkit/clipboard.h"
#include "toolkit/fontcolor.h"
#include "toolkit/hyperlink.h"
#include "toolkit/memprogress.h"
#include "toolkit/panesplitter.h"
#include "toolkit/sortlist.h"
#include "toolkit/splitterbar.h"
#include "toolkit/transparentstatic.h"

CWinApp theApp("toolkit_link_check");

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  // Never true when started: keeps every call linked without running one.
  if (commandLine == nullptr || commandLine[0] != '\x01')
    return 0;
  CSortListCtrl list;
  list.SetColumns("A,1");
  list.LoadLayout();
  list.SaveLayout();
  CHyperLink link;
  CHyperLink::GotoURL("", SW_SHOW);
  CTransparentStatic picture;
  CSplitterBar bar;
  bar.Create(0, CRect(), nullptr, 0);
  CPaneSplitterWnd splitter;
  splitter.ShowView(1);
  CFontColor font;
  CString text;
  font.Format(text);
  font.Parse(text);
  font.ChooseFont();
  CMemProgressBar progress;
  progress.SetPos(1);
  char buffer[4];
  CopyTextToClipboard("", nullptr);
  GetClipboardText(buffer, 4, nullptr);
  ClearClipboard(nullptr);
  return 0;
}
