// "ZARN Ping Window": pings a host of the work sites (or any typed one) on a
// worker thread and lists one line per echo request.
#pragma once

#include <memory>
#include <string>

#include "console/pingengine.h"
#include "framework/afxwin.h"
#include "framework/dialog.h"

class CSiteItem;

class CPingDlg : public CDialog {
public:
  // sites: the caller's table of 200 slots (null slots skipped); only each
  // site's host is read.
  explicit CPingDlg(CSiteItem** sites, CWnd* parent = nullptr);
  ~CPingDlg() override;

  // Where runs reach the network; the raw ICMP socket unless set (tests).
  void SetChannelFactory(IcmpChannelFactory factory) { m_factory = std::move(factory); }

  BOOL OnInitDialog() override;

  enum { kMarkerTimer = 4097, kMarkerStep = 20, kMarkerInset = 5, kMarkerSize = 7 };
  static constexpr COLORREF kMarkerColour = 0x06F772;

protected:
  void OnStart();
  void OnCloseButton();
  void OnOK() override {}  // Enter starts a run (the default button), it never closes
  LRESULT OnPingText(WPARAM wParam, LPARAM lParam);
  LRESULT OnPingDone(WPARAM wParam, LPARAM lParam);
  void OnTimer(UINT_PTR id);
  void OnPaint();
  void OnDestroy();
  DECLARE_MESSAGE_MAP()

private:
  void EnableRunControls(BOOL enable);
  void InvalidateMarker();
  RECT MarkerBand() const;

  CSiteItem** m_sites;
  IcmpChannelFactory m_factory;
  std::unique_ptr<CPingThread> m_worker;
  std::string m_runHost;
  // The marker between the two statics.
  int m_markerX = 0;
  int m_markerStep = kMarkerStep;
  int m_lineY = 0;
  int m_leftEnd = 0;
  int m_rightEnd = 0;
  bool m_running = false;
  UINT_PTR m_timer = 0;
};
