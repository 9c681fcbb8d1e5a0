// Documents, views and document templates.
#include "framework/docview.h"

#include <cstdio>

#include "framework/archive.h"
#include "framework/bars.h"
#include "framework/commctrls.h"
#include "framework/commdlgs.h"
#include "framework/dialog.h"
#include "framework/file.h"
#include "framework/gdi.h"
#include "framework/menu.h"
#include "framework/module.h"

// ---- CDocument ----

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
  ON_COMMAND(ID_FILE_CLOSE, OnFileClose)
  ON_COMMAND(ID_FILE_SAVE, OnFileSave)
  ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
END_MESSAGE_MAP()

CDocument::CDocument() = default;

CDocument::~CDocument() {
  // Views still attached no longer have a document.
  for (POSITION pos = m_viewList.GetHeadPosition(); pos != nullptr;)
    static_cast<CView*>(m_viewList.GetNext(pos))->m_pDocument = nullptr;
  m_viewList.RemoveAll();
  if (m_pDocTemplate != nullptr)
    m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(LPCTSTR lpszTitle) {
  m_strTitle = lpszTitle;
  for (POSITION pos = GetFirstViewPosition(); pos != nullptr;) {
    CView* pView = GetNextView(pos);
    CFrameWnd* pFrame = pView ? pView->GetParentFrame() : nullptr;
    if (pFrame != nullptr)
      pFrame->OnUpdateFrameTitle(TRUE);
  }
}

void CDocument::SetPathName(LPCTSTR lpszPathName, BOOL bAddToMRU) {
  char szFull[MAX_PATH] = "";
  if (lpszPathName == nullptr || !::GetFullPathNameA(lpszPathName, MAX_PATH, szFull, nullptr))
    lstrcpynA(szFull, lpszPathName ? lpszPathName : "", MAX_PATH);
  m_strPathName = szFull;
  CString strTitle = m_strPathName.Mid(m_strPathName.ReverseFind('\\') + 1);
  SetTitle(strTitle);
  if (bAddToMRU && AfxGetApp() != nullptr)
    AfxGetApp()->AddToRecentFileList(m_strPathName);
}

POSITION CDocument::GetFirstViewPosition() const { return m_viewList.GetHeadPosition(); }

CView* CDocument::GetNextView(POSITION& rPosition) const {
  return static_cast<CView*>(const_cast<CPtrList&>(m_viewList).GetNext(rPosition));
}

void CDocument::AddView(CView* pView) {
  if (pView == nullptr || pView->m_pDocument == this)
    return;
  if (pView->m_pDocument != nullptr)
    pView->m_pDocument->RemoveView(pView);
  m_viewList.AddTail(pView);
  pView->m_pDocument = this;
  OnChangedViewList();
}

void CDocument::RemoveView(CView* pView) {
  POSITION pos = m_viewList.Find(pView);
  if (pos == nullptr)
    return;
  m_viewList.RemoveAt(pos);
  pView->m_pDocument = nullptr;
  OnChangedViewList();  // may delete this
}

void CDocument::OnChangedViewList() {
  if (m_viewList.IsEmpty() && m_bAutoDelete) {
    OnCloseDocument();
    return;
  }
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
  for (POSITION pos = GetFirstViewPosition(); pos != nullptr;) {
    CView* pView = GetNextView(pos);
    if (pView != pSender)
      pView->OnUpdate(pSender, lHint, pHint);
  }
}

BOOL CDocument::OnNewDocument() {
  DeleteContents();
  m_strPathName.Empty();
  SetModifiedFlag(FALSE);
  return TRUE;
}

void CDocument::ReportSaveLoadException(LPCTSTR lpszPathName, CException* e, BOOL bSaving) {
  CString strReason;
  if (e != nullptr)
    strReason = e->GetErrorMessage();
  CString s;
  s.Format("%s %s.%s%s", bSaving ? "Could not save" : "Could not open", lpszPathName ? lpszPathName : "",
           strReason.IsEmpty() ? "" : "\n", (const char*)strReason);
  AfxMessageBox(s, MB_ICONEXCLAMATION);
}

BOOL CDocument::OnOpenDocument(LPCTSTR lpszPathName) {
  CFile file;
  CFileException fe;
  if (!file.Open(lpszPathName, CFile::modeRead | CFile::shareDenyWrite, &fe)) {
    ReportSaveLoadException(lpszPathName, &fe, FALSE);
    return FALSE;
  }
  DeleteContents();
  SetModifiedFlag(TRUE);  // dirty while loading, in case the load fails half way
  try {
    CArchive ar(&file, CArchive::load | CArchive::bNoFlushOnDelete);
    Serialize(ar);
    ar.Close();
  } catch (CException* e) {
    file.Abort();
    DeleteContents();
    ReportSaveLoadException(lpszPathName, e, FALSE);
    e->Delete();
    return FALSE;
  }
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCTSTR lpszPathName) {
  // Written to a temporary file first: a failed save never destroys the old file.
  CString strTemp = CString(lpszPathName) + ".tmp";
  CFile file;
  CFileException fe;
  if (!file.Open(strTemp, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, &fe)) {
    ReportSaveLoadException(lpszPathName, &fe, TRUE);
    return FALSE;
  }
  try {
    CArchive ar(&file, CArchive::store | CArchive::bNoFlushOnDelete);
    Serialize(ar);
    ar.Close();
    file.Close();
  } catch (CException* e) {
    file.Abort();
    ::DeleteFileA(strTemp);
    ReportSaveLoadException(lpszPathName, e, TRUE);
    e->Delete();
    return FALSE;
  }
  if (!::MoveFileExA(strTemp, lpszPathName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    CFileException moveErr(CFileException::OsErrorToException((LONG)::GetLastError()), (LONG)::GetLastError(),
                           lpszPathName);
    ::DeleteFileA(strTemp);
    ReportSaveLoadException(lpszPathName, &moveErr, TRUE);
    return FALSE;
  }
  SetModifiedFlag(FALSE);
  return TRUE;
}

void CDocument::OnCloseDocument() {
  // Closing the frames removes the views; keep the document until they are gone.
  BOOL bAutoDelete = m_bAutoDelete;
  m_bAutoDelete = FALSE;
  while (!m_viewList.IsEmpty()) {
    CView* pView = static_cast<CView*>(m_viewList.GetHead());
    CFrameWnd* pFrame = pView->GetParentFrame();
    if (pFrame != nullptr && pFrame->IsWindow())
      pFrame->DestroyWindow();
    else if (pView->IsWindow())
      pView->DestroyWindow();
    // A view that did not leave (no window) is dropped from the list here.
    if (!m_viewList.IsEmpty() && m_viewList.GetHead() == pView)
      RemoveView(pView);
  }
  m_bAutoDelete = bAutoDelete;
  DeleteContents();
  if (m_bAutoDelete)
    delete this;
}

BOOL CDocument::DoSave(LPCTSTR lpszPathName, BOOL bReplace) {
  CString strPath = lpszPathName ? lpszPathName : "";
  if (strPath.IsEmpty()) {
    CString strFilter, strExt;
    if (m_pDocTemplate != nullptr) {
      CString strName, strFilterExt;
      if (m_pDocTemplate->GetDocString(strName, CDocTemplate::filterName) &&
          m_pDocTemplate->GetDocString(strFilterExt, CDocTemplate::filterExt) && !strFilterExt.IsEmpty()) {
        strFilter = strName + "|*" + strFilterExt + "|";
        strExt = strFilterExt.Mid(strFilterExt[0] == '.' ? 1 : 0);
      }
    }
    strFilter += "All Files (*.*)|*.*||";
    CFileDialog dlg(FALSE, strExt.IsEmpty() ? nullptr : (LPCTSTR)strExt, m_strTitle,
                    OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, strFilter, AfxGetMainWnd());
    if (dlg.DoModal() != IDOK)
      return FALSE;
    strPath = dlg.GetPathName();
  }
  if (!OnSaveDocument(strPath))
    return FALSE;
  if (bReplace)
    SetPathName(strPath);
  return TRUE;
}

BOOL CDocument::SaveModified() {
  if (!IsModified())
    return TRUE;
  CString strName = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
  CString strPrompt;
  strPrompt.Format("Save changes to %s?", (const char*)strName);
  switch (AfxMessageBox(strPrompt, MB_YESNOCANCEL | MB_ICONQUESTION)) {
  case IDCANCEL:
    return FALSE;
  case IDYES:
    return DoSave(m_strPathName);
  default:
    return TRUE;
  }
}

BOOL CDocument::CanCloseFrame(CFrameWnd* pFrameArg) {
  // Only the last frame showing this document asks to save it.
  for (POSITION pos = GetFirstViewPosition(); pos != nullptr;) {
    CView* pView = GetNextView(pos);
    CFrameWnd* pFrame = pView->GetParentFrame();
    if (pFrame != nullptr && pFrame != pFrameArg)
      return TRUE;
  }
  return SaveModified();
}

BOOL CDocument::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
    return TRUE;
  return m_pDocTemplate != nullptr && m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CDocument::OnFileClose() {
  if (!SaveModified())
    return;
  OnCloseDocument();
}

void CDocument::OnFileSave() { DoSave(m_strPathName); }
void CDocument::OnFileSaveAs() { DoSave(nullptr); }

// ---- CView ----

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_PAINT()
  ON_WM_MOUSEACTIVATE()
  ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdateMsg)
END_MESSAGE_MAP()

CView::CView() = default;

CView::~CView() {
  if (m_pDocument != nullptr)
    m_pDocument->RemoveView(this);  // may delete the document
}

DROPEFFECT CView::OnDragEnter(COleDataObject*, DWORD, CPoint) { return DROPEFFECT_NONE; }
DROPEFFECT CView::OnDragOver(COleDataObject*, DWORD, CPoint) { return DROPEFFECT_NONE; }
BOOL CView::OnDrop(COleDataObject*, DROPEFFECT, CPoint) { return FALSE; }
DROPEFFECT CView::OnDropEx(COleDataObject*, DROPEFFECT, DROPEFFECT, CPoint) { return (DROPEFFECT)-1; }
void CView::OnDragLeave() {}

BOOL CView::PreCreateWindow(CREATESTRUCT& cs) {
  if (cs.lpszClass == nullptr)
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW),
                                       (HBRUSH)(COLOR_WINDOW + 1));
  // A view's border is the sunken client edge.
  if (cs.style & WS_BORDER) {
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    cs.style &= ~WS_BORDER;
  }
  return TRUE;
}

int CView::OnCreate(LPCREATESTRUCT lpcs) {
  if (CWnd::OnCreate(lpcs) == -1)
    return -1;
  CCreateContext* pContext = static_cast<CCreateContext*>(lpcs->lpCreateParams);
  if (pContext != nullptr && pContext->m_pCurrentDoc != nullptr)
    pContext->m_pCurrentDoc->AddView(this);
  return 0;
}

void CView::OnDestroy() {
  CFrameWnd* pFrame = GetParentFrame();
  if (pFrame != nullptr && pFrame->GetActiveView() == this)
    pFrame->SetActiveView(nullptr, FALSE);
  CWnd::OnDestroy();
}

void CView::PostNcDestroy() { delete this; }

void CView::OnPaint() {
  CPaintDC dc(this);
  OnPrepareDC(&dc);
  OnDraw(&dc);
}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
    return TRUE;
  return m_pDocument != nullptr && m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }

LRESULT CView::OnInitialUpdateMsg(WPARAM, LPARAM) {
  OnInitialUpdate();
  return 0;
}

void CView::OnActivateView(BOOL bActivate, CView* pActivateView, CView*) {
  if (!bActivate || pActivateView != this || m_hWnd == nullptr)
    return;
  // Take the focus when the frame is the active window, unless a child of the
  // view (its control) has it already.
  CWnd* pTop = GetTopLevelParent();
  HWND hActive = ::GetActiveWindow();
  if (pTop != nullptr && hActive != nullptr && (hActive == pTop->m_hWnd || ::IsChild(pTop->m_hWnd, hActive))) {
    HWND hFocus = ::GetFocus();
    if (hFocus != m_hWnd && !::IsChild(m_hWnd, hFocus))
      ::SetFocus(m_hWnd);
  }
}

int CView::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message) {
  int nResult = CWnd::OnMouseActivate(pDesktopWnd, nHitTest, message);
  if (nResult == MA_NOACTIVATE || nResult == MA_NOACTIVATEANDEAT)
    return nResult;
  CFrameWnd* pFrame = GetParentFrame();
  if (pFrame != nullptr) {
    CView* pActive = pFrame->GetActiveView();
    HWND hFocus = ::GetFocus();
    if (pActive == this && m_hWnd != hFocus && !::IsChild(m_hWnd, hFocus))
      OnActivateView(TRUE, this, this);  // give the focus back
    else
      pFrame->SetActiveView(this);
  }
  return nResult;
}

// ---- control views ----

IMPLEMENT_DYNAMIC(CCtrlView, CView)

BEGIN_MESSAGE_MAP(CCtrlView, CView)
  ON_WM_PAINT()
END_MESSAGE_MAP()

CCtrlView::CCtrlView(LPCTSTR lpszClass, DWORD dwStyle) : m_strClass(lpszClass), m_dwDefaultStyle(dwStyle) {}

BOOL CCtrlView::PreCreateWindow(CREATESTRUCT& cs) {
  cs.lpszClass = m_strClass;
  cs.style |= m_dwDefaultStyle;
  return CView::PreCreateWindow(cs);
}

IMPLEMENT_DYNCREATE(CTreeView, CCtrlView)
IMPLEMENT_DYNCREATE(CListView, CCtrlView)

namespace {
// The control wrapper over a control view's own window. A control class adds
// no data to CWnd, so the view's CWnd part serves as the control (the handle
// is the same, the binding stays the view's).
static_assert(sizeof(CTreeCtrl) == sizeof(CWnd) && sizeof(CListCtrl) == sizeof(CWnd),
              "control wrappers must add no data to CWnd");
}  // namespace

CTreeView::CTreeView() : CCtrlView(WC_TREEVIEWA, WS_CHILD | WS_VISIBLE | WS_BORDER) {
  AfxInitCommonControls(ICC_TREEVIEW_CLASSES);
}
CTreeCtrl& CTreeView::GetTreeCtrl() const {
  return *reinterpret_cast<CTreeCtrl*>(static_cast<CWnd*>(const_cast<CTreeView*>(this)));
}

CListView::CListView() : CCtrlView(WC_LISTVIEWA, WS_CHILD | WS_VISIBLE | WS_BORDER) {
  AfxInitCommonControls(ICC_LISTVIEW_CLASSES);
}
CListCtrl& CListView::GetListCtrl() const {
  return *reinterpret_cast<CListCtrl*>(static_cast<CWnd*>(const_cast<CListView*>(this)));
}

// ---- CDocTemplate ----

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

CDocTemplate::CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                           CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass) {
  LoadTemplate();
}

CDocTemplate::~CDocTemplate() = default;

void CDocTemplate::LoadTemplate() {
  if (!m_strDocStrings.LoadString(m_nIDResource))
    m_strDocStrings.Empty();
}

BOOL CDocTemplate::GetDocString(CString& rString, DocStringIndex index) const {
  rString.Empty();
  int nStart = 0;
  for (int i = 0; i < (int)index; i++) {
    int n = m_strDocStrings.Find('\n', nStart);
    if (n < 0)
      return FALSE;
    nStart = n + 1;
  }
  int nEnd = m_strDocStrings.Find('\n', nStart);
  rString = nEnd < 0 ? m_strDocStrings.Mid(nStart) : m_strDocStrings.Mid(nStart, nEnd - nStart);
  return TRUE;
}

void CDocTemplate::AddDocument(CDocument* pDoc) { pDoc->m_pDocTemplate = this; }

void CDocTemplate::RemoveDocument(CDocument* pDoc) { pDoc->m_pDocTemplate = nullptr; }

CDocument* CDocTemplate::CreateNewDocument() {
  if (m_pDocClass == nullptr)
    return nullptr;
  CObject* pObject = m_pDocClass->CreateObject();
  CDocument* pDoc = DYNAMIC_DOWNCAST(CDocument, pObject);
  if (pDoc == nullptr) {
    delete pObject;
    return nullptr;
  }
  AddDocument(pDoc);
  return pDoc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther) {
  CCreateContext context;
  context.m_pCurrentFrame = pOther;
  context.m_pCurrentDoc = pDoc;
  context.m_pNewViewClass = m_pViewClass;
  context.m_pNewDocTemplate = this;
  if (m_pFrameClass == nullptr)
    return nullptr;
  CObject* pObject = m_pFrameClass->CreateObject();
  CFrameWnd* pFrame = DYNAMIC_DOWNCAST(CFrameWnd, pObject);
  if (pFrame == nullptr) {
    delete pObject;
    return nullptr;
  }
  if (!pFrame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context))
    return nullptr;  // the frame deleted itself
  return pFrame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible) {
  pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

BOOL CDocTemplate::SaveAllModified() {
  for (POSITION pos = GetFirstDocPosition(); pos != nullptr;) {
    CDocument* pDoc = GetNextDoc(pos);
    if (!pDoc->SaveModified())
      return FALSE;
  }
  return TRUE;
}

void CDocTemplate::CloseAllDocuments(BOOL) {
  for (POSITION pos = GetFirstDocPosition(); pos != nullptr;) {
    CDocument* pDoc = GetNextDoc(pos);
    pDoc->OnCloseDocument();
    pos = GetFirstDocPosition();  // the list changed
  }
}

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                                       CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass) {}

CSingleDocTemplate::~CSingleDocTemplate() {
  if (m_pOnlyDoc != nullptr) {
    CDocument* pDoc = m_pOnlyDoc;
    RemoveDocument(pDoc);
    pDoc->m_bAutoDelete = FALSE;
    delete pDoc;
  }
}

POSITION CSingleDocTemplate::GetFirstDocPosition() const {
  return m_pOnlyDoc == nullptr ? nullptr : BEFORE_START_POSITION;
}

CDocument* CSingleDocTemplate::GetNextDoc(POSITION& rPos) const {
  CDocument* pDoc = rPos == BEFORE_START_POSITION ? m_pOnlyDoc : nullptr;
  rPos = nullptr;
  return pDoc;
}

void CSingleDocTemplate::AddDocument(CDocument* pDoc) {
  CDocTemplate::AddDocument(pDoc);
  m_pOnlyDoc = pDoc;
}

void CSingleDocTemplate::RemoveDocument(CDocument* pDoc) {
  CDocTemplate::RemoveDocument(pDoc);
  if (m_pOnlyDoc == pDoc)
    m_pOnlyDoc = nullptr;
}

void CSingleDocTemplate::SetDefaultTitle(CDocument* pDocument) {
  CString strName;
  if (!GetDocString(strName, docName) || strName.IsEmpty())
    strName = "Untitled";
  pDocument->SetTitle(strName);
}

CDocument* CSingleDocTemplate::OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible) {
  CDocument* pDoc = nullptr;
  CFrameWnd* pFrame = nullptr;
  BOOL bCreated = FALSE;
  if (m_pOnlyDoc != nullptr) {
    pDoc = m_pOnlyDoc;
    if (!pDoc->SaveModified())
      return nullptr;
    POSITION pos = pDoc->GetFirstViewPosition();
    CView* pView = pos ? pDoc->GetNextView(pos) : nullptr;
    pFrame = pView ? pView->GetParentFrame() : nullptr;
  } else {
    pDoc = CreateNewDocument();
    if (pDoc == nullptr) {
      AfxMessageBox("Failed to create empty document.", MB_ICONEXCLAMATION);
      return nullptr;
    }
    bCreated = TRUE;
  }
  // A document that is only being set up is not deleted when a view goes.
  auto discardNew = [&]() {
    if (m_pOnlyDoc == pDoc) {
      pDoc->m_bAutoDelete = FALSE;
      delete pDoc;
    }
  };
  if (pFrame == nullptr) {
    BOOL bAutoDelete = pDoc->m_bAutoDelete;
    pDoc->m_bAutoDelete = FALSE;
    pFrame = CreateNewFrame(pDoc, nullptr);
    pDoc->m_bAutoDelete = bAutoDelete;
    if (pFrame == nullptr) {
      AfxMessageBox("Failed to create the main window.", MB_ICONEXCLAMATION);
      if (bCreated)
        discardNew();
      return nullptr;
    }
  }
  if (lpszPathName == nullptr) {
    SetDefaultTitle(pDoc);
    if (!bMakeVisible)
      pDoc->m_bEmbedded = TRUE;
    if (!pDoc->OnNewDocument()) {
      if (bCreated) {
        pDoc->m_bAutoDelete = FALSE;
        pFrame->DestroyWindow();
        discardNew();
      }
      return nullptr;
    }
  } else {
    BOOL bWasModified = pDoc->IsModified();
    pDoc->SetModifiedFlag(FALSE);
    if (!pDoc->OnOpenDocument(lpszPathName)) {
      if (bCreated) {
        pDoc->m_bAutoDelete = FALSE;
        pFrame->DestroyWindow();
        discardNew();
      } else if (!pDoc->IsModified()) {
        pDoc->SetModifiedFlag(bWasModified);  // the old contents are intact
      } else {
        SetDefaultTitle(pDoc);  // half loaded: start afresh
        pDoc->OnNewDocument();
      }
      return nullptr;
    }
    pDoc->SetPathName(lpszPathName);
  }
  CWinThread* pThread = AfxGetThread();
  if (bCreated && pThread != nullptr && pThread->m_pMainWnd == nullptr)
    pThread->m_pMainWnd = pFrame;
  InitialUpdateFrame(pFrame, pDoc, bMakeVisible);
  return pDoc;
}
