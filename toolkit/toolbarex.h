// CToolBarEx: the main window's toolbar. On top of the framework toolbar it
// keeps a table of every button the bar can show (for the Customize Toolbar
// dialog and its Reset), three text-label modes, drop-down buttons with menus
// of their own, child controls in place of separators, its own row wrapping,
// a flat border painter and its layout in the registry. CCustomizeDialog adds
// a text-label chooser to the platform's Customize Toolbar dialog.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/afxwin.h"
#include "framework/bars.h"
#include "toolkit/toolbarlayout.h"

struct ToolbarButtonRecord {
  TBBUTTON button;
  CString text;
  BOOL shown;
};

struct ToolbarDropDown {
  ToolbarDropDown* next;
  UINT command;
  UINT menu;
};

class CCustomizeDialog;

class CToolBarEx : public CToolBar {
  DECLARE_DYNCREATE(CToolBarEx)
public:
  CToolBarEx();
  ~CToolBarEx() override;

  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  CSize CalcDynamicLayout(int nLength, DWORD dwMode) override;
  virtual BOOL HasButtonText(UINT nID);

  // As the toolbar's, remembering the resource for the icon options' reload.
  BOOL LoadToolBar(UINT nIDResource);
  BOOL AddDropDownButton(UINT nIDButton, UINT nIDMenu, BOOL bArrow);
  void InitButtonTable(const std::vector<ToolbarButtonRecord>* pExtras = nullptr);
  void RestoreState();
  void SaveState();
  void MarkVisibleButtons();
  void Customize();
  void SetTextOptions(int nOption, BOOL bUpdate = TRUE);
  void SetIconOptions(int nOption, BOOL bUpdate = TRUE);
  int GetTextOptions() const { return m_nTextOption; }
  int GetIconOptions() const { return m_nIconOption; }
  const std::vector<ToolbarButtonRecord>& GetButtonTable() const { return m_buttons; }
  // The strings added to the control, each once.
  int GetStringCount() const { return m_pStrings ? (int)m_pStrings->size() : 0; }

  // major x 65536 + minor of the loaded common controls; 4.0 when unknown.
  static DWORD GetComCtlVersion();
  static int s_nInstances;
  static CCustomizeDialog* s_pCustomizeDialog;  // while the platform dialog is open

  std::unique_ptr<std::map<std::string, int>> m_pStrings;
  int m_nTextOption = -1;
  int m_nIconOption = -1;
  CObList m_customObjects;  // owned
  ToolbarDropDown* m_pDropDowns = nullptr;
  CString m_strSubKey;
  CString m_strValueName;
  std::vector<ToolbarButtonRecord> m_buttons;
  int m_nOwnButtons = 0;
  COLORREF m_clrHighlight, m_clrShadow, m_clrFace;
  BOOL m_bAllowControls = TRUE;
  UINT m_nIDResource = 0;

protected:
  // The size a button takes in a layout of dwMode (LM_*).
  CSize CalcButtonSize(int nIndex, const TBBUTTON& b, DWORD dwMode);
  CSize CalcSize(DWORD dwMode, int nLength = -1);
  void ReplaceButton(int nIndex, const TBBUTTON& b);
  void Remeasure();
  void RelayoutFrame();
  void UpdateBandSize();
  void Reset();
  int StringIndex(const CString& s);
  HBITMAP LoadMappedBitmap(int nWidth, int nHeight);
  void SetAdjustable();
  int TableFind(UINT nID) const;
  void AddRecord(const ToolbarButtonRecord& r);
  LRESULT RunPlatformCustomize();

  afx_msg int OnCreate(LPCREATESTRUCT lpcs);
  afx_msg void OnSysColorChange();
  afx_msg void OnNcPaint();
  afx_msg void OnPaint();
  afx_msg void OnContextMenu(CWnd* pWnd, CPoint point);
  afx_msg LRESULT OnCustomizeRequest(WPARAM, LPARAM);
  afx_msg void OnDropDown(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnBeginAdjust(NMHDR*, LRESULT* pResult) { *pResult = 0; }
  afx_msg void OnEndAdjust(NMHDR*, LRESULT*) {}
  afx_msg void OnInitCustomize(NMHDR*, LRESULT* pResult) { *pResult = TBNRF_HIDEHELP; }
  afx_msg void OnQueryInsert(NMHDR*, LRESULT* pResult) { *pResult = TRUE; }
  afx_msg void OnQueryDelete(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnGetButtonInfoA(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnGetButtonInfoW(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnToolBarChange(NMHDR*, LRESULT* pResult);
  afx_msg void OnReset(NMHDR*, LRESULT* pResult);
  afx_msg void OnSave(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnRestore(NMHDR* pNMHDR, LRESULT* pResult);
  DECLARE_MESSAGE_MAP()

  friend class CCustomizeDialog;
};

// The platform's Customize Toolbar dialog, subclassed while it is open.
class CCustomizeDialog : public CWnd {
  DECLARE_DYNAMIC(CCustomizeDialog)
public:
  CCustomizeDialog(CToolBarEx* pToolBar, int nTextOption, int nIconOption);

  CToolBarEx* m_pToolBar;
  HWND m_hIconCombo = nullptr;  // never created: the icon size is not offered
  HWND m_hTextCombo = nullptr;
  HWND m_hIconLabel = nullptr;
  HWND m_hTextLabel = nullptr;
  int m_nTextOption;
  int m_nIconOption;

  static const UINT kTextComboId = 1000;
  static const UINT kIconComboId = 1001;

  void SetTextChoice(int n);
  void SetIconChoice(int n) { m_nIconOption = n; }

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnInitDialogAdditions();
};
