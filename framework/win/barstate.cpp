// The frame's bar layout in the application profile: which side, row and
// offset each bar has, whether it shows, and where it floats.
//
// "<name>-Summary": Version (1), Bars (the count). "<name>-Bar<n>": BarID,
// Visible, DockBarID (0: not in a dock bar, AFX_IDW_DOCKBAR_FLOAT: floating),
// Row, Offset, FloatX, FloatY, MRUWidth, MRUDockID, MRURow. Anything that does
// not fit the frame's bars makes the whole layout ignored: only the layout is
// lost, never a bar.
#include "framework/bars.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

#include "framework/docview.h"
#include "framework/winthread.h"

namespace {

const int kBarStateVersion = 1;
const int kMaxBars = 256;

struct BarRecord {
  UINT nID;
  BOOL bVisible;
  UINT nDockBarID;
  int nRow, nOffset;
  CPoint ptFloat;
  int nMRUWidth;
  UINT nMRUDockID;
  int nMRURow;
  CControlBar* pBar;
};

CString Section(LPCTSTR lpszProfileName, LPCTSTR lpszPart) {
  CString s;
  s.Format("%s-%s", lpszProfileName, lpszPart);
  return s;
}

CString BarSection(LPCTSTR lpszProfileName, int i) {
  CString s;
  s.Format("%s-Bar%d", lpszProfileName, i);
  return s;
}

// A whole number, or FALSE when the entry is missing or not a number. The
// registry holds numbers as DWORDs, an INI file as text.
BOOL ReadInt(CWinApp* pApp, LPCTSTR lpszSection, LPCTSTR lpszEntry, int& nOut) {
  if (pApp->m_pszRegistryKey != nullptr) {
    // Two different defaults tell a missing entry from a stored one.
    int a = (int)pApp->GetProfileInt(lpszSection, lpszEntry, INT_MIN);
    int b = (int)pApp->GetProfileInt(lpszSection, lpszEntry, INT_MIN + 1);
    if (a != b)
      return FALSE;
    nOut = a;
    return TRUE;
  }
  CString s = pApp->GetProfileString(lpszSection, lpszEntry, "");
  if (s.IsEmpty())
    return FALSE;
  char* pEnd = nullptr;
  long n = std::strtol(s, &pEnd, 10);
  if (pEnd == nullptr || *pEnd != '\0')
    return FALSE;
  nOut = (int)n;
  return TRUE;
}

BOOL IsDockBarId(UINT nID) {
  return nID == AFX_IDW_DOCKBAR_TOP || nID == AFX_IDW_DOCKBAR_BOTTOM || nID == AFX_IDW_DOCKBAR_LEFT ||
         nID == AFX_IDW_DOCKBAR_RIGHT;
}

CControlBar* FindSavableBar(CFrameWnd* pFrame, UINT nID) {
  CControlBar* pBar = pFrame->GetControlBar(nID);
  return pBar != nullptr && !pBar->IsDockBar() ? pBar : nullptr;
}

// Reads and checks the whole layout; FALSE when any of it does not fit.
BOOL ReadBarState(CFrameWnd* pFrame, LPCTSTR lpszProfileName, std::vector<BarRecord>& records) {
  CWinApp* pApp = AfxGetApp();
  if (pApp == nullptr || lpszProfileName == nullptr)
    return FALSE;
  CString strSummary = Section(lpszProfileName, "Summary");
  int nVersion = 0, nBars = 0;
  if (!ReadInt(pApp, strSummary, "Version", nVersion) || nVersion != kBarStateVersion ||
      !ReadInt(pApp, strSummary, "Bars", nBars) || nBars < 0 || nBars > kMaxBars)
    return FALSE;
  records.clear();
  for (int i = 0; i < nBars; i++) {
    CString strSection = BarSection(lpszProfileName, i);
    int v[12];
    static const char* const kEntries[] = {"BarID",    "Visible", "DockBarID", "Row",       "Offset",
                                           "FloatX",   "FloatY",  "MRUWidth",  "MRUDockID", "MRURow"};
    for (int k = 0; k < 10; k++)
      if (!ReadInt(pApp, strSection, kEntries[k], v[k]))
        return FALSE;
    BarRecord r;
    r.nID = (UINT)v[0];
    r.bVisible = v[1] != 0;
    r.nDockBarID = (UINT)v[2];
    r.nRow = v[3];
    r.nOffset = v[4];
    r.ptFloat = CPoint(v[5], v[6]);
    r.nMRUWidth = v[7];
    r.nMRUDockID = (UINT)v[8];
    r.nMRURow = v[9];
    r.pBar = FindSavableBar(pFrame, r.nID);
    if (r.pBar == nullptr || r.nRow < 0 || r.nOffset < 0 || r.nMRUWidth <= 0)
      return FALSE;
    if (r.nDockBarID != 0 && r.nDockBarID != AFX_IDW_DOCKBAR_FLOAT) {
      CControlBar* pDock = pFrame->GetControlBar(r.nDockBarID);
      if (!IsDockBarId(r.nDockBarID) || pDock == nullptr ||
          !(r.pBar->m_dwDockStyle & pDock->GetBarStyle() & CBRS_ALIGN_ANY))
        return FALSE;
    }
    if (r.nDockBarID == AFX_IDW_DOCKBAR_FLOAT && r.pBar->GetDockContext() == nullptr)
      return FALSE;
    for (const BarRecord& other : records)
      if (other.nID == r.nID)
        return FALSE;  // one bar twice
    records.push_back(r);
  }
  return TRUE;
}

}  // namespace

void CFrameWnd::SaveBarState(LPCTSTR lpszProfileName) const {
  CWinApp* pApp = AfxGetApp();
  if (pApp == nullptr || lpszProfileName == nullptr)
    return;
  int n = 0;
  for (POSITION pos = m_listControlBars.GetHeadPosition(); pos != nullptr;) {
    CControlBar* pBar = static_cast<CControlBar*>(const_cast<CPtrList&>(m_listControlBars).GetNext(pos));
    if (pBar->IsDockBar() || pBar->m_hWnd == nullptr || pBar->GetDlgCtrlID() == 0)
      continue;
    CString strSection = BarSection(lpszProfileName, n++);
    CDockBar* pDock = pBar->m_pDockBar;
    CDockContext* pContext = pBar->m_pDockContext;
    UINT nDockID = 0;
    int nRow = 0, nOffset = 0;
    CPoint ptFloat(0, 0);
    if (pDock != nullptr) {
      nRow = std::max(0, pDock->FindBar(pBar));
      nOffset = nRow < pDock->GetBarCount() ? (int)pDock->m_arrOffsets[nRow] : 0;
      if (pDock->m_bFloating) {
        nDockID = AFX_IDW_DOCKBAR_FLOAT;
        nRow = nOffset = 0;
        CMiniDockFrameWnd* pMini = GetBarMiniFrame(pBar);
        if (pMini != nullptr) {
          CRect rc;
          pMini->GetWindowRect(&rc);
          ptFloat = rc.TopLeft();
        }
      } else {
        nDockID = (UINT)(WORD)::GetDlgCtrlID(pDock->m_hWnd);
      }
    }
    pApp->WriteProfileInt(strSection, "BarID", pBar->GetDlgCtrlID());
    pApp->WriteProfileInt(strSection, "Visible", pBar->IsVisible() ? 1 : 0);
    pApp->WriteProfileInt(strSection, "DockBarID", (int)nDockID);
    pApp->WriteProfileInt(strSection, "Row", nRow);
    pApp->WriteProfileInt(strSection, "Offset", nOffset);
    pApp->WriteProfileInt(strSection, "FloatX", ptFloat.x);
    pApp->WriteProfileInt(strSection, "FloatY", ptFloat.y);
    pApp->WriteProfileInt(strSection, "MRUWidth", std::max(1, pBar->m_nMRUWidth));
    pApp->WriteProfileInt(strSection, "MRUDockID", pContext != nullptr ? (int)pContext->m_uMRUDockID : 0);
    pApp->WriteProfileInt(strSection, "MRURow", pContext != nullptr ? std::max(-1, pContext->m_nMRURow) : -1);
  }
  CString strSummary = Section(lpszProfileName, "Summary");
  pApp->WriteProfileInt(strSummary, "Version", kBarStateVersion);
  pApp->WriteProfileInt(strSummary, "Bars", n);
}

BOOL CFrameWnd::VerifyBarState(LPCTSTR lpszProfileName) {
  std::vector<BarRecord> records;
  return ReadBarState(this, lpszProfileName, records);
}

void CFrameWnd::LoadBarState(LPCTSTR lpszProfileName) {
  std::vector<BarRecord> records;
  if (!ReadBarState(this, lpszProfileName, records))
    return;
  // Visibility first: a bar docked or floated hidden stays hidden.
  for (const BarRecord& r : records) {
    r.pBar->m_nMRUWidth = r.nMRUWidth;
    r.pBar->ShowWindow(r.bVisible ? SW_SHOWNOACTIVATE : SW_HIDE);
    if (r.pBar->m_pDockContext != nullptr) {
      r.pBar->m_pDockContext->m_uMRUDockID = r.nMRUDockID;
      r.pBar->m_pDockContext->m_nMRURow = r.nMRURow;
    }
  }
  // Each side's bars in the order of their rows, ahead of bars the layout does not name.
  std::vector<const BarRecord*> docked;
  for (const BarRecord& r : records)
    if (IsDockBarId(r.nDockBarID))
      docked.push_back(&r);
  std::stable_sort(docked.begin(), docked.end(), [](const BarRecord* a, const BarRecord* b) {
    return a->nDockBarID != b->nDockBarID ? a->nDockBarID < b->nDockBarID : a->nRow < b->nRow;
  });
  UINT nSide = 0;
  int nNext = 0;
  for (const BarRecord* r : docked) {
    if (r->nDockBarID != nSide) {
      nSide = r->nDockBarID;
      nNext = 0;
    }
    CDockBar* pDock = static_cast<CDockBar*>(GetControlBar(nSide));
    DockControlBarAt(this, r->pBar, pDock, nNext++, r->nOffset);
  }
  for (const BarRecord& r : records)
    if (r.nDockBarID == AFX_IDW_DOCKBAR_FLOAT)
      FloatControlBar(r.pBar, r.ptFloat);
  for (const BarRecord& r : records) {
    CMiniDockFrameWnd* pMini = GetBarMiniFrame(r.pBar);
    if (pMini != nullptr)
      pMini->RecalcLayout();
  }
  RecalcLayout();
}
