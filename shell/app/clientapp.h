// CClientApp: the program's application object. Start-up binds what the
// libraries leave to the program, makes the document with the main window,
// gives it the owner-drawn menu, starts Windows Sockets, drops a stale
// clipboard payload and shows the tip of the day.
#pragma once

#include "framework/winthread.h"

// What start-up does to the system, so tests put in their own.
struct ClientAppSeam {
  bool (*startSockets)();  // Windows Sockets 2.2
};
// Null puts the real one back.
void SetClientAppSeam(const ClientAppSeam* seam);

class CClientApp : public CWinApp {
public:
  CClientApp();
  BOOL InitInstance() override;
  void ShowTipAtStartup();

  // Binds the libraries' imports (step before the template).
  static void BindProgramImports();

protected:
  // New makes the document once; later it changes nothing (the trees and the
  // sites with their keepers stay as they are).
  afx_msg void OnFileNewOnce();
  afx_msg void ShowTipOfTheDay();
  afx_msg void OnAppAbout();
  DECLARE_MESSAGE_MAP()
};
