// One interface's traffic as a scrolling bar graph on an owner-drawn button:
// the current and the maximum rate, a moving grid, and a right-click menu to
// pick the interface and the scaling.
#pragma once

#include <functional>

#include "framework/afxwin.h"
#include "shell/tools/nettraffic.h"
#include "shell/tools/trafficmath.h"

class CTrafficButton : public CButton {
public:
  enum { kTimerRedraw = 1, kTimerSample = 2 };
  enum { kCmdOnlyInterface = 1001, kCmdInterfaceBase = 2000, kCmdToggleScaling = 3000 };

  CTrafficButton();
  ~CTrafficButton() override;

  // Stops both timers, selects `index` (-1 when out of range: the graph shows
  // 0 KBps), clears the history, primes the counter and restarts the timers.
  void SelectInterface(int index);
  // Milliseconds between samples and between redraws; either 0 leaves the graph idle.
  void SetIntervals(UINT sampleMs, UINT redrawMs);
  // 0 total (388), 1 received (264), 2 sent (506).
  void SetCounterKind(int kind);
  // Called with the interface index when the user picks another interface.
  void SetSelectCallback(std::function<void(int)> callback) { m_onSelect = std::move(callback); }

  int GetSelectedInterface() const { return m_interface; }
  double GetCurrentRate() const { return m_currentRate; }
  const CTrafficHistory& GetHistory() const { return m_history; }
  const CString& GetCurrentText() const { return m_currentText; }
  const CString& GetMaximumText() const { return m_maximumText; }
  // The name of the mode the menu offers to switch to.
  const CString& GetOtherScalingName() const { return m_otherScaling; }
  CNetTraffic& Traffic() { return m_traffic; }

  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

protected:
  void PreSubclassWindow() override;
  void Attach();
  void Sample();
  void RestartTimers();
  void StopTimers();
  void BuildGradient(CDC* pDC, int width, int height);
  void RunMenu(CPoint screen);

  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnDestroy();
  afx_msg void OnContextMenu(CWnd* pWnd, CPoint point);
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  DECLARE_MESSAGE_MAP()

private:
  CNetTraffic m_traffic;
  CFont m_font;
  CPen m_gridPen;
  CBrush m_gradientBrush;
  CBitmap m_gradientBitmap;
  CSize m_client;
  CTrafficHistory m_history;
  CString m_otherScaling;
  int m_interface = -1;
  int m_gridSpacing = 10;
  int m_plotStep = 2;
  int m_gridOffset = 0;
  UINT m_sampleMs = 3000;
  UINT m_redrawMs = 3000;
  double m_currentRate = 0.0;
  CString m_currentText;
  CString m_maximumText;
  CString m_bothText;
  std::function<void(int)> m_onSelect;
  bool m_attached = false;
};
