#pragma once
// The splash window shown while the main window starts: bitmap 149 on a
// pop-up of its size, slightly translucent where the system allows, gone
// after three seconds, when it shows the main window.
#include "framework/gdi.h"
#include "framework/wnd.h"

class CSplashWnd : public CWnd {
public:
  // Set from the command line (an embedded or automated start clears it).
  static void EnableSplashScreen(BOOL enable);
  // Does nothing unless enabled and no splash exists.
  static void ShowSplashScreen(CWnd* pParent);
  static CSplashWnd* Current() { return c_pSplashWnd; }
  static BOOL IsEnabled() { return c_bShowSplashWnd; }

  enum { kTimerId = 1, kShowMs = 3000, kAlpha = 230 };

protected:
  CSplashWnd() = default;
  ~CSplashWnd() override;
  BOOL Create(CWnd* pParent);
  void HideSplashScreen();
  void PostNcDestroy() override;

  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnPaint();
  afx_msg void OnTimer(UINT_PTR nIDEvent);

  CBitmap m_bitmap;
  static BOOL c_bShowSplashWnd;
  static CSplashWnd* c_pSplashWnd;

  DECLARE_MESSAGE_MAP()
};
