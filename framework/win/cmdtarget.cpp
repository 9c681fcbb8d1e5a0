#include "framework/cmdtarget.h"

#include "framework/wnd.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{AfxKindEnd, 0, 0, 0, 0, nullptr, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::DispatchMapMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult, int nCode) {
  const bool bRegistered = message >= 0xC000 && message <= 0xFFFF;
  for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap != nullptr;
       pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = pMap->lpEntries; e->nKind != AfxKindEnd; ++e) {
      bool bMatch = (e->nKind == AfxKindMessage && e->nMessage == message) ||
                    (bRegistered && e->nKind == AfxKindRegistered && *e->pnRegMessage == message);
      if (!bMatch)
        continue;
      AFX_MSGARGS args = {message, wParam, lParam, 0, nCode, nullptr, 0};
      if (e->pfn(this, args)) {
        if (pResult)
          *pResult = args.lResult;
        return TRUE;
      }
    }
  }
  return FALSE;
}

BOOL CCmdTarget::DispatchReflected(UINT nKind, int nCode, void* pExtra) {
  for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap != nullptr;
       pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = pMap->lpEntries; e->nKind != AfxKindEnd; ++e) {
      if (e->nKind != nKind || e->nCode != nCode)
        continue;
      AFX_MSGARGS args = {nKind == AfxKindReflectNotify ? (UINT)WM_NOTIFY : (UINT)WM_COMMAND, 0, 0, 0, nCode, pExtra, 0};
      if (e->pfn(this, args))
        return TRUE;
    }
  }
  return FALSE;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  UINT nKind = AfxKindCommand;
  int nMatchCode = nCode;
  if (nCode == CN_NOTIFY) {
    AFX_NOTIFY* pNotify = static_cast<AFX_NOTIFY*>(pExtra);
    if (pNotify == nullptr || pNotify->pNMHDR == nullptr)
      return FALSE;
    nKind = AfxKindNotify;
    nMatchCode = (int)pNotify->pNMHDR->code;
  }
  for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap != nullptr;
       pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = pMap->lpEntries; e->nKind != AfxKindEnd; ++e) {
      if (e->nKind != nKind || e->nCode != nMatchCode || nID < e->nID || nID > e->nLastID)
        continue;
      if (pHandlerInfo != nullptr) {
        pHandlerInfo->pTarget = this;
        return TRUE;
      }
      AFX_MSGARGS args = {nKind == AfxKindNotify ? (UINT)WM_NOTIFY : (UINT)WM_COMMAND, 0, 0, nID, nCode, pExtra, 0};
      if (e->pfn(this, args))
        return TRUE;
    }
  }
  return FALSE;
}

// ---- CCmdUI ----

void CCmdUI::Enable(BOOL bOn) {
  if (m_hMenu != nullptr) {
    if (m_hSubMenu == nullptr)
      ::EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
  } else if (m_pOther != nullptr && m_pOther->m_hWnd != nullptr) {
    HWND hWnd = m_pOther->m_hWnd;
    // A control about to be disabled gives the focus to the next one first.
    if (!bOn && ::GetFocus() == hWnd) {
      HWND hParent = ::GetParent(hWnd);
      if (hParent != nullptr)
        ::SendMessageA(hParent, WM_NEXTDLGCTL, 0, FALSE);
    }
    ::EnableWindow(hWnd, bOn);
  }
  m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck) {
  if (m_hMenu != nullptr) {
    if (m_hSubMenu == nullptr)
      ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
  } else if (m_pOther != nullptr && m_pOther->m_hWnd != nullptr) {
    if (::SendMessageA(m_pOther->m_hWnd, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON)
      ::SendMessageA(m_pOther->m_hWnd, BM_SETCHECK, (WPARAM)nCheck, 0);
  }
}

void CCmdUI::SetRadio(BOOL bOn) {
  if (m_hMenu != nullptr) {
    if (m_hSubMenu == nullptr && bOn)
      ::CheckMenuRadioItem(m_hMenu, m_nIndex, m_nIndex, m_nIndex, MF_BYPOSITION);
    else if (m_hSubMenu == nullptr)
      ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | MF_UNCHECKED);
  } else {
    SetCheck(bOn ? 1 : 0);
  }
}

void CCmdUI::SetText(LPCTSTR lpszText) {
  if (lpszText == nullptr)
    lpszText = "";
  if (m_hMenu != nullptr) {
    if (m_hSubMenu != nullptr)
      return;
    UINT nState = ::GetMenuState(m_hMenu, m_nIndex, MF_BYPOSITION);
    if (nState == (UINT)-1)
      return;
    nState &= (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_MENUBARBREAK | MF_MENUBREAK);
    ::ModifyMenuA(m_hMenu, m_nIndex, MF_BYPOSITION | MF_STRING | nState, m_nID, lpszText);
  } else if (m_pOther != nullptr && m_pOther->m_hWnd != nullptr) {
    // Only when it differs, so a control does not flicker on every idle update.
    CString strOld;
    m_pOther->GetWindowText(strOld);
    if (strOld != lpszText)
      ::SetWindowTextA(m_pOther->m_hWnd, lpszText);
  }
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHandler) {
  if (pTarget == nullptr || m_nID == 0 || LOWORD(m_nID) == 0xFFFF)
    return TRUE;  // separators and invalid ids are left alone
  m_bEnableChanged = FALSE;
  if (pTarget->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr))
    return TRUE;
  if (bDisableIfNoHandler && !m_bEnableChanged) {
    AFX_CMDHANDLERINFO info = {nullptr};
    Enable(pTarget->OnCmdMsg(m_nID, CN_COMMAND, this, &info));
  }
  return FALSE;
}

void AfxUpdateMenuUI(CCmdTarget* pTarget, HMENU hMenu, BOOL bDisableIfNoHandler) {
  if (pTarget == nullptr || hMenu == nullptr || !::IsMenu(hMenu))
    return;
  CCmdUI state;
  state.m_hMenu = hMenu;
  int nMax = ::GetMenuItemCount(hMenu);
  for (int i = 0; i < nMax; i++) {
    state.m_nIndex = (UINT)i;
    state.m_nIndexMax = (UINT)nMax;
    state.m_nID = ::GetMenuItemID(hMenu, i);
    state.m_hSubMenu = nullptr;
    if (state.m_nID == 0)
      continue;  // separator
    if (state.m_nID == (UINT)-1) {
      // A sub-menu: its first item stands for it.
      state.m_hSubMenu = ::GetSubMenu(hMenu, i);
      if (state.m_hSubMenu == nullptr || (state.m_nID = ::GetMenuItemID(state.m_hSubMenu, 0)) == 0 ||
          state.m_nID == (UINT)-1)
        continue;
      state.DoUpdate(pTarget, FALSE);
    } else {
      state.DoUpdate(pTarget, bDisableIfNoHandler && state.m_nID < 0xF000);
    }
    // A handler may have removed or added items (the recent-file list does):
    // go on after the last item that bears this id.
    int nCount = ::GetMenuItemCount(hMenu);
    if (nCount < 0)
      return;
    if (nCount != nMax) {
      int j = (int)state.m_nIndex;
      if (j >= nCount)
        j = nCount - 1;
      while (j + 1 < nCount && ::GetMenuItemID(hMenu, j + 1) == state.m_nID)
        j++;
      i = j;
      nMax = nCount;
    }
  }
}
