// "ZARN Site Manager": the caller's work sites and the site file's spare sites
// and labels in one tree, in a resizable dialog that ends only by Exit.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/commctrls.h"
#include "framework/dialog.h"
#include "engine/siterecord.h"
#include "sitemanager/anchorlayout.h"
#include "sitemanager/sitesection.h"
#include "sitemanager/sitesetup.h"

class CSiteItem;
class CIniText;

class CSiteManagerDlg : public CDialog, private CSiteTreeSink {
public:
  // sites: the caller's 200 slots, read in place; mainWnd gets every request.
  CSiteManagerDlg(CSiteItem** sites, HWND mainWnd);
  ~CSiteManagerDlg() override;

  BOOL OnInitDialog() override;
  void OnOK() override {}      // Enter does not close it
  void OnCancel() override {}  // nor does Esc

  HTREEITEM WorkHeading() const { return m_workHeading; }
  HTREEITEM SpareHeading() const { return m_spareHeading; }
  CTreeCtrl m_tree;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnExit();
  DECLARE_MESSAGE_MAP()

private:
  void FillSpareSites();
  Node FindOrCreateLabel(Node parent, const std::string& label) override;
  void AppendSite(Node parent, std::unique_ptr<SiteRecord> record) override;

  CSiteItem** m_sites;
  HWND m_mainWnd;
  SiteManagerSetup m_setup;
  std::unique_ptr<CIniText> m_ini;
  std::vector<std::unique_ptr<SiteRecord>> m_records;
  HTREEITEM m_workHeading = nullptr;
  HTREEITEM m_spareHeading = nullptr;
  CAnchorLayout m_layout;
};
