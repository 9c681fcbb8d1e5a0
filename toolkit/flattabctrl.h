// Tab controls with a background colour and their own painting.
// CFlatTabCtrl: a colour behind the tabs and a choice of painting: 0 the
// platform's, 1 owner-drawn tabs (WM_DRAWITEM), 2 the control paints all.
// CShadedTabCtrl: each tab shaded, with an optional gradient and image, in the
// module-wide look g_tabLookFlags (TABLOOK_* bits).
#pragma once

#include "framework/afxwin.h"
#include "toolkit/tabrules.h"

extern DWORD g_tabLookFlags;

class CFlatTabCtrl : public CTabCtrl {
  DECLARE_DYNAMIC(CFlatTabCtrl)
public:
  CFlatTabCtrl() = default;

  // The five painting steps, in this order of slots.
  void DrawItem(LPDRAWITEMSTRUCT lpDIS) override {}
  virtual void DrawMainBorder(LPDRAWITEMSTRUCT lpDIS) {}
  virtual void DrawItemBorder(LPDRAWITEMSTRUCT lpDIS) {}
  virtual COLORREF TabBackColor(BOOL bSelected) const;
  virtual COLORREF TabTextColor(BOOL bSelected) const;

  void SetBkColor(COLORREF clr);
  COLORREF GetBkColor() const { return m_clrBk; }
  // 0..2; anything else: FALSE and nothing changes.
  BOOL SetDrawStyle(int nStyle);
  int GetDrawStyle() const { return m_nDrawStyle; }

protected:
  // Whether attaching makes the tabs owner-drawn.
  virtual BOOL WantsOwnerDraw() const { return m_nDrawStyle != 0; }
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  void PreSubclassWindow() override;
  COLORREF BackgroundOrFace() const { return m_clrBk == TAB_NO_COLOR ? ::GetSysColor(COLOR_3DFACE) : m_clrBk; }

  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnPaint();
  DECLARE_MESSAGE_MAP()

  COLORREF m_clrBk = TAB_NO_COLOR;
  int m_nDrawStyle = 0;
};

class CShadedTabCtrl : public CFlatTabCtrl {
  DECLARE_DYNAMIC(CShadedTabCtrl)
public:
  CShadedTabCtrl() = default;
  // g_tabLookFlags = dwFlags when enabled, else 0.
  static void EnableCustomLook(BOOL bEnable, DWORD dwFlags);

  void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;
  void DrawMainBorder(LPDRAWITEMSTRUCT lpDIS) override;
  void DrawItemBorder(LPDRAWITEMSTRUCT lpDIS) override;
  COLORREF TabBackColor(BOOL bSelected) const override;
  COLORREF TabTextColor(BOOL bSelected) const override;

protected:
  BOOL WantsOwnerDraw() const override { return m_nDrawStyle != 0 || g_tabLookFlags != 0; }
};
