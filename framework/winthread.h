// Threads with message loops (CWinThread), procedure threads, and the
// application object that runs the GUI thread (CWinApp).
//
// A thread object's thread is made by CreateThread. Before CreateThread returns
// the new thread owns a message queue, so a message posted to it right away
// (WM_QUIT included) is never lost, even while the thread is still suspended.
// A user-interface thread runs InitInstance, then (on TRUE) Run, its message
// loop, until WM_QUIT; ExitInstance then runs on that same thread and its value is
// the thread's exit code. Windows the thread still owns at its end are destroyed
// there (so their objects are unbound and PostNcDestroy runs). With m_bAutoDelete
// the object deletes itself as the thread ends; otherwise the creator waits on
// m_hThread and deletes it.
#pragma once

#include "framework/fwtypes.h"
#include "framework/object.h"
#include "framework/cmdtarget.h"
#include "framework/wnd.h"
#include "framework/app.h"
#include "framework/collections.h"

#include <vector>

typedef UINT(__cdecl* AFX_THREADPROC)(LPVOID);

class CWinThread : public CCmdTarget {
  DECLARE_DYNAMIC(CWinThread)
public:
  CWinThread();
  CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
  ~CWinThread() override;  // closes m_hThread

  // CREATE_SUSPENDED in dwCreateFlags leaves the thread suspended (ResumeThread
  // starts it); FALSE when no thread could be made.
  BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
  // The thread made suspended without waiting for it to start: cheaper when
  // many are made at once, but it has no message queue until ResumeThread has
  // let it run, and a message posted to it before then is refused
  // (PostThreadMessage fails). FALSE when no thread could be made.
  BOOL CreateSuspendedUnqueued(UINT nStackSize = 0);
  DWORD ResumeThread();
  DWORD SuspendThread();
  int GetThreadPriority();
  BOOL SetThreadPriority(int nPriority);
  BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);
  operator HANDLE() const { return m_hThread; }

  virtual BOOL InitInstance();     // TRUE: run the message loop
  virtual int Run();               // the message loop; returns ExitInstance()
  virtual int ExitInstance();      // on the thread; default: the WM_QUIT's exit code
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  virtual BOOL PumpMessage();      // FALSE on WM_QUIT
  virtual BOOL OnIdle(LONG lCount);  // TRUE: call again before waiting
  virtual BOOL IsIdleMessage(MSG* pMsg);
  virtual void Delete();           // deletes the object when m_bAutoDelete
  virtual CWnd* GetMainWnd() { return m_pMainWnd; }

  HANDLE m_hThread = nullptr;
  DWORD m_nThreadID = 0;
  BOOL m_bAutoDelete = TRUE;
  CWnd* m_pMainWnd = nullptr;
  MSG m_msgCur = {};
  AFX_THREADPROC m_pfnThreadProc = nullptr;
  LPVOID m_pThreadParams = nullptr;

  // Runs the thread's life on the calling thread (used by thread start-up).
  static unsigned __stdcall ThreadEntry(void* pStartup);

protected:
  // Messages posted to the thread itself (no window) go through this map.
  BOOL DispatchThreadMessage(MSG* pMsg);
  DECLARE_MESSAGE_MAP()
};

// A user-interface thread of a class with DECLARE_DYNCREATE. Unless
// CREATE_SUSPENDED is given the thread runs at once.
CWinThread* AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
// A procedure thread: pfnThreadProc(pParam) is the whole thread; its value is the exit code.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

class CDocTemplate;
class CDocument;

class CWinApp : public CWinThread {
  DECLARE_DYNAMIC(CWinApp)
public:
  explicit CWinApp(LPCTSTR lpszAppName = nullptr);
  ~CWinApp() override;

  BOOL InitInstance() override;
  int Run() override;  // with no main window there is nothing to run: ends at once
  int ExitInstance() override;  // saves the recent-file list
  // Idle work: count 0 updates the main window's bars (WM_IDLEUPDATECMDUI),
  // count 1 frees the thread's temporary wrappers.
  BOOL OnIdle(LONG lCount) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;

  HINSTANCE m_hInstance = nullptr;
  HINSTANCE m_hPrevInstance = nullptr;
  LPTSTR m_lpCmdLine = nullptr;
  int m_nCmdShow = SW_SHOWNORMAL;
  LPCTSTR m_pszAppName = nullptr;      // the name given, else the program's file title
  LPCTSTR m_pszExeName = nullptr;      // the program's file title
  LPCTSTR m_pszRegistryKey = nullptr;  // SetRegistryKey's key; null: an INI file
  LPCTSTR m_pszProfileName = nullptr;  // the application's key below it (or the INI file)

  // ---- command line ----
  // Fills rCmdInfo from m_lpCmdLine (from the process's command line when null).
  void ParseCommandLine(CCommandLineInfo& rCmdInfo);
  // New: the default New command (a new document). Open: opens the file. Print,
  // DDE and registration are not done by this program: start as a plain New.
  // Unregistration: FALSE. FALSE also when the command failed.
  BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);

  // ---- profile: HKEY_CURRENT_USER\Software\<key>\<profile name>\<section> ----
  void SetRegistryKey(LPCTSTR lpszRegistryKey);
  void SetRegistryKey(UINT nIDRegistryKey);
  // The application's key (created when missing); the caller closes it. Null when
  // no registry key is set or it cannot be opened.
  HKEY GetAppRegistryKey();
  HKEY GetSectionKey(LPCTSTR lpszSection);
  // A missing value, or one of another type or size, gives the default.
  UINT GetProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nDefault);
  CString GetProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszDefault = nullptr);
  // A new[] buffer the caller deletes (delete[]) and its size. A missing, empty
  // or non-binary value gives FALSE, *ppData null and *pBytes 0.
  BOOL GetProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPBYTE* ppData, UINT* pBytes);
  BOOL WriteProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nValue);
  // A null entry deletes the section; a null value deletes the entry.
  BOOL WriteProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszValue);
  BOOL WriteProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPBYTE pData, UINT nBytes);

  // ---- recent files ----
  // Loads the recent-file list of nMaxMRU entries (0: none) from the profile.
  void LoadStdProfileSettings(UINT nMaxMRU = 4);
  void SaveStdProfileSettings();
  virtual void AddToRecentFileList(LPCTSTR lpszPathName);
  CRecentFileList* m_pRecentFileList = nullptr;

  // ---- documents ----
  void AddDocTemplate(CDocTemplate* pTemplate);  // owned by the application
  int GetDocTemplateCount() const { return (int)m_templates.size(); }
  CDocTemplate* GetDocTemplate(int nIndex) const;
  virtual CDocument* OpenDocumentFile(LPCTSTR lpszFileName);
  BOOL SaveAllModified();
  void CloseAllDocuments(BOOL bEndSession);

  afx_msg void OnFileNew();
  afx_msg void OnFileOpen();
  afx_msg void OnFilePrintSetup();
  afx_msg void OnAppExit();
  afx_msg BOOL OnOpenRecentFile(UINT nID);
  afx_msg void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);

private:
  CString m_strAppName;
  CString m_strExeName;
  CString m_strRegistryKey;
  CString m_strProfileName;
  std::vector<CDocTemplate*> m_templates;
  friend int AfxWinMain(HINSTANCE, HINSTANCE, LPTSTR, int);
  DECLARE_MESSAGE_MAP()
};

// The calling thread's thread object (the application on the GUI thread), or null.
CWinThread* AfxGetThread();
// This module's application object; null in a library without one.
CWinApp* AfxGetApp();
// The calling thread's main window, else the application's.
CWnd* AfxGetMainWnd();
void AfxPostQuitMessage(int nExitCode);
// Offers pMsg to the calling thread's object (its PreTranslateMessage), or, on a
// thread without one, to the target window and its ancestors on this thread.
// TRUE when it was handled and must not be dispatched.
BOOL AfxPreTranslateMessage(MSG* pMsg);
// The GUI program's life: call it from WinMain with WinMain's arguments.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow);
