// The function view as the queue tests meet it: a visible top-level window at
// a fixed place holding the real CFuncViewDlg (its list pane left blank), over
// the queue workers' harness (a real document, a main frame stand-in, the
// end-of-queue seam replaced).
#pragma once

#include <memory>
#include <string>

#include "shell/funcview/funcviewdlg.h"
#include "shell/funcview/queuepanedlg.h"
#include "tests/queue/queuefix.h"

namespace funcviewtest {

class CTestFuncView : public CFuncViewDlg {
protected:
  CListPaneDlg* MakeListPane() override { return nullptr; }  // a blank tab 0
};

class Host {
public:
  // Shows the function view on tab tab with that many worker rows; queueFile
  // becomes "PLANFILE" first.
  explicit Host(int workers = 2, const std::string& queueFile = "", int tab = CFuncViewDlg::kQueueTab);
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  CQueuePaneDlg& Page() { return *view->QueuePage(); }
  CMyPlanList& List() { return Page().m_queue; }
  // A download or upload item sent to the view as the panes send them.
  CPlanItem* Queue(const char* direction, int port, const char* user, const char* password, const char* localPath,
                   const char* remotePath, const char* name, int64_t size);
  std::string Cell(int row, int column) { return static_cast<const char*>(List().GetItemText(row, column)); }
  // Destroys the view (the queue file's last write) before the harness goes.
  void Close();

  queuetest::Harness harness;
  CWnd frame;
  std::unique_ptr<CTestFuncView> view;
};

// A fresh file name in a folder of its own.
std::string TempFile(const std::string& name);

}  // namespace funcviewtest
