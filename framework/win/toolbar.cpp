// The toolbar bar: the common toolbar control subclassed, loaded from a
// toolbar resource, with tool tips from the command strings and idle update.
#include "framework/bars.h"

#include <algorithm>
#include <vector>

#include "framework/commctrls.h"
#include "framework/docview.h"
#include "framework/module.h"
#include "framework/toolbarres.h"

namespace {

static_assert(sizeof(CToolBarCtrl) == sizeof(CWnd), "the control wrapper must add no data to CWnd");

const int kSeparatorWidth = 8;

// Updates one button, found by its index, from a command's update handler.
class CToolCmdUI : public CCmdUI {
public:
  void Enable(BOOL bOn) override {
    m_bEnableChanged = TRUE;
    CToolBarCtrl& ctrl = static_cast<CToolBar*>(m_pOther)->GetToolBarCtrl();
    UINT nOld = ctrl.GetState((int)m_nID);
    UINT nNew = bOn ? (nOld | TBSTATE_ENABLED) : (nOld & ~(UINT)(TBSTATE_ENABLED | TBSTATE_PRESSED));
    if (nNew != nOld)
      ctrl.SetState((int)m_nID, nNew);
  }
  void SetCheck(int nCheck) override {
    CToolBarCtrl& ctrl = static_cast<CToolBar*>(m_pOther)->GetToolBarCtrl();
    UINT nOld = ctrl.GetState((int)m_nID);
    UINT nNew = nOld & ~(UINT)(TBSTATE_CHECKED | TBSTATE_INDETERMINATE);
    if (nCheck == 1)
      nNew |= TBSTATE_CHECKED;
    else if (nCheck == 2)
      nNew |= TBSTATE_INDETERMINATE;
    if (nNew != nOld)
      ctrl.SetState((int)m_nID, nNew);
  }
  void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
  void SetText(LPCTSTR) override {}  // buttons keep their text
};

}  // namespace

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
END_MESSAGE_MAP()

CToolBar::CToolBar() = default;

CToolBar::~CToolBar() {
  if (m_hbmImageWell != nullptr)
    ::DeleteObject(m_hbmImageWell);
}

CToolBarCtrl& CToolBar::GetToolBarCtrl() const {
  return *reinterpret_cast<CToolBarCtrl*>(static_cast<CWnd*>(const_cast<CToolBar*>(this)));
}

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  return CreateEx(pParentWnd, 0, dwStyle, CRect(0, 0, 0, 0), nID);
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect, UINT nID) {
  AfxInitCommonControls(ICC_BAR_CLASSES);
  // The frame lays the control out: it neither sizes nor places itself.
  DWORD dwCtrl = dwCtrlStyle | CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE;
  if (dwStyle & CBRS_TOOLTIPS)
    dwCtrl |= TBSTYLE_TOOLTIPS;
  if (!CreateBar(0, TOOLBARCLASSNAMEA, nullptr, dwStyle, dwCtrl, pParentWnd, nID))
    return FALSE;
  SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SetSizes(CSize(23, 22), CSize(16, 15));
  return TRUE;
}

void CToolBar::SetSizes(SIZE sizeButton, SIZE sizeImage) {
  m_sizeImage = sizeImage;
  GetToolBarCtrl().SetBitmapSize(CSize(sizeImage));
  GetToolBarCtrl().SetButtonSize(CSize(sizeButton));
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) { return LoadToolBar(MAKEINTRESOURCEA(nIDResource)); }

BOOL CToolBar::LoadToolBar(LPCTSTR lpszResourceName) {
  HINSTANCE hInst = AfxGetResourceHandle();
  HRSRC hRsrc = ::FindResourceA(hInst, lpszResourceName, MAKEINTRESOURCEA(kToolBarResourceType));
  if (hRsrc == nullptr)
    return FALSE;
  HGLOBAL hGlobal = ::LoadResource(hInst, hRsrc);
  const void* pData = hGlobal != nullptr ? ::LockResource(hGlobal) : nullptr;
  ToolBarResource res;
  if (pData == nullptr || !ParseToolBarResource(pData, ::SizeofResource(hInst, hRsrc), &res))
    return FALSE;
  SetSizes(CSize(res.width + 7, res.height + 7), CSize(res.width, res.height));
  if (!SetButtons(res.items.data(), (int)res.items.size()))
    return FALSE;
  return LoadBitmap(lpszResourceName);
}

BOOL CToolBar::LoadBitmap(UINT nIDResource) { return LoadBitmap(MAKEINTRESOURCEA(nIDResource)); }

BOOL CToolBar::LoadBitmap(LPCTSTR lpszResourceName) {
  // The standard greys and white of the bitmap become the 3-D colours of the system.
  HBITMAP hbm = (HBITMAP)::LoadImageA(AfxGetResourceHandle(), lpszResourceName, IMAGE_BITMAP, 0, 0,
                                      LR_LOADMAP3DCOLORS);
  if (hbm == nullptr)
    return FALSE;
  BITMAP bm = {};
  ::GetObjectA(hbm, sizeof bm, &bm);
  int nImages = std::max(1, (int)(bm.bmWidth / std::max(1L, m_sizeImage.cx)));
  if (m_hbmImageWell != nullptr) {
    TBREPLACEBITMAP rb = {nullptr, (UINT_PTR)m_hbmImageWell, nullptr, (UINT_PTR)hbm, nImages};
    SendMessage(TB_REPLACEBITMAP, 0, (LPARAM)&rb);
    ::DeleteObject(m_hbmImageWell);
  } else {
    TBADDBITMAP ab = {nullptr, (UINT_PTR)hbm};
    SendMessage(TB_ADDBITMAP, (WPARAM)nImages, (LPARAM)&ab);
  }
  m_hbmImageWell = hbm;
  return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* lpIDArray, int nIDCount) {
  if (m_hWnd == nullptr || nIDCount < 0)
    return FALSE;
  CToolBarCtrl& ctrl = GetToolBarCtrl();
  while (ctrl.GetButtonCount() > 0)
    ctrl.DeleteButton(0);
  std::vector<TBBUTTON> buttons((size_t)nIDCount);
  int iImage = 0;
  for (int i = 0; i < nIDCount; i++) {
    TBBUTTON& b = buttons[(size_t)i];
    b = TBBUTTON{};
    UINT nID = lpIDArray != nullptr ? lpIDArray[i] : 0;
    if (nID == 0) {
      b.fsStyle = TBSTYLE_SEP;
      b.iBitmap = kSeparatorWidth;
    } else {
      b.iBitmap = iImage++;
      b.idCommand = (int)nID;
      b.fsState = TBSTATE_ENABLED;
      b.fsStyle = TBSTYLE_BUTTON;
      b.iString = -1;
    }
  }
  return nIDCount == 0 || ctrl.AddButtons(nIDCount, buttons.data());
}

int CToolBar::CommandToIndex(UINT nIDFind) const { return GetToolBarCtrl().CommandToIndex(nIDFind); }

UINT CToolBar::GetItemID(int nIndex) const {
  TBBUTTON b = {};
  if (!GetToolBarCtrl().GetButton(nIndex, &b))
    return 0;
  return (b.fsStyle & TBSTYLE_SEP) ? 0 : (UINT)b.idCommand;
}

void CToolBar::GetItemRect(int nIndex, LPRECT lpRect) const {
  if (!GetToolBarCtrl().GetItemRect(nIndex, lpRect))
    ::SetRectEmpty(lpRect);
}

UINT CToolBar::GetButtonStyle(int nIndex) const {
  TBBUTTON b = {};
  if (!GetToolBarCtrl().GetButton(nIndex, &b))
    return 0;
  return MAKELONG(b.fsStyle, b.fsState);
}

void CToolBar::SetButtonStyle(int nIndex, UINT nStyle) {
  TBBUTTONINFOA info = {};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_BYINDEX | TBIF_STYLE | TBIF_STATE;
  info.fsStyle = (BYTE)LOWORD(nStyle);
  info.fsState = (BYTE)HIWORD(nStyle);
  if (info.fsState == 0 && !(info.fsStyle & TBSTYLE_SEP))
    info.fsState = (BYTE)(GetButtonStyle(nIndex) >> 16);  // a style alone keeps the state
  SendMessage(TB_SETBUTTONINFOA, (WPARAM)nIndex, (LPARAM)&info);
}

void CToolBar::GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const {
  TBBUTTON b = {};
  if (!GetToolBarCtrl().GetButton(nIndex, &b)) {
    nID = nStyle = 0;
    iImage = 0;
    return;
  }
  nID = (UINT)b.idCommand;
  nStyle = MAKELONG(b.fsStyle, b.fsState);
  iImage = b.iBitmap;  // a separator's width
}

void CToolBar::SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage) {
  TBBUTTON b = {};
  if (!GetToolBarCtrl().GetButton(nIndex, &b))
    return;
  // Delete and insert: the control cannot turn a button into a separator in place.
  b.idCommand = (int)nID;
  b.fsStyle = (BYTE)LOWORD(nStyle);
  if (HIWORD(nStyle) != 0)
    b.fsState = (BYTE)HIWORD(nStyle);
  b.iBitmap = iImage;
  CToolBarCtrl& ctrl = GetToolBarCtrl();
  ctrl.DeleteButton(nIndex);
  ctrl.InsertButton(nIndex, &b);
}

BOOL CToolBar::SetButtonText(int nIndex, LPCTSTR lpszText) {
  TBBUTTONINFOA info = {};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_BYINDEX | TBIF_TEXT;
  info.pszText = const_cast<LPSTR>(lpszText);
  return (BOOL)SendMessage(TB_SETBUTTONINFOA, (WPARAM)nIndex, (LPARAM)&info);
}

CString CToolBar::GetButtonText(int nIndex) const {
  UINT nID = GetItemID(nIndex);
  if (nID == 0)
    return CString();
  int n = (int)SendMessage(TB_GETBUTTONTEXTA, nID, 0);
  if (n <= 0)
    return CString();
  std::vector<char> buf((size_t)n + 1, '\0');
  SendMessage(TB_GETBUTTONTEXTA, nID, (LPARAM)buf.data());
  return CString(buf.data());
}

CSize CToolBar::CalcLayout(BOOL bHorz) {
  CToolBarCtrl& ctrl = GetToolBarCtrl();
  int n = ctrl.GetButtonCount();
  // One row: no button wraps; one column: every button does.
  for (int i = 0; i < n; i++) {
    TBBUTTON b = {};
    if (!ctrl.GetButton(i, &b))
      continue;
    BYTE nState = bHorz ? (BYTE)(b.fsState & ~TBSTATE_WRAP) : (BYTE)(b.fsState | TBSTATE_WRAP);
    if (nState != b.fsState) {
      TBBUTTONINFOA info = {};
      info.cbSize = sizeof info;
      info.dwMask = TBIF_BYINDEX | TBIF_STATE;
      info.fsState = nState;
      SendMessage(TB_SETBUTTONINFOA, (WPARAM)i, (LPARAM)&info);
    }
  }
  CSize size(0, 0);
  for (int i = 0; i < n; i++) {
    TBBUTTON b = {};
    CRect rc;
    if (!ctrl.GetButton(i, &b) || (b.fsState & TBSTATE_HIDDEN) || !ctrl.GetItemRect(i, &rc))
      continue;
    size.cx = std::max(size.cx, rc.right);
    size.cy = std::max(size.cy, rc.bottom);
  }
  if (n == 0)
    size = ctrl.GetButtonSize();
  CRect b = GetBorders();
  return CSize(size.cx + b.left + b.right, size.cy + b.top + b.bottom);
}

CSize CToolBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
  CSize size = CalcLayout(bHorz);
  if (bStretch) {
    if (bHorz)
      size.cx = 32767;
    else
      size.cy = 32767;
  }
  return size;
}

CSize CToolBar::CalcDynamicLayout(int nLength, DWORD dwMode) {
  if (nLength == -1 && !(dwMode & (LM_MRUWIDTH | LM_COMMIT)) && (dwMode & (LM_HORZDOCK | LM_VERTDOCK)))
    return CalcFixedLayout((dwMode & LM_STRETCH) != 0, (dwMode & LM_HORZDOCK) != 0);
  return CalcLayout((dwMode & LM_HORZ) != 0 || IsFloating());
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) {
  CToolCmdUI state;
  state.m_pOther = this;
  CToolBarCtrl& ctrl = GetToolBarCtrl();
  state.m_nIndexMax = (UINT)ctrl.GetButtonCount();
  for (UINT i = 0; i < state.m_nIndexMax; i++) {
    TBBUTTON b = {};
    if (!ctrl.GetButton((int)i, &b) || (b.fsStyle & TBSTYLE_SEP) || b.idCommand == 0)
      continue;
    state.m_nIndex = i;
    state.m_nID = (UINT)b.idCommand;
    // The bar's own handler first, then the frame's routing.
    if (CWnd::OnCmdMsg(state.m_nID, CN_UPDATE_COMMAND_UI, &state, nullptr))
      continue;
    state.DoUpdate(pTarget, bDisableIfNoHndler);
  }
  // Controls that stand in place of separators.
  UpdateDialogControls(pTarget, bDisableIfNoHndler);
}

BOOL CToolBar::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
  if (pNMHDR->code == TTN_GETDISPINFOA || pNMHDR->code == TTN_GETDISPINFOW) {
    // The tip is the command string's text after its first newline.
    UINT nID = (UINT)pNMHDR->idFrom;
    CString s, strTip;
    if (nID != 0 && s.LoadString(nID)) {
      int n = s.Find('\n');
      if (n >= 0)
        strTip = s.Mid(n + 1);
    }
    if (pNMHDR->code == TTN_GETDISPINFOA) {
      NMTTDISPINFOA* p = reinterpret_cast<NMTTDISPINFOA*>(lParam);
      lstrcpynA(p->szText, strTip, (int)(sizeof p->szText));
      p->lpszText = p->szText;
      p->hinst = nullptr;
    } else {
      NMTTDISPINFOW* p = reinterpret_cast<NMTTDISPINFOW*>(lParam);
      p->szText[0] = 0;
      ::MultiByteToWideChar(CP_ACP, 0, strTip, -1, p->szText, (int)(sizeof p->szText / sizeof p->szText[0]));
      p->szText[sizeof p->szText / sizeof p->szText[0] - 1] = 0;
      p->lpszText = p->szText;
      p->hinst = nullptr;
    }
    *pResult = 0;
    return TRUE;
  }
  (void)wParam;
  return FALSE;  // the control's own handling
}
