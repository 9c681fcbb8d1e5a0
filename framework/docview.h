// Frames, documents, views and the document template that ties one of each to
// a resource id.
//
// Command routing: a command reaches the frame's active view (its own map, then
// its document's), then the frame, then the application. Update handlers
// (ON_UPDATE_COMMAND_UI) take the same road; the frame runs them over a pop-up
// of the menu bar on WM_INITMENUPOPUP, and with m_bAutoMenuEnable disables
// items that no one handles.
//
// Ownership: a frame and its views delete themselves when their windows are
// destroyed; a document is deleted when its last view goes (m_bAutoDelete).
#pragma once

#include "framework/wnd.h"
#include "framework/winthread.h"
#include "framework/collections.h"
#include "framework/fwres.h"
#include "framework/commctrls.h"
#include "framework/ole.h"

class CDocument;
class CView;
class CFrameWnd;
class CDocTemplate;
class CDC;
class CMenu;
class CTreeCtrl;
class CListCtrl;
class CControlBar;
class CDockBar;

// Passed through window creation (lpCreateParams) so that a frame can make its
// views and a view can join its document.
struct CCreateContext {
  CRuntimeClass* m_pNewViewClass = nullptr;
  CDocument* m_pCurrentDoc = nullptr;
  CDocTemplate* m_pNewDocTemplate = nullptr;
  CView* m_pLastView = nullptr;
  CFrameWnd* m_pCurrentFrame = nullptr;
};

// Size negotiation of a frame's bars (WM_SIZEPARENT): each bar takes its room
// from rect and moves itself (through hDWP when it is not null).
struct AFX_SIZEPARENTPARAMS {
  HDWP hDWP;
  RECT rect;
  SIZE sizeTotal;
  BOOL bStretch;
};

// Frame styles beyond the window's.
#define FWS_ADDTOTITLE 0x00008000L   // the document's title goes into the caption
#define FWS_PREFIXTITLE 0x00004000L  // "document - application" rather than the reverse
#define FWS_SNAPTOBARS 0x00002000L

class CDocument : public CCmdTarget {
  DECLARE_DYNAMIC(CDocument)
public:
  CDocument();
  ~CDocument() override;

  const CString& GetTitle() const { return m_strTitle; }
  virtual void SetTitle(LPCTSTR lpszTitle);  // and the frames' captions
  const CString& GetPathName() const { return m_strPathName; }
  virtual void SetPathName(LPCTSTR lpszPathName, BOOL bAddToMRU = TRUE);
  CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
  virtual BOOL IsModified() { return m_bModified; }
  virtual void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }

  // Views.
  virtual POSITION GetFirstViewPosition() const;
  virtual CView* GetNextView(POSITION& rPosition) const;
  void AddView(CView* pView);
  void RemoveView(CView* pView);  // the last view going deletes an auto-delete document
  void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);

  // Life.
  virtual BOOL OnNewDocument();                       // DeleteContents, not modified
  virtual BOOL OnOpenDocument(LPCTSTR lpszPathName);  // Serialize from the file
  virtual BOOL OnSaveDocument(LPCTSTR lpszPathName);  // Serialize to the file
  virtual void OnCloseDocument();                     // destroys the frames of its views
  virtual void DeleteContents() {}
  virtual BOOL SaveModified();  // asks to save a modified document; FALSE: the user cancelled
  virtual BOOL CanCloseFrame(CFrameWnd* pFrame);
  virtual void OnChangedViewList();
  virtual void ReportSaveLoadException(LPCTSTR lpszPathName, CException* e, BOOL bSaving);

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

  BOOL m_bAutoDelete = TRUE;
  BOOL m_bEmbedded = FALSE;

protected:
  virtual BOOL DoSave(LPCTSTR lpszPathName, BOOL bReplace = TRUE);
  afx_msg void OnFileClose();
  afx_msg void OnFileSave();
  afx_msg void OnFileSaveAs();

  CString m_strTitle;
  CString m_strPathName;
  CDocTemplate* m_pDocTemplate = nullptr;
  CPtrList m_viewList;
  BOOL m_bModified = FALSE;

  DECLARE_MESSAGE_MAP()

private:
  friend class CDocTemplate;
};

class CView : public CWnd {
  DECLARE_DYNAMIC(CView)
public:
  CView();
  ~CView() override;

  CDocument* GetDocument() const { return m_pDocument; }

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

  virtual void OnInitialUpdate();  // first update after the frame is made: OnUpdate
  virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);  // default: repaint
  virtual void OnDraw(CDC* pDC) {}
  virtual void OnPrepareDC(CDC* pDC) {}
  // The frame's active view changes: the newly active view takes the focus.
  virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);
  virtual void OnActivateFrame(UINT nState, CFrameWnd* pFrameWnd) {}

  // Called by a COleDropTarget registered on the view; points in client
  // coordinates. Defaults: none, none, FALSE, -1 (not handled), nothing.
  virtual DROPEFFECT OnDragEnter(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
  virtual DROPEFFECT OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
  virtual BOOL OnDrop(COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point);
  virtual DROPEFFECT OnDropEx(COleDataObject* pDataObject, DROPEFFECT dropDefault, DROPEFFECT dropList,
                              CPoint point);
  virtual void OnDragLeave();

protected:
  void PostNcDestroy() override;  // deletes the view

  afx_msg int OnCreate(LPCREATESTRUCT lpcs);
  afx_msg void OnDestroy();
  afx_msg void OnPaint();
  afx_msg int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
  afx_msg LRESULT OnInitialUpdateMsg(WPARAM, LPARAM);

  CDocument* m_pDocument = nullptr;

  DECLARE_MESSAGE_MAP()

private:
  friend class CDocument;
};

// A view that is a control itself (a tree or list control as the view's window).
class CCtrlView : public CView {
  DECLARE_DYNAMIC(CCtrlView)
public:
  CCtrlView(LPCTSTR lpszClass, DWORD dwStyle);
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  void OnDraw(CDC*) override {}

protected:
  afx_msg void OnPaint() { Default(); }  // the control paints itself
  CString m_strClass;
  DWORD m_dwDefaultStyle;
  DECLARE_MESSAGE_MAP()
};

// The view's window is the control: GetTreeCtrl/GetListCtrl give the control's
// operations on it. Its virtual functions stay the view's (owner drawing of a
// list view goes through ON_WM_DRAWITEM_REFLECT in the view's map).
class CTreeView : public CCtrlView {
  DECLARE_DYNCREATE(CTreeView)
public:
  CTreeView();
  CTreeCtrl& GetTreeCtrl() const;
};

class CListView : public CCtrlView {
  DECLARE_DYNCREATE(CListView)
public:
  CListView();
  CListCtrl& GetListCtrl() const;
};

class CFrameWnd : public CWnd {
  DECLARE_DYNCREATE(CFrameWnd)
public:
  CFrameWnd();
  ~CFrameWnd() override;

  // Creates the window with the menu, accelerators, icon and title of resource
  // nIDResource (the title is the string's text up to its first '\n'). On
  // failure the object has been deleted (PostNcDestroy).
  virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                         CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
  BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
              const RECT& rect = rectDefault, CWnd* pParentWnd = nullptr, LPCTSTR lpszMenuName = nullptr,
              DWORD dwExStyle = 0, CCreateContext* pContext = nullptr);
  static const CRect rectDefault;

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;  // accelerators
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

  // Views.
  CView* GetActiveView() const { return m_pViewActive; }
  virtual void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
  virtual CDocument* GetActiveDocument();
  CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);
  // Sends WM_INITIALUPDATE to every view, activates the first one, shows the frame.
  void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
  virtual void ActivateFrame(int nCmdShow = -1);

  // Layout: bars take their room (WM_SIZEPARENT), the pane fills the rest.
  virtual void RecalcLayout(BOOL bNotify = TRUE);
  void RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlag = 0, LPRECT lpRectParam = nullptr,
                      LPCRECT lpRectClient = nullptr, BOOL bStretch = TRUE);
  enum RepositionFlags { reposDefault = 0, reposQuery = 1, reposExtra = 2 };

  // Menus.
  HMENU GetDefaultMenu() const { return m_hMenuDefault; }
  // Runs the update handlers over pPopup's items (the menu bar's pop-ups on
  // WM_INITMENUPOPUP; context menus on request).
  void UpdatePopupMenu(CMenu* pPopup, BOOL bDisableIfNoHandler);
  virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
  void SetTitle(LPCTSTR lpszTitle) { m_strTitle = lpszTitle; }
  const CString& GetTitle() const { return m_strTitle; }
  // The status text of a command (its string up to '\n'); empty when none.
  virtual void GetMessageString(UINT nID, CString& rMessage) const;
  void SetMessageText(LPCTSTR lpszText);

  // Control bars (framework/bars.h). EnableDocking makes a dock bar for each
  // side in dwDockStyle (CBRS_ALIGN_*); DockControlBar puts a bar into a dock
  // bar (0: the first side the bar allows; lpRect, in screen coordinates, picks
  // the row and the offset); FloatControlBar puts it in a mini frame at point.
  // A hidden bar docked or floated stays hidden.
  void EnableDocking(DWORD dwDockStyle);
  void DockControlBar(CControlBar* pBar, UINT nDockBarID = 0, LPCRECT lpRect = nullptr);
  void FloatControlBar(CControlBar* pBar, CPoint point);
  void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);
  CControlBar* GetControlBar(UINT nID);
  // The layout under the profile sections "<name>-Summary" and "<name>-Bar<n>".
  // A state that does not fit the frame's bars is ignored whole.
  void SaveBarState(LPCTSTR lpszProfileName) const;
  void LoadBarState(LPCTSTR lpszProfileName);
  BOOL VerifyBarState(LPCTSTR lpszProfileName);
  CPtrList m_listControlBars;  // every bar of this frame, floating ones too
  BOOL m_bDelayedLayout = FALSE;

  HMENU m_hMenuDefault = nullptr;  // the frame's menu; destroyed with the frame
  HACCEL m_hAccelTable = nullptr;
  BOOL m_bAutoMenuEnable = TRUE;
  UINT m_nIDHelp = 0;

protected:
  virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
  void PostNcDestroy() override;  // deletes the frame

  afx_msg int OnCreate(LPCREATESTRUCT lpcs);
  afx_msg void OnDestroy();
  afx_msg void OnClose();
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnSetFocus(CWnd* pOldWnd);
  afx_msg void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
  afx_msg void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);
  afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM, LPARAM);
  afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }  // the view and bars cover the client area
  afx_msg BOOL OnQueryEndSession();
  afx_msg void OnEndSession(BOOL bEnding);
  afx_msg LRESULT OnSetMessageString(WPARAM wParam, LPARAM lParam);

  CView* m_pViewActive = nullptr;
  CString m_strTitle;
  UINT m_nIDTracking = 0;

  DECLARE_MESSAGE_MAP()

private:
  BOOL m_bInRecalcLayout = FALSE;
  CCreateContext* m_pPendingContext = nullptr;
  friend class CView;
};

// Binds a document class, a frame class and the frame's first view class to one
// resource id (menu, accelerators, icon and the document strings).
class CDocTemplate : public CCmdTarget {
  DECLARE_DYNAMIC(CDocTemplate)
public:
  ~CDocTemplate() override;

  // The parts of the template's string: "title\ndocument name\nnew name\nfilter
  // name\nfilter extension\nfile type id\nfile type name".
  enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };
  virtual BOOL GetDocString(CString& rString, DocStringIndex index) const;
  virtual void LoadTemplate();

  virtual POSITION GetFirstDocPosition() const = 0;
  virtual CDocument* GetNextDoc(POSITION& rPos) const = 0;
  virtual void AddDocument(CDocument* pDoc);
  virtual void RemoveDocument(CDocument* pDoc);

  virtual CDocument* CreateNewDocument();
  virtual CFrameWnd* CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther);
  virtual void InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible = TRUE);
  virtual CDocument* OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible = TRUE) = 0;
  virtual void SetDefaultTitle(CDocument* pDocument) = 0;
  virtual BOOL SaveAllModified();
  virtual void CloseAllDocuments(BOOL bEndSession);

  UINT m_nIDResource;
  CRuntimeClass* m_pDocClass;
  CRuntimeClass* m_pFrameClass;
  CRuntimeClass* m_pViewClass;

protected:
  CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass, CRuntimeClass* pViewClass);
  CString m_strDocStrings;
};

class CSingleDocTemplate : public CDocTemplate {
  DECLARE_DYNAMIC(CSingleDocTemplate)
public:
  CSingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                     CRuntimeClass* pViewClass);
  ~CSingleDocTemplate() override;

  POSITION GetFirstDocPosition() const override;
  CDocument* GetNextDoc(POSITION& rPos) const override;
  void AddDocument(CDocument* pDoc) override;
  void RemoveDocument(CDocument* pDoc) override;
  // With no document yet: makes the document and the frame with its view. With
  // one: reuses both (after asking to save changes). Null when anything fails.
  CDocument* OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible = TRUE) override;
  void SetDefaultTitle(CDocument* pDocument) override;

protected:
  CDocument* m_pOnlyDoc = nullptr;
};
